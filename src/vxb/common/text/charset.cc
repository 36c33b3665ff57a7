// Character-set names, entity escaping and decoding, and the string
// conversions between the internal set, Latin-1 and UTF-8.
#include "vxb/common/text/charset.h"

#include <cstring>
#include <iterator>
#include <string_view>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset_tables.h"

namespace VXB::ASCII {
namespace {

constexpr Byte UTF8_LATIN1_LEAD_LOW = 0xC2;
constexpr Byte UTF8_LATIN1_LEAD_HIGH = 0xC3;

struct NamedCharset {
  const char* Name;
  Charsets Charset;
};

constexpr NamedCharset CHARSET_NAMES[] = {
    {"UTF-8", UTF8},
    {"UTF8", UTF8},
    {"ISO-8859-1", LATIN1},
    {"ISO_8859-1", LATIN1},
    {"ISO_8859-1:1987", LATIN1},
    {"latin1", LATIN1},
    {"l1", LATIN1},
    {"CP819", LATIN1},
    {"IBM819", LATIN1},
    {"iso-ir-100", LATIN1},
    {"csISOLatin1", LATIN1},
    {"windows-1252", LATIN1},
    {"cp1252", LATIN1},
    {"x-cp1252", LATIN1},
    {"IBM850", CP437},
    {"cp850", CP437},
    {"850", CP437},
    {"csPC850Multilingual", CP437},
    {"IBM437", IBM437},
    {"cp437", IBM437},
    {"437", IBM437},
    {"csPC8CodePage437", IBM437},
    {"US-ASCII", US_ASCII},
    {"ASCII", US_ASCII},
    {"us", US_ASCII},
    {"ANSI_X3.4-1968", US_ASCII},
    {"iso-ir-6", US_ASCII},
    {"IBM367", US_ASCII},
    {"cp367", US_ASCII},
    {"csASCII", US_ASCII},
    {"ISO-8859-15", ISO_8859_15},
    {"ISO_8859-15", ISO_8859_15},
    {"latin-9", ISO_8859_15},
    {"latin9", ISO_8859_15},
};

struct EntityConversion {
  char Char;
  const char* Entity;
};

constexpr EntityConversion HTML_TABLE[] = {
    {'&', "amp"},  {'>', "gt"},   {'<', "lt"},   {'"', "quot"},
    {'\t', "#09"}, {'\n', "#10"}, {'\r', "#13"},
};
constexpr EntityConversion XML_TABLE[] = {
    {'&', "amp"}, {'>', "gt"}, {'<', "lt"}, {'"', "quot"}, {'\'', "apos"},
};

// Output escapes, by internal character.
const char* HtmlEscape(char c) {
  switch (c) {
    case '\t':
      return "&#09;";
    case '\n':
      return "&#10;";
    case '\r':
      return "&#13;";
    case '"':
      return "&quot;";
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    default:
      return nullptr;
  }
}

const char* XmlEscape(char c) {
  switch (c) {
    case '"':
      return "&quot;";
    case '&':
      return "&amp;";
    case '\'':
      return "&apos;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    default:
      return nullptr;
  }
}

// Control characters are escaped too, so that every written string is valid
// JSON: the short forms where JSON has them, \u00XX for the others.
constexpr const char* JSON_CONTROL_ESCAPES[32] = {
    "\\u0000", "\\u0001", "\\u0002", "\\u0003", "\\u0004", "\\u0005", "\\u0006", "\\u0007",
    "\\b",     "\\t",     "\\n",     "\\u000B", "\\f",     "\\r",     "\\u000E", "\\u000F",
    "\\u0010", "\\u0011", "\\u0012", "\\u0013", "\\u0014", "\\u0015", "\\u0016", "\\u0017",
    "\\u0018", "\\u0019", "\\u001A", "\\u001B", "\\u001C", "\\u001D", "\\u001E", "\\u001F",
};

const char* JsonEscape(char c) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    default:
      return static_cast<unsigned char>(c) < 32
                 ? JSON_CONTROL_ESCAPES[static_cast<unsigned char>(c)]
                 : nullptr;
  }
}

