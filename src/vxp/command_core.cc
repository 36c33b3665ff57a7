#include "vxp/command_core.h"

#include <cstdio>
#include <memory>

#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/format/generic_json.h"
#include "vxb/common/format/html.h"
#include "vxb/common/format/json_reader.h"
#include "vxb/common/format/json_writer.h"
#include "vxb/common/format/xml_generic.h"
#include "vxb/common/format/xml_reader.h"
#include "vxb/common/format/xml_writer.h"
#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/io/string_driver.h"
#include "vxp/format2packet.h"
#include "vxp/vxp_errno.h"
#include "vxp/zorbel.h"

namespace VXP::Zorbel {

namespace {

using VXB::ASCII::Charsets;

// The reader and writer of one document format over one request's bytes
// and one answer's text.
class Format {
 public:
  virtual ~Format() = default;
  virtual VXB::GenericDataFormat::Reader& Reader() = 0;
  virtual VXB::GenericDataFormat::Writer& Writer() = 0;
};

class JsonFormat final : public Format {
 public:
  JsonFormat(VXB::Driver::EncodedCharReader* in, VXB::Driver::EncodedStringWriter* out)
      : reader_(in), writer_(out), tokens_in_(&reader_), tokens_out_(&writer_) {
    tokens_in_.Reset();
    tokens_out_.Reset();
    tokens_out_.SetEncoding(VXB::ASCII::UTF8);
  }
  VXB::GenericDataFormat::Reader& Reader() override { return tokens_in_; }
  VXB::GenericDataFormat::Writer& Writer() override { return tokens_out_; }

 private:
  VXB::JSON::Reader reader_;
  VXB::JSON::Writer writer_;
  VXB::GenericDataFormat::JSON::Reader tokens_in_;
  VXB::GenericDataFormat::JSON::Writer tokens_out_;
};

class XmlFormat final : public Format {
 public:
  XmlFormat(VXB::Driver::EncodedCharReader* in, VXB::Driver::EncodedStringWriter* out)
      : reader_(in), writer_(out), tokens_in_(&reader_), tokens_out_(&writer_) {
    tokens_in_.Reset();
    tokens_out_.Reset();
  }
  VXB::GenericDataFormat::Reader& Reader() override { return tokens_in_; }
  VXB::GenericDataFormat::Writer& Writer() override { return tokens_out_; }

 private:
  VXB::XML::Reader reader_;
  VXB::XML::Writer writer_;
  VXB::GenericDataFormat::XML::Reader tokens_in_;
  VXB::GenericDataFormat::XML::Writer tokens_out_;
};

// Everything one call works with: the request's bytes as characters, the
// answer's text, and the format over both.
struct Call {
  explicit Call(std::string_view Document)
      : source(Document),
        chars(&source, VXB::ASCII::NO_CHARSET, VXB::ASCII::CP437, VXB::ASCII::NO_ENTITIES),
        text(&sink, VXB::ASCII::CP437, VXB::ASCII::LATIN1, VXB::ASCII::NO_ENTITIES) {}

  VXB::Driver::StringSource source;
  VXB::Driver::EncodedCharReaderFromGeneric chars;
  VXB::Driver::StringSink sink;
  VXB::Driver::EncodedStringWriterFromGeneric text;
  std::unique_ptr<Format> format;
};

// Checks the request's character set and reads the command. False with
// the thread's error record set.
bool ReadCommand(const CommandRequest& Request, VXB::GenericDataFormat::Reader& Reader,
                 VXB::Debug::Debugger* Debugger, CommandAnswer& Answer) {
  const char* named = Request.Charset != nullptr ? Request.Charset : "";
  Charsets charset = VXB::ASCII::NO_CHARSET;
  if (named[0] != 0 && !VXB::ASCII::FromString(named, charset)) {
    // Read in another set, the text would reach the receipt garbled.
    return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_ENCODING,
                                      "Juego de caracteres no soportado: %s", named);
  }
  if (Request.ContentType == VXB::MIME::JSON && charset != VXB::ASCII::NO_CHARSET &&
      charset != VXB::ASCII::UTF8) {
    return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_ENCODING,
                                      "Un documento JSON se lee en UTF-8, no en %s", named);
  }
  if (Request.ContentType == VXB::MIME::XML && charset != VXB::ASCII::NO_CHARSET)
    Reader.SetEncoding(charset);
  return FormatToPacket(&Reader, Answer.Command, Answer.Sequence, Answer.SequenceGiven, Debugger);
}

