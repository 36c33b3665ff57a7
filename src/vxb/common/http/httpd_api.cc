// The HTTP engine's public operations: connections, content tree, variables,
// response set-up and output, ready-made answers, dispatch and logs.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "vxb/common/http/httpd_ip_acl.h"
#include "vxb/common/http/httpd_protocol.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace VXB::HTTP {

namespace {

bool HasLineBreak(const char* text, std::size_t length) {
  return std::find_if(text, text + length, [](char c) { return c == '\r' || c == '\n'; }) !=
         text + length;
}

// Copies a one-line header value; refuses CR, LF and over-long texts.
bool SetField(char* field, const char* text, const char* what) {
  if (text == nullptr) text = "";
  const std::size_t n = std::strlen(text);
  if (HasLineBreak(text, n) || n >= HTTP_MAX_HEADERS) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "HTTP %s refused", what);
  }
  std::memcpy(field, text, n + 1);
  return true;
}

httpDir* FindOrMakeDir(httpd* s, const char* dir, bool make) {
  httpDir* current = &s->content;
  const std::string path = dir != nullptr ? dir : "";
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '/') ++i;
    const std::size_t begin = i;
    while (i < path.size() && path[i] != '/') ++i;
    if (i == begin) continue;
    const std::string name = path.substr(begin, i - begin);
    httpDir* child = current->children;
    while (child != nullptr && child->name != name) child = child->next;
    if (child == nullptr) {
      if (!make) return nullptr;
      s->dirStore.push_back(std::make_unique<httpDir>());
      child = s->dirStore.back().get();
      child->name = name;
      child->next = current->children;
      current->children = child;
    }
    current = child;
  }
  return current;
}

httpContent* AddEntry(httpd* s, const char* dir, const char* name, ContentTypes type,
                      bool indexFlag, httpdPreload preload) {
  if (s == nullptr) return nullptr;
  httpDir* d = FindOrMakeDir(s, dir, true);
  s->contentStore.push_back(std::make_unique<httpContent>());
  httpContent* entry = s->contentStore.back().get();
  entry->name = name != nullptr ? name : "";
  entry->type = type;
  entry->indexFlag = indexFlag;
  entry->preload = preload;
  entry->next = d->entries;
  d->entries = entry;
  return entry;
}

// An absolute path is used as it is: one from the root, and on Windows also
// one with a drive (C:\dir or C:/dir) or on a network share (\\host\share).
bool IsAbsolutePath(const char* path) {
  if (path[0] == '/') return true;
#if defined(_WIN32)
  if (path[0] == '\\') return true;
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  if (letter && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return true;
#endif
  return false;
}

std::string FilePath(const httpd* s, const char* path) {
  if (IsAbsolutePath(path)) return path;
  return std::string(s->fileBasePath) + "/" + path;
}

bool WriteAll(httpd* s, const Byte* bytes, unsigned len) {
  if (len == 0) return true;
  if (s->connection == nullptr || !s->connection->OK()) {
    return Error::SetWithContext(Error::SOCK_CONNECTION_CLOSED, "HTTP write without connection");
  }
  const unsigned sent = s->connection->WriteBuffer(bytes, len, s->sendTimeout);
  if (sent != len) {
    Error::Push();
    ProtocolDebugger().Print("Write fail: %s (%s)", Error::GetCurrent().Description,
                             Error::GetCurrent().Context);
    Error::Pop();
    if (s->connection == &s->clientSock) s->clientSock.Close();
    s->connection = nullptr;
    return false;
  }
  return true;
}

constexpr const char* DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct Civil {
  int year, month, day, hour, minute, second, weekday;
};

// Calendar fields of a UTC time, without the C library's locale or time zone.
Civil ToCivil(std::int64_t t) {
  std::int64_t days = t / 86400;
  std::int64_t rem = t % 86400;
  if (rem < 0) {
    rem += 86400;
    --days;
  }
  Civil c{};
  c.hour = static_cast<int>(rem / 3600);
  c.minute = static_cast<int>(rem % 3600 / 60);
  c.second = static_cast<int>(rem % 60);
  c.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  // Days to civil date (proleptic Gregorian).
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  c.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (c.month <= 2 ? 1 : 0));
  return c;
}

void SendCanned(httpd* s, const char* status, const char* title, const char* message) {
  std::string body = "<HTML><HEAD><TITLE>";
  body += title;
  body += "</TITLE></HEAD>\n<BODY><H1>";
  body += message;
  body += "</H1>\n</BODY></HTML>\n";
  httpdSendError(s, status, body.c_str());
}

}  // namespace