// "#233", "#x41": the Latin-1 code 1..255, or -1. The value stops growing
// once it passes 255, so no number of digits can wrap it around.
int NumericReference(const char* s) {
  if (*s != '#') return -1;
  ++s;
  unsigned base = 10;
  if (*s == 'x' || *s == 'X') {
    base = 16;
    ++s;
  }
  if (*s == 0) return -1;
  unsigned value = 0;
  for (; *s != 0; ++s) {
    int d = ASCII::DigitValue(*s, base);
    if (d < 0) return -1;
    value = value * base + static_cast<unsigned>(d);
    if (value > 255) return -1;
  }
  return value == 0 ? -1 : static_cast<int>(value);
}

bool FromEntityTable(const char* s, char& c, const EntityConversion* table, unsigned n) {
  for (unsigned i = 0; i < n; ++i) {
    if (std::strcmp(s, table[i].Entity) == 0) {
      c = table[i].Char;
      return true;
    }
  }
  int value = NumericReference(s);
  if (value < 0) return false;
  c = InternalOfLatin1(static_cast<char>(value));
  return true;
}

// One Latin-1 value written in UTF-8 into out (room for 2); returns the
// count.
unsigned EncodeUTF8(Byte v, char* out) {
  if (v < 0x80) {
    out[0] = static_cast<char>(v);
    return 1;
  }
  out[0] = static_cast<char>(0xC0 + v / 64);
  out[1] = static_cast<char>(0x80 + v % 64);
  return 2;
}

bool IsContinuation(Byte b) { return b >= 0x80 && b <= 0xBF; }

int Continuations(Byte lead) {
  if (lead < 0x80) return 0;
  if (lead < 0xC2) return -1;
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  if (lead < 0xF5) return 3;
  return -1;
}

bool ContinuationOf(Byte lead, unsigned index, Byte b) {
  if (index == 1) {
    switch (lead) {
      case 0xE0:
        return b >= 0xA0 && b <= 0xBF;  // shorter forms are overlong
      case 0xED:
        return b >= 0x80 && b <= 0x9F;  // surrogates
      case 0xF0:
        return b >= 0x90 && b <= 0xBF;
      case 0xF4:
        return b >= 0x80 && b <= 0x8F;  // above 0x10FFFF
      default:
        break;
    }
  }
  return IsContinuation(b);
}

std::uint32_t LeadBits(Byte lead) {
  return lead < 0x80   ? lead
         : lead < 0xE0 ? lead & 0x1Fu
         : lead < 0xF0 ? lead & 0x0Fu
                       : lead & 0x07u;
}

// Decodes one character at p (p[0] != 0, the text zero-terminated) into
// its code point, or INVALID_CODE_POINT. Returns the source bytes used: the
// whole sequence, or for a malformed one its well-formed start, so the byte
// that broke it is decoded on its own.
constexpr std::uint32_t INVALID_CODE_POINT = 0xFFFFFFFFu;

unsigned DecodeUTF8(const Byte* p, std::uint32_t& cp) {
  const int more = Continuations(p[0]);
  if (more <= 0) {
    cp = more == 0 ? p[0] : INVALID_CODE_POINT;
    return 1;
  }
  std::uint32_t value = LeadBits(p[0]);
  for (int i = 1; i <= more; ++i) {
    if (!ContinuationOf(p[0], static_cast<unsigned>(i), p[i])) {
      cp = INVALID_CODE_POINT;
      return static_cast<unsigned>(i);
    }
    value = value * 64u + (p[i] & 0x3Fu);
  }
  cp = value;
  return static_cast<unsigned>(more) + 1;
}

// The internal byte of a decoded UTF-8 character.
Byte InternalOfDecoded(std::uint32_t cp) {
  return cp == INVALID_CODE_POINT ? Byte{'?'} : InternalOfCodePoint(cp);
}

