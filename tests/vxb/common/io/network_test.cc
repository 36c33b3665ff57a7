#include "vxb/common/io/network.h"

#if !defined(_WIN32)
#include <fcntl.h>
#endif
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread_state.h"

namespace VXB {
namespace {

using Constants::WAIT_FOREVER;
using Network::LOOPBACK;

constexpr const char* kAcceptTimeoutContext =
    "bool VXB::StreamSocket::Accept(VXB::Network::INADDR&, VXB::Network::PORT&, unsigned int, "
    "VXB::StreamSocket&)";
constexpr const char* kMultipleAcceptContext =
    "static bool VXB::StreamSocket::MultipleAccept(VXB::StreamSocket**, unsigned int&, "
    "VXB::Network::INADDR&, VXB::Network::PORT&, unsigned int, VXB::StreamSocket&)";
constexpr const char* kReadTimeoutContext =
    "virtual unsigned int VXB::StreamSocket::ReadBufferImplementation(unsigned char*, unsigned "
    "int, unsigned int)";
constexpr const char* kWriteTimeoutContext =
    "virtual unsigned int VXB::StreamSocket::WriteBufferImplementation(const unsigned char*, "
    "unsigned int, unsigned int)";

// Waits (bounded) until condition holds; true when it did.
bool Eventually(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::string LastContext() { return Error::GetCurrent().Context; }
Error::ErrNo LastErrNo() { return Error::GetCurrent().Error; }

// Reads exactly Size bytes or fails.
bool ReadExactly(StreamSocket& s, Byte* Buffer, unsigned Size, unsigned Timeout = 5000) {
  unsigned have = 0;
  while (have < Size) {
    const unsigned n = s.ReadBuffer(Buffer + have, Size - have, Timeout);
    if (n == 0) return false;
    have += n;
  }
  return true;
}

// Reaches the implementation operations below the driver's public checks.
class ExposedSocket : public StreamSocket {
 public:
  using StreamSocket::ReadBufferImplementation;
  using StreamSocket::WriteBufferImplementation;
};

class StreamSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Error::Init();
    ASSERT_TRUE(listener_.Open(0));
    ASSERT_TRUE(listener_.Listen());
    ASSERT_NE(listener_.GetLocalPort(), 0);
  }

  // A connected pair: client_ (made with Connect) and server_ (accepted).
  void Connect() {
    ASSERT_TRUE(client_.Connect(LOOPBACK, listener_.GetLocalPort(), 5000));
    Network::INADDR address = 0;
    Network::PORT port = 0;
    ASSERT_TRUE(listener_.Accept(address, port, 5000, server_));
    EXPECT_EQ(address, LOOPBACK);
    EXPECT_EQ(port, client_.GetLocalPort());
  }

