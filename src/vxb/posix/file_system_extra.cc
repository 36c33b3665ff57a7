// Renaming and deleting files on the host's file system (the primitives
// under rename() and remove()), and the kind of an open file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/runtime/file_system_internal.h"

namespace VXB::FileSystem {

namespace Host {

int Rename(const char* From, const char* To, int& Err) {
  if (::rename(From, To) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

int Remove(const char* Name, int& Err) {
  if (::unlink(Name) != 0) {
    Err = errno;
    return -1;
  }
  return 0;
}

}  // namespace Host

int isregular(int Handle) {
  struct stat st {};
  if (::fstat(Handle, &st) != 0) {
    const int e = errno;
    Error::SetWithContext(Error::IO_FS_ERROR, "fstat %d, errno %d", Handle, e);
    return -1;
  }
  return S_ISREG(st.st_mode) ? 1 : 0;
}

}  // namespace VXB::FileSystem
