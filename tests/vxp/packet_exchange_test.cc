// The command exchange against a scripted controller: acknowledge, retry,
// busy-state, lost-answer and abort rules, with the bytes on the line and
// the trace texts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxp/scripted_controller.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vxp_errno.h"

namespace VXP {
namespace {

using Testing::Bytes;
using Testing::HostFrame;
using Testing::ScriptedController;
using Testing::TraceRecorder;

constexpr VXB::Byte STX = 0x02;
constexpr VXB::Byte ETX = 0x03;
constexpr VXB::Byte ACK = 0x06;
constexpr VXB::Byte DC2 = 0x12;
constexpr VXB::Byte DC4 = 0x14;
constexpr VXB::Byte NAK = 0x15;
constexpr VXB::Byte CMD = 0x2A;

std::atomic<unsigned> g_events[5];
void CountEvent(CommunicationsProtocol::Events e) { ++g_events[e]; }

std::string LastContextOf() { return VXB::Error::GetLastError()->Context; }

class PacketExchangeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
  void SetUp() override {
    for (auto& e : g_events) e.store(0);
    ASSERT_TRUE(p.SetDriver(&ctl.Port()));
    p.SetEventHandler(&CountEvent);
  }

  VardexDataContainer Command(VXB::Byte cmd = CMD) {
    VardexDataContainer c(cmd);
    c.AddField("1");
    return c;
  }
  static VXB::Error::ErrNo LastError() { return VXB::Error::GetLastError()->Error; }
  static std::string LastContext() { return VXB::Error::GetLastError()->Context; }
  // The retry counts: time-outs, NAKs, bad checksums, mismatches, overflows.
  std::vector<std::uint64_t> Retries() const {
    const RetryCounts& r = p.GetRetryCounts();
    return {r.Timeouts, r.Naks, r.BadChecksums, r.Mismatches, r.Overflows};
  }
  using Counts = std::vector<std::uint64_t>;
  std::vector<unsigned> Sequences() {
    std::vector<unsigned> s;
    for (const HostFrame& f : ctl.Frames()) s.push_back(f.Sequence);
    return s;
  }

  ScriptedController ctl{true};
  VardexPacketProtocol p{true};
  TraceRecorder trace;
};

TEST_F(PacketExchangeTest, GoodExchange) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0600", "8000", "F1", "", "F3"});
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  const std::vector<HostFrame> frames = ctl.Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_TRUE(frames[0].ChecksumOK);
  EXPECT_TRUE(frames[0].HasEsc);
  EXPECT_EQ(frames[0].Sequence, 0x20);
  EXPECT_EQ(frames[0].Command, CMD);
  EXPECT_EQ(frames[0].Text, "1");
  EXPECT_EQ(ctl.HostBytes(), (Bytes{ACK}));
  EXPECT_EQ(p.GetPrinterStatusWord(), 0x0600);
  EXPECT_EQ(p.GetFiscalStatusWord(), 0x8000);
  EXPECT_EQ(p.GetReceivedSequence(), 0x20u);
  EXPECT_EQ(p.GetNextSequence(), 0x21u);
  EXPECT_FALSE(p.IsBusy());
  const VardexDataContainer& a = p.GetAnswer();
  EXPECT_EQ(a.GetCommand(), CMD);
  ASSERT_EQ(a.GetNumberOfFields(), 3u);
  EXPECT_STREQ(a.GetField(0), "F1");
  EXPECT_STREQ(a.GetField(1), "");
  EXPECT_STREQ(a.GetField(2), "F3");
  EXPECT_TRUE(trace.Contains("ACK recibido"));
  EXPECT_TRUE(trace.Contains("Comando OK"));
  EXPECT_TRUE(
      trace.Contains("Respuesta procesada; 5 campos, estado impresor 0600, estado fiscal 8000"));
  EXPECT_EQ(g_events[CommunicationsProtocol::PACKET_ACKNOWLEDGED].load(), 1u);
  EXPECT_EQ(g_events[CommunicationsProtocol::RETRYING].load(), 0u);
}

