// The bridge end to end when things go wrong between the client and the
// controller: a controller that is silent, refuses packets, is busy or out
// of paper; answers lost on the line or on the way to the client; several
// clients at once; clients the access rules keep out.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/bridge_rig.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

namespace Zorbel {
namespace {

using EndToEnd::BridgeRig;
using EndToEnd::Compact;
using Testing::HttpAnswer;

class BridgeFaults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

// One controller fault, the document the client sends and what its answer
// must hold.
struct FaultCase {
  const char* name;
  ZorbelEmulator::Faults faults;
  unsigned paper_out_ms;
  const char* request;
  const char* answer_start;  // the compact answer begins with this
  const char* answer_text;   // and holds this
  unsigned executed;         // commands the controller executed
};

// Test names show the case's name, not its bytes.
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class ControllerFault : public BridgeFaults, public ::testing::WithParamInterface<FaultCase> {};

using Faults = ZorbelEmulator::Faults;

constexpr const char* STATUS =
    R"({"ConsultarEstado":{"CodigoComprobante":"Tique","Secuencia":"5"}})";
constexpr const char* TEXT = R"({"ImprimirTextoFiscal":{"Texto":"Hola","Secuencia":"5"}})";

const FaultCase FAULT_CASES[] = {
    {"SilentController", Faults{.Silence = 100}, 0, STATUS, R"({"ConsultarEstado":{"Error":)",
     "PROTOCOL_MAX_RETRIES", 0},
    {"OneSilenceRecovered", Faults{.Silence = 1}, 0, STATUS,
     R"({"ConsultarEstado":{"Secuencia":"5")", "\"Estado\"", 1},
    {"NaksRecovered", Faults{.Nak = 2}, 0, STATUS, R"({"ConsultarEstado":{"Secuencia":"5")",
     "\"Estado\"", 1},
    {"NaksBeyondRetries", Faults{.Nak = 100}, 0, STATUS, R"({"ConsultarEstado":{"Error":)",
     "PROTOCOL_MAX_RETRIES", 0},
    {"BadAnswerChecksumRecovered", Faults{.BadChecksum = 1}, 0, STATUS,
     R"({"ConsultarEstado":{"Secuencia":"5")", "\"Estado\"", 1},
    {"BusyController", Faults{.Busy = 1}, 0, STATUS, R"({"ControladorOcupado":{"Secuencia":"5")",
     "ImpresoraOcupada", 1},
    {"PaperOut", Faults{}, 700, TEXT, R"({"ImprimirTextoFiscal":{"Secuencia":"5")",
     "FaltaPapelReceipt", 1},
    {"NaksAtRetryLimit", Faults{.Nak = 3}, 0, STATUS, R"({"ConsultarEstado":{"Error":)",
     "PROTOCOL_MAX_RETRIES", 0},
};

TEST_P(ControllerFault, AnswerNamesTheFault) {
  const FaultCase& c = GetParam();
  BridgeRig rig;
  ZorbelEmulator::Options o;
  o.Inject = c.faults;
  o.PaperOutMs = c.paper_out_ms;
  ASSERT_EQ(rig.Start(o), "");
  HttpAnswer a = rig.Json(c.request);
  ASSERT_EQ(a.Status, 200);
  EXPECT_NE(a.ContentType.find("application/json"), std::string::npos) << a.ContentType;
  EXPECT_EQ(Compact(a.Body).rfind(c.answer_start, 0), 0u) << a.Body;
  EXPECT_NE(a.Body.find(c.answer_text), std::string::npos) << a.Body;
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), c.executed) << rig.Trace();
}

