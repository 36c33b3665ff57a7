// Sleeping and the clocks on Windows.
#include "vxb/common/runtime/system.h"

#include <windows.h>

#include "vxb/common/runtime/system_internal.h"
#include "vxb/common/runtime/thread_state.h"
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

}  // namespace

namespace Host {

std::int64_t MonotonicCount() { return Counter(); }

std::uint64_t CountToMilliseconds(std::int64_t Count) { return CountsToMilliseconds(Count); }

void ReadLocalClock(Types::Date& date, Types::Time& time) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  date = Types::Date(local.wYear, local.wMonth, local.wDay);
  time = Types::Time(local.wHour, local.wMinute, local.wSecond > 59 ? 59u : local.wSecond);
}

}  // namespace Host

void Sleep(unsigned Milliseconds) {
  ThreadState::SetState(ThreadState::SLEEPING, "", Milliseconds);
  // The system may wake a sleeper a little early; sleep on to the deadline.
  const Windows::TickDeadline deadline(Milliseconds);
  DWORD left = deadline.Left();
  ::Sleep(left);
  while (!deadline.Forever() && (left = deadline.Left()) != 0) ::Sleep(left);
  ThreadState::SetState(ThreadState::READY, "", 0);
}

}  // namespace VXB::System