  StreamSocket listener_;
  StreamSocket client_;
  ExposedSocket server_;
};

TEST(NetworkTextTest, DottedQuad) {
  EXPECT_STREQ(Network::ToString(0x7F000001u), "127.0.0.1");
  EXPECT_STREQ(Network::ToString(0), "0.0.0.0");
  EXPECT_STREQ(Network::ToString(0xFFFFFFFFu), "255.255.255.255");
  EXPECT_STREQ(Network::ToString(0xC0A80A01u), "192.168.10.1");
  // Texts of earlier calls stay valid for a few further calls.
  const char* first = Network::ToString(0x01020304u);
  const char* second = Network::ToString(0x05060708u);
  EXPECT_STREQ(first, "1.2.3.4");
  EXPECT_STREQ(second, "5.6.7.8");
}

TEST(NetworkTextTest, ErrorTexts) {
  struct Case {
    unsigned number;
    const char* text;
  };
  const Case cases[] = {
      {0, "No description."},
      {10004, "Interrupted system call"},
      {10048, "Address already in use"},
      {10054, "Conection reset by peer"},
      {10059, "Too many references:can't splice"},
      {10061, "Connection refused"},
      {11004, "Valid name,no data record of requested type"},
      {10000, "Error desconocido"},
      {1, "Error desconocido"},
      {12345, "Error desconocido"},
  };
  for (const Case& c : cases) EXPECT_STREQ(Network::ErrorText(c.number), c.text) << c.number;
}

TEST(StreamSocketClosedTest, EveryOperationReportsTheClosedSocket) {
  StreamSocket s;
  EXPECT_FALSE(s.IsOpen());
  EXPECT_FALSE(s.OK());
  EXPECT_EQ(s.GetDescriptor(), -1);
  EXPECT_EQ(s.GetLocalPort(), 0);
  EXPECT_STREQ(s.ToString(), "TCP");
  EXPECT_TRUE(s.Close());
  EXPECT_TRUE(s.Close());

  EXPECT_FALSE(s.Listen());
  EXPECT_EQ(LastErrNo(), Error::IO_NOT_OPEN);
  EXPECT_EQ(LastContext(), "Listen while closed");

  Byte b[4] = {1, 2, 3, 4};
  EXPECT_EQ(s.WriteBuffer(b, 4, 100), 0u);
  EXPECT_EQ(LastErrNo(), Error::IO_NOT_OPEN);
  EXPECT_EQ(LastContext(), "Write while closed");
  EXPECT_EQ(s.ReadBuffer(b, 4, 100), 0u);
  EXPECT_EQ(LastErrNo(), Error::IO_NOT_OPEN);
  EXPECT_EQ(LastContext(), "Read while closed");
  EXPECT_EQ(s.Peek(), 0u);

  StreamSocket target;
  Network::INADDR address = 0;
  Network::PORT port = 0;
  EXPECT_FALSE(s.Accept(address, port, 0, target));
  EXPECT_EQ(LastErrNo(), Error::SOCK_CONNECTION_CLOSED);
  EXPECT_EQ(LastContext(), "Accept");
}

#if !defined(_WIN32)
TEST_F(StreamSocketTest, DescriptorsAreCloseOnExec) {
  Connect();
  const StreamSocket* sockets[] = {&listener_, &client_, &server_};
  for (const StreamSocket* s : sockets) {
    const int flags = fcntl(s->GetDescriptor(), F_GETFD);
    ASSERT_GE(flags, 0);
    EXPECT_NE(flags & FD_CLOEXEC, 0);
  }
}
#endif

TEST_F(StreamSocketTest, BindingAPortInUseFails) {
  StreamSocket second;
  EXPECT_FALSE(second.Open(listener_.GetLocalPort()));
  EXPECT_EQ(LastErrNo(), Error::SOCK_BIND_ERROR);
#if defined(_WIN32)
  // A port held with SO_EXCLUSIVEADDRUSE may be refused as access denied.
  EXPECT_TRUE(LastContext() == "Address already in use" || LastContext() == "Permission Denied")
      << LastContext();
#else
  EXPECT_EQ(LastContext(), "Address already in use");
#endif
  EXPECT_FALSE(second.IsOpen());
}

TEST_F(StreamSocketTest, AcceptTimesOutAndKeepsListening) {
  StreamSocket target;
  Network::INADDR address = 0;
  Network::PORT port = 0;
  for (unsigned timeout : {0u, 50u}) {
    EXPECT_FALSE(listener_.Accept(address, port, timeout, target));
    EXPECT_EQ(LastErrNo(), Error::IO_TIMEOUT_ERROR);
    EXPECT_EQ(LastContext(), kAcceptTimeoutContext);
    EXPECT_TRUE(listener_.IsOpen());
    EXPECT_FALSE(target.IsOpen());
    EXPECT_EQ(ThreadState::GetThreadInfo()->State, ThreadState::READY);
  }
  Connect();  // the listener still works
}

TEST_F(StreamSocketTest, AcceptedConnectionCarriesTheListenersPort) {
  Connect();
  EXPECT_TRUE(server_.IsOpen());
  EXPECT_EQ(server_.GetLocalPort(), listener_.GetLocalPort());
}

TEST_F(StreamSocketTest, AcceptIntoAnOpenTargetReplacesItsConnection) {
  Connect();
  StreamSocket second_client;
  ASSERT_TRUE(second_client.Connect(LOOPBACK, listener_.GetLocalPort(), 5000));
  Network::INADDR address = 0;
  Network::PORT port = 0;
  ASSERT_TRUE(listener_.Accept(address, port, 5000, server_));
  EXPECT_EQ(port, second_client.GetLocalPort());
  // The first connection was closed by the accept.
  Byte b = 0;
  EXPECT_EQ(client_.ReadBuffer(&b, 1, 5000), 0u);
  EXPECT_EQ(LastErrNo(), Error::SOCK_CONNECTION_CLOSED);
}

TEST_F(StreamSocketTest, BlockedAcceptShowsInTheThreadStateTable) {
  std::atomic<bool> accepted{false};
  std::atomic<THREAD_ID> id{0};
  std::thread waiter([&] {
    id = Thread::GetCurrentThreadID();
    Network::INADDR address = 0;
    Network::PORT port = 0;
    accepted = listener_.Accept(address, port, WAIT_FOREVER, server_);
  });
  char expected[ThreadState::MAX_RESOURCE + 1];
  std::snprintf(expected, sizeof(expected), "Accept :%u", listener_.GetLocalPort());
  const bool seen = Eventually([&] {
    for (const ThreadState::ThreadInfo* row = ThreadState::GetThreadInfoFirst(); row != nullptr;
         row = ThreadState::GetThreadInfoNext()) {
      if (row->ThreadID == id.load() && row->State == ThreadState::WAITING &&
          std::strcmp(row->Resource, expected) == 0) {
        return true;
      }
    }
    return false;
  });
  EXPECT_TRUE(seen);
  ASSERT_TRUE(client_.Connect(LOOPBACK, listener_.GetLocalPort(), 5000));
  waiter.join();
  EXPECT_TRUE(accepted);
}

TEST_F(StreamSocketTest, MultipleAcceptPrefersTheEarlierSocketInTheArray) {
  StreamSocket other;
  ASSERT_TRUE(other.Open(0));
  ASSERT_TRUE(other.Listen());
  // Connect to the later one first, then make sure both are ready.
  StreamSocket c1;
  StreamSocket c2;
  ASSERT_TRUE(c2.Connect(LOOPBACK, other.GetLocalPort(), 5000));
  ASSERT_TRUE(c1.Connect(LOOPBACK, listener_.GetLocalPort(), 5000));
  ASSERT_TRUE(listener_.WaitReadable(5000));
  ASSERT_TRUE(other.WaitReadable(5000));

  StreamSocket closed;
  StreamSocket* sockets[] = {nullptr, &closed, &listener_, &listener_, &other};
  Network::INADDR address = 0;
  Network::PORT port = 0;
  unsigned count = 5;
  ASSERT_TRUE(StreamSocket::MultipleAccept(sockets, count, address, port, 5000, server_));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(port, c1.GetLocalPort());
  EXPECT_EQ(server_.GetLocalPort(), listener_.GetLocalPort());

  count = 5;
  ASSERT_TRUE(StreamSocket::MultipleAccept(sockets, count, address, port, 5000, server_));
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(port, c2.GetLocalPort());
  EXPECT_EQ(server_.GetLocalPort(), other.GetLocalPort());

  count = 5;
  EXPECT_FALSE(StreamSocket::MultipleAccept(sockets, count, address, port, 30, server_));
  EXPECT_EQ(LastErrNo(), Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), kMultipleAcceptContext);
}