INSTANTIATE_TEST_SUITE_P(Http, ControllerFault, ::testing::ValuesIn(FAULT_CASES),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

// The controller acknowledges the command and executes it, but its answer
// never arrives. The client gets either the answer (the bridge sent the
// packet again and the controller repeated its answer) or an error; sending
// the identical document again gives the answer, and the item is printed
// once.
TEST_F(BridgeFaults, AnswerLostAfterAckExecutesOnce) {
  BridgeRig rig;
  ZorbelEmulator::Options o;
  o.Inject.AckOnly = 1;
  ASSERT_EQ(rig.Start(o), "");
  const std::string doc = R"({"ImprimirTextoFiscal":{"Texto":"Una vez","Secuencia":"12"}})";
  HttpAnswer first = rig.Json(doc);
  ASSERT_EQ(first.Status, 200);
  const std::string first_body = Compact(first.Body);
  EXPECT_TRUE(first_body.rfind(R"({"ImprimirTextoFiscal":{"Secuencia":"12")", 0) == 0 ||
              first_body.rfind(R"({"ImprimirTextoFiscal":{"Error":)", 0) == 0)
      << first.Body;
  HttpAnswer again = rig.Json(doc);
  ASSERT_EQ(again.Status, 200);
  EXPECT_EQ(Compact(again.Body).rfind(R"({"ImprimirTextoFiscal":{"Secuencia":"12")", 0), 0u)
      << again.Body;
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), 1u) << rig.Trace();
  EXPECT_GE(rig.Emulator().GetStats().Replayed.load(), 1u) << rig.Trace();
}

// A client gives up waiting while the controller prints, then sends the
// identical document with the same Secuencia: it gets the answer of the
// one execution.
TEST_F(BridgeFaults, ClientTimeoutThenResendExecutesOnce) {
  BridgeRig rig;
  ZorbelEmulator::Options o;
  o.SlowMs = 1500;
  ASSERT_EQ(rig.Start(o), "");
  const std::string doc = R"({"ImprimirTextoFiscal":{"Texto":"Lento","Secuencia":"30"}})";
  HttpAnswer first = rig.Json(doc, 300);
  EXPECT_EQ(first.Status, 0) << "the client was meant to give up first: " << first.Body;
  HttpAnswer again = rig.Json(doc);
  ASSERT_EQ(again.Status, 200);
  EXPECT_EQ(Compact(again.Body).rfind(R"({"ImprimirTextoFiscal":{"Secuencia":"30")", 0), 0u)
      << again.Body;
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), 1u) << rig.Trace();
  // The bridge had the answer: it came from its journal, not the controller.
  EXPECT_EQ(rig.Emulator().GetStats().Replayed.load(), 0u) << rig.Trace();
  EXPECT_NE(again.Head.find("\r\nZorbel-Replayed: 1"), std::string::npos) << again.Head;
}

