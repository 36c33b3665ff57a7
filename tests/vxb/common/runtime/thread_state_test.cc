#include "vxb/common/runtime/thread_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::ThreadState {
namespace {

using Constants::WAIT_FOREVER;

bool Eventually(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::yield();
  }
  return true;
}

// Copies the row of thread id, when it is in use.
bool RowOf(THREAD_ID id, ThreadInfo& out) {
  for (const ThreadInfo* row = GetThreadInfoFirst(); row != nullptr; row = GetThreadInfoNext()) {
    if (row->ThreadID == id) {
      out = *row;
      return true;
    }
  }
  return false;
}

// Runs f on a fresh thread, which starts without a row.
void OnNewThread(const std::function<void()>& f) { std::thread(f).join(); }

TEST(ThreadStateTest, ReadersNeverCreateARow) {
  OnNewThread([] {
    EXPECT_EQ(GetThreadInfo(), nullptr);
    EXPECT_STREQ(GetName(), "?");
    AddMemoryUsage(10);
    RemMemoryUsage(10);
    Remove();
    EXPECT_EQ(GetCurrentThreadStackUse(), 0);
    EXPECT_EQ(GetThreadInfo(), nullptr);
  });
}

TEST(ThreadStateTest, NewRowStartsClean) {
  OnNewThread([] {
    const ThreadInfo* row = NewThread(MAX_THREADS);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(GetThreadInfo(), row);
    EXPECT_LT(row->Index, MAX_THREADS);
    EXPECT_EQ(row->ThreadID, Thread::GetCurrentThreadID());
    EXPECT_STREQ(row->Name, "Unknown");
    EXPECT_EQ(row->State, READY);
    EXPECT_STREQ(row->Resource, "");
    EXPECT_EQ(row->Time, 0u);
    EXPECT_EQ(row->MemoryUsed, 0u);
    EXPECT_EQ(row->StackBase, nullptr);
    EXPECT_EQ(row->Priority, Thread::GetCurrentThreadPriority());
  });
}

TEST(ThreadStateTest, SettersCreateTheRowAndCutTexts) {
  OnNewThread([] {
    const std::string long_text(40, 'x');
    const ThreadInfo* row = SetState(WAITING, long_text.c_str(), 1234);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(std::string(row->Resource), std::string(MAX_RESOURCE, 'x'));
    EXPECT_EQ(row->State, WAITING);
    EXPECT_EQ(row->Time, 1234u);
    EXPECT_EQ(SetState(READY, nullptr, 0), row);
    EXPECT_STREQ(row->Resource, "");
    SetName(long_text.c_str());
    EXPECT_EQ(std::string(GetName()), std::string(MAX_NAME, 'x'));
    SetName("short");
    EXPECT_STREQ(GetName(), "short");
  });
}

TEST(ThreadStateTest, MemoryUsageAddsAndNeverGoesBelowZero) {
  OnNewThread([] {
    const ThreadInfo* row = NewThread(MAX_THREADS);
    ASSERT_NE(row, nullptr);
    AddMemoryUsage(4000000000u);
    AddMemoryUsage(4000000000u);
    EXPECT_EQ(row->MemoryUsed, 8000000000ull);
    RemMemoryUsage(100);
    EXPECT_EQ(row->MemoryUsed, 7999999900ull);
    RemMemoryUsage(4000000000u);
    RemMemoryUsage(4000000000u);
    EXPECT_EQ(row->MemoryUsed, 0u);
  });
}

[[gnu::noinline]] std::int64_t StackUseOneFrameDown() {
  volatile char buffer[512];
  buffer[0] = 1;
  return GetCurrentThreadStackUse() + buffer[0] - 1;
}

TEST(ThreadStateTest, StackUseIsMeasuredFromTheRecordedBase) {
  OnNewThread([] {
    Byte base = 0;
    SetStackBase(&base);
    EXPECT_GT(StackUseOneFrameDown(), 0);
  });
}

TEST(ThreadStateTest, RemovedRowIsGoneForReadersAndRemadeBySetters) {
  OnNewThread([] {
    const ThreadInfo* row = SetState(READY, nullptr, 0);
    ASSERT_NE(row, nullptr);
    SetName("before");
    const unsigned index = row->Index;
    Remove();
    EXPECT_EQ(row->ThreadID, FREE_ROW);
    EXPECT_EQ(GetThreadInfo(), nullptr);
    EXPECT_STREQ(GetName(), "?");
    ThreadInfo row_copy;
    EXPECT_FALSE(RowOf(Thread::GetCurrentThreadID(), row_copy));
    // Remade as a fresh row, in the same place while nobody took it.
    const ThreadInfo* again = SetState(SLEEPING, nullptr, 5);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Index, index);
    EXPECT_STREQ(again->Name, "Unknown");
    EXPECT_TRUE(RowOf(Thread::GetCurrentThreadID(), row_copy));
  });
}