TEST_F(PacketExchangeTest, PlainVariantExchange) {
  ScriptedController plain{false};
  VardexPacketProtocol q{false};
  q.SetDriver(&plain.Port());
  plain.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0", "1", "x"});
  });
  ASSERT_TRUE(q.SendCommand(Command())) << LastContext();
  EXPECT_FALSE(plain.Frames()[0].HasEsc);
  EXPECT_EQ(q.GetFiscalStatusWord(), 1);
  EXPECT_STREQ(q.GetAnswer().GetField(0), "x");
}

TEST_F(PacketExchangeTest, PlainVariantShortBodyIsRefused) {
  ScriptedController plain{false};
  VardexPacketProtocol q{false};
  q.SetDriver(&plain.Port());
  plain.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(f.Sequence, f.Command, {}));
  });
  EXPECT_FALSE(q.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_INVALID_PACKET);
  EXPECT_EQ(LastContext(), "Se esperaban al menos 3 bytes, se recibieron 2");
}

TEST_F(PacketExchangeTest, SilentControllerWithRealTimeouts) {
  // The real settings: 3 tries of 2000 ms each.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(p.SendCommand(Command()));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  EXPECT_GE(ms, 5500);
  EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
  EXPECT_EQ(LastContext(), "Se intent\xA2 enviar comando 3 veces");
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x20, 0x20}));
  const std::string two_s = VXB::ASCII::Milliseconds(2000).ToString();
  EXPECT_EQ(two_s, "2s");
  for (const char* n : {"1/3", "2/3", "3/3"})
    EXPECT_EQ(trace.Count("Timeout (2s), reintento " + std::string(n)), 1u) << n;
  EXPECT_TRUE(trace.Contains("M\xA0xima cantidad de reintentos agotada"));
  EXPECT_EQ(p.GetNextSequence(), 0x20u);
  EXPECT_EQ(g_events[CommunicationsProtocol::RETRYING].load(), 3u);
}

TEST_F(PacketExchangeTest, ThreeNaksExhaustTheRetries) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame&) { c.Send(NAK); });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
  EXPECT_EQ(LastContext(), "Se intent\xA2 enviar comando 3 veces");
  EXPECT_EQ(ctl.Frames().size(), 3u);
  EXPECT_EQ(trace.Count("NAK recibido"), 3u);
  EXPECT_EQ(Retries(), (Counts{0, 3, 0, 0, 0}));
}

TEST_F(PacketExchangeTest, NakThenGoodAnswerResendsSamePacket) {
  int n = 0;
  ctl.OnFrame([&n](ScriptedController& c, const HostFrame& f) {
    if (n++ == 0)
      c.Send(NAK);
    else
      c.AckAndAnswer(f);
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  const std::vector<HostFrame> frames = ctl.Frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].Raw, frames[1].Raw);
}

TEST_F(PacketExchangeTest, AckThenSilenceExhaustsAnswerRetries) {
  p.Configure(3, 400);
  ctl.OnFrame([](ScriptedController& c, const HostFrame&) { c.Send(ACK); });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
  EXPECT_EQ(LastContext(), "Se intent\xA2 esperar la respuesta 3 veces");
  for (const char* n : {"1/3", "2/3", "3/3"})
    EXPECT_EQ(trace.Count("Timeout. Reintento " + std::string(n)), 1u) << n;
  EXPECT_EQ(ctl.Frames().size(), 1u);
  EXPECT_EQ(Retries(), (Counts{3, 0, 0, 0, 0}));
}

// A controller printing a long report sends DC2 every so often (a quarter
// of the time-out here, as 0.5 s is of the usual 2 s) for far longer than
// all the tries' windows together, before its ACK or after it, and then
// answers: the command succeeds, sent once, without a retry.
void LongReport(ScriptedController& ctl, VardexPacketProtocol& p, bool BeforeAck) {
  constexpr unsigned TIMEOUT_MS = 400;
  constexpr unsigned TRIES = 3;
  // Three times the tries' whole window (3 x 400 ms).
  constexpr unsigned KEEPALIVES = 3 * TRIES * TIMEOUT_MS / (TIMEOUT_MS / 4);
  p.Configure(TRIES, TIMEOUT_MS);
  ctl.OnFrame([BeforeAck](ScriptedController& c, const HostFrame& f) {
    if (!BeforeAck) c.Send(ACK);
    for (unsigned i = 0; i < KEEPALIVES; ++i) c.Send(DC2, TIMEOUT_MS / 4);
    if (BeforeAck) c.Send(ACK);
    c.Send(c.Answer(f.Sequence, f.Command));
  });
  ASSERT_TRUE(p.SendCommand(VardexDataContainer(CMD))) << LastContextOf();
  EXPECT_EQ(ctl.Frames().size(), 1u);
  EXPECT_EQ(p.GetDC2Count(), KEEPALIVES);
  EXPECT_EQ(g_events[CommunicationsProtocol::RETRYING].load(), 0u);
}