// Several clients query the status while another runs a numbered sale.
// The server takes one request at a time: every answer must be the one to
// its own request (command and Secuencia), and nothing may run twice.
TEST_F(BridgeFaults, ConcurrentClientsGetTheirOwnAnswers) {
  BridgeRig rig;
  ZorbelEmulator::Options o;
  o.SlowMs = 150;  // queries queue up behind the printing steps
  ASSERT_EQ(rig.Start(o), "");

  struct Step {
    const char* command;
    std::string fields;
  };
  const std::vector<Step> sale = {
      {"AbrirDocumento", R"("CodigoComprobante":"83")"},
      {"ImprimirItem",
       R"("Descripcion":"Cafe","Cantidad":"1","PrecioUnitario":"2.50","CondicionIVA":"7",)"
       R"("AlicuotaIVA":"21.00","OperacionMonto":"M","MagnitudImpuestoInterno":"0",)"
       R"("ModoBaseTotal":"T")"},
      {"ImprimirItem",
       R"("Descripcion":"Medialuna","Cantidad":"2","PrecioUnitario":"1.00","CondicionIVA":"7",)"
       R"("AlicuotaIVA":"21.00","OperacionMonto":"M","MagnitudImpuestoInterno":"0",)"
       R"("ModoBaseTotal":"T")"},
      {"ImprimirPago", R"("Descripcion":"Efectivo","Monto":"4.50","Operacion":"T")"},
      {"CerrarDocumento", ""},
  };
  constexpr unsigned QUERIERS = 3;
  constexpr unsigned QUERIES = 8;

  std::vector<std::string> failures[QUERIERS + 1];
  auto check = [](const HttpAnswer& a, const std::string& command, unsigned sequence,
                  std::vector<std::string>& out) {
    const std::string expect =
        "{\"" + command + "\":{\"Secuencia\":\"" + std::to_string(sequence) + "\"";
    if (a.Status != 200 || Compact(a.Body).rfind(expect, 0) != 0)
      out.push_back(expect + " <- " + std::to_string(a.Status) + " " + a.Body);
  };
  std::thread seller([&] {
    unsigned sequence = 1;
    for (const Step& s : sale) {
      std::string doc = std::string("{\"") + s.command + "\":{" + s.fields +
                        (s.fields.empty() ? "" : ",") + "\"Secuencia\":\"" +
                        std::to_string(sequence) + "\"}}";
      check(rig.Json(doc, 30000), s.command, sequence, failures[QUERIERS]);
      ++sequence;
    }
  });
  std::vector<std::thread> queriers;
  for (unsigned q = 0; q < QUERIERS; ++q) {
    queriers.emplace_back([&, q] {
      for (unsigned i = 0; i < QUERIES; ++i) {
        const unsigned sequence = 10 + q * QUERIES + i;  // 10..33, none shared
        check(rig.Json(R"({"ConsultarEstado":{"Secuencia":")" + std::to_string(sequence) + "\"}}",
                       30000),
              "ConsultarEstado", sequence, failures[q]);
      }
    });
  }
  seller.join();
  for (std::thread& t : queriers) t.join();
  for (const auto& f : failures)
    for (const std::string& line : f) ADD_FAILURE() << line;

  const unsigned total = static_cast<unsigned>(sale.size()) + QUERIERS * QUERIES;
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), total) << rig.Trace();
  EXPECT_EQ(rig.Emulator().GetStats().Replayed.load(), 0u);
  rig.Stop();
  const ZorbelEmulator::FiscalController& controller = rig.Emulator().Controller();
  EXPECT_FALSE(controller.DocumentOpen());
  EXPECT_EQ(controller.Executed(), total);
  EXPECT_EQ(controller.LastNumber(83), 1u);
}

// AllowedClients decides who may send commands: a refused client gets no
// answer from the controller and nothing reaches the line.
TEST_F(BridgeFaults, AllowedClientsRefuseOrLetIn) {
  struct Case {
    const char* rules;
    bool allowed;
  } cases[] = {
      {"", true},
      {"127.0.0.1", true},
      {"10.0.0.0/8, 127.0.0.0/8", true},
      {"10.0.0.0/8", false},
      {"!127.0.0.1, 0.0.0.0/0", false},
      {"192.168.1.5,!127.0.0.0/8", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rules);
    BridgeRig rig;
    ConfigParams config;
    config.AllowedClients = c.rules;
    ASSERT_EQ(rig.Start({}, config), "");
    HttpAnswer a = rig.Json(STATUS);
    if (c.allowed) {
      EXPECT_EQ(a.Status, 200);
      EXPECT_EQ(Compact(a.Body).rfind(R"({"ConsultarEstado":{"Secuencia":"5")", 0), 0u) << a.Body;
      EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), 1u);
    } else {
      EXPECT_TRUE(a.Status == 403 || a.Status == 0) << a.Status;
      EXPECT_EQ(a.Body.find("ConsultarEstado"), std::string::npos) << a.Body;
      EXPECT_EQ(rig.Emulator().GetStats().BytesReceived.load(), 0u);
    }
  }
}

