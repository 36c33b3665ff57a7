#include "vxb/common/runtime/system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include "vxb/common/runtime/thread_state.h"

namespace {

namespace System = VXB::System;

TEST(SystemTest, MarksTakeTheRingInTurn) {
  const unsigned first = System::MarkTime();
  ASSERT_LT(first, System::MAX_TIME_MARKS);
  unsigned previous = first;
  for (unsigned i = 1; i <= System::MAX_TIME_MARKS; ++i) {
    const unsigned mark = System::MarkTime();
    ASSERT_LT(mark, System::MAX_TIME_MARKS);
    EXPECT_EQ(mark, (previous + 1) % System::MAX_TIME_MARKS);
    previous = mark;
  }
  EXPECT_EQ(previous, first);  // 50 further marks come back to the same slot
}

TEST(SystemTest, MarksFromManyThreadsStayInTheRing) {
  std::atomic<bool> bad{false};
  std::thread threads[4];
  for (std::thread& t : threads) {
    t = std::thread([&bad] {
      for (int i = 0; i < 1000; ++i) {
        const unsigned mark = System::MarkTime();
        if (mark >= System::MAX_TIME_MARKS || System::ElapsedMilliSecs(mark) > 60000) bad = true;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_FALSE(bad);
}

TEST(SystemTest, ElapsedTimeFollowsTheClock) {
  const unsigned mark = System::MarkTime();
  const std::uint64_t start = System::MonotonicMilliseconds();
  System::Sleep(30);
  const std::uint64_t elapsed = System::ElapsedMilliSecs(mark);
  EXPECT_GE(elapsed, 30u);
  EXPECT_LT(elapsed, 30000u);  // generous: only catches unit mistakes
  EXPECT_GE(System::MonotonicMilliseconds() - start, 30u);
  EXPECT_EQ(System::ElapsedMilliSecs(System::MAX_TIME_MARKS), 0u);  // no such mark
}

TEST(SystemTest, SleepReportsItselfInTheThreadTable) {
  std::atomic<bool> seen{false};
  std::thread sleeper([] {
    VXB::ThreadState::SetName("sleeper");
    System::Sleep(400);
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!seen && std::chrono::steady_clock::now() < deadline) {
    for (auto* row = VXB::ThreadState::GetThreadInfoFirst(); row != nullptr;
         row = VXB::ThreadState::GetThreadInfoNext()) {
      if (std::strcmp(row->Name, "sleeper") == 0 && row->State == VXB::ThreadState::SLEEPING &&
          row->Time == 400) {
        seen = true;
      }
    }
    std::this_thread::yield();
  }
  sleeper.join();
  EXPECT_TRUE(seen);

  System::Sleep(0);
  const auto* mine = VXB::ThreadState::GetThreadInfo();
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(mine->State, VXB::ThreadState::READY);
}

TEST(SystemTest, DateAndTimeComeFromOneReading) {
  VXB::Types::Date date;
  VXB::Types::Time time;
  // Bounds from the system clock itself: time() may read a coarser clock
  // that is still a second behind it.
  const auto now = [] {
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  };
  const std::time_t before = now();
  System::GetDateTime(date, time);
  const std::time_t after = now();
  ASSERT_FALSE(date.IsInvalid());
  ASSERT_FALSE(time.IsInvalid());
  std::tm lo{};
  std::tm hi{};
  localtime_r(&before, &lo);
  localtime_r(&after, &hi);
  const auto seconds = [](unsigned h, unsigned m, unsigned s) { return (h * 60 + m) * 60 + s; };
  const unsigned got = seconds(time.Hour, time.Min, time.Sec);
  const unsigned from = seconds(lo.tm_hour, lo.tm_min, lo.tm_sec);
  const unsigned to = seconds(hi.tm_hour, hi.tm_min, hi.tm_sec);
  if (from <= to) {  // not across midnight
    EXPECT_GE(got, from);
    EXPECT_LE(got, to);
    EXPECT_EQ(date, VXB::Types::Date(lo.tm_year + 1900, lo.tm_mon + 1, lo.tm_mday));
  }
  EXPECT_FALSE(System::GetDate().IsInvalid());
  EXPECT_FALSE(System::GetTime().IsInvalid());
}

TEST(ConsoleTest, PrintsOnlyWhenEnabled) {
  ASSERT_TRUE(VXB::Console::IsEnabled());  // on from start-up
  ::testing::internal::CaptureStdout();
  VXB::Console::Print("a%d|", 1);
  VXB::Console::Enable(false);
  VXB::Console::Print("hidden");
  VXB::Console::Enable(true);
  VXB::Console::Print("b%s", "2");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "a1|b2");

  ::testing::internal::CaptureStderr();
  VXB::Console::ErrorPrint("err %u", 3u);
  VXB::Console::Enable(false);
  VXB::Console::ErrorPrint("hidden");
  VXB::Console::Enable(true);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "err 3");
}

}  // namespace
