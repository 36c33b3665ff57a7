#include "zorbel_cli/convert.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "vxb/common/format/mime.h"
#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/text/charset.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/command_core.h"
#include "vxp/vxp_errno.h"
#include "vxp/vxp_translations.h"
#include "vxp/zorbel.h"
#include "zorbel_cli/send_raw.h"

namespace ZorbelCli {

const char* const kConvertHelp =
    "usage: zorbel-cli convert request [--format json|xml] [FILE|-]\n"
    "       zorbel-cli convert answer --format json|xml [--busy] [--sequence N]\n"
    "                          COMMAND_HEX PRINTER_HEX FISCAL_HEX [FIELD ...]\n"
    "       zorbel-cli convert answer --format json|xml --error SYMBOL [--context TEXT]\n"
    "                          COMMAND_HEX\n"
    "\n"
    "request: reads a command document (standard input for - or no FILE) and\n"
    "prints the packet the bridge would send, as tab-separated UTF-8 lines:\n"
    "  command   0x2A        the command byte\n"
    "  sequence  N           only when the document gave \"Secuencia\"\n"
    "  field     n  text     each packet field, from 0\n"
    "The format defaults from FILE's extension (.json, .xml). A refused\n"
    "document exits 1 with one line SYMBOL: description: context.\n"
    "Example:\n"
    "  echo '{\"ConsultarEstado\":{\"CodigoComprobante\":\"FacturaA\",\"Secuencia\":7}}' |\n"
    "    zorbel-cli convert request --format json\n"
    "  command   0x2A\n"
    "  sequence  7\n"
    "  field     0  1\n"
    "\n"
    "answer: prints the answer document the bridge writes for an answer with\n"
    "the command byte, the printer and fiscal status words (hexadecimal) and\n"
    "the answer fields in packet form. --busy names it \"ControladorOcupado\";\n"
    "--sequence adds \"Secuencia\". With --error it prints the error document\n"
    "for the error SYMBOL instead, inside the command's object when\n"
    "COMMAND_HEX names a command (00 for none).\n"
    "Examples:\n"
    "  zorbel-cli convert answer --format json --sequence 1 2A 0000 0000 0044 1 0 0 15 0 0\n"
    "  zorbel-cli convert answer --format json --error PROTOCOL_MAX_RETRIES\n"
    "    --context 'Se intent\xC3\xB3 enviar comando 3 veces' 2A\n";

namespace {

bool ParseHex(std::string_view s, unsigned& value, unsigned max_digits) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > max_digits) return false;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 16);
  return ec == std::errc() && ptr == s.data() + s.size();
}

bool ParseDecimal(std::string_view s, unsigned& value) {
  if (s.empty()) return false;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 10);
  return ec == std::errc() && ptr == s.data() + s.size();
}

// Piecewise, so texts of any length convert whole.
std::string Convert(std::string_view text, bool to_utf8) {
  std::string in(text), out;
  char buf[1024];
  const char* p = in.c_str();
  while (*p != 0) {
    VXB::ASCII::PartialConversion c =
        to_utf8 ? VXB::ASCII::ToCharsetPartially(p, buf, sizeof(buf), VXB::ASCII::UTF8,
                                                 VXB::ASCII::NO_ENTITIES)
                : VXB::ASCII::FromCharsetPartially(p, buf, sizeof(buf), VXB::ASCII::UTF8);
    if (c.Read == 0) break;
    out.append(buf, c.Written);
    p += c.Read;
  }
  return out;
}

std::string ToTerminal(const char* text) { return Convert(text, true); }
std::string FromTerminal(const char* text) { return Convert(text, false); }

bool ReadDocument(const std::string& path, std::string& text, std::string& error) {
  std::istream* in = &std::cin;
  std::ifstream file;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) {
      error = "cannot read " + path;
      return false;
    }
    in = &file;
  }
  text.clear();
  char buf[4096];
  while (*in) {
    in->read(buf, sizeof(buf));
    text.append(buf, static_cast<std::size_t>(in->gcount()));
    if (text.size() > MAX_DOCUMENT_SIZE) {
      error = "document larger than " + std::to_string(MAX_DOCUMENT_SIZE) + " bytes";
      return false;
    }
  }
  return true;
}

int Usage(const std::string& error) {
  std::cerr << "zorbel-cli convert: " << error << "\n" << kConvertHelp;
  return 2;
}

int RunRequest(int argc, const char* const* argv) {
  bool has_format = false;
  DocumentFormat format = DocumentFormat::JSON;
  std::string path = "-";
  bool has_path = false;
  for (int i = 0; i < argc; ++i) {
    std::string_view word(argv[i]);
    if (word == "--help" || word == "-h") {
      std::cout << kConvertHelp;
      return 0;
    }
    if (word == "--format") {
      if (i + 1 >= argc || !FormatFromName(argv[i + 1], format))
        return Usage("--format needs json or xml");
      has_format = true;
      ++i;
    } else if (word.size() > 1 && word[0] == '-' && word != "-") {
      return Usage("unknown option: " + std::string(word));
    } else if (has_path) {
      return Usage("more than one FILE");
    } else {
      path = word;
      has_path = true;
    }
  }
  if (!has_format && !FormatFromFileName(path, format))
    return Usage("--format is needed for " + (path == "-" ? std::string("standard input") : path));
  std::string text, error;
  if (!ReadDocument(path, text, error)) return Usage(error);
  return ConvertRequest(text, format, std::cout, std::cerr);
}

