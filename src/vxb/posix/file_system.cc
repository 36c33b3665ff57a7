// File-system calls on POSIX hosts. Only the host's ordinary file system
// (PRIMARY) is supported; files are opened close-on-exec and byte-exact.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "vxb/common/debug.h"
#include "vxb/common/error.h"
#include "vxb/common/file.h"
#include "vxb/common/no_destructor.h"

namespace VXB::FileSystem {

namespace {

constexpr std::int64_t NANOS_PER_SECOND = 1000000000;

// The debug channel of the file-system calls; it lives until the very end so
// that files opened from static destructors can still report.
Debug::Debugger& Channel() {
  static NoDestructor<Debug::Debugger> debugger(Debug::IO, "FileSystem");
  return *debugger;
}

// The host's text for an error number, in a buffer of the caller. Works with
// both the GNU and the XSI form of strerror_r.
struct ErrorText {
  explicit ErrorText(int err) : text(Pick(strerror_r(err, buffer, sizeof buffer))) {}
  const char* Pick(int rc) { return rc == 0 ? buffer : "Unknown error"; }
  const char* Pick(const char* p) { return p != nullptr ? p : "Unknown error"; }

  char buffer[128] = "";
  const char* text;
};

bool Supported(FileSystems fs) { return fs == PRIMARY; }

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

// The largest transfer handed to the host at once.
constexpr unsigned long MAX_TRANSFER = static_cast<unsigned long>(SSIZE_MAX);

}  // namespace

char Letter(FileSystems fs) {
  switch (fs) {
    case ROOT:
      return 'R';
    case PRIMARY:
      return 'P';
    case SECONDARY:
      return 'S';
    case USB:
      return 'U';
    default:
      return '?';
  }
}

int open(const char* Name, unsigned Flags, unsigned Mode, FileSystems fs, bool Quiet) {
  const char* name = Name != nullptr ? Name : "";
  if (!Supported(fs)) {
    Error::SetWithContext(Error::IO_FS_ERROR, "Filesystem not supported for %s", name);
    return -1;
  }
  int host_flags = 0;
  int handle = -1;
  int err = EINVAL;
  if (Name != nullptr && HostFlags(Flags, host_flags)) {
    do {
      handle = ::open(Name, host_flags, static_cast<mode_t>(Mode));
    } while (handle < 0 && errno == EINTR);
    err = errno;
  }
  if (handle < 0) {
    const ErrorText text(err);
    if (!Quiet) Channel().Print("Error abriendo %s, errno %s", name, text.text);
    Error::SetWithContext(Error::IO_OPEN_ERROR, "Error opening %s (%s)", name, text.text);
    return -1;
  }
  if (!Quiet) Channel().Print("Open %s -> %d", name, handle);
  return handle;
}

long read(int Handle, void* Buffer, unsigned long Length) {
  if (Length > MAX_TRANSFER) Length = MAX_TRANSFER;
  ssize_t n;
  do {
    n = ::read(Handle, Buffer, Length);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_READ_ERROR, "%s", text.text);
    return -1;
  }
  return static_cast<long>(n);
}

long write(int Handle, const void* Buffer, unsigned long Length) {
  if (Length > MAX_TRANSFER) Length = MAX_TRANSFER;
  const char* p = static_cast<const char*>(Buffer);
  unsigned long done = 0;
  // A regular file takes everything at once; a short or interrupted write
  // (signal, pipe) is resumed where it stopped.
  while (done < Length) {
    const ssize_t n = ::write(Handle, p + done, Length - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const ErrorText text(errno);
      Error::SetWithContext(Error::IO_WRITE_ERROR, "%s", text.text);
      return -1;
    }
    if (n == 0) break;
    done += static_cast<unsigned long>(n);
  }
  return static_cast<long>(done);
}

std::int64_t lseek(int Handle, std::int64_t Offset, Origins Origin) {
  int whence;
  switch (Origin) {
    case FROM_START:
      whence = SEEK_SET;
      break;
    case FROM_CURRENT:
      whence = SEEK_CUR;
      break;
    case FROM_END:
      whence = SEEK_END;
      break;
    default: {
      const ErrorText text(EINVAL);
      Error::SetWithContext(Error::IO_SEEK_ERROR, "%s", text.text);
      return -1;
    }
  }
  const off_t pos = ::lseek(Handle, static_cast<off_t>(Offset), whence);
  if (pos < 0) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_SEEK_ERROR, "%s", text.text);
    return -1;
  }
  return static_cast<std::int64_t>(pos);
}

int truncate(int Handle, std::int64_t Length) {
  int rc;
  do {
    rc = ::ftruncate(Handle, static_cast<off_t>(Length));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_FS_ERROR, "truncate: %s", text.text);
    return -1;
  }
  return 0;
}

int close(int Handle) {
  // Never retried: on Linux the handle is released even when close reports
  // EINTR, and a retry could close a handle another thread just received.
  if (::close(Handle) != 0) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_CLOSE_ERROR, "%s", text.text);
    return -1;
  }
  return 0;
}

int access(const char* Name, AccessModes Mode, FileSystems fs) {
  const char* name = Name != nullptr ? Name : "";
  if (!Supported(fs)) {
    Error::SetWithContext(Error::IO_FS_ERROR, "Filesystem not supported for access(%s)", name);
    return -1;
  }
  const int rc = Name != nullptr ? ::access(Name, HostAccessMode(Mode)) : -1;
  if (rc != 0) {
    const ErrorText text(Name != nullptr ? errno : EINVAL);
    Error::SetWithContext(Error::IO_FS_ERROR, "Access %s: %s", name, text.text);
    return -1;
  }
  return 0;
}

int getmodtime(const char* Name, std::int64_t& Time, FileSystems fs) {
  const char* name = Name != nullptr ? Name : "";
  if (!Supported(fs)) {
    Error::SetWithContext(Error::IO_FS_ERROR, "Filesystem not supported for getmodtime(%s)", name);
    return -1;
  }
  struct stat st {};
  const int rc = Name != nullptr ? ::stat(Name, &st) : -1;
  if (rc != 0) {
    const ErrorText text(Name != nullptr ? errno : EINVAL);
    Error::SetWithContext(Error::IO_FS_ERROR, "stat(%s): %s", name, text.text);
    return -1;
  }
  Time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * NANOS_PER_SECOND + st.st_mtim.tv_nsec;
  return 0;
}

int setmodtime(int Handle, std::int64_t Time) {
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
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_FS_ERROR, "futimens: %s", text.text);
    return -1;
  }
  return 0;
}

char* getcwd(char* Buffer, unsigned Size) {
  if (Buffer == nullptr || Size == 0) {
    const ErrorText text(EINVAL);
    Error::SetWithContext(Error::IO_FS_ERROR, "getcwd: %s", text.text);
    return nullptr;
  }
  if (::getcwd(Buffer, Size) == nullptr) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_FS_ERROR, "getcwd: %s", text.text);
    return nullptr;
  }
  return Buffer;
}

const char* dirname(const char* Path) {
  if (Path == nullptr) return "";
  if (Path[0] == '\0') return Path;
  thread_local char buffer[MAX_PATH];
  const std::size_t length = std::strlen(Path);
  std::size_t end = length;  // one past the last separator, 0 when none
  while (end > 0 && Path[end - 1] != '/' && Path[end - 1] != '\\') --end;
  if (end >= sizeof buffer) end = sizeof buffer - 1;  // bounded like every path buffer
  std::memcpy(buffer, Path, end);
  buffer[end] = '\0';
  return buffer;
}

}  // namespace VXB::FileSystem
