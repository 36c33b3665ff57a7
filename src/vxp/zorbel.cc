#include "vxp/zorbel.h"

#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/format/mime.h"
#include "vxb/common/text/charset.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/format2packet.h"
#include "vxp/vxp_errno.h"
#include "vxp/vxp_translations.h"

namespace VXP::Zorbel {

namespace {

namespace RG3561 = Argentina::RG3561;
namespace P = Translations::PROTOCOL;
using Translations::Get;

// The reader and writer of one request, and what the client asked.
struct Components {
  VXB::GenericDataFormat::Reader* Reader = nullptr;
  VXB::GenericDataFormat::Writer* Writer = nullptr;
  bool SequenceGiven = false;
  unsigned Sequence = 0;
};

// Chooses the reader and writer by the request's content type and reads
// the command. False with the thread's error record set; Writer stays null
// only for an unknown content type.
bool OpenComponents(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexDataContainer& CommandData, Components& c) {
  VXB::MIME::Types type = VXB::MIME::UNKNOWN;
  VXB::ASCII::Charsets charset = VXB::ASCII::NO_CHARSET;
  const bool charset_known = Server->GetContent(type, charset);
  if (type == VXB::MIME::XML) {
    c.Writer = &Server->GetXMLWriter();
    c.Reader = &Server->GetXMLReader();
    c.Reader->Reset();
    c.Writer->Reset();
    if (charset != VXB::ASCII::NO_CHARSET) c.Reader->SetEncoding(charset);
  } else if (type == VXB::MIME::JSON) {
    c.Writer = &Server->GetJSONWriter();
    c.Reader = &Server->GetJSONReader();
    c.Reader->Reset();
    c.Writer->Reset();
    c.Writer->SetEncoding(VXB::ASCII::UTF8);
  } else {
    const char* name = VXB::MIME::ToString(type);
    return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_CONTENT_TYPE,
                                      "Formato %s no reconocido", name != nullptr ? name : "?");
  }
  if (Debugger != nullptr)
    Debugger->Print("Cliente %s (%s)", Server->GetClientAddress(), VXB::MIME::ToString(type));
  bool read = false;
  if (!charset_known) {
    // Read in another set, the text would reach the receipt garbled.
    VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_ENCODING,
                               "Juego de caracteres no soportado: %s", Server->GetRequestCharset());
  } else if (type == VXB::MIME::JSON && charset != VXB::ASCII::NO_CHARSET &&
             charset != VXB::ASCII::UTF8) {
    VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_ENCODING,
                               "Un documento JSON se lee en UTF-8, no en %s",
                               Server->GetRequestCharset());
  } else {
    read = FormatToPacket(c.Reader, CommandData, c.Sequence, c.SequenceGiven, Debugger);
  }
  // The answer (also an error document) is written in the request's own
  // character set and under its format's content type.
  VXB::Error::Push();
  if (type == VXB::MIME::XML) {
    VXB::ASCII::Charsets in = c.Reader->GetEncoding();
    if (in != VXB::ASCII::NO_CHARSET) c.Writer->SetEncoding(in);
  }
  Server->SetContent(type, c.Writer->GetEncoding());
  VXB::Error::Pop();
  return read;
}

bool SendHTMLError(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                   const VXB::Error::ErrInfo& e) {
  if (Debugger != nullptr) Debugger->Print("%s", e.Description);
  Server->SetContent(VXB::MIME::HTML, VXB::ASCII::NO_CHARSET);
  VXB::HTML::Writer& html = Server->GetHTML();
  if (html.Begin("Error")) {
    html.Text("%s", e.Description);
    html.End();
  }
  return false;
}