TEST_F(PacketExchangeTest, LongReportWithDc2AfterAckSucceeds) { LongReport(ctl, p, false); }
TEST_F(PacketExchangeTest, LongReportWithDc2BeforeAckSucceeds) { LongReport(ctl, p, true); }

TEST_F(PacketExchangeTest, Dc2AndDc4KeepTheExchangeAliveWithoutResending) {
  // One try of 1000 ms, while the controller stays busy for well over that:
  // a DC2 every 200 ms before the ACK and again before the answer.
  p.Configure(1, 1000);
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    for (int i = 0; i < 4; ++i) c.Send(DC2, 200);
    c.Send(DC4);
    c.Send(ACK);
    for (int i = 0; i < 4; ++i) c.Send(DC2, 200);
    c.Send(DC4);
    c.Send(c.Answer(f.Sequence, f.Command));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_EQ(ctl.Frames().size(), 1u);
  EXPECT_EQ(p.GetDC2Count(), 8u);
  EXPECT_TRUE(trace.Contains("DC2 (#1)"));
  EXPECT_TRUE(trace.Contains("DC2 (#8)"));
  EXPECT_EQ(trace.Count("DC4"), 2u);
  EXPECT_EQ(g_events[CommunicationsProtocol::BUSY].load(), 8u);
  EXPECT_EQ(g_events[CommunicationsProtocol::OUT_OF_PAPER].load(), 2u);
  EXPECT_EQ(g_events[CommunicationsProtocol::RETRYING].load(), 0u);
}

TEST_F(PacketExchangeTest, BadChecksumIsNakedAndRepeatedAnswerAccepted) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(f.Sequence, f.Command, {"0600", "0000", "A"}, false, 1));
  });
  ctl.OnHostByte([](ScriptedController& c, VXB::Byte b) {
    if (b == NAK) c.Send(c.Answer(0x20, CMD, {"0600", "0000", "B"}, true));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_EQ(ctl.HostBytes(), (Bytes{NAK, ACK}));
  EXPECT_STREQ(p.GetAnswer().GetField(0), "B");
  EXPECT_TRUE(trace.Contains("Checksum inv\xA0lido, reintento 1/3"));
  EXPECT_EQ(ctl.Frames().size(), 1u);
  EXPECT_EQ(Retries(), (Counts{0, 0, 1, 0, 0}));
}

TEST_F(PacketExchangeTest, WrongSequenceResendsSameNumberAndSpendsARetry) {
  int n = 0;
  ctl.OnFrame([&n](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(n++ == 0 ? 0x21 : f.Sequence, f.Command));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x20}));
  EXPECT_TRUE(trace.Contains("Error de secuencia (enviada: 32, recibida: 33)"));
  EXPECT_EQ(ctl.HostBytes(), (Bytes{ACK, ACK}));
  EXPECT_EQ(p.GetNextSequence(), 0x21u);
  EXPECT_EQ(Retries(), (Counts{0, 0, 0, 1, 0}));
}

TEST_F(PacketExchangeTest, WrongSequenceCostsAnAckRetry) {
  p.Configure(1, 400);
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(0x21, f.Command));
  });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastContext(), "Se intent\xA2 enviar comando 1 veces");
  EXPECT_EQ(ctl.Frames().size(), 1u);
}

TEST_F(PacketExchangeTest, AnswerForOtherCommandThreeTimesFails) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(f.Sequence, 0x99));
  });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
  EXPECT_EQ(LastContext(), "Se intent\xA2 destrabar desaveniencia de comandos 3 veces");
  // Each resend carries the next number: the controller did answer.
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x21, 0x22}));
  for (const char* n : {"1/3", "2/3", "3/3"})
    EXPECT_EQ(trace.Count("Comando recibido 99h no coincide con comando enviado 2ah, reintento " +
                          std::string(n)),
              1u)
        << n;
  EXPECT_TRUE(
      trace.Contains("M\xA0xima cantidad de reintentos por comando no coincidente agotada"));
  EXPECT_EQ(p.GetNextSequence(), 0x23u);
  EXPECT_EQ(Retries(), (Counts{0, 0, 0, 3, 0}));
}

