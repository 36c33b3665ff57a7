// The driver contract of driver.h, run over every driver of the system: the
// same cases for the in-memory driver, the serial port and the
// pseudo-terminal (each against the other), the stream socket, the
// read-ahead buffer and the protocol's event-reporting wrapper. On Windows,
// where there are no pseudo-terminals, the serial port runs against another
// serial port crossed with it (two COM ports named by ZORBEL_TEST_COM_PAIR,
// "COM7,COM8"; scripts/test-windows.sh makes them).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>

#include "vxb/common/io/buffered_reader.h"
#include "vxb/common/io/memory_driver.h"
#include "vxb/common/io/network.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxp/protocol.h"
#include "vxp/vxp_errno.h"

namespace {

using VXB::Byte;
using VXB::Constants::WAIT_FOREVER;
using VXB::Driver::Generic;
namespace Err = VXB::Error;

// Generous bound for a wait that must end on its own; never reached when
// the driver keeps the contract.
constexpr unsigned kBound = 5000;

Err::ErrNo LastErr() { return Err::GetLastError()->Error; }

std::string ReadAll(Generic& d, unsigned n) {
  std::string out;
  Byte buf[64];
  while (out.size() < n) {
    const unsigned got = d.ReadBuffer(buf, std::min<unsigned>(sizeof buf, n - out.size()), kBound);
    if (got == 0) break;
    out.append(reinterpret_cast<const char*>(buf), got);
  }
  return out;
}

bool WriteAll(Generic& d, const std::string& s) {
  return d.WriteBuffer(reinterpret_cast<const Byte*>(s.data()), static_cast<unsigned>(s.size()),
                       kBound) == s.size();
}

// Each setup gives the driver under test and a far end it talks to.
// kAbortError: the error an abort leaves; kAbortSticky: the abort mark stays
// until the owner clears it (and bytes read meanwhile are dropped);
// kCanAbort: Abort() can end a wait; kCanClosePeer: the far end can go away.

struct MemorySetup {
  static constexpr Err::ErrNo kAbortError = Err::SYSTEM_ABORTED_PROCESS;
  static constexpr bool kCanAbort = true, kAbortSticky = false, kCanClosePeer = false;
  MemorySetup() { VXB::Driver::Memory::Connect(driver, peer); }
  Generic& Driver() { return driver; }
  Generic& Peer() { return peer; }
  void ClosePeer() {}
  VXB::Driver::Memory driver{"Memory"};
  VXB::Driver::Memory peer{"Peer"};
};

struct SerialPortSetup {
  static constexpr Err::ErrNo kAbortError = Err::SYSTEM_ABORTED_PROCESS;
  static constexpr bool kCanAbort = true, kAbortSticky = false, kCanClosePeer = true;
  SerialPortSetup() {
    EXPECT_TRUE(pty.Open());
    EXPECT_TRUE(port.Open(pty.SlavePath())) << Err::GetLastError()->Context;
  }
  Generic& Driver() { return port; }
  Generic& Peer() { return pty; }
  void ClosePeer() { pty.Close(); }
  VXB::PseudoTerminal pty;
  VXB::SerialPort port;
};

struct PseudoTerminalSetup {
  static constexpr Err::ErrNo kAbortError = Err::SYSTEM_ABORTED_PROCESS;
  // The pseudo-terminal keeps its own slave side open: it never sees the
  // serial party go.
  static constexpr bool kCanAbort = true, kAbortSticky = false, kCanClosePeer = false;
  PseudoTerminalSetup() {
    EXPECT_TRUE(pty.Open());
    EXPECT_TRUE(port.Open(pty.SlavePath())) << Err::GetLastError()->Context;
  }
  Generic& Driver() { return pty; }
  Generic& Peer() { return port; }
  void ClosePeer() {}
  VXB::PseudoTerminal pty;
  VXB::SerialPort port;
};

// Two serial ports whose lines are crossed. Without ZORBEL_TEST_COM_PAIR the
// ports stay closed and the cases are skipped.
struct SerialPairSetup {
  static constexpr Err::ErrNo kAbortError = Err::SYSTEM_ABORTED_PROCESS;
  // The far ends of both lines live on in the program that crosses them.
  static constexpr bool kCanAbort = true, kAbortSticky = false, kCanClosePeer = false;
  SerialPairSetup() {
    const char* pair = std::getenv("ZORBEL_TEST_COM_PAIR");
    const std::string names = pair != nullptr ? pair : "";
    const std::size_t comma = names.find(',');
    if (comma == std::string::npos) return;
    EXPECT_TRUE(port.Open(names.substr(0, comma).c_str())) << Err::GetLastError()->Context;
    EXPECT_TRUE(peer.Open(names.substr(comma + 1).c_str())) << Err::GetLastError()->Context;
  }
  bool Available() const { return port.OK() && peer.OK(); }
  Generic& Driver() { return port; }
  Generic& Peer() { return peer; }
  void ClosePeer() {}
  VXB::SerialPort port;
  VXB::SerialPort peer;
};

struct StreamSocketSetup {
  static constexpr Err::ErrNo kAbortError = Err::IO_NOT_IMPLEMENTED;
  static constexpr bool kCanAbort = false, kAbortSticky = false, kCanClosePeer = true;
  StreamSocketSetup() {
    EXPECT_TRUE(listener.Open(0));
    EXPECT_TRUE(listener.Listen());
    EXPECT_TRUE(client.Connect(0x7F000001u, listener.GetLocalPort(), kBound));
    VXB::Network::INADDR a;
    VXB::Network::PORT p;
    EXPECT_TRUE(listener.Accept(a, p, kBound, server));
  }
  Generic& Driver() { return server; }
  Generic& Peer() { return client; }
  void ClosePeer() { client.Close(); }
  VXB::StreamSocket listener, client, server;
};

struct BufferedReaderSetup {
  static constexpr Err::ErrNo kAbortError = Err::SYSTEM_ABORTED_PROCESS;
  static constexpr bool kCanAbort = true, kAbortSticky = false, kCanClosePeer = false;
  BufferedReaderSetup() { VXB::Driver::Memory::Connect(source, peer); }
  Generic& Driver() { return reader; }
  Generic& Peer() { return peer; }
  void ClosePeer() {}
  VXB::Driver::Memory source{"Memory"};
  VXB::Driver::Memory peer{"Peer"};
  VXB::Driver::BufferedReader reader{source};
};

struct DriverWithEventsSetup {
  static constexpr Err::ErrNo kAbortError = VXP::Error::PROTOCOL_ABORTED;
  static constexpr bool kCanAbort = true, kAbortSticky = true, kCanClosePeer = false;
  DriverWithEventsSetup() {
    VXB::Driver::Memory::Connect(source, peer);
    protocol.SetDriver(&source);
  }
  Generic& Driver() { return *protocol.GetDriver(); }
  Generic& Peer() { return peer; }
  void ClosePeer() {}
  VXB::Driver::Memory source{"Memory"};
  VXB::Driver::Memory peer{"Peer"};
  VXP::CommunicationsProtocol protocol{"Conformance"};
};

template <typename Rig>
class DriverContract : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Err::Init();
    VXP::Error::Init();
  }
  void SetUp() override {
    if constexpr (requires(const Rig& r) { r.Available(); }) {
      if (!s_.Available()) GTEST_SKIP() << "no crossed serial ports (ZORBEL_TEST_COM_PAIR)";
    }
    Err::OK();
  }
  Rig s_;
};

