// The HTTP engine's request reader (request line, headers, form and
// multipart bodies, query) and dispatch, fed through a byte connection. The
// first byte chooses the size of the pieces the bytes arrive in.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vxb/common/http/httpd_api.h"
#include "vxb/common/io/string_driver.h"

namespace {

using namespace VXB::HTTP;

void Echo(httpd* s) {
  httpdSetContentType(s, "text/html");
  for (httpVar* v = s->variables; v != nullptr; v = v->nextVariable) {
    httpdOutput(s, "$");
    httpdPrint(s, v->name.c_str());
    httpdOutput(s, v->value.c_str());
  }
  char buffer[512];
  for (;;) {
    unsigned n = sizeof(buffer);
    if (!httpdRead(s, buffer, n)) break;
    if (n > sizeof(buffer)) __builtin_trap();
  }
}

httpd* Engine() {
  static httpd* engine = [] {
    auto* e = new httpd;
    httpdAddCContent(e, "/", "echo", true, nullptr, Echo);
    httpdAddStaticContent(e, "/", "static.html", false, nullptr, "static ${x} $y");
    httpdAddCWildcardContent(e, "/any", nullptr, Echo);
    e->readTimeout = 1000;
    e->requestDeadline = 1000;
    return e;
  }();
  return engine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  httpd* engine = Engine();
  VXB::Driver::ScriptedConnection connection(
      std::string_view(reinterpret_cast<const char*>(data + 1), size - 1),
      data[0] == 0 ? 1 : data[0] * 64u);
  httpdUseConnection(engine, &connection, "127.0.0.1");
  if (httpdReadRequest(engine) == 0) {
    if (std::strlen(engine->request.path) >= HTTP_MAX_URL || engine->request.path[0] != '/' ||
        std::strstr(engine->request.path, "/../") != nullptr ||
        engine->request.fileUploadLength > HTTP_MAX_FILEUPLOAD_SIZE) {
      __builtin_trap();
    }
    httpdProcessRequest(engine);
  }
  httpdEndRequest(engine);
  return 0;
}
