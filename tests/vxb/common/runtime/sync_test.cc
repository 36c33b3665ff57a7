// Mutexes, semaphores, the condition variable and thread-local storage.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/runtime/thread.h"

namespace VXB {
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

bool TryEnterElsewhere(Mutex& m) {
  bool acquired = false;
  std::thread([&] {
    acquired = m.TryEnter();
    if (acquired) m.Leave();
  }).join();
  return acquired;
}

template <typename Lock>
void ExpectRecursiveAndExclusive(Lock& m, const std::function<bool()>& try_elsewhere) {
  m.Enter();
  m.Enter();
  EXPECT_FALSE(try_elsewhere());
  m.Leave();
  EXPECT_FALSE(try_elsewhere()) << "free after only one of two leaves";
  m.Leave();
  // A blocking Enter elsewhere now gets through.
  std::thread([&] {
    m.Enter();
    m.Leave();
  }).join();
}

TEST(MutexTest, RecursiveEntriesBlockOthersUntilTheLastLeave) {
  Mutex m("test");
  ExpectRecursiveAndExclusive(m, [&] { return TryEnterElsewhere(m); });
  EXPECT_TRUE(TryEnterElsewhere(m));
}

TEST(MutexTest, RawMutexIsRecursiveAndExclusive) {
  RawMutex m;
  Semaphore entered("entered", 0);
  Semaphore release("release", 0);
  std::atomic<bool> inside{false};
  ExpectRecursiveAndExclusive(m, [] { return false; });
  // Another thread holding it keeps us out until it leaves.
  m.Enter();
  std::thread other([&] {
    entered.Signal();
    m.Enter();
    inside = true;
    m.Leave();
    release.Signal();
  });
  ASSERT_TRUE(entered.Wait(WAIT_FOREVER));
  EXPECT_FALSE(inside);
  m.Leave();
  ASSERT_TRUE(release.Wait(WAIT_FOREVER));
  EXPECT_TRUE(inside);
  other.join();
}

TEST(MutexTest, NamesAreLabelsCutToThirty) {
  Mutex unnamed;
  EXPECT_STREQ(unnamed.GetName(), "");
  const std::string long_name(50, 'm');
  Mutex named(long_name.c_str());
  EXPECT_EQ(std::string(named.GetName()), std::string(30, 'm'));
  EXPECT_TRUE(named.TryEnter());
  named.Leave();
}

TEST(SemaphoreTest, CountZeroTimesOutThenOneSignalGivesOneUnit) {
  Semaphore s("zero", 0);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(s.Wait(100));
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(90));
  s.Signal();
  EXPECT_TRUE(s.Wait(0));
  EXPECT_FALSE(s.Wait(0));
}

TEST(SemaphoreTest, NameDefaultsToUnknownAndIsCut) {
  Semaphore unnamed(nullptr, 0);
  EXPECT_STREQ(unnamed.GetName(), "Unknown");
  const std::string long_name(40, 's');
  Semaphore named(long_name.c_str(), 0);
  EXPECT_EQ(std::string(named.GetName()), std::string(Semaphore::MAX_SEM_NAME, 's'));
}

TEST(SemaphoreTest, CountNeverExceedsTheMaximum) {
  struct Case {
    unsigned Initial;
    unsigned Signals;
  };
  for (const Case c : {Case{20000, 0}, Case{0, Semaphore::MAX_COUNT + 5}, Case{9999, 3}}) {
    Semaphore s("cap", c.Initial);
    for (unsigned i = 0; i < c.Signals; ++i) s.Signal();
    unsigned taken = 0;
    while (s.Wait(0)) ++taken;
    EXPECT_EQ(taken, Semaphore::MAX_COUNT) << c.Initial << " + " << c.Signals;
  }
}

TEST(SemaphoreTest, ForeverWaiterIsWokenBySignal) {
  Semaphore s("forever", 0);
  std::atomic<bool> got{false};
  std::thread waiter([&] { got = s.Wait(WAIT_FOREVER); });
  s.Signal();
  waiter.join();
  EXPECT_TRUE(got);
  EXPECT_FALSE(s.Wait(0));
}

TEST(SemaphoreTest, TimeOutsRacingSignalsNeitherLoseNorDoubleUnits) {
  constexpr unsigned PRODUCERS = 2;
  constexpr unsigned SIGNALS_EACH = 4000;  // the total stays below MAX_COUNT
  constexpr unsigned WAITERS = 4;
  Semaphore s("race", 0);
  std::atomic<unsigned> taken{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < WAITERS; ++w) {
    threads.emplace_back([&, w] {
      while (!stop) {
        if (s.Wait(w % 2 == 0 ? 1 : 0)) ++taken;
      }
    });
  }
  std::vector<std::thread> producers;
  for (unsigned p = 0; p < PRODUCERS; ++p) {
    producers.emplace_back([&] {
      for (unsigned i = 0; i < SIGNALS_EACH; ++i) {
        s.Signal();
        if (i % 64 == 0) std::this_thread::yield();
      }
    });
  }
  for (std::thread& t : producers) t.join();
  stop = true;
  for (std::thread& t : threads) t.join();
  unsigned left = 0;
  while (s.Wait(0)) ++left;
  EXPECT_EQ(taken.load() + left, PRODUCERS * SIGNALS_EACH);
}

TEST(ConditionVariableTest, SignalWithoutWaiterIsLost) {
  ConditionVariable cv;
  cv.Signal();
  cv.Enter();
  cv.Signal();
  EXPECT_FALSE(cv.Wait(50));
  // The lock is held again after the time-out.
  bool other_got_it = true;
  std::thread([&] { other_got_it = cv.TryEnter(); }).join();
  EXPECT_FALSE(other_got_it);
  cv.Leave();
}

