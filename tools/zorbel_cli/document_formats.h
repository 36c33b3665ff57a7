// The command-document formats zorbel-cli knows, and the token-stream
// writers it builds for each over an in-memory text (documents are read by
// the command core, vxp/command_core.h).
//
// Thread safety: each object is used by one thread.
#ifndef TOOLS_ZORBEL_CLI_DOCUMENT_FORMATS_H_
#define TOOLS_ZORBEL_CLI_DOCUMENT_FORMATS_H_

#include <memory>
#include <string_view>

#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/io/driver.h"

namespace ZorbelCli {

enum class DocumentFormat { JSON, XML };

// "json" or "xml", letter case ignored.
bool FormatFromName(std::string_view Name, DocumentFormat& Format);
// By the file name's extension (.json, .xml, letter case ignored).
bool FormatFromFileName(std::string_view FileName, DocumentFormat& Format);

// A token writer with the format objects beneath it, writing to a byte sink
// that must outlive it. Output is flushed when the document closes.
class DocumentWriter {
 public:
  virtual ~DocumentWriter() = default;
  virtual VXB::GenericDataFormat::Writer& Tokens() = 0;
};

// Null, with the thread's error record set, for a format this build cannot
// read or write.
std::unique_ptr<DocumentWriter> MakeDocumentWriter(DocumentFormat Format,
                                                   VXB::Driver::Generic* Sink);

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_DOCUMENT_FORMATS_H_