httpd::httpd() : requestPtr(new httpReq), request(*requestPtr) {}
httpd::~httpd() = default;

httpd* httpdCreate(const char* /*host*/, unsigned HTTPPort) {
  auto* s = new httpd;
  if (HTTPPort > 0xFFFF || !s->httpSock.Open(static_cast<Network::PORT>(HTTPPort)) ||
      !s->httpSock.Listen()) {
    const Error::ErrInfo info = Error::GetCurrent();
    ApiDebugger().Print("No se pudo abrir puerto http %u: %s (%s)", HTTPPort, info.Description,
                        info.Context);
    delete s;
    Error::Set(info);
    return nullptr;
  }
  s->http_port = s->httpSock.GetLocalPort();
  char name[256];
  if (Network::LocalHostName(name, sizeof(name))) s->gate.ownHostName = name;
  ApiDebugger().Print("Puerto http abierto en %u", s->http_port);
  s->startTime = httpdNow();
  return s;
}

void httpdDestroy(httpd* server) { delete server; }

unsigned httpdGetPort(const httpd* server) { return server->http_port; }

int httpdGetConnection(httpd* s, unsigned Timeout) {
  Network::INADDR address = 0;
  Network::PORT port = 0;
  if (!s->httpSock.Accept(address, port, Timeout, s->clientSock)) return -1;
  s->clientAddr[0] = 0;
  if (address != 0) _httpd_copy(s->clientAddr, HTTP_IP_ADDR_LEN, Network::ToString(address), 16);
  s->connection = &s->clientSock;
  s->readBufRemain = 0;
  s->readBufPtr = s->readBuf;
  s->bodyRemain = 0;
  s->request.hasContentLength = false;
  s->request.hasIdempotencyKey = false;
  s->request.idempotencyKeyTooLong = false;
  _httpd_resetResponse(s);
  ApiDebugger().Print("Connection from %s:%u", s->clientAddr, port);
  if (s->defaultAcl != nullptr && httpdCheckAcl(s, s->defaultAcl) == HTTP_ACL_DENY) {
    httpdEndRequest(s);
    return -2;
  }
  return 1;
}

void httpdUseConnection(httpd* s, Driver::Generic* Connection, const char* ClientAddress) {
  s->connection = Connection;
  _httpd_copy(s->clientAddr, HTTP_IP_ADDR_LEN, ClientAddress != nullptr ? ClientAddress : "",
              ClientAddress != nullptr ? static_cast<unsigned>(std::strlen(ClientAddress)) : 0);
  s->readBufRemain = 0;
  s->readBufPtr = s->readBuf;
  s->bodyRemain = 0;
  s->request.hasContentLength = false;
  s->request.hasIdempotencyKey = false;
  s->request.idempotencyKeyTooLong = false;
  _httpd_resetResponse(s);
}

void _httpd_closeConnection(httpd* s) {
  if (s->connection != &s->clientSock) {
    s->connection = nullptr;
    return;
  }
  if (s->clientSock.IsOpen()) {
    // Unread request bytes would make closing reset the connection, and the
    // client might lose the answer: shut our side, then drain briefly.
    const bool unread = s->readBufRemain > 0 || s->clientSock.Peek() > 0 ||
                        (s->request.hasContentLength && s->bodyRemain > 0);
    if (unread && s->clientSock.ShutdownSend()) {
      const std::uint64_t end = System::MonotonicMilliseconds() + s->lingerTimeout;
      Byte sink[4096];
      for (unsigned total = 0; total < 16 * HTTP_MAX_FILEUPLOAD_SIZE;) {
        const std::uint64_t now = System::MonotonicMilliseconds();
        if (now >= end) break;
        const unsigned n =
            s->clientSock.ReadBuffer(sink, sizeof(sink), static_cast<unsigned>(end - now));
        if (n == 0) break;
        total += n;
      }
    }
  }
  s->clientSock.Close();
  s->connection = nullptr;
}

void httpdEndRequest(httpd* s) {
  httpdFreeVariables(s);
  _httpd_closeConnection(s);
  s->readBufRemain = 0;
  s->readBufPtr = s->readBuf;
  s->bodyRemain = 0;
  std::memset(static_cast<void*>(&s->request), 0, offsetof(httpReq, fileUpload));
}

// --- Content tree.

