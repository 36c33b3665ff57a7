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
#include "vxb/common/runtime/log.h"
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
  // The answer came from the journal (it is in the CommandAnswer already).
  bool replayed = false;
  // The journal's entry for the command sent (0: none).
  std::uint64_t entry = 0;
};

std::unique_ptr<Format> FormatFor(VXB::MIME::Types Type, Call& c) {
  if (Type == VXB::MIME::JSON) return std::make_unique<JsonFormat>(&c.chars, &c.text);
  if (Type == VXB::MIME::XML) return std::make_unique<XmlFormat>(&c.chars, &c.text);
  return nullptr;
}

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

// The answer the controller gave to a packet in doubt, written for the
// request that sent it, in that request's format, into the journal; true
// when it was recorded.
bool RecordResolved(AnswerJournal& Journal, VardexPacketProtocol& Protocol,
                    VXB::Debug::Debugger* Debugger) {
  ResolvedDoubt r;
  if (!Protocol.TakeResolvedDoubt(r)) return false;
  JournalEntry e;
  if (!Journal.FindUnanswered(r.Number, PacketDigest(r.Command), e)) return false;
  Call c("");
  const auto type = static_cast<VXB::MIME::Types>(e.ContentType);
  c.format = FormatFor(type, c);
  if (c.format == nullptr) return false;
  VXB::GenericDataFormat::Writer& writer = c.format->Writer();
  if (type == VXB::MIME::XML) writer.SetEncoding(static_cast<Charsets>(e.Charset));
  const unsigned sequence = r.Number > SEQUENCE_OFFSET ? r.Number - SEQUENCE_OFFSET : 0;
  VXB::Error::Push();
  bool ok = WriteAnswer(writer, nullptr, r.Answer, r.PrinterStatusWord, r.FiscalStatusWord,
                        &sequence, r.Busy);
  if (c.text.Buffered() > 0 && !c.text.Flush(VXB::Constants::WAIT_FOREVER)) ok = false;
  if (ok) {
    Journal.Finish(e.Id, JournalEntry::Outcomes::ANSWERED, 200, type, writer.GetEncoding(),
                   c.sink.Text());
    if (Debugger != nullptr)
      Debugger->Print("Respuesta del paquete %u en duda registrada", r.Number);
  }
  VXB::Error::Pop();
  return ok;
}

// The journal's verdict on a request: true to go on and send it; false
// when it was answered from the journal (c.replayed) or refused.
bool Consult(AnswerJournal& Journal, const CommandRequest& Request, Call& c,
             CommandAnswer& Answer) {
  JournalEntry e;
  const char* key = Request.IdempotencyKey != nullptr ? Request.IdempotencyKey : "";
  switch (Journal.Check(key, Answer.SequenceGiven, Answer.Sequence, PacketDigest(Answer.Command),
                        Request.Client, e)) {
    case AnswerJournal::Verdict::SEND:
      return true;
    case AnswerJournal::Verdict::REPLAY:
      c.replayed = true;
      Answer.Replayed = true;
      Answer.Status = e.Status;
      Answer.ContentType = static_cast<VXB::MIME::Types>(e.AnswerType);
      Answer.Charset = static_cast<Charsets>(e.AnswerCharset);
      Answer.Document = e.Document;
      return false;
    case AnswerJournal::Verdict::KEY_REUSED:
      Answer.Status = 422;
      return VXB::Error::SetWithContext(Error::PROTOCOL_PACKET_REJECTED,
                                        "Idempotency-Key ya usada con otro documento");
    case AnswerJournal::Verdict::KEY_RUNNING:
      Answer.Status = 409;
      return VXB::Error::SetWithContext(Error::PROTOCOL_PACKET_REJECTED,
                                        "Idempotency-Key de un comando en curso");
  }
  return true;
}

// The intent, before the packet goes out.
bool BeginEntry(AnswerJournal& Journal, const CommandRequest& Request,
                const VardexPacketProtocol& Protocol, Call& c, CommandAnswer& Answer) {
  JournalEntry e;
  e.Client = Request.Client != nullptr ? Request.Client : "";
  e.Key = Request.IdempotencyKey != nullptr ? Request.IdempotencyKey : "";
  e.SequenceGiven = Answer.SequenceGiven;
  e.Sequence = Answer.Sequence;
  e.Digest = PacketDigest(Answer.Command);
  e.PacketNumber = Protocol.GetNextSequence();
  e.Command = Answer.Command.GetCommand();
  e.Encoding = Answer.Command.GetEncoding();
  unsigned size = 0;
  const VXB::Byte* fields = Answer.Command.GetData().GetBinary(size);
  if (fields != nullptr) e.Fields.assign(reinterpret_cast<const char*>(fields), size);
  e.ContentType = Answer.ContentType;
  e.Charset = Answer.Charset;
  if (!Journal.Begin(e)) {
    VXB::Log::Write("No se pudo registrar el comando en el diario: %s",
                    VXB::Error::GetCurrent().Description);
    return VXB::Error::SetWithContext(Error::PROTOCOL_COMMAND_REJECTED,
                                      "No se pudo registrar el comando en el diario");
  }
  c.entry = e.Id;
  return true;
}