TEST_F(PacketExchangeTest, AnswerForOtherCommandOnceThenRight) {
  int n = 0;
  ctl.OnFrame([&n](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(f.Sequence, n++ == 0 ? 0x99 : f.Command));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x21}));
  EXPECT_EQ(p.GetAnswer().GetCommand(), CMD);
  EXPECT_EQ(g_events[CommunicationsProtocol::RETRYING].load(), 1u);
}

TEST_F(PacketExchangeTest, BusyStateAnswer) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(f.Sequence, 0xA1, {"0600", "0000", "espera"}));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(p.IsBusy());
  EXPECT_EQ(p.GetAnswer().GetCommand(), 0xA1);
  EXPECT_STREQ(p.GetAnswer().GetField(0), "espera");
  EXPECT_TRUE(trace.Contains("Controlador en espera"));
  // The next command starts not busy.
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) { c.AckAndAnswer(f); });
  ASSERT_TRUE(p.SendCommand(Command()));
  EXPECT_FALSE(p.IsBusy());
}

TEST_F(PacketExchangeTest, BusyQueryAnsweredWithOtherCommandLeavesBusyState) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(f.Sequence, CMD));
  });
  ASSERT_TRUE(p.SendCommand(VardexDataContainer(0xA1))) << LastContext();
  EXPECT_FALSE(p.IsBusy());
  EXPECT_TRUE(trace.Contains("Impresora sale de espera"));
}

TEST_F(PacketExchangeTest, OverlongBodyCostsARetryAndWaitsForNextStx) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    Bytes junk{STX};
    junk.insert(junk.end(), 4096, 'x');
    junk.push_back(ETX);
    junk.insert(junk.end(), {'0', '0', '0', '0'});
    c.Send(junk);
    c.Send(c.Answer(f.Sequence, f.Command, {"0600", "0000", "ok"}));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(trace.Contains("Rebose de memoria, reintento 1/3"));
  EXPECT_STREQ(p.GetAnswer().GetField(0), "ok");
  EXPECT_EQ(Retries(), (Counts{0, 0, 0, 0, 1}));
  EXPECT_EQ(ctl.HostBytes(), (Bytes{ACK}));
}

TEST_F(PacketExchangeTest, LargestBodyIsAccepted) {
  // Body: sequence, ESC, command, FS 0600 FS 0000 FS a.. FS b.. = 4095.
  const std::string a(2040, 'a'), b(2040, 'b');
  ctl.OnFrame([&](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0600", "0000", a, b});
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  ASSERT_EQ(p.GetAnswer().GetNumberOfFields(), 2u);
  EXPECT_EQ(std::string(p.GetAnswer().GetField(1)), b);
}

TEST_F(PacketExchangeTest, AnswerFieldLongerThan2048BytesComesBackWhole) {
  // Block-download answers carry fields of several kilobytes.
  const std::string block(3000, 'A');
  ctl.OnFrame([&](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0600", "0000", "1", block});
  });
  for (const VXB::ASCII::Charsets encoding : {VXB::ASCII::CP437, VXB::ASCII::UTF8}) {
    SCOPED_TRACE(VXB::ASCII::ToString(encoding));
    VardexDataContainer c(0xA6);
    c.SetEncoding(encoding);
    c.AddField("1");
    ASSERT_TRUE(p.SendCommand(c)) << LastContext();
    ASSERT_EQ(p.GetAnswer().GetNumberOfFields(), 2u);
    EXPECT_STREQ(p.GetAnswer().GetField(0), "1");
    EXPECT_EQ(std::string(p.GetAnswer().GetField(1)), block);
  }
}

TEST_F(PacketExchangeTest, LostAnswerIsReadBeforeTheCommand) {
  ctl.Send(ctl.Answer(0x7E, 0x2B, {"0600", "0000", "viejo"}));
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0", "0", "nuevo"});
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(trace.Contains("Hay una respuesta perdida"));
  EXPECT_STREQ(p.GetAnswer().GetField(0), "nuevo");
  const Bytes written = ctl.Written();
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written[0], ACK);  // the stale answer was acknowledged first
  EXPECT_EQ(ctl.HostBytes(), (Bytes{ACK, ACK}));
  EXPECT_EQ(ctl.Frames().size(), 1u);
}

TEST_F(PacketExchangeTest, LostAnswerLeftInReadAheadBufferIsFoundNextTime) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f);
    // A duplicate arrives in the same burst and stays in the read-ahead.
    c.Send(c.Answer(f.Sequence, f.Command, {"0600", "0000", "dup"}));
  });
  ASSERT_TRUE(p.SendCommand(Command()));
  EXPECT_FALSE(trace.Contains("Hay una respuesta perdida"));
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0", "0", "second"});
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(trace.Contains("Hay una respuesta perdida"));
  EXPECT_STREQ(p.GetAnswer().GetField(0), "second");
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x21}));
}

