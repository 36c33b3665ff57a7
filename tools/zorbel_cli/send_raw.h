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
// A command line that cannot be used gives one line and "try --help",
// status 2. SIGINT and SIGTERM abandon the exchange: the port is closed
// (its line settings put back) and the status is 1.
//
// Thread safety: each function uses only its arguments and the calling
// thread's error record; Interruption::Fire may come from any thread.
#ifndef TOOLS_ZORBEL_CLI_SEND_RAW_H_
#define TOOLS_ZORBEL_CLI_SEND_RAW_H_

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "vxb/common/base/types.h"
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
  bool Trace = false;       // show the bytes exchanged on the error stream
};

// Largest field and packet that can be sent whole: a field the container
// holds, a framed packet the protocol's output buffer holds.
unsigned MaxFieldSize();
unsigned MaxPacketSize();
// The framed size of the request's packet (sequence, ESC, command,
// separators and fields, STX, ETX, checksum).
unsigned FramedSize(const SendRawRequest& Request);
// False with PROTOCOL_SIZE set when a field or the packet would not go out
// whole.
bool CheckFits(const SendRawRequest& Request);

// Ends an exchange from another thread (a signal watcher): Fire() aborts
// the protocol and the port attached at that moment, and any attached
// later.
class Interruption {
 public:
  void Attach(VXP::VardexPacketProtocol* Protocol, VXB::Driver::Generic* Port);
  void Detach() { Attach(nullptr, nullptr); }
  void Fire();
  bool Fired() const { return fired_.load(); }

 private:
  std::mutex mutex_;
  VXP::VardexPacketProtocol* protocol_ = nullptr;
  VXB::Driver::Generic* port_ = nullptr;
  std::atomic<bool> fired_{false};
};

extern const char* const kSendRawHelp;

// Reads the words after "send-raw": options and operands in any order,
// "--" ends the options. False with Error set (one line) when they cannot
// be used; Help set for --help.
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

// Opens the port, exchanges, prints; the process exit status. Stop, when
// given, can end the exchange from another thread.
int SendRaw(const SendRawRequest& Request, std::ostream& Out, std::ostream& Err,
            Interruption* Stop = nullptr);

// The subcommand: args are the words after "send-raw".
int RunSendRaw(int argc, const char* const* argv);

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_SEND_RAW_H_