int httpdAddCContent(httpd* s, const char* dir, const char* name, bool indexFlag,
                     httpdPreload preload, httpdFunction function) {
  if (function == nullptr || name == nullptr) return -1;
  httpContent* e = AddEntry(s, dir, name, HTTP_C_FUNCT, indexFlag, preload);
  if (e == nullptr) return -1;
  e->function = function;
  return 0;
}

int httpdAddCWildcardContent(httpd* s, const char* dir, httpdPreload preload,
                             httpdFunction function) {
  if (function == nullptr) return -1;
  httpContent* e = AddEntry(s, dir, nullptr, HTTP_C_WILDCARD, false, preload);
  if (e == nullptr) return -1;
  e->function = function;
  return 0;
}

int httpdAddFileContent(httpd* s, const char* dir, const char* name, bool indexFlag,
                        httpdPreload preload, const char* path) {
  if (path == nullptr || name == nullptr) return -1;
  httpContent* e = AddEntry(s, dir, name, HTTP_FILE, indexFlag, preload);
  if (e == nullptr) return -1;
  e->path = FilePath(s, path);
  return 0;
}

int httpdAddWildcardContent(httpd* s, const char* dir, httpdPreload preload, const char* path) {
  if (path == nullptr) return -1;
  httpContent* e = AddEntry(s, dir, nullptr, HTTP_WILDCARD, false, preload);
  if (e == nullptr) return -1;
  e->path = FilePath(s, path);
  return 0;
}

int httpdAddStaticContent(httpd* s, const char* dir, const char* name, bool indexFlag,
                          httpdPreload preload, const char* data) {
  if (data == nullptr || name == nullptr) return -1;
  httpContent* e = AddEntry(s, dir, name, HTTP_STATIC, indexFlag, preload);
  if (e == nullptr) return -1;
  e->data = data;
  return 0;
}

void httpdSetFileBase(httpd* s, const char* path) {
  _httpd_copy(s->fileBasePath, HTTP_MAX_URL, path != nullptr ? path : "",
              path != nullptr ? static_cast<unsigned>(std::strlen(path)) : 0);
}

// --- Variables.

int httpdAddVariable(httpd* s, const char* name, const char* value) {
  while (*name == ' ' || *name == '\t') ++name;
  if (s->variableStore.size() >= HTTP_MAX_VARIABLES) {
    ProtocolDebugger().Print("Too many variables; dropped");
    return -1;
  }
  char printable_name[128];
  char printable_value[256];
  ProtocolDebugger().Print("Variable %s=%s",
                           httpdPrintable(name, printable_name, sizeof(printable_name)),
                           httpdPrintable(value, printable_value, sizeof(printable_value)));
  s->variableStore.push_back(std::make_unique<httpVar>());
  httpVar* v = s->variableStore.back().get();
  v->name = name;
  v->value = value;
  httpVar* last = nullptr;
  for (httpVar* cur = s->variables; cur != nullptr; cur = cur->nextVariable) {
    if (cur->name == v->name) {
      while (cur->nextValue != nullptr) cur = cur->nextValue;
      cur->nextValue = v;
      return 0;
    }
    last = cur;
  }
  if (last == nullptr) {
    s->variables = v;
  } else {
    last->nextVariable = v;
  }
  return 0;
}

httpVar* httpdGetVariableByName(httpd* s, const char* name) {
  for (httpVar* v = s->variables; v != nullptr; v = v->nextVariable) {
    if (v->name == name) return v;
  }
  return nullptr;
}

httpVar* httpdGetVariableByPrefix(httpd* s, const char* prefix) {
  if (prefix == nullptr) return s->variables;
  for (httpVar* v = s->variables; v != nullptr; v = v->nextVariable) {
    if (v->name.starts_with(prefix)) return v;
  }
  return nullptr;
}

httpVar* httpdGetVariableByPrefixedName(httpd* s, const char* prefix, const char* name) {
  const std::string full = std::string(prefix != nullptr ? prefix : "") + (name ? name : "");
  return httpdGetVariableByName(s, full.c_str());
}

httpVar* httpdGetNextVariableByPrefix(httpVar* var, const char* prefix) {
  if (var == nullptr) return nullptr;
  for (httpVar* v = var->nextVariable; v != nullptr; v = v->nextVariable) {
    if (prefix == nullptr || v->name.starts_with(prefix)) return v;
  }
  return nullptr;
}

void httpdFreeVariables(httpd* s) {
  s->variables = nullptr;
  s->variableStore.clear();
}

void httpdDumpVariables(httpd* /*server*/) {}

// --- Response.

