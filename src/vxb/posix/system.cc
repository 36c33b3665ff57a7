// Sleeping and the clocks on POSIX hosts.
#include "vxb/common/runtime/system.h"

#include <cerrno>
#include <ctime>

#include "vxb/common/runtime/system_internal.h"
#include "vxb/common/runtime/thread_state.h"

namespace VXB::System {

namespace {

constexpr std::int64_t NANOS_PER_SECOND = 1000000000;
constexpr std::int64_t NANOS_PER_MILLI = 1000000;

}  // namespace

namespace Host {

// The monotonic clock in nanoseconds.
std::int64_t MonotonicCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * NANOS_PER_SECOND + ts.tv_nsec;
}

std::uint64_t CountToMilliseconds(std::int64_t Count) {
  return static_cast<std::uint64_t>(Count / NANOS_PER_MILLI);
}

void ReadLocalClock(Types::Date& date, Types::Time& time) {
  timespec ts{};
  tm local{};
  if (clock_gettime(CLOCK_REALTIME, &ts) != 0 || localtime_r(&ts.tv_sec, &local) == nullptr) {
    date = Types::INVALID_DATE;
    time = Types::INVALID_TIME;
    return;
  }
  date = Types::Date(static_cast<unsigned>(local.tm_year + 1900),
                     static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday));
  // A leap second (60) is shown as the last second of its minute.
  const unsigned sec = local.tm_sec > 59 ? 59u : static_cast<unsigned>(local.tm_sec);
  time =
      Types::Time(static_cast<unsigned>(local.tm_hour), static_cast<unsigned>(local.tm_min), sec);
}

}  // namespace Host

void Sleep(unsigned Milliseconds) {
  ThreadState::SetState(ThreadState::SLEEPING, "", Milliseconds);
  // Sleeping to an absolute deadline lets an interrupted sleep resume
  // without drifting.
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  const std::int64_t total = static_cast<std::int64_t>(deadline.tv_nsec) +
                             static_cast<std::int64_t>(Milliseconds) * NANOS_PER_MILLI;
  deadline.tv_sec += static_cast<time_t>(total / NANOS_PER_SECOND);
  deadline.tv_nsec = static_cast<long>(total % NANOS_PER_SECOND);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
  ThreadState::SetState(ThreadState::READY, "", 0);
}

}  // namespace VXB::System

namespace VXB::Console::Host {

// A terminal takes the bytes as they come.
bool WriteToConsole(bool, const char*, va_list) { return false; }

}  // namespace VXB::Console::Host
