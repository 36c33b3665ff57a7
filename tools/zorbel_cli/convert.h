// `zorbel-cli convert`: shows what the bridge makes of a command document,
// and which answer document it writes, without a controller or a port.
//
//   convert request [--format json|xml] [FILE|-]
//     reads a command document (standard input for - or no FILE) and prints
//     the packet that would be sent, as tab-separated UTF-8 lines:
//       command   0x2A      the command byte
//       sequence  N         only when the document gave "Secuencia"
//       field     n  text   each packet field, n from 0
//     A refused document exits 1 with "SYMBOL: description: context" on
//     standard error.
//
//   convert answer --format json|xml [--busy] [--sequence N]
//                  COMMAND_HEX PRINTER_HEX FISCAL_HEX [FIELD ...]
//     prints the answer document for that answer (fields in UTF-8, in
//     packet form); with --error SYMBOL [--context TEXT] the error
//     document for that error instead, inside the command's object when
//     COMMAND_HEX names a command (PRINTER_HEX and FISCAL_HEX may then be
//     left out).
//
// The format defaults from the file name's extension. A command line that
// cannot be used gives the usage text and status 2.
//
// Thread safety: each function uses only its arguments and the calling
// thread's error record.
#ifndef TOOLS_ZORBEL_CLI_CONVERT_H_
#define TOOLS_ZORBEL_CLI_CONVERT_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/runtime/error.h"
#include "vxp/command_core.h"
#include "vxp/vardex_data_container.h"
#include "zorbel_cli/document_formats.h"

namespace ZorbelCli {

extern const char* const kConvertHelp;

// The largest document convert reads: the bridge's own bound.
inline constexpr std::size_t MAX_DOCUMENT_SIZE = VXP::Zorbel::MAX_DOCUMENT_SIZE;

// The answer envelope the bridge writes (through the bridge's own writer):
// an object named after the answer's command (its code name when the
// catalogue has none, or "ControladorOcupado" when Busy) holding "Secuencia" (when
// Sequence is not null), the status words and the answer fields.
bool WriteAnswerDocument(VXB::GenericDataFormat::Writer& w, const VXP::VardexDataContainer& Answer,
                         VXB::Types::uint16 PrinterStatus, VXB::Types::uint16 FiscalStatus,
                         const unsigned* Sequence, bool Busy);
// The error document: inside the command's object when Command is a known
// command, the object "Error" with "Identificador", "Descripcion" and
// "Contexto".
bool WriteErrorDocument(VXB::GenericDataFormat::Writer& w, const VXB::Error::ErrInfo& e,
                        VXB::Byte Command);

// Reads Document and prints the packet lines (status 0), or the failure
// line (status 1).
int ConvertRequest(std::string_view Document, DocumentFormat Format, std::ostream& Out,
                   std::ostream& Err);

struct AnswerRequest {
  DocumentFormat Format = DocumentFormat::JSON;
  bool Busy = false;
  bool HasSequence = false;
  unsigned Sequence = 0;
  VXB::Byte Command = 0;
  VXB::Types::uint16 Printer = 0;
  VXB::Types::uint16 Fiscal = 0;
  std::vector<std::string> Fields;  // in the internal character set
  bool HasError = false;
  std::string ErrorSymbol;
  std::string ErrorContext;  // in the internal character set
};

// Prints the answer (or error) document; status 0, or 1 with the failure
// line.
int ConvertAnswer(const AnswerRequest& Request, std::ostream& Out, std::ostream& Err);

// The subcommand: args are the words after "convert".
int RunConvert(int argc, const char* const* argv);

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_CONVERT_H_
