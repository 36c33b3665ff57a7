// The file-system calls of file.h over the platform's primitives
// (file_system_internal.h): argument checks, error records and debug lines
// are the same on every host. Only the host's ordinary file system
// (PRIMARY) is supported.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/file_system_internal.h"

namespace VXB::FileSystem {

namespace {

// The debug channel of the file-system calls; it lives until the very end so
// that files opened from static destructors can still report.
Debug::Debugger& Channel() {
  static NoDestructor<Debug::Debugger> debugger(Debug::IO, "FileSystem");
  return *debugger;
}

// The host's text for an error number, in a buffer of the caller.
struct ErrorText {
  explicit ErrorText(int err) : text(Host::ErrorText(err, buffer, sizeof buffer)) {}

  char buffer[128] = "";
  const char* text;
};

bool Supported(FileSystems fs) { return fs == PRIMARY; }

// Only the host's ordinary file system exists here.
bool CheckFileSystem(FileSystems fs, const char* Name) {
  if (fs == PRIMARY) return true;
  Error::SetWithContext(Error::IO_MOUNT_ERROR, "\"%s\" (%c)", Name != nullptr ? Name : "",
                        Letter(fs));
  return false;
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
  int handle = -1;
  int err = EINVAL;
  if (Name != nullptr) handle = Host::Open(Name, Flags, Mode, err);
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
  if (Length > Host::MaxTransfer()) Length = Host::MaxTransfer();
  int err = 0;
  const long n = Host::Read(Handle, Buffer, Length, err);
  if (n < 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_READ_ERROR, "%s", text.text);
    return -1;
  }
  return n;
}

long write(int Handle, const void* Buffer, unsigned long Length) {
  if (Length > Host::MaxTransfer()) Length = Host::MaxTransfer();
  const char* p = static_cast<const char*>(Buffer);
  unsigned long done = 0;
  // A regular file takes everything at once; a short or interrupted write
  // (signal, pipe) is resumed where it stopped.
  while (done < Length) {
    int err = 0;
    const long n = Host::WriteSome(Handle, p + done, Length - done, err);
    if (n < 0) {
      const ErrorText text(err);
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
  int err = 0;
  const std::int64_t pos = Host::Seek(Handle, Offset, whence, err);
  if (pos < 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_SEEK_ERROR, "%s", text.text);
    return -1;
  }
  return pos;
}

int truncate(int Handle, std::int64_t Length) {
  int err = 0;
  if (Host::Truncate(Handle, Length, err) != 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_FS_ERROR, "truncate: %s", text.text);
    return -1;
  }
  return 0;
}

int sync(int Handle) {
  int err = 0;
  if (Host::Sync(Handle, err) != 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_FS_ERROR, "sync: %s", text.text);
    return -1;
  }
  return 0;
}

int close(int Handle) {
  int err = 0;
  if (Host::Close(Handle, err) != 0) {
    const ErrorText text(err);
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
  int err = EINVAL;
  const int rc = Name != nullptr ? Host::Access(Name, Mode, err) : -1;
  if (rc != 0) {
    const ErrorText text(err);
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
  int err = EINVAL;
  const int rc = Name != nullptr ? Host::ModificationTime(Name, Time, err) : -1;
  if (rc != 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_FS_ERROR, "stat(%s): %s", name, text.text);
    return -1;
  }
  return 0;
}

int setmodtime(int Handle, std::int64_t Time) {
  int err = 0;
  if (Host::SetModificationTime(Handle, Time, err) != 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_FS_ERROR, "futimens: %s", text.text);
    return -1;
  }
  return 0;
}

char* getcwd(char* Buffer, unsigned Size) {
  int err = EINVAL;
  if (Buffer == nullptr || Size == 0 || Host::CurrentDirectory(Buffer, Size, err) != 0) {
    const ErrorText text(err);
    Error::SetWithContext(Error::IO_FS_ERROR, "getcwd: %s", text.text);
    return nullptr;
  }
  return Buffer;
}

int rename(const char* From, const char* To, FileSystems fs) {
  if (From == nullptr || To == nullptr || *From == '\0' || *To == '\0') {
    Error::SetWithContext(Error::IO_PARAM_ERROR, "rename");
    return -1;
  }
  if (!CheckFileSystem(fs, From)) return -1;
  int e = 0;
  if (Host::Rename(From, To, e) != 0) {
    Error::SetWithContext(Error::IO_FS_ERROR, "rename \"%s\" -> \"%s\" (%c), errno %d", From, To,
                          Letter(fs), e);
    return -1;
  }
  return 0;
}

int remove(const char* Name, FileSystems fs) {
  if (Name == nullptr || *Name == '\0') {
    Error::SetWithContext(Error::IO_PARAM_ERROR, "remove");
    return -1;
  }
  if (!CheckFileSystem(fs, Name)) return -1;
  int e = 0;
  if (Host::Remove(Name, e) != 0) {
    Error::SetWithContext(Error::IO_FS_ERROR, "remove \"%s\" (%c), errno %d", Name, Letter(fs), e);
    return -1;
  }
  return 0;
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
