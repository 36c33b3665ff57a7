// The controller emulator without a line: the fiscal state machine, and the
// packet side fed byte by byte with its output read from an in-memory
// driver.
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "vxb/common/io/memory_driver.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/vardex_protocol.h"
#include "zorbel_emulator/emulator.h"
#include "zorbel_emulator/fiscal_controller.h"
#include "zorbel_emulator/options.h"

namespace ZorbelEmulator {
namespace {

namespace RG3561 = VXP::Argentina::RG3561;
namespace Wire = VXP::VardexFrame;
using Fiscal = RG3561::Estado::Fiscal;

constexpr std::uint16_t kInitialized = 0x0200;
constexpr std::uint16_t kDocument = 0x2000 | 0x1000;  // DocumentoAbierto, DocumentoFiscalAbierto
constexpr std::uint16_t kStateError = 0x0020 | 0x8000;
constexpr std::uint16_t kParamError = 0x0010 | 0x8000;

TEST(FiscalController, SaleRunsThroughTheStatusWordsAndNumbers) {
  FiscalController c;
  Reply r = c.Execute(RG3561::CMD_CONSULTAR_ESTADO, {});
  EXPECT_EQ(r.FiscalStatus, kInitialized);
  ASSERT_EQ(r.Fields.size(), 7u);
  EXPECT_EQ(r.Fields[1], "2");  // InicioJornadaFiscal: the day is not open

  r = c.Execute(RG3561::CMD_ABRIR_DOCUMENTO, {"83"});
  EXPECT_EQ(r.FiscalStatus, kInitialized | kDocument);
  EXPECT_EQ(r.Fields, FieldList{"1"});
  EXPECT_TRUE(c.DayOpen());

  r = c.Execute(RG3561::CMD_IMPRIMIR_ITEM, {"Item", "2", "10.50", "7", "21.00", "M"});
  EXPECT_EQ(r.Fields, FieldList{"1"});
  r = c.Execute(RG3561::CMD_IMPRIMIR_DESCUENTO_ITEM, {"Desc", "1,00"});
  EXPECT_EQ(r.Fields, FieldList{"2"});
  r = c.Execute(RG3561::CMD_CONSULTAR_SUBTOTAL, {});
  ASSERT_EQ(r.Fields.size(), 8u);
  EXPECT_EQ(r.Fields[1], "20.00");
  r = c.Execute(RG3561::CMD_IMPRIMIR_PAGO, {"Efectivo", "5", "T"});
  EXPECT_EQ(r.Fields, FieldList{"15.00"});
  r = c.Execute(RG3561::CMD_CERRAR_DOCUMENTO, {});
  EXPECT_EQ(r.FiscalStatus, kInitialized);
  EXPECT_EQ(r.Fields, (FieldList{"1", "1"}));
  EXPECT_EQ(c.LastNumber(83), 1u);

  // The next ticket takes the next number; another type starts at 1.
  EXPECT_EQ(c.Execute(RG3561::CMD_ABRIR_DOCUMENTO, {"83"}).Fields, FieldList{"2"});
  c.Execute(RG3561::CMD_CANCELAR, {});
  EXPECT_EQ(c.Execute(RG3561::CMD_ABRIR_DOCUMENTO, {"FacturaA"}).Fields, FieldList{"1"});
  c.Execute(RG3561::CMD_CERRAR_DOCUMENTO, {});

  r = c.Execute(RG3561::CMD_CONSULTAR_ESTADO, {"83"});
  EXPECT_EQ(r.Fields[0], "0000");  // a document opened since the cancelled one
  EXPECT_EQ(r.Fields[4], "2");
  EXPECT_EQ(r.Fields[5], "2");  // emitted
  EXPECT_EQ(r.Fields[6], "1");  // cancelled

  r = c.Execute(RG3561::CMD_CERRAR_JORNADA_FISCAL, {"Z"});
  ASSERT_EQ(r.Fields.size(), 21u);
  EXPECT_EQ(r.Fields[1], "1");
  EXPECT_EQ(r.Fields[3], "20.00");  // DF_Total: the ticket, paid or not
  EXPECT_EQ(r.Fields[9], "2");
  EXPECT_EQ(r.Fields[10], "1");
  EXPECT_FALSE(c.DayOpen());
  EXPECT_EQ(c.Execute(RG3561::CMD_CERRAR_JORNADA_FISCAL, {"Z"}).Fields[3], "0.00");
  EXPECT_EQ(c.Closures(), 2u);
}

TEST(FiscalController, RefusedCommandsChangeNothingAndSayWhy) {
  FiscalController c;
  struct Case {
    VXB::Byte Command;
    FieldList Fields;
    std::uint16_t Error;
  };
  const Case cases[] = {
      {RG3561::CMD_IMPRIMIR_ITEM, {"x", "1", "1"}, kStateError},
      {RG3561::CMD_IMPRIMIR_PAGO, {"x", "1", "T"}, kStateError},
      {RG3561::CMD_CERRAR_DOCUMENTO, {}, kStateError},
      {RG3561::CMD_ABRIR_DOCUMENTO, {"NoExiste"}, kParamError},
      {RG3561::CMD_ABRIR_DOCUMENTO, {}, kParamError},
      {RG3561::CMD_CERRAR_JORNADA_FISCAL, {"Q"}, kParamError},
      {0x21, {}, 0x0008 | 0x8000},  // no such command
  };
  for (const Case& k : cases) {
    const Reply r = c.Execute(k.Command, k.Fields);
    EXPECT_EQ(r.FiscalStatus, kInitialized | k.Error) << std::hex << unsigned(k.Command);
    EXPECT_TRUE(r.Fields.empty());
  }
  EXPECT_FALSE(c.DocumentOpen());
  c.Execute(RG3561::CMD_ABRIR_DOCUMENTO, {"83"});
  EXPECT_EQ(c.Execute(RG3561::CMD_IMPRIMIR_ITEM, {"x", "uno", "1"}).FiscalStatus,
            kInitialized | kDocument | kParamError);
  EXPECT_EQ(c.Execute(RG3561::CMD_ABRIR_DOCUMENTO, {"83"}).FiscalStatus,
            kInitialized | kDocument | kStateError);
  // The error bits belong to one answer only.
  EXPECT_EQ(c.Execute(RG3561::CMD_CONSULTAR_ESTADO, {}).FiscalStatus, kInitialized | kDocument);
  const Reply last = c.Execute(RG3561::CMD_CONSULTAR_ULTIMO_ERROR, {});
  ASSERT_EQ(last.Fields.size(), 5u);
  EXPECT_EQ(last.Fields[0], "ERROR_ESTADO");
}

TEST(FiscalController, EveryCatalogueCommandGetsItsAnswerLayout) {
  FiscalController c;
  for (const RG3561::CommandDescription& d : RG3561::AllCommands()) {
    const Reply r = c.Execute(d.Command, {});
    if ((r.FiscalStatus & 0x8000) != 0) continue;  // refused in this state
    const char* field0 = r.Fields.empty() ? nullptr : r.Fields[0].c_str();
    EXPECT_EQ(r.Fields.size(), RG3561::AnswerLayoutFor(d.Answer, field0).size()) << d.Name;
  }
}

// The packet side, fed directly; what it writes is read from the peer.
class EmulatorFeed : public ::testing::Test {
 protected:
  EmulatorFeed() { VXB::Driver::Memory::Connect(line_, host_); }

