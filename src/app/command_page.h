// The command pages' one contact with HTTP: the request's content type,
// charset and body go to the command core (vxp/command_core.h), and the
// core's answer goes back whole, with its Content-Length.
//
// A body over VXP::Zorbel::MAX_DOCUMENT_SIZE is refused with the status 413
// and the core is not called. Every other answer carries the core's status
// (200 for every document, error documents included; 400, 409 and 422 for
// a refused Idempotency-Key). An answer served from the journal carries
// the header "Zorbel-Replayed: 1".
//
// Thread safety: runs on the HTTP server's thread, inside a page functor;
// the protocol serves that thread alone, and a stop reaches it through its
// Halt() from any thread.
#ifndef APP_COMMAND_PAGE_H_
#define APP_COMMAND_PAGE_H_

#include "vxb/common/http/http_server.h"
#include "vxb/common/runtime/debug.h"
#include "vxp/answer_journal.h"
#include "vxp/command_core.h"
#include "vxp/vardex_packet_protocol.h"

namespace VXP::Zorbel {

// Processes the current request of Server: its document through the
// command core with Protocol as the exchange, Journal (may be null) as the
// answer journal and Debugger as the debug channel (its ID is put back
// afterwards). False for every error document
// or HTML error page, a refused body and a failed write.
bool ProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexPacketProtocol* Protocol, AnswerJournal* Journal = nullptr);
// The same, leaving in Answer what the core made of the request and what
// it answered (for the bridge's status and counts).
bool ProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexPacketProtocol* Protocol, AnswerJournal* Journal, CommandAnswer& Answer);

}  // namespace VXP::Zorbel

#endif  // APP_COMMAND_PAGE_H_
