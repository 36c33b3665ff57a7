// File, directory and static content of the HTTP engine.
//
// Only regular files are served, and a file is opened before anything is
// sent, so a missing or unreadable file is a clean 404. Text files have their
// "${name}" references filled in as they are sent; their length then differs
// from the file's, so they go out without a Content-Length.
#include <algorithm>
#include <cstring>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/http/httpd_protocol.h"
#include "vxb/common/runtime/file.h"

namespace VXB::HTTP {

namespace {

struct SuffixType {
  const char* suffix;
  const char* type;
};

constexpr SuffixType SUFFIX_TYPES[] = {
    {".gif", "image/gif"},
    {".ico", "image/vnd.microsoft.icon"},
    {".bmp", "image/bmp"},
    {".jpg", "image/jpeg"},
    {".xbm", "image/xbm"},
    {".png", "image/png"},
    {".f", "application/octet-stream"},
    {".css", "text/css"},
    {".pdf", "application/pdf"},
    {".js", "application/javascript"},
};

constexpr unsigned CHUNK = HTTP_MAX_LEN - 1;

void SetTypeFromSuffix(httpd* s, const char* path) {
  const char* dot = std::strrchr(path, '.');
  const char* slash = std::strrchr(path, '/');
  if (dot == nullptr || (slash != nullptr && dot < slash)) return;
  for (const SuffixType& row : SUFFIX_TYPES) {
    if (ASCII::EqualsIgnoringCase(dot, row.suffix)) {
      httpdSetContentType(s, row.type);
      return;
    }
  }
}

// How many bytes at the end of text may start a reference that the next
// chunk completes.
unsigned PendingReference(const char* text, unsigned length) {
  const unsigned window = std::min(length, HTTP_MAX_VAR_NAME_LEN + 2);
  for (unsigned i = length - window; i < length; ++i) {
    if (text[i] != '$') continue;
    const char* close = static_cast<const char*>(std::memchr(text + i, '}', length - i));
    if (close == nullptr && (i + 1 == length || text[i + 1] == '{')) return length - i;
  }
  return 0;
}

}  // namespace

bool _httpd_sendExpandedText(httpd* s, const char* text, unsigned length, unsigned& written) {
  written = 0;
  const int before = s->response.responseLength;
  unsigned i = 0;
  unsigned plain = 0;  // start of the text not yet written
  auto flush = [&](unsigned end) {
    const bool ok = end <= plain ||
                    _httpd_sendBinary(s, reinterpret_cast<const Byte*>(text + plain), end - plain);
    plain = end;
    return ok;
  };
  while (i < length) {
    if (text[i] != '$' || i + 1 >= length || text[i + 1] != '{') {
      ++i;
      continue;
    }
    unsigned end = i + 2;
    while (end < length && end - (i + 2) <= HTTP_MAX_VAR_NAME_LEN && text[end] != '}') ++end;
    const unsigned name_length = end - (i + 2);
    if (end >= length || text[end] != '}' || name_length == 0 ||
        name_length > HTTP_MAX_VAR_NAME_LEN) {
      ++i;  // not a reference: the dollar sign stays
      continue;
    }
    if (!flush(i)) return false;
    const std::string name(text + i + 2, name_length);
    const httpVar* v = httpdGetVariableByName(s, name.c_str());
    if (v != nullptr && !_httpd_sendValue(s, v->value.c_str())) return false;
    i = end + 1;
    plain = i;
  }
  if (!flush(length)) return false;
  written = static_cast<unsigned>(s->response.responseLength - before);
  return true;
}

void _httpd_sendFile(httpd* s, const char* path) {
  SetTypeFromSuffix(s, path);
  File file;
  file.SetQuiet(true);
  if (!file.open(FileSystem::PRIMARY, path, FileSystem::READ_ONLY) || !file.is_regular()) {
    httpdSend404(s);
    return;
  }
  std::int64_t mod_time = s->startTime;
  const std::int64_t nanoseconds = file.modtime();
  if (nanoseconds > 0) {
    mod_time = nanoseconds / 1000000000;
    char date[HTTP_TIME_STRING_LEN];
    httpdFormatDate(mod_time, date);
    if (std::strcmp(date, s->request.ifModified) == 0) {
      httpdSend304(s);
      return;
    }
  }
  const bool text = _httpd_startsWith(s->response.contentType, "text/");
  const std::int64_t size = file.filesize();
  const auto announced =
      text || size <= 0 || size > 0xFFFFFFFF ? 0u : static_cast<std::uint32_t>(size);
  if (!_httpd_sendHeaders(s, announced, mod_time)) return;
  char buffer[CHUNK + HTTP_MAX_VAR_NAME_LEN + 3];
  unsigned carried = 0;
  for (;;) {
    unsigned n = CHUNK;
    if (!file.read(buffer + carried, n) || n == 0) break;
    unsigned length = carried + n;
    if (!text) {
      if (!_httpd_sendBinary(s, reinterpret_cast<const Byte*>(buffer), length)) return;
      continue;
    }
    carried = PendingReference(buffer, length);
    unsigned written;
    if (!_httpd_sendExpandedText(s, buffer, length - carried, written)) return;
    std::memmove(buffer, buffer + length - carried, carried);
  }
  unsigned written;
  if (carried > 0) _httpd_sendExpandedText(s, buffer, carried, written);
}

void _httpd_sendDirectoryEntry(httpd* s, httpContent* entry, const char* name) {
  if (*name == 0 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
      std::strpbrk(name, "\\:") != nullptr) {
    httpdSend404(s);
    return;
  }
  const std::string path = entry->path + "/" + name;
  _httpd_sendFile(s, path.c_str());
}

void _httpd_sendStatic(httpd* s, const char* data) {
  char date[HTTP_TIME_STRING_LEN];
  httpdFormatDate(s->startTime, date);
  if (std::strcmp(date, s->request.ifModified) == 0) {
    httpdSend304(s);
    return;
  }
  // Text with references changes length as it is filled in.
  const bool expands = std::strchr(data, '$') != nullptr;
  const auto length = static_cast<std::uint32_t>(std::strlen(data));
  if (!_httpd_sendHeaders(s, expands ? 0 : length, s->startTime)) return;
  if (expands) {
    httpdOutput(s, data);
  } else {
    _httpd_sendBinary(s, reinterpret_cast<const Byte*>(data), length);
  }
}

}  // namespace VXB::HTTP