  void Start(Options o = {}) { emu_ = std::make_unique<Emulator>(line_, std::move(o)); }

  static std::vector<VXB::Byte> Packet(VXB::Byte seq, VXB::Byte cmd, const std::string& text = "",
                                       bool esc = true) {
    std::vector<VXB::Byte> out(64 + text.size());
    const unsigned n = Wire::Build(seq, esc, cmd, reinterpret_cast<const VXB::Byte*>(text.data()),
                                   static_cast<unsigned>(text.size()), out.data(),
                                   static_cast<unsigned>(out.size()));
    out.resize(n);
    return out;
  }

  void Feed(const std::vector<VXB::Byte>& bytes) {
    emu_->Feed(bytes.data(), static_cast<unsigned>(bytes.size()));
  }

  // Everything the emulator has written so far.
  std::string Written() {
    std::string out;
    VXB::Byte b;
    while (host_.Peek() > 0 && host_.ReadByte(b, 0)) out.push_back(static_cast<char>(b));
    return out;
  }

  static std::string Answer(VXB::Byte seq, VXB::Byte cmd, const std::string& text,
                            bool esc = true) {
    const std::vector<VXB::Byte> p = Packet(seq, cmd, text, esc);
    return std::string(p.begin(), p.end());
  }

  VXB::Driver::Memory line_{"line"};
  VXB::Driver::Memory host_{"host"};
  std::unique_ptr<Emulator> emu_;
};

TEST_F(EmulatorFeed, GoodPacketIsAcknowledgedAndAnswered) {
  Start();
  Feed(Packet(0x20, RG3561::CMD_ABRIR_DOCUMENTO, "83"));
  EXPECT_EQ(Written(), "\x06" + Answer(0x20, 0x40,
                                       "0000\x1C"
                                       "3200\x1C"
                                       "1"));
  Feed({Wire::ACK});
  EXPECT_EQ(emu_->GetStats().Acknowledged.load(), 1u);
  EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
}

TEST_F(EmulatorFeed, PacketWithoutEscIsAnsweredWithoutEsc) {
  Start();
  Feed(Packet(0x21, RG3561::CMD_CONSULTAR_ESTADO, "", false));
  const std::string out = Written();
  ASSERT_GT(out.size(), 4u);
  EXPECT_EQ(out.substr(0, 4), std::string("\x06\x02\x21\x2A"));
}

TEST_F(EmulatorFeed, BadFramesGetNakAndAreNotExecuted) {
  Start();
  std::vector<VXB::Byte> bad_sum = Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO);
  bad_sum.back() = bad_sum.back() == '0' ? '1' : '0';
  std::vector<VXB::Byte> not_hex = Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO);
  not_hex[not_hex.size() - 4] = 'x';
  const std::vector<std::vector<VXB::Byte>> cases = {
      bad_sum,
      not_hex,
      // Only a sequence number and ESC: no command.
      {Wire::STX, 0x20, Wire::ESC, Wire::ETX, '0', '0', '4', '0'},
      // A command followed by something other than FS.
      {Wire::STX, 0x20, Wire::ESC, 0x2A, 0x31, Wire::ETX, '0', '0', '9', 'b'},
  };
  for (const auto& c : cases) {
    Feed(c);
    EXPECT_EQ(Written(), "\x15");
  }
  EXPECT_EQ(emu_->GetStats().Executed.load(), 0u);
  // Bytes outside a packet are ignored; the next good packet is served.
  Feed({'x', Wire::ETX, Wire::ACK});
  Feed(Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO));
  EXPECT_EQ(Written().substr(0, 1), "\x06");
  EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
}

