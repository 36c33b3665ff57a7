// The engine's door checks through a scripted connection: Host names and
// literals, Origin with and without listed origins, preflights, and the
// "100 Continue" interim answer; each case says the status it ends with
// (0: goes on to its handler) and text its answer must or must not hold.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "http_example/raw_client.h"
#include "vxb/common/http/httpd_api.h"
#include "vxb/common/http/httpd_gate.h"
#include "vxb/common/io/string_driver.h"

namespace VXB::HTTP {
namespace {

using VXB::Driver::ScriptedConnection;
using Zorbel::HttpExample::ParseResponse;

struct Case {
  std::string request;
  int status;         // 0: accepted
  const char* has;    // in the bytes written plus the pending answer headers
  const char* lacks;  // nowhere in them
};

std::string Head(const std::string& method, const std::string& version,
                 const std::string& headers) {
  return method + " /fiscal.json " + version + "\r\n" + headers + "\r\n";
}

void Check(const Case& c, bool cors) {
  auto engine = std::make_unique<httpd>();
  engine->gate.ownHostName = "caja-1";
  engine->gate.allowedHosts = {"pos.lan"};
  engine->gate.corsEnabled = cors;
  engine->gate.allowedOrigins = {"https://pos.example.com"};
  engine->gate.allowHeaders = "Content-Type, Idempotency-Key";
  engine->gate.exposeHeaders = "Zorbel-Replayed";
  ScriptedConnection connection(c.request, 0xFFFFFFFFu);
  httpdUseConnection(engine.get(), &connection, "127.0.0.1");
  const int result = httpdReadRequest(engine.get());
  const std::string out = connection.Output();
  const std::string seen = out + "|" + engine->response.headers;
  const std::string name = c.request.substr(0, 90);
  if (c.status == 0) {
    EXPECT_EQ(result, 0) << name << "\n-> " << out;
  } else {
    EXPECT_EQ(result, -1) << name;
    // The final answer speaks the request's version.
    const std::string version = c.request.substr(c.request.find(" HTTP/") + 1, 8);
    const std::size_t final_start = out.rfind(version + " ");
    ASSERT_NE(final_start, std::string::npos) << name << "\n-> " << out;
    EXPECT_EQ(ParseResponse(out.substr(final_start)).status, c.status) << name << "\n-> " << out;
  }
  // Each refusal by the gate is counted under its rule, and nothing else.
  EXPECT_EQ(engine->refusals.foreignHost.load(), c.status == 421 ? 1u : 0u) << name;
  EXPECT_EQ(engine->refusals.foreignOrigin.load(), c.status == 403 ? 1u : 0u) << name;
  EXPECT_EQ(engine->refusals.deniedClient.load() + engine->refusals.overCapacity.load(), 0u);
  if (c.has != nullptr) {
    EXPECT_NE(seen.find(c.has), std::string::npos) << name << "\n-> " << seen;
  }
  if (c.lacks != nullptr) {
    EXPECT_EQ(seen.find(c.lacks), std::string::npos) << name << "\n-> " << seen;
  }
}

TEST(HttpdGate, HostDecidesWhoIsServed) {
  const std::string h10 = "HTTP/1.0";
  const Case cases[] = {
      {Head("GET", h10, ""), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: 127.0.0.1:8080\r\n"), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: [::1]:8080\r\n"), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: [fe80::1:2]\r\n"), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: LocalHost:1\r\n"), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: caja-1\r\n"), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: POS.lan.:80\r\n"), 0, nullptr, nullptr},
      {Head("GET", h10, "Host: evil.example:8080\r\n"), 421, "421 Misdirected Request", nullptr},
      {Head("GET", h10, "Host: 127.0.0.1.evil.example\r\n"), 421, nullptr, nullptr},
      {Head("GET", h10, "Host: 256.0.0.1\r\n"), 421, nullptr, nullptr},
      {Head("GET", h10, "Host: localhost\r\nHost: localhost\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: a b\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: a\x01z\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: a\xE9z\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host:\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: localhost:99999\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: localhost:\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: [::1\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: [zz::]\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: a/b\r\n"), 400, nullptr, nullptr},
      {Head("GET", h10, "Host: " + std::string(HTTP_MAX_HOST, 'a') + "\r\n"), 421, nullptr,
       nullptr},
      {Head("GET", h10, "Host: " + std::string(HTTP_MAX_HOST + 1, 'a') + "\r\n"), 400, nullptr,
       nullptr},
      {Head("GET", h10, "Host: " + std::string(HTTP_MAX_URL + 5, 'a') + "\r\n"), 400, nullptr,
       nullptr},
  };
  for (const Case& c : cases) Check(c, false);
}