#ifdef _WIN32
using Drivers = ::testing::Types<MemorySetup, SerialPairSetup, StreamSocketSetup,
                                 BufferedReaderSetup, DriverWithEventsSetup>;
#else
using Drivers = ::testing::Types<MemorySetup, SerialPortSetup, PseudoTerminalSetup,
                                 StreamSocketSetup, BufferedReaderSetup, DriverWithEventsSetup>;
#endif
TYPED_TEST_SUITE(DriverContract, Drivers);

TYPED_TEST(DriverContract, QuietLineTimesOutWithTheTimeoutError) {
  Generic& d = this->s_.Driver();
  Byte buf[4];
  for (unsigned timeout : {0u, 30u}) {
    Err::OK();
    EXPECT_EQ(d.ReadBuffer(buf, sizeof buf, timeout), 0u) << timeout;
    EXPECT_EQ(LastErr(), Err::IO_TIMEOUT_ERROR) << timeout;
    Byte b;
    EXPECT_FALSE(d.ReadByte(b, timeout));
    EXPECT_EQ(LastErr(), Err::IO_TIMEOUT_ERROR) << timeout;
  }
}

TYPED_TEST(DriverContract, BytesCrossBothWaysAndAShortReadIsASuccess) {
  Generic& d = this->s_.Driver();
  Generic& peer = this->s_.Peer();
  ASSERT_TRUE(WriteAll(d, "hello"));
  EXPECT_EQ(ReadAll(peer, 5), "hello");
  ASSERT_TRUE(WriteAll(peer, "abc"));
  // Fewer bytes than asked for: what came is returned, the count says how
  // many.
  Byte buf[16];
  const unsigned got = d.ReadBuffer(buf, sizeof buf, 300);
  ASSERT_GE(got, 1u);
  ASSERT_LE(got, 3u);
  std::string text(reinterpret_cast<const char*>(buf), got);
  text += ReadAll(d, 3 - got);
  EXPECT_EQ(text, "abc");
}

