// File-system calls on Windows, through the C runtime's descriptor calls.
// Only the host's ordinary file system (PRIMARY) is supported; files are
// opened byte-exact (no text translation) and not inherited by children.
// Files are opened with every kind of sharing, deletion included, so that
// an open file (the log) can be read, written, renamed and removed by
// others as on a POSIX host. Modification times are the file system's
// 100-nanosecond ones.
#include <windows.h>
#undef MAX_PATH  // the file-system layer has its own
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

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
// The largest transfer handed to the host at once (its counts are int).
constexpr unsigned long MAX_TRANSFER = static_cast<unsigned long>(INT_MAX);

// The errno value nearest to a Win32 error, for the error texts.
int ErrnoOf(DWORD Win32Error) {
  switch (Win32Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EINVAL;
  }
}

// Opens Name with every kind of sharing and makes a runtime descriptor of
// it; -1 with Err (an errno value) on failure.
int OpenShared(const char* Name, int HostFlags, unsigned Mode, int& Err) {
  DWORD access = 0;
  switch (HostFlags & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
    case _O_WRONLY:
      access = GENERIC_WRITE;
      break;
    case _O_RDWR:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    default:
      access = GENERIC_READ;
      break;
  }
  DWORD disposition = OPEN_EXISTING;
  if ((HostFlags & _O_CREAT) != 0) {
    if ((HostFlags & _O_EXCL) != 0) {
      disposition = CREATE_NEW;
    } else {
      disposition = (HostFlags & _O_TRUNC) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
    }
  } else if ((HostFlags & _O_TRUNC) != 0) {
    disposition = TRUNCATE_EXISTING;
  }
  // A new file without write permission is made read-only.
  const DWORD attributes = (Mode & 0222u) == 0 && (HostFlags & _O_CREAT) != 0
                               ? FILE_ATTRIBUTE_READONLY
                               : FILE_ATTRIBUTE_NORMAL;
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.bInheritHandle = FALSE;
  const HANDLE h = CreateFileA(Name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               &security, disposition, attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Err = ErrnoOf(GetLastError());
    return -1;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h),
                                 HostFlags & (_O_APPEND | _O_RDONLY | _O_WRONLY | _O_RDWR));
  if (fd < 0) {
    Err = EMFILE;
    CloseHandle(h);
    return -1;
  }
  _setmode(fd, _O_BINARY);
  return fd;
}

// File times count 100-nanosecond ticks from 1601-01-01 UTC.
constexpr std::int64_t TICKS_TO_1970 = 116444736000000000LL;
constexpr std::int64_t NANOS_PER_TICK = 100;

std::int64_t NanosOfFileTime(const FILETIME& t) {
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  return (ticks - TICKS_TO_1970) * NANOS_PER_TICK;
}

// Rounded up to the next tick, so that a time set later than another stays
// later (the log relies on it), never earlier.
FILETIME FileTimeOfNanos(std::int64_t Nanos) {
  std::int64_t ticks = Nanos / NANOS_PER_TICK;
  if (Nanos % NANOS_PER_TICK > 0) ++ticks;
  const std::uint64_t t = static_cast<std::uint64_t>(ticks + TICKS_TO_1970);
  FILETIME f;
  f.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFFu);
  f.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return f;
}

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
    handle = OpenShared(Name, host_flags, Mode, err);
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
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  const bool ok =
      Name != nullptr && GetFileAttributesExA(Name, GetFileExInfoStandard, &attributes) != FALSE;
  if (!ok) {
    const ErrorText text(Name != nullptr ? ErrnoOf(GetLastError()) : EINVAL);
    Error::SetWithContext(Error::IO_FS_ERROR, "stat(%s): %s", name, text.text);
    return -1;
  }
  Time = NanosOfFileTime(attributes.ftLastWriteTime);
  return 0;
}

int setmodtime(int Handle, std::int64_t Time) {
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(Handle));
  const FILETIME t = FileTimeOfNanos(Time);
  if (h == INVALID_HANDLE_VALUE || !SetFileTime(h, nullptr, &t, &t)) {
    const ErrorText text(h == INVALID_HANDLE_VALUE ? EBADF : ErrnoOf(GetLastError()));
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
