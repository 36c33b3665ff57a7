// Deadlines on the system's tick counter for the platform layer's timed
// waits, so that a change of the wall clock neither shortens nor stretches
// a time-out. Internal to src/vxb/windows/.
#ifndef VXB_WINDOWS_WIN_WAIT_H_
#define VXB_WINDOWS_WIN_WAIT_H_

#include <windows.h>

#include "vxb/common/base/types.h"

namespace VXB::Windows {

class TickDeadline {
 public:
  // WAIT_FOREVER: no deadline.
  explicit TickDeadline(unsigned Milliseconds)
      : forever_(Milliseconds == Constants::WAIT_FOREVER),
        end_(GetTickCount64() + (forever_ ? 0 : Milliseconds)) {}
  bool Forever() const { return forever_; }
  // Milliseconds left for a Win32 wait: INFINITE without a deadline, 0 once
  // it has passed, never INFINITE by accident otherwise.
  DWORD Left() const {
    if (forever_) return INFINITE;
    const ULONGLONG now = GetTickCount64();
    if (now >= end_) return 0;
    const ULONGLONG left = end_ - now;
    return left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
  }
  bool Passed() const { return !forever_ && GetTickCount64() >= end_; }

 private:
  bool forever_;
  ULONGLONG end_;
};

}  // namespace VXB::Windows

#endif  // VXB_WINDOWS_WIN_WAIT_H_