int RunAnswer(int argc, const char* const* argv) {
  AnswerRequest r;
  bool has_format = false;
  int i = 0;
  for (; i < argc; ++i) {
    std::string_view word(argv[i]);
    if (word == "--help" || word == "-h") {
      std::cout << kConvertHelp;
      return 0;
    }
    if (word.size() < 3 || word.substr(0, 2) != "--") break;
    if (word == "--busy") {
      r.Busy = true;
      continue;
    }
    if (i + 1 >= argc) return Usage("missing value for " + std::string(word));
    const char* value = argv[++i];
    if (word == "--format") {
      if (!FormatFromName(value, r.Format)) return Usage("--format needs json or xml");
      has_format = true;
    } else if (word == "--sequence") {
      if (!ParseDecimal(value, r.Sequence))
        return Usage("not a sequence number: " + std::string(value));
      r.HasSequence = true;
    } else if (word == "--error") {
      r.HasError = true;
      r.ErrorSymbol = value;
    } else if (word == "--context") {
      r.ErrorContext = FromTerminal(value);
    } else {
      return Usage("unknown option: " + std::string(word));
    }
  }
  if (!has_format) return Usage("--format is missing");
  unsigned command = 0, printer = 0, fiscal = 0;
  if (i >= argc || !ParseHex(argv[i], command, 2)) return Usage("COMMAND_HEX is missing or wrong");
  r.Command = static_cast<VXB::Byte>(command);
  ++i;
  if (!r.HasError || i < argc) {
    if (i + 1 >= argc || !ParseHex(argv[i], printer, 4) || !ParseHex(argv[i + 1], fiscal, 4))
      return Usage("PRINTER_HEX and FISCAL_HEX are missing or wrong");
    r.Printer = static_cast<VXB::Types::uint16>(printer);
    r.Fiscal = static_cast<VXB::Types::uint16>(fiscal);
    for (i += 2; i < argc; ++i) r.Fields.push_back(FromTerminal(argv[i]));
  }
  return ConvertAnswer(r, std::cout, std::cerr);
}

}  // namespace

bool WriteAnswerDocument(VXB::GenericDataFormat::Writer& w, const VXP::VardexDataContainer& Answer,
                         VXB::Types::uint16 PrinterStatus, VXB::Types::uint16 FiscalStatus,
                         const unsigned* Sequence, bool Busy) {
  return VXP::Zorbel::WriteAnswer(w, nullptr, Answer, PrinterStatus, FiscalStatus, Sequence, Busy);
}

bool WriteErrorDocument(VXB::GenericDataFormat::Writer& w, const VXB::Error::ErrInfo& e,
                        VXB::Byte Command) {
  return VXP::Zorbel::WriteLastError(w, nullptr, e, Command);
}

int ConvertRequest(std::string_view Document, DocumentFormat Format, std::ostream& Out,
                   std::ostream& Err) {
  // The bridge's own reading, with the exchange left out.
  VXP::Zorbel::CommandRequest request;
  request.ContentType = Format == DocumentFormat::XML ? VXB::MIME::XML : VXB::MIME::JSON;
  request.Document = Document;
  VXP::Zorbel::CommandAnswer answer;
  if (!VXP::Zorbel::RunCommand(request, nullptr, nullptr, answer)) {
    WriteFailure(Err);
    return 1;
  }
  const VXP::VardexDataContainer& packet = answer.Command;
  char command[8];
  std::snprintf(command, sizeof(command), "0x%02X", packet.GetCommand());
  std::string text = std::string("command\t") + command + "\n";
  if (answer.SequenceGiven) text += "sequence\t" + std::to_string(answer.Sequence) + "\n";
  for (unsigned n = 0; n < packet.GetNumberOfFields(); ++n)
    text += "field\t" + std::to_string(n) + "\t" + ToTerminal(packet.GetField(n)) + "\n";
  Out << text;
  Out.flush();
  return Out.good() ? 0 : 1;
}

int ConvertAnswer(const AnswerRequest& Request, std::ostream& Out, std::ostream& Err) {
  VXB::Driver::StringSink sink;
  std::unique_ptr<DocumentWriter> writer = MakeDocumentWriter(Request.Format, &sink);
  bool ok = writer != nullptr;
  if (ok && Request.HasError) {
    VXB::Error::ErrNo number = 0;
    if (!VXB::Error::FromID(Request.ErrorSymbol.c_str(), number)) {
      VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR, "Error %s desconocido",
                                 Request.ErrorSymbol.c_str());
      ok = false;
    } else {
      ok = WriteErrorDocument(writer->Tokens(),
                              VXB::Error::ErrInfo(number, Request.ErrorContext.c_str()),
                              Request.Command);
    }
  } else if (ok) {
    VXP::VardexDataContainer answer(Request.Command);
    for (const std::string& f : Request.Fields) answer.AddField("%s", f.c_str());
    ok = WriteAnswerDocument(writer->Tokens(), answer, Request.Printer, Request.Fiscal,
                             Request.HasSequence ? &Request.Sequence : nullptr, Request.Busy);
  }
  if (ok) ok = writer->Tokens().GetDriver()->Flush(VXB::Constants::WAIT_FOREVER);
  if (!ok) {
    WriteFailure(Err);
    return 1;
  }
  // The document is already in its own character set.
  Out << sink.Text() << "\n";
  Out.flush();
  return Out.good() ? 0 : 1;
}

int RunConvert(int argc, const char* const* argv) {
  if (argc < 1) return Usage("request or answer?");
  std::string_view what(argv[0]);
  if (what == "--help" || what == "-h" || what == "help") {
    std::cout << kConvertHelp;
    return 0;
  }
  if (what == "request") return RunRequest(argc - 1, argv + 1);
  if (what == "answer") return RunAnswer(argc - 1, argv + 1);
  return Usage("request or answer?");
}

}  // namespace ZorbelCli