bool httpdSetResponse(httpd* s, const char* text) {
  if (text == nullptr) return false;
  std::size_t n = std::strlen(text);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r')) --n;
  if (HasLineBreak(text, n) || n + 3 > HTTP_MAX_HEADERS) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "HTTP status refused");
  }
  std::memcpy(s->response.response, text, n);
  std::memcpy(s->response.response + n, "\r\n", 3);
  return true;
}

bool httpdSetContentType(httpd* s, const char* type) {
  return SetField(s->response.contentType, type, "content type");
}

bool httpdSetCharset(httpd* s, const char* charset) {
  if (!SetField(s->response.charset, charset, "charset")) return false;
  if (s->response.charset[0] != 0) {
    ApiDebugger().Print("Set charset [%s]", s->response.charset);
  } else {
    ApiDebugger().Print("No charset");
  }
  return true;
}

bool httpdSetContentDisposition(httpd* s, const char* text) {
  return SetField(s->response.contentDisposition, text, "content disposition");
}

bool httpdAddHeader(httpd* s, const char* line) {
  if (line == nullptr) return false;
  std::size_t n = std::strlen(line);
  while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) --n;
  const std::size_t used = std::strlen(s->response.headers);
  if (n == 0 || HasLineBreak(line, n) || used + n + 3 > HTTP_MAX_HEADERS) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "HTTP header refused");
  }
  std::memcpy(s->response.headers + used, line, n);
  std::memcpy(s->response.headers + used + n, "\r\n", 3);
  return true;
}

bool httpdSetCookie(httpd* s, const char* name, const char* value) {
  const std::string line =
      std::string("Set-Cookie: ") + (name ? name : "") + "=" + (value ? value : "") + "; path=/;";
  return httpdAddHeader(s, line.c_str());
}

int httpdResponseCode(const httpd* s) {
  int code = 0;
  for (const char* p = s->response.response; *p >= '0' && *p <= '9'; ++p)
    code = code * 10 + *p - '0';
  return code;
}

std::int64_t httpdNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

void httpdFormatDate(std::int64_t Time, char* Buffer) {
  const Civil c = ToCivil(Time);
  std::snprintf(Buffer, HTTP_TIME_STRING_LEN, "%s, %02d %s %04d %02d:%02d:%02d GMT",
                DAYS[c.weekday], c.day, MONTHS[c.month - 1], c.year, c.hour, c.minute, c.second);
}

bool _httpd_sendHeaders(httpd* s, std::uint32_t contentLength, std::int64_t modTime) {
  if (s->response.headersSent) return true;
  s->response.headersSent = true;
  char date[HTTP_TIME_STRING_LEN];
  httpdFormatDate(httpdNow(), date);
  std::string h;
  h.reserve(512);
  // The answer names the request's version, so that a client that was sent
  // "HTTP/1.1 100 Continue" does not see the final answer step down to 1.0;
  // every answer closes its connection either way.
  h += s->request.http11 ? "HTTP/1.1 " : "HTTP/1.0 ";
  h += s->response.response;
  h += s->response.headers;
  h += "Date: ";
  h += date;
  h += "\r\nConnection: close\r\nContent-Type: ";
  h += s->response.contentType;
  if (s->response.charset[0] != 0) {
    h += "; charset=";
    h += s->response.charset;
  }
  h += "\r\n";
  if (s->response.contentDisposition[0] != 0) {
    h += "Content-Disposition: ";
    h += s->response.contentDisposition;
    h += "\r\n";
  }
  if (contentLength > 0) {
    httpdFormatDate(modTime != 0 ? modTime : httpdNow(), date);
    h += "Content-Length: " + std::to_string(contentLength) + "\r\nLast-Modified: " + date + "\r\n";
  }
  h += "\r\n";
  return WriteAll(s, reinterpret_cast<const Byte*>(h.data()), static_cast<unsigned>(h.size()));
}

bool httpdSendHeaders(httpd* s) { return _httpd_sendHeaders(s, 0, 0); }

bool _httpd_sendContinue(httpd* s) {
  static constexpr char INTERIM[] = "HTTP/1.1 100 Continue\r\n\r\n";
  return WriteAll(s, reinterpret_cast<const Byte*>(INTERIM), sizeof(INTERIM) - 1);
}

bool _httpd_sendBinary(httpd* s, const Byte* bytes, unsigned len) {
  if (!WriteAll(s, bytes, len)) return false;
  s->response.responseLength += static_cast<int>(len);
  return true;
}

bool _httpd_sendText(httpd* s, const char* text) {
  return _httpd_sendBinary(s, reinterpret_cast<const Byte*>(text),
                           static_cast<unsigned>(std::strlen(text)));
}

