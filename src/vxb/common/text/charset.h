// Character sets and entity modes of the system's text. Every text inside
// the system is kept in one single-byte set, CP437 (treated with the layout
// of code page 850); other sets appear only at the edges, where these
// conversions turn request bytes into the internal set and printed pieces
// into the answer's set with the escaping of the document's format.
//
// Thread safety: everything here works on constant tables and the caller's
// buffers; any thread may call it. Failures are recorded in the calling
// thread's error record.
#ifndef VXB_COMMON_CHARSET_H_
#define VXB_COMMON_CHARSET_H_

#include <cstdint>

namespace VXB::ASCII {

// CP437 is the internal set itself (laid out as code page 850, so a request
// in IBM850 is read as it is); IBM437 is IBM's original code page 437, read
// and written through its own table.
enum Charsets : unsigned {
  NO_CHARSET = 0,
  CP437 = 1,
  UTF8 = 2,
  LATIN1 = 3,
  IBM437 = 4,
  US_ASCII = 5,
  ISO_8859_15 = 6,
};

enum Entities : unsigned {
  NO_ENTITIES = 0,
  HTML_ENTITIES = 1,
  XML_ENTITIES = 2,
  JSON_ENTITIES = 3,
  MAX_ENTITIES = 4,
};

// Names.

// "NO CHARSET", "CP437", "UTF-8", "ISO-8859-1", "IBM437", "US-ASCII",
// "ISO-8859-15"; "UNKNOWN" for other values.
const char* ToString(Charsets c);
// The one table of names a request may give, in its content type or its
// XML declaration (IANA names and usual aliases, letter case ignored):
//   UTF-8, UTF8 -> UTF8
//   ISO-8859-1, ISO_8859-1, ISO_8859-1:1987, latin1, l1, CP819, IBM819,
//   iso-ir-100, csISOLatin1 -> LATIN1
//   windows-1252, cp1252, x-cp1252 -> LATIN1 (Latin-1 reading takes
//   0x80..0x9F as windows-1252's characters, so both read alike)
//   IBM850, cp850, 850, csPC850Multilingual -> CP437 (the internal set)
//   IBM437, cp437, 437, csPC8CodePage437 -> IBM437
//   US-ASCII, ASCII, us, ANSI_X3.4-1968, iso-ir-6, IBM367, cp367, csASCII
//   -> US_ASCII
//   ISO-8859-15, ISO_8859-15, latin-9, latin9 -> ISO_8859_15
// Anything else (or null) sets NO_CHARSET and returns false.
bool FromString(const char* s, Charsets& c);

// Entities.

// The character that opens / closes an entity in mode e ('&' / ';' for HTML
// and XML, '\\' / none for JSON); 0 for none.
char GetEntityBeginChar(Entities e);
char GetEntityEndChar(Entities e);
// The text that replaces the internal character c on output in mode e, or
// null when c is written as it is.
//   HTML: tab "&#09;", LF "&#10;", CR "&#13;", '"' "&quot;", '&' "&amp;",
//         '<' "&lt;", '>' "&gt;".
//   XML:  '"' "&quot;", '&' "&amp;", '\'' "&apos;", '<' "&lt;", '>' "&gt;".
//   JSON: '"' -> backslash quote, backslash -> two backslashes, control
//         characters below 32 -> \b \t \n \f \r or \u00XX.
const char* GetEscape(char c, Entities e);
// Decodes the entity text s (the characters between the begin and the end
// character, e.g. "amp", "#233", "#x41") into an internal character.
// Names match whole and case-sensitively ("ampersand" is not "amp").
// Numeric references are decimal, or hexadecimal after "#x"/"#X"; every
// character after the prefix must be a digit; the value is a Latin-1 code
// from 1 to 255 (0 and larger values, however many digits, are not
// decodable) and is turned into the internal set. In JSON mode the text is
// a single quotation mark or backslash, standing for itself. False when s
// is not decodable; c is then unchanged.
bool FromEntity(const char* s, char& c, Entities e);

// Character conversions.

// c is 0x80 or above (part of a multi-byte UTF-8 sequence).
bool IsUTF8Multibyte(char c);
// c is 0xC2 or 0xC3: the lead byte of a Latin-1 character in UTF-8.
bool IsUTF8Latin1(char c);
// The internal character of the UTF-8 pair c1 c2. False when c1 is not 0xC2
// or 0xC3, or c2 is not a continuation byte (0x80..0xBF; a zero is not).
bool FromUTF8Multibyte(char c1, char c2, char& result);
// UTF-8 sequences, for readers that take one byte at a time: the number of
// continuation bytes that follow the lead byte Lead (0 for ASCII), or -1
// when Lead cannot start a well-formed sequence (a continuation byte,
// 0xC0, 0xC1, 0xF5 and above).
int UTF8Continuations(char Lead);
// Whether b is acceptable as continuation byte Index (1 = the byte after
// the lead) of a sequence started by Lead: 0x80..0xBF, narrowed for the
// second byte so that overlong forms, surrogates and code points above
// 0x10FFFF are not well formed.
bool IsUTF8ContinuationOf(char Lead, unsigned Index, char b);
// The code point bits that the lead byte Lead carries.
std::uint32_t UTF8LeadBits(char Lead);
// The internal character of a Unicode code point: the character itself
// where the internal set has it (Latin-1 letters, box drawing, f with
// hook, ...), the nearest character windows-1252's reading gives for its
// typographic characters (curly quotes, dashes), else '?'.
char FromCodePoint(std::uint32_t cp);

// c = the internal character of the Latin-1 byte c1; always true.
bool FromLatin1(char c1, char& c);
// c = the Latin-1 byte of the internal character c1; always true.
bool ToLatin1(char c1, char& c);

// String conversions.
//
// Each converts the zero-terminated s1 into s2, a buffer of Size bytes
// including the terminator, and returns the number of bytes written before
// the terminator. When the converted text does not fit in Size - 1 bytes,
// or the character set is unknown, nothing is kept: s2 becomes "" (when
// Size > 0), IO_PARAM_ERROR is recorded and the result is CONVERSION_FAILED.
// No byte is ever written at or beyond s2 + Size. A null s1 is taken as "".
//
// Output escaping by e applies to ToLatin1, ToUTF8, Latin1ToUTF8 and to
// ToCharset towards UTF8 or LATIN1. Input conversions (FromLatin1,
// FromUTF8, UTF8ToLatin1, FromCharset) never decode entities: that is the
// character reader's work; their e is accepted and ignored.
//
// UTF-8 input: each well-formed sequence is one character, turned into the
// internal set by FromCodePoint ('?' for what the set cannot hold); a
// malformed sequence gives one '?' for its longest well-formed start (at
// least its first byte), and the byte that broke it is read on its own, so
// a quote or bracket after it is kept.
inline constexpr unsigned CONVERSION_FAILED = 0xFFFFFFFFu;

unsigned ToLatin1(const char* s1, char* s2, unsigned Size, Entities e = NO_ENTITIES);
unsigned FromLatin1(const char* s1, char* s2, unsigned Size, Entities e = NO_ENTITIES);
// Bytes below 0x80 are copied (unless escaped); others are turned into
// Latin-1 and written in UTF-8 (one byte below 0x80, else two).
unsigned ToUTF8(const char* s1, char* s2, unsigned Size, Entities e = NO_ENTITIES);
unsigned Latin1ToUTF8(const char* s1, char* s2, unsigned Size, Entities e = NO_ENTITIES);
unsigned FromUTF8(const char* s1, char* s2, unsigned Size, Entities e = NO_ENTITIES);
unsigned UTF8ToLatin1(const char* s1, char* s2, unsigned Size, Entities e = NO_ENTITIES);
// From the internal set to c: UTF8 -> ToUTF8, LATIN1 -> ToLatin1, IBM437,
// US_ASCII and ISO_8859_15 through their tables ('?' for what they lack),
// NO_CHARSET and CP437 -> a plain copy without escaping.
unsigned ToCharset(const char* s1, char* s2, unsigned Size, Charsets c, Entities e = NO_ENTITIES);
// From c to the internal set: UTF8 -> FromUTF8, LATIN1 -> FromLatin1,
// IBM437, US_ASCII (bytes above 0x7F -> '?') and ISO_8859_15 through their
// tables, NO_CHARSET and CP437 -> a plain copy.
unsigned FromCharset(const char* s1, char* s2, unsigned Size, Charsets c, Entities e = NO_ENTITIES);

// Piecewise conversion, for texts of any length: converts from the start of
// the zero-terminated Source as many whole characters as fit in Size bytes
// of Out (no terminator is written) and tells how many source bytes were
// read and how many output bytes written. The output of one character (a
// UTF-8 pair, an escape) is never split. Read < strlen(Source) means the
// rest did not fit; call again from Source + Read. An unknown character set
// reads and writes nothing.
struct PartialConversion {
  unsigned Read = 0;
  unsigned Written = 0;
};
PartialConversion ToCharsetPartially(const char* Source, char* Out, unsigned Size, Charsets c,
                                     Entities e);
PartialConversion FromCharsetPartially(const char* Source, char* Out, unsigned Size, Charsets c);

}  // namespace VXB::ASCII

#endif  // VXB_COMMON_CHARSET_H_