TEST_F(EmulatorFeed, RepeatedPacketIsAnsweredAgainWithoutExecuting) {
  Start();
  const auto open = Packet(0x25, RG3561::CMD_ABRIR_DOCUMENTO, "83");
  Feed(open);
  const std::string first = Written();
  Feed(open);  // the host lost the answer
  EXPECT_EQ(Written(), first);
  EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
  EXPECT_EQ(emu_->GetStats().Replayed.load(), 1u);
  EXPECT_EQ(emu_->Controller().LastNumber(83), 0u);  // still open, number 1
  // Same number, other content: a new command.
  Feed(Packet(0x25, RG3561::CMD_CANCELAR));
  EXPECT_EQ(emu_->GetStats().Executed.load(), 2u);
  EXPECT_FALSE(emu_->Controller().DocumentOpen());
}

TEST_F(EmulatorFeed, AnswerIsSentAgainOnNak) {
  Options o;
  o.Inject.BadChecksum = 1;
  Start(o);
  Feed(Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO));
  const std::string corrupted = Written();
  Feed({Wire::NAK});
  const std::string again = Written();
  ASSERT_EQ(corrupted.size(), again.size() + 1);  // the first came after the ACK
  EXPECT_NE(corrupted.substr(1), again);
  EXPECT_EQ(corrupted.substr(1, again.size() - 4), again.substr(0, again.size() - 4));
  Feed({Wire::ACK});
  EXPECT_EQ(emu_->GetStats().Acknowledged.load(), 1u);
  EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
}

TEST_F(EmulatorFeed, BusyStateAnswerThenTheCommandsOwn) {
  Options o;
  o.Inject.Busy = 1;
  o.Inject.BusyPolls = 1;
  Start(o);
  Feed(Packet(0x20, RG3561::CMD_ABRIR_DOCUMENTO, "83"));
  EXPECT_EQ(Written(), "\x06" + Answer(0x20, 0xA1,
                                       "0001\x1C"
                                       "3200"));
  Feed(Packet(0x21, 0xA1));
  EXPECT_EQ(Written(), "\x06" + Answer(0x21, 0xA1,
                                       "0001\x1C"
                                       "3200"));
  Feed(Packet(0x22, 0xA1));
  EXPECT_EQ(Written(), "\x06" + Answer(0x22, 0x40,
                                       "0000\x1C"
                                       "3200\x1C"
                                       "1"));
  // Nothing pending: the query gets the last answer again.
  Feed(Packet(0x23, 0xA1));
  EXPECT_EQ(Written(), "\x06" + Answer(0x23, 0x40,
                                       "0000\x1C"
                                       "3200\x1C"
                                       "1"));
  EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
}

