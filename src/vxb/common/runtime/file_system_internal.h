// The small file-system primitives each platform layer provides; the calls
// of file.h (file_system_common.cc) are built on them. Every primitive
// reports failure by its result and leaves the C library error number
// (an errno value) of the failure in Err; the error texts come from it.
#ifndef VXB_COMMON_FILE_SYSTEM_INTERNAL_H_
#define VXB_COMMON_FILE_SYSTEM_INTERNAL_H_

#include <cstddef>
#include <cstdint>

#include "vxb/common/runtime/file.h"

namespace VXB::FileSystem::Host {

// The largest transfer handed to the host at once.
unsigned long MaxTransfer();

// Opens Name with our access flags (file.h); -1 on failure. An unknown
// access mode fails with EINVAL.
int Open(const char* Name, unsigned Flags, unsigned Mode, int& Err);

// One read of at most MaxTransfer() bytes, resumed after signals; -1 on
// failure.
long Read(int Handle, void* Buffer, unsigned long Length, int& Err);

// One write of at most MaxTransfer() bytes, resumed after signals; what the
// host took (possibly less), -1 on failure.
long WriteSome(int Handle, const void* Buffer, unsigned long Length, int& Err);

// Moves the position; Whence is SEEK_SET, SEEK_CUR or SEEK_END. The new
// position, -1 on failure.
std::int64_t Seek(int Handle, std::int64_t Offset, int Whence, int& Err);

// 0 on success, -1 on failure, for the rest.
int Truncate(int Handle, std::int64_t Length, int& Err);
int Close(int Handle, int& Err);
// Puts the file's data (and what reading it back needs) on the disk before
// it returns: fdatasync, FlushFileBuffers.
int Sync(int Handle, int& Err);
int Access(const char* Name, AccessModes Mode, int& Err);
// Modification time in nanoseconds since 1970-01-01 UTC.
int ModificationTime(const char* Name, std::int64_t& Time, int& Err);
int SetModificationTime(int Handle, std::int64_t Time, int& Err);
// Buffer and Size are checked by the caller.
int CurrentDirectory(char* Buffer, unsigned Size, int& Err);

// Renames From to To, replacing an existing To; removes Name. Err is the
// number the error record shows (errno, or the system's error on Windows).
int Rename(const char* From, const char* To, int& Err);
int Remove(const char* Name, int& Err);

// The host's text for an error number, written into Buffer (or a constant
// text); never null.
const char* ErrorText(int Err, char* Buffer, std::size_t Size);

}  // namespace VXB::FileSystem::Host

#endif  // VXB_COMMON_FILE_SYSTEM_INTERNAL_H_
