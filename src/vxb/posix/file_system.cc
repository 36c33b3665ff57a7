// File-system primitives on POSIX hosts: files are opened close-on-exec and
// byte-exact; calls interrupted by a signal are resumed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/file_system_internal.h"

namespace VXB::FileSystem::Host {

namespace {

constexpr std::int64_t NANOS_PER_SECOND = 1000000000;

// Host flags for our access flags; false for an unknown access mode.
bool HostFlags(unsigned Flags, int& out) {
  switch (Flags & 0x3u) {
    case READ_ONLY:
      out = O_RDONLY;
      break;
    case WRITE_ONLY:
      out = O_WRONLY;
      break;
    case READ_WRITE:
      out = O_RDWR;
      break;
    default:
      return false;
  }
  if (Flags & CREATE) out |= O_CREAT;
  if (Flags & TRUNCATE) out |= O_TRUNC;
  if (Flags & APPEND) out |= O_APPEND;
  if (Flags & EXCLUSIVE) out |= O_EXCL;
  out |= O_CLOEXEC;
  return true;
}

int HostAccessMode(AccessModes Mode) {
  if (Mode == EXISTS) return F_OK;
  int out = 0;
  if (Mode & READABLE) out |= R_OK;
  if (Mode & WRITABLE) out |= W_OK;
  return out;
}

// strerror_r comes in a GNU and an XSI form; both are taken.
[[maybe_unused]] const char* Pick(int rc, char* Buffer) {
  return rc == 0 ? Buffer : "Unknown error";
}
[[maybe_unused]] const char* Pick(const char* p, char*) {
  return p != nullptr ? p : "Unknown error";
}

}  // namespace

unsigned long MaxTransfer() { return static_cast<unsigned long>(SSIZE_MAX); }

int Open(const char* Name, unsigned Flags, unsigned Mode, int& Err) {
  int host_flags = 0;
  if (!HostFlags(Flags, host_flags)) {
    Err = EINVAL;
    return -1;
  }
  int handle;
  do {
    handle = ::open(Name, host_flags, static_cast<mode_t>(Mode));
  } while (handle < 0 && errno == EINTR);
  Err = errno;
  return handle;
}

long Read(int Handle, void* Buffer, unsigned long Length, int& Err) {
  ssize_t n;
  do {
    n = ::read(Handle, Buffer, Length);
  } while (n < 0 && errno == EINTR);
  if (n < 0) Err = errno;
  return static_cast<long>(n);
}

long WriteSome(int Handle, const void* Buffer, unsigned long Length, int& Err) {
  ssize_t n;
  do {
    n = ::write(Handle, Buffer, Length);
  } while (n < 0 && errno == EINTR);
  if (n < 0) Err = errno;
  return static_cast<long>(n);
}

std::int64_t Seek(int Handle, std::int64_t Offset, int Whence, int& Err) {
  const off_t pos = ::lseek(Handle, static_cast<off_t>(Offset), Whence);
  if (pos < 0) Err = errno;
  return static_cast<std::int64_t>(pos);
}

int Truncate(int Handle, std::int64_t Length, int& Err) {
  int rc;
  do {
    rc = ::ftruncate(Handle, static_cast<off_t>(Length));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) Err = errno;
  return rc != 0 ? -1 : 0;
}

int Sync(int Handle, int& Err) {
  int rc;
  do {
    rc = ::fdatasync(Handle);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) Err = errno;
  return rc != 0 ? -1 : 0;
}

int Close(int Handle, int& Err) {
  // Never retried: on Linux the handle is released even when close reports
  // EINTR, and a retry could close a handle another thread just received.
  if (::close(Handle) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int Access(const char* Name, AccessModes Mode, int& Err) {
  if (::access(Name, HostAccessMode(Mode)) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int ModificationTime(const char* Name, std::int64_t& Time, int& Err) {
  struct stat st {};
  if (::stat(Name, &st) != 0) {
    Err = errno;
    return -1;
  }
  Time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * NANOS_PER_SECOND + st.st_mtim.tv_nsec;
  return 0;
}

int SetModificationTime(int Handle, std::int64_t Time, int& Err) {
  std::int64_t seconds = Time / NANOS_PER_SECOND;
  std::int64_t nanos = Time % NANOS_PER_SECOND;
  if (nanos < 0) {  // times before 1970 round towards the past
    nanos += NANOS_PER_SECOND;
    --seconds;
  }
  timespec times[2];
  times[0].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_nsec = static_cast<long>(nanos);
  times[1] = times[0];
  if (::futimens(Handle, times) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int CurrentDirectory(char* Buffer, unsigned Size, int& Err) {
  if (::getcwd(Buffer, Size) == nullptr) {
    Err = errno;
    return -1;
  }
  return 0;
}

const char* ErrorText(int Err, char* Buffer, std::size_t Size) {
  return Pick(strerror_r(Err, Buffer, Size), Buffer);
}

}  // namespace VXB::FileSystem::Host
