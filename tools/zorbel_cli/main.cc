// zorbel-cli: command-line tools around the Zorbel libraries, one subcommand
// per task.
#include <cstring>
#include <iostream>

#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"
#include "zorbel_cli/catalog.h"
#include "zorbel_cli/convert.h"
#include "zorbel_cli/journal.h"
#include "zorbel_cli/send_raw.h"

namespace {

struct Subcommand {
  const char* Name;
  const char* Summary;
  int (*Run)(int argc, const char* const* argv);  // the words after the name
};

constexpr Subcommand kSubcommands[] = {
    {"catalog", "print the RG3561 command catalogue as tab-separated lines", ZorbelCli::RunCatalog},
    {"convert", "show the packet of a command document, or the document of an answer",
     ZorbelCli::RunConvert},
    {"journal", "list the commands in the bridge's answer journal", ZorbelCli::RunJournal},
    {"send-raw", "send one command to a fiscal controller and print its answer",
     ZorbelCli::RunSendRaw},
};

void Usage(std::ostream& out) {
  out << "usage: zorbel-cli <subcommand> [arguments]\n"
         "       zorbel-cli <subcommand> --help\n"
         "\n"
         "Subcommands:\n";
  for (const Subcommand& s : kSubcommands) {
    out << "  " << s.Name << "\t" << s.Summary << "\n";
  }
}

bool IsHelp(const char* word) {
  return std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0 ||
         std::strcmp(word, "help") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Failures are printed by symbol and message: register them all first.
  VXB::Error::Init();
  VXP::Error::Init();
  if (argc < 2) {
    Usage(std::cerr);
    return 2;
  }
  if (IsHelp(argv[1])) {
    Usage(std::cout);
    return 0;
  }
  for (const Subcommand& s : kSubcommands) {
    if (std::strcmp(argv[1], s.Name) == 0) return s.Run(argc - 2, argv + 2);
  }
  std::cerr << "zorbel-cli: unknown subcommand '" << argv[1] << "'\n";
  Usage(std::cerr);
  return 2;
}
