// zorbel-cli send-raw against the controller emulator over a
// pseudo-terminal: ordinary answers, slow work, every injected fault, and
// the output and failure formats.
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vxp_errno.h"
#include "zorbel_cli/send_raw.h"
#include "zorbel_emulator/emulator.h"

namespace ZorbelCli {
namespace {

using Printer = VXP::Argentina::RG3561::Estado::Impresora;

class SendRawOverPty : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }

  void Start(ZorbelEmulator::Options o = {}) {
    ASSERT_TRUE(pty_.Open());
    emu_ = std::make_unique<ZorbelEmulator::Emulator>(pty_, std::move(o));
    server_ = std::thread([this] { emu_->Serve(); });
  }

  void TearDown() override {
    if (emu_) {
      emu_->Stop();
      server_.join();
    }
  }

  // A short time-out keeps the fault cases fast (the protocol's minimum).
  SendRawRequest Request(VXB::Byte command, std::vector<std::string> fields = {},
                         unsigned timeout = 400) {
    SendRawRequest r;
    r.Port = pty_.SlavePath();
    r.Command = command;
    r.Fields = std::move(fields);
    r.Timeout = timeout;
    return r;
  }

  int Run(const SendRawRequest& r) {
    out_.str("");
    err_.str("");
    return SendRaw(r, out_, err_);
  }

  // The value of the first line "key<TAB>value".
  std::string Line(const std::string& key) {
    std::istringstream in(out_.str());
    std::string line;
    while (std::getline(in, line)) {
      if (line.compare(0, key.size() + 1, key + "\t") == 0) return line.substr(key.size() + 1);
    }
    return "(none)";
  }

  const ZorbelEmulator::Stats& Stats() { return emu_->GetStats(); }

  VXB::PseudoTerminal pty_;
  std::unique_ptr<ZorbelEmulator::Emulator> emu_;
  std::thread server_;
  std::ostringstream out_, err_;
};

TEST_F(SendRawOverPty, OrdinaryAnswerFormat) {
  Start();
  ASSERT_EQ(Run(Request(0x40, {"83"})), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "command\t0x40\nsequence\t32\nprinter\t0000\nfiscal\t3200\nbusy\tno\nfield\t0\t1\n");
  EXPECT_EQ(err_.str(), "");
  SendRawRequest status = Request(0x2A);
  status.HasSequence = true;
  status.Sequence = 126;
  ASSERT_EQ(Run(status), 0) << err_.str();
  EXPECT_EQ(Line("sequence"), "126");
  EXPECT_EQ(Line("field\t1"), "4");  // VendiendoItems
}

TEST_F(SendRawOverPty, AnswerTextsAreUtf8) {
  Start();
  ASSERT_EQ(Run(Request(0x40, {"NoExiste"})), 0);
  EXPECT_EQ(Line("fiscal"), "8210");
  SendRawRequest last = Request(0x2C);
  last.HasSequence = true;
  last.Sequence = 33;
  ASSERT_EQ(Run(last), 0);
  EXPECT_EQ(Line("field\t2"),
            "C\xC3\xB3"
            "digo de comprobante inv\xC3\xA1lido");
}

TEST_F(SendRawOverPty, RepeatedSequenceIsNotExecutedTwice) {
  Start();
  SendRawRequest open = Request(0x40, {"83"});
  open.HasSequence = true;
  open.Sequence = 40;
  ASSERT_EQ(Run(open), 0);
  const std::string first = out_.str();
  ASSERT_EQ(Run(open), 0);
  EXPECT_EQ(out_.str(), first);
  EXPECT_EQ(Stats().Executed.load(), 1u);
  EXPECT_EQ(Stats().Replayed.load(), 1u);
}

TEST_F(SendRawOverPty, SlowWorkKeepsTheExchangeAliveWithDc2) {
  ZorbelEmulator::Options o;
  o.SlowMs = 900;  // more than two time-outs of 400 ms
  o.Dc2IntervalMs = 100;
  Start(o);
  VXB::SerialPort port;
  ASSERT_TRUE(port.Open(pty_.SlavePath()));
  VXP::VardexPacketProtocol protocol(true);
  protocol.Configure(3, 400);
  protocol.SetDriver(&port);
  ASSERT_TRUE(ExchangeRaw(protocol, Request(0x40, {"83"}))) << VXB::Error::GetLastError()->Context;
  EXPECT_GE(protocol.GetDC2Count(), 5u);
  EXPECT_EQ(protocol.GetAnswer().GetField(0), std::string("1"));
  protocol.RemoveDriver();
}

