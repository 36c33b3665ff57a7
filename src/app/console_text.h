// Console output of the program's own texts. Texts inside the program are
// in the internal character set; a terminal (and the service manager's
// journal) reads UTF-8, so each line is converted on its way out.
//
// Thread safety: any thread; each call formats in its own buffer.
#ifndef APP_CONSOLE_TEXT_H_
#define APP_CONSOLE_TEXT_H_

#include <cstdarg>

#include "vxb/common/base/types.h"

namespace Zorbel {

// Longest text printed by one call; longer texts are cut.
inline constexpr unsigned MAX_CONSOLE_TEXT = 2048;

// On standard output, and on standard error.
void ConsolePrint(const char* Format, ...) VXB_PRINTF_FORMAT(1, 2);
void ConsoleErrorPrint(const char* Format, ...) VXB_PRINTF_FORMAT(1, 2);

}  // namespace Zorbel

#endif  // APP_CONSOLE_TEXT_H_