TEST_F(EmulatorFeed, InjectedFaultsAreCountedDown) {
  Options o;
  o.Inject.Silence = 1;
  o.Inject.Nak = 1;
  o.Inject.AckOnly = 1;
  Start(o);
  const auto status = Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO);
  Feed(status);
  EXPECT_EQ(Written(), "");
  Feed(status);
  EXPECT_EQ(Written(), "\x15");
  Feed(status);
  EXPECT_EQ(Written(), "\x06");
  Feed(status);  // repeated: the answer that was never sent
  const std::string out = Written();
  EXPECT_EQ(out.substr(0, 2), "\x06\x02");
  EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
}

// Each transmission of an answer is an occasion: with three spoiled
// transmissions the original and two resends go out bad, the third resend
// good.
TEST_F(EmulatorFeed, AnswerFaultsCountResends) {
  // A frame whose checksum matches its body.
  auto intact = [](const std::string& frame) {
    const std::size_t etx = frame.find('\x03');
    if (frame.empty() || frame[0] != '\x02' || etx == std::string::npos ||
        frame.size() != etx + 1 + Wire::CHECKSUM_DIGITS)
      return false;
    return Wire::ChecksumOK(reinterpret_cast<const VXB::Byte*>(frame.data() + 1),
                            static_cast<unsigned>(etx - 1), frame.c_str() + etx + 1);
  };
  for (unsigned Faults::*fault : {&Faults::BadChecksum, &Faults::DropByte}) {
    Options o;
    o.Inject.*fault = 3;
    Start(o);
    Feed(Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO));
    const std::string first = Written();
    ASSERT_EQ(first.substr(0, 1), "\x06");
    EXPECT_FALSE(intact(first.substr(1)));
    for (int resend = 0; resend < 2; ++resend) {
      Feed({Wire::NAK});
      EXPECT_FALSE(intact(Written())) << resend;
    }
    Feed({Wire::NAK});
    EXPECT_TRUE(intact(Written()));
    EXPECT_EQ(emu_->GetStats().Executed.load(), 1u);
  }
}