TEST(StreamSocketMultipleAcceptTest, NothingOpenFailsInsteadOfWaitingForever) {
  StreamSocket closed;
  StreamSocket target;
  StreamSocket* sockets[] = {&closed, nullptr};
  Network::INADDR address = 0;
  Network::PORT port = 0;
  unsigned count = 2;
  EXPECT_FALSE(StreamSocket::MultipleAccept(sockets, count, address, port, WAIT_FOREVER, target));
  EXPECT_EQ(LastErrNo(), Error::SOCK_CONNECTION_CLOSED);
}

TEST_F(StreamSocketTest, ReadWriteBothWays) {
  Connect();
  const Byte hello[] = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(client_.WriteBuffer(hello, 5, 1000), 5u);
  ASSERT_TRUE(server_.WaitReadable(5000));
  EXPECT_EQ(server_.Peek(), 5u);
  Byte in[5] = {};
  ASSERT_TRUE(ReadExactly(server_, in, 5));
  EXPECT_EQ(std::memcmp(in, hello, 5), 0);
  EXPECT_EQ(server_.Peek(), 0u);

  EXPECT_TRUE(server_.WriteByte('x', WAIT_FOREVER));
  Byte b = 0;
  Error::SetWithContext(Error::IO_READ_ERROR, "earlier");
  EXPECT_TRUE(client_.ReadByte(b, WAIT_FOREVER));
  EXPECT_EQ(b, 'x');
  // A successful read clears the record.
  EXPECT_EQ(LastErrNo(), Error::NO_CURRENT_ERROR);
  EXPECT_EQ(LastContext(), "ReadBuffer");
  EXPECT_TRUE(server_.WriteString("abc", 1000));
  char text[4] = {};
  ASSERT_TRUE(ReadExactly(client_, reinterpret_cast<Byte*>(text), 3));
  EXPECT_STREQ(text, "abc");
}