TYPED_TEST(DriverContract, AbortBeforeTheWaitIsNotLost) {
  if (!TypeParam::kCanAbort) {
    EXPECT_FALSE(this->s_.Driver().Abort());
    EXPECT_EQ(LastErr(), Err::IO_NOT_IMPLEMENTED);
    return;
  }
  Generic& d = this->s_.Driver();
  ASSERT_TRUE(d.Abort());
  Byte b = 0;
  // Would wait kBound (or for ever) if the abort had been dropped.
  EXPECT_FALSE(d.ReadByte(b, WAIT_FOREVER));
  EXPECT_EQ(LastErr(), TypeParam::kAbortError);
  if (TypeParam::kAbortSticky) return;
  // Used up: the next read is an ordinary one.
  EXPECT_FALSE(d.ReadByte(b, 0));
  EXPECT_EQ(LastErr(), Err::IO_TIMEOUT_ERROR);
  ASSERT_TRUE(WriteAll(this->s_.Peer(), "z"));
  EXPECT_EQ(ReadAll(d, 1), "z");
}

TYPED_TEST(DriverContract, AbortFromAnotherThreadEndsAWaitingRead) {
  if (!TypeParam::kCanAbort) return;
  Generic& d = this->s_.Driver();
  auto reader = std::async(std::launch::async, [&d] {
    Byte buf[8];
    const unsigned n = d.ReadBuffer(buf, sizeof buf, WAIT_FOREVER);
    return std::make_pair(n, LastErr());
  });
  ASSERT_TRUE(d.Abort());
  ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(kBound)), std::future_status::ready);
  const auto [n, err] = reader.get();
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(err, TypeParam::kAbortError);
}

TYPED_TEST(DriverContract, PendingAbortLetsWaitingBytesThrough) {
  if (!TypeParam::kCanAbort || TypeParam::kAbortSticky) return;
  Generic& d = this->s_.Driver();
  ASSERT_TRUE(WriteAll(this->s_.Peer(), "x"));
  // Bytes that are there are delivered; the abort then ends the next wait.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBound);
  while (d.Peek() == 0 && std::chrono::steady_clock::now() < limit) {
  }
  ASSERT_GT(d.Peek(), 0u);
  ASSERT_TRUE(d.Abort());
  Byte b = 0;
  ASSERT_TRUE(d.ReadByte(b, kBound));
  EXPECT_EQ(b, 'x');
  EXPECT_FALSE(d.ReadByte(b, kBound));
  EXPECT_EQ(LastErr(), TypeParam::kAbortError);
}

TYPED_TEST(DriverContract, ClosedPeerIsNotAQuietLine) {
  if (!TypeParam::kCanClosePeer) return;
  this->s_.ClosePeer();
  Byte b = 0;
  EXPECT_FALSE(this->s_.Driver().ReadByte(b, kBound));
  EXPECT_NE(LastErr(), Err::IO_TIMEOUT_ERROR);
  EXPECT_NE(LastErr(), Err::NO_CURRENT_ERROR);
}

}  // namespace
