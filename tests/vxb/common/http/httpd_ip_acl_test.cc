// Client address rules: strict parsing, first match decides, no match and
// unreadable addresses deny.
#include <gtest/gtest.h>

#include <vector>

#include "vxb/common/http/httpd_ip_acl.h"

namespace VXB::HTTP {
namespace {

TEST(HttpdIpAcl, ParsingIsStrict) {
  const struct {
    const char* cidr;
    bool ok;
    std::uint32_t addr;
    unsigned len;
  } cases[] = {
      {"192.168.1.0/24", true, 0xC0A80100u, 24},
      {"10.0.0.1", true, 0x0A000001u, 32},
      {"0.0.0.0/0", true, 0, 0},
      {"255.255.255.255/32", true, 0xFFFFFFFFu, 32},
      {"192.168.1", false, 0, 0},
      {"256.1.1.1", false, 0, 0},
      {"10.0.0.0/33", false, 0, 0},
      {"10.0.0.0/", false, 0, 0},
      {"10.0.0.0/-1", false, 0, 0},
      {"-1.0.0.0", false, 0, 0},
      {" 1.2.3.4", false, 0, 0},
      {"1.2.3.4 ", false, 0, 0},
      {"1.2.3.4/8x", false, 0, 0},
      {"1..3.4", false, 0, 0},
      {"0001.2.3.4", false, 0, 0},
      {"1.2.3.4/008", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const auto& c : cases) {
    std::uint32_t addr = 1;
    unsigned len = 99;
    EXPECT_EQ(httpdScanCidr(c.cidr, addr, len), c.ok) << c.cidr;
    if (c.ok) {
      EXPECT_EQ(addr, c.addr) << c.cidr;
      EXPECT_EQ(len, c.len) << c.cidr;
    }
  }
}

struct Rule {
  const char* cidr;
  int action;
};

int Check(const std::vector<Rule>& rules, const char* client) {
  httpAcl* acl = nullptr;
  for (const Rule& r : rules) {
    httpAcl* head = httpdAddAcl(nullptr, acl, r.cidr, r.action);
    EXPECT_NE(head, nullptr) << r.cidr;
    if (head != nullptr) acl = head;
  }
  const int result = httpdMatchAcl(acl, client);
  httpdFreeAcl(acl);
  return result;
}

TEST(HttpdIpAcl, FirstMatchDecides) {
  constexpr int P = HTTP_ACL_PERMIT;
  constexpr int D = HTTP_ACL_DENY;
  const struct {
    std::vector<Rule> rules;
    const char* client;
    int expected;
  } cases[] = {
      {{{"192.168.1.0/24", P}}, "192.168.1.77", P},
      {{{"192.168.1.0/24", P}}, "10.0.0.1", D},
      {{{"0.0.0.0/0", D}, {"192.168.1.5", P}}, "192.168.1.5", D},
      {{{"192.168.1.5", P}, {"0.0.0.0/0", D}}, "192.168.1.5", P},
      {{{"192.168.1.5", P}, {"0.0.0.0/0", D}}, "192.168.1.6", D},
      {{{"0.0.0.0/0", P}}, "255.255.255.255", P},
      {{{"128.0.0.0/1", P}}, "200.1.1.1", P},
      {{{"128.0.0.0/1", P}}, "127.255.255.255", D},
      {{{"0.0.0.0/0", P}}, "", D},
      {{{"0.0.0.0/0", P}}, "10.0.0.0/8", D},
      {{}, "127.0.0.1", D},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.rules, c.client), c.expected) << c.client;
}

TEST(HttpdIpAcl, MalformedRulesLeaveTheListAsItWas) {
  httpAcl* acl = httpdAddAcl(nullptr, nullptr, "10.0.0.0/8", HTTP_ACL_PERMIT);
  ASSERT_NE(acl, nullptr);
  EXPECT_EQ(httpdAddAcl(nullptr, acl, "10.0.0.0/", HTTP_ACL_DENY), nullptr);
  EXPECT_EQ(httpdAddAcl(nullptr, acl, "10.0.0.0/8", 3), nullptr);
  EXPECT_EQ(acl->next, nullptr);
  EXPECT_EQ(httpdMatchAcl(acl, "10.1.2.3"), HTTP_ACL_PERMIT);
  httpdFreeAcl(acl);
}

}  // namespace
}  // namespace VXB::HTTP
