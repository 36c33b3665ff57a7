// The thin operating-system layer: sleeping, elapsed-time marks, the local
// clock, and console output. Implemented per platform.
#ifndef VXB_COMMON_SYSTEM_H_
#define VXB_COMMON_SYSTEM_H_

#include <cstdarg>
#include <cstdint>

#include "vxb/common/base/datetime.h"
#include "vxb/common/base/types.h"

namespace VXB::System {

inline constexpr unsigned MAX_TIME_MARKS = 50;

// Sleeps, reporting SLEEPING with the duration in the thread-state table.
void Sleep(unsigned Milliseconds);

// Stores the monotonic clock in the next of 50 shared slots and returns the
// slot; a mark can be overwritten after 50 further marks from any thread.
unsigned MarkTime();
// Milliseconds from the reading stored in slot Mark until now.
std::uint64_t ElapsedMilliSecs(unsigned Mark);
// Milliseconds of the monotonic clock since an arbitrary origin; for
// deadlines that must not be shared through the mark ring.
std::uint64_t MonotonicMilliseconds();

// The current local calendar date and time of day.
Types::Date GetDate();
Types::Time GetTime();
// Both from one reading of the clock, so a stamp never mixes two seconds.
void GetDateTime(Types::Date& Date, Types::Time& Time);

// The absolute path of the running program's executable file, with symbolic
// links resolved, however the program was started (through the search
// path, a relative path or a link). False with IO_FS_ERROR when the
// platform cannot tell or the path does not fit in Size bytes.
bool GetProgramPath(char* Buffer, unsigned Size);

}  // namespace VXB::System

namespace VXB::Console {

// Console output is on from start-up.
void Enable(bool On);
bool IsEnabled();
// Formats to standard output (standard error) and flushes, when enabled.
void Print(const char* Format, ...) VXB_PRINTF_FORMAT(1, 2);
void vPrint(const char* Format, va_list Args);
void ErrorPrint(const char* Format, ...) VXB_PRINTF_FORMAT(1, 2);
void vErrorPrint(const char* Format, va_list Args);

}  // namespace VXB::Console

#endif  // VXB_COMMON_SYSTEM_H_
