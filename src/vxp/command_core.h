// The command core: one command document in, one answer document out, all
// in memory. It knows no HTTP or any other transport; the command pages
// (app/command_page.h) and `zorbel-cli convert` are its callers.
//
//   VXP::Zorbel::CommandRequest request;
//   request.ContentType = VXB::MIME::JSON;
//   request.Document = R"({"ConsultarEstado":{"Secuencia":"3"}})";
//   VXP::Zorbel::CommandAnswer answer;
//   VXP::Zorbel::RunCommand(request, &protocol, &debugger, answer);
//   // answer.Status, answer.ContentType, answer.Charset, answer.Document
//
// What RunCommand does, in order:
//  1. Chooses the format by ContentType: JSON or XML. Any other type is
//     answered with an HTML page titled "Error" (content type HTML, no
//     charset) and PROTOCOL_INVALID_CONTENT_TYPE.
//  2. Checks the request's character set: a Charset that names no set
//     Zorbel reads, or a JSON document in anything but UTF-8, is refused
//     with PROTOCOL_INVALID_ENCODING without reading the document. An XML
//     document is read in the set Charset names, else in the one its
//     declaration names, else in UTF-8.
//  3. Reads the document into Command (packet form).
//  4. Only with an exchange: a "Secuencia" outside 1..MAX_SEQUENCE is
//     refused with PROTOCOL_INVALID_SEQUENCE, one inside becomes the next
//     packet number (+SEQUENCE_OFFSET); a halted exchange refuses with
//     PROTOCOL_ABORTED; then the command is sent and the controller's
//     answer written as the answer document.
//  With an Idempotency-Key that is empty, longer than 255 bytes or holds a
//  control character, the answer is the error document with status 400
//  and nothing is sent.
//  Without an exchange the core stops after step 3: Command, Sequence and
//  SequenceGiven hold what was read, and Document stays empty.
//  Every failure after step 1 writes the error document instead, in the
//  request's format (zorbel.h).
//
// The answer is written in the request's format: JSON always in UTF-8; XML
// in UTF-8 when the request was read as UTF-8, else in ISO-8859-1; Charset
// tells which. Status is the HTTP-style status of the answer: 200 for
// every document, error documents included, but for the refusals of the
// Idempotency-Key (400, 409, 422).
//
// Failures: RunCommand returns false for every error document and HTML
// error page (Error and the calling thread's error record then hold the
// failure), and when writing the answer failed. Nothing is thrown.
//
// Thread safety: RunCommand uses readers and writers of its own for each
// call and keeps no state between calls, so calls on different threads
// are safe as long as they use different exchanges and debug channels. An
// exchange serves one command at a time; its Halt() may come from any
// thread, and a halted exchange sends nothing.
#ifndef VXP_COMMAND_CORE_H_
#define VXP_COMMAND_CORE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "vxb/common/format/mime.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"
#include "vxp/answer_journal.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vardex_packet_protocol.h"

namespace VXP::Zorbel {

// The largest command document a caller should hand over; a command of
// the catalogue with every field at its longest stays far below it.
inline constexpr std::size_t MAX_DOCUMENT_SIZE = 1u << 20;

// What a client sent.
struct CommandRequest {
  VXB::MIME::Types ContentType = VXB::MIME::UNKNOWN;
  // The character set as the client named it (a content type's charset
  // parameter); null or empty when it named none.
  const char* Charset = nullptr;
  // The document's bytes; not copied, they must outlive the call.
  std::string_view Document;
  // Who sent it, for the debug line "Cliente %s (%s)"; null for no line.
  const char* Client = nullptr;
  // The Idempotency-Key it carried (null: none), and whether it was too
  // long to be kept whole.
  const char* IdempotencyKey = nullptr;
  bool IdempotencyKeyTooLong = false;
};

// What the core answers, and what it made of the request.
struct CommandAnswer {
  unsigned Status = 200;
  VXB::MIME::Types ContentType = VXB::MIME::UNKNOWN;
  VXB::ASCII::Charsets Charset = VXB::ASCII::NO_CHARSET;
  std::string Document;

  // The command as read (command byte 0 when no command name was read).
  VardexDataContainer Command{0};
  bool SequenceGiven = false;
  unsigned Sequence = 0;  // the client's "Secuencia"
  // The command was handed to the exchange (it may have reached the
  // controller, even when the answer is an error document).
  bool Sent = false;
  // Answered from the journal: Document is the answer recorded then.
  bool Replayed = false;
  // The failure behind an error document; NO_CURRENT_ERROR otherwise.
  VXB::Error::ErrInfo Error;
};

// Runs one request (see the top of this file). Exchange may be null: the
// document is then only read. Debugger may be null (no traces); its ID is
// the command's name while the command runs and is put back before the
// call returns. Answer is overwritten whole.
bool RunCommand(const CommandRequest& Request, VardexPacketProtocol* Exchange,
                VXB::Debug::Debugger* Debugger, CommandAnswer& Answer);
// The same with an answer journal (may be null): a request it has answered
// before is answered from it (Replayed, nothing sent); a key used before
// with another document is refused with status 422, a key whose first
// request still runs with 409; every command sent is recorded before it
// goes out and its answer before the call returns, and a command that
// cannot be recorded is not sent. An answer the controller gave to a
// packet in doubt of an earlier request is recorded for that request.
bool RunCommand(const CommandRequest& Request, VardexPacketProtocol* Exchange,
                AnswerJournal* Journal, VXB::Debug::Debugger* Debugger, CommandAnswer& Answer);

// Puts the journal's unanswered last packet, if any, in doubt on Exchange,
// so that it is settled before the first new command (after a restart).
void RestoreDoubt(const AnswerJournal& Journal, VardexPacketProtocol& Exchange);

}  // namespace VXP::Zorbel

#endif  // VXP_COMMAND_CORE_H_
