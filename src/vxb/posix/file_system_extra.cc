// Renaming and deleting files on the host's file system, and the kind of an
// open file.
#include <sys/stat.h>
#include <unistd.h>

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
  if (::rename(From, To) != 0) {
    const int e = errno;
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
  if (::unlink(Name) != 0) {
    const int e = errno;
    Error::SetWithContext(Error::IO_FS_ERROR, "remove \"%s\" (%c), errno %d", Name, Letter(fs), e);
    return -1;
  }
  return 0;
}

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
