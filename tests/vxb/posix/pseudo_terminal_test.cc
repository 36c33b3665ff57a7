#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"

namespace {

using VXB::PseudoTerminal;
using VXB::SerialPort;
using VXB::Constants::WAIT_FOREVER;
using Clock = std::chrono::steady_clock;

unsigned LastErr() { return VXB::Error::GetLastError()->Error; }

class PseudoTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VXB::Error::Init();
    ASSERT_TRUE(pty_.Open());
  }

  bool Connect(SerialPort& port) {
    if (!port.Open(pty_.SlavePath())) return false;
    SerialPort::SerialParams p;
    p.BaudRate = SerialPort::BAUDRATE_9600;
    p.WordLength = SerialPort::WORD_LENGTH_8;
    p.Parity = SerialPort::PARITYMODE_NONE;
    p.StopBits = SerialPort::STOP_1;
    return port.SetSerialParams(p);
  }

  static std::string ReadN(VXB::Driver::Generic& d, unsigned n) {
    std::string out;
    VXB::Byte b;
    while (out.size() < n && d.ReadByte(b, 5000)) out.push_back(static_cast<char>(b));
    return out;
  }

  PseudoTerminal pty_;
};

TEST_F(PseudoTerminalTest, OpenAndClose) {
  EXPECT_TRUE(pty_.OK());
  EXPECT_EQ(std::string(pty_.SlavePath()).rfind("/dev/pts/", 0), 0u) << pty_.SlavePath();
  EXPECT_STREQ(pty_.ToString(), "PseudoTerminal");
  PseudoTerminal other;
  ASSERT_TRUE(other.Open());
  EXPECT_STRNE(other.SlavePath(), pty_.SlavePath());
  pty_.Close();
  EXPECT_FALSE(pty_.OK());
  EXPECT_STREQ(pty_.SlavePath(), "");
  VXB::Byte b;
  EXPECT_FALSE(pty_.ReadByte(b, 0));
  EXPECT_EQ(LastErr(), VXB::Error::IO_NOT_OPEN);
  EXPECT_EQ(pty_.Peek(), 0u);
  SerialPort::SerialParams p;
  EXPECT_FALSE(pty_.GetPeerSerialParams(&p));
  pty_.Close();  // again: nothing happens
}

// Line ends, control characters and flow-control characters are data.
TEST_F(PseudoTerminalTest, BytesPassUntranslated) {
  SerialPort port;
  ASSERT_TRUE(Connect(port));
  const std::string text("\r\n\x03\x04\x11\x13\x1a\x7f\xff\r", 10);
  ASSERT_TRUE(pty_.WriteString(text.c_str(), WAIT_FOREVER));
  EXPECT_EQ(ReadN(port, 10), text);
  ASSERT_TRUE(port.WriteString(text.c_str(), WAIT_FOREVER));
  EXPECT_EQ(ReadN(pty_, 10), text);
}

TEST_F(PseudoTerminalTest, TimeOutsAndNoParty) {
  VXB::Byte b;
  // Nobody has the slave side open: a quiet line, not a failure.
  EXPECT_EQ(pty_.ReadBuffer(&b, 1, 0), 0u);
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
  auto start = Clock::now();
  EXPECT_FALSE(pty_.ReadByte(b, 200));
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(PseudoTerminalTest, SurvivesPartiesComingAndGoing) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    SerialPort port;
    ASSERT_TRUE(Connect(port));
    ASSERT_TRUE(port.WriteByte('0' + round, WAIT_FOREVER));
    EXPECT_EQ(ReadN(pty_, 1), std::string(1, static_cast<char>('0' + round)));
    SerialPort::SerialParams p;
    ASSERT_TRUE(pty_.GetPeerSerialParams(&p));
    EXPECT_EQ(p.BaudRate, SerialPort::BAUDRATE_9600);
  }
  VXB::Byte b;
  EXPECT_FALSE(pty_.ReadByte(b, 0));
  EXPECT_EQ(LastErr(), VXB::Error::IO_TIMEOUT_ERROR);
}

TEST_F(PseudoTerminalTest, AbortEndsBlockedReadOnceAndIsUsedUp) {
  auto f = std::async(std::launch::async, [this] {
    VXB::Byte b;
    bool ok = pty_.ReadByte(b, WAIT_FOREVER);
    return std::make_pair(ok, LastErr());
  });
  // One call is enough, whether it comes before or during the wait.
  pty_.Abort();
  ASSERT_EQ(f.wait_for(std::chrono::seconds(5)), std::future_status::ready)
      << "read not ended by Abort";
  auto [ok, err] = f.get();
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, VXB::Error::SYSTEM_ABORTED_PROCESS);

  SerialPort port;
  ASSERT_TRUE(Connect(port));
  ASSERT_TRUE(port.WriteByte('a', WAIT_FOREVER));
  EXPECT_EQ(ReadN(pty_, 1), "a");
}

TEST_F(PseudoTerminalTest, CloseHangsUpTheParty) {
  SerialPort port;
  ASSERT_TRUE(Connect(port));
  pty_.Close();
  VXB::Byte b;
  EXPECT_FALSE(port.ReadByte(b, 5000));
  EXPECT_EQ(LastErr(), VXB::Error::IO_READ_ERROR);
}

}  // namespace
