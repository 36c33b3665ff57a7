#include "vxb/common/runtime/thread.h"

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

// Runs a function as the body.
class FunctionThread : public Thread {
 public:
  explicit FunctionThread(std::function<void(FunctionThread&)> body, const char* name = "Test",
                          unsigned prio = NORMAL_PRIORITY)
      : Thread(name, prio), body_(std::move(body)) {}
  ~FunctionThread() override { Join(); }

 protected:
  void ThreadBody() override { body_(*this); }

 private:
  std::function<void(FunctionThread&)> body_;
};

// Waits (bounded) until condition holds; true when it did.
bool Eventually(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::yield();
  }
  return true;
}

bool RowOf(THREAD_ID id, ThreadState::ThreadInfo& out) {
  for (const ThreadState::ThreadInfo* row = ThreadState::GetThreadInfoFirst(); row != nullptr;
       row = ThreadState::GetThreadInfoNext()) {
    if (row->ThreadID == id) {
      out = *row;
      return true;
    }
  }
  return false;
}

TEST(ThreadTest, DestroyedWithoutRunNeverStartsAndDoesNotWait) {
  std::atomic<bool> ran{false};
  {
    FunctionThread t([&](FunctionThread&) { ran = true; });
    EXPECT_FALSE(t.IsRunning());
    EXPECT_EQ(t.GetThreadID(), 0u);
    t.Join();  // returns at once
  }
  EXPECT_FALSE(ran);
}

TEST(ThreadTest, RunRecordsIdentityAndJoinWaitsForTheBody) {
  std::atomic<THREAD_ID> seen{0};
  std::atomic<bool> running_inside{false};
  FunctionThread t([&](FunctionThread& self) {
    seen = Thread::GetCurrentThreadID();
    running_inside = self.IsRunning();
  });
  ASSERT_TRUE(t.Run());
  t.Join();
  EXPECT_TRUE(running_inside);
  EXPECT_FALSE(t.IsRunning());
  EXPECT_NE(seen.load(), 0u);
  EXPECT_NE(seen.load(), Thread::GetCurrentThreadID());
  EXPECT_EQ(t.GetThreadID(), seen.load());
  t.Join();  // a second Join returns as well
}

TEST(ThreadTest, RunTwiceFailsWithDriverError) {
  FunctionThread t([](FunctionThread&) {});
  ASSERT_TRUE(t.Run());
  EXPECT_FALSE(t.Run());
  EXPECT_EQ(Error::GetLastError()->Error, Error::SYSTEM_DRIVER_ERROR);
}

TEST(ThreadTest, NameIsCutToThirtyAndShownInTheRow) {
  const std::string long_name(45, 'n');
  std::string row_name;
  FunctionThread t([&](FunctionThread&) { row_name = ThreadState::GetName(); }, long_name.c_str());
  EXPECT_EQ(std::strlen(t.GetThreadName()), Thread::MAX_THREAD_NAME);
  ASSERT_TRUE(t.Run());
  t.Join();
  EXPECT_EQ(row_name, std::string(Thread::MAX_THREAD_NAME, 'n'));
}

TEST(ThreadTest, RowIsReadyDuringTheBodyAndFreedAfterIt) {
  ThreadState::ThreadInfo row;
  bool found = false;
  FunctionThread t(
      [&](FunctionThread&) {
        found = RowOf(Thread::GetCurrentThreadID(), row);
        EXPECT_GT(ThreadState::GetCurrentThreadStackUse(), 0);
      },
      "RowOwner", Thread::LOW_PRIORITY);
  ASSERT_TRUE(t.Run());
  t.Join();
  ASSERT_TRUE(found);
  EXPECT_STREQ(row.Name, "RowOwner");
  EXPECT_EQ(row.State, ThreadState::READY);
  EXPECT_EQ(row.Priority, 25u);  // the band's value of LOW_PRIORITY
  EXPECT_NE(row.StackBase, nullptr);
  ThreadState::ThreadInfo after;
  EXPECT_FALSE(RowOf(t.GetThreadID(), after));
}

