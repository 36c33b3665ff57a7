// The bridge end to end: HTTP requests to the front end, the packet
// protocol over a pseudo-terminal, and the controller emulator on its
// other side.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "app/bridge_rig.h"
#include "app/zorbel_service.h"
#include "http_example/raw_client.h"
#include "testing/http_client.h"
#include "testing/scratch_dir.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/vxp_debug_modules.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"

namespace Zorbel {
namespace {

// Each of Parts is found in Text after the one before it.
template <std::size_t N>
void ExpectInOrder(const std::string& Text, const char* const (&Parts)[N]) {
  std::size_t at = 0;
  for (const char* part : Parts) {
    const std::size_t found = Text.find(part, at);
    ASSERT_NE(found, std::string::npos) << "missing after offset " << at << ": " << part << "\n"
                                        << Text;
    at = found + 1;
  }
}

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
    o.Inject = faults_;
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
  ZorbelEmulator::Faults faults_;
};

// A controller that refuses the first packet and garbles its first answer:
// each costs the bridge a retry.
class HttpBridgeRetrying : public HttpBridge {
 protected:
  HttpBridgeRetrying() {
    faults_.Nak = 1;
    faults_.BadChecksum = 1;
  }
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

// The same text posted in every character set a request may name reaches
// the controller as the same bytes; a set Zorbel cannot read, or a JSON
// document said to be in anything but UTF-8, is refused and nothing is
// sent. The request's charset wins over the XML declaration.
TEST_F(HttpBridge, EveryNamedCharacterSetPrintsTheSameBytes) {
  const std::string utf8 =
      "Caf\xC3\xA9 \xC3\x91"
      "and\xC3\xBA";
  const std::string latin =
      "Caf\xE9 \xD1"
      "and\xFA";
  const std::string oem =
      "Caf\x82 \xA5"
      "and\xA3";
  const std::string on_line = "Caf[82h] [A5h]and[A3h]";
  auto xml = [](const std::string& declaration, const std::string& text) {
    std::string d =
        declaration.empty() ? "" : "<?xml version=\"1.0\" encoding=\"" + declaration + "\"?>";
    return d + "<ImprimirTextoFiscal><Texto>" + text + "</Texto></ImprimirTextoFiscal>";
  };
  auto json = [](const std::string& text) {
    return "{\"ImprimirTextoFiscal\":{\"Texto\":\"" + text + "\"}}";
  };
  const struct {
    std::string Type;
    std::string Body;
    const char* Refusal;  // null: the text reaches the line
  } cases[] = {
      {"text/xml", xml("", utf8), nullptr},
      {"text/xml; charset=UTF-8", xml("", utf8), nullptr},
      {"text/xml; charset=utf8", xml("", utf8), nullptr},
      {"text/xml; charset=ISO-8859-1", xml("", latin), nullptr},
      {"text/xml; charset=latin1", xml("", latin), nullptr},
      {"text/xml; charset=l1", xml("", latin), nullptr},
      {"text/xml; charset=ISO_8859-1", xml("", latin), nullptr},
      {"text/xml; charset=windows-1252", xml("", latin), nullptr},
      {"text/xml; charset=\"cp1252\"", xml("", latin), nullptr},
      {"text/xml; charset=x-cp1252", xml("", latin), nullptr},
      {"text/xml; charset=IBM437", xml("", oem), nullptr},
      {"text/xml; charset=cp437", xml("", oem), nullptr},
      {"text/xml; charset=IBM850", xml("", oem), nullptr},
      {"text/xml; charset=CP850", xml("", oem), nullptr},
      {"text/xml", xml("windows-1252", latin), nullptr},
      {"text/xml", xml("cp850", oem), nullptr},
      {"text/xml; charset=windows-1252", xml("UTF-8", latin), nullptr},
      {"application/json", json(utf8), nullptr},
      {"application/json; charset=UTF-8", json(utf8), nullptr},
      {"text/xml; charset=KOI8-R", xml("", utf8), "PROTOCOL_INVALID_ENCODING"},
      {"text/xml", xml("KOI8-R", utf8), "XML_BAD_ENCODING"},
      {"application/json; charset=ISO-8859-1", json(latin), "PROTOCOL_INVALID_ENCODING"},
      {"application/json; charset=windows-1252", json(latin), "PROTOCOL_INVALID_ENCODING"},
  };
  unsigned answered = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Type + " " + c.Body);
    // The bridge's ACK of the previous answer may still be on its way.
    ASSERT_TRUE(rig_.Emulator().WaitAcknowledged(answered, 5000));
    const std::size_t trace_before = Trace().size();
    const unsigned bytes_before = Stats().BytesReceived.load();
    HttpAnswer a = Post("fiscal.xml", c.Type, c.Body);
    ASSERT_EQ(a.Status, 200);
    if (c.Refusal == nullptr) {
      ++answered;
      EXPECT_EQ(a.Body.find("Contexto"), std::string::npos) << a.Body;
      EXPECT_NE(Trace().find(on_line, trace_before), std::string::npos) << Trace();
    } else {
      EXPECT_NE(a.Body.find(c.Refusal), std::string::npos) << a.Body;
      EXPECT_EQ(Stats().BytesReceived.load(), bytes_before);
    }
  }
  // US-ASCII has no accented letters: one outside it prints as '?'.
  HttpAnswer a = Post("fiscal.xml", "text/xml; charset=US-ASCII", xml("", "Caf\xE9"));
  ASSERT_EQ(a.Status, 200);
  EXPECT_NE(Trace().find("Caf?"), std::string::npos) << Trace();
}

