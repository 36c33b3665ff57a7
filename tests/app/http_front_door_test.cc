// The bridge's front door end to end: requests addressed to other hosts or
// sent by pages of other origins never reach the controller; a listed
// origin's page gets its answer with the cross-origin headers; a client
// that waits for "100 Continue" before its body gets it at once.
#include <gtest/gtest.h>

#include <string>

#include "app/bridge_rig.h"
#include "http_example/raw_client.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

namespace Zorbel {
namespace {

using EndToEnd::BridgeRig;
using HttpExample::Exchange;
using HttpExample::RawClient;
using HttpExample::Response;

constexpr const char* STATUS =
    R"({"ConsultarEstado":{"CodigoComprobante":"Tique","Secuencia":"5"}})";

std::string Post(const std::string& headers) {
  return "POST /fiscal.json HTTP/1.1\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(std::string(STATUS).size()) + "\r\n" + headers + "\r\n";
}

class FrontDoor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

TEST_F(FrontDoor, OnlyInvitedHostsAndOriginsReachTheLine) {
  const std::string own_host = "Host: 127.0.0.1\r\n";
  struct Case {
    const char* origins;  // AllowedOrigins
    std::string headers;
    int status;
    const char* header;  // an answer header that must be there ("" for none)
  } cases[] = {
      {"", "Host: evil.example\r\n", 421, ""},
      {"", "Host: localhost\r\n", 200, ""},
      {"", "Host: till.shop.lan:80\r\n", 200, ""},  // listed in AllowedHosts
      {"", own_host + "Origin: http://127.0.0.1\r\n", 200, ""},
      {"", own_host + "Origin: https://pos.example.com\r\n", 403, ""},
      {"", "Host: a\x01\r\n", 400, ""},
      {"https://pos.example.com", own_host + "Origin: https://pos.example.com\r\n", 200,
       "access-control-expose-headers"},
      {"https://pos.example.com", own_host + "Origin: https://evil.example\r\n", 403, ""},
      {"*", own_host + "Origin: https://any.example\r\n", 200, "access-control-allow-origin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    BridgeRig rig;
    ConfigParams config;
    config.AllowedHosts = "till.shop.lan";
    config.AllowedOrigins = c.origins;
    ASSERT_EQ(rig.Start({}, config), "");
    const Response a = Exchange(static_cast<VXB::Network::PORT>(rig.Port()),
                                Post(c.headers) + STATUS, false, 15000);
    EXPECT_EQ(a.status, c.status) << a.head << a.body;
    if (*c.header != 0) {
      EXPECT_EQ(a.headers.count(c.header), 1u) << a.head;
    }
    if (c.status != 200) {
      EXPECT_EQ(a.headers.count("access-control-allow-origin"), 0u) << a.head;
      rig.Stop();
      EXPECT_EQ(rig.Emulator().GetStats().BytesReceived.load(), 0u);
    }
  }
}

// Reads until Wanted has come or the server stops sending.
std::string ReadUntil(RawClient& client, const std::string& Wanted) {
  std::string got;
  VXB::Byte buffer[512];
  while (got.find(Wanted) == std::string::npos) {
    const unsigned n = client.Socket().ReadBuffer(buffer, sizeof(buffer), 10000);
    if (n == 0) break;
    got.append(reinterpret_cast<const char*>(buffer), n);
  }
  return got;
}

TEST_F(FrontDoor, ContinueBeforeTheBodyOrTheRefusalAtOnce) {
  BridgeRig rig;
  ASSERT_EQ(rig.Start({}), "");
  const auto port = static_cast<VXB::Network::PORT>(rig.Port());
  {
    RawClient client;
    ASSERT_TRUE(client.Connect(port));
    ASSERT_TRUE(client.Send(Post("Host: localhost\r\nExpect: 100-continue\r\n")));
    // The body is held back until the interim answer has come.
    ASSERT_EQ(ReadUntil(client, "\r\n\r\n"), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(client.Send(STATUS));
    std::string rest;
    client.ReadAll(rest, 15000);
    EXPECT_EQ(rest.rfind("HTTP/1.1 200 ", 0), 0u) << rest;
    EXPECT_EQ(HttpExample::ParseResponse(rest).status, 200) << rest;
    EXPECT_NE(rest.find("ConsultarEstado"), std::string::npos) << rest;
  }
  {
    RawClient client;
    ASSERT_TRUE(client.Connect(port));
    ASSERT_TRUE(client.Send(Post("Host: evil.example\r\nExpect: 100-continue\r\n")));
    const std::string got = ReadUntil(client, "\r\n\r\n");
    EXPECT_EQ(got.rfind("HTTP/1.1 421 Misdirected Request\r\n", 0), 0u) << got;
  }
  rig.Stop();
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), 1u);
}

// Five connections opened before a status query and not sent on: the query
// is answered while all five still wait (none answered, none dropped),
// and each is served once it sends its own.
TEST_F(FrontDoor, IdleConnectionsDoNotDelayACommand) {
  BridgeRig rig;
  ASSERT_EQ(rig.Start({}), "");
  const auto port = static_cast<VXB::Network::PORT>(rig.Port());
  RawClient idle[5];
  for (RawClient& c : idle) ASSERT_TRUE(c.Connect(port));
  idle[1].Send("POST /fiscal.json HTTP/1.1\r\n");  // half a head
  const Response a = Exchange(port, Post("Host: 127.0.0.1\r\n") + STATUS, false, 15000);
  EXPECT_EQ(a.status, 200) << a.head;
  for (RawClient& c : idle) {
    VXB::Byte b = 0;
    EXPECT_EQ(c.Socket().ReadBuffer(&b, 1, 0), 0u);
    EXPECT_EQ(VXB::Error::GetCurrent().Error, VXB::Error::IO_TIMEOUT_ERROR);
  }
  for (int k = 0; k < 5; ++k) {
    // Each its own number: a repeated one is answered from the
    // controller's memory, not executed again.
    std::string body = STATUS;
    body.replace(body.find("\"5\""), 3, "\"" + std::string(1, "12346"[k]) + "\"");
    const std::string request = Post("Host: localhost\r\n") + body;
    ASSERT_TRUE(idle[k].Send(
        k == 1 ? request.substr(std::string("POST /fiscal.json HTTP/1.1\r\n").size()) : request));
    std::string raw;
    idle[k].ReadAll(raw, 15000);
    EXPECT_EQ(HttpExample::ParseResponse(raw).status, 200) << k << raw;
    EXPECT_NE(raw.find("\"Estado\""), std::string::npos) << raw;
  }
  rig.Stop();
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), 6u);
}

}  // namespace
}  // namespace Zorbel