TEST(ThreadStateTest, RemadeRowNeverTakesARowAnotherThreadHolds) {
  // Steps are handed over with a plain atomic: a semaphore wait would report
  // into the table and remake rows on its own.
  std::atomic<int> step{0};
  const ThreadInfo* first_row = nullptr;
  const ThreadInfo* second_row = nullptr;
  std::thread first([&] {
    first_row = SetState(READY, nullptr, 0);
    Remove();
    step = 1;
    ASSERT_TRUE(Eventually([&] { return step == 2; }));
    // The stored row now belongs to the other thread.
    const ThreadInfo* again = SetState(READY, "mine", 0);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, first_row);
    EXPECT_EQ(again->ThreadID, Thread::GetCurrentThreadID());
    step = 3;
  });
  std::thread second([&] {
    ASSERT_TRUE(Eventually([&] { return step == 1; }));
    second_row = NewThread(first_row->Index);  // exactly the freed row
    EXPECT_EQ(second_row, first_row);
    step = 2;
    ASSERT_TRUE(Eventually([&] { return step == 3; }));
    EXPECT_EQ(second_row->ThreadID, Thread::GetCurrentThreadID());
    EXPECT_STREQ(second_row->Resource, "");
  });
  first.join();
  second.join();
}

TEST(ThreadStateTest, RowsOfEndedThreadsAreFreedAndIterationSkipsThem) {
  THREAD_ID id = 0;
  OnNewThread([&] {
    SetState(READY, nullptr, 0);
    id = Thread::GetCurrentThreadID();
    ThreadInfo row;
    EXPECT_TRUE(RowOf(id, row));
  });
  ThreadInfo row;
  EXPECT_FALSE(RowOf(id, row));
  for (const ThreadInfo* r = GetThreadInfoFirst(); r != nullptr; r = GetThreadInfoNext()) {
    EXPECT_NE(r->ThreadID, FREE_ROW);
  }
}

TEST(ThreadStateTest, RowsReadWhileTheirThreadWritesThemAreWhole) {
  // The writer keeps its resource text and time in step; a copy taken by
  // another thread must never mix two updates.
  std::atomic<bool> stop{false};
  std::atomic<THREAD_ID> id{0};
  std::thread writer([&] {
    char resource[MAX_RESOURCE + 1];
    for (unsigned n = 0; !stop.load(); n = (n + 1) % 100000) {
      std::snprintf(resource, sizeof resource, "r%u-%s", n, n % 2 != 0 ? "odd-padding" : "e");
      SetState(WAITING, resource, n);
      SetName(n % 2 != 0 ? "writer-with-a-long-name" : "w");
      id = Thread::GetCurrentThreadID();
    }
  });
  unsigned checked = 0;
  while (checked < 2000) {
    ThreadInfo row;
    if (id == 0 || !RowOf(id, row) || row.State != WAITING) continue;
    char want[MAX_RESOURCE + 1];
    std::snprintf(want, sizeof want, "r%u-%s", row.Time, row.Time % 2 != 0 ? "odd-padding" : "e");
    if (std::strcmp(row.Resource, want) != 0) {
      ADD_FAILURE() << "torn row: resource " << row.Resource << ", time " << row.Time;
      break;
    }
    ++checked;
  }
  stop = true;
  writer.join();
}

TEST(ThreadStateTest, UnnamedSemaphoreShowsUnknownWhileWaitedOn) {
  Semaphore s(nullptr, 0);
  std::atomic<THREAD_ID> waiter_id{0};
  std::thread waiter([&] {
    waiter_id = Thread::GetCurrentThreadID();
    EXPECT_TRUE(s.Wait(WAIT_FOREVER));
  });
  ThreadInfo row;
  // The row is read while its thread writes it: wait for the whole report.
  EXPECT_TRUE(Eventually([&] {
    return waiter_id != 0 && RowOf(waiter_id, row) && row.State == WAITING &&
           std::strcmp(row.Resource, "Unknown") == 0 && row.Time == 0;  // no limit
  }));
  s.Signal();
  waiter.join();
}

TEST(ThreadStateTest, TimedWaitReportsItsLimitAndReadyAfterwards) {
  Semaphore s("timed", 0);
  Semaphore after("after", 0);
  Semaphore finish("finish", 0);
  std::atomic<THREAD_ID> waiter_id{0};
  std::thread waiter([&] {
    waiter_id = Thread::GetCurrentThreadID();
    EXPECT_TRUE(s.Wait(60000));
    after.Signal();
    finish.Wait(WAIT_FOREVER);
  });
  ThreadInfo row;
  EXPECT_TRUE(Eventually([&] {
    return waiter_id != 0 && RowOf(waiter_id, row) && row.State == WAITING &&
           std::strcmp(row.Resource, "timed") == 0 && row.Time == 60000u;
  }));
  s.Signal();
  ASSERT_TRUE(after.Wait(WAIT_FOREVER));
  // Now waiting on "finish"; the earlier wait left READY in between, and
  // the new wait shows the new semaphore.
  EXPECT_TRUE(Eventually(
      [&] { return RowOf(waiter_id, row) && std::strcmp(row.Resource, "finish") == 0; }));
  finish.Signal();
  waiter.join();
}

