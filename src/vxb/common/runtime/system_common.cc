// Elapsed-time marks, the monotonic milliseconds and the local date and time
// over the platform's clock primitives (system_internal.h).
#include <atomic>

#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/system_internal.h"

namespace VXB::System {

namespace {

// The ring of marks, shared by every thread without a lock: each slot and
// the index are atomics, so a reader sees some whole reading, never a torn
// one.
std::atomic<std::int64_t> g_marks[MAX_TIME_MARKS];
std::atomic<unsigned> g_next_mark{0};

}  // namespace

unsigned MarkTime() {
  unsigned slot = g_next_mark.load(std::memory_order_relaxed);
  while (!g_next_mark.compare_exchange_weak(slot, (slot + 1) % MAX_TIME_MARKS,
                                            std::memory_order_relaxed)) {
  }
  g_marks[slot].store(Host::MonotonicCount(), std::memory_order_release);
  return slot;
}

std::uint64_t ElapsedMilliSecs(unsigned Mark) {
  if (Mark >= MAX_TIME_MARKS) return 0;
  const std::int64_t then = g_marks[Mark].load(std::memory_order_acquire);
  const std::int64_t now = Host::MonotonicCount();
  if (now <= then) return 0;
  return Host::CountToMilliseconds(now - then);
}

std::uint64_t MonotonicMilliseconds() { return Host::CountToMilliseconds(Host::MonotonicCount()); }

Types::Date GetDate() {
  Types::Date date;
  Types::Time time;
  Host::ReadLocalClock(date, time);
  return date;
}

Types::Time GetTime() {
  Types::Date date;
  Types::Time time;
  Host::ReadLocalClock(date, time);
  return time;
}

void GetDateTime(Types::Date& Date, Types::Time& Time) { Host::ReadLocalClock(Date, Time); }

}  // namespace VXB::System
