// The HTTP/1.0 engine under the HTTP server object: one listening socket,
// one connection at a time, one request per connection ("Connection: close").
//
// A connection goes through httpdGetConnection (accept and address check),
// httpdReadRequest (request line, headers, variables from cookies, form or
// multipart body and query), httpdProcessRequest (dispatch to a content
// entry) and httpdEndRequest (variables freed, connection closed). A request
// that cannot be accepted as it stands is answered by httpdReadRequest with
// its status (400, 413, 414, 431, 501) and refused with -1.
//
// Every read of a request has two limits: each receive waits at most
// readTimeout ms, and the head, then the body, must each arrive within
// requestDeadline ms. The stop flag, when set, is seen within a fraction of a
// second while reading. The body is never read past its Content-Length.
//
// Output: the first write of a handler sends the status line and headers
// (CRLF line ends, no Content-Length for handler output); the answer ends
// when the connection is closed.
//
// Thread safety: an engine is driven by one thread at a time. Engines are
// independent: no state is shared between two of them.
#ifndef VXB_COMMON_HTTPD_API_H_
#define VXB_COMMON_HTTPD_API_H_

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"
#include "vxb/common/io/network.h"

namespace VXB::HTTP {

// Limits.
inline constexpr unsigned HTTP_MAX_LEN = 10240;     // line buffer, form body, output buffer
inline constexpr unsigned HTTP_MAX_URL = 1024;      // request target and request text fields
inline constexpr unsigned HTTP_MAX_HEADERS = 1024;  // each response text field
inline constexpr unsigned HTTP_MAX_AUTH = 128;      // user name and password
inline constexpr unsigned HTTP_IP_ADDR_LEN = 17;
inline constexpr unsigned HTTP_TIME_STRING_LEN = 40;
inline constexpr unsigned HTTP_READ_BUF_LEN = 8192;
inline constexpr unsigned HTTP_MAX_VAR_NAME_LEN = 48;
inline constexpr unsigned HTTP_MAX_FILEUPLOAD_SIZE = 102400;
inline constexpr unsigned HTTP_MAX_HEADER_LINES = 100;  // header lines after the request line
inline constexpr unsigned HTTP_MAX_BOUNDARY = 70;       // multipart boundary
inline constexpr unsigned HTTP_MAX_VARIABLES = 1000;    // variables of one request
inline constexpr unsigned HTTP_MAX_VARIABLE_NAME = 99;
// A whole multipart body: the upload plus room for its fields and framing.
inline constexpr unsigned HTTP_MAX_MULTIPART_BODY = HTTP_MAX_FILEUPLOAD_SIZE + 4 * HTTP_MAX_LEN;
inline constexpr unsigned TIMEOUT_READ = 10000;  // ms per receive, and per head or body
inline constexpr unsigned TIMEOUT_SEND = 5000;   // ms per send
// At most this long (ms) is spent draining an unread body at the end of a
// connection, so that closing does not reset the answer before it is read.
inline constexpr unsigned TIMEOUT_LINGER = 1000;
// Longest Host and Origin values taken: a DNS name (253) with scheme, brackets
// and port fits; anything longer is refused as malformed.
inline constexpr unsigned HTTP_MAX_HOST = 300;

enum Methods : unsigned { NO_METHOD_YET = 0, HTTP_GET = 1, HTTP_POST = 2, HTTP_OPTIONS = 3 };

// Entry types of the content tree.
enum ContentTypes : unsigned {
  HTTP_FILE = 1,
  HTTP_C_FUNCT = 2,
  HTTP_STATIC = 4,
  HTTP_WILDCARD = 5,
  HTTP_C_WILDCARD = 6,
};

struct httpd;
using httpdFunction = void (*)(httpd* server);
// A check run before an entry is served; negative rejects the request.
using httpdPreload = int (*)(httpd* server);

// One request variable: a name and its values in arrival order.
struct httpVar {
  std::string name;
  std::string value;
  httpVar* nextValue = nullptr;     // further values of the same name
  httpVar* nextVariable = nullptr;  // next name
};

struct httpContent {
  std::string name;  // empty for wildcards
  ContentTypes type = HTTP_C_FUNCT;
  bool indexFlag = false;
  httpdFunction function = nullptr;
  const char* data = nullptr;  // static text, not owned
  std::string path;            // file or directory
  httpdPreload preload = nullptr;
  httpContent* next = nullptr;
};

struct httpDir {
  std::string name;
  httpDir* children = nullptr;
  httpDir* next = nullptr;
  httpContent* entries = nullptr;
};

// One client address rule (see httpd_ip_acl.h).
struct httpAcl {
  std::uint32_t addr = 0;  // first octet in the highest byte
  unsigned len = 32;       // prefix length 0..32
  int action = 0;          // HTTP_ACL_PERMIT or HTTP_ACL_DENY
  httpAcl* next = nullptr;
};

struct httpReq {
  std::uint32_t contentLength = 0;
  bool hasContentLength = false;
  std::uint32_t authLength = 0;
  std::uint32_t fileUploadLength = 0;
  Methods method = NO_METHOD_YET;
  char path[HTTP_MAX_URL] = {};
  char host[HTTP_MAX_URL] = {};
  char referer[HTTP_MAX_URL] = {};
  char ifModified[HTTP_MAX_URL] = {};
  char contentType[HTTP_MAX_URL] = {};
  char fileUploadContentType[HTTP_MAX_URL] = {};
  char charset[HTTP_MAX_URL] = {};
  char fileUploadCharset[HTTP_MAX_URL] = {};
  char boundary[HTTP_MAX_URL] = {};
  // The Idempotency-Key header: whether it came, its value (when it fits)
  // and whether it was too long to keep.
  bool hasIdempotencyKey = false;
  bool idempotencyKeyTooLong = false;
  char idempotencyKey[HTTP_MAX_URL] = {};
  char authUser[HTTP_MAX_AUTH] = {};
  char authPassword[HTTP_MAX_AUTH] = {};
  char origin[HTTP_MAX_HOST + 1] = {};
  unsigned hostCount = 0;    // Host headers seen
  unsigned originCount = 0;  // Origin headers seen
  bool http11 = false;       // the request line named HTTP/1.1 or later
  bool expectContinue = false;
  bool expectOther = false;        // an expectation this engine does not meet
  bool askPrivateNetwork = false;  // a preflight asking for private network access
  Byte fileUpload[HTTP_MAX_FILEUPLOAD_SIZE] = {};
};

// Who may address the server and which web origins may use it. Checked when
// a request's head is complete, before its body is read (see
// httpd_gate.h).
struct httpGate {
  // Host names accepted besides IP literals and "localhost": the machine's
  // own name and the configured ones, in lower case.
  std::string ownHostName;
  std::vector<std::string> allowedHosts;
  // Cross-origin access: off unless origins are configured. anyOrigin
  // accepts every origin ("*").
  bool corsEnabled = false;
  bool anyOrigin = false;
  std::vector<std::string> allowedOrigins;
  // Answer headers a listed origin's script may read ("Access-Control-
  // Expose-Headers"); empty for none.
  std::string exposeHeaders;
  // What a listed origin's preflight is told it may send.
  std::string allowMethods = "POST";
  std::string allowHeaders = "Content-Type";
  unsigned maxAge = 600;  // seconds a browser may keep a preflight's answer
};

// Connections and requests turned away at the door since the engine was
// made. Counted on the engine's thread; read from any thread.
struct httpRefusals {
  std::atomic<std::uint64_t> foreignHost{0};    // 421: a Host not served here
  std::atomic<std::uint64_t> foreignOrigin{0};  // 403: an Origin not allowed
  std::atomic<std::uint64_t> deniedClient{0};   // 403: the client address rules
  std::atomic<std::uint64_t> overCapacity{0};   // 503: beyond the connection cap
};

struct httpRes {
  int responseLength = 0;
  httpContent* content = nullptr;
  bool headersSent = false;
  char headers[HTTP_MAX_HEADERS] = {};
  char response[HTTP_MAX_HEADERS] = {};
  char contentType[HTTP_MAX_HEADERS] = {};
  char charset[HTTP_MAX_HEADERS] = {};
  char contentDisposition[HTTP_MAX_HEADERS] = {};
};

struct httpd {
  httpd();
  ~httpd();
  httpd(const httpd&) = delete;
  httpd& operator=(const httpd&) = delete;

