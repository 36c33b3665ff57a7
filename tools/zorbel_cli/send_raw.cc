#include "zorbel_cli/send_raw.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>
#include <thread>

#include "common/tool_support.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"
#include "vxb/common/text/fields.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vxp_errno.h"
#include "zorbel_cli/trace_driver.h"

namespace ZorbelCli {

const char* const kSendRawHelp =
    "usage: zorbel-cli send-raw --port PORT [--baud N] [--sequence S] [--trace]\n"
    "                           COMMAND_HEX [FIELD ...]\n"
    "\n"
    "Sends one command to the fiscal controller on PORT (8 data bits, no\n"
    "parity, one stop bit, N bits per second, default 9600) with the packet\n"
    "protocol (busy-state variant, 3 retries, 2000 ms) and prints the answer\n"
    "as tab-separated UTF-8 lines:\n"
    "  command   0x2A        the answer's command byte\n"
    "  sequence  32          the answer's packet number\n"
    "  printer   0000        printer status word\n"
    "  fiscal    0200        fiscal status word\n"
    "  busy      yes|no      answered with the busy-state answer\n"
    "  field     n  text     answer fields after the status words, from 0\n"
    "\n"
    "PORT is a port number in any of the forms COM3, com3, \\\\.\\COM3 or 3\n"
    "(port n is /dev/ttyS<n-1>), or a device path: /dev/ttyUSB0,\n"
    "/dev/ttyACM0, /dev/serial/by-id/..., the path zorbel-emulator prints.\n"
    "COMMAND_HEX is the command byte in hexadecimal (2A or 0x2A); the words\n"
    "after it are the command's fields, in order (an empty word is an empty\n"
    "field). Options may come anywhere; after \"--\" every word is an operand\n"
    "(for a field that begins with \"--\"). A field longer than a packet field\n"
    "holds, or a packet longer than the protocol sends, is refused, never cut.\n"
    "--sequence gives the packet's sequence number (32 to 126); without it\n"
    "the first packet is numbered 32. A controller that has just answered a\n"
    "packet with the same number and content repeats that answer without\n"
    "executing the command again. --trace shows every byte sent (\"> \") and\n"
    "received (\"< \") on standard error.\n"
    "\n"
    "Exit status: 0 the answer was printed; 1 the command failed, was\n"
    "refused before sending, or was interrupted (Ctrl-C, SIGTERM: the port is\n"
    "closed at once), with one line SYMBOL: description: context on standard\n"
    "error; 2 the command line cannot be used.\n";

namespace {

using ZorbelTools::ParseUnsigned;

// A command byte: one or two hexadecimal digits, optionally after 0x. The
// control bytes below 0x20 would break the frame.
bool ParseCommand(std::string_view s, VXB::Byte& command) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  unsigned value = 0;
  if (s.size() > 2 || !ParseUnsigned(s, value, 16) || value < 0x20) return false;
  command = static_cast<VXB::Byte>(value);
  return true;
}

// Converts a UTF-8 text to the internal set and appends it; false when it
// cannot be converted.
bool AppendConverted(std::string& out, const char* text) {
  const std::size_t size = std::strlen(text) * 2 + 1;
  std::string buf(size, '\0');
  const unsigned n =
      VXB::ASCII::FromUTF8(text, buf.data(), static_cast<unsigned>(size), VXB::ASCII::NO_ENTITIES);
  if (n == VXB::ASCII::CONVERSION_FAILED) return false;
  out.append(buf.data(), n);
  return true;
}

bool TakesValue(std::string_view word) {
  return word == "--port" || word == "--baud" || word == "--sequence";
}

}  // namespace

unsigned MaxFieldSize() { return VXB::Fields::MAX_FIELD; }

unsigned MaxPacketSize() { return VXP::CommunicationsProtocol::MAX_BUFFER; }

unsigned FramedSize(const SendRawRequest& Request) {
  // STX, sequence, ESC, command, ETX and the checksum digits.
  std::size_t size = 5 + VXP::VardexFrame::CHECKSUM_DIGITS;
  for (const std::string& f : Request.Fields) size += 1 + f.size();
  return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned>(size);
}

