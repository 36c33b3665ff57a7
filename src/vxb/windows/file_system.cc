// File-system calls on Windows, through the C runtime's descriptor calls.
// Only the host's ordinary file system (PRIMARY) is supported; files are
// opened byte-exact (no text translation) and not inherited by children.
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/utime.h>

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

// The host's text for an error number, in a buffer of the caller.
struct ErrorText {
  explicit ErrorText(int err)
      : text(strerror_s(buffer, sizeof buffer, err) == 0 ? buffer : "Unknown error") {}

  char buffer[128] = "";
  const char* text;
};

bool Supported(FileSystems fs) { return fs == PRIMARY; }

// Host flags for our access flags; false for an unknown access mode.
bool HostFlags(unsigned Flags, int& out) {
  switch (Flags & 0x3u) {
    case READ_ONLY:
      out = _O_RDONLY;
      break;
    case WRITE_ONLY:
      out = _O_WRONLY;
      break;
    case READ_WRITE:
      out = _O_RDWR;
      break;
    default:
      return false;
  }
  if (Flags & CREATE) out |= _O_CREAT;
  if (Flags & TRUNCATE) out |= _O_TRUNC;
  if (Flags & APPEND) out |= _O_APPEND;
  if (Flags & EXCLUSIVE) out |= _O_EXCL;
  out |= _O_BINARY | _O_NOINHERIT;
  return true;
}

// The runtime's access modes: 0 existence, 2 writing, 4 reading.
int HostAccessMode(AccessModes Mode) {
  if (Mode == EXISTS) return 0;
  int out = 0;
  if (Mode & READABLE) out |= 4;
  if (Mode & WRITABLE) out |= 2;
  return out;
}

// Permission bits for a new file: the runtime knows only read and write.
int HostPermissions(unsigned Mode) {
  int out = 0;
  if (Mode & 0444u) out |= _S_IREAD;
  if (Mode & 0222u) out |= _S_IWRITE;
  return out != 0 ? out : _S_IREAD | _S_IWRITE;
}

// The largest transfer handed to the host at once (its counts are int).
constexpr unsigned long MAX_TRANSFER = static_cast<unsigned long>(INT_MAX);

// Nanoseconds since 1970 from the runtime's seconds.
constexpr std::int64_t FromSeconds(std::int64_t Seconds) { return Seconds * NANOS_PER_SECOND; }

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
    // Shared for reading and writing like a POSIX file: the log is read
    // back while it is open for writing.
    if (_sopen_s(&handle, Name, host_flags, _SH_DENYNO, HostPermissions(Mode)) != 0) handle = -1;
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
  const int n = ::_read(Handle, Buffer, static_cast<unsigned>(Length));
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
    const int n = ::_write(Handle, p + done, static_cast<unsigned>(Length - done));
    if (n < 0) {
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
  const __int64 pos = ::_lseeki64(Handle, Offset, whence);
  if (pos < 0) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_SEEK_ERROR, "%s", text.text);
    return -1;
  }
  return static_cast<std::int64_t>(pos);
}

int truncate(int Handle, std::int64_t Length) {
  const int rc = ::_chsize_s(Handle, Length);
  if (rc != 0) {
    const ErrorText text(rc);
    Error::SetWithContext(Error::IO_FS_ERROR, "truncate: %s", text.text);
    return -1;
  }
  return 0;
}

int close(int Handle) {
  if (::_close(Handle) != 0) {
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
  const int rc = Name != nullptr ? ::_access(Name, HostAccessMode(Mode)) : -1;
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
  struct _stat64 st {};
  const int rc = Name != nullptr ? ::_stat64(Name, &st) : -1;
  if (rc != 0) {
    const ErrorText text(Name != nullptr ? errno : EINVAL);
    Error::SetWithContext(Error::IO_FS_ERROR, "stat(%s): %s", name, text.text);
    return -1;
  }
  Time = FromSeconds(static_cast<std::int64_t>(st.st_mtime));
  return 0;
}

int setmodtime(int Handle, std::int64_t Time) {
  std::int64_t seconds = Time / NANOS_PER_SECOND;
  if (Time % NANOS_PER_SECOND < 0) --seconds;  // times before 1970 round towards the past
  __utimbuf64 times;
  times.actime = static_cast<__time64_t>(seconds);
  times.modtime = times.actime;
  if (::_futime64(Handle, &times) != 0) {
    const ErrorText text(errno);
    Error::SetWithContext(Error::IO_FS_ERROR, "futime: %s", text.text);
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
  if (::_getcwd(Buffer, static_cast<int>(Size > INT_MAX ? INT_MAX : Size)) == nullptr) {
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
