// Protocol base, event-reporting driver and read-ahead buffer.
#include "vxp/protocol.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxp/scripted_controller.h"
#include "vxp/vxp_errno.h"

namespace VXP {
namespace {

using Bytes = std::vector<VXB::Byte>;
using Testing::TraceRecorder;

// A target whose reads hand out queued bytes (as many as asked, at most
// those queued) and otherwise wait out their time-out; every call is logged.
class FakeTarget : public VXB::Driver::Generic {
 public:
  FakeTarget() : Generic("FakeTarget") {}
  bool OK() const override { return true; }

  void Queue(const Bytes& b) {
    std::lock_guard<std::mutex> lk(mu_);
    input_.insert(input_.end(), b.begin(), b.end());
  }
  std::vector<unsigned> ReadTimeouts() {
    std::lock_guard<std::mutex> lk(mu_);
    return read_timeouts_;
  }
  std::vector<unsigned> ReadSizes() {
    std::lock_guard<std::mutex> lk(mu_);
    return read_sizes_;
  }
  Bytes Written() {
    std::lock_guard<std::mutex> lk(mu_);
    return written_;
  }
  std::atomic<unsigned> fail_with{0};      // error number for reads, 0 = none
  std::atomic<unsigned> write_limit{~0u};  // bytes accepted per write call
  std::atomic<unsigned> peek_calls{0};

 protected:
  unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned Timeout) override {
    {
      std::lock_guard<std::mutex> lk(mu_);
      read_timeouts_.push_back(Timeout);
      read_sizes_.push_back(size);
      if (fail_with.load() != 0) {
        VXB::Error::SetWithContext(fail_with.load(), "FakeTarget");
        return 0;
      }
      if (!input_.empty()) {
        unsigned n = 0;
        while (n < size && !input_.empty()) {
          buf[n++] = input_.front();
          input_.pop_front();
        }
        return n;
      }
    }
    // A quiet line: the device waits out the time-out.
    std::this_thread::sleep_for(std::chrono::milliseconds(Timeout));
    VXB::Error::SetWithContext(VXB::Error::IO_TIMEOUT_ERROR, "FakeTarget");
    return 0;
  }
  unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size, unsigned) override {
    std::lock_guard<std::mutex> lk(mu_);
    const unsigned n = std::min(size, write_limit.load());
    written_.insert(written_.end(), buf, buf + n);
    return n;
  }
  unsigned PeekImplementation() override {
    ++peek_calls;
    std::lock_guard<std::mutex> lk(mu_);
    return static_cast<unsigned>(input_.size());
  }

 private:
  std::mutex mu_;
  std::deque<VXB::Byte> input_;
  std::vector<unsigned> read_timeouts_;
  std::vector<unsigned> read_sizes_;
  Bytes written_;
};

std::atomic<unsigned> g_events[5];

void CountEvent(CommunicationsProtocol::Events e) { ++g_events[e]; }

class ProtocolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
  void SetUp() override {
    for (auto& e : g_events) e.store(0);
  }
  static VXB::Error::ErrNo LastError() { return VXB::Error::GetLastError()->Error; }
  static std::string LastContext() { return VXB::Error::GetLastError()->Context; }
};

TEST_F(ProtocolTest, ConfigureKeepsMinima) {
  CommunicationsProtocol p("P");
  EXPECT_EQ(p.GetRetries(), 1u);
  EXPECT_EQ(p.GetTimeout(), 400u);
  p.Configure(0, 100);
  EXPECT_EQ(p.GetRetries(), 1u);
  EXPECT_EQ(p.GetTimeout(), 400u);
  p.Configure(5, 3000);
  EXPECT_EQ(p.GetRetries(), 5u);
  EXPECT_EQ(p.GetTimeout(), 3000u);
}