// Paper out during a printing command shows in that command's answer; a
// stop during the paper-out phase ends serving at once.
TEST_F(EmulatorFeed, PaperOutShowsInTheAnswerAndStopCutsThePhaseShort) {
  Options o;
  o.PaperOutMs = 200;
  o.Dc2IntervalMs = 1000;
  Start(o);
  Feed(Packet(0x20, RG3561::CMD_ABRIR_DOCUMENTO, "83"));
  char words[16];
  std::snprintf(words, sizeof words,
                "%04X\x1C"
                "3200",
                RG3561::Estado::Impresora::Bit(RG3561::Estado::Impresora::BIT_FALTA_PAPEL_RECEIPT));
  EXPECT_EQ(Written(), "\x06" + Answer(0x20, 0x40,
                                       std::string(words) + "\x1C"
                                                            "1"));
  Feed({Wire::ACK});

  // A phase far longer than any test: only Stop() can end it.
  Options slow;
  slow.SlowMs = 3600 * 1000;
  Start(slow);
  std::thread serving([this] { emu_->Serve(); });
  const auto packet = Packet(0x21, RG3561::CMD_ABRIR_DOCUMENTO, "83");
  ASSERT_EQ(host_.WriteBuffer(packet.data(), static_cast<unsigned>(packet.size()), 1000),
            packet.size());
  VXB::Byte ack = 0;
  ASSERT_TRUE(host_.ReadByte(ack, 5000));
  EXPECT_EQ(ack, Wire::ACK);
  auto stopped = std::async(std::launch::async, [&] {
    emu_->Stop();
    serving.join();
  });
  EXPECT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

// Random faults: each kind alone at rate 1 acts on its occasion; a seed
// plays the same faults again; executions are counted per packet whatever
// its number, so a packet run twice shows in the summary.
TEST_F(EmulatorFeed, RandomFaultsAndExecutionsPerPacket) {
  struct Case {
    bool nak, checksum, lost;
    const char* first_byte;  // what the packet gets first
    unsigned executed;
    bool answer_intact;
  };
  const Case cases[] = {
      {true, false, false, "\x15", 0, false},
      {false, true, false, "\x06", 1, false},
      {false, false, true, "\x06", 1, false},
      {false, false, false, "\x06", 1, true},
  };
  Start();
  Feed(Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO));
  const std::string good = Written();
  for (const Case& c : cases) {
    Options o;
    o.Random.Rate = 1.0;
    o.Random.Nak = c.nak;
    o.Random.BadChecksum = c.checksum;
    o.Random.LostAnswer = c.lost;
    if (!c.nak && !c.checksum && !c.lost) o.Random.Rate = 0;
    Start(o);
    Feed(Packet(0x20, RG3561::CMD_CONSULTAR_ESTADO));
    const std::string out = Written();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.substr(0, 1), c.first_byte);
    EXPECT_EQ(emu_->GetStats().Executed.load(), c.executed);
    EXPECT_EQ(out == good, c.answer_intact) << c.first_byte;
  }

  // The same seed, the same faults.
  auto run = [this](unsigned seed) {
    Options o;
    o.Random.Rate = 0.3;
    o.Random.Seed = seed;
    Start(o);
    std::string all;
    for (VXB::Byte seq = 0x20; seq < 0x40; ++seq) {
      Feed(Packet(seq, RG3561::CMD_CONSULTAR_ESTADO));
      all += Written();
      Feed({Wire::ACK});
    }
    return all + std::to_string(emu_->GetStats().RandomFaults.load());
  };
  EXPECT_EQ(run(7), run(7));
  EXPECT_NE(run(7), run(8));

  Start();
  const std::string item =
      "Item 1\x1C"
      "1\x1C"
      "1.00\x1C"
      "7\x1C"
      "21.00\x1C"
      "M\x1C"
      "0\x1C"
      "0\x1C"
      "0\x1C"
      "T";
  Feed(Packet(0x20, RG3561::CMD_ABRIR_DOCUMENTO, "83"));
  Feed(Packet(0x21, RG3561::CMD_IMPRIMIR_ITEM, item));
  Feed(Packet(0x21, RG3561::CMD_IMPRIMIR_ITEM, item));  // same number: replayed
  Feed(Packet(0x22, RG3561::CMD_IMPRIMIR_ITEM, item));  // another number: runs again
  const std::vector<Execution> runs = emu_->Executions();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].Count, 2u);
  EXPECT_EQ(runs[1].Packet.substr(0, 2), "\x1B\x42");
  EXPECT_NE(emu_->Summary().find("executed-more-than-once 1\n"), std::string::npos);
  EXPECT_NE(emu_->Summary().find("exec\t2\t[ESC]B[FS]Item 1[FS]"), std::string::npos)
      << emu_->Summary();
}

TEST(EmulatorOptions, CommandLine) {
  const char* argv[] = {"--port", "/dev/x", "--pace", "9600", "--nak",    "2",
                        "--busy", "1",      "--slow", "700",  "--verbose"};
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(ParseCommandLine(11, argv, cl, error)) << error;
  EXPECT_EQ(cl.Port, "/dev/x");
  EXPECT_EQ(cl.Emulation.Baud, 9600u);
  EXPECT_EQ(cl.Emulation.Inject.Nak, 2u);
  EXPECT_EQ(cl.Emulation.Inject.Busy, 1u);
  EXPECT_EQ(cl.Emulation.SlowMs, 700u);
  EXPECT_TRUE(cl.Verbose);
  const char* random[] = {"--fault-rate",  "0.05",           "--fault-seed", "9",
                          "--fault-kinds", "nak,lost-answer"};
  CommandLine rl;
  ASSERT_TRUE(ParseCommandLine(6, random, rl, error)) << error;
  EXPECT_EQ(rl.Emulation.Random.Rate, 0.05);
  EXPECT_EQ(rl.Emulation.Random.Seed, 9u);
  EXPECT_TRUE(rl.Emulation.Random.Nak && rl.Emulation.Random.LostAnswer);
  EXPECT_FALSE(rl.Emulation.Random.BadChecksum);
  for (const std::vector<const char*>& bad : {std::vector<const char*>{"--nak"},
                                              {"--nak", "x"},
                                              {"--nope", "1"},
                                              {"--slow", "-1"},
                                              {"--fault-rate", "1.5"},
                                              {"--fault-rate", "x"},
                                              {"--fault-kinds", "nak,fire"},
                                              {"--fault-kinds", ""}}) {
    CommandLine other;
    EXPECT_FALSE(ParseCommandLine(static_cast<int>(bad.size()), bad.data(), other, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace ZorbelEmulator
