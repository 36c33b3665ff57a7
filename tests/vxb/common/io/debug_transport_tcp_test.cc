// The TCP debug transport, driven by a loopback client.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "vxb/common/io/debug_transport_tcp.h"
#include "vxb/common/io/network.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::Debug {
namespace {

using Network::LOOPBACK;

bool Eventually(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool ReadExactly(StreamSocket& s, Byte* Buffer, unsigned Size) {
  unsigned have = 0;
  while (have < Size) {
    const unsigned n = s.ReadBuffer(Buffer + have, Size - have, 5000);
    if (n == 0) return false;
    have += n;
  }
  return true;
}

std::uint32_t LittleEndian32(const Byte* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Received {
  unsigned module = 0;
  std::string id;
  std::uint32_t date = 0;
  std::uint32_t time = 0;
  std::uint32_t thread_id = 0;
  std::string text;
};

// Reads one debug line: the 48-byte header, then its text.
bool ReadLine(StreamSocket& client, Received& out) {
  Byte header[48];
  if (!ReadExactly(client, header, sizeof(header))) return false;
  out.module = header[0];
  out.id = std::string(reinterpret_cast<const char*>(header + 1), 31).c_str();
  out.date = LittleEndian32(header + 32);
  out.time = LittleEndian32(header + 36);
  out.thread_id = LittleEndian32(header + 40);
  const std::uint32_t size = LittleEndian32(header + 44);
  if (size > LINE_BUFFER_SIZE) return false;
  out.text.assign(size, '\0');
  return size == 0 || ReadExactly(client, reinterpret_cast<Byte*>(out.text.data()), size);
}

bool SendCommand(StreamSocket& client, std::uint8_t command, std::uint8_t value) {
  const Byte record[2] = {command, value};
  return client.WriteBuffer(record, 2, 1000) == 2;
}

class TransportTCPTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Error::Init();
    Init();
    Control::Init();
    Control::EnableModule(IO);
  }
  void TearDown() override {
    Control::SetCurrentTransport(nullptr);
    Control::DisableAllModules();
  }

  // Connects a client and waits until the transport has taken it.
  void ConnectClient(TransportTCP& t, StreamSocket& client) {
    ASSERT_TRUE(client.Connect(LOOPBACK, t.GetPort(), 5000));
    ASSERT_TRUE(Eventually([&] { return t.Enabled(); }));
    EXPECT_GE(t.GetDescriptor(), 0);
  }
};

TEST_F(TransportTCPTest, WithoutAClientNothingIsEnabled) {
  TransportTCP t(0, 0);
  ASSERT_NE(t.GetPort(), 0);
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.GetDescriptor(), -1);
  Control::SetCurrentTransport(&t);
  EXPECT_FALSE(Control::Enabled(IO));
  Debugger d(IO, "Quiet");
  d.Print("nobody listens");  // dropped, no harm
}

TEST_F(TransportTCPTest, ClientReceivesPacketAndText) {
  TransportTCP t(0, 0);
  Control::SetCurrentTransport(&t);
  StreamSocket client;
  ConnectClient(t, client);

  Debugger d(IO, "TcpTest");
  Error::SetWithContext(Error::IO_READ_ERROR, "kept");
  d.Print("hello %d", 42);
  // Printing over the network leaves the caller's record alone.
  EXPECT_EQ(Error::GetCurrent().Error, Error::IO_READ_ERROR);
  EXPECT_STREQ(Error::GetCurrent().Context, "kept");

  Received line;
  ASSERT_TRUE(ReadLine(client, line));
  EXPECT_EQ(line.module, IO);
  EXPECT_EQ(line.id, "TcpTest");
  EXPECT_EQ(line.thread_id, Thread::GetCurrentThreadID());
  EXPECT_GT(line.date, 0u);
  EXPECT_EQ(line.text, "hello 42");

  // An empty line is a bare header; lines of other modules are not sent.
  Debugger other(HTTP, "Other");
  other.Print("not sent");
  d.Print("%s", "");
  d.Print("%s", "last");
  ASSERT_TRUE(ReadLine(client, line));
  EXPECT_EQ(line.text, "");
  ASSERT_TRUE(ReadLine(client, line));
  EXPECT_EQ(line.text, "last");
}

