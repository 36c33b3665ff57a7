// The primitives each platform layer provides for system.h: the clocks,
// which the time marks and the date and time calls (system_common.cc) are
// built on, the program's own path behind GetProgramPath(), and the
// console's own output (console.cc).
#ifndef VXB_COMMON_SYSTEM_INTERNAL_H_
#define VXB_COMMON_SYSTEM_INTERNAL_H_

#include <cstdarg>
#include <cstdint>

#include "vxb/common/base/datetime.h"
#include "vxb/common/base/types.h"

namespace VXB::System::Host {

// A reading of the monotonic clock in the platform's own units.
std::int64_t MonotonicCount();

// Whole milliseconds in a (non-negative) number of those units.
std::uint64_t CountToMilliseconds(std::int64_t Count);

// Reads the local calendar date and time of day once; both invalid when the
// clock cannot be read or converted. A leap second (60) reads as 59.
void ReadLocalClock(Types::Date& date, Types::Time& time);

// Writes the running program's executable path into Buffer (Size >= 2
// bytes) and sets Length to its length; a path cut to fit the buffer gives
// a Length of Size or more. False, with the error recorded, when the
// system cannot tell the path.
bool ReadProgramPath(char* Buffer, unsigned Size, unsigned& Length);

}  // namespace VXB::System::Host

namespace VXB::Console::Host {

// When standard output (ToError: standard error) is a console that needs
// it, writes the text Format and Args make, read as UTF-8, the console's
// own way, and gives true; false, having written nothing, when the stream
// takes the bytes as they are (redirected output, a POSIX terminal). A
// Windows console shows bytes in its code page (850 in Argentina, where
// UTF-8 would show each accented letter as two others), and the C
// runtime's text streams translate them once more on their way there.
bool WriteToConsole(bool ToError, const char* Format, va_list Args);

}  // namespace VXB::Console::Host

#endif  // VXB_COMMON_SYSTEM_INTERNAL_H_
