// The primitives each platform layer provides for system.h: the clocks,
// which the time marks and the date and time calls (system_common.cc) are
// built on, and the program's own path behind GetProgramPath().
#ifndef VXB_COMMON_SYSTEM_INTERNAL_H_
#define VXB_COMMON_SYSTEM_INTERNAL_H_

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

#endif  // VXB_COMMON_SYSTEM_INTERNAL_H_
