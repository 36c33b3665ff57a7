#include "zorbel_cli/send_raw.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>

#include "vxb/common/charset.h"
#include "vxb/common/error.h"
#include "vxb/common/serial_port.h"
#include "vxp/vardex_data_container.h"

namespace ZorbelCli {

const char* const kSendRawHelp =
    "usage: zorbel-cli send-raw --port DEVICE [--baud N] [--sequence S] COMMAND_HEX [FIELD ...]\n"
    "\n"
    "Sends one command to the fiscal controller on DEVICE (8 data bits, no\n"
    "parity, one stop bit, N bits per second, default 9600) with the packet\n"
    "protocol (busy-state variant, 3 retries, 2000 ms) and prints the answer\n"
    "as tab-separated UTF-8 lines:\n"
    "  command   0x2A        the answer's command byte\n"
    "  sequence  32          the answer's packet number\n"
    "  printer   0000        printer status word\n"
    "  fiscal    0200        fiscal status word\n"
    "  busy      yes|no      answered with the busy-state answer\n"
    "  field     n  text     answer fields after the status words, from 0\n"
    "COMMAND_HEX is the command byte in hexadecimal (2A or 0x2A); the words\n"
    "after it are the command's fields, in order (an empty word is an empty\n"
    "field). --sequence gives the packet's sequence number (32 to 126); without\n"
    "it the first packet is numbered 32. A controller that has just answered a\n"
    "packet with the same number and content repeats that answer without\n"
    "executing the command again.\n"
    "On failure the exit status is 1 and standard error has one line\n"
    "SYMBOL: description: context.\n";

namespace {

bool ParseUnsigned(std::string_view s, unsigned& value, int base = 10) {
  if (s.empty()) return false;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && ptr == s.data() + s.size();
}

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
bool AppendConverted(std::string& out, const char* text,
                     unsigned (*convert)(const char*, char*, unsigned, VXB::ASCII::Entities)) {
  const std::size_t size = std::strlen(text) * 2 + 1;
  std::string buf(size, '\0');
  const unsigned n =
      convert(text, buf.data(), static_cast<unsigned>(size), VXB::ASCII::NO_ENTITIES);
  if (n == VXB::ASCII::CONVERSION_FAILED) return false;
  out.append(buf.data(), n);
  return true;
}

std::string ToTerminal(const char* text) {
  std::string out;
  if (!AppendConverted(out, text, VXB::ASCII::ToUTF8)) out = text;
  return out;
}

}  // namespace

bool ParseSendRaw(int argc, const char* const* argv, SendRawRequest& Out, bool& Help,
                  std::string& Error) {
  Help = false;
  int i = 0;
  for (; i < argc; ++i) {
    const std::string_view word(argv[i]);
    if (word == "--help" || word == "-h") {
      Help = true;
      return true;
    }
    if (word.size() < 2 || word.substr(0, 2) != "--") break;
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
    } else if (word == "--sequence") {
      if (!ParseUnsigned(value, Out.Sequence)) {
        Error = std::string("not a sequence number: ") + value;
        return false;
      }
      Out.HasSequence = true;
    } else {
      Error = std::string("unknown option: ") + argv[i - 1];
      return false;
    }
  }
  if (Out.Port.empty()) {
    Error = "--port is missing";
    return false;
  }
  if (i >= argc) {
    Error = "COMMAND_HEX is missing";
    return false;
  }
  if (!ParseCommand(argv[i], Out.Command)) {
    Error = std::string("not a command byte (20 to FF, hexadecimal): ") + argv[i];
    return false;
  }
  Out.Fields.clear();
  for (++i; i < argc; ++i) {
    std::string field;
    if (!AppendConverted(field, argv[i], VXB::ASCII::FromUTF8)) {
      Error = std::string("field cannot be converted: ") + argv[i];
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
    text += "field\t" + std::to_string(n) + "\t" + ToTerminal(answer.GetField(n)) + "\n";
  }
  Out << text;
  Out.flush();
  return Out.good();
}

void WriteFailure(std::ostream& Err) {
  const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
  std::string line;
  if (e == nullptr || e->Error == VXB::Error::NO_CURRENT_ERROR) {
    line = "unknown: error";
  } else {
    line =
        std::string(VXB::Error::ToID(e->Error)) + ": " + ToTerminal(VXB::Error::ToString(e->Error));
    if (e->Context[0] != '\0') line += ": " + ToTerminal(e->Context);
  }
  Err << line << "\n";
  Err.flush();
}

int SendRaw(const SendRawRequest& Request, std::ostream& Out, std::ostream& Err) {
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
  if (!port.Open(Request.Port.c_str()) || !port.SetSerialParams(params)) {
    WriteFailure(Err);
    return 1;
  }
  VXP::VardexPacketProtocol protocol(true);
  protocol.Configure(Request.Retries, Request.Timeout);
  protocol.SetDriver(&port);
  const bool ok = ExchangeRaw(protocol, Request);
  if (!ok) {
    WriteFailure(Err);
  } else if (!WriteAnswer(Out, protocol)) {
    return 1;
  }
  protocol.RemoveDriver();
  return ok ? 0 : 1;
}

int RunSendRaw(int argc, const char* const* argv) {
  SendRawRequest request;
  bool help = false;
  std::string error;
  if (!ParseSendRaw(argc, argv, request, help, error)) {
    std::cerr << "zorbel-cli send-raw: " << error << "\n" << kSendRawHelp;
    return 2;
  }
  if (help) {
    std::cout << kSendRawHelp;
    return 0;
  }
  return SendRaw(request, std::cout, std::cerr);
}

}  // namespace ZorbelCli