// A client that resends after a lost answer uses the same Secuencia: the
// bridge answers from its journal, byte for byte, and marks the answer.
TEST_F(HttpBridge, ResendWithSameSequenceExecutesOnce) {
  const std::string doc = R"({"ImprimirTextoFiscal":{"Texto":"Uno","Secuencia":"7"}})";
  HttpAnswer first = Json(doc);
  HttpAnswer second = Json(doc);
  ASSERT_EQ(first.Status, 200);
  ASSERT_EQ(second.Status, 200);
  EXPECT_EQ(first.Body, second.Body);
  EXPECT_NE(Compact(first.Body).find(R"("Secuencia":"7")"), std::string::npos) << first.Body;
  EXPECT_EQ(Stats().Executed.load(), 1u);
  EXPECT_EQ(first.Head.find("Zorbel-Replayed"), std::string::npos) << first.Head;
  EXPECT_NE(second.Head.find("\r\nZorbel-Replayed: 1"), std::string::npos) << second.Head;
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

// The index page: the status, the latest commands from the journal, the
// links, then the log, in that order; a client's key and markup that
// reached the log are shown as text, never as markup.
TEST_F(HttpBridge, IndexPageShowsStatusCommandsLinksAndTheLog) {
  ASSERT_EQ(rig_.JsonWithKey(R"({"ConsultarEstado":{"Secuencia":"12"}})", "<b>caja</b>").Status,
            200);
  VXB::Log::Write("Texto con marcas: <i id=o>x</i>");
  HttpAnswer a = HttpRequest(port_, "GET", "/", "", "");
  ASSERT_EQ(a.Status, 200);
  // In page order.
  const char* in_order[] = {
      "<title>Registro</title>",
      "<style type=\"text/css\">body {",
      "<div class=\"estado\" id=\"estado\">",
      "alcanzable: respondi",
      "ConsultarEstado: OK",
      "Estado fiscal",
      "Documento fiscal</strong></td><td><span>cerrado",
      "Diario: en orden; paquetes en duda resueltos 0, abandonados 0",
      "<div class=\"comandos\" id=\"recientes\">",
      "<table class=\"comandos\">",
      "<td><span>127.0.0.1</span></td><td><span>&lt;b&gt;caja&lt;/b&gt;</span></td>"
      "<td><span>12</span></td><td><span>ConsultarEstado</span></td>"
      "<td><span class=\"bien\">respondido</span>",
      "<a href=\"/commands\">",
      "<a href=\"/schema.json\">",
      "<a href=\"/status.json\">",
      "<a href=\"/metrics\">",
      "<pre>",
      "&lt;i id=o&gt;",
  };
  ExpectInOrder(a.Body, in_order);
  EXPECT_EQ(a.Body.find("<b>caja"), std::string::npos);
  EXPECT_EQ(a.Body.find("<i id=o>"), std::string::npos);
}

// The command reference and its schema come from the catalogue and never
// reach the controller; other paths stay unknown.
TEST_F(HttpBridge, ReferencePagesAreServedWithoutTheController) {
  HttpAnswer page = HttpRequest(port_, "GET", "/commands", "", "");
  ASSERT_EQ(page.Status, 200);
  EXPECT_NE(page.ContentType.find("text/html"), std::string::npos) << page.ContentType;
  EXPECT_NE(page.Body.find("id=\"ImprimirItem\""), std::string::npos);
  HttpAnswer schema = HttpRequest(port_, "GET", "/schema.json", "", "");
  ASSERT_EQ(schema.Status, 200);
  EXPECT_NE(schema.ContentType.find("application/json"), std::string::npos);
  const nlohmann::json j = nlohmann::json::parse(schema.Body);
  EXPECT_EQ(j.at("$schema"), "https://json-schema.org/draft/2020-12/schema");
  EXPECT_EQ(j.at("oneOf").size(), VXP::Argentina::RG3561::AllCommands().size());
  EXPECT_EQ(HttpRequest(port_, "GET", "/command", "", "").Status, 404);
  EXPECT_EQ(Stats().BytesReceived.load(), 0u);
}

// What a technician's monitoring reads: /status.json and /metrics move with
// the commands (their retries, an answer from the journal) and the requests
// the access rules refuse, parse with the real tools, and never reach the
// controller.
TEST_F(HttpBridgeRetrying, StatusAndMetricsCountCommandsWithoutTheController) {
  ASSERT_EQ(Post("fiscal.json", "application/json",
                 R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA"}})")
                .Status,
            200);
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(rig_.JsonWithKey(R"({"ConsultarEstado":{}})", "caja-1/7").Status, 200);
  Post("fiscal.json", "application/json", R"({"ConsultarEstado":{"Secuencia":"x"}})");
  EXPECT_EQ(HttpExample::Exchange(static_cast<VXB::Network::PORT>(port_),
                                  "GET /status.json HTTP/1.0\r\nHost: evil.example\r\n\r\n")
                .status,
            421);
  EXPECT_EQ(HttpRequest(port_, "POST", "/fiscal.json", "application/json", "{}", 10000,
                        "Origin: http://evil.example\r\n")
                .Status,
            403);
  // The controller has seen the acknowledge of both answers it gave.
  ASSERT_TRUE(rig_.Emulator().WaitAcknowledged(2, 5000));
  const unsigned bytes = Stats().BytesReceived.load();

  HttpAnswer status = HttpRequest(port_, "GET", "/status.json", "", "");
  ASSERT_EQ(status.Status, 200);
  const nlohmann::json j = nlohmann::json::parse(status.Body);
  EXPECT_EQ(j.at("counts").at("commands"), 4);
  EXPECT_EQ(j.at("counts").at("reached_controller"), 2);
  EXPECT_EQ(j.at("counts").at("errors").at("PROTOCOL_INVALID_SEQUENCE"), 1);
  EXPECT_EQ(j.at("last_command").at("command"), "ConsultarEstado");
  EXPECT_EQ(j.at("last_command").at("outcome"), "PROTOCOL_INVALID_SEQUENCE");
  EXPECT_TRUE(j.at("serial").at("open").get<bool>());
  EXPECT_TRUE(j.at("controller").at("fiscal").at("bits").is_array());
  const nlohmann::json& counts = j.at("counts");
  EXPECT_EQ(
      counts.at("retries"),
      nlohmann::json::parse(R"({"timeout":0,"nak":1,"checksum":1,"mismatch":0,"overflow":0})"));
  EXPECT_EQ(counts.at("journal_replays"), nlohmann::json::parse(R"({"key":1,"sequence":0})"));
  EXPECT_EQ(counts.at("packets_in_doubt"),
            nlohmann::json::parse(R"({"resolved":0,"abandoned":0})"));
  EXPECT_EQ(counts.at("refused"),
            nlohmann::json::parse(R"({"host":1,"origin":1,"client":0,"capacity":0})"));
  EXPECT_FALSE(j.at("packet_in_doubt").get<bool>());
  EXPECT_FALSE(j.at("journal").at("write_failed").get<bool>());

  HttpAnswer metrics = HttpRequest(port_, "GET", "/metrics", "", "");
  ASSERT_EQ(metrics.Status, 200);
  EXPECT_NE(metrics.ContentType.find("text/plain"), std::string::npos);
  const auto dir = Testing::MakeScratchDir("metrics");
  const std::string page = (dir / "metrics.txt").string();
  const std::string parsed = (dir / "metrics.json").string();
  std::ofstream(page, std::ios::binary) << metrics.Body;
  const std::string command = std::string(ZORBEL_PYTHON) + " " + ZORBEL_TEST_DATA_DIR +
                              "/parse_metrics.py " + page + " " + parsed;
  ASSERT_EQ(std::system(command.c_str()), 0) << metrics.Body;
  std::map<std::string, double> values;
  for (const auto& s : nlohmann::json::parse(std::ifstream(parsed))) {
    std::string key = s.at("name");
    for (const auto& [label, value] : s.at("labels").items())
      key += "|" + label + "=" + value.get<std::string>();
    values[key] = s.at("value");
  }
  const std::map<std::string, double> expected = {
      {"zorbel_commands_total", 4},
      {"zorbel_command_errors_total|error=PROTOCOL_INVALID_SEQUENCE", 1},
      {"zorbel_command_duration_seconds_count", 4},
      {"zorbel_command_duration_seconds_bucket|le=+Inf", 4},
      {"zorbel_command_duration_seconds_bucket|le=30", 4},
      {"zorbel_serial_port_open", 1},
      {"zorbel_packet_retries_total|cause=timeout", 0},
      {"zorbel_packet_retries_total|cause=nak", 1},
      {"zorbel_packet_retries_total|cause=checksum", 1},
      {"zorbel_packet_retries_total|cause=mismatch", 0},
      {"zorbel_packet_retries_total|cause=overflow", 0},
      {"zorbel_journal_replays_total|match=key", 1},
      {"zorbel_journal_replays_total|match=sequence", 0},
      {"zorbel_packets_in_doubt_total|outcome=resolved", 0},
      {"zorbel_packets_in_doubt_total|outcome=abandoned", 0},
      {"zorbel_packet_in_doubt", 0},
      {"zorbel_journal_write_failed", 0},
      {"zorbel_http_refusals_total|reason=host", 1},
      {"zorbel_http_refusals_total|reason=origin", 1},
      {"zorbel_http_refusals_total|reason=client", 0},
      {"zorbel_http_refusals_total|reason=capacity", 0},
  };
  for (const auto& [key, value] : expected) {
    ASSERT_TRUE(values.count(key) == 1) << key << "\n" << metrics.Body;
    EXPECT_EQ(values.at(key), value) << key;
  }
  EXPECT_EQ(Stats().BytesReceived.load(), bytes);
  std::filesystem::remove_all(dir);
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
  ExpectInOrder(log, expected);
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