TEST_F(ProtocolTest, WithoutDriverEveryOperationReportsNoTransport) {
  CommunicationsProtocol p("P");
  VXB::Byte b[4];
  EXPECT_EQ(p.Read(b, 4, 10), 0u);
  EXPECT_EQ(LastError(), Error::PROTOCOL_NO_TRANSPORT);
  EXPECT_EQ(LastContext(), "Read");
  EXPECT_EQ(p.ReadChar(10), '\0');
  EXPECT_FALSE(p.Write(b, 4));
  EXPECT_EQ(LastContext(), "Write");
  EXPECT_FALSE(p.Write(VXB::ASCII::ACK));
  EXPECT_FALSE(p.BytesAhead());
  EXPECT_EQ(LastError(), Error::PROTOCOL_NO_TRANSPORT);
  EXPECT_FALSE(p.NewTransaction());
  EXPECT_EQ(LastContext(), "NewTransaction");
  p.Flush();  // nothing to do, must not crash
  p.Abort();
}

TEST_F(ProtocolTest, WrapperTakesTargetNameAndPassesPeek) {
  FakeTarget t;
  CommunicationsProtocol p("P");
  ASSERT_TRUE(p.SetDriver(&t));
  ASSERT_NE(p.GetDriver(), nullptr);
  EXPECT_STREQ(p.GetDriver()->ToString(), "FakeTarget");
  EXPECT_FALSE(p.BytesAhead());
  t.Queue({1, 2});
  EXPECT_TRUE(p.BytesAhead());
  p.RemoveDriver();
  EXPECT_EQ(p.GetDriver(), nullptr);
}

TEST_F(ProtocolTest, SilentReadIsSlicedAndReportsIdle) {
  FakeTarget t;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  p.SetEventHandler(&CountEvent);
  TraceRecorder trace;
  VXB::Byte b[5];
  EXPECT_EQ(p.Read(b, 5, 1000), 0u);
  EXPECT_EQ(LastError(), VXB::Error::IO_TIMEOUT_ERROR);
  const std::vector<unsigned> slices = t.ReadTimeouts();
  // About five slices of at most 200 ms each.
  ASSERT_GE(slices.size(), 4u);
  EXPECT_LE(slices.size(), 7u);
  for (unsigned s : slices) EXPECT_LE(s, CommunicationsProtocol::TIME_SLICE);
  EXPECT_EQ(g_events[CommunicationsProtocol::IDLE].load(), slices.size() - 1);
  EXPECT_EQ(trace.Count(std::string("Tiempo de espera agotado (") +
                        VXB::ASCII::Milliseconds(1000).ToString() + ")"),
            1u);
}

TEST_F(ProtocolTest, RealFailureEndsTheReadAtOnce) {
  FakeTarget t;
  t.fail_with = VXB::Error::IO_READ_ERROR;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  VXB::Byte b[5];
  EXPECT_EQ(p.Read(b, 5, 2000), 0u);
  EXPECT_EQ(LastError(), VXB::Error::IO_READ_ERROR);
  EXPECT_EQ(t.ReadTimeouts().size(), 1u);
}

