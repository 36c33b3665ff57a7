#include "vxb/common/http/httpd_ip_acl.h"

#include "vxb/common/http/httpd_protocol.h"

namespace VXB::HTTP {

namespace {

// Reads 1..max_digits decimal digits; false when there are none or too many.
bool ReadNumber(const char*& p, unsigned max_digits, unsigned& value) {
  value = 0;
  unsigned digits = 0;
  while (*p >= '0' && *p <= '9') {
    if (++digits > max_digits) return false;
    value = value * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  return digits > 0;
}

}  // namespace

bool httpdScanCidr(const char* cidr, std::uint32_t& addr, unsigned& len) {
  if (cidr == nullptr) return false;
  const char* p = cidr;
  std::uint32_t a = 0;
  for (int i = 0; i < 4; ++i) {
    unsigned octet;
    if (!ReadNumber(p, 3, octet) || octet > 255) return false;
    a = (a << 8) | octet;
    if (i < 3 && *p++ != '.') return false;
  }
  unsigned l = 32;
  if (*p == '/') {
    ++p;
    if (!ReadNumber(p, 2, l) || l > 32) return false;
  }
  if (*p != 0) return false;
  addr = a;
  len = l;
  return true;
}

bool httpdIsInCidrBlock(std::uint32_t addr, unsigned len, std::uint32_t client) {
  const std::uint32_t mask = len == 0 ? 0u : ~std::uint32_t{0} << (32 - len);
  return (addr & mask) == (client & mask);
}

httpAcl* httpdAddAcl(httpd* server, httpAcl* acl, const char* cidr, int action) {
  std::uint32_t addr = 0;
  unsigned len = 0;
  if (!httpdScanCidr(cidr, addr, len)) {
    if (server != nullptr) _httpd_writeErrorLog(server, "error", "Invalid IP address format");
    return nullptr;
  }
  if (action != HTTP_ACL_PERMIT && action != HTTP_ACL_DENY) {
    if (server != nullptr) _httpd_writeErrorLog(server, "error", "Invalid acl action");
    return nullptr;
  }
  auto* rule = new httpAcl;
  rule->addr = addr;
  rule->len = len;
  rule->action = action;
  if (acl == nullptr) return rule;
  httpAcl* last = acl;
  while (last->next != nullptr) last = last->next;
  last->next = rule;
  return acl;
}

void httpdFreeAcl(httpAcl* acl) {
  while (acl != nullptr) {
    httpAcl* next = acl->next;
    delete acl;
    acl = next;
  }
}

int httpdMatchAcl(const httpAcl* acl, const char* Client) {
  std::uint32_t client = 0;
  unsigned len = 0;
  if (!httpdScanCidr(Client, client, len) || len != 32) return HTTP_ACL_DENY;
  for (const httpAcl* rule = acl; rule != nullptr; rule = rule->next) {
    if (httpdIsInCidrBlock(rule->addr, rule->len, client)) return rule->action;
  }
  return HTTP_ACL_DENY;
}

int httpdCheckAcl(httpd* server, const httpAcl* acl) {
  const int action = httpdMatchAcl(acl, server->clientAddr);
  if (action == HTTP_ACL_DENY) {
    server->refusals.deniedClient.fetch_add(1, std::memory_order_relaxed);
    _httpd_writeErrorLog(server, "error", "Access denied by ACL");
    httpdSend403(server);
  }
  return action;
}

}  // namespace VXB::HTTP
