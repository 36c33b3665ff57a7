// `zorbel-cli send-raw`: sends one command to a fiscal controller with the
// bridge's packet protocol (busy-state variant) and prints its answer.
//
// Output on success, one record per line, fields separated by TAB, UTF-8:
//
//   command   0x2A          the answer's command byte
//   sequence  32            the answer's packet number, decimal
//   printer   0000          printer status word, 4 hexadecimal digits
//   fiscal    0200          fiscal status word, 4 hexadecimal digits
//   busy      yes|no        the controller answered with the busy-state answer
//   field     n  text       each answer field after the status words, n from 0
//
// On failure the exit status is 1 and standard error gets one line:
// "SYMBOL: description: context" (": context" left out when there is none).
// A command line that cannot be used gives the usage text and status 2.
//
// Thread safety: each function uses only its arguments and the calling
// thread's error record.
#ifndef TOOLS_ZORBEL_CLI_SEND_RAW_H_
#define TOOLS_ZORBEL_CLI_SEND_RAW_H_

#include <ostream>
#include <string>
#include <vector>

#include "vxb/common/types.h"
#include "vxp/vardex_packet_protocol.h"

namespace ZorbelCli {

struct SendRawRequest {
  std::string Port;
  unsigned Baud = 9600;
  bool HasSequence = false;
  unsigned Sequence = 0;
  VXB::Byte Command = 0;
  std::vector<std::string> Fields;  // in the internal character set
  unsigned Retries = 3;
  unsigned Timeout = 2000;  // milliseconds
};

extern const char* const kSendRawHelp;

// Reads the words after "send-raw". False with Error set (one line) when
// they cannot be used; Help set for --help.
bool ParseSendRaw(int argc, const char* const* argv, SendRawRequest& Out, bool& Help,
                  std::string& Error);

// One exchange over a protocol with its driver attached: the request's
// sequence number when it has one, then the command with its fields. False
// with the thread's error record set.
bool ExchangeRaw(VXP::VardexPacketProtocol& Protocol, const SendRawRequest& Request);

// The answer of the last successful exchange, in the format above.
bool WriteAnswer(std::ostream& Out, const VXP::VardexPacketProtocol& Protocol);

// The thread's last error as the failure line (with its newline).
void WriteFailure(std::ostream& Err);

// Opens the port, exchanges, prints; the process exit status.
int SendRaw(const SendRawRequest& Request, std::ostream& Out, std::ostream& Err);

// The subcommand: args are the words after "send-raw".
int RunSendRaw(int argc, const char* const* argv);

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_SEND_RAW_H_
