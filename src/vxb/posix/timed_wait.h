// Deadlines on the monotonic clock for the platform layer's timed waits, so
// that a change of the wall clock neither shortens nor stretches a time-out.
// Internal to src/vxb/posix/.
#ifndef VXB_POSIX_TIMED_WAIT_H_
#define VXB_POSIX_TIMED_WAIT_H_

#include <pthread.h>
#include <time.h>

namespace VXB::Posix {

// The moment Milliseconds from now on CLOCK_MONOTONIC.
inline timespec MonotonicDeadline(unsigned Milliseconds) {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  long long nanoseconds =
      static_cast<long long>(t.tv_nsec) + static_cast<long long>(Milliseconds % 1000u) * 1000000LL;
  t.tv_sec +=
      static_cast<time_t>(Milliseconds / 1000u) + static_cast<time_t>(nanoseconds / 1000000000LL);
  t.tv_nsec = static_cast<long>(nanoseconds % 1000000000LL);
  return t;
}

// Makes a condition variable whose timed waits measure CLOCK_MONOTONIC.
// Returns the platform's error number (0 on success).
inline int InitMonotonicCondition(pthread_cond_t* Condition) {
  pthread_condattr_t attributes;
  int result = pthread_condattr_init(&attributes);
  if (result != 0) return result;
  result = pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  if (result == 0) result = pthread_cond_init(Condition, &attributes);
  pthread_condattr_destroy(&attributes);
  return result;
}

}  // namespace VXB::Posix

#endif  // VXB_POSIX_TIMED_WAIT_H_
