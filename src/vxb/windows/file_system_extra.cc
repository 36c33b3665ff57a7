// Renaming and deleting files on the host's file system (the primitives
// under rename() and remove()), and the kind of an open file.
#include <windows.h>
#undef MAX_PATH  // the file-system layer has its own
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/file_system_internal.h"

namespace VXB::FileSystem {

namespace Host {

int Rename(const char* From, const char* To, int& Err) {
  // Replaces an existing target as rename() does on POSIX hosts.
  if (!MoveFileExA(From, To, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    Err = static_cast<int>(GetLastError());
    return -1;
  }
  return 0;
}

int Remove(const char* Name, int& Err) {
  if (::_unlink(Name) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

}  // namespace Host

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
