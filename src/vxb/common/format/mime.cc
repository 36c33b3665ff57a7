#include "vxb/common/format/mime.h"

#include "vxb/common/base/ascii.h"

namespace VXB::MIME {

namespace {

struct Extension {
  const char* Text;
  Types Type;
};

constexpr Extension EXTENSIONS[] = {
    {"jpeg", JPG},  {"jpg", JPG},       {"gif", GIF}, {"bmp", BMP},   {"xml", XML},
    {"json", JSON}, {"ico", ICO},       {"zip", ZIP}, {"txt", ASCII}, {"html", HTML},
    {"htm", HTML},  {"js", JAVASCRIPT}, {"pem", PEM}, {"css", CSS},
};

}  // namespace

const Representation Representations[RepresentationsSize] = {
    {UNKNOWN, "unknown"},
    {BINARY, "application/octet-stream"},
    {JPG, "image/jpeg"},
    {PNG, "image/png"},
    {GIF, "image/gif"},
    {ICO, "image/vnd.microsoft.icon"},
    {BMP, "image/bmp"},
    {XML, "text/xml"},
    {JSON, "application/json"},
    {ZIP, "application/zip"},
    {ASCII, "text/plain"},
    {HTML, "text/html"},
    {PEM, "application/x-pem-file"},
    {JAVASCRIPT, "application/javascript"},
    {FORM, "application/x-www-form-urlencoded"},
    {CSS, "text/css"},
};

void Init() {}

const char* ToString(Types Type) {
  for (const Representation& r : Representations) {
    if (r.Type == Type) return r.String;
  }
  return "unknown";
}

Types FromString(const char* Text) {
  if (Text == nullptr) return UNKNOWN;
  for (const Representation& r : Representations) {
    if (ASCII::EqualsIgnoringCase(Text, r.String)) return r.Type;
  }
  return UNKNOWN;
}

Types FromExtension(const char* Text) {
  if (Text == nullptr) return UNKNOWN;
  for (const Extension& e : EXTENSIONS) {
    if (ASCII::EqualsIgnoringCase(Text, e.Text)) return e.Type;
  }
  return UNKNOWN;
}

}  // namespace VXB::MIME