bool CheckFits(const SendRawRequest& Request) {
  for (std::size_t n = 0; n < Request.Fields.size(); ++n) {
    if (Request.Fields[n].size() > MaxFieldSize()) {
      return VXB::Error::SetWithContext(
          VXP::Error::PROTOCOL_SIZE, "field %u has %zu bytes; at most %u can be sent",
          static_cast<unsigned>(n), Request.Fields[n].size(), MaxFieldSize());
    }
  }
  const unsigned framed = FramedSize(Request);
  if (framed > MaxPacketSize()) {
    return VXB::Error::SetWithContext(VXP::Error::PROTOCOL_SIZE,
                                      "packet of %u bytes; at most %u can be sent", framed,
                                      MaxPacketSize());
  }
  return true;
}

void Interruption::Attach(VXP::VardexPacketProtocol* Protocol, VXB::Driver::Generic* Port) {
  std::lock_guard<std::mutex> lock(mutex_);
  protocol_ = Protocol;
  port_ = Port;
  if (fired_.load()) {
    if (protocol_ != nullptr) protocol_->Abort();
    if (port_ != nullptr) port_->Abort();
  }
}

void Interruption::Fire() {
  fired_.store(true);
  std::lock_guard<std::mutex> lock(mutex_);
  if (protocol_ != nullptr) protocol_->Abort();
  if (port_ != nullptr) port_->Abort();
}

bool ParseSendRaw(int argc, const char* const* argv, SendRawRequest& Out, bool& Help,
                  std::string& Error) {
  Help = false;
  std::vector<const char*> operands;
  bool options_ended = false;
  for (int i = 0; i < argc; ++i) {
    const std::string_view word(argv[i]);
    if (options_ended || word.size() < 2 || word.substr(0, 2) != "--") {
      if (word == "-h" && !options_ended) {
        Help = true;
        return true;
      }
      operands.push_back(argv[i]);
      continue;
    }
    if (word == "--") {
      options_ended = true;
      continue;
    }
    if (word == "--help") {
      Help = true;
      return true;
    }
    if (word == "--trace") {
      Out.Trace = true;
      continue;
    }
    if (!TakesValue(word)) {
      Error = std::string("unknown option: ") + argv[i];
      return false;
    }
    if (i + 1 >= argc) {
      Error = std::string("missing value for ") + argv[i];
      return false;
    }
    const char* value = argv[++i];
    if (word == "--port") {
      Out.Port = value;
    } else if (word == "--baud") {
      VXB::SerialPort::BaudRates rate;
      if (!ParseUnsigned(value, Out.Baud) ||
          !VXB::SerialPort::GetBaudRate(static_cast<double>(Out.Baud), rate)) {
        Error = std::string("unsupported speed: ") + value;
        return false;
      }
    } else {
      if (!ParseUnsigned(value, Out.Sequence)) {
        Error = std::string("not a sequence number: ") + value;
        return false;
      }
      Out.HasSequence = true;
    }
  }
  if (Out.Port.empty()) {
    Error = "--port is missing";
    return false;
  }
  if (operands.empty()) {
    Error = "COMMAND_HEX is missing";
    return false;
  }
  if (!ParseCommand(operands[0], Out.Command)) {
    Error = std::string("not a command byte (20 to FF, hexadecimal): ") + operands[0];
    return false;
  }
  Out.Fields.clear();
  for (std::size_t n = 1; n < operands.size(); ++n) {
    std::string field;
    if (!AppendConverted(field, operands[n])) {
      Error = std::string("field cannot be converted: ") + operands[n];
      return false;
    }
    for (char c : field) {
      if (static_cast<unsigned char>(c) < 0x20) {
        Error = "fields cannot hold control characters";
        return false;
      }
    }
    Out.Fields.push_back(std::move(field));
  }
  return true;
}

bool ExchangeRaw(VXP::VardexPacketProtocol& Protocol, const SendRawRequest& Request) {
  if (!CheckFits(Request)) return false;
  if (Request.HasSequence && !Protocol.SetNextSequence(Request.Sequence)) return false;
  VXP::VardexDataContainer data(Request.Command);
  data.SetEncoding(VXB::ASCII::CP437);
  for (const std::string& f : Request.Fields) data.AddField("%s", f.c_str());
  return Protocol.SendCommand(data);
}

