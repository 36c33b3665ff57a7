// Multipart form bodies: each field becomes a request variable, the first
// uploaded file goes to the request's upload buffer byte for byte.
//
// The body (bounded by its Content-Length, itself bounded before this runs)
// is read whole into the engine's body buffer and split at the boundary
// lines, so that a boundary is never confused with data and nothing is
// dropped silently: a field or a file over its limit refuses the request.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "vxb/common/base/ascii.h"
#include "vxb/common/http/httpd_protocol.h"

namespace VXB::HTTP {

namespace {

struct Part {
  std::string name;
  std::string contentType;
  std::string charset;
  bool isFile = false;
};

std::string_view TrimView(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  return v;
}

std::string Unquote(std::string_view v) {
  v = TrimView(v);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v.substr(0, HTTP_MAX_URL - 1));
}

// Parameters of a header value after its first ";": name=value pairs.
template <typename Fn>
void ForEachParameter(std::string_view value, Fn fn) {
  std::size_t pos = value.find(';');
  while (pos != std::string_view::npos) {
    const std::size_t next = value.find(';', pos + 1);
    const std::string_view item = value.substr(
        pos + 1, next == std::string_view::npos ? std::string_view::npos : next - pos - 1);
    const std::size_t eq = item.find('=');
    if (eq != std::string_view::npos) fn(TrimView(item.substr(0, eq)), item.substr(eq + 1));
    pos = next;
  }
}

bool NameIs(std::string_view name, const char* word) {
  return ASCII::EqualsIgnoringCase(name, word);
}

void ParsePartHeader(std::string_view line, Part& part) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string_view name = TrimView(line.substr(0, colon));
  const std::string_view value = TrimView(line.substr(colon + 1));
  const std::string_view first = TrimView(value.substr(0, value.find(';')));
  if (NameIs(name, "Content-Disposition")) {
    if (!NameIs(first, "form-data")) return;
    ForEachParameter(value, [&](std::string_view n, std::string_view v) {
      if (NameIs(n, "name")) part.name = Unquote(v);
      if (NameIs(n, "filename")) part.isFile = true;
    });
  } else if (NameIs(name, "Content-Type")) {
    part.contentType = std::string(first.substr(0, HTTP_MAX_URL - 1));
    ProtocolDebugger().Print("Content-Type: %s", part.contentType.c_str());
    ForEachParameter(value, [&](std::string_view n, std::string_view v) {
      if (NameIs(n, "charset")) part.charset = Unquote(v);
    });
  }
}

// Where the line starting at pos ends (the LF, or size) and the start of the
// next one.
std::size_t LineEnd(std::string_view body, std::size_t pos, std::size_t& next) {
  const std::size_t lf = body.find('\n', pos);
  if (lf == std::string_view::npos) {
    next = body.size();
    return body.size();
  }
  next = lf + 1;
  return lf > pos && body[lf - 1] == '\r' ? lf - 1 : lf;
}

// The next delimiter line at or after pos: "\n" and the delimiter, followed by
// "--", a line end, blanks or the end of the body (not a longer word that
// merely starts like the boundary). npos when there is none.
std::size_t FindDelimiter(std::string_view body, const std::string& delimiter, std::size_t pos) {
  const std::string needle = "\n" + delimiter;
  for (;;) {
    const std::size_t found = body.find(needle, pos);
    if (found == std::string_view::npos) return found;
    const std::size_t after = found + needle.size();
    if (after >= body.size() || body[after] == '-' || body[after] == '\r' || body[after] == '\n' ||
        body[after] == ' ' || body[after] == '\t') {
      return found;
    }
    pos = found + 1;
  }
}

int Refuse(httpd* s, const char* status, const char* why) {
  ProtocolDebugger().Print("Multipart refused (%s): %s", status, why);
  _httpd_writeErrorLog(s, "error", status);
  httpdSendError(s, status, nullptr);
  return httpdResponseCode(s);
}

}  // namespace

int _httpd_readMultipart(httpd* s) {
  const std::uint32_t length = s->request.contentLength;
  if (!s->multipartBuf) s->multipartBuf = std::make_unique<Byte[]>(HTTP_MAX_MULTIPART_BODY);
  if (!_httpd_readBodyFully(s, s->multipartBuf.get(), length)) return -1;
  const std::string_view body(reinterpret_cast<const char*>(s->multipartBuf.get()), length);
  const std::string delimiter = std::string("--") + s->request.boundary;

  // The first delimiter starts the body or a line.
  std::size_t pos = 0;
  if (body.substr(0, delimiter.size()) != delimiter) {
    const std::size_t found = FindDelimiter(body, delimiter, 0);
    if (found == std::string_view::npos) return Refuse(s, "400 Bad Request", "no boundary");
    pos = found + 1;
  }
  bool have_file = false;
  for (;;) {
    pos += delimiter.size();
    if (body.substr(pos, 2) == "--") break;  // closing delimiter
    std::size_t next;
    LineEnd(body, pos, next);  // rest of the delimiter line (padding)
    if (next >= body.size()) return Refuse(s, "400 Bad Request", "part without headers");
    pos = next;
    Part part;
    for (unsigned count = 0;; ++count) {
      if (pos >= body.size()) return Refuse(s, "400 Bad Request", "part headers not ended");
      const std::size_t end = LineEnd(body, pos, next);
      const std::string_view line = body.substr(pos, end - pos);
      pos = next;
      if (line.empty()) break;
      if (count >= HTTP_MAX_HEADER_LINES) {
        return Refuse(s, "431 Request Header Fields Too Large", "too many part headers");
      }
      ParsePartHeader(line, part);
    }
    // The data runs up to the CRLF (or LF) before the next delimiter.
    const std::size_t found = FindDelimiter(body, delimiter, pos);
    if (found == std::string_view::npos) return Refuse(s, "400 Bad Request", "part not closed");
    std::size_t data_end = found;
    if (data_end > pos && body[data_end - 1] == '\r') --data_end;
    const std::string_view data = body.substr(pos, data_end - pos);
    pos = found + 1;
    if (part.isFile) {
      if (data.size() > HTTP_MAX_FILEUPLOAD_SIZE) {
        return Refuse(s, "413 Payload Too Large", "uploaded file too large");
      }
      if (!have_file) {
        have_file = true;
        std::memcpy(s->request.fileUpload, data.data(), data.size());
        s->request.fileUploadLength = static_cast<std::uint32_t>(data.size());
        _httpd_copy(s->request.fileUploadContentType, HTTP_MAX_URL, part.contentType.data(),
                    static_cast<unsigned>(part.contentType.size()));
        _httpd_copy(s->request.fileUploadCharset, HTTP_MAX_URL, part.charset.data(),
                    static_cast<unsigned>(part.charset.size()));
        ProtocolDebugger().Print("File upload charset '%s'", s->request.fileUploadCharset);
        ProtocolDebugger().Print("Upload, fileLength %u", s->request.fileUploadLength);
      }
      httpdAddVariable(s, part.name.c_str(), "");
    } else {
      if (data.size() >= HTTP_MAX_LEN) return Refuse(s, "413 Payload Too Large", "field too large");
      httpdAddVariable(s, part.name.c_str(), std::string(data).c_str());
    }
  }
  return 0;
}

}  // namespace VXB::HTTP