TEST(ThreadStateTest, FullTableRefusesNewRowsAndReusesAFreedOne) {
  // Fills every free row with a thread that keeps it, until one is refused.
  struct Holder {
    std::unique_ptr<Semaphore> Release = std::make_unique<Semaphore>("release", 0);
    std::thread Worker;
    bool GotRow = false;
    unsigned Index = 0;
  };
  Semaphore reported("reported", 0);
  std::vector<std::unique_ptr<Holder>> holders;
  bool refused = false;
  for (unsigned i = 0; i <= MAX_THREADS && !refused; ++i) {
    auto holder = std::make_unique<Holder>();
    Holder* h = holder.get();
    h->Worker = std::thread([h, &reported] {
      const ThreadInfo* row = SetState(READY, nullptr, 0);
      h->GotRow = row != nullptr;
      if (row != nullptr) h->Index = row->Index;
      reported.Signal();
      // A refused thread leaves at once: a wait would report into the
      // table and could take the row freed below.
      if (row != nullptr) h->Release->Wait(WAIT_FOREVER);
    });
    ASSERT_TRUE(reported.Wait(WAIT_FOREVER));
    refused = !h->GotRow;
    if (refused) h->Worker.join();
    holders.push_back(std::move(holder));
  }
  ASSERT_TRUE(refused) << "the table never filled";
  unsigned in_use = 0;
  for (const ThreadInfo* r = GetThreadInfoFirst(); r != nullptr; r = GetThreadInfoNext()) ++in_use;
  EXPECT_EQ(in_use, MAX_THREADS);

  // One holder ends; the next new thread gets its row.
  Holder& ending = *holders.front();
  ASSERT_TRUE(ending.GotRow);
  ending.Release->Signal();
  ending.Worker.join();
  unsigned new_index = MAX_THREADS;
  OnNewThread([&] {
    const ThreadInfo* row = SetState(READY, nullptr, 0);
    if (row != nullptr) new_index = row->Index;
  });
  EXPECT_EQ(new_index, ending.Index);

  for (size_t i = 1; i < holders.size(); ++i) {
    holders[i]->Release->Signal();
    if (holders[i]->Worker.joinable()) holders[i]->Worker.join();
  }
}

std::mutex g_lines_lock;
std::vector<std::string> g_lines;

void CollectLine(const Types::Date&, const Types::Time&, unsigned module, const char* ID,
                 const char* Line) {
  if (module != Debug::STATE || std::strcmp(ID, "ThreadState") != 0) return;
  std::lock_guard<std::mutex> guard(g_lines_lock);
  g_lines.emplace_back(Line);
}

TEST(ThreadStateTest, DebugStatePrintsEveryRowInUseThenAnEmptyLine) {
  Debug::TransportCustom transport;
  transport.SetCallback(&CollectLine);
  Debug::Control::SetCurrentTransport(&transport);
  Debug::Control::EnableModule(Debug::STATE);

  Semaphore release("release", 0);
  Semaphore ready("ready", 0);
  std::atomic<THREAD_ID> id{0};
  std::thread worker([&] {
    SetName("Printed");
    SetState(WAITING, "res", 77);
    id = Thread::GetCurrentThreadID();
    ready.Signal();
    release.Wait(WAIT_FOREVER);  // reports WAITING "release" 0 meanwhile
  });
  ASSERT_TRUE(ready.Wait(WAIT_FOREVER));
  ThreadInfo row;
  ASSERT_TRUE(
      Eventually([&] { return RowOf(id, row) && std::strcmp(row.Resource, "release") == 0; }));
  unsigned in_use = 0;
  for (const ThreadInfo* r = GetThreadInfoFirst(); r != nullptr; r = GetThreadInfoNext()) ++in_use;

  {
    std::lock_guard<std::mutex> guard(g_lines_lock);
    g_lines.clear();
  }
  DebugState();
  Debug::Control::SetCurrentTransport(nullptr);
  release.Signal();
  worker.join();

  std::lock_guard<std::mutex> guard(g_lines_lock);
  ASSERT_EQ(g_lines.size(), in_use + 1);
  EXPECT_EQ(g_lines.back(), "");
  char expected[128];
  std::snprintf(expected, sizeof(expected), "%x|%u|Printed|1|release|0", id.load(), row.Priority);
  bool found = false;
  for (const std::string& line : g_lines) found = found || line == expected;
  EXPECT_TRUE(found) << expected;
}

}  // namespace
}  // namespace VXB::ThreadState