TEST_F(PacketExchangeTest, LostAnswerWaitingAtThePortAfterBufferUsedUp) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) { c.AckAndAnswer(f); });
  ASSERT_TRUE(p.SendCommand(Command()));
  // Arrives between exchanges, after the read-ahead was emptied.
  ctl.Send(ctl.Answer(0x20, CMD, {"0600", "0000", "tarde"}));
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(trace.Contains("Hay una respuesta perdida"));
  EXPECT_STREQ(p.GetAnswer().GetField(0), "");
  EXPECT_EQ(ctl.Frames().size(), 2u);
}

TEST_F(PacketExchangeTest, StxWhileWaitingForAckReadsStaleAnswerWithoutResend) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(c.Answer(0x7E, 0x2B));
    c.AckAndAnswer(f, {"0", "0", "real"});
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(trace.Contains("STX esperando ACK; a levantar respuesta perdida"));
  EXPECT_EQ(ctl.Frames().size(), 1u);
  EXPECT_STREQ(p.GetAnswer().GetField(0), "real");
}

TEST_F(PacketExchangeTest, NoiseMakesThePacketGoAgainAtNoCost) {
  p.Configure(1, 400);
  int n = 0;
  ctl.OnFrame([&n](ScriptedController& c, const HostFrame& f) {
    if (n++ == 0)
      c.Send('x');
    else
      c.AckAndAnswer(f);
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x20}));
}

TEST_F(PacketExchangeTest, NoisyLineEndsInRetriesInsteadOfResendingForever) {
  // Every packet is answered by a stream of meaningless bytes only.
  p.Configure(2, 400);
  ctl.OnFrame([](ScriptedController& c, const HostFrame&) {
    for (int i = 0; i < 60; ++i) c.Send('x', 20);
  });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
  // One write per window plus at most one resend for noise in it.
  EXPECT_LE(ctl.Frames().size(), 4u);
  EXPECT_EQ(trace.CountPrefix("Timeout ("), 2u);
}

TEST_F(PacketExchangeTest, NoiseWhileWaitingForTheAnswerDoesNotExtendTheWait) {
  p.Configure(2, 400);
  ctl.OnFrame([](ScriptedController& c, const HostFrame&) {
    c.Send(ACK);
    for (int i = 0; i < 100; ++i) c.Send('x', 20);
  });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
  EXPECT_EQ(LastContext(), "Se intent\xA2 esperar la respuesta 2 veces");
}

TEST_F(PacketExchangeTest, EndlessAnomalyAnswersEndTheExchange) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(0x7F, f.Command));
  });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_COMM_ANOMALY);
  EXPECT_EQ(ctl.Frames().size(), 3u);
}

TEST_F(PacketExchangeTest, ReadFailureWhileWaitingForAckIsReturned) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame&) { c.FailReads(true); });
  EXPECT_FALSE(p.SendCommand(Command()));
  EXPECT_EQ(LastError(), VXB::Error::IO_READ_ERROR);
  EXPECT_EQ(trace.CountPrefix("Error esperando ACK ("), 1u);
}

