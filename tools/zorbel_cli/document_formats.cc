#include "zorbel_cli/document_formats.h"

#include "vxb/common/ascii.h"
#include "vxb/common/error.h"
#include "vxb/common/generic_json.h"

namespace ZorbelCli {

namespace {

class JsonDocumentReader : public DocumentReader {
 public:
  explicit JsonDocumentReader(VXB::Driver::Generic* Source) : json_(Source), tokens_(&json_) {
    tokens_.Reset();
  }
  VXB::GenericDataFormat::Reader& Tokens() override { return tokens_; }

 private:
  VXB::JSON::Reader json_;
  VXB::GenericDataFormat::JSON::Reader tokens_;
};

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

// The XML reader and writer join here.
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

std::unique_ptr<DocumentReader> MakeDocumentReader(DocumentFormat Format,
                                                   VXB::Driver::Generic* Source) {
  if (Format == DocumentFormat::JSON) return std::make_unique<JsonDocumentReader>(Source);
  NotAvailable(Format);
  return nullptr;
}

std::unique_ptr<DocumentWriter> MakeDocumentWriter(DocumentFormat Format,
                                                   VXB::Driver::Generic* Sink) {
  if (Format == DocumentFormat::JSON) return std::make_unique<JsonDocumentWriter>(Sink);
  NotAvailable(Format);
  return nullptr;
}

}  // namespace ZorbelCli
