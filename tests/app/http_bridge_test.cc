// The bridge end to end: HTTP requests to the front end, the packet
// protocol over a pseudo-terminal, and the controller emulator on its
// other side.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/bridge_rig.h"
#include "app/zorbel_service.h"
#include "testing/http_client.h"
#include "testing/scratch_dir.h"
#include "vxb/common/debug.h"
#include "vxb/common/error.h"
#include "vxb/common/log.h"
#include "vxb/common/serial_port.h"
#include "vxp/vxp_debug_modules.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"

namespace Zorbel {
namespace {

using Testing::HttpAnswer;
using Testing::HttpRequest;

using EndToEnd::BridgeRig;
using EndToEnd::Compact;

class HttpBridge : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }

  void SetUp() override {
    ZorbelEmulator::Options o;
    o.SlowMs = slow_ms_;
    ASSERT_EQ(rig_.Start(o), "");
    port_ = rig_.Port();
  }

  HttpAnswer Post(const std::string& page, const std::string& type, const std::string& body) {
    return rig_.Post(page, type, body);
  }
  HttpAnswer Json(const std::string& body) { return rig_.Json(body); }
  std::string Trace() { return rig_.Trace(); }
  const ZorbelEmulator::Stats& Stats() { return rig_.Emulator().GetStats(); }

  BridgeRig rig_;
  unsigned port_ = 0;
  unsigned slow_ms_ = 0;
};

TEST_F(HttpBridge, JsonStatusQueryAnswersInItsFormat) {
  HttpAnswer a = Json(R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA","Secuencia":"3"}})");
  ASSERT_EQ(a.Status, 200) << a.Body;
  EXPECT_NE(a.ContentType.find("application/json"), std::string::npos) << a.ContentType;
  EXPECT_EQ(Compact(a.Body).rfind(R"({"ConsultarEstado":{"Secuencia":"3")", 0), 0u) << a.Body;
  EXPECT_NE(a.Body.find("\"Estado\""), std::string::npos) << a.Body;
  EXPECT_EQ(Stats().Executed.load(), 1u);
}

// The document's own character set reaches the controller as its code
// page: "é" is 0x82 on the line.
TEST_F(HttpBridge, XmlLatin1TextReachesTheLineIntact) {
  const std::string doc =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
      "<ImprimirTextoFiscal><Texto>Caf\xE9</Texto></ImprimirTextoFiscal>";
  HttpAnswer a = Post("fiscal.xml", "text/xml; charset=ISO-8859-1", doc);
  ASSERT_EQ(a.Status, 200);
  EXPECT_NE(a.ContentType.find("text/xml"), std::string::npos) << a.ContentType;
  EXPECT_NE(a.Body.find("<ImprimirTextoFiscal"), std::string::npos) << a.Body;
  EXPECT_NE(Trace().find("Caf[82h]"), std::string::npos) << Trace();
}

// A client that resends after a lost answer uses the same Secuencia: the
// controller sees the same packet number and does not execute it again.
TEST_F(HttpBridge, ResendWithSameSequenceExecutesOnce) {
  const std::string doc = R"({"ImprimirTextoFiscal":{"Texto":"Uno","Secuencia":"7"}})";
  HttpAnswer first = Json(doc);
  HttpAnswer second = Json(doc);
  ASSERT_EQ(first.Status, 200);
  ASSERT_EQ(second.Status, 200);
  EXPECT_EQ(first.Body, second.Body);
  EXPECT_NE(Compact(first.Body).find(R"("Secuencia":"7")"), std::string::npos) << first.Body;
  EXPECT_EQ(Stats().Executed.load(), 1u);
  EXPECT_EQ(Stats().Replayed.load(), 1u);
}

// A client's Secuencia N goes on the line as packet number N + 31 and comes
// back as N; a request without one continues from the next packet number.
// The controller's side reads the number from the raw packet: STX, the
// number, ESC, the command.
TEST_F(HttpBridge, SecuenciaIsThePacketNumberOnTheLine) {
  const struct {
    const char* given;  // null: no Secuencia in the request
    char packet;
    const char* answered;
  } cases[] = {{"1", 32, "1"}, {"90", 121, "90"}, {nullptr, 122, "91"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given != nullptr ? c.given : "none");
    const std::string sequence =
        c.given != nullptr ? std::string(R"(,"Secuencia":")") + c.given + "\"" : "";
    const std::size_t before = Trace().size();
    HttpAnswer a = Json(R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA")" + sequence + "}}");
    ASSERT_EQ(a.Status, 200) << a.Body;
    EXPECT_EQ(Compact(a.Body).rfind(
                  std::string(R"({"ConsultarEstado":{"Secuencia":")") + c.answered + "\",", 0),
              0u)
        << a.Body;
    const std::string line = Trace().substr(before);
    EXPECT_NE(line.find(std::string("Recibido: [STX]") + c.packet + "[ESC]*"), std::string::npos)
        << line;
  }
}

