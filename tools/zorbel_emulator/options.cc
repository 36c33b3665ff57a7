#include "zorbel_emulator/options.h"

#include <cstdlib>
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
    "\n"
    "Random faults (the same seed gives the same run):\n"
    "  --fault-rate P       each occasion fails with probability P (0 to 1,\n"
    "                       for example 0.05): a good command packet gets NAK,\n"
    "                       an answer goes out with a wrong checksum, or an\n"
    "                       executed command's answer is never sent\n"
    "  --fault-seed S       seed of the draws (default 0)\n"
    "  --fault-kinds LIST   the kinds drawn, separated by commas, of nak,\n"
    "                       bad-checksum, lost-answer (default all three)\n"
    "\n"
    "On exit (Ctrl-C, SIGTERM) it prints a summary: the totals, then one line\n"
    "per packet executed with how many times it ran (\"exec\", the count, the\n"
    "command and fields), so a packet executed twice shows.\n"
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

// A probability written as a decimal number from 0 to 1.
bool ParseRate(const char* Text, double& Rate) {
  char* end = nullptr;
  const double value = std::strtod(Text, &end);
  if (end == Text || *end != '\0' || !(value >= 0.0 && value <= 1.0)) return false;
  Rate = value;
  return true;
}

bool ParseKinds(std::string_view List, RandomFaults& Out) {
  Out.Nak = Out.BadChecksum = Out.LostAnswer = false;
  while (!List.empty()) {
    const std::size_t comma = List.find(',');
    const std::string_view kind = List.substr(0, comma);
    if (kind == "nak") {
      Out.Nak = true;
    } else if (kind == "bad-checksum") {
      Out.BadChecksum = true;
    } else if (kind == "lost-answer") {
      Out.LostAnswer = true;
    } else {
      return false;
    }
    if (comma == std::string_view::npos) break;
    List.remove_prefix(comma + 1);
  }
  return Out.Nak || Out.BadChecksum || Out.LostAnswer;
}

// The random fault options; false when Word is none of them, with Error
// set when the value is wrong.
bool ParseRandomOption(const char* Word, const char* Value, RandomFaults& Out, std::string& Error) {
  bool ok = true;
  if (std::strcmp(Word, "--fault-rate") == 0) {
    ok = ParseRate(Value, Out.Rate);
  } else if (std::strcmp(Word, "--fault-seed") == 0) {
    ok = ZorbelTools::ParseUnsigned(Value, Out.Seed);
  } else if (std::strcmp(Word, "--fault-kinds") == 0) {
    ok = ParseKinds(Value, Out);
  } else {
    return false;
  }
  if (!ok) Error = std::string("bad value for ") + Word + ": " + Value;
  return true;
}

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
    std::string bad;
    if (ParseRandomOption(word, value, Out.Emulation.Random, bad)) {
      if (!bad.empty()) {
        Error = bad;
        return false;
      }
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