// Uses its own member in the body and joins before the member goes away,
// as the class contract asks.
class MemberThread : public Thread {
 public:
  static constexpr unsigned ALIVE = 0x600DF00Du;
  explicit MemberThread(std::atomic<int>& bad) : Thread("Member"), bad_(bad) {}
  ~MemberThread() override {
    Join();
    magic_ = 0;
  }

 protected:
  void ThreadBody() override {
    values_.push_back(1);
    if (magic_ != ALIVE || values_.size() != 1) ++bad_;
  }

 private:
  std::atomic<int>& bad_;
  unsigned magic_ = ALIVE;
  std::vector<int> values_;
};

TEST(ThreadTest, DestroyedRightAfterRunWithDerivedJoin) {
  std::atomic<int> bad{0};
  for (int i = 0; i < 300; ++i) {
    auto* t = new MemberThread(bad);
    ASSERT_TRUE(t->Run());
    delete t;
  }
  EXPECT_EQ(bad.load(), 0);
}

std::atomic<int> g_bodies_inside{0};
std::atomic<int> g_bodies_started{0};

// No destructor of its own: the base destructor must either keep the body
// from starting or wait for it.
class PlainThread : public Thread {
 public:
  PlainThread() : Thread("Plain") {}

 protected:
  void ThreadBody() override {
    ++g_bodies_started;
    ++g_bodies_inside;
    std::this_thread::yield();
    --g_bodies_inside;
  }
};

TEST(ThreadTest, DestroyedRightAfterRunNeverLeavesABodyBehind) {
  g_bodies_started = 0;
  for (int i = 0; i < 300; ++i) {
    auto* t = new PlainThread;
    ASSERT_TRUE(t->Run());
    if (i % 2 == 0) std::this_thread::yield();  // vary the interleaving
    delete t;
    ASSERT_EQ(g_bodies_inside.load(), 0) << "iteration " << i;
  }
  EXPECT_LE(g_bodies_started.load(), 300);
}

Semaphore* g_started = nullptr;
Semaphore* g_gate = nullptr;
std::atomic<bool> g_done{false};

// Has no destructor of its own and its body touches no member, so the base
// destructor is what waits for it.
class Blocking : public Thread {
 public:
  Blocking() : Thread("BlockingBody") {}

 protected:
  void ThreadBody() override {
    g_started->Signal();
    g_gate->Wait(WAIT_FOREVER);
    g_done = true;
  }
};

TEST(ThreadTest, DestructorWaitsForTheBodyAndReportsWaiting) {
  Semaphore started("started", 0);
  Semaphore gate("gate", 0);
  g_started = &started;
  g_gate = &gate;
  g_done = false;
  const THREAD_ID me = Thread::GetCurrentThreadID();
  auto* t = new Blocking;
  ASSERT_TRUE(t->Run());
  ASSERT_TRUE(started.Wait(WAIT_FOREVER));
  // Opens the gate only once the destructor reports that it waits.
  std::atomic<bool> saw_waiting{false};
  std::thread opener([&] {
    saw_waiting = Eventually([&] {
      ThreadState::ThreadInfo row;
      return RowOf(me, row) && row.State == ThreadState::WAITING &&
             std::strcmp(row.Resource, "BlockingBody") == 0;
    });
    gate.Signal();
  });
  delete t;
  EXPECT_TRUE(g_done);
  opener.join();
  EXPECT_TRUE(saw_waiting);
  ThreadState::ThreadInfo row;
  ASSERT_TRUE(RowOf(me, row));
  EXPECT_EQ(row.State, ThreadState::READY);
}

std::atomic<int> g_deleted{0};
std::atomic<THREAD_ID> g_deleted_on{0};

class SelfDeleting : public Thread {
 public:
  explicit SelfDeleting(Semaphore* gate) : Thread("SelfDeleting"), gate_(gate) {}
  ~SelfDeleting() override {
    g_deleted_on = Thread::GetCurrentThreadID();
    ++g_deleted;
  }

 protected:
  void ThreadBody() override {
    if (gate_ != nullptr) gate_->Wait(WAIT_FOREVER);
  }

 private:
  Semaphore* gate_;
};

