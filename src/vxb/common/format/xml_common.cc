// Character classes and names of the XML support.
#include "vxb/common/format/xml_common.h"

#include "vxb/common/text/charset_tables.h"

namespace VXB::XML {

const char* ToString(XML_TOKEN t) {
  switch (t) {
    case XMLNONE:
      return "NONE";
    case XMLOPEN:
      return "OPEN";
    case XMLTEXT:
      return "TEXT";
    case XMLCLOSE:
      return "CLOSE";
    case XMLEMPTY:
      return "EMPTY";
  }
  return "?";
}

namespace {

// The Latin-1 code of c, or 0 when c has none of its own (a character that
// Latin-1 only approximates, such as a box-drawing line shown as '-').
unsigned Latin1Code(char c) {
  const char l = ASCII::Latin1Of(c);
  return ASCII::InternalOfLatin1(l) == c ? static_cast<unsigned char>(l) : 0;
}

}  // namespace

bool IsNameStartChar(char c) {
  const unsigned l = Latin1Code(c);
  if (l == ':' || l == '_') return true;
  if ((l >= 'A' && l <= 'Z') || (l >= 'a' && l <= 'z')) return true;
  return (l >= 0xC0 && l <= 0xD6) || (l >= 0xD8 && l <= 0xF6) || l >= 0xF8;
}

bool IsNameChar(char c) {
  if (IsNameStartChar(c)) return true;
  const unsigned l = Latin1Code(c);
  return l == '-' || l == '.' || (l >= '0' && l <= '9') || l == 0xB7;
}

bool IsValidName(const char* s) {
  if (s == nullptr || !IsNameStartChar(s[0])) return false;
  unsigned n = 1;
  for (const char* p = s + 1; *p != 0; ++p, ++n) {
    if (n >= MAX_NAME_LEN || !IsNameChar(*p)) return false;
  }
  return true;
}

}  // namespace VXB::XML
