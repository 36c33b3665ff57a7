// The running program's own executable on Linux: /proc/self/exe.
#include <unistd.h>

#include <cerrno>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system_internal.h"

namespace VXB::System::Host {

bool ReadProgramPath(char* Buffer, unsigned Size, unsigned& Length) {
  const ssize_t n = ::readlink("/proc/self/exe", Buffer, Size);
  if (n < 0) {
    const int e = errno;
    return Error::SetWithContext(Error::IO_FS_ERROR, "readlink /proc/self/exe, errno %d", e);
  }
  // readlink does not terminate; a result that fills the buffer may be cut.
  // A program whose file was replaced or deleted while it runs reads back
  // as "<path> (deleted)"; the directory is still the right one.
  Length = static_cast<unsigned>(n);
  return true;
}

}  // namespace VXB::System::Host