TEST_F(PacketExchangeTest, AnomalyAnswerIsTracedAndCommandSentAgain) {
  int n = 0;
  ctl.OnFrame([&n](ScriptedController& c, const HostFrame& f) {
    c.Send(ACK);
    c.Send(c.Answer(n++ == 0 ? 0x7F : f.Sequence, f.Command));
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_TRUE(
      trace.Contains("Llega paquete con n\xA3mero especial por anomal\xA1"
                     "a comunicaciones"));
  EXPECT_TRUE(
      trace.Contains("Anomal\xA1"
                     "a de comunicaciones: N\xA3mero de secuencia 7f recibido"));
  EXPECT_EQ(Sequences(), (std::vector<unsigned>{0x20, 0x20}));
}

TEST_F(PacketExchangeTest, AnomalyRepairPacketOnAnswerTimeout) {
  p.Configure(3, 400);
  p.CheckCommAnomalyBug(true);
  int n = 0;
  ctl.OnFrame([&n](ScriptedController& c, const HostFrame& f) {
    ++n;
    if (f.Sequence == 0x7F) {
      c.Send(c.Answer(0x7F, 0xA1));
    } else if (n == 1) {
      c.Send(ACK);  // and the answer is lost
    } else {
      c.AckAndAnswer(f);
    }
  });
  ASSERT_TRUE(p.SendCommand(Command())) << LastContext();
  const std::vector<HostFrame> frames = ctl.Frames();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[1].Sequence, 0x7F);
  EXPECT_EQ(frames[1].Command, 0xA1);
  EXPECT_EQ(frames[1].Raw.size(), 9u);
  EXPECT_FALSE(frames[1].HasText);
  EXPECT_EQ(frames[2].Sequence, 0x20);
  EXPECT_TRUE(
      trace.Contains("Intentando arreglar anomal\xA1"
                     "a de comunicaciones..."));
  EXPECT_EQ(p.GetCurrentCommand(), CMD);
}

TEST_F(PacketExchangeTest, MalformedAnswersAreRefused) {
  struct Case {
    Bytes answer;
    VXB::Error::ErrNo error;
    const char* context;
  } cases[] = {
      {Testing::MakePacket(0x20, CMD, {"0600"}, true), Error::PROTOCOL_INVALID_PACKET,
       "Se esperaban al menos dos campos, se recibieron 1"},
      {Testing::MakePacket(0x20, CMD, {}, true), Error::PROTOCOL_INVALID_PACKET,
       "Se esperaban al menos 4 bytes, se recibieron 3"},
      {Testing::MakePacket(0x20, CMD, {"0600", "0000"}, false), Error::PROTOCOL_WRONG_PROTOCOL,
       "Se esperaba protocolo v2"},
      {Testing::MakePacket(0x20, 0x1C, {"0600", "0000"}, true), Error::PROTOCOL_WRONG_PROTOCOL,
       "Se esperaba protocolo v2"},
      {Bytes{STX, ETX, '0', '0', '0', '5'}, Error::PROTOCOL_WRONG_PROTOCOL,
       "Se esperaba protocolo v2"},
  };
  for (const Case& k : cases) {
    ScriptedController c2{true};
    VardexPacketProtocol q{true};
    q.SetDriver(&c2.Port());
    const Bytes answer = k.answer;
    c2.OnFrame([answer](ScriptedController& c, const HostFrame&) {
      c.Send(ACK);
      c.Send(answer);
    });
    EXPECT_FALSE(q.SendCommand(Command()));
    EXPECT_EQ(LastError(), k.error) << k.context;
    EXPECT_EQ(LastContext(), k.context);
    EXPECT_EQ(c2.HostBytes(), (Bytes{ACK}));  // it was acknowledged all the same
  }
}

TEST_F(PacketExchangeTest, AnswerConvertedToCommandEncoding) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0600", "0000", "\xA0\xF1"});
  });
  VardexDataContainer cmd = Command();
  cmd.SetEncoding(VXB::ASCII::UTF8);
  ASSERT_TRUE(p.SendCommand(cmd)) << LastContext();
  EXPECT_EQ(p.GetAnswer().GetEncoding(), VXB::ASCII::UTF8);
  EXPECT_STREQ(p.GetAnswer().GetField(0),
               "\xC3\xA1\x1B"
               "1");
  EXPECT_EQ(trace.Count(std::string("Conversi\xA2n de respuesta a ") +
                        VXB::ASCII::ToString(VXB::ASCII::UTF8)),
            1u);
}

