#include "app/command_page.h"

#include <string>

#include "vxb/common/format/mime.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"
#include "vxp/command_core.h"

namespace VXP::Zorbel {

bool ProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexPacketProtocol* Protocol, AnswerJournal* Journal) {
  CommandAnswer answer;
  return ProcessCommand(Server, Debugger, Protocol, Journal, answer);
}

bool ProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexPacketProtocol* Protocol, AnswerJournal* Journal, CommandAnswer& answer) {
  std::string body;
  if (!Server->ReadBody(body, MAX_DOCUMENT_SIZE)) {
    if (Debugger != nullptr)
      Debugger->Print("%s (%s)", VXB::Error::GetCurrent().Description,
                      VXB::Error::GetCurrent().Context);
    answer.Status = 413;
    answer.Error = VXB::Error::GetCurrent();
    Server->SendAnswer(413, VXB::MIME::ASCII, VXB::ASCII::NO_CHARSET, "");
    return false;
  }
  VXB::MIME::Types type = VXB::MIME::UNKNOWN;
  VXB::ASCII::Charsets charset = VXB::ASCII::NO_CHARSET;
  Server->GetContent(type, charset);
  CommandRequest request;
  request.ContentType = type;
  request.Charset = Server->GetRequestCharset();
  request.Document = body;
  request.Client = Server->GetClientAddress();
  request.IdempotencyKey = Server->GetIdempotencyKey(request.IdempotencyKeyTooLong);
  const bool ok = RunCommand(request, Protocol, Journal, Debugger, answer);
  if (answer.Replayed && !Server->AddHeader("Zorbel-Replayed: 1")) return false;
  if (!Server->SendAnswer(answer.Status, answer.ContentType, answer.Charset, answer.Document))
    return false;
  return ok;
}

}  // namespace VXP::Zorbel
