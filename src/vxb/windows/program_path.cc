// The running program's own executable on Windows: GetModuleFileName of
// the process's main module.
#include <windows.h>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system_internal.h"

namespace VXB::System::Host {

bool ReadProgramPath(char* Buffer, unsigned Size, unsigned& Length) {
  SetLastError(ERROR_SUCCESS);
  const DWORD n = GetModuleFileNameA(nullptr, Buffer, Size);
  const DWORD err = GetLastError();
  if (n == 0) {
    return Error::SetWithContext(Error::IO_FS_ERROR, "GetModuleFileName fail (%lu)", err);
  }
  // A path that does not fit is cut (and, before Windows Vista, left
  // unterminated).
  Length = err == ERROR_INSUFFICIENT_BUFFER ? Size : static_cast<unsigned>(n);
  return true;
}

}  // namespace VXB::System::Host
