// The content types of the documents the system reads and writes, as a
// small enumeration, with their media-type texts (as HTTP names them) and
// file-name extensions.
//
// The tables are constant data: every lookup is thread-safe and needs no
// initialisation (Init is kept for callers that expect it and does nothing).
#ifndef VXB_COMMON_MIME_H_
#define VXB_COMMON_MIME_H_

#include <cstdint>

namespace VXB::MIME {

enum Types : std::uint32_t {
  UNKNOWN = 0,
  BINARY = 1,
  ASCII = 2,
  JPG = 3,
  PNG = 4,
  GIF = 5,
  ICO = 6,
  BMP = 7,
  XML = 8,
  JSON = 9,
  ZIP = 10,
  HTML = 11,
  PEM = 12,
  JAVASCRIPT = 13,
  FORM = 14,
  CSS = 15,
};

struct Representation {
  Types Type;
  const char* String;
};

inline constexpr unsigned RepresentationsSize = 16;
extern const Representation Representations[RepresentationsSize];

void Init();
// The type's media-type text; "unknown" for a value outside the table.
const char* ToString(Types Type);
// The type whose text equals Text ignoring letter case (the whole text, no
// parameters or blanks); UNKNOWN otherwise, and for null.
Types FromString(const char* Text);
// The type of a file-name extension given without its dot, ignoring letter
// case; UNKNOWN otherwise.
Types FromExtension(const char* Extension);

}  // namespace VXB::MIME

#endif  // VXB_COMMON_MIME_H_