enum class Kind {
  COPY,
  INTERNAL_TO_LATIN1,
  LATIN1_TO_INTERNAL,
  INTERNAL_TO_UTF8,
  LATIN1_TO_UTF8,
  UTF8_TO_INTERNAL,
  UTF8_TO_LATIN1,
  INTERNAL_TO_IBM437,
  IBM437_TO_INTERNAL,
  INTERNAL_TO_ASCII,
  ASCII_TO_INTERNAL,
  INTERNAL_TO_ISO_8859_15,
  ISO_8859_15_TO_INTERNAL,
};

bool IsOutput(Kind k) {
  return k == Kind::INTERNAL_TO_LATIN1 || k == Kind::INTERNAL_TO_UTF8 ||
         k == Kind::LATIN1_TO_UTF8 || k == Kind::INTERNAL_TO_IBM437 ||
         k == Kind::INTERNAL_TO_ASCII || k == Kind::INTERNAL_TO_ISO_8859_15;
}

PartialConversion Convert(Kind k, const char* source, char* out, unsigned size, Entities e) {
  PartialConversion p;
  if (source == nullptr) return p;
  const Byte* s = reinterpret_cast<const Byte*>(source);
  while (s[p.Read] != 0) {
    Byte b = s[p.Read];
    char piece[2];
    const char* text = piece;
    unsigned length = 1;
    unsigned used = 1;
    const char* escape = nullptr;
    if (IsOutput(k)) escape = GetEscape(static_cast<char>(b), e);
    if (escape != nullptr) {
      text = escape;
      length = static_cast<unsigned>(std::strlen(escape));
    } else {
      std::uint32_t cp = 0;
      switch (k) {
        case Kind::COPY:
          piece[0] = static_cast<char>(b);
          break;
        case Kind::INTERNAL_TO_LATIN1:
          piece[0] = static_cast<char>(Latin1ByCP437[b]);
          break;
        case Kind::LATIN1_TO_INTERNAL:
          piece[0] = static_cast<char>(CP437ByLatin1[b]);
          break;
        case Kind::INTERNAL_TO_UTF8:
          length = EncodeUTF8(b < 0x80 ? b : Latin1ByCP437[b], piece);
          break;
        case Kind::LATIN1_TO_UTF8:
          length = EncodeUTF8(b, piece);
          break;
        case Kind::UTF8_TO_INTERNAL:
          used = DecodeUTF8(s + p.Read, cp);
          piece[0] = static_cast<char>(InternalOfDecoded(cp));
          break;
        case Kind::UTF8_TO_LATIN1:
          used = DecodeUTF8(s + p.Read, cp);
          piece[0] = static_cast<char>(cp < 0x100 ? static_cast<Byte>(cp)
                                                  : Latin1ByCP437[InternalOfDecoded(cp)]);
          break;
        case Kind::INTERNAL_TO_IBM437:
          piece[0] = static_cast<char>(IBM437ByInternal[b]);
          break;
        case Kind::IBM437_TO_INTERNAL:
          piece[0] = static_cast<char>(InternalByIBM437[b]);
          break;
        case Kind::INTERNAL_TO_ASCII:
        case Kind::ASCII_TO_INTERNAL:
          piece[0] = static_cast<char>(b < 0x80 ? b : Byte{'?'});
          break;
        case Kind::INTERNAL_TO_ISO_8859_15:
          piece[0] = static_cast<char>(ISO885915ByInternal[b]);
          break;
        case Kind::ISO_8859_15_TO_INTERNAL:
          piece[0] = static_cast<char>(InternalByISO885915[b]);
          break;
      }
    }
    if (length > size - p.Written) break;
    std::memcpy(out + p.Written, text, length);
    p.Written += length;
    p.Read += used;
  }
  return p;
}

// A whole conversion into a terminated buffer, or CONVERSION_FAILED.
unsigned ConvertAll(Kind k, const char* s1, char* s2, unsigned Size, Entities e, const char* name) {
  if (s2 == nullptr || Size == 0) {
    VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR, "%s: no output buffer", name);
    return CONVERSION_FAILED;
  }
  if (s1 == nullptr) s1 = "";
  PartialConversion p = Convert(k, s1, s2, Size - 1, e);
  if (s1[p.Read] != 0) {
    s2[0] = 0;
    VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                               "%s: converted text does not fit in %u bytes", name, Size);
    return CONVERSION_FAILED;
  }
  s2[p.Written] = 0;
  return p.Written;
}

