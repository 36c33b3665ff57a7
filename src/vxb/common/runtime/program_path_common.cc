// GetProgramPath() over the platform's reading of the executable's path
// (System::Host::ReadProgramPath): the checks of the caller's buffer and of
// a path that does not fit.
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/system_internal.h"

namespace VXB::System {

bool GetProgramPath(char* Buffer, unsigned Size) {
  if (Buffer == nullptr || Size < 2) {
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetProgramPath: no room");
  }
  Buffer[0] = '\0';
  unsigned length = 0;
  if (!Host::ReadProgramPath(Buffer, Size, length)) return false;
  // A path cut to fit is of no use.
  if (length >= Size) {
    Buffer[0] = '\0';
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetProgramPath: path longer than %u",
                                 Size - 1);
  }
  Buffer[length] = '\0';
  return true;
}

}  // namespace VXB::System