TEST_F(StreamSocketTest, ReadTimesOutAndLeavesTheConnectionOpen) {
  Connect();
  Byte b[8];
  for (unsigned timeout : {0u, 50u}) {
    EXPECT_EQ(server_.ReadBuffer(b, sizeof(b), timeout), 0u);
    EXPECT_EQ(LastErrNo(), Error::IO_TIMEOUT_ERROR);
    EXPECT_EQ(LastContext(), kReadTimeoutContext);
    EXPECT_TRUE(server_.IsOpen());
    EXPECT_EQ(ThreadState::GetThreadInfo()->State, ThreadState::READY);
  }
  EXPECT_FALSE(server_.WaitReadable(0));
  EXPECT_EQ(LastErrNo(), Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), "select");
  ASSERT_TRUE(client_.WriteByte(7, 1000));
  Byte got = 0;
  EXPECT_TRUE(server_.ReadByte(got, 5000));
  EXPECT_EQ(got, 7);
}

TEST_F(StreamSocketTest, PeerClosedIsReportedOnRead) {
  for (unsigned timeout : {1000u, WAIT_FOREVER}) {
    Connect();
    ASSERT_TRUE(client_.WriteByte(9, 1000));
    ASSERT_TRUE(client_.Close());
    Byte b = 0;
    // Data sent before the close is still delivered.
    EXPECT_TRUE(server_.ReadByte(b, timeout));
    EXPECT_EQ(b, 9);
    EXPECT_FALSE(server_.ReadByte(b, timeout));
    EXPECT_EQ(LastErrNo(), Error::SOCK_CONNECTION_CLOSED);
    EXPECT_EQ(LastContext(), "Socket closed");
    EXPECT_TRUE(server_.Close());
  }
}

TEST_F(StreamSocketTest, WritingToAGonePeerFailsWithoutASignal) {
  Connect();
  ASSERT_TRUE(client_.Close());
  std::vector<Byte> data(64 * 1024, 0x55);
  bool failed = false;
  for (int i = 0; i < 200 && !failed; ++i) {
    failed =
        server_.WriteBuffer(data.data(), static_cast<unsigned>(data.size()), 1000) < data.size();
  }
  ASSERT_TRUE(failed);
  EXPECT_EQ(LastErrNo(), Error::IO_WRITE_ERROR);
  const std::string context = LastContext();
  EXPECT_TRUE(context == "Can't send after socket shutdown" || context == "Conection reset by peer")
      << context;
}

