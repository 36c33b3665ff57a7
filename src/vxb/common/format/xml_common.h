// Vocabulary shared by the XML reader and writer: token kinds, attribute
// lists, limits, and the character classes of names and white space.
//
// Character classes are decided on the Latin-1 form of an internal
// character, so a name written with accented letters ("A\xA4o" in the
// internal set) is a name whatever set the document came in, and
// box-drawing characters of the internal set (which Latin-1 only
// approximates) never are.
//
// Thread safety: constants and pure functions only.
#ifndef VXB_COMMON_XML_COMMON_H_
#define VXB_COMMON_XML_COMMON_H_

namespace VXB::XML {

// Longest tag or attribute name, in characters; longer names are refused.
inline constexpr unsigned MAX_NAME_LEN = 100;
// Longest token text handed out by the reader.
inline constexpr unsigned MAX_TEXT = 3072;
// Elements open at once in a document the reader accepts.
inline constexpr unsigned MAX_NESTING = 30;

enum XML_TOKEN : unsigned {
  XMLNONE = 0,
  XMLOPEN = 1,
  XMLTEXT = 2,
  XMLCLOSE = 3,
  XMLEMPTY = 4,
};

// "NONE", "OPEN", "TEXT", "CLOSE", "EMPTY"; "?" for other values.
const char* ToString(XML_TOKEN t);

// One attribute. Lists end with an entry whose Name is null.
struct Attribute {
  const char* Name = nullptr;
  const char* Value = nullptr;
};

// Characters 9 to 13 and the blank.
constexpr bool IsWhitespace(char c) { return c == ' ' || (c >= 9 && c <= 13); }
// ':', '_', an ASCII letter or a Latin-1 letter (by the Latin-1 form of c).
bool IsNameStartChar(char c);
// A name-start character, '-', '.', a digit or the middle dot.
bool IsNameChar(char c);
// A name-start character followed by name characters, at most MAX_NAME_LEN
// in all.
bool IsValidName(const char* s);

}  // namespace VXB::XML

#endif  // VXB_COMMON_XML_COMMON_H_