// The client's sequence number and the halt flag, then the exchange.
bool Exchange(VardexPacketProtocol& Protocol, CommandAnswer& Answer) {
  if (Answer.SequenceGiven) {
    if (Answer.Sequence == 0 || Answer.Sequence > MAX_SEQUENCE) {
      return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_SEQUENCE,
                                        "Secuencia inv\xA0lida (debe estar entre %u-%u)", 1u,
                                        MAX_SEQUENCE);
    }
    if (!Protocol.SetNextSequence(Answer.Sequence + SEQUENCE_OFFSET)) return false;
  }
  if (Protocol.IsHalted())
    return VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "Servicio detenido");
  Answer.Sent = true;
  return Protocol.SendCommand(Answer.Command);
}

bool WriteHTMLError(Call& c, VXB::Debug::Debugger* Debugger, const VXB::Error::ErrInfo& e,
                    CommandAnswer& Answer) {
  if (Debugger != nullptr) Debugger->Print("%s", e.Description);
  Answer.ContentType = VXB::MIME::HTML;
  Answer.Charset = VXB::ASCII::NO_CHARSET;
  VXB::HTML::Writer html(&c.text);
  if (html.Begin("Error")) {
    html.Text("%s", e.Description);
    html.End();
  }
  return false;
}

bool Run(const CommandRequest& Request, VardexPacketProtocol* Protocol,
         VXB::Debug::Debugger* Debugger, Call& c, CommandAnswer& Answer) {
  if (Request.ContentType == VXB::MIME::JSON) {
    c.format = std::make_unique<JsonFormat>(&c.chars, &c.text);
  } else if (Request.ContentType == VXB::MIME::XML) {
    c.format = std::make_unique<XmlFormat>(&c.chars, &c.text);
  } else {
    const char* name = VXB::MIME::ToString(Request.ContentType);
    VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_CONTENT_TYPE, "Formato %s no reconocido",
                               name != nullptr ? name : "?");
    Answer.Error = VXB::Error::GetCurrent();
    return WriteHTMLError(c, Debugger, Answer.Error, Answer);
  }
  if (Debugger != nullptr && Request.Client != nullptr)
    Debugger->Print("Cliente %s (%s)", Request.Client, VXB::MIME::ToString(Request.ContentType));
  VXB::GenericDataFormat::Reader& reader = c.format->Reader();
  VXB::GenericDataFormat::Writer& writer = c.format->Writer();
  bool ok = ReadCommand(Request, reader, Debugger, Answer);
  // The answer, an error document too, is written in the set the request
  // was read in, so that the client reads it back as it wrote.
  if (Request.ContentType == VXB::MIME::XML && reader.GetEncoding() != VXB::ASCII::NO_CHARSET)
    writer.SetEncoding(reader.GetEncoding());
  Answer.ContentType = Request.ContentType;
  Answer.Charset = writer.GetEncoding();
  if (ok && Protocol == nullptr) return true;
  if (ok) ok = Exchange(*Protocol, Answer);
  if (!ok) {
    Answer.Error = VXB::Error::GetCurrent();
    WriteLastError(writer, Debugger, Answer.Error, Answer.Command.GetCommand());
    return false;
  }
  if (Debugger != nullptr) Debugger->Print("OK");
  const unsigned received = Protocol->GetReceivedSequence();
  const unsigned sequence = received > SEQUENCE_OFFSET ? received - SEQUENCE_OFFSET : 0;
  return WriteAnswer(writer, Debugger, Protocol->GetAnswer(), Protocol->GetPrinterStatusWord(),
                     Protocol->GetFiscalStatusWord(), &sequence, Protocol->IsBusy());
}

}  // namespace

bool RunCommand(const CommandRequest& Request, VardexPacketProtocol* Exchange,
                VXB::Debug::Debugger* Debugger, CommandAnswer& Answer) {
  Answer = CommandAnswer{};
  char id[32] = {};
  if (Debugger != nullptr) std::snprintf(id, sizeof(id), "%s", Debugger->GetID());
  Call c(Request.Document);
  bool ok = Run(Request, Exchange, Debugger, c, Answer);
  // The writers flush when the document closes; an unfinished one (a
  // writer failure) is kept as far as it came.
  VXB::Error::Push();
  if (c.text.Buffered() > 0 && !c.text.Flush(VXB::Constants::WAIT_FOREVER)) ok = false;
  VXB::Error::Pop();
  Answer.Document = c.sink.Text();
  if (Answer.Error.Error != VXB::Error::NO_CURRENT_ERROR) VXB::Error::Set(Answer.Error);
  if (Debugger != nullptr) Debugger->SetID("%s", id);
  return ok;
}

}  // namespace VXP::Zorbel
