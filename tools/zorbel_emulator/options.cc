#include "zorbel_emulator/options.h"

#include <cstring>
#include <string_view>

#include "common/tool_support.h"

namespace ZorbelEmulator {

const char* const kHelp =
    "usage: zorbel-emulator [options]\n"
    "\n"
    "A stand-in for an RG3561 fiscal controller. It creates a new\n"
    "pseudo-terminal, prints the path of its serial side on the first line of\n"
    "standard output and plays the controller's side of the packet protocol\n"
    "(busy-state variant) on it until interrupted. Point the bridge or\n"
    "`zorbel-cli send-raw --port PATH` at that path.\n"
    "\n"
    "It checks frames and checksums (NAK on a bad one), acknowledges good\n"
    "packets, executes every catalogue command against a small fiscal state\n"
    "(fiscal day, document in progress, document and closure numbers, totals)\n"
    "and answers with the status words and the command's answer fields. A\n"
    "packet repeated with the same sequence number gets the same answer and is\n"
    "not executed again. Refused commands carry an error bit in the fiscal\n"
    "status word; ConsultarUltimoError tells why.\n"
    "\n"
    "Line:\n"
    "  --port DEVICE        serve this serial device instead of a new\n"
    "                       pseudo-terminal\n"
    "  --baud N             speed set on --port (default 9600)\n"
    "  --pace N             send and take in bytes at N bits per second (10 bits\n"
    "                       a byte), so timings resemble a real line; 0 (the\n"
    "                       default) is as fast as the line goes\n"
    "  --ack-timeout MS     send an answer again when its ACK has not come\n"
    "                       within MS milliseconds (default 500), up to 3 times\n"
    "\n"
    "Work:\n"
    "  --slow MS            printing commands take MS milliseconds, with DC2\n"
    "                       sent meanwhile\n"
    "  --dc2-interval MS    interval of DC2 (and DC4) bytes (default 300)\n"
    "  --out-of-paper MS    at each printing command the paper is out for MS\n"
    "                       milliseconds: DC4 at the same interval, and\n"
    "                       FaltaPapelReceipt in the printer status\n"
    "\n"
    "Faults (each applies to the first N occasions):\n"
    "  --nak N              answer good command packets with NAK\n"
    "  --bad-checksum N     send answers with a wrong checksum (every\n"
    "                       transmission counts, resends included)\n"
    "  --drop-byte N        send answers with one byte missing (idem)\n"
    "  --stale N            answer commands with the previous answer (the host\n"
    "                       sends again and gets the right one)\n"
    "  --busy N             answer commands with the busy-state answer; the\n"
    "                       host's busy-state query (0xA1) then gets the answer\n"
    "  --busy-polls N       busy-state queries answered busy before that\n"
    "  --silence N          give command packets no reply at all\n"
    "  --ack-only N         acknowledge command packets but never answer\n"
    "\n"
    "  --verbose            print a line for every packet and fault, with the\n"
    "                       bytes received and sent\n"
    "  --help               this text\n";

namespace {

struct NumberOption {
  const char* Name;
  unsigned Options::*Field;
};

struct FaultOption {
  const char* Name;
  unsigned Faults::*Field;
};

constexpr NumberOption kNumberOptions[] = {
    {"--pace", &Options::Baud},
    {"--ack-timeout", &Options::AnswerAckTimeoutMs},
    {"--slow", &Options::SlowMs},
    {"--dc2-interval", &Options::Dc2IntervalMs},
    {"--out-of-paper", &Options::PaperOutMs},
};

constexpr FaultOption kFaultOptions[] = {
    {"--nak", &Faults::Nak},
    {"--bad-checksum", &Faults::BadChecksum},
    {"--drop-byte", &Faults::DropByte},
    {"--stale", &Faults::Stale},
    {"--busy", &Faults::Busy},
    {"--busy-polls", &Faults::BusyPolls},
    {"--silence", &Faults::Silence},
    {"--ack-only", &Faults::AckOnly},
};

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& Out, std::string& Error) {
  for (int i = 0; i < argc; ++i) {
    const char* word = argv[i];
    if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
      Out.Help = true;
      continue;
    }
    if (std::strcmp(word, "--verbose") == 0) {
      Out.Verbose = true;
      continue;
    }
    if (i + 1 >= argc) {
      Error = std::string("unknown option or missing value: ") + word;
      return false;
    }
    const char* value = argv[i + 1];
    unsigned* target = nullptr;
    if (std::strcmp(word, "--port") == 0) {
      if (value[0] == '\0') {
        Error = "--port needs a device";
        return false;
      }
      Out.Port = value;
      ++i;
      continue;
    }
    if (std::strcmp(word, "--baud") == 0) target = &Out.Baud;
    for (const NumberOption& o : kNumberOptions) {
      if (std::strcmp(word, o.Name) == 0) target = &(Out.Emulation.*o.Field);
    }
    for (const FaultOption& o : kFaultOptions) {
      if (std::strcmp(word, o.Name) == 0) target = &(Out.Emulation.Inject.*o.Field);
    }
    if (target == nullptr) {
      Error = std::string("unknown option: ") + word;
      return false;
    }
    if (!ZorbelTools::ParseUnsigned(value, *target)) {
      Error = std::string("not a number for ") + word + ": " + value;
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace ZorbelEmulator
