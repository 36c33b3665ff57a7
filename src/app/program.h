// The program's entry: picks its directory, names the log, reads
// proxyconfig.xml and hands the bridge service to the service wrapper
// (install, uninstall, test, or a run under the service manager).
//
// Thread safety: the main thread, once per process (tests may call it
// again after the previous call returned).
#ifndef APP_PROGRAM_H_
#define APP_PROGRAM_H_

#include "app/front_end.h"

namespace Zorbel {

// Longest program directory.
inline constexpr unsigned MAX_DIRECTORY = 2048;

// The directory of the files beside the program (proxyconfig.xml, the
// log): with no argument the directory of the executable itself, however
// it was started; with an argument the current directory. False with the
// error recorded when it cannot be found.
bool ProgramDirectory(int argc, const char* const* argv, char* Dir, unsigned Size);

// The whole program; the process's exit code: 0 on success, 1 on failure
// (after "description: context" on the error output and in the log).
int RunProgram(int argc, const char* const* argv, FrontEndFactory Factory = MakeHTTPFrontEnd);

}  // namespace Zorbel

#endif  // APP_PROGRAM_H_
