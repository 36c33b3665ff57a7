#include "zorbel_cli/document_formats.h"

#include "vxb/common/base/ascii.h"
#include "vxb/common/format/generic_json.h"
#include "vxb/common/format/xml_generic.h"
#include "vxb/common/runtime/error.h"

namespace ZorbelCli {

namespace {

class JsonDocumentWriter : public DocumentWriter {
 public:
  explicit JsonDocumentWriter(VXB::Driver::Generic* Sink) : json_(Sink), tokens_(&json_) {
    tokens_.Reset();
  }
  VXB::GenericDataFormat::Writer& Tokens() override { return tokens_; }

 private:
  VXB::JSON::Writer json_;
  VXB::GenericDataFormat::JSON::Writer tokens_;
};

// Writes UTF-8, for the terminal.
class XmlDocumentWriter : public DocumentWriter {
 public:
  explicit XmlDocumentWriter(VXB::Driver::Generic* Sink) : xml_(Sink), tokens_(&xml_) {
    tokens_.Reset();
    tokens_.SetEncoding(VXB::ASCII::UTF8);
  }
  VXB::GenericDataFormat::Writer& Tokens() override { return tokens_; }

 private:
  VXB::XML::Writer xml_;
  VXB::GenericDataFormat::XML::Writer tokens_;
};

bool NotAvailable(DocumentFormat Format) {
  return VXB::Error::SetWithContext(VXB::Error::IO_NOT_IMPLEMENTED, "%s",
                                    Format == DocumentFormat::XML ? "XML" : "?");
}

}  // namespace

bool FormatFromName(std::string_view Name, DocumentFormat& Format) {
  if (VXB::ASCII::EqualsIgnoringCase(Name, "json")) {
    Format = DocumentFormat::JSON;
    return true;
  }
  if (VXB::ASCII::EqualsIgnoringCase(Name, "xml")) {
    Format = DocumentFormat::XML;
    return true;
  }
  return false;
}

bool FormatFromFileName(std::string_view FileName, DocumentFormat& Format) {
  std::size_t dot = FileName.rfind('.');
  std::size_t slash = FileName.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return false;
  return FormatFromName(FileName.substr(dot + 1), Format);
}

std::unique_ptr<DocumentWriter> MakeDocumentWriter(DocumentFormat Format,
                                                   VXB::Driver::Generic* Sink) {
  if (Format == DocumentFormat::JSON) return std::make_unique<JsonDocumentWriter>(Sink);
  if (Format == DocumentFormat::XML) return std::make_unique<XmlDocumentWriter>(Sink);
  NotAvailable(Format);
  return nullptr;
}

}  // namespace ZorbelCli
