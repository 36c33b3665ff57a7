// The running program's own executable on Linux: /proc/self/exe.
#include <unistd.h>

#include <cerrno>

#include "vxb/common/error.h"
#include "vxb/common/system.h"

namespace VXB::System {

bool GetProgramPath(char* Buffer, unsigned Size) {
  if (Buffer == nullptr || Size < 2) {
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetProgramPath: no room");
  }
  Buffer[0] = '\0';
  const ssize_t n = ::readlink("/proc/self/exe", Buffer, Size);
  if (n < 0) {
    const int e = errno;
    return Error::SetWithContext(Error::IO_FS_ERROR, "readlink /proc/self/exe, errno %d", e);
  }
  // readlink does not terminate; a result that fills the buffer may be cut.
  if (static_cast<unsigned>(n) >= Size) {
    Buffer[0] = '\0';
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetProgramPath: path longer than %u",
                                 Size - 1);
  }
  Buffer[n] = '\0';
  // A program whose file was replaced or deleted while it runs reads back
  // as "<path> (deleted)"; the directory is still the right one.
  return true;
}

}  // namespace VXB::System