TEST_F(SendRawOverPty, OutOfPaperSendsDc4UntilReplaced) {
  ZorbelEmulator::Options o;
  o.PaperOutMs = 600;
  o.Dc2IntervalMs = 100;
  Start(o);
  ASSERT_EQ(Run(Request(0x40, {"83"})), 0) << err_.str();
  char word[8];
  std::snprintf(word, sizeof word, "%04X",
                static_cast<unsigned>(Printer::Bit(Printer::BIT_FALTA_PAPEL_RECEIPT)));
  EXPECT_EQ(Line("printer"), word);
  EXPECT_EQ(Stats().Executed.load(), 1u);
}

// Faults the exchange recovers from: the command is executed once and the
// right answer printed.
TEST_F(SendRawOverPty, RecoversFromEveryTransientFault) {
  struct Case {
    const char* Name;
    unsigned ZorbelEmulator::Faults::*Fault;
    unsigned Count;
  };
  const Case cases[] = {
      {"nak", &ZorbelEmulator::Faults::Nak, 2},
      {"bad checksum", &ZorbelEmulator::Faults::BadChecksum, 2},
      {"dropped byte", &ZorbelEmulator::Faults::DropByte, 2},
      {"stale answer", &ZorbelEmulator::Faults::Stale, 1},
      {"silence", &ZorbelEmulator::Faults::Silence, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ZorbelEmulator::Options o;
    o.AnswerAckTimeoutMs = 100;
    o.Inject.*c.Fault = c.Count;
    Start(o);
    EXPECT_EQ(Run(Request(0x40, {"83"})), 0) << err_.str();
    EXPECT_EQ(Line("command"), "0x40");
    EXPECT_EQ(Line("sequence"), "32");
    EXPECT_EQ(Line("field\t0"), "1");
    EXPECT_EQ(Stats().Executed.load(), 1u);
    TearDown();
    emu_.reset();
    pty_.Close();
  }
}

TEST_F(SendRawOverPty, BusyAnswerThenReleaseByQuery) {
  ZorbelEmulator::Options o;
  o.Inject.Busy = 1;
  o.Inject.BusyPolls = 1;
  Start(o);
  ASSERT_EQ(Run(Request(0x40, {"83"})), 0);
  EXPECT_EQ(Line("command"), "0xA1");
  EXPECT_EQ(Line("busy"), "yes");
  EXPECT_EQ(Line("printer"), "0001");
  SendRawRequest query = Request(0xA1);
  query.HasSequence = true;
  query.Sequence = 33;
  ASSERT_EQ(Run(query), 0);
  EXPECT_EQ(Line("busy"), "yes");
  query.Sequence = 34;
  ASSERT_EQ(Run(query), 0);
  EXPECT_EQ(Line("busy"), "no");
  EXPECT_EQ(Line("command"), "0x40");
  EXPECT_EQ(Line("field\t0"), "1");
  EXPECT_EQ(Stats().Executed.load(), 1u);
}

TEST_F(SendRawOverPty, LostAnswerOnTheLineIsReadFirst) {
  Start();
  ASSERT_EQ(Run(Request(0x40, {"83"})), 0);
  VXB::SerialPort port;
  ASSERT_TRUE(port.Open(pty_.SlavePath()));
  emu_->RequestLostAnswer();
  for (int i = 0; i < 200 && port.Peek() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GT(port.Peek(), 0u);
  VXP::VardexPacketProtocol protocol(true);
  protocol.Configure(3, 400);
  protocol.SetDriver(&port);
  SendRawRequest status = Request(0x2A);
  status.HasSequence = true;
  status.Sequence = 33;
  ASSERT_TRUE(ExchangeRaw(protocol, status));
  EXPECT_EQ(protocol.GetAnswer().GetCommand(), 0x2A);
  EXPECT_EQ(protocol.GetReceivedSequence(), 33u);
  protocol.RemoveDriver();
}

TEST_F(SendRawOverPty, FailuresPrintOneLine) {
  struct Case {
    const char* Name;
    unsigned ZorbelEmulator::Faults::*Fault;
    const char* Line;
  };
  const Case cases[] = {
      {"silence", &ZorbelEmulator::Faults::Silence,
       "PROTOCOL_MAX_RETRIES: M\xC3\xA1xima cantidad de reintentos agotada: "
       "Se intent\xC3\xB3 enviar comando 3 veces\n"},
      {"nak", &ZorbelEmulator::Faults::Nak,
       "PROTOCOL_MAX_RETRIES: M\xC3\xA1xima cantidad de reintentos agotada: "
       "Se intent\xC3\xB3 enviar comando 3 veces\n"},
      {"ack only", &ZorbelEmulator::Faults::AckOnly,
       "PROTOCOL_MAX_RETRIES: M\xC3\xA1xima cantidad de reintentos agotada: "
       "Se intent\xC3\xB3 esperar la respuesta 3 veces\n"},
      // Three spoiled transmissions of the answer in a row.
      {"bad checksum", &ZorbelEmulator::Faults::BadChecksum,
       "PROTOCOL_MAX_RETRIES: M\xC3\xA1xima cantidad de reintentos agotada: "
       "Se intent\xC3\xB3 esperar la respuesta 3 veces\n"},
      {"dropped byte", &ZorbelEmulator::Faults::DropByte,
       "PROTOCOL_MAX_RETRIES: M\xC3\xA1xima cantidad de reintentos agotada: "
       "Se intent\xC3\xB3 esperar la respuesta 3 veces\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ZorbelEmulator::Options o;
    o.AnswerAckTimeoutMs = 100;
    o.Inject.*c.Fault = 3;
    Start(o);
    EXPECT_EQ(Run(Request(0x2A)), 1);
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(err_.str(), c.Line);
    TearDown();
    emu_.reset();
    pty_.Close();
  }
}

TEST_F(SendRawOverPty, OutOfRangeSequenceAndMissingPort) {
  Start();
  SendRawRequest r = Request(0x2A);
  r.HasSequence = true;
  r.Sequence = 127;
  EXPECT_EQ(Run(r), 1);
  EXPECT_EQ(err_.str().rfind("PROTOCOL_INVALID_SEQUENCE: ", 0), 0u) << err_.str();
  EXPECT_NE(err_.str().find(": Secuencia 127 fuera de rango (32-126)\n"), std::string::npos);
  EXPECT_EQ(Stats().Packets.load(), 0u);
  r = Request(0x2A);
  r.Port = "/dev/zorbel-no-such-port";
  EXPECT_EQ(Run(r), 1);
  EXPECT_EQ(err_.str().rfind("IO_OPEN_ERROR: ", 0), 0u) << err_.str();
  EXPECT_EQ(err_.str().find('\n'), err_.str().size() - 1);
}

// Fields are sent whole or not at all: nothing reaches the line.
TEST_F(SendRawOverPty, FieldsThatCannotGoOutWholeAreRefused) {
  Start();
  const std::vector<std::vector<std::string>> cases = {
      {std::string(5000, 'A')},
      {std::string(MaxFieldSize() + 1, 'A')},
      {std::string(2000, 'A'), std::string(2000, 'B'), std::string(100, 'C')},
  };
  for (const auto& fields : cases) {
    EXPECT_EQ(Run(Request(0x2A, fields)), 1);
    EXPECT_EQ(err_.str().rfind("PROTOCOL_SIZE: ", 0), 0u) << err_.str();
    EXPECT_EQ(err_.str().find('\n'), err_.str().size() - 1);
    EXPECT_EQ(out_.str(), "");
  }
  EXPECT_EQ(Stats().BytesReceived.load(), 0u);
  // A long field that still fits the packet (the frame adds ten bytes
  // around a single field) goes out whole.
  EXPECT_EQ(Run(Request(0x2A, {std::string(MaxFieldSize() - 10, 'A')})), 0) << err_.str();
}

TEST_F(SendRawOverPty, TraceShowsTheBytesExchanged) {
  Start();
  SendRawRequest r = Request(0x2A);
  r.Trace = true;
  ASSERT_EQ(Run(r), 0) << err_.str();
  const std::string trace = err_.str();
  EXPECT_NE(trace.find("> [STX] [ESC]*[ETX]"), std::string::npos) << trace;
  EXPECT_NE(trace.find("< [ACK][STX] [ESC]*[FS]0000[FS]"), std::string::npos) << trace;
  EXPECT_NE(trace.find("> [ACK]\n"), std::string::npos) << trace;
}

// An interrupted exchange ends at once and leaves the port free.
TEST_F(SendRawOverPty, InterruptionEndsTheExchangeAndClosesThePort) {
  ZorbelEmulator::Options o;
  o.Inject.Silence = 3;
  Start(o);
  Interruption stop;
  std::thread interrupter([&] {
    while (Stats().BytesReceived.load() == 0) std::this_thread::yield();
    stop.Fire();
  });
  // Without the interruption this would try for 3 x 6 seconds.
  EXPECT_EQ(SendRaw(Request(0x2A, {}, 6000), out_, err_, &stop), 1);
  interrupter.join();
  EXPECT_NE(err_.str().find("ABORTED"), std::string::npos) << err_.str();
  VXB::SerialPort again;
  EXPECT_TRUE(again.Open(pty_.SlavePath()));
  // Fired before the exchange: nothing is sent.
  const unsigned received = Stats().BytesReceived.load();
  EXPECT_EQ(SendRaw(Request(0x2A), out_, err_, &stop), 1);
  EXPECT_EQ(Stats().BytesReceived.load(), received);
}

TEST(SendRawArguments, UsageErrorsAreOneLine) {
  const std::vector<std::vector<const char*>> cases = {
      {"--port"}, {"2A"}, {"--port", "/dev/x", "--bogus", "2A"}, {"--port", "/dev/x", "zz"}};
  for (const auto& args : cases) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunSendRaw(static_cast<int>(args.size()), args.data()), 2);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("zorbel-cli send-raw: ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find("(try --help)"), std::string::npos) << err;
  }
  EXPECT_NE(std::string(kSendRawHelp).find("COM3"), std::string::npos);
  EXPECT_NE(std::string(kSendRawHelp).find("Exit status"), std::string::npos);
}

TEST(SendRawArguments, Parsing) {
  struct Case {
    std::vector<const char*> Args;
    bool Ok;
    unsigned Command;
    size_t Fields;
  };
  const Case cases[] = {
      {{"--port", "/dev/x", "2A"}, true, 0x2A, 0},
      {{"--port", "/dev/x", "--baud", "19200", "0x40", "83"}, true, 0x40, 1},
      {{"--port", "/dev/x", "--sequence", "40", "a1", "", "x"}, true, 0xA1, 2},
      {{"--port", "/dev/x", "42", "--", "--not-an-option"}, true, 0x42, 1},
      {{"2A", "uno", "--port", "/dev/x", "--trace", "dos"}, true, 0x2A, 2},
      {{"--port", "/dev/x", "42", "--not-an-option"}, false, 0, 0},
      {{"2A"}, false, 0, 0},                        // no port
      {{"--port", "/dev/x"}, false, 0, 0},          // no command
      {{"--port", "/dev/x", "2AB"}, false, 0, 0},   // not a byte
      {{"--port", "/dev/x", "0x03"}, false, 0, 0},  // a control byte
      {{"--port", "/dev/x", "zz"}, false, 0, 0},
      {{"--port", "/dev/x", "--baud", "12345", "2A"}, false, 0, 0},
      {{"--port", "/dev/x", "--sequence", "x", "2A"}, false, 0, 0},
      {{"--port", "/dev/x", "2A",
        "a\x1C"
        "b"},
       false,
       0,
       0},  // would split the field
      {{"--port"}, false, 0, 0},
  };
  for (const Case& c : cases) {
    SendRawRequest r;
    bool help = false;
    std::string error;
    const bool ok = ParseSendRaw(static_cast<int>(c.Args.size()), c.Args.data(), r, help, error);
    EXPECT_EQ(ok, c.Ok) << c.Args.back() << " " << error;
    if (!ok || !c.Ok) continue;
    EXPECT_EQ(r.Command, c.Command);
    EXPECT_EQ(r.Fields.size(), c.Fields);
  }
  SendRawRequest r;
  bool help = false;
  std::string error;
  const char* utf8[] = {"--port", "/dev/x", "62",
                        "Pe\xC3\xB1"
                        "a"};
  ASSERT_TRUE(ParseSendRaw(4, utf8, r, help, error));
  EXPECT_EQ(r.Fields[0],
            "Pe\xA4"
            "a");  // the internal set
}

}  // namespace
}  // namespace ZorbelCli
