// The program's log: a size-bounded text log kept as two alternating files,
// "<Basename>1.<Extension>" and "<Basename>2.<Extension>". Each line is
// "DD/MM/YY HH:MM:SS: [Module] message" + CR LF, in the internal character
// set, written byte-exact.
//
// Writing: any thread; a line is written whole under the lock "log", so lines
// of different threads never interleave. The writer never prints debug lines
// while it holds that lock (the debug transport lock is always taken first),
// drops a line written re-entrantly from within its own writing, and leaves
// the caller's error record as it found it. When adding a piece would pass
// the size bound the writer switches to the other file and empties it.
//
// Reading: ReadFirst/ReadNext walk the whole log, older file first, with one
// process-wide cursor (one reader at a time). Which file is older is decided
// by modification time, never by size.
#ifndef VXB_COMMON_LOG_H_
#define VXB_COMMON_LOG_H_

#include <cstdarg>

#include "vxb/common/base/datetime.h"
#include "vxb/common/base/types.h"

namespace VXB::Log {

inline constexpr unsigned DEFAULT_MAX_LOG_SIZE = 524288;
inline constexpr unsigned LINE_BUFFER_SIZE = 1024;

extern Types::Date::Formats DateFormat;  // DDMMYY
extern Types::Time::Formats TimeFormat;  // HHHMMMSSS

void Write(const char* Format, ...) VXB_PRINTF_FORMAT(1, 2);
void vWrite(const char* Format, va_list Args);
void WriteWithModule(const char* Module, const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
void vWriteWithModule(const char* Module, const char* Format, va_list Args);

// Delivers up to BufferSize bytes of the log, oldest first; BufferSize is
// set to the count delivered. False when there is nothing (more) to read.
bool ReadFirst(Byte* Buffer, unsigned& BufferSize);
bool ReadNext(Byte* Buffer, unsigned& BufferSize);

// Closes the open file; a copy of Name becomes the base name (null: "log").
// The current file is chosen again at the next write, as at start-up.
void SetFilename(const char* Name);
void SetMaxSize(unsigned Max);

}  // namespace VXB::Log

#endif  // VXB_COMMON_LOG_H_