bool WriteAnswer(std::ostream& Out, const VXP::VardexPacketProtocol& Protocol) {
  const VXP::VardexDataContainer& answer = Protocol.GetAnswer();
  char head[160];
  std::snprintf(
      head, sizeof head, "command\t0x%02X\nsequence\t%u\nprinter\t%04X\nfiscal\t%04X\nbusy\t%s\n",
      static_cast<unsigned>(answer.GetCommand()), Protocol.GetReceivedSequence(),
      static_cast<unsigned>(Protocol.GetPrinterStatusWord()),
      static_cast<unsigned>(Protocol.GetFiscalStatusWord()), Protocol.IsBusy() ? "yes" : "no");
  std::string text = head;
  const unsigned count = answer.GetNumberOfFields();
  for (unsigned n = 0; n < count; ++n) {
    text +=
        "field\t" + std::to_string(n) + "\t" + ZorbelTools::ToTerminal(answer.GetField(n)) + "\n";
  }
  Out << text;
  Out.flush();
  return Out.good();
}

void WriteFailure(std::ostream& Err) {
  Err << ZorbelTools::FailureLine() << "\n";
  Err.flush();
}

int SendRaw(const SendRawRequest& Request, std::ostream& Out, std::ostream& Err,
            Interruption* Stop) {
  VXB::SerialPort port;
  VXB::SerialParams params;
  params.WordLength = VXB::SerialPort::WORD_LENGTH_8;
  params.Parity = VXB::SerialPort::PARITYMODE_NONE;
  params.StopBits = VXB::SerialPort::STOP_1;
  // The packet protocol has its own handshake; the line carries every byte.
  params.FlowControl.Clear();
  if (!VXB::SerialPort::GetBaudRate(static_cast<double>(Request.Baud), params.BaudRate)) {
    VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR, "Velocidad %u", Request.Baud);
    WriteFailure(Err);
    return 1;
  }
  // Refused before the port is touched: nothing may go out cut.
  if (!CheckFits(Request)) {
    WriteFailure(Err);
    return 1;
  }
  if (!port.Open(Request.Port.c_str()) || !port.SetSerialParams(params)) {
    WriteFailure(Err);
    return 1;
  }
  TraceDriver trace(port, Err);
  VXB::Driver::Generic& line = Request.Trace ? static_cast<VXB::Driver::Generic&>(trace) : port;
  VXP::VardexPacketProtocol protocol(true);
  protocol.Configure(Request.Retries, Request.Timeout);
  protocol.SetDriver(&line);
  if (Stop != nullptr) Stop->Attach(&protocol, &port);
  bool ok = false;
  if (Stop != nullptr && Stop->Fired()) {
    VXB::Error::SetWithContext(VXP::Error::PROTOCOL_ABORTED, "SendCommand");
  } else {
    ok = ExchangeRaw(protocol, Request);
  }
  if (Stop != nullptr) Stop->Detach();
  trace.Flush();
  protocol.RemoveDriver();
  if (!ok) {
    WriteFailure(Err);
    return 1;
  }
  return WriteAnswer(Out, protocol) ? 0 : 1;
}

namespace {

volatile std::sig_atomic_t g_signalled = 0;

extern "C" void OnStopSignal(int) { g_signalled = 1; }

// Turns SIGINT and SIGTERM into Interruption::Fire() on a thread of its own
// (a signal handler may do next to nothing), repeated until the exchange is
// over so that an abort cannot slip between two of its steps. The handler
// cannot wake the thread, so it looks at the flag every 50 ms; the end of
// the exchange wakes it at once, and the program exits as soon as it has
// answered.
class SignalWatcher {
 public:
  explicit SignalWatcher(Interruption& Stop) : stop_(Stop) {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    thread_ = std::thread([this] { Watch(); });
  }
  ~SignalWatcher() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      if (g_signalled != 0) stop_.Fire();
      wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return done_; });
    }
  }

  Interruption& stop_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace

int RunSendRaw(int argc, const char* const* argv) {
  SendRawRequest request;
  bool help = false;
  std::string error;
  if (!ParseSendRaw(argc, argv, request, help, error)) {
    std::cerr << "zorbel-cli send-raw: " << error << " (try --help)\n";
    return 2;
  }
  if (help) {
    std::cout << kSendRawHelp;
    return 0;
  }
  Interruption stop;
  SignalWatcher watcher(stop);
  return SendRaw(request, std::cout, std::cerr, &stop);
}

}  // namespace ZorbelCli