unsigned UnknownCharset(char* s2, unsigned Size, Charsets c, const char* name) {
  if (s2 != nullptr && Size > 0) s2[0] = 0;
  VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR, "%s: unknown character set %u", name,
                             static_cast<unsigned>(c));
  return CONVERSION_FAILED;
}

bool KnownCharset(Charsets c) { return c <= ISO_8859_15; }

// The conversions of each set, by Charsets value: towards it from the
// internal set, and from it into the internal set.
struct CharsetKinds {
  Kind To;
  Kind From;
};
constexpr CharsetKinds KINDS[] = {
    {Kind::COPY, Kind::COPY},                                        // NO_CHARSET
    {Kind::COPY, Kind::COPY},                                        // CP437
    {Kind::INTERNAL_TO_UTF8, Kind::UTF8_TO_INTERNAL},                // UTF8
    {Kind::INTERNAL_TO_LATIN1, Kind::LATIN1_TO_INTERNAL},            // LATIN1
    {Kind::INTERNAL_TO_IBM437, Kind::IBM437_TO_INTERNAL},            // IBM437
    {Kind::INTERNAL_TO_ASCII, Kind::ASCII_TO_INTERNAL},              // US_ASCII
    {Kind::INTERNAL_TO_ISO_8859_15, Kind::ISO_8859_15_TO_INTERNAL},  // ISO_8859_15
};
static_assert(std::size(KINDS) == ISO_8859_15 + 1, "one row per character set");

Kind ToKind(Charsets c) { return KnownCharset(c) ? KINDS[c].To : Kind::COPY; }
Kind FromKind(Charsets c) { return KnownCharset(c) ? KINDS[c].From : Kind::COPY; }

}  // namespace

const char* ToString(Charsets c) {
  switch (c) {
    case NO_CHARSET:
      return "NO CHARSET";
    case CP437:
      return "CP437";
    case UTF8:
      return "UTF-8";
    case LATIN1:
      return "ISO-8859-1";
    case IBM437:
      return "IBM437";
    case US_ASCII:
      return "US-ASCII";
    case ISO_8859_15:
      return "ISO-8859-15";
  }
  return "UNKNOWN";
}

bool FromString(const char* s, Charsets& c) {
  if (s != nullptr) {
    for (const NamedCharset& n : CHARSET_NAMES) {
      if (EqualsIgnoringCase(s, n.Name)) {
        c = n.Charset;
        return true;
      }
    }
  }
  c = NO_CHARSET;
  return false;
}

char GetEntityBeginChar(Entities e) {
  switch (e) {
    case HTML_ENTITIES:
    case XML_ENTITIES:
      return '&';
    case JSON_ENTITIES:
      return '\\';
    default:
      return 0;
  }
}

char GetEntityEndChar(Entities e) { return e == HTML_ENTITIES || e == XML_ENTITIES ? ';' : 0; }

const char* GetEscape(char c, Entities e) {
  switch (e) {
    case HTML_ENTITIES:
      return HtmlEscape(c);
    case XML_ENTITIES:
      return XmlEscape(c);
    case JSON_ENTITIES:
      return JsonEscape(c);
    default:
      return nullptr;
  }
}

bool FromEntity(const char* s, char& c, Entities e) {
  if (s == nullptr) return false;
  switch (e) {
    case HTML_ENTITIES:
      return FromEntityTable(s, c, HTML_TABLE, sizeof(HTML_TABLE) / sizeof(HTML_TABLE[0]));
    case XML_ENTITIES:
      return FromEntityTable(s, c, XML_TABLE, sizeof(XML_TABLE) / sizeof(XML_TABLE[0]));
    case JSON_ENTITIES:
      if ((s[0] == '"' || s[0] == '\\') && s[1] == 0) {
        c = s[0];
        return true;
      }
      return false;
    default:
      return false;
  }
}

bool IsUTF8Multibyte(char c) { return static_cast<Byte>(c) >= 0x80; }