// The answer journal over HTTP. The controller executes a line and its
// answer is lost; the till gets an error. Another client's command comes
// next (the bridge first settles the line in doubt), then the till's resend
// with the same Secuencia or Idempotency-Key: the answer comes from the
// journal, marked, and the line was printed once. Keys that are not keys,
// or that are reused for another document, are refused and nothing is
// sent.
TEST_F(BridgeFaults, JournalAnswersResendsAfterOtherClients) {
  struct Case {
    const char* name;
    const char* doc;
    std::string key;
    bool lost;          // the first answer is lost on the line
    int second_status;  // status of the resend
    bool replayed;
    const char* resend;  // the resend's document (null: the same)
  };
  const std::string long_key(256, 'k');
  const Case cases[] = {
      {"secuencia", R"({"ImprimirTextoFiscal":{"Texto":"Uno","Secuencia":"9"}})", "", true, 200,
       true, nullptr},
      {"key", R"({"ImprimirTextoFiscal":{"Texto":"Dos"}})", "till-1/line-2", true, 200, true,
       nullptr},
      {"key, spacing differs", R"({"ImprimirTextoFiscal":{"Texto":"Tres"}})", "k3", false, 200,
       true, R"({ "ImprimirTextoFiscal" : { "Texto" : "Tres" } })"},
      {"key, other document", R"({"ImprimirTextoFiscal":{"Texto":"Cuatro"}})", "k4", false, 422,
       false, R"({"ImprimirTextoFiscal":{"Texto":"Cinco"}})"},
      {"key too long", R"({"ImprimirTextoFiscal":{"Texto":"Seis"}})", long_key, false, 400, false,
       nullptr},
      {"key with a control", R"({"ImprimirTextoFiscal":{"Texto":"Siete"}})", "a\tb", false, 400,
       false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BridgeRig rig;
    ZorbelEmulator::Options o;
    o.Inject.AckOnly = c.lost ? 1 : 0;
    ASSERT_EQ(rig.Start(o), "");
    auto send = [&](const char* doc) {
      return c.key.empty() ? rig.Json(doc) : rig.JsonWithKey(doc, c.key);
    };
    HttpAnswer first = send(c.doc);
    const bool refused = c.second_status == 400;
    EXPECT_EQ(first.Status, refused ? 400 : 200) << first.Body;
    EXPECT_EQ(first.Body.find("\"Error\"") != std::string::npos, c.lost || refused) << first.Body;
    HttpAnswer status = rig.Json(R"({"ConsultarEstado":{}})");
    EXPECT_EQ(status.Body.find("\"Error\""), std::string::npos) << status.Body;
    HttpAnswer again = send(c.resend != nullptr ? c.resend : c.doc);
    EXPECT_EQ(again.Status, c.second_status) << again.Body;
    EXPECT_EQ(again.Head.find("\r\nZorbel-Replayed: 1") != std::string::npos, c.replayed)
        << again.Head;
    if (c.replayed) {
      EXPECT_EQ(again.Body.find("\"Error\""), std::string::npos) << again.Body;
      EXPECT_NE(Compact(again.Body).find("{\"ImprimirTextoFiscal\":{"), std::string::npos);
    }
    // The index page tells the packets settled after a lost answer.
    const HttpAnswer index = ::Testing::HttpRequest(rig.Port(), "GET", "/", "", "");
    EXPECT_NE(index.Body.find(c.lost ? "Diario: en orden; paquetes en duda resueltos 1,"
                                     : "Diario: en orden; paquetes en duda resueltos 0,"),
              std::string::npos)
        << index.Body;
    // /status.json counts the packet settled and the answer replayed by
    // what matched it.
    const nlohmann::json page = nlohmann::json::parse(
        ::Testing::HttpRequest(rig.Port(), "GET", "/status.json", "", "").Body);
    const nlohmann::json& counts = page.at("counts");
    EXPECT_EQ(counts.at("packets_in_doubt").at("resolved"), c.lost ? 1 : 0);
    EXPECT_EQ(counts.at("journal_replays").at("key"), c.replayed && !c.key.empty() ? 1 : 0);
    EXPECT_EQ(counts.at("journal_replays").at("sequence"), c.replayed && c.key.empty() ? 1 : 0);
    EXPECT_FALSE(page.at("packet_in_doubt").get<bool>());
    rig.Stop();
    unsigned printed = 0;
    for (const ZorbelEmulator::Execution& e : rig.Emulator().Executions())
      if (e.Packet[1] == 0x41) printed += e.Count;
    EXPECT_EQ(printed, refused ? 0u : 1u) << rig.Emulator().Summary();
  }
}

}  // namespace
}  // namespace Zorbel
