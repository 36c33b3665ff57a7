// Client address access control of the HTTP engine: a list of IPv4 network
// blocks in CIDR notation, each allowing or denying, searched in order. The
// first block that holds the client decides; a client that no block holds,
// or whose address cannot be read, is denied.
//
// Rules are read strictly: four decimal numbers 0..255 of one to three
// digits separated by dots, optionally "/" and a prefix length of one or two
// digits 0..32. Anything else (signs, blanks, "10.0.0.0/", "1.2.3") is a
// malformed rule and is refused. Arithmetic is unsigned 32-bit.
//
// Thread safety: a list is built before the engine uses it and only read
// afterwards.
#ifndef VXB_COMMON_HTTPD_IP_ACL_H_
#define VXB_COMMON_HTTPD_IP_ACL_H_

#include <cstdint>

#include "vxb/common/http/httpd_api.h"

namespace VXB::HTTP {

inline constexpr int HTTP_ACL_PERMIT = 1;
inline constexpr int HTTP_ACL_DENY = 2;

// Parses "a.b.c.d" or "a.b.c.d/len"; false for anything else.
bool httpdScanCidr(const char* cidr, std::uint32_t& addr, unsigned& len);
// Whether the block addr/len holds the address client (a full address).
bool httpdIsInCidrBlock(std::uint32_t addr, unsigned len, std::uint32_t client);

// Appends a rule to acl (a new list when null) and returns the head; null,
// with the list unchanged and an error-log line, for a malformed block
// ("Invalid IP address format") or an action that is neither
// HTTP_ACL_PERMIT nor HTTP_ACL_DENY ("Invalid acl action"). The caller owns
// the list and frees it with httpdFreeAcl.
httpAcl* httpdAddAcl(httpd* server, httpAcl* acl, const char* cidr, int action);
void httpdFreeAcl(httpAcl* acl);
// The action for the text address Client; HTTP_ACL_DENY when it cannot be
// parsed or no rule holds it.
int httpdMatchAcl(const httpAcl* acl, const char* Client);
// The action for the current client; on deny also sends the 403 answer and
// writes "Access denied by ACL" to the error log.
int httpdCheckAcl(httpd* server, const httpAcl* acl);

}  // namespace VXB::HTTP

#endif  // VXB_COMMON_HTTPD_IP_ACL_H_
