// The command line of zorbel-emulator.
//
// Thread safety: pure functions over their arguments.
#ifndef TOOLS_ZORBEL_EMULATOR_OPTIONS_H_
#define TOOLS_ZORBEL_EMULATOR_OPTIONS_H_

#include <string>

#include "zorbel_emulator/emulator.h"

namespace ZorbelEmulator {

struct CommandLine {
  std::string Port;      // empty: a new pseudo-terminal
  unsigned Baud = 9600;  // line speed set on --port
  bool Verbose = false;
  bool Help = false;
  Options Emulation;
};

extern const char* const kHelp;

// Reads the words after the program name. False with Error set (one line,
// no newline) on an unknown option or a bad number.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& Out, std::string& Error);

}  // namespace ZorbelEmulator

#endif  // TOOLS_ZORBEL_EMULATOR_OPTIONS_H_
