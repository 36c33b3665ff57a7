// Character sets and entity modes of the system's text. Every text inside
// the system is kept in one single-byte set, CP437 (treated with the layout
// of code page 850); other sets appear only at the edges.
#ifndef VXB_COMMON_CHARSET_H_
#define VXB_COMMON_CHARSET_H_

namespace VXB::ASCII {

enum Charsets : unsigned {
  NO_CHARSET = 0,
  CP437 = 1,
  UTF8 = 2,
  LATIN1 = 3,
};

enum Entities : unsigned {
  NO_ENTITIES = 0,
  HTML_ENTITIES = 1,
  XML_ENTITIES = 2,
  JSON_ENTITIES = 3,
  MAX_ENTITIES = 4,
};

}  // namespace VXB::ASCII

#endif  // VXB_COMMON_CHARSET_H_
