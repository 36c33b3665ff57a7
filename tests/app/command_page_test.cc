// The command pages' HTTP framing: every answer is sent whole with a
// Content-Length that a standard HTTP parser accepts, a body too large for
// a command document is refused before anything reaches the line, and a
// client that half-closes instead of sending a Content-Length is still
// served.
#include <gtest/gtest.h>
#include <http_parser.h>

#include <string>

#include "app/bridge_rig.h"
#include "http_example/raw_client.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

namespace Zorbel {
namespace {

using EndToEnd::BridgeRig;

// An answer as http_parser reads it.
struct Parsed {
  bool ok = false;        // no parse error
  bool complete = false;  // the message ended by its own framing
  unsigned status = 0;
  bool has_length = false;
  std::string length;  // the Content-Length header's value
  std::string body;
  // Parser state between callbacks.
  std::string field;
};

Parsed Parse(const std::string& raw) {
  Parsed p;
  http_parser_settings settings;
  http_parser_settings_init(&settings);
  settings.on_header_field = [](http_parser* h, const char* at, size_t n) {
    static_cast<Parsed*>(h->data)->field.assign(at, n);
    return 0;
  };
  settings.on_header_value = [](http_parser* h, const char* at, size_t n) {
    Parsed* p = static_cast<Parsed*>(h->data);
    if (strcasecmp(p->field.c_str(), "Content-Length") == 0) {
      p->has_length = true;
      p->length.assign(at, n);
    }
    return 0;
  };
  settings.on_body = [](http_parser* h, const char* at, size_t n) {
    static_cast<Parsed*>(h->data)->body.append(at, n);
    return 0;
  };
  settings.on_message_complete = [](http_parser* h) {
    static_cast<Parsed*>(h->data)->complete = true;
    return 0;
  };
  http_parser parser;
  http_parser_init(&parser, HTTP_RESPONSE);
  parser.data = &p;
  const size_t used = http_parser_execute(&parser, &settings, raw.data(), raw.size());
  p.ok = used == raw.size() && HTTP_PARSER_ERRNO(&parser) == HPE_OK;
  p.status = parser.status_code;
  return p;
}

std::string Request(const std::string& type, const std::string& body, bool with_length = true) {
  std::string r = "POST /fiscal.json HTTP/1.0\r\nContent-Type: " + type + "\r\n";
  if (with_length) r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return r + "\r\n" + body;
}

class CommandPage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
  void SetUp() override { ASSERT_EQ(rig_.Start({}), ""); }

  std::string Exchange(const std::string& request, bool half_close = false) {
    HttpExample::RawClient client;
    std::string raw;
    EXPECT_TRUE(client.Connect(static_cast<VXB::Network::PORT>(rig_.Port())));
    EXPECT_TRUE(client.Send(request));
    if (half_close) {
      EXPECT_TRUE(client.ShutdownSend());
    }
    EXPECT_TRUE(client.ReadAll(raw, 15000));
    return raw;
  }

  BridgeRig rig_;
};

TEST_F(CommandPage, EveryAnswerCarriesItsContentLength) {
  const struct {
    const char* type;
    std::string body;
    const char* holds;
  } cases[] = {
      {"application/json", R"({"ConsultarEstado":{"Secuencia":"1"}})", "\"Estado\""},
      {"text/xml; charset=ISO-8859-1",
       "<ImprimirTextoFiscal><Texto>Caf\xE9</Texto></ImprimirTextoFiscal>",
       "<ImprimirTextoFiscal>"},
      {"application/json", R"({"ConsultarEstado":{"Secuencia":"91"}})",
       "PROTOCOL_INVALID_SEQUENCE"},
      {"application/xml", "<ConsultarEstado/>", "<title>Error</title>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    const std::string raw = Exchange(Request(c.type, c.body));
    const Parsed p = Parse(raw);
    EXPECT_TRUE(p.ok) << raw;
    // Complete before the connection's end was seen: the length framed it.
    EXPECT_TRUE(p.complete) << raw;
    EXPECT_EQ(p.status, 200u);
    ASSERT_TRUE(p.has_length) << raw;
    EXPECT_EQ(p.length, std::to_string(p.body.size()));
    EXPECT_EQ(raw.substr(raw.size() - p.body.size()), p.body);
    EXPECT_NE(p.body.find(c.holds), std::string::npos) << p.body;
  }
}

// A body beyond any command document is refused unread with 413; the
// controller hears nothing.
TEST_F(CommandPage, OversizedBodyIsRefused) {
  const std::string raw = Exchange(
      "POST /fiscal.json HTTP/1.0\r\nContent-Type: application/json\r\n"
      "Content-Length: 1048577\r\n\r\n{",
      true);
  const Parsed p = Parse(raw);
  EXPECT_TRUE(p.ok && p.complete) << raw;
  EXPECT_EQ(p.status, 413u);
  EXPECT_EQ(p.length, "0");
  EXPECT_EQ(rig_.Emulator().GetStats().BytesReceived.load(), 0u);
}

// Without a Content-Length the body runs to the client's end of sending.
TEST_F(CommandPage, HalfClosedBodyWithoutLengthIsServed) {
  const std::string raw = Exchange(
      Request("application/json", R"({"ConsultarEstado":{"Secuencia":"2"}})", false), true);
  const Parsed p = Parse(raw);
  EXPECT_TRUE(p.ok && p.complete) << raw;
  EXPECT_EQ(p.status, 200u);
  EXPECT_NE(p.body.find("\"Secuencia\": \"2\""), std::string::npos) << p.body;
  EXPECT_EQ(rig_.Emulator().GetStats().Executed.load(), 1u);
}

}  // namespace
}  // namespace Zorbel