TEST_F(ProtocolTest, AbortEndsReadWithinASliceUntilNewTransaction) {
  FakeTarget t;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  TraceRecorder trace;
  std::atomic<bool> done{false};
  unsigned got = 99;
  VXB::Error::ErrNo error = 0;
  std::string context;
  std::chrono::steady_clock::time_point ended;
  std::thread reader([&] {
    VXB::Byte b[5];
    got = p.Read(b, 5, VXB::Constants::WAIT_FOREVER);
    error = VXB::Error::GetLastError()->Error;
    context = VXB::Error::GetLastError()->Context;
    ended = std::chrono::steady_clock::now();
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(done.load());
  const auto aborted = std::chrono::steady_clock::now();
  p.Abort();
  reader.join();
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(error, Error::PROTOCOL_ABORTED);
  EXPECT_EQ(context, "Lectura de 5 bytes");
  // Generous bound: one slice is 200 ms.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(ended - aborted).count(), 1500);
  EXPECT_TRUE(trace.Contains("A cancelar..."));
  EXPECT_TRUE(trace.Contains("Cancelaci\xA2n en progreso"));

  // The mark stays until the next transaction; bytes that came are kept.
  t.Queue({7, 8});
  VXB::Byte b[2];
  EXPECT_EQ(p.Read(b, 2, 100), 0u);
  EXPECT_EQ(LastError(), Error::PROTOCOL_ABORTED);
  ASSERT_TRUE(p.NewTransaction());
  EXPECT_EQ(p.Read(b, 2, 100), 2u);
  EXPECT_EQ(b[0], 7);
  EXPECT_EQ(b[1], 8);
}

TEST_F(ProtocolTest, WritesAreTracedAndCompletedAcrossShortWrites) {
  FakeTarget t;
  t.write_limit = 3;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  p.SetEventHandler(&CountEvent);
  TraceRecorder trace;
  const Bytes data{0x02, 'A', 'B', 'C', 0x03, 'x', 'y'};
  EXPECT_TRUE(p.Write(data.data(), data.size()));
  EXPECT_EQ(t.Written(), data);
  EXPECT_EQ(trace.Count("Write: [STX]ABC[ETX]xy"), 1u);
  EXPECT_EQ(trace.Count("(3 bytes written)"), 2u);
  EXPECT_EQ(trace.Count("(1 bytes written)"), 1u);
  EXPECT_EQ(g_events[CommunicationsProtocol::IDLE].load(), 3u);
}

TEST_F(ProtocolTest, FailedWriteIsReported) {
  FakeTarget t;
  t.write_limit = 0;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  TraceRecorder trace;
  const Bytes data{1, 2, 3};
  EXPECT_FALSE(p.Write(data.data(), data.size()));
  EXPECT_TRUE(trace.Contains("Write: Fail"));
}

TEST_F(ProtocolTest, LongReadsAreTracedSingleBytesAreNot) {
  FakeTarget t;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  TraceRecorder trace;
  t.Queue({0x06});
  EXPECT_EQ(p.ReadChar(100), '\x06');
  t.Queue({0x02, 'O', 'K', 0xF3});
  VXB::Byte b[4];
  EXPECT_EQ(p.Read(b, 4, 100), 4u);
  EXPECT_EQ(trace.CountPrefix("Read:"), 1u);
  EXPECT_TRUE(trace.Contains("Read: [STX]OK[F3h]"));
}

TEST_F(ProtocolTest, TextProtocolTracesTextBetweenRules) {
  FakeTarget t;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  p.SetTextProtocol(true);
  TraceRecorder trace;
  const char* text = "hola";
  EXPECT_TRUE(p.Write(reinterpret_cast<const VXB::Byte*>(text), 4));
  EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"--------------", "hola", "--------------",
                                                     "(4 chars written)"}));
}

TEST_F(ProtocolTest, FlushDiscardsAndCounts) {
  FakeTarget t;
  CommunicationsProtocol p("P");
  p.SetDriver(&t);
  TraceRecorder trace;
  t.Queue({1, 2, 3, 4, 5});
  p.Flush();
  EXPECT_FALSE(p.BytesAhead());
  EXPECT_TRUE(trace.Contains("5 bytes descartados"));
}

TEST_F(ProtocolTest, EventHandlerIsOptional) {
  CommunicationsProtocol p("P");
  p.FireEvent(CommunicationsProtocol::BUSY);  // no handler: nothing happens
  p.SetEventHandler(&CountEvent);
  p.FireEvent(CommunicationsProtocol::BUSY);
  EXPECT_EQ(g_events[CommunicationsProtocol::BUSY].load(), 1u);
}

// ---------------------------------------------------------------------------
// BufferedReader