// The client's sequence number and the halt flag, the journal, then the
// exchange.
bool Exchange(const CommandRequest& Request, VardexPacketProtocol& Protocol, AnswerJournal* Journal,
              VXB::Debug::Debugger* Debugger, Call& c, CommandAnswer& Answer) {
  if (Answer.SequenceGiven) {
    if (Answer.Sequence == 0 || Answer.Sequence > MAX_SEQUENCE) {
      return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_SEQUENCE,
                                        "Secuencia inv\xA0lida (debe estar entre %u-%u)", 1u,
                                        MAX_SEQUENCE);
    }
  }
  if (Journal != nullptr && !Consult(*Journal, Request, c, Answer)) return false;
  if (Answer.SequenceGiven && !Protocol.SetNextSequence(Answer.Sequence + SEQUENCE_OFFSET))
    return false;
  if (Protocol.IsHalted())
    return VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "Servicio detenido");
  if (Journal != nullptr) {
    const bool settled = Protocol.SettleDoubt(Answer.Command);
    // The packet in doubt may have been this very request's, sent before
    // a restart under a number the new run does not give it: the answer
    // just recorded is its answer, and sending it again would execute it
    // twice.
    if (RecordResolved(*Journal, Protocol, Debugger) && settled &&
        !Consult(*Journal, Request, c, Answer))
      return false;
    if (!settled || !BeginEntry(*Journal, Request, Protocol, c, Answer)) return false;
  }
  Answer.Sent = true;
  return Protocol.SendCommand(Answer.Command);
}

// The answer as sent goes into the journal before the client gets it.
void FinishEntry(AnswerJournal& Journal, VardexPacketProtocol& Protocol, const Call& c,
                 bool Answered, const CommandAnswer& Answer) {
  if (c.entry == 0) return;
  JournalEntry::Outcomes outcome = JournalEntry::Outcomes::ANSWERED;
  if (!Answered) {
    const DoubtStatus& d = Protocol.GetDoubtStatus();
    outcome = d.InDoubt ? JournalEntry::Outcomes::IN_DOUBT : JournalEntry::Outcomes::FAILED;
  }
  if (!Journal.Finish(c.entry, outcome, Answer.Status, Answer.ContentType, Answer.Charset,
                      Answer.Document))
    VXB::Log::Write("No se pudo registrar la respuesta en el diario: %s",
                    VXB::Error::GetCurrent().Description);
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

bool Run(const CommandRequest& Request, VardexPacketProtocol* Protocol, AnswerJournal* Journal,
         VXB::Debug::Debugger* Debugger, Call& c, CommandAnswer& Answer) {
  c.format = FormatFor(Request.ContentType, c);
  if (c.format == nullptr) {
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
  if (ok && Request.IdempotencyKey != nullptr &&
      (Request.IdempotencyKeyTooLong || !ValidIdempotencyKey(Request.IdempotencyKey))) {
    Answer.Status = 400;
    ok = VXB::Error::SetWithContext(Error::PROTOCOL_SYNTAX_ERROR,
                                    "Idempotency-Key inv\xA0lida (1 a %u caracteres visibles)",
                                    static_cast<unsigned>(MAX_IDEMPOTENCY_KEY));
  }
  if (ok) ok = Exchange(Request, *Protocol, Journal, Debugger, c, Answer);
  if (c.replayed) {
    if (Debugger != nullptr) Debugger->Print("Respuesta repetida del diario");
    return true;
  }
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
  return RunCommand(Request, Exchange, nullptr, Debugger, Answer);
}

void RestoreDoubt(const AnswerJournal& Journal, VardexPacketProtocol& Exchange) {
  JournalEntry e;
  if (!Journal.LastUnanswered(e) || e.Outcome == JournalEntry::Outcomes::FAILED) return;
  VardexDataContainer packet(e.Command);
  packet.SetEncoding(static_cast<Charsets>(e.Encoding));
  // The fields as they were joined by FS, one by one.
  std::size_t from = 0;
  while (!e.Fields.empty() && from <= e.Fields.size()) {
    std::size_t to = e.Fields.find(VardexDataContainer::FIELD_SEPARATOR, from);
    if (to == std::string::npos) to = e.Fields.size();
    packet.AddField("%.*s", static_cast<int>(to - from), e.Fields.c_str() + from);
    from = to + 1;
  }
  Exchange.SetDoubt(packet, static_cast<VXB::Byte>(e.PacketNumber));
}

bool RunCommand(const CommandRequest& Request, VardexPacketProtocol* Exchange,
                AnswerJournal* Journal, VXB::Debug::Debugger* Debugger, CommandAnswer& Answer) {
  Answer = CommandAnswer{};
  char id[32] = {};
  if (Debugger != nullptr) std::snprintf(id, sizeof(id), "%s", Debugger->GetID());
  Call c(Request.Document);
  bool ok = Run(Request, Exchange, Journal, Debugger, c, Answer);
  if (c.replayed) {
    if (Debugger != nullptr) Debugger->SetID("%s", id);
    return true;
  }
  // The writers flush when the document closes; an unfinished one (a
  // writer failure) is kept as far as it came.
  VXB::Error::Push();
  if (c.text.Buffered() > 0 && !c.text.Flush(VXB::Constants::WAIT_FOREVER)) ok = false;
  VXB::Error::Pop();
  Answer.Document = c.sink.Text();
  if (Journal != nullptr && Exchange != nullptr)
    FinishEntry(*Journal, *Exchange, c, ok && Answer.Error.Error == VXB::Error::NO_CURRENT_ERROR,
                Answer);
  if (Answer.Error.Error != VXB::Error::NO_CURRENT_ERROR) VXB::Error::Set(Answer.Error);
  if (Debugger != nullptr) Debugger->SetID("%s", id);
  return ok;
}

}  // namespace VXP::Zorbel
