// The running program's own executable on Windows: GetModuleFileName of
// the process's main module.
#include <windows.h>

#include "vxb/common/error.h"
#include "vxb/common/system.h"

namespace VXB::System {

bool GetProgramPath(char* Buffer, unsigned Size) {
  if (Buffer == nullptr || Size < 2) {
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetProgramPath: no room");
  }
  Buffer[0] = '\0';
  SetLastError(ERROR_SUCCESS);
  const DWORD n = GetModuleFileNameA(nullptr, Buffer, Size);
  const DWORD err = GetLastError();
  if (n == 0) {
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetModuleFileName fail (%lu)", err);
  }
  // A path that does not fit is cut (and, before Windows Vista, left
  // unterminated); either way it is of no use.
  if (n >= Size || err == ERROR_INSUFFICIENT_BUFFER) {
    Buffer[0] = '\0';
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetProgramPath: path longer than %u",
                                 Size - 1);
  }
  Buffer[n] = '\0';
  return true;
}

}  // namespace VXB::System
