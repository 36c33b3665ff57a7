// Renaming and deleting files on the host's file system, and the kind of an
// open file.
#include <windows.h>
#undef MAX_PATH  // the file-system layer has its own
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "vxb/common/error.h"
#include "vxb/common/file.h"

namespace VXB::FileSystem {

namespace {

// Only the host's ordinary file system exists here.
bool CheckFileSystem(FileSystems fs, const char* Name) {
  if (fs == PRIMARY) return true;
  Error::SetWithContext(Error::IO_MOUNT_ERROR, "\"%s\" (%c)", Name != nullptr ? Name : "",
                        Letter(fs));
  return false;
}

}  // namespace

int rename(const char* From, const char* To, FileSystems fs) {
  if (From == nullptr || To == nullptr || *From == '\0' || *To == '\0') {
    Error::SetWithContext(Error::IO_PARAM_ERROR, "rename");
    return -1;
  }
  if (!CheckFileSystem(fs, From)) return -1;
  // Replaces an existing target as rename() does on POSIX hosts.
  if (!MoveFileExA(From, To, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    const int e = static_cast<int>(GetLastError());
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
  if (::_unlink(Name) != 0) {
    const int e = errno;
    Error::SetWithContext(Error::IO_FS_ERROR, "remove \"%s\" (%c), errno %d", Name, Letter(fs), e);
    return -1;
  }
  return 0;
}

int isregular(int Handle) {
  // A disk file that is no directory (directories are not opened by open()
  // here anyway); consoles, pipes and devices are not regular.
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(Handle));
  if (h == INVALID_HANDLE_VALUE) {
    Error::SetWithContext(Error::IO_FS_ERROR, "fstat %d, errno %d", Handle, EBADF);
    return -1;
  }
  if (GetFileType(h) != FILE_TYPE_DISK) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) {
    const int e = static_cast<int>(GetLastError());
    Error::SetWithContext(Error::IO_FS_ERROR, "fstat %d, error %d", Handle, e);
    return -1;
  }
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
}

}  // namespace VXB::FileSystem
