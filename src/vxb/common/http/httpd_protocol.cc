// Reading one request: the receive path, the request line and headers, the
// path sanitiser and form data.
#include "vxb/common/http/httpd_protocol.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/http/httpd_gate.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"

namespace VXB::HTTP {

namespace {

// While a stop may be asked, no single wait is longer than this (ms).
constexpr unsigned STOP_POLL = 100;

bool Stopping(const httpd* s) { return s->stopFlag != nullptr && s->stopFlag->load(); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// [begin, end) with blanks trimmed on both sides.
void Trim(const char*& begin, const char*& end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EqualsNoCase(const char* begin, const char* end, const char* word) {
  return ASCII::EqualsIgnoringCase(std::string_view(begin, static_cast<std::size_t>(end - begin)),
                                   word);
}

// RFC 4648 Base64 with the standard alphabet; leading blanks skipped,
// decoding stops at the first byte outside the alphabet.
unsigned DecodeBase64(const char* text, char* out, unsigned size) {
  while (IsBlank(*text)) ++text;
  unsigned n = 0;
  unsigned bits = 0;
  int pending = 0;
  for (; *text != 0; ++text) {
    const char c = *text;
    int v;
    if (c >= 'A' && c <= 'Z') {
      v = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      v = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      v = c - '0' + 52;
    } else if (c == '+') {
      v = 62;
    } else if (c == '/') {
      v = 63;
    } else {
      break;
    }
    bits = (bits << 6) | static_cast<unsigned>(v);
    pending += 6;
    if (pending >= 8) {
      pending -= 8;
      if (n + 1 >= size) break;
      out[n++] = static_cast<char>((bits >> pending) & 0xFF);
    }
  }
  out[n] = 0;
  return n;
}

// Refusal statuses of a request head.
constexpr const char* STATUS_400 = "400 Bad Request";
constexpr const char* STATUS_413 = "413 Payload Too Large";
constexpr const char* STATUS_414 = "414 URI Too Long";
constexpr const char* STATUS_431 = "431 Request Header Fields Too Large";
constexpr const char* STATUS_501 = "501 Not Implemented";

int Refuse(httpd* s, const char* status, const char* why) { return _httpd_refuse(s, status, why); }

// Printable ASCII without blanks, at most max bytes: the only form a Host
// or Origin value is taken in.
bool IsPlainToken(const char* begin, const char* end, unsigned max) {
  return static_cast<unsigned>(end - begin) <= max &&
         std::all_of(begin, end, [](char c) { return c > 32 && c < 127; });
}

// What the headers of one request said, before it is judged.
struct HeadState {
  const char* refusal = nullptr;  // status to refuse with, first reason wins
  const char* why = "";
  bool transferEncoding = false;
  unsigned boundaryLength = 0;

  void Refuse(const char* status, const char* reason) {
    if (refusal == nullptr) {
      refusal = status;
      why = reason;
    }
  }
};

void ParseCookies(httpd* s, const char* begin, const char* end) {
  while (begin < end) {
    const char* stop = std::find(begin, end, ';');
    const char* eq = std::find(begin, stop, '=');
    if (eq != stop) {
      const char* nb = begin;
      const char* ne = eq;
      Trim(nb, ne);
      const char* vb = eq + 1;
      const char* ve = stop;
      Trim(vb, ve);
      if (nb < ne) {
        httpdAddVariable(s, std::string(nb, ne).c_str(), std::string(vb, ve).c_str());
      }
    }
    begin = stop == end ? end : stop + 1;
  }
}

void ParseContentType(httpd* s, HeadState& head, const char* begin, const char* end) {
  const char* semicolon = std::find(begin, end, ';');
  const char* tb = begin;
  const char* te = semicolon;
  Trim(tb, te);
  _httpd_copy(s->request.contentType, HTTP_MAX_URL, tb, static_cast<unsigned>(te - tb));
  s->request.charset[0] = 0;
  s->request.boundary[0] = 0;
  head.boundaryLength = 0;
  const char* p = semicolon;
  while (p < end) {
    const char* pb = p + 1;
    const char* pe = std::find(pb, end, ';');
    const char* eq = std::find(pb, pe, '=');
    p = pe;
    if (eq == pe) continue;  // a parameter without a value says nothing
    const char* nb = pb;
    const char* ne = eq;
    Trim(nb, ne);
    const char* vb = eq + 1;
    const char* ve = pe;
    Trim(vb, ve);
    if (ve - vb >= 2 && *vb == '"' && ve[-1] == '"') {
      ++vb;
      --ve;
    }
    const unsigned length = static_cast<unsigned>(ve - vb);
    if (EqualsNoCase(nb, ne, "charset")) {
      _httpd_copy(s->request.charset, HTTP_MAX_URL, vb, length);
      ProtocolDebugger().Print("Got charset '%s'", s->request.charset);
    } else if (EqualsNoCase(nb, ne, "boundary")) {
      _httpd_copy(s->request.boundary, HTTP_MAX_URL, vb, length);
      head.boundaryLength = length;
    }
  }
  ProtocolDebugger().Print("Content-Type: %s", s->request.contentType);
}

void ParseContentLength(httpd* s, HeadState& head, const char* begin, const char* end) {
  if (begin == end) return head.Refuse(STATUS_400, "empty Content-Length");
  std::uint64_t value = 0;
  for (const char* p = begin; p < end; ++p) {
    if (*p < '0' || *p > '9') return head.Refuse(STATUS_400, "Content-Length not a number");
    value = value * 10 + static_cast<unsigned>(*p - '0');
    if (value > 0xFFFFFFFFu) return head.Refuse(STATUS_413, "Content-Length too large");
  }
  const auto length = static_cast<std::uint32_t>(value);
  if (s->request.hasContentLength && s->request.contentLength != length) {
    return head.Refuse(STATUS_400, "conflicting Content-Length");
  }
  s->request.hasContentLength = true;
  s->request.contentLength = length;
  ProtocolDebugger().Print("Content-Length: %u", length);
}

void ParseHeader(httpd* s, HeadState& head, const char* line, unsigned length) {
  const char* end = line + length;
  const char* colon = std::find(line, end, ':');
  if (colon == end || colon == line || IsBlank(*line)) return;
  // A blank inside the name ("Content-Length :2") is read one way by us
  // and another by proxies and lenient parsers: refused, never guessed.
  if (std::any_of(line, colon, [](char c) { return IsBlank(c); }))
    return head.Refuse(STATUS_400, "blank in header name");
  const char* ne = colon;
  const char* vb = colon + 1;
  const char* ve = end;
  Trim(vb, ve);
  const auto value_length = static_cast<unsigned>(ve - vb);
  // The values kept in request fields must fit them whole: a value cut to
  // the field could mean something else (a shorter type or boundary).
  if (value_length >= HTTP_MAX_URL &&
      (EqualsNoCase(line, ne, "Referer") || EqualsNoCase(line, ne, "If-Modified-Since") ||
       EqualsNoCase(line, ne, "Content-Type"))) {
    return head.Refuse(STATUS_431, "header value too long");
  }
  if (EqualsNoCase(line, ne, "Cookie")) {
    ParseCookies(s, vb, ve);
  } else if (EqualsNoCase(line, ne, "Authorization")) {
    if (value_length > 6 && EqualsNoCase(vb, vb + 6, "Basic ")) {
      char decoded[100];
      const std::string encoded(vb + 6, ve);
      const unsigned n = DecodeBase64(encoded.c_str(), decoded, sizeof(decoded));
      s->request.authLength = n;
      const char* sep = std::find(decoded, decoded + n, ':');
      _httpd_copy(s->request.authUser, HTTP_MAX_AUTH, decoded,
                  static_cast<unsigned>(sep - decoded));
      if (sep != decoded + n) {
        _httpd_copy(s->request.authPassword, HTTP_MAX_AUTH, sep + 1,
                    static_cast<unsigned>(decoded + n - sep - 1));
      }
    }
  } else if (EqualsNoCase(line, ne, "Host")) {
    if (++s->request.hostCount > 1) return head.Refuse(STATUS_400, "repeated Host");
    if (!IsPlainToken(vb, ve, HTTP_MAX_HOST)) return head.Refuse(STATUS_400, "malformed Host");
    _httpd_copy(s->request.host, HTTP_MAX_URL, vb, value_length);
  } else if (EqualsNoCase(line, ne, "Origin")) {
    if (++s->request.originCount > 1) return head.Refuse(STATUS_400, "repeated Origin");
    if (value_length == 0 || !IsPlainToken(vb, ve, HTTP_MAX_HOST))
      return head.Refuse(STATUS_400, "malformed Origin");
    _httpd_copy(s->request.origin, HTTP_MAX_HOST + 1, vb, value_length);
  } else if (EqualsNoCase(line, ne, "Expect")) {
    if (EqualsNoCase(vb, ve, "100-continue")) {
      s->request.expectContinue = true;
    } else {
      s->request.expectOther = true;
    }
  } else if (EqualsNoCase(line, ne, "Access-Control-Request-Private-Network")) {
    s->request.askPrivateNetwork = EqualsNoCase(vb, ve, "true");
  } else if (EqualsNoCase(line, ne, "Referer")) {
    _httpd_copy(s->request.referer, HTTP_MAX_URL, vb, value_length);
  } else if (EqualsNoCase(line, ne, "If-Modified-Since")) {
    const char* cut = std::find(vb, ve, ';');
    const char* ce = cut;
    Trim(vb, ce);
    _httpd_copy(s->request.ifModified, HTTP_MAX_URL, vb, static_cast<unsigned>(ce - vb));
  } else if (EqualsNoCase(line, ne, "Content-Type")) {
    ParseContentType(s, head, vb, ve);
  } else if (EqualsNoCase(line, ne, "Content-Length")) {
    ParseContentLength(s, head, vb, ve);
  } else if (EqualsNoCase(line, ne, "Transfer-Encoding")) {
    head.transferEncoding = true;
  } else if (EqualsNoCase(line, ne, "Idempotency-Key")) {
    s->request.hasIdempotencyKey = true;
    s->request.idempotencyKeyTooLong = value_length >= HTTP_MAX_URL;
    _httpd_copy(s->request.idempotencyKey, HTTP_MAX_URL, vb, value_length);
  }
}

}  // namespace

Debug::Debugger& ApiDebugger() {
  static Debug::Debugger debugger(Debug::HTTP, "HTTP API");
  return debugger;
}

Debug::Debugger& ProtocolDebugger() {
  static Debug::Debugger debugger(Debug::HTTP, "HTTP Protocol");
  return debugger;
}

bool _httpd_startsWith(const char* text, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return std::strlen(text) >= n && ASCII::EqualsIgnoringCase(std::string_view(text, n), prefix);
}

void _httpd_copy(char* target, unsigned size, const char* source, unsigned length) {
  if (size == 0) return;
  const unsigned n = std::min(length, size - 1);
  if (n > 0) std::memmove(target, source, n);
  target[n] = 0;
}

const char* httpdPrintable(const char* Text, char* Buffer, unsigned Size) {
  static constexpr char HEX[] = "0123456789ABCDEF";
  unsigned n = 0;
  for (const char* p = Text != nullptr ? Text : ""; *p != 0; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    const bool plain = c >= 32 && c < 127 && c != '"' && c != '\\';
    const unsigned need = plain ? 1 : 4;
    if (n + need >= Size) break;
    if (plain) {
      Buffer[n++] = static_cast<char>(c);
    } else {
      Buffer[n++] = '\\';
      Buffer[n++] = 'x';
      Buffer[n++] = HEX[c >> 4];
      Buffer[n++] = HEX[c & 15];
    }
  }
  if (Size > 0) Buffer[n] = 0;
  return Buffer;
}

int _httpd_refuse(httpd* s, const char* status, const char* why) {
  char printable[256];
  ProtocolDebugger().Print("Refused (%s): %s", status,
                           httpdPrintable(why, printable, sizeof(printable)));
  _httpd_writeErrorLog(s, "error", status);
  httpdSendError(s, status, nullptr);
  return -1;
}

void _httpd_resetResponse(httpd* s) {
  s->response.responseLength = 0;
  s->response.content = nullptr;
  s->response.headersSent = false;
  std::strcpy(s->response.headers, "Server: VXB HTTP Server\r\n");
  std::strcpy(s->response.response, "200 Output Follows\r\n");
  std::strcpy(s->response.contentType, "text/html");
  s->response.charset[0] = 0;
  s->response.contentDisposition[0] = 0;
}

void _httpd_startDeadline(httpd* s) {
  s->deadline = s->requestDeadline == Constants::WAIT_FOREVER
                    ? 0
                    : System::MonotonicMilliseconds() + s->requestDeadline;
}

bool _httpd_fillBuffer(httpd* s) {
  if (s->connection == nullptr) {
    return Error::SetWithContext(Error::SOCK_CONNECTION_CLOSED, "HTTP read without connection");
  }
  const std::uint64_t start = System::MonotonicMilliseconds();
  for (;;) {
    if (Stopping(s)) return Error::SetWithContext(Error::IO_ABORTED, "HTTP server stopping");
    const std::uint64_t now = System::MonotonicMilliseconds();
    std::uint64_t wait = s->readTimeout;
    if (s->readTimeout != Constants::WAIT_FOREVER) {
      if (now - start >= s->readTimeout) {
        return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "HTTP receive");
      }
      wait = s->readTimeout - (now - start);
    }
    if (s->deadline != 0) {
      if (now >= s->deadline) {
        return Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "HTTP request deadline");
      }
      wait = std::min<std::uint64_t>(wait, s->deadline - now);
    }
    if (s->stopFlag != nullptr) wait = std::min<std::uint64_t>(wait, STOP_POLL);
    const unsigned got =
        s->connection->ReadBuffer(s->readBuf, HTTP_READ_BUF_LEN, static_cast<unsigned>(wait));
    if (got > 0) {
      s->readBufPtr = s->readBuf;
      s->readBufRemain = got;
      return true;
    }
    if (Error::GetCurrent().Error != Error::IO_TIMEOUT_ERROR) {
      if (Error::GetCurrent().Error != Error::SOCK_CONNECTION_CLOSED) {
        Error::Push();
        ProtocolDebugger().Print("Read fail: %s (%s)", Error::GetCurrent().Description,
                                 Error::GetCurrent().Context);
        Error::Pop();
      }
      return false;
    }
  }
}

bool _httpd_readChar(httpd* s, char& c) {
  if (s->readBufRemain == 0 && !_httpd_fillBuffer(s)) return false;
  c = static_cast<char>(*s->readBufPtr++);
  --s->readBufRemain;
  return true;
}

LineResult _httpd_readLine(httpd* s, char* buffer, unsigned len, unsigned& used) {
  used = 0;
  buffer[0] = 0;
  char c;
  for (;;) {
    if (!_httpd_readChar(s, c)) return LineResult::FAILED;
    if (c == '\n') break;
    if (c == '\r') {
      if (!_httpd_readChar(s, c)) return LineResult::FAILED;
      if (c == '\n') break;
      return LineResult::BARE_CR;
    }
    if (used + 1 >= len) return LineResult::TOO_LONG;
    buffer[used++] = c;
  }
  buffer[used] = 0;
  return LineResult::OK;
}

bool _httpd_readBody(httpd* s, Byte* buffer, unsigned& size) {
  unsigned want = size;
  size = 0;
  if (s->request.hasContentLength) {
    if (s->bodyRemain == 0) {
      return Error::SetWithContext(Error::IO_EOF_REACHED, "HTTP body complete");
    }
    want = std::min<std::uint32_t>(want, s->bodyRemain);
  }
  if (want == 0) return false;
  if (s->readBufRemain == 0 && !_httpd_fillBuffer(s)) return false;
  const unsigned n = std::min(want, s->readBufRemain);
  std::memcpy(buffer, s->readBufPtr, n);
  s->readBufPtr += n;
  s->readBufRemain -= n;
  if (s->request.hasContentLength) s->bodyRemain -= n;
  size = n;
  return true;
}

bool _httpd_readBodyFully(httpd* s, Byte* buffer, unsigned len) {
  unsigned done = 0;
  while (done < len) {
    unsigned n = len - done;
    if (!_httpd_readBody(s, buffer + done, n)) return false;
    done += n;
  }
  return true;
}

bool httpdRead(httpd* server, char* buffer, unsigned& size) {
  if (buffer == nullptr || size == 0) {
    size = 0;
    return false;
  }
  return _httpd_readBody(server, reinterpret_cast<Byte*>(buffer), size);
}

void httpdSanitisePath(char* path) {
  const std::string in(path);
  const std::size_t length = in.size();
  const bool trailing = length > 0 && in[length - 1] == '/';
  std::size_t out = 0;  // the result never grows past the input
  std::size_t i = 0;
  while (i < length) {
    while (i < length && in[i] == '/') ++i;
    const std::size_t begin = i;
    while (i < length && in[i] != '/') ++i;
    const std::size_t n = i - begin;
    if (n == 0 || (n == 1 && in[begin] == '.')) continue;
    if (n == 2 && in[begin] == '.' && in[begin + 1] == '.') {
      while (out > 0 && path[out - 1] != '/') --out;  // drop the last segment
      if (out > 0) --out;                             // and its slash
      continue;
    }
    if (out + n + 1 > length) break;  // only for a path without leading "/"
    path[out++] = '/';
    std::memcpy(path + out, in.data() + begin, n);
    out += n;
  }
  if (out == 0 || (trailing && out < length)) path[out++] = '/';
  path[out] = 0;
}

void httpdStoreFormData(httpd* s, const char* text, unsigned length) {
  const char* end = text + length;
  const char* p = text;
  for (;;) {
    const char* stop = std::find(p, end, '&');
    const char* eq = std::find(p, stop, '=');
    std::string name;
    for (const char* q = p; q < eq && name.size() < HTTP_MAX_VARIABLE_NAME; ++q) {
      if (*q == '.') {
        name += "_dot_";
      } else {
        name += *q;
      }
    }
    if (name.size() > HTTP_MAX_VARIABLE_NAME) name.resize(HTTP_MAX_VARIABLE_NAME);
    std::string value;
    if (eq != stop) {
      for (const char* q = eq + 1; q < stop; ++q) {
        if (*q == '+') {
          value += ' ';
        } else if (*q == '%' && stop - q >= 3 && HexValue(q[1]) >= 0 && HexValue(q[2]) >= 0) {
          value += static_cast<char>(HexValue(q[1]) * 16 + HexValue(q[2]));
          q += 2;
        } else {
          value += *q;  // a '%' without two hex digits stands for itself
        }
      }
    }
    httpdAddVariable(s, name.c_str(), value.c_str());
    if (stop == end) break;
    p = stop + 1;
  }
}

namespace {

// A request is read in three steps, each refusing on its own terms: the
// request line, the head, and the bodies read before the handler runs.
// Each returns 0 to go on, or -1 when the request ends there (refused,
// answered, or the connection failed).

// The method: the run of letters at the start of the line. Only GET and
// POST are served; any other is answered here.
int ReadMethod(httpd* s, const char* line, const char*& method_end) {
  method_end = line;
  while ((*method_end >= 'A' && *method_end <= 'Z') || (*method_end >= 'a' && *method_end <= 'z')) {
    ++method_end;
  }
  if (method_end == line) return Refuse(s, STATUS_400, "no method");
  if (EqualsNoCase(line, method_end, "GET")) {
    s->request.method = HTTP_GET;
    return 0;
  }
  if (EqualsNoCase(line, method_end, "POST")) {
    s->request.method = HTTP_POST;
    return 0;
  }
  // Cross-origin preflights, only while origins are listed.
  if (s->gate.corsEnabled && EqualsNoCase(line, method_end, "OPTIONS")) {
    s->request.method = HTTP_OPTIONS;
    return 0;
  }
  char method[33];
  _httpd_copy(method, sizeof(method), line, static_cast<unsigned>(method_end - line));
  ProtocolDebugger().Print("Invalid method [%s]", method);
  _httpd_writeErrorLog(s, "error", "Invalid method received");
  std::string body = "\n<B>ERROR : Method Not Implemented</B>\n\n";
  body += method;
  httpdSendError(s, STATUS_501, body.c_str());
  return -1;
}

// The target after the method, up to the next blank, then the version. The
// path goes into the request; the query is kept in query (HTTP_MAX_URL
// characters) to be stored after the body's form data.
int ReadTarget(httpd* s, const char* method_end, char* query, bool& has_query) {
  const char* target = method_end;
  while (IsBlank(*target)) ++target;
  const char* target_end = target;
  while (*target_end != 0 && !IsBlank(*target_end)) ++target_end;
  const auto target_length = static_cast<unsigned>(target_end - target);
  if (target_length == 0) {
    ProtocolDebugger().Print("No request path");
    return Refuse(s, STATUS_400, "no request path");
  }
  if (*target != '/') return Refuse(s, STATUS_400, "path without leading slash");
  if (target_length >= HTTP_MAX_URL) return Refuse(s, STATUS_414, "request target too long");
  // The version itself does not matter, but anything else after the target
  // means the line is not what it seems.
  const char* version = target_end;
  while (IsBlank(*version)) ++version;
  const bool versioned = std::strlen(version) == 8 && std::strncmp(version, "HTTP/", 5) == 0 &&
                         std::isdigit(static_cast<unsigned char>(version[5])) &&
                         version[6] == '.' && std::isdigit(static_cast<unsigned char>(version[7]));
  if (*version != 0 && !versioned) return Refuse(s, STATUS_400, "bad protocol version");
  s->request.http11 = versioned && (version[5] > '1' || (version[5] == '1' && version[7] >= '1'));
  const char* question = std::find(target, target_end, '?');
  _httpd_copy(s->request.path, HTTP_MAX_URL, target, static_cast<unsigned>(question - target));
  if (question != target_end) {
    has_query = true;
    _httpd_copy(query, HTTP_MAX_URL, question + 1,
                static_cast<unsigned>(target_end - question - 1));
  }
  httpdSanitisePath(s->request.path);
  return 0;
}

int ReadRequestLine(httpd* s, char* query, bool& has_query) {
  unsigned used = 0;
  const LineResult first = _httpd_readLine(s, s->lineBuf, HTTP_MAX_LEN, used);
  if (first == LineResult::FAILED) {
    ProtocolDebugger().Print("No request: %s (%s)", Error::GetCurrent().Description,
                             Error::GetCurrent().Context);
    return -1;
  }
  if (first == LineResult::TOO_LONG) return Refuse(s, STATUS_414, "request line too long");
  if (first == LineResult::BARE_CR) return Refuse(s, STATUS_400, "bare CR");
  // A zero byte would cut the texts taken from the line short.
  if (std::memchr(s->lineBuf, 0, used) != nullptr) return Refuse(s, STATUS_400, "zero byte");
  // The version is known before the method is judged, so that a method
  // refused here is answered in the request's version too.
  s->request.http11 = used >= 9 && std::strncmp(s->lineBuf + used - 9, " HTTP/1.1", 9) == 0;
  const char* method_end = nullptr;
  if (ReadMethod(s, s->lineBuf, method_end) != 0) return -1;
  return ReadTarget(s, method_end, query, has_query);
}

// The header lines up to the empty line. A line that cannot be read ends
// the request at once; a header that is wrong is only noted in head, and
// the whole head is judged at its end (the first reason noted wins).
int ReadHead(httpd* s, HeadState& head) {
  unsigned used = 0;
  for (unsigned count = 0;; ++count) {
    const LineResult r = _httpd_readLine(s, s->lineBuf, HTTP_MAX_LEN, used);
    if (r == LineResult::FAILED) {
      ProtocolDebugger().Print("Head not complete: %s (%s)", Error::GetCurrent().Description,
                               Error::GetCurrent().Context);
      return -1;
    }
    if (r == LineResult::TOO_LONG) return Refuse(s, STATUS_431, "header line too long");
    if (r == LineResult::BARE_CR) return Refuse(s, STATUS_400, "bare CR");
    if (used == 0) break;
    if (count >= HTTP_MAX_HEADER_LINES) return Refuse(s, STATUS_431, "too many header lines");
    // A folded continuation line could smuggle text into the previous
    // header's value: refused rather than guessed.
    if (IsBlank(s->lineBuf[0])) head.Refuse(STATUS_400, "folded header line");
    if (std::memchr(s->lineBuf, 0, used) != nullptr) head.Refuse(STATUS_400, "zero byte");
    ParseHeader(s, head, s->lineBuf, used);
  }
  if (head.transferEncoding) head.Refuse(STATUS_501, "Transfer-Encoding");
  if (head.refusal != nullptr) return Refuse(s, head.refusal, head.why);
  return 0;
}

// Form and multipart bodies are read now, anything else is left to the
// handler (httpdRead). The body has a deadline of its own.
int ReadBody(httpd* s, const HeadState& head) {
  s->bodyRemain = s->request.contentLength;
  _httpd_startDeadline(s);
  const std::uint32_t length = s->request.contentLength;
  if (_httpd_startsWith(s->request.contentType, "application/x-www-form-urlencoded") &&
      length != 0) {
    if (length > HTTP_MAX_LEN) return Refuse(s, STATUS_413, "form body too large");
    if (!_httpd_readBodyFully(s, reinterpret_cast<Byte*>(s->lineBuf), length)) return -1;
    httpdStoreFormData(s, s->lineBuf, length);
  } else if (_httpd_startsWith(s->request.contentType, "multipart/form-data") && length != 0) {
    if (head.boundaryLength == 0 || head.boundaryLength > HTTP_MAX_BOUNDARY) {
      return Refuse(s, STATUS_400, "multipart boundary missing or too long");
    }
    ProtocolDebugger().Print("Es multipart; length %u, boundary: %s", length, s->request.boundary);
    if (length > HTTP_MAX_MULTIPART_BODY) return Refuse(s, STATUS_413, "multipart body too large");
    if (_httpd_readMultipart(s) != 0) return -1;
  }
  return 0;
}

}  // namespace

namespace {

// The request line and the judged head; the query is kept for later.
int ReadHeadInto(httpd* s, HeadState& head, char* query, bool& has_query) {
  // Response and request back to their initial state.
  _httpd_resetResponse(s);
  std::memset(static_cast<void*>(&s->request), 0, offsetof(httpReq, fileUpload));
  httpdFreeVariables(s);
  s->bodyRemain = 0;

  _httpd_startDeadline(s);
  query[0] = 0;
  has_query = false;
  if (ReadRequestLine(s, query, has_query) != 0) return -1;
  if (ReadHead(s, head) != 0) return -1;
  return _httpd_judgeHead(s);
}

}  // namespace

int httpdReadHead(httpd* s) {
  HeadState head;
  char query[HTTP_MAX_URL];
  bool has_query = false;
  return ReadHeadInto(s, head, query, has_query);
}

int httpdReadRequest(httpd* s) {
  HeadState head;
  char query[HTTP_MAX_URL];
  bool has_query = false;
  if (ReadHeadInto(s, head, query, has_query) != 0) return -1;
  if (ReadBody(s, head) != 0) return -1;
  if (has_query) httpdStoreFormData(s, query, static_cast<unsigned>(std::strlen(query)));
  return 0;
}

}  // namespace VXB::HTTP