  StreamSocket httpSock;
  StreamSocket clientSock;
  unsigned http_port = 0;
  // The connection requests are read from and answers written to: the
  // accepted socket, or any other byte driver (tests, fuzzing).
  Driver::Generic* connection = nullptr;
  bool viaHTTPS = false;  // never true: this engine serves plain HTTP only
  std::int64_t startTime = 0;
  char clientAddr[HTTP_IP_ADDR_LEN] = {};
  char fileBasePath[HTTP_MAX_URL] = {};
  Byte readBuf[HTTP_READ_BUF_LEN + 1] = {};
  unsigned readBufRemain = 0;
  Byte* readBufPtr = readBuf;
  // Body bytes not yet consumed (from the buffer or the connection); only
  // meaningful when the request has a Content-Length.
  std::uint32_t bodyRemain = 0;
  // Deadline (monotonic ms) of the head or body being read; 0 for none.
  std::uint64_t deadline = 0;
  unsigned readTimeout = TIMEOUT_READ;
  unsigned requestDeadline = TIMEOUT_READ;
  unsigned sendTimeout = TIMEOUT_SEND;
  unsigned lingerTimeout = TIMEOUT_LINGER;
  // Set while a request whose head was already judged is read again: its
  // "100 Continue" has gone out then.
  bool skipContinue = false;
  // Set by another thread to end waits and reads early; not owned.
  const std::atomic<bool>* stopFlag = nullptr;
  std::unique_ptr<httpReq> requestPtr;
  httpReq& request;
  httpRes response;
  httpVar* variables = nullptr;
  std::vector<std::unique_ptr<httpVar>> variableStore;
  httpDir content;
  std::vector<std::unique_ptr<httpDir>> dirStore;
  std::vector<std::unique_ptr<httpContent>> contentStore;
  const httpAcl* defaultAcl = nullptr;
  httpGate gate;
  httpRefusals refusals;
  std::FILE* accessLog = nullptr;  // not owned
  std::FILE* errorLog = nullptr;   // not owned
  // Scratch buffers, kept here so that no request allocates them.
  char lineBuf[HTTP_MAX_LEN] = {};
  char outBuf[HTTP_MAX_LEN] = {};
  std::unique_ptr<Byte[]> multipartBuf;
  // The object that drives this engine (the HTTP server), for callbacks.
  void* owner = nullptr;
};

// Server set-up and connection cycle.
// Opens Port on every local address (0: a free port; see httpdGetPort).
// Null, with the reason printed and in the error record, on failure.
httpd* httpdCreate(const char* host, unsigned HTTPPort);
void httpdDestroy(httpd* server);
unsigned httpdGetPort(const httpd* server);
// 1: connection ready; -1: none within Timeout or accept error; -2: refused
// by the address rules (answered with 403).
int httpdGetConnection(httpd* server, unsigned Timeout);
// Makes Connection the current connection (tests, fuzzing), as if accepted
// from ClientAddress.
void httpdUseConnection(httpd* server, Driver::Generic* Connection, const char* ClientAddress);
// 0: ready to process; -1: refused (already answered when it could be) or
// unreadable; the caller ends the request.
int httpdReadRequest(httpd* server);
// The request line and head only, judged (see httpd_gate.h): 0 when the
// request may go on, -1 as httpdReadRequest. The body is left unread.
int httpdReadHead(httpd* server);
void httpdProcessRequest(httpd* server);
void httpdEndRequest(httpd* server);

// Content tree. Directory names are split at "/"; missing ones are made.
// 0, or -1 for an unusable argument.
int httpdAddCContent(httpd* server, const char* dir, const char* name, bool indexFlag,
                     httpdPreload preload, httpdFunction function);
int httpdAddCWildcardContent(httpd* server, const char* dir, httpdPreload preload,
                             httpdFunction function);
int httpdAddFileContent(httpd* server, const char* dir, const char* name, bool indexFlag,
                        httpdPreload preload, const char* path);
int httpdAddWildcardContent(httpd* server, const char* dir, httpdPreload preload, const char* path);
int httpdAddStaticContent(httpd* server, const char* dir, const char* name, bool indexFlag,
                          httpdPreload preload, const char* data);
void httpdSetFileBase(httpd* server, const char* path);

// Variables.
int httpdAddVariable(httpd* server, const char* name, const char* value);
httpVar* httpdGetVariableByName(httpd* server, const char* name);
httpVar* httpdGetVariableByPrefix(httpd* server, const char* prefix);
httpVar* httpdGetVariableByPrefixedName(httpd* server, const char* prefix, const char* name);
httpVar* httpdGetNextVariableByPrefix(httpVar* var, const char* prefix);
void httpdFreeVariables(httpd* server);
void httpdDumpVariables(httpd* server);

// Response set-up, before the first output. Texts holding CR or LF (other
// than the line end of httpdSetResponse and httpdAddHeader) are refused:
// false, nothing changed.
bool httpdSetResponse(httpd* server, const char* text);
bool httpdSetContentType(httpd* server, const char* type);
bool httpdSetCharset(httpd* server, const char* charset);
bool httpdSetContentDisposition(httpd* server, const char* text);
bool httpdAddHeader(httpd* server, const char* line);
bool httpdSetCookie(httpd* server, const char* name, const char* value);
bool httpdSendHeaders(httpd* server);
// The status code at the start of response.response (200 by default).
int httpdResponseCode(const httpd* server);

// Output: the headers go out first when not yet sent. False when the
// connection failed.
bool httpdPrintf(httpd* server, const char* format, ...) VXB_PRINTF_FORMAT(2, 3);
bool httpdPrint(httpd* server, const char* text);
// Writes text with "$name" replaced by the variable's value, entity-encoded
// when the answer is HTML or XML.
bool httpdOutput(httpd* server, const char* text);
bool _httpd_sendBinary(httpd* server, const Byte* bytes, unsigned len);
bool _httpd_sendText(httpd* server, const char* text);
bool _httpd_sendHeaders(httpd* server, std::uint32_t contentLength, std::int64_t modTime);

// Reads up to size body bytes (never past the Content-Length); size becomes
// the count delivered. False with size 0 when nothing more comes.
bool httpdRead(httpd* server, char* buffer, unsigned& size);

// Ready-made answers.
void httpdSend304(httpd* server);
void httpdSend400(httpd* server);
void httpdSend403(httpd* server);
void httpdSend404(httpd* server);
void httpdSendError(httpd* server, const char* status, const char* body);

// Authentication.
bool httpdAuthenticate(httpd* server, const char* realm);
bool httpdForceAuthenticate(httpd* server, const char* realm);

// Other.
const char* httpdRequestMethodName(httpd* server);
std::string httpdUrlEncode(const char* text);
void httpdSetAccessLog(httpd* server, std::FILE* file);
void httpdSetErrorLog(httpd* server, std::FILE* file);
void httpdSetDefaultAcl(httpd* server, const httpAcl* acl);
void _httpd_writeErrorLog(httpd* server, const char* level, const char* message);

// The HTTP date of Time (seconds since 1970) in UTC with English names:
// "Sun, 06 Nov 1994 08:49:37 GMT". Buffer holds HTTP_TIME_STRING_LEN bytes.
void httpdFormatDate(std::int64_t Time, char* Buffer);
// Seconds since 1970 now.
std::int64_t httpdNow();

// Sanitises a request path in place: the query must already be cut off.
// Empty and "." segments are dropped, ".." removes the previous segment and
// never climbs above the root; a trailing "/" is kept.
void httpdSanitisePath(char* path);
// Decodes form data ("a=1&b=x+y%21") into variables.
void httpdStoreFormData(httpd* server, const char* text, unsigned length);
// Copies Text with bytes that could forge a line or a field of a log
// (controls, quotes, backslash, bytes above 126) as \xHH; cut to Size - 1.
const char* httpdPrintable(const char* Text, char* Buffer, unsigned Size);

}  // namespace VXB::HTTP

#endif  // VXB_COMMON_HTTPD_API_H_