TEST_F(ProtocolTest, BufferedReaderFetchesBlocksAndCompletesShortReads) {
  FakeTarget t;
  VXB::Driver::BufferedReader r(t);
  EXPECT_STREQ(r.ToString(), "FakeTarget");
  t.Queue({1, 2, 3, 4, 5});
  VXB::Byte c = 0;
  ASSERT_TRUE(r.ReadByte(c, 100));
  EXPECT_EQ(c, 1);
  ASSERT_TRUE(r.ReadByte(c, 100));
  EXPECT_EQ(t.ReadSizes(), (std::vector<unsigned>{VXB::Driver::BufferedReader::BUFFER_SIZE}));
  // 3 unread bytes; asking 5 gives the 3 and then waits for 2 more.
  t.Queue({6, 7});
  VXB::Byte b[5] = {};
  EXPECT_EQ(r.ReadBuffer(b, 5, 100), 5u);
  EXPECT_EQ(Bytes(b, b + 5), (Bytes{3, 4, 5, 6, 7}));
  // With nothing more at the source the read ends short.
  t.Queue({8});
  EXPECT_EQ(r.ReadBuffer(b, 5, 50), 1u);
  EXPECT_EQ(b[0], 8);
  EXPECT_EQ(LastError(), VXB::Error::IO_TIMEOUT_ERROR);
}

TEST_F(ProtocolTest, BufferedReaderPeekSeesBufferThenSource) {
  FakeTarget t;
  VXB::Driver::BufferedReader r(t);
  t.Queue({1, 2, 3});
  EXPECT_EQ(r.Peek(), 3u);  // nothing buffered yet: the source's count
  VXB::Byte c;
  ASSERT_TRUE(r.ReadByte(c, 100));
  EXPECT_EQ(r.Peek(), 2u);  // unread buffered bytes
  ASSERT_TRUE(r.ReadByte(c, 100));
  ASSERT_TRUE(r.ReadByte(c, 100));
  // All buffered bytes used up: bytes that have reached the source since
  // are still seen.
  t.Queue({9, 9});
  EXPECT_EQ(r.Peek(), 2u);
}

TEST_F(ProtocolTest, BufferedReaderResetDropsBufferedBytes) {
  FakeTarget t;
  VXB::Driver::BufferedReader r(t);
  t.Queue({1, 2, 3});
  VXB::Byte c;
  ASSERT_TRUE(r.ReadByte(c, 100));
  r.Reset();
  EXPECT_EQ(r.Peek(), 0u);
  EXPECT_FALSE(r.ReadByte(c, 10));
}

TEST_F(ProtocolTest, BufferedReaderReadStringStopsAtLineFeedOrSize) {
  FakeTarget t;
  VXB::Driver::BufferedReader r(t);
  t.Queue({'a', 'b', '\n', 'c', 'd', 'e', 'f'});
  char s[8];
  ASSERT_TRUE(r.ReadString(s, sizeof(s)));
  EXPECT_STREQ(s, "ab\n");
  char small[3];
  ASSERT_TRUE(r.ReadString(small, sizeof(small)));
  EXPECT_STREQ(small, "cd");
  ASSERT_TRUE(r.ReadString(s, sizeof(s)));
  EXPECT_STREQ(s, "ef");
  EXPECT_FALSE(r.ReadString(s, sizeof(s)));
  EXPECT_STREQ(s, "");
}

TEST_F(ProtocolTest, BufferedReaderPassesWritesThrough) {
  FakeTarget t;
  VXB::Driver::BufferedReader r(t);
  EXPECT_TRUE(r.WriteByte(0x15, 10));
  const Bytes data{1, 2};
  EXPECT_EQ(r.WriteBuffer(data.data(), 2, 10), 2u);
  EXPECT_EQ(t.Written(), (Bytes{0x15, 1, 2}));
  EXPECT_TRUE(r.OK());
  EXPECT_EQ(&r.GetSource(), &t);
}

}  // namespace
}  // namespace VXP