bool httpdPrint(httpd* s, const char* text) {
  if (!s->response.headersSent && !httpdSendHeaders(s)) return false;
  return _httpd_sendText(s, text != nullptr ? text : "");
}

bool httpdPrintf(httpd* s, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(s->outBuf, HTTP_MAX_LEN, format, args);
  va_end(args);
  return httpdPrint(s, s->outBuf);
}

bool _httpd_sendValue(httpd* s, const char* value) {
  const bool markup = _httpd_startsWith(s->response.contentType, "text/html") ||
                      _httpd_startsWith(s->response.contentType, "text/xml") ||
                      _httpd_startsWith(s->response.contentType, "application/xhtml");
  if (!markup) return _httpd_sendText(s, value);
  std::string out;
  for (const char* p = value; *p != 0; ++p) {
    switch (*p) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += *p;
    }
  }
  return _httpd_sendText(s, out.c_str());
}

bool httpdOutput(httpd* s, const char* text) {
  if (!s->response.headersSent && !httpdSendHeaders(s)) return false;
  const char* p = text;
  while (*p != 0) {
    const char* dollar = std::strchr(p, '$');
    if (dollar == nullptr) return _httpd_sendText(s, p);
    if (dollar > p && !_httpd_sendBinary(s, reinterpret_cast<const Byte*>(p),
                                         static_cast<unsigned>(dollar - p))) {
      return false;
    }
    const char* name = dollar + 1;
    const char* end = name;
    while (end - name < 80 && (std::isalnum(static_cast<unsigned char>(*end)) || *end == '_')) {
      ++end;
    }
    const httpVar* v =
        end > name ? httpdGetVariableByName(s, std::string(name, end).c_str()) : nullptr;
    if (v != nullptr) {
      if (!_httpd_sendValue(s, v->value.c_str())) return false;
    } else if (!_httpd_sendBinary(s, reinterpret_cast<const Byte*>(dollar),
                                  static_cast<unsigned>(end - dollar))) {
      return false;
    }
    p = end;
  }
  return true;
}

// --- Ready-made answers.

void httpdSendError(httpd* s, const char* status, const char* body) {
  if (s->response.headersSent) return;
  httpdSetResponse(s, status);
  httpdSetContentType(s, "text/html");
  s->response.charset[0] = 0;
  if (body == nullptr) {
    const std::string text = std::string("<HTML><HEAD><TITLE>") + status +
                             "</TITLE></HEAD>\n<BODY><H1>" + status + "</H1>\n</BODY></HTML>\n";
    httpdPrint(s, text.c_str());
  } else {
    httpdPrint(s, body);
  }
}

void httpdSend304(httpd* s) {
  if (s->response.headersSent) return;
  httpdSetResponse(s, "304 Not Modified");
  httpdSendHeaders(s);
}

void httpdSend400(httpd* s) {
  SendCanned(s, "400 Bad Request", "400 Bad Request", "The request could not be understood!");
}

void httpdSend403(httpd* s) {
  SendCanned(s, "403 Permission Denied", "403 Permission Denied",
             "Access to the request URL was denied!");
}

void httpdSend404(httpd* s) {
  char printable[256];
  ApiDebugger().Print("404: %s", httpdPrintable(s->request.path, printable, sizeof(printable)));
  const std::string message = std::string("File does not exist: ") + printable;
  _httpd_writeErrorLog(s, "error", message.c_str());
  SendCanned(s, "404 Not Found", "404 Not Found", "The request URL was not found!");
}

bool httpdAuthenticate(httpd* s, const char* realm) {
  if (s->request.authLength != 0) return true;
  return httpdForceAuthenticate(s, realm);
}

bool httpdForceAuthenticate(httpd* s, const char* realm) {
  s->request.authLength = 0;
  s->request.authUser[0] = 0;
  s->request.authPassword[0] = 0;
  const std::string header =
      std::string("WWW-Authenticate: Basic realm=\"") + (realm != nullptr ? realm : "") + "\"";
  httpdAddHeader(s, header.c_str());
  httpdSetResponse(s, "401 Please Authenticate");
  httpdSetContentType(s, "text/html");
  httpdPrint(s,
             "\n<HTML><HEAD><TITLE>Error</TITLE></HEAD>\n<BODY><H1>401 Clave no "
             "reconocida</H1>\n</BODY></HTML>\n");
  return false;
}

// --- Dispatch.