TEST_F(PacketExchangeTest, AnswerTooLargeAfterConversionIsRefused) {
  // Every 0xA0 doubles in UTF-8: 2900 bytes of them cannot fit 4096.
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) {
    c.AckAndAnswer(f, {"0600", "0000", std::string(2000, '\xA0'), std::string(900, '\xA0')});
  });
  VardexDataContainer cmd = Command();
  cmd.SetEncoding(VXB::ASCII::UTF8);
  EXPECT_FALSE(p.SendCommand(cmd));
  EXPECT_EQ(LastError(), Error::PROTOCOL_INVALID_PACKET);
}

TEST_F(PacketExchangeTest, FramingFailureSendsNothing) {
  VardexDataContainer bad = Command();
  bad.AddField("%s", "a\x03");
  EXPECT_FALSE(p.SendCommand(bad));
  EXPECT_EQ(LastError(), Error::PROTOCOL_SYNTAX_ERROR);
  VardexDataContainer big(CMD);
  for (int i = 0; i < 3; ++i) big.AddField("%s", std::string(2000, 'z').c_str());
  EXPECT_FALSE(p.SendCommand(big));
  EXPECT_EQ(LastError(), Error::PROTOCOL_SIZE);
  EXPECT_TRUE(ctl.Written().empty());
  EXPECT_EQ(p.GetNextSequence(), 0x20u);
}

TEST_F(PacketExchangeTest, NoDriver) {
  VardexPacketProtocol q{true};
  EXPECT_FALSE(q.SendCommand(Command()));
  EXPECT_EQ(LastError(), Error::PROTOCOL_NO_TRANSPORT);
  EXPECT_EQ(LastContext(), "NewTransaction");
}

TEST_F(PacketExchangeTest, AbortFromAnotherThreadEndsWithinASlice) {
  // Real 2000 ms time-out; the controller stays silent.
  std::chrono::steady_clock::time_point aborted;
  std::thread stopper([&] {
    ASSERT_TRUE(ctl.WaitForFrames(1, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    aborted = std::chrono::steady_clock::now();
    p.Abort();
  });
  EXPECT_FALSE(p.SendCommand(Command()));
  const auto ended = std::chrono::steady_clock::now();
  stopper.join();
  EXPECT_EQ(LastError(), Error::PROTOCOL_ABORTED);
  EXPECT_EQ(LastContext(), "SendCommand");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(ended - aborted).count(), 1000);
  EXPECT_EQ(ctl.Frames().size(), 1u);

  // The next exchange starts afresh.
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) { c.AckAndAnswer(f); });
  EXPECT_TRUE(p.SendCommand(Command())) << LastContext();
}

