#include "vxb/common/http/httpd_gate.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/http/httpd_protocol.h"
#include "vxb/common/runtime/log.h"

namespace VXB::HTTP {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsNameChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
         c == '_';
}

// 1 to 5 digits, at most 65535.
bool IsPort(std::string_view p) {
  if (p.empty() || p.size() > 5 || !std::all_of(p.begin(), p.end(), IsDigit)) return false;
  return std::stoul(std::string(p)) <= 65535;
}

// Four dot-separated numbers 0..255 of one to three digits.
bool IsIPv4(std::string_view name) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = name.find('.');
    if ((dot == std::string_view::npos) != (part == 3)) return false;
    const std::string_view n = name.substr(0, dot);
    if (n.empty() || n.size() > 3 || !std::all_of(n.begin(), n.end(), IsDigit)) return false;
    if (std::stoul(std::string(n)) > 255) return false;
    name = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  }
  return true;
}

// The inside of "[...]": hex digits, colons (at least two) and the dots of
// an embedded IPv4 tail.
bool IsIPv6(std::string_view inside) {
  if (inside.size() < 2 || inside.size() > 45) return false;
  const auto ok = [](char c) { return IsHex(c) || c == ':' || c == '.'; };
  return std::all_of(inside.begin(), inside.end(), ok) &&
         std::count(inside.begin(), inside.end(), ':') >= 2;
}

bool SameName(std::string_view a, std::string_view b) {
  return !b.empty() && ASCII::EqualsIgnoringCase(a, b);
}

constexpr const char* STATUS_400 = "400 Bad Request";
constexpr const char* STATUS_403 = "403 Forbidden";
constexpr const char* STATUS_417 = "417 Expectation Failed";
constexpr const char* STATUS_421 = "421 Misdirected Request";
constexpr const char* STATUS_501 = "501 Not Implemented";

bool OriginListed(const httpGate& g, std::string_view origin) {
  if (!g.corsEnabled) return false;
  if (g.anyOrigin) return true;
  return std::any_of(g.allowedOrigins.begin(), g.allowedOrigins.end(),
                     [&](const std::string& o) { return SameName(origin, o); });
}

void AddCorsHeaders(httpd* s) {
  const std::string allow = std::string("Access-Control-Allow-Origin: ") + s->request.origin;
  httpdAddHeader(s, allow.c_str());
  httpdAddHeader(s, "Vary: Origin");
}

// The preflight of a listed origin: 204 with what it may send.
void AnswerPreflight(httpd* s) {
  const httpGate& g = s->gate;
  httpdSetResponse(s, "204 No Content");
  AddCorsHeaders(s);
  httpdAddHeader(s, ("Access-Control-Allow-Methods: " + g.allowMethods).c_str());
  httpdAddHeader(s, ("Access-Control-Allow-Headers: " + g.allowHeaders).c_str());
  httpdAddHeader(s, ("Access-Control-Max-Age: " + std::to_string(g.maxAge)).c_str());
  if (s->request.askPrivateNetwork) {
    httpdAddHeader(s, "Access-Control-Allow-Private-Network: true");
  }
  httpdSendHeaders(s);
}

int CheckHost(httpd* s) {
  if (s->request.hostCount == 0) return 0;
  const HostVerdict v = httpdJudgeHost(s->gate, s->request.host);
  if (v == HostVerdict::ALLOWED) return 0;
  if (v == HostVerdict::MALFORMED) return _httpd_refuse(s, STATUS_400, "malformed Host");
  char printable[128];
  httpdPrintable(s->request.host, printable, sizeof(printable));
  s->refusals.foreignHost.fetch_add(1, std::memory_order_relaxed);
  Log::Write("Pedido para otro host rechazado (421): \"%s\" desde %s", printable, s->clientAddr);
  return _httpd_refuse(s, STATUS_421, "Host not served here");
}

// Origin and preflight; the answer headers of a listed origin are added.
int CheckOrigin(httpd* s) {
  httpReq& r = s->request;
  if (r.originCount == 0) {
    if (r.method == HTTP_OPTIONS) return _httpd_refuse(s, STATUS_501, "OPTIONS without Origin");
    return 0;
  }
  if (r.method != HTTP_OPTIONS && r.hostCount > 0 && httpdIsOwnOrigin(r.origin, r.host)) return 0;
  if (!OriginListed(s->gate, r.origin)) {
    char printable[128];
    httpdPrintable(r.origin, printable, sizeof(printable));
    s->refusals.foreignOrigin.fetch_add(1, std::memory_order_relaxed);
    Log::Write("Pedido de un origen no permitido rechazado (403): \"%s\" desde %s", printable,
               s->clientAddr);
    return _httpd_refuse(s, STATUS_403, "Origin not allowed");
  }
  if (r.method == HTTP_OPTIONS) {
    AnswerPreflight(s);
    return -1;
  }
  AddCorsHeaders(s);
  if (!s->gate.exposeHeaders.empty()) {
    httpdAddHeader(s, ("Access-Control-Expose-Headers: " + s->gate.exposeHeaders).c_str());
  }
  return 0;
}

}  // namespace

HostVerdict httpdJudgeHost(const httpGate& Gate, std::string_view Host) {
  std::string_view name = Host;
  if (!name.empty() && name.front() == '[') {
    const std::size_t close = name.find(']');
    if (close == std::string_view::npos || !IsIPv6(name.substr(1, close - 1)))
      return HostVerdict::MALFORMED;
    const std::string_view rest = name.substr(close + 1);
    if (!rest.empty() && (rest.front() != ':' || !IsPort(rest.substr(1))))
      return HostVerdict::MALFORMED;
    return HostVerdict::ALLOWED;
  }
  const std::size_t colon = name.find(':');
  if (colon != std::string_view::npos) {
    if (!IsPort(name.substr(colon + 1))) return HostVerdict::MALFORMED;
    name = name.substr(0, colon);
  }
  if (name.empty() || !std::all_of(name.begin(), name.end(), IsNameChar))
    return HostVerdict::MALFORMED;
  if (IsIPv4(name)) return HostVerdict::ALLOWED;
  if (name.size() > 1 && name.back() == '.') name.remove_suffix(1);
  if (SameName(name, "localhost") || SameName(name, Gate.ownHostName)) return HostVerdict::ALLOWED;
  const bool listed = std::any_of(Gate.allowedHosts.begin(), Gate.allowedHosts.end(),
                                  [&](const std::string& h) { return SameName(name, h); });
  return listed ? HostVerdict::ALLOWED : HostVerdict::MISDIRECTED;
}

bool httpdIsOwnOrigin(std::string_view Origin, std::string_view Host) {
  constexpr std::string_view scheme = "http://";
  if (Host.empty() || Origin.size() != scheme.size() + Host.size()) return false;
  return ASCII::EqualsIgnoringCase(Origin.substr(0, scheme.size()), scheme) &&
         ASCII::EqualsIgnoringCase(Origin.substr(scheme.size()), Host);
}

int _httpd_judgeHead(httpd* s) {
  if (CheckHost(s) != 0 || CheckOrigin(s) != 0) return -1;
  if (s->request.expectOther) return _httpd_refuse(s, STATUS_417, "unknown expectation");
  if (s->request.expectContinue && s->request.http11 && !s->skipContinue && !_httpd_sendContinue(s))
    return -1;
  return 0;
}

}  // namespace VXB::HTTP