TEST(ConditionVariableTest, LockIsNotBoundToItsOwnerNorRecursive) {
  ConditionVariable cv;
  std::thread([&] { cv.Enter(); }).join();
  EXPECT_FALSE(cv.TryEnter());
  cv.Leave();  // released by a thread that did not take it
  EXPECT_TRUE(cv.TryEnter());
  EXPECT_FALSE(cv.TryEnter());
  cv.Leave();
}

TEST(ConditionVariableTest, SignalAfterTheWaiterReleasedTheLockIsNeverLost) {
  ConditionVariable cv;
  for (int i = 0; i < 200; ++i) {
    bool woken = false;
    cv.Enter();
    std::thread signaller([&] {
      cv.Enter();  // only possible once the waiter waits
      cv.Signal();
      cv.Leave();
    });
    woken = cv.Wait(WAIT_FOREVER);
    cv.Leave();
    signaller.join();
    ASSERT_TRUE(woken);
  }
}

TEST(ConditionVariableTest, SignalWakesExactlyOneOfTwoWaiters) {
  ConditionVariable cv;
  int registered = 0;  // guarded by the monitor lock
  std::atomic<int> signalled{0};
  std::atomic<int> timed_out{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 2; ++i) {
    waiters.emplace_back([&] {
      cv.Enter();
      ++registered;
      if (cv.Wait(2000)) {
        ++signalled;
      } else {
        ++timed_out;
      }
      cv.Leave();
    });
  }
  // Both wait once both have registered and released the lock.
  ASSERT_TRUE(Eventually([&] {
    cv.Enter();
    const bool both = registered == 2;
    if (both) cv.Signal();
    cv.Leave();
    return both;
  }));
  for (std::thread& t : waiters) t.join();
  EXPECT_EQ(signalled.load(), 1);
  EXPECT_EQ(timed_out.load(), 1);
}

TEST(ConditionVariableTest, TimeOutsRacingSignalsLeaveNothingBehind) {
  ConditionVariable cv;
  constexpr int ROUNDS = 2000;
  std::atomic<bool> done{false};
  int woken = 0;
  std::thread waiter([&] {
    for (int i = 0; i < ROUNDS; ++i) {
      cv.Enter();
      if (cv.Wait(i % 3)) ++woken;
      cv.Leave();
    }
    done = true;
  });
  int signals = 0;
  while (!done) {
    cv.Signal();
    ++signals;
    std::this_thread::yield();
  }
  waiter.join();
  EXPECT_LE(woken, signals);
  // Every signal went to a waiter or was dropped; none waits for a later Wait.
  cv.Enter();
  EXPECT_FALSE(cv.Wait(20));
  cv.Leave();
}

struct Counted {
  static std::atomic<int> destroyed;
  ~Counted() { ++destroyed; }
  int value = 0;
};
std::atomic<int> Counted::destroyed{0};

ThreadLocalPointer<Counted> g_counted;

TEST(ThreadLocalPointerTest, OneObjectPerThreadDeletedWhenTheThreadEnds) {
  Counted* mine = g_counted.GetPointer();
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(g_counted.GetPointer(), mine);
  const int destroyed_before = Counted::destroyed.load();
  Counted* others[2] = {nullptr, nullptr};
  std::thread a([&] {
    others[0] = g_counted.GetPointer();
    EXPECT_EQ(g_counted.GetPointer(), others[0]);
    others[0]->value = 1;
  });
  a.join();
  EXPECT_EQ(Counted::destroyed.load(), destroyed_before + 1);
  std::thread b([&] { others[1] = g_counted.GetPointer(); });
  b.join();
  EXPECT_EQ(Counted::destroyed.load(), destroyed_before + 2);
  EXPECT_NE(others[0], mine);
  EXPECT_NE(others[1], mine);
  EXPECT_EQ(mine->value, 0);
}

TEST(ThreadLocalPointerTest, FirstUseFromManyThreadsAtOnceMakesOneSlot) {
  for (int round = 0; round < 20; ++round) {
    auto* pointer = new ThreadLocalPointer<int>;
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
      threads.emplace_back([&, i] {
        ++ready;
        while (ready < 4) std::this_thread::yield();
        int* p = pointer->GetPointer();
        *p = i;
        EXPECT_EQ(pointer->GetPointer(), p);
        EXPECT_EQ(*pointer->GetPointer(), i);
      });
    }
    for (std::thread& t : threads) t.join();
    delete pointer;
  }
}

std::atomic<int> g_cleaned{0};

TEST(ThreadLocalStorageTest, CleanUpRunsForNonNullValuesAtThreadEnd) {
  g_cleaned = 0;
  ThreadLocalStorage slot([](void* p) {
    ++g_cleaned;
    delete static_cast<int*>(p);
  });
  EXPECT_EQ(slot.GetPointer(), nullptr);
  int local = 5;
  slot.SetPointer(&local);
  std::thread([&] {
    EXPECT_EQ(slot.GetPointer(), nullptr);  // each thread starts empty
    slot.SetPointer(new int(7));
  }).join();
  EXPECT_EQ(g_cleaned.load(), 1);
  std::thread([&] { EXPECT_EQ(slot.GetPointer(), nullptr); }).join();
  EXPECT_EQ(g_cleaned.load(), 1);  // nothing for a thread that set nothing
  EXPECT_EQ(slot.GetPointer(), &local);
  slot.SetPointer(nullptr);
}

}  // namespace
}  // namespace VXB