TEST_F(PacketExchangeTest, AbortWhileWaitingForTheAnswer) {
  ctl.OnFrame([](ScriptedController& c, const HostFrame&) { c.Send(ACK); });
  std::thread stopper([&] {
    ASSERT_TRUE(ctl.WaitForFrames(1, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    p.Abort();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(p.SendCommand(Command()));
  stopper.join();
  EXPECT_EQ(LastError(), Error::PROTOCOL_ABORTED);
  EXPECT_EQ(LastContext(), "WaitAnswer");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  start)
                .count(),
            2000);
}

TEST_F(PacketExchangeTest, HaltIsKeptUntilResumedAndSendsNothing) {
  // A stop that lands before the exchange begins (the request was already
  // read) must not be forgotten when the exchange starts afresh.
  ctl.OnFrame([](ScriptedController& c, const HostFrame& f) { c.AckAndAnswer(f); });
  p.Halt();
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_FALSE(p.SendCommand(Command()));
    EXPECT_EQ(LastError(), Error::PROTOCOL_ABORTED);
  }
  EXPECT_TRUE(ctl.Frames().empty());
  EXPECT_TRUE(ctl.HostBytes().empty());

  p.Resume();
  EXPECT_TRUE(p.SendCommand(Command())) << LastContext();
  EXPECT_EQ(ctl.Frames().size(), 1u);
}

// A packet acknowledged and left unanswered is in doubt: it goes out again,
// unchanged, before the next command, and the controller (which answers a
// repeat of its last packet from store) does not run it twice. Each row
// scripts what the controller does with each packet it receives, in
// order: run it and answer (R), run it and lose the answer (L), say
// nothing (S), refuse it (N); a repeat of the last packet taken is
// answered from store unless its row says S or N.
TEST_F(PacketExchangeTest, PacketInDoubtIsSentAgainBeforeTheNextCommand) {
  struct Case {
    const char* name;
    const char* script;     // one letter per packet received
    bool resend_own;        // the second command is the first one again
    int chosen;             // number the second command asks for, or 0
    unsigned second_tries;  // times the second command is sent by the caller
    bool second_ok;         // the last of them succeeds
    const char* sent;       // packets on the line: A first, B second
    unsigned runs_a;        // times the controller ran A
    bool resolved;          // a resolved answer is kept for the caller
    unsigned abandoned;
    unsigned b_number;  // number of the last B sent (0: none)
  };
  const Case cases[] = {
      {"resolved before the next", "LRR", false, 0, 1, true, "AAB", 1, true, 0, 0x21},
      {"client resends it itself", "LR", true, 0, 1, true, "AA", 1, false, 0, 0},
      {"next keeps its number", "LRR", false, 0x30, 1, true, "AAB", 1, true, 0, 0x30},
      {"refused until answered", "LSRR", false, 0, 2, true, "AAAB", 1, true, 0, 0x21},
      {"given up after three", "LSSSR", false, 0, 3, true, "AAAAB", 1, false, 1, 0x21},
      {"refused packet not in doubt", "NR", false, 0, 1, true, "AB", 0, false, 0, 0x20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedController line{true};
    VardexPacketProtocol q{true};
    ASSERT_TRUE(q.SetDriver(&line.Port()));
    q.Configure(1, 400);
    std::size_t at = 0;
    std::string last;  // the last packet the controller took
    std::map<std::string, unsigned> runs;
    line.OnFrame([&](ScriptedController& ctl, const HostFrame& f) {
      const char what = c.script[at] != 0 ? c.script[at++] : 'S';
      const std::string key =
          std::string(1, static_cast<char>(f.Sequence)) + static_cast<char>(f.Command) + f.Text;
      if (what == 'S') return;
      if (what == 'N') {
        ctl.Send(NAK);
        return;
      }
      const bool repeat = key == last;
      last = key;
      if (!repeat) ++runs[f.Text];
      if (what == 'L' && !repeat) {
        ctl.Send(ACK);
        return;
      }
      ctl.AckAndAnswer(f, {"0600", "0000", f.Text});
    });
    VardexDataContainer a(CMD);
    a.AddField("A");
    VardexDataContainer b(CMD);
    b.AddField(c.resend_own ? "A" : "B");
    const bool first_ok = q.SendCommand(a);
    EXPECT_EQ(first_ok, c.script[0] == 'R');
    bool ok = false;
    for (unsigned i = 0; i < c.second_tries; ++i) {
      if (c.resend_own) {
        ASSERT_TRUE(q.SetNextSequence(0x20));
      }
      if (c.chosen != 0) {
        ASSERT_TRUE(q.SetNextSequence(static_cast<unsigned>(c.chosen)));
      }
      ok = q.SendCommand(b);
      if (i + 1 < c.second_tries) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(LastError(), Error::PROTOCOL_MAX_RETRIES);
      }
    }
    EXPECT_EQ(ok, c.second_ok) << LastContext();
    std::string sent;
    unsigned b_number = 0;
    for (const HostFrame& f : line.Frames()) {
      sent += f.Text;
      if (f.Text == "B") b_number = f.Sequence;
      if (f.Text == "A") {
        EXPECT_EQ(f.Sequence, 0x20);
      }
    }
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(runs["A"], c.runs_a);
    EXPECT_EQ(b_number, c.b_number);
    ResolvedDoubt r;
    EXPECT_EQ(q.TakeResolvedDoubt(r), c.resolved);
    if (c.resolved) {
      EXPECT_EQ(r.Number, 0x20);
      EXPECT_STREQ(r.Command.GetField(0), "A");
      EXPECT_STREQ(r.Answer.GetField(0), "A");
    }
    EXPECT_FALSE(q.GetDoubtStatus().InDoubt);
    EXPECT_EQ(q.GetDoubtStatus().Abandoned, c.abandoned);
    EXPECT_EQ(q.GetDoubtStatus().LastAbandoned, c.abandoned > 0);
  }
}

}  // namespace
}  // namespace VXP
