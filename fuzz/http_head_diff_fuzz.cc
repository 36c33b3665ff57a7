// Differential check of the HTTP engine's request head against the
// http-parser library: where both accept a GET or POST head with an origin
// target, they must agree on the method, the target, Content-Length,
// Content-Type and where the head ends.
#include <http_parser.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/http/httpd_api.h"
#include "vxb/common/io/string_driver.h"

namespace {

using namespace VXB::HTTP;

struct Oracle {
  std::string url;
  std::string field;
  std::string value;
  std::string contentType;
  bool inContentType = false;
  bool transferEncoding = false;
  bool complete = false;
};

std::string Trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

void EndField(Oracle* o) {
  if (o->field.empty()) return;
  if (VXB::ASCII::EqualsIgnoringCase(o->field, "Content-Type")) o->contentType = o->value;
  if (VXB::ASCII::EqualsIgnoringCase(o->field, "Transfer-Encoding")) o->transferEncoding = true;
  o->field.clear();
  o->value.clear();
}

int OnUrl(http_parser* p, const char* at, std::size_t n) {
  static_cast<Oracle*>(p->data)->url.append(at, n);
  return 0;
}

int OnField(http_parser* p, const char* at, std::size_t n) {
  auto* o = static_cast<Oracle*>(p->data);
  if (!o->value.empty() || o->inContentType) {
    EndField(o);
    o->inContentType = false;
  }
  o->field.append(at, n);
  return 0;
}

int OnValue(http_parser* p, const char* at, std::size_t n) {
  auto* o = static_cast<Oracle*>(p->data);
  o->inContentType = true;
  o->value.append(at, n);
  return 0;
}

int OnHeadersComplete(http_parser* p) {
  auto* o = static_cast<Oracle*>(p->data);
  EndField(o);
  o->complete = true;
  // Pausing makes the parser return at the head's last byte, which it
  // does not count: the head ends one byte after what it returns.
  http_parser_pause(p, 1);
  return 0;
}

void Fail(const char* what, const std::string& ours, const std::string& theirs) {
  std::fprintf(stderr, "disagree on %s: ours [%s] http-parser [%s]\n", what, ours.c_str(),
               theirs.c_str());
  __builtin_trap();
}

bool Plain(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 33 || c > 126) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static httpd* engine = [] {
    auto* e = new httpd;
    e->readTimeout = 1000;
    e->requestDeadline = 1000;
    return e;
  }();

  Oracle oracle;
  http_parser_settings settings;
  http_parser_settings_init(&settings);
  settings.on_url = OnUrl;
  settings.on_header_field = OnField;
  settings.on_header_value = OnValue;
  settings.on_headers_complete = OnHeadersComplete;
  http_parser parser;
  http_parser_init(&parser, HTTP_REQUEST);
  parser.data = &oracle;
  const std::size_t parsed =
      http_parser_execute(&parser, &settings, reinterpret_cast<const char*>(data), size);
  const bool accepted = oracle.complete && (HTTP_PARSER_ERRNO(&parser) == HPE_OK ||
                                            HTTP_PARSER_ERRNO(&parser) == HPE_PAUSED);

  VXB::Driver::ScriptedConnection connection(
      std::string_view(reinterpret_cast<const char*>(data), size), 4096);
  httpdUseConnection(engine, &connection, "127.0.0.1");
  const int result = httpdReadRequest(engine);
  const std::size_t our_end = connection.Consumed() - engine->readBufRemain;
  const bool form_or_multipart =
      VXB::ASCII::EqualsIgnoringCase(std::string(engine->request.contentType).substr(0, 19),
                                     "multipart/form-data") ||
      VXB::ASCII::EqualsIgnoringCase(std::string(engine->request.contentType).substr(0, 33),
                                     "application/x-www-form-urlencoded");

  // HTTP/0.9 requests (no version, no headers) are not compared: the
  // engine always reads headers.
  const bool comparable = accepted && parser.http_major == 1 &&
                          (parser.method == ::HTTP_GET || parser.method == ::HTTP_POST) &&
                          !oracle.url.empty() && oracle.url[0] == '/' && Plain(oracle.url) &&
                          oracle.url.size() < HTTP_MAX_URL && !oracle.transferEncoding &&
                          parsed < HTTP_MAX_LEN * 4;
  if (comparable && result == 0) {
    const Methods method = parser.method == ::HTTP_GET ? VXB::HTTP::HTTP_GET : VXB::HTTP::HTTP_POST;
    if (engine->request.method != method) Fail("method", httpdRequestMethodName(engine), "");
    // Our path is sanitised and without the query: do the same to theirs.
    char path[HTTP_MAX_URL];
    std::snprintf(path, sizeof(path), "%s", oracle.url.substr(0, oracle.url.find('?')).c_str());
    httpdSanitisePath(path);
    if (std::strcmp(path, engine->request.path) != 0) Fail("target", engine->request.path, path);
    const bool has_length = (parser.flags & F_CONTENTLENGTH) != 0;
    if (has_length != engine->request.hasContentLength ||
        (has_length && parser.content_length != engine->request.contentLength)) {
      Fail("Content-Length", std::to_string(engine->request.contentLength),
           std::to_string(parser.content_length));
    }
    const std::string type = Trim(oracle.contentType.substr(0, oracle.contentType.find(';')));
    if (type != engine->request.contentType)
      Fail("Content-Type", engine->request.contentType, type);
    if (!(form_or_multipart && engine->request.contentLength != 0) && our_end != parsed + 1) {
      Fail("end of head", std::to_string(our_end), std::to_string(parsed + 1));
    }
  }
  httpdEndRequest(engine);
  return 0;
}