bool DoProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                      VardexPacketProtocol* Protocol) {
  VardexDataContainer command(0);
  Components c;
  bool ok = OpenComponents(Server, Debugger, command, c);
  if (ok && c.SequenceGiven) {
    if (c.Sequence == 0 || c.Sequence > MAX_SEQUENCE) {
      ok = VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_SEQUENCE,
                                      "Secuencia inv\xA0lida (debe estar entre %u-%u)", 1u,
                                      MAX_SEQUENCE);
    } else {
      ok = Protocol->SetNextSequence(c.Sequence + SEQUENCE_OFFSET);
    }
  }
  if (ok && Protocol->IsHalted())
    ok = VXB::Error::SetWithContext(Error::PROTOCOL_ABORTED, "Servicio detenido");
  if (!ok) {
    const VXB::Error::ErrInfo e = VXB::Error::GetCurrent();
    if (c.Writer == nullptr) return SendHTMLError(Server, Debugger, e);
    WriteLastError(*c.Writer, Debugger, e, command.GetCommand());
    return false;
  }
  if (!Protocol->SendCommand(command)) {
    const VXB::Error::ErrInfo e = VXB::Error::GetCurrent();
    WriteLastError(*c.Writer, Debugger, e, command.GetCommand());
    return false;
  }
  if (Debugger != nullptr) Debugger->Print("OK");
  const unsigned received = Protocol->GetReceivedSequence();
  const unsigned sequence = received > SEQUENCE_OFFSET ? received - SEQUENCE_OFFSET : 0;
  return WriteAnswer(*c.Writer, Debugger, Protocol->GetAnswer(), Protocol->GetPrinterStatusWord(),
                     Protocol->GetFiscalStatusWord(), &sequence, Protocol->IsBusy());
}

}  // namespace

bool WriteAnswer(VXB::GenericDataFormat::Writer& w, VXB::Debug::Debugger* Debugger,
                 const VardexDataContainer& Data, VXB::Types::uint16 PrinterStatus,
                 VXB::Types::uint16 FiscalStatus, const unsigned* Sequence, bool Busy) {
  const char* name = Busy
                         ? Get(P::BUSY_STATE)
                         : RG3561::ToStringOrCode(static_cast<RG3561::Comandos>(Data.GetCommand()));
  if (!w.OpenObject(name)) return false;
  if (Sequence != nullptr &&
      !w.NameValue(Get(P::SEQUENCE_NUMBER),
                   VXB::ASCII::ToString(static_cast<std::uint32_t>(*Sequence))))
    return false;
  if (!FormatFromPacket(&w, Data, RG3561::Estado::Impresora(PrinterStatus),
                        RG3561::Estado::Fiscal(FiscalStatus), Debugger))
    return false;
  return w.CloseObject();
}

bool WriteLastError(VXB::GenericDataFormat::Writer& w, VXB::Debug::Debugger* Debugger,
                    const VXB::Error::ErrInfo& e, VXB::Byte Command) {
  const char* command = RG3561::ToString(static_cast<RG3561::Comandos>(Command));
  if (command != nullptr && !w.OpenObject(command)) return false;
  if (!w.OpenObject(Get(P::ERROR)) ||
      !w.NameValue(Get(P::ERROR_IDENTIFIER), VXB::Error::ToID(e.Error)) ||
      !w.NameValue(Get(P::ERROR_DESCRIPTION), e.Description) ||
      !w.NameValue(Get(P::ERROR_CONTEXT), e.Context) || !w.CloseObject())
    return false;
  if (Debugger != nullptr) Debugger->Print("Error: %s (%s)", e.Description, e.Context);
  return command == nullptr || w.CloseObject();
}

bool ProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexPacketProtocol* Protocol) {
  char id[32] = {};
  if (Debugger != nullptr) std::snprintf(id, sizeof(id), "%s", Debugger->GetID());
  VXB::GenericDataFormat::Writer& xml = Server->GetXMLWriter();
  VXB::GenericDataFormat::Writer& json = Server->GetJSONWriter();
  const VXB::ASCII::Charsets xml_encoding = xml.GetEncoding();
  const VXB::ASCII::Charsets json_encoding = json.GetEncoding();

  const bool ok = DoProcessCommand(Server, Debugger, Protocol);

  xml.SetEncoding(xml_encoding);
  json.SetEncoding(json_encoding);
  xml.Reset();
  json.Reset();
  Server->GetXMLReader().Reset();
  Server->GetJSONReader().Reset();
  if (Debugger != nullptr) Debugger->SetID("%s", id);
  return ok;
}

}  // namespace VXP::Zorbel
