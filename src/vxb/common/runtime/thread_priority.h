// How the library's thread priorities (0 the most urgent, 31 the least) map
// to platform levels and back. Used by the platform layers' thread.cc.
#ifndef VXB_COMMON_THREAD_PRIORITY_H_
#define VXB_COMMON_THREAD_PRIORITY_H_

#include <iterator>

#include "vxb/common/runtime/thread.h"

namespace VXB::ThreadPriority {

// Platform levels, from the most to the least urgent (the values of the
// Win32 thread priorities).
inline constexpr int LEVEL_TIME_CRITICAL = 15;
inline constexpr int LEVEL_HIGHEST = 2;
inline constexpr int LEVEL_ABOVE_NORMAL = 1;
inline constexpr int LEVEL_NORMAL = 0;
inline constexpr int LEVEL_BELOW_NORMAL = -1;
inline constexpr int LEVEL_IDLE = -15;

struct PriorityBand {
  unsigned UpTo;  // the band's last priority on the library scale
  int Level;      // the platform level it maps to
  int Nice;       // how the level is applied to a Linux thread
};

// Bands in ascending order; a priority above the last band's limit belongs
// to the last band. Reading back a level gives the band's last priority.
inline constexpr PriorityBand BANDS[] = {
    {0, LEVEL_TIME_CRITICAL, -20}, {3, LEVEL_HIGHEST, -10},     {5, LEVEL_ABOVE_NORMAL, -5},
    {10, LEVEL_NORMAL, 0},         {25, LEVEL_BELOW_NORMAL, 5}, {31, LEVEL_IDLE, 19},
};

constexpr const PriorityBand& BandOfPriority(unsigned Priority) {
  for (const PriorityBand& band : BANDS) {
    if (Priority <= band.UpTo) return band;
  }
  return BANDS[std::size(BANDS) - 1];
}

constexpr unsigned PriorityOfLevel(int Level) {
  for (const PriorityBand& band : BANDS) {
    if (band.Level == Level) return band.UpTo;
  }
  return Thread::NORMAL_PRIORITY;
}

static_assert(PriorityOfLevel(BandOfPriority(Thread::LOW_PRIORITY).Level) == 25);
static_assert(PriorityOfLevel(BandOfPriority(7).Level) == 10);
static_assert(PriorityOfLevel(BandOfPriority(1000).Level) == 31);
static_assert(PriorityOfLevel(42) == Thread::NORMAL_PRIORITY);

}  // namespace VXB::ThreadPriority

#endif  // VXB_COMMON_THREAD_PRIORITY_H_