TEST(ThreadTest, DeleteWhenDoneDeletesOnItsOwnThread) {
  Semaphore gate("gate", 0);
  g_deleted = 0;
  auto* t = new SelfDeleting(&gate);
  t->DeleteWhenDone();
  ASSERT_TRUE(t->Run());
  const THREAD_ID body_thread = [&] {
    EXPECT_TRUE(Eventually([&] { return t->GetThreadID() != 0; }));
    return t->GetThreadID();
  }();
  gate.Signal();
  ASSERT_TRUE(Eventually([] { return g_deleted.load() == 1; }));
  EXPECT_EQ(g_deleted_on.load(), body_thread);
}

TEST(ThreadTest, DeleteWhenDoneAfterTheBodyEndedDeletesAtOnce) {
  g_deleted = 0;
  auto* t = new SelfDeleting(nullptr);
  ASSERT_TRUE(t->Run());
  t->Join();
  t->DeleteWhenDone();
  EXPECT_EQ(g_deleted.load(), 1);
  EXPECT_EQ(g_deleted_on.load(), Thread::GetCurrentThreadID());
}

TEST(ThreadTest, CancelOnlyRaisesTheFlagTheBodyPolls) {
  Semaphore started("started", 0);
  std::atomic<bool> left_by_flag{false};
  FunctionThread t([&](FunctionThread& self) {
    started.Signal();
    while (!self.CancelRequested()) std::this_thread::yield();
    left_by_flag = true;
  });
  EXPECT_FALSE(t.CancelRequested());
  ASSERT_TRUE(t.Run());
  ASSERT_TRUE(started.Wait(WAIT_FOREVER));
  t.Cancel();
  EXPECT_TRUE(t.CancelRequested());
  t.Join();
  EXPECT_TRUE(left_by_flag);  // the body ran to its own end
}

TEST(ThreadTest, ExitRunsTheEndOfTheStartSequence) {
  std::atomic<bool> after_exit{false};
  FunctionThread t([&](FunctionThread&) {
    ThreadState::SetState(ThreadState::READY, nullptr, 0);
    Thread::Exit();
    after_exit = true;
  });
  ASSERT_TRUE(t.Run());
  t.Join();
  EXPECT_FALSE(after_exit);
  EXPECT_FALSE(t.IsRunning());
  ThreadState::ThreadInfo row;
  EXPECT_FALSE(RowOf(t.GetThreadID(), row));
}

TEST(ThreadTest, JoinFromTheBodyItselfReturns) {
  std::atomic<bool> returned{false};
  FunctionThread t([&](FunctionThread& self) {
    self.Join();
    returned = true;
  });
  ASSERT_TRUE(t.Run());
  t.Join();
  EXPECT_TRUE(returned);
}

struct PriorityCase {
  unsigned Set;
  unsigned ReadBack;
};

TEST(ThreadTest, PriorityBandsReadBackAsTheirRepresentative) {
  // From the most urgent to the least: lowering always succeeds, raising
  // may be refused by the platform and must not matter.
  constexpr PriorityCase CASES[] = {
      {0, 0},   {1, 3},   {2, 3},   {3, 3},   {4, 5},   {5, 5},   {6, 10},    {7, 10}, {10, 10},
      {11, 25}, {20, 25}, {25, 25}, {26, 31}, {31, 31}, {32, 31}, {1000, 31}, {3, 3},  {10, 10},
  };
  // On a thread of its own, so that the test process keeps its priority.
  FunctionThread t([&](FunctionThread&) {
    for (const PriorityCase& c : CASES) {
      Thread::ChangeCurrentThreadPriority(c.Set);
      EXPECT_EQ(Thread::GetCurrentThreadPriority(), c.ReadBack) << "set " << c.Set;
    }
  });
  ASSERT_TRUE(t.Run());
  t.Join();
}

TEST(ThreadTest, ThreadStartsWithThePriorityItWasGiven) {
  std::atomic<unsigned> seen{99};
  FunctionThread t([&](FunctionThread&) { seen = Thread::GetCurrentThreadPriority(); }, "Prio",
                   Thread::HIGHER_PRIORITY);
  ASSERT_TRUE(t.Run());
  t.Join();
  EXPECT_EQ(seen.load(), 3u);
  EXPECT_EQ(Thread::GetCurrentThreadPriority(), 10u);  // a thread that never set one
}

}  // namespace
}  // namespace VXB