// Documents refused before anything is sent: the line stays silent.
TEST_F(HttpBridge, BadDocumentsWriteNothingToTheLine) {
  struct Case {
    const char* type;
    const char* body;
    const char* expect_type;
    const char* expect_text;
  } cases[] = {
      {"application/xml", "<ConsultarEstado/>", "text/html", "Error"},
      {"application/json", R"({"NoExiste":{}})", "application/json", "\"Error\""},
      {"application/json", R"({"ConsultarEstado":{)", "application/json", "\"Error\""},
      {"application/json", R"({"ConsultarEstado":{"Secuencia":"0"}})", "application/json",
       "PROTOCOL_INVALID_SEQUENCE"},
      {"application/json", R"({"ConsultarEstado":{"Secuencia":"91"}})", "application/json",
       "PROTOCOL_INVALID_SEQUENCE"},
      {"application/json", R"({"ConsultarEstado":{"Secuencia":"x"}})", "application/json",
       "PROTOCOL_INVALID_SEQUENCE"},
      {"application/json", "{\"ImprimirTextoFiscal\":{\"Texto\":\"a\\u0002b\"}}",
       "application/json", "\"Error\""},
      {"text/xml", "<ConsultarEstado><Secuencia>91</Secuencia></ConsultarEstado>", "text/xml",
       "PROTOCOL_INVALID_SEQUENCE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    HttpAnswer a = Post("fiscal.json", c.type, c.body);
    EXPECT_EQ(a.Status, 200);
    EXPECT_NE(a.ContentType.find(c.expect_type), std::string::npos) << a.ContentType;
    EXPECT_NE(a.Body.find(c.expect_text), std::string::npos) << a.Body;
  }
  EXPECT_EQ(Stats().BytesReceived.load(), 0u);
}

TEST_F(HttpBridge, IndexPageShowsTheLog) {
  HttpAnswer a = HttpRequest(port_, "GET", "/", "", "");
  ASSERT_EQ(a.Status, 200);
  EXPECT_NE(a.Body.find("Registro"), std::string::npos) << a.Body;
  EXPECT_NE(a.Body.find("<pre"), std::string::npos) << a.Body;
}

// The log a technician reads at debug level 3: the request as read, the
// packet exchange, and the answer, in the order they happened.
TEST_F(HttpBridge, DebugLevelThreeLogsRequestExchangeAndAnswerInOrder) {
  const auto dir = Testing::MakeScratchDir("trace");
  VXB::Log::SetFilename((dir / "zorbel.log").c_str());
  VXB::Debug::Init();
  VXP::Debug::Init();
  VXB::Debug::Control::Init();
  VXB::Debug::TransportCustom transport;
  transport.SetCallback(DebugCustom);
  transport.Enable(true);
  VXB::Debug::Control::SetCurrentTransport(&transport);
  ApplyDebugLevel(3);
  const HttpAnswer a = Json(R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA"}})");
  ApplyDebugLevel(0);
  VXB::Debug::Control::SetCurrentTransport(nullptr);
  ASSERT_EQ(a.Status, 200) << a.Body;

  std::string log;
  VXB::Byte chunk[256];
  unsigned size = sizeof chunk;
  for (bool more = VXB::Log::ReadFirst(chunk, size); more && size > 0;
       more = VXB::Log::ReadNext(chunk, size = sizeof chunk))
    log.append(reinterpret_cast<const char*>(chunk), size);
  VXB::Log::SetFilename("log");

  const char* expected[] = {
      "[fiscal.json] Cliente 127.0.0.1 (",
      "[fiscal.json] Comando desde JSON (",
      "[fiscal.json] Comando [ConsultarEstado]",
      "[ConsultarEstado] \tCodigoComprobante: [",
      "[VardexPacketProtocol] Write:",
      "bytes written)",
      "[VardexPacketProtocol] ACK recibido",
      "[VardexPacketProtocol] Respuesta:",
      "[VardexPacketProtocol] Write:",
      "[VardexPacketProtocol] Respuesta procesada; ",
      "[VardexPacketProtocol] Comando OK",
      "[ConsultarEstado] OK",
      "[ConsultarEstado] \tEstado fiscal:",
      "[ConsultarEstado] \t\tMemoriaFiscalInicializada",
      "[ConsultarEstado] \tCodigoComprobante: FacturaA",
  };
  std::size_t at = 0;
  for (const char* line : expected) {
    const std::size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing after offset " << at << ": " << line << "\n"
                                        << log;
    at = found + 1;
  }
}

class SlowHttpBridge : public HttpBridge {
 protected:
  SlowHttpBridge() { slow_ms_ = 20000; }
};

// A stop while the controller prints ends the exchange at once; its client
// still gets the error document, and the front end stops.
TEST_F(SlowHttpBridge, StopDuringSlowCommandAnswersAborted) {
  HttpAnswer a;
  std::thread client(
      [&] { a = Json(R"({"ImprimirTextoFiscal":{"Texto":"Lento","Secuencia":"9"}})"); });
  for (int i = 0; i < 500 && Stats().Packets.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(Stats().Packets.load(), 1u);
  rig_.Front().Stop();
  rig_.Front().WaitStopped();
  client.join();
  EXPECT_EQ(a.Status, 200);
  EXPECT_NE(a.ContentType.find("application/json"), std::string::npos) << a.ContentType;
  EXPECT_NE(a.Body.find("PROTOCOL_ABORTED"), std::string::npos) << a.Body;
  EXPECT_NE(Compact(a.Body).find(R"({"ImprimirTextoFiscal":{"Error")"), std::string::npos)
      << a.Body;
  // Nothing is served, and nothing sent, after the stop.
  EXPECT_EQ(HttpRequest(port_, "GET", "/", "", "", 500).Status, 0);
}

}  // namespace
}  // namespace Zorbel
