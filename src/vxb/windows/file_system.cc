// File-system primitives on Windows, through the C runtime's descriptor
// calls. Files are opened byte-exact (no text translation) and not
// inherited by children. Files are opened with every kind of sharing,
// deletion included, so that an open file (the log) can be read, written,
// renamed and removed by others as on a POSIX host. Modification times are
// the file system's 100-nanosecond ones.
#include <windows.h>
#undef MAX_PATH  // the file-system layer has its own
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/file_system_internal.h"

namespace VXB::FileSystem::Host {

namespace {

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

unsigned long MaxTransfer() { return MAX_TRANSFER; }

int Open(const char* Name, unsigned Flags, unsigned Mode, int& Err) {
  int host_flags = 0;
  if (!HostFlags(Flags, host_flags)) {
    Err = EINVAL;
    return -1;
  }
  return OpenShared(Name, host_flags, Mode, Err);
}

long Read(int Handle, void* Buffer, unsigned long Length, int& Err) {
  const int n = ::_read(Handle, Buffer, static_cast<unsigned>(Length));
  if (n < 0) Err = errno;
  return static_cast<long>(n);
}

long WriteSome(int Handle, const void* Buffer, unsigned long Length, int& Err) {
  const int n = ::_write(Handle, Buffer, static_cast<unsigned>(Length));
  if (n < 0) Err = errno;
  return static_cast<long>(n);
}

std::int64_t Seek(int Handle, std::int64_t Offset, int Whence, int& Err) {
  const __int64 pos = ::_lseeki64(Handle, Offset, Whence);
  if (pos < 0) Err = errno;
  return static_cast<std::int64_t>(pos);
}

int Truncate(int Handle, std::int64_t Length, int& Err) {
  const int rc = ::_chsize_s(Handle, Length);
  if (rc != 0) {
    Err = rc;
    return -1;
  }
  return 0;
}

int Sync(int Handle, int& Err) {
  // _commit flushes the descriptor's file with FlushFileBuffers.
  if (::_commit(Handle) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int Close(int Handle, int& Err) {
  if (::_close(Handle) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int Access(const char* Name, AccessModes Mode, int& Err) {
  if (::_access(Name, HostAccessMode(Mode)) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int ModificationTime(const char* Name, std::int64_t& Time, int& Err) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (GetFileAttributesExA(Name, GetFileExInfoStandard, &attributes) == FALSE) {
    Err = ErrnoOf(GetLastError());
    return -1;
  }
  Time = NanosOfFileTime(attributes.ftLastWriteTime);
  return 0;
}

int SetModificationTime(int Handle, std::int64_t Time, int& Err) {
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(Handle));
  const FILETIME t = FileTimeOfNanos(Time);
  if (h == INVALID_HANDLE_VALUE || !SetFileTime(h, nullptr, &t, &t)) {
    Err = h == INVALID_HANDLE_VALUE ? EBADF : ErrnoOf(GetLastError());
    return -1;
  }
  return 0;
}

int CurrentDirectory(char* Buffer, unsigned Size, int& Err) {
  if (::_getcwd(Buffer, static_cast<int>(Size > INT_MAX ? INT_MAX : Size)) == nullptr) {
    Err = errno;
    return -1;
  }
  return 0;
}

const char* ErrorText(int Err, char* Buffer, std::size_t Size) {
  return strerror_s(Buffer, Size, Err) == 0 ? Buffer : "Unknown error";
}

}  // namespace VXB::FileSystem::Host
