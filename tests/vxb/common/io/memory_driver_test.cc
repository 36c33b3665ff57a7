#include "vxb/common/io/memory_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "vxb/common/runtime/error.h"

namespace VXB::Driver {
namespace {

std::string Read(Memory& m, unsigned n, unsigned Timeout) {
  std::string out(n, '\0');
  const unsigned got = m.ReadBuffer(reinterpret_cast<Byte*>(out.data()), n, Timeout);
  out.resize(got);
  return out;
}

// Reads until n bytes have come (a read returns what is there) or a read
// brings nothing within Timeout.
std::string ReadFull(Memory& m, unsigned n, unsigned Timeout) {
  std::string got;
  while (got.size() < n) {
    const std::string part = Read(m, n - static_cast<unsigned>(got.size()), Timeout);
    if (part.empty()) break;
    got += part;
  }
  return got;
}

class MemoryDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Error::Init();
    Error::OK();
  }
};

TEST_F(MemoryDriverTest, LoopbackKeepsOrder) {
  Memory m;
  EXPECT_TRUE(m.OK());
  EXPECT_STREQ(m.ToString(), "Memory");
  EXPECT_TRUE(m.WriteString("hello", 0));
  EXPECT_TRUE(m.WriteByte('!', 0));
  EXPECT_EQ(m.Peek(), 6u);
  EXPECT_EQ(Read(m, 3, 0), "hel");
  Byte b = 0;
  EXPECT_TRUE(m.ReadByte(b, 0));
  EXPECT_EQ(b, 'l');
  EXPECT_EQ(Read(m, 2, 0), "o!");
  EXPECT_EQ(m.Peek(), 0u);
  ASSERT_TRUE(m.WriteString("zz", 0));
  m.Clear();
  EXPECT_EQ(m.Peek(), 0u);
}

TEST_F(MemoryDriverTest, ReadTimesOut) {
  Memory m;
  EXPECT_EQ(Read(m, 4, 20), "");
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_TIMEOUT_ERROR);
  ASSERT_TRUE(m.WriteString("ab", 0));
  Error::OK();
  EXPECT_EQ(Read(m, 4, 1000), "ab");  // what is there, at once
  EXPECT_EQ(Read(m, 4, 0), "");
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_TIMEOUT_ERROR);
  Byte b = 0;
  EXPECT_FALSE(m.ReadByte(b, 0));
}

TEST_F(MemoryDriverTest, ConnectedPairCrosses) {
  Memory a("A");
  Memory b("B");
  Memory::Connect(a, b);
  ASSERT_TRUE(a.WriteString("ping", 0));
  EXPECT_EQ(a.Peek(), 0u);
  EXPECT_EQ(Read(b, 4, 0), "ping");
  ASSERT_TRUE(b.WriteString("pong", 0));
  EXPECT_EQ(Read(a, 4, 0), "pong");
  a.Disconnect();
  ASSERT_TRUE(a.WriteString("self", 0));
  EXPECT_EQ(Read(a, 4, 0), "self");
  EXPECT_EQ(b.Peek(), 0u);
}

TEST_F(MemoryDriverTest, DestroyedPeerLeavesLoopback) {
  Memory a("A");
  {
    Memory b("B");
    Memory::Connect(a, b);
  }
  ASSERT_TRUE(a.WriteString("x", 0));
  EXPECT_EQ(Read(a, 1, 0), "x");
}

TEST_F(MemoryDriverTest, ReaderWaitsForWriterOnAnotherThread) {
  Memory host("host");
  Memory device("device");
  Memory::Connect(host, device);
  std::thread writer([&] {
    for (char c : std::string("abcdef")) EXPECT_TRUE(device.WriteByte(static_cast<Byte>(c), 1000));
  });
  EXPECT_EQ(ReadFull(host, 6, 5000), "abcdef");
  writer.join();
}

TEST_F(MemoryDriverTest, AbortEndsWaitingRead) {
  Memory m;
  Error::ErrNo seen = 0;
  unsigned got = 99;
  std::thread reader([&] {
    Byte buf[4];
    got = m.ReadBuffer(buf, 4, Constants::WAIT_FOREVER);
    seen = Error::GetLastError()->Error;
  });
  EXPECT_TRUE(m.Abort());
  reader.join();
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(seen, Error::SYSTEM_ABORTED_PROCESS);
  // The abort was used up: the next read waits normally.
  EXPECT_EQ(Read(m, 1, 0), "");
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_TIMEOUT_ERROR);
}

TEST_F(MemoryDriverTest, PendingAbortHitsOnlyAWaitingOperation) {
  Memory m;
  m.Abort();
  ASSERT_TRUE(m.WriteString("ok", 0));
  EXPECT_EQ(Read(m, 2, 0), "ok");
  EXPECT_EQ(Read(m, 1, 1000), "");
  EXPECT_EQ(Error::GetLastError()->Error, Error::SYSTEM_ABORTED_PROCESS);
}

TEST_F(MemoryDriverTest, FullQueueBoundsWrites) {
  Memory m("small", 4);
  const Byte six[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(m.WriteBuffer(six, 6, 0), 4u);
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_TIMEOUT_ERROR);
  EXPECT_EQ(m.Peek(), 4u);
}

TEST_F(MemoryDriverTest, WriterWaitsForRoom) {
  Memory a("A", 3);
  Memory b("B", 3);
  Memory::Connect(a, b);
  const std::string text = "0123456789";
  std::thread writer([&] { EXPECT_TRUE(a.WriteString(text.c_str(), 0)); });
  EXPECT_EQ(ReadFull(b, 10, 5000), text);
  writer.join();
}

TEST_F(MemoryDriverTest, AbortEndsWaitingWrite) {
  Memory a("A", 2);
  Memory b("B", 2);
  Memory::Connect(a, b);
  unsigned written = 99;
  Error::ErrNo seen = 0;
  std::thread writer([&] {
    const Byte five[5] = {1, 2, 3, 4, 5};
    written = a.WriteBuffer(five, 5, Constants::WAIT_FOREVER);
    seen = Error::GetLastError()->Error;
  });
  a.Abort();
  writer.join();
  EXPECT_EQ(seen, Error::SYSTEM_ABORTED_PROCESS);
  EXPECT_EQ(written, b.Peek());
  EXPECT_LE(written, 2u);
}

TEST_F(MemoryDriverTest, DisabledReadsFail) {
  Memory m;
  ASSERT_TRUE(m.WriteString("x", 0));
  m.Disable();
  Byte b = 0;
  EXPECT_FALSE(m.ReadByte(b, 0));
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_DISABLED);
  EXPECT_EQ(m.Peek(), 0u);
  m.Enable();
  EXPECT_EQ(m.Peek(), 1u);
}

}  // namespace
}  // namespace VXB::Driver
