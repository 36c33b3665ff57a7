// Sleeping, elapsed-time marks and the local clock on Windows.
#include "vxb/common/system.h"

#include <windows.h>

#include <atomic>

#include "vxb/common/thread_state.h"
#include "vxb/windows/win_wait.h"

namespace VXB::System {

namespace {

// The performance counter's frequency, read once; it does not change while
// the system runs.
std::int64_t CounterFrequency() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  return frequency;
}

std::int64_t Counter() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

std::uint64_t CountsToMilliseconds(std::int64_t Counts) {
  const std::int64_t f = CounterFrequency();
  // Split so that the product cannot overflow for any uptime.
  return static_cast<std::uint64_t>(Counts / f * 1000 + Counts % f * 1000 / f);
}

// The ring of marks, shared by every thread without a lock: each slot and
// the index are atomics, so a reader sees some whole reading, never a torn
// one.
std::atomic<std::int64_t> g_marks[MAX_TIME_MARKS];
std::atomic<unsigned> g_next_mark{0};

void ReadLocalClock(Types::Date& date, Types::Time& time) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  date = Types::Date(local.wYear, local.wMonth, local.wDay);
  time = Types::Time(local.wHour, local.wMinute, local.wSecond > 59 ? 59u : local.wSecond);
}

}  // namespace

void Sleep(unsigned Milliseconds) {
  ThreadState::SetState(ThreadState::SLEEPING, "", Milliseconds);
  // The system may wake a sleeper a little early; sleep on to the deadline.
  const Windows::TickDeadline deadline(Milliseconds);
  DWORD left = deadline.Left();
  ::Sleep(left);
  while (!deadline.Forever() && (left = deadline.Left()) != 0) ::Sleep(left);
  ThreadState::SetState(ThreadState::READY, "", 0);
}

unsigned MarkTime() {
  unsigned slot = g_next_mark.load(std::memory_order_relaxed);
  while (!g_next_mark.compare_exchange_weak(slot, (slot + 1) % MAX_TIME_MARKS,
                                            std::memory_order_relaxed)) {
  }
  g_marks[slot].store(Counter(), std::memory_order_release);
  return slot;
}

std::uint64_t ElapsedMilliSecs(unsigned Mark) {
  if (Mark >= MAX_TIME_MARKS) return 0;
  const std::int64_t then = g_marks[Mark].load(std::memory_order_acquire);
  const std::int64_t now = Counter();
  if (now <= then) return 0;
  return CountsToMilliseconds(now - then);
}

std::uint64_t MonotonicMilliseconds() { return CountsToMilliseconds(Counter()); }

Types::Date GetDate() {
  Types::Date date;
  Types::Time time;
  ReadLocalClock(date, time);
  return date;
}

Types::Time GetTime() {
  Types::Date date;
  Types::Time time;
  ReadLocalClock(date, time);
  return time;
}

void GetDateTime(Types::Date& Date, Types::Time& Time) { ReadLocalClock(Date, Time); }

}  // namespace VXB::System