TEST_F(TransportTCPTest, CommandsSwitchModules) {
  TransportTCP t(0, 0);
  Control::SetCurrentTransport(&t);
  StreamSocket client;
  ConnectClient(t, client);

  ASSERT_FALSE(Control::Enabled(77));
  ASSERT_TRUE(SendCommand(client, Control::ENABLE_MODULE, 77));
  EXPECT_TRUE(Eventually([] { return Control::Enabled(77); }));
  ASSERT_TRUE(SendCommand(client, Control::DISABLE_MODULE, 77));
  EXPECT_TRUE(Eventually([] { return !Control::Enabled(77); }));

  // A record that arrives in two pieces is still one record.
  const Byte first = Control::ENABLE_MODULE;
  const Byte second = 78;
  ASSERT_EQ(client.WriteBuffer(&first, 1, 1000), 1u);
  ASSERT_TRUE(client.WaitWriteable(1000));
  ASSERT_EQ(client.WriteBuffer(&second, 1, 1000), 1u);
  EXPECT_TRUE(Eventually([] { return Control::Enabled(78); }));

  // The module switched on remotely produces lines for the client.
  Debugger d(78, "Remote");
  d.Print("switched");
  Received line;
  ASSERT_TRUE(ReadLine(client, line));
  EXPECT_EQ(line.module, 78u);
  EXPECT_EQ(line.text, "switched");

  ASSERT_TRUE(SendCommand(client, Control::DISABLE_ALL, 0));
  EXPECT_TRUE(Eventually([] { return !Control::Enabled(IO) && !Control::Enabled(78); }));
}

TEST_F(TransportTCPTest, AClientThatLeavesIsDroppedAndTheNextOneServed) {
  TransportTCP t(0, 0);
  Control::SetCurrentTransport(&t);
  {
    StreamSocket first;
    ConnectClient(t, first);
    ASSERT_TRUE(first.Close());
    EXPECT_TRUE(Eventually([&] { return !t.Enabled(); }));
    EXPECT_EQ(t.GetDescriptor(), -1);
  }
  StreamSocket second;
  ConnectClient(t, second);
  Debugger d(IO, "Again");
  d.Print("second client");
  Received line;
  ASSERT_TRUE(ReadLine(second, line));
  EXPECT_EQ(line.text, "second client");
}

// A client that stops reading must not hold every printing thread forever:
// it is dropped once it has taken nothing for a while.
TEST_F(TransportTCPTest, AClientThatTakesNothingIsDropped) {
  TransportTCP t(0, 0);
  Control::SetCurrentTransport(&t);
  StreamSocket client;
  ConnectClient(t, client);
  Debugger d(IO, "Flood");
  const std::string big(2000, 'z');
  int lines = 0;
  while (t.Enabled() && lines < 100000) {
    d.Print("%s", big.c_str());
    ++lines;
  }
  EXPECT_FALSE(t.Enabled());
  // The listener is back to waiting, and serves a new client.
  StreamSocket next;
  ConnectClient(t, next);
}

TEST_F(TransportTCPTest, EndWithoutAClientStopsTheListener) {
  TransportTCP t(0, 0);
  const std::uint16_t port = t.GetPort();
  ASSERT_NE(port, 0);
  t.End(true);
  EXPECT_FALSE(t.IsRunning());
  StreamSocket client;
  EXPECT_FALSE(client.Connect(LOOPBACK, port, 1000));
}

TEST_F(TransportTCPTest, EndWithAClientClosesIt) {
  TransportTCP t(0, 0);
  Control::SetCurrentTransport(&t);
  StreamSocket client;
  ConnectClient(t, client);
  t.End(true);
  EXPECT_FALSE(t.Enabled());
  Byte b = 0;
  EXPECT_EQ(client.ReadBuffer(&b, 1, 5000), 0u);
  EXPECT_EQ(Error::GetCurrent().Error, Error::SOCK_CONNECTION_CLOSED);
  t.End(true);  // a second end is harmless
}

TEST_F(TransportTCPTest, APortInUseLeavesTheTransportIdle) {
  StreamSocket holder;
  ASSERT_TRUE(holder.Open(0));
  ASSERT_TRUE(holder.Listen());
  TransportTCP t(0, holder.GetLocalPort());  // must return, not wait forever
  EXPECT_EQ(t.GetPort(), 0);
  EXPECT_FALSE(t.Enabled());
}

}  // namespace
}  // namespace VXB::Debug