TEST_F(StreamSocketTest, ZeroSizedWritesAndReadsTouchNothing) {
  Connect();
  const Byte none[1] = {0};
  Byte b = 0;
  for (bool direct : {false, true}) {
    Error::SetWithContext(Error::IO_READ_ERROR, "earlier");
    EXPECT_EQ(direct ? server_.WriteBufferImplementation(none, 0, 1000)
                     : server_.WriteBuffer(none, 0, 1000),
              0u);
    if (direct) {
      EXPECT_EQ(LastErrNo(), Error::NO_CURRENT_ERROR);
      EXPECT_EQ(LastContext(), "WriteBuffer");
    }
    // Nothing reached the peer.
    EXPECT_EQ(client_.ReadBuffer(&b, 1, 0), 0u);
    EXPECT_EQ(LastErrNo(), Error::IO_TIMEOUT_ERROR);

    // A zero-sized read must not be mistaken for a closed peer.
    ASSERT_TRUE(client_.WriteByte(3, 1000));
    ASSERT_TRUE(server_.WaitReadable(5000));
    Error::SetWithContext(Error::IO_READ_ERROR, "earlier");
    EXPECT_EQ(
        direct ? server_.ReadBufferImplementation(&b, 0, 1000) : server_.ReadBuffer(&b, 0, 1000),
        0u);
    EXPECT_NE(LastErrNo(), Error::SOCK_CONNECTION_CLOSED);
    if (direct) {
      EXPECT_EQ(LastErrNo(), Error::NO_CURRENT_ERROR);
    }
    EXPECT_TRUE(server_.ReadByte(b, 5000));
    EXPECT_EQ(b, 3);
  }
}

// A write far larger than the socket buffers completes in full and in order
// while the peer reads, with a bounded time-out and without one.
TEST_F(StreamSocketTest, LargeWriteCompletes) {
  constexpr unsigned kSize = 8 * 1024 * 1024;
  std::vector<Byte> data(kSize);
  for (unsigned i = 0; i < kSize; ++i) data[i] = static_cast<Byte>((i * 7u) ^ (i >> 9));
  for (unsigned timeout : {20000u, WAIT_FOREVER}) {
    Connect();
    std::vector<Byte> received(kSize);
    std::atomic<bool> read_ok{false};
    std::thread reader([&] { read_ok = ReadExactly(client_, received.data(), kSize, 10000); });
    EXPECT_EQ(server_.WriteBuffer(data.data(), kSize, timeout), kSize);
    reader.join();
    ASSERT_TRUE(read_ok);
    EXPECT_TRUE(received == data);
  }
}

// A write that cannot finish in time reports how much went out and why.
TEST_F(StreamSocketTest, StalledWriteReportsTheTimeOutAndTheCountSent) {
  Connect();
  constexpr unsigned kSize = 64 * 1024 * 1024;  // more than any socket buffer
  std::vector<Byte> data(kSize, 0xA5);
  const unsigned sent = server_.WriteBuffer(data.data(), kSize, 200);
  EXPECT_LT(sent, kSize);
  EXPECT_EQ(LastErrNo(), Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(LastContext(), kWriteTimeoutContext);
  EXPECT_TRUE(server_.IsOpen());
  EXPECT_EQ(ThreadState::GetThreadInfo()->State, ThreadState::READY);
}

TEST_F(StreamSocketTest, ConnectToAClosedPortIsRefused) {
  StreamSocket probe;
  ASSERT_TRUE(probe.Open(0));
  const Network::PORT port = probe.GetLocalPort();
  ASSERT_TRUE(probe.Close());  // bound but never listening: nobody accepts
  EXPECT_FALSE(client_.Connect(LOOPBACK, port, 5000));
  EXPECT_EQ(LastErrNo(), Error::SOCK_ERROR_CONNECT);
  EXPECT_EQ(LastContext(), "Connection refused");
  EXPECT_FALSE(client_.IsOpen());
}

TEST_F(StreamSocketTest, ReopeningReleasesTheEarlierSocket) {
  const Network::PORT first = listener_.GetLocalPort();
  ASSERT_TRUE(listener_.Open(0));
  ASSERT_TRUE(listener_.Listen());
  // The first port is free again.
  StreamSocket again;
  EXPECT_TRUE(again.Open(first));
}

}  // namespace
}  // namespace VXB