bool IsUTF8Latin1(char c) {
  Byte b = static_cast<Byte>(c);
  return b == UTF8_LATIN1_LEAD_LOW || b == UTF8_LATIN1_LEAD_HIGH;
}

bool FromUTF8Multibyte(char c1, char c2, char& result) {
  if (!IsUTF8Latin1(c1) || !IsContinuation(static_cast<Byte>(c2))) return false;
  const Byte pair[3] = {static_cast<Byte>(c1), static_cast<Byte>(c2), 0};
  std::uint32_t cp = 0;
  DecodeUTF8(pair, cp);
  result = static_cast<char>(InternalOfDecoded(cp));
  return true;
}

int UTF8Continuations(char Lead) { return Continuations(static_cast<Byte>(Lead)); }

bool IsUTF8ContinuationOf(char Lead, unsigned Index, char b) {
  return ContinuationOf(static_cast<Byte>(Lead), Index, static_cast<Byte>(b));
}

std::uint32_t UTF8LeadBits(char Lead) { return LeadBits(static_cast<Byte>(Lead)); }

char FromCodePoint(std::uint32_t cp) { return static_cast<char>(InternalOfCodePoint(cp)); }

bool FromLatin1(char c1, char& c) {
  c = InternalOfLatin1(c1);
  return true;
}

bool ToLatin1(char c1, char& c) {
  c = Latin1Of(c1);
  return true;
}

unsigned ToLatin1(const char* s1, char* s2, unsigned Size, Entities e) {
  return ConvertAll(Kind::INTERNAL_TO_LATIN1, s1, s2, Size, e, "ToLatin1");
}

unsigned FromLatin1(const char* s1, char* s2, unsigned Size, Entities) {
  return ConvertAll(Kind::LATIN1_TO_INTERNAL, s1, s2, Size, NO_ENTITIES, "FromLatin1");
}

unsigned ToUTF8(const char* s1, char* s2, unsigned Size, Entities e) {
  return ConvertAll(Kind::INTERNAL_TO_UTF8, s1, s2, Size, e, "ToUTF8");
}

unsigned Latin1ToUTF8(const char* s1, char* s2, unsigned Size, Entities e) {
  return ConvertAll(Kind::LATIN1_TO_UTF8, s1, s2, Size, e, "Latin1ToUTF8");
}

unsigned FromUTF8(const char* s1, char* s2, unsigned Size, Entities) {
  return ConvertAll(Kind::UTF8_TO_INTERNAL, s1, s2, Size, NO_ENTITIES, "FromUTF8");
}

unsigned UTF8ToLatin1(const char* s1, char* s2, unsigned Size, Entities) {
  return ConvertAll(Kind::UTF8_TO_LATIN1, s1, s2, Size, NO_ENTITIES, "UTF8ToLatin1");
}

unsigned ToCharset(const char* s1, char* s2, unsigned Size, Charsets c, Entities e) {
  if (!KnownCharset(c)) return UnknownCharset(s2, Size, c, "ToCharset");
  Kind k = ToKind(c);
  return ConvertAll(k, s1, s2, Size, k == Kind::COPY ? NO_ENTITIES : e, "ToCharset");
}

unsigned FromCharset(const char* s1, char* s2, unsigned Size, Charsets c, Entities) {
  if (!KnownCharset(c)) return UnknownCharset(s2, Size, c, "FromCharset");
  return ConvertAll(FromKind(c), s1, s2, Size, NO_ENTITIES, "FromCharset");
}

PartialConversion ToCharsetPartially(const char* Source, char* Out, unsigned Size, Charsets c,
                                     Entities e) {
  if (!KnownCharset(c) || Out == nullptr) return {};
  Kind k = ToKind(c);
  return Convert(k, Source, Out, Size, k == Kind::COPY ? NO_ENTITIES : e);
}

PartialConversion FromCharsetPartially(const char* Source, char* Out, unsigned Size, Charsets c) {
  if (!KnownCharset(c) || Out == nullptr) return {};
  return Convert(FromKind(c), Source, Out, Size, NO_ENTITIES);
}

}  // namespace VXB::ASCII