TEST(HttpdGate, OriginsAndPreflights) {
  const std::string h11 = "HTTP/1.1";
  const std::string own = "Host: 127.0.0.1:8080\r\nOrigin: http://127.0.0.1:8080\r\n";
  const std::string listed = "Host: 127.0.0.1:8080\r\nOrigin: https://pos.example.com\r\n";
  const std::string other = "Host: 127.0.0.1:8080\r\nOrigin: https://evil.example\r\n";
  const std::string ask = "Access-Control-Request-Method: POST\r\n";
  const std::string pna = "Access-Control-Request-Private-Network: true\r\n";
  struct Row {
    bool cors;
    Case c;
  } rows[] = {
      // Without listed origins: as before, and foreign pages kept out.
      {false, {Head("OPTIONS", h11, listed + ask), 501, nullptr, "Access-Control"}},
      {false, {Head("POST", h11, own), 0, nullptr, "Access-Control"}},
      {false, {Head("POST", h11, listed), 403, nullptr, "Access-Control"}},
      {false, {Head("POST", h11, "Origin: null\r\n"), 403, nullptr, nullptr}},
      {false, {Head("POST", h11, "Origin: http://127.0.0.1:8080\r\n"), 403, nullptr, nullptr}},
      // With them.
      {true,
       {Head("OPTIONS", h11, listed + ask), 204,
        "Access-Control-Allow-Origin: https://pos.example.com\r\nVary: Origin\r\n"
        "Access-Control-Allow-Methods: POST\r\n"
        "Access-Control-Allow-Headers: Content-Type, Idempotency-Key\r\n"
        "Access-Control-Max-Age: 600\r\n",
        "Private-Network"}},
      {true,
       {Head("OPTIONS", h11, listed + ask + pna), 204,
        "Access-Control-Allow-Private-Network: true\r\n", nullptr}},
      {true, {Head("OPTIONS", h11, other + ask + pna), 403, nullptr, "Access-Control"}},
      {true, {Head("OPTIONS", h11, ask), 501, nullptr, "Access-Control"}},
      {true,
       {Head("POST", h11, listed), 0,
        "Access-Control-Allow-Origin: https://pos.example.com\r\nVary: Origin\r\n"
        "Access-Control-Expose-Headers: Zorbel-Replayed\r\n",
        nullptr}},
      {true, {Head("POST", h11, other), 403, nullptr, "Access-Control"}},
      {true, {Head("POST", h11, own), 0, nullptr, "Access-Control"}},
      {true,
       {Head("POST", h11, listed + "Origin: https://pos.example.com\r\n"), 400, nullptr,
        "Access-Control"}},
      {true, {Head("POST", h11, "Origin: https://pos.example.com\x7F\r\n"), 400, nullptr, nullptr}},
      {true,
       {Head("POST", h11, "Origin: https://" + std::string(HTTP_MAX_HOST, 'p') + "\r\n"), 400,
        nullptr, nullptr}},
      // A misdirected preflight is refused before its origin is looked at.
      {true,
       {Head("OPTIONS", h11, "Host: evil.example\r\nOrigin: https://pos.example.com\r\n"), 421,
        nullptr, "Access-Control"}},
  };
  for (const Row& r : rows) Check(r.c, r.cors);
}

TEST(HttpdGate, ContinueOnlyWhenTheHeadIsAccepted) {
  const std::string body = "Content-Length: 2\r\n";
  const std::string expect = "Expect: 100-continue\r\n";
  const Case cases[] = {
      {Head("POST", "HTTP/1.1", body + expect) + "{}", 0, "HTTP/1.1 100 Continue\r\n\r\n", nullptr},
      {Head("POST", "HTTP/1.1", body + "Expect: 100-Continue\r\n") + "{}", 0, "100 Continue",
       nullptr},
      {Head("POST", "HTTP/1.0", body + expect) + "{}", 0, nullptr, "100 Continue"},
      {Head("POST", "HTTP/1.1", body) + "{}", 0, nullptr, "100 Continue"},
      {Head("POST", "HTTP/1.1", body + "Host: evil.example\r\n" + expect), 421, nullptr,
       "100 Continue"},
      {Head("POST", "HTTP/1.1", body + "Origin: https://evil.example\r\n" + expect), 403, nullptr,
       "100 Continue"},
      {Head("POST", "HTTP/1.1", body + "Expect: 200-ok\r\n"), 417, nullptr, "100 Continue"},
      {Head("POST", "HTTP/1.1", body + expect + "Expect: x\r\n"), 417, nullptr, "100 Continue"},
  };
  for (const Case& c : cases) Check(c, false);
}

}  // namespace
}  // namespace VXB::HTTP
