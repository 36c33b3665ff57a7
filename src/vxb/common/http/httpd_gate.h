// The engine's door checks, made once a request's head is complete and
// before its body is read: who the request is addressed to (Host), which
// web page sent it (Origin, with cross-origin preflights), and what it
// expects (Expect). A request that fails a check gets its final answer at
// once; one that passes and asks for "100-continue" gets the interim answer
// before the client sends its body.
//
// Host: accepted when absent, an IPv4 literal, a bracketed IPv6 literal (an
// optional port after either), "localhost", the machine's own name or a
// configured name; a name otherwise is "421 Misdirected Request" (a page
// pointed at this machine by a rebinding name never reaches a handler), a
// value that is not a host at all, or a second Host, is 400.
//
// Origin: a request from the server's own origin ("http://" and its Host)
// goes on without cross-origin headers; one from a listed origin goes on
// with them; any other is 403. OPTIONS is served only as the preflight of
// a listed origin (204), and refused (501) while no origins are listed.
//
// Thread safety: as the engine, one thread per engine.
#ifndef VXB_COMMON_HTTPD_GATE_H_
#define VXB_COMMON_HTTPD_GATE_H_

#include <string_view>

#include "vxb/common/http/httpd_api.h"

namespace VXB::HTTP {

enum class HostVerdict { ALLOWED, MISDIRECTED, MALFORMED };

// The verdict on a Host value (without surrounding blanks) under Gate.
HostVerdict httpdJudgeHost(const httpGate& Gate, std::string_view Host);

// True when Origin is the origin a page served by this server would send:
// "http://" followed by the request's Host, compared without regard to case.
bool httpdIsOwnOrigin(std::string_view Origin, std::string_view Host);

// Applies the checks to the head just read: 0 to go on (the cross-origin
// answer headers added, and "100 Continue" sent when asked for), -1 when
// the request ended here (answered).
int _httpd_judgeHead(httpd* server);

}  // namespace VXB::HTTP

#endif  // VXB_COMMON_HTTPD_GATE_H_
