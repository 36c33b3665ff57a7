// Sleeping, elapsed-time marks and the local clock on POSIX hosts.
#include "vxb/common/system.h"

#include <cerrno>
#include <ctime>

#include <atomic>

#include "vxb/common/thread_state.h"

namespace VXB::System {

namespace {

constexpr std::int64_t NANOS_PER_SECOND = 1000000000;
constexpr std::int64_t NANOS_PER_MILLI = 1000000;

std::int64_t MonotonicNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * NANOS_PER_SECOND + ts.tv_nsec;
}

// The ring of marks, shared by every thread without a lock: each slot and
// the index are atomics, so a reader sees some whole reading, never a torn
// one.
std::atomic<std::int64_t> g_marks[MAX_TIME_MARKS];
std::atomic<unsigned> g_next_mark{0};

// Reads the local calendar date and time of day once; both invalid when the
// clock cannot be read or converted.
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

}  // namespace

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

unsigned MarkTime() {
  unsigned slot = g_next_mark.load(std::memory_order_relaxed);
  while (!g_next_mark.compare_exchange_weak(slot, (slot + 1) % MAX_TIME_MARKS,
                                            std::memory_order_relaxed)) {
  }
  g_marks[slot].store(MonotonicNanoseconds(), std::memory_order_release);
  return slot;
}

std::uint64_t ElapsedMilliSecs(unsigned Mark) {
  if (Mark >= MAX_TIME_MARKS) return 0;
  const std::int64_t then = g_marks[Mark].load(std::memory_order_acquire);
  const std::int64_t now = MonotonicNanoseconds();
  if (now <= then) return 0;
  return static_cast<std::uint64_t>((now - then) / NANOS_PER_MILLI);
}

std::uint64_t MonotonicMilliseconds() {
  return static_cast<std::uint64_t>(MonotonicNanoseconds() / NANOS_PER_MILLI);
}

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