void httpdProcessRequest(httpd* s) {
  char printable[256];
  s->response.responseLength = 0;
  ApiDebugger().Print("Request path '%s'",
                      httpdPrintable(s->request.path, printable, sizeof(printable)));
  const char* path = s->request.path;
  const char* slash = std::strrchr(path, '/');
  if (slash == nullptr) {
    ApiDebugger().Print("Invalid request path");
    return;
  }
  const std::string dir(path, slash == path ? 1 : static_cast<std::size_t>(slash - path));
  const char* name = slash + 1;
  httpDir* d = FindOrMakeDir(s, dir.c_str(), false);
  httpContent* entry = nullptr;
  if (d != nullptr) {
    for (httpContent* e = d->entries; e != nullptr; e = e->next) {
      if (e->type == HTTP_WILDCARD || e->type == HTTP_C_WILDCARD || (e->indexFlag && *name == 0) ||
          (!e->name.empty() && e->name == name)) {
        entry = e;
        break;
      }
    }
  }
  if (entry == nullptr) {
    httpdSend404(s);
  } else {
    s->response.content = entry;
    if (entry->preload != nullptr && entry->preload(s) < 0) {
      ApiDebugger().Print("%s rejected", httpdPrintable(name, printable, sizeof(printable)));
    } else {
      switch (entry->type) {
        case HTTP_C_FUNCT:
        case HTTP_C_WILDCARD:
          entry->function(s);
          break;
        case HTTP_FILE:
          _httpd_sendFile(s, entry->path.c_str());
          break;
        case HTTP_STATIC:
          _httpd_sendStatic(s, entry->data);
          break;
        case HTTP_WILDCARD:
          _httpd_sendDirectoryEntry(s, entry, name);
          break;
      }
    }
  }
  if (s->accessLog != nullptr) {
    char date[64];
    const Civil c = ToCivil(httpdNow());
    std::snprintf(date, sizeof(date), "%02d/%s/%04d:%02d:%02d:%02d +0000", c.day,
                  MONTHS[c.month - 1], c.year, c.hour, c.minute, c.second);
    std::fprintf(s->accessLog, "%s - - [%s] %s \"%s\" %d %d\n", s->clientAddr, date,
                 httpdRequestMethodName(s), httpdPrintable(path, printable, sizeof(printable)),
                 httpdResponseCode(s), s->response.responseLength);
    std::fflush(s->accessLog);
  }
}

// --- Other.

const char* httpdRequestMethodName(httpd* s) {
  switch (s->request.method) {
    case HTTP_GET:
      return "GET";
    case HTTP_POST:
      return "POST";
    case HTTP_OPTIONS:
      return "OPTIONS";
    default:
      break;
  }
  std::snprintf(s->outBuf, HTTP_MAX_LEN, "Invalid method '%d'",
                static_cast<int>(s->request.method));
  return s->outBuf;
}

std::string httpdUrlEncode(const char* text) {
  static constexpr char HEX[] = "0123456789ABCDEF";
  std::string out;
  for (const char* p = text != nullptr ? text : ""; *p != 0; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (std::isalnum(c) != 0 || std::strchr(" *-./@_", c) != nullptr) {
      out += c == ' ' ? '+' : static_cast<char>(c);
    } else {
      out += '%';
      out += HEX[c >> 4];
      out += HEX[c & 15];
    }
  }
  return out;
}

void httpdSetAccessLog(httpd* s, std::FILE* file) { s->accessLog = file; }
void httpdSetErrorLog(httpd* s, std::FILE* file) { s->errorLog = file; }
void httpdSetDefaultAcl(httpd* s, const httpAcl* acl) { s->defaultAcl = acl; }

void _httpd_writeErrorLog(httpd* s, const char* level, const char* message) {
  if (s->errorLog == nullptr) return;
  char date[64];
  const Civil c = ToCivil(httpdNow());
  std::snprintf(date, sizeof(date), "%s %s %02d %02d:%02d:%02d %04d UTC", DAYS[c.weekday],
                MONTHS[c.month - 1], c.day, c.hour, c.minute, c.second, c.year);
  char printable[512];
  httpdPrintable(message, printable, sizeof(printable));
  if (s->clientAddr[0] != 0) {
    std::fprintf(s->errorLog, "[%s] [%s] [client %s] %s\n", date, level, s->clientAddr, printable);
  } else {
    std::fprintf(s->errorLog, "[%s] [%s] %s\n", date, level, printable);
  }
  std::fflush(s->errorLog);
}

}  // namespace VXB::HTTP
