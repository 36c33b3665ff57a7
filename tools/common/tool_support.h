// Pieces the command-line tools share: number parsing, the one-line failure
// report and the readable form of raw line bytes.
//
// Thread safety: pure functions, except FailureLine, which reads the
// calling thread's error record.
#ifndef TOOLS_COMMON_TOOL_SUPPORT_H_
#define TOOLS_COMMON_TOOL_SUPPORT_H_

#include <string>
#include <string_view>

#include "vxb/common/base/types.h"

namespace ZorbelTools {

// A whole word as an unsigned number in Base (no sign, no blanks, no
// overflow); false otherwise, Value unchanged.
bool ParseUnsigned(std::string_view Text, unsigned& Value, int Base = 10);

// A text of the internal character set as UTF-8 for the terminal (as given
// when it cannot be converted).
std::string ToTerminal(std::string_view Internal);

// The thread's last error as "SYMBOL: description: context" in UTF-8
// (": context" left out when there is none), without a line end.
std::string FailureLine();

// Line bytes for a technician: printable ASCII as it is, control bytes by
// name in brackets ("[STX]", "[FS]"), other bytes in hexadecimal ("[F3h]").
std::string EscapeBytes(const VXB::Byte* Bytes, unsigned Size);

}  // namespace ZorbelTools

#endif  // TOOLS_COMMON_TOOL_SUPPORT_H_
