// Command processing of the bridge's command pages: one HTTP request
// carrying a JSON or XML command document goes to the fiscal controller and
// its answer (or an error document) goes back in the same format.
//
// The format follows the request's content type (application/json or
// text/xml, whatever the page name); any other type is answered with an
// HTML page titled "Error". A "Secuencia" of 1..90 becomes packet number
// +31, so a client that resends a document with the same number after a
// lost answer is not executed twice. Every failure after the format was
// chosen (unreadable document, bad sequence, refused or aborted exchange)
// answers with the error document, with the content type of its format.
//
// Thread safety: runs on the HTTP server's thread, which serves one request
// at a time; the server's readers, writers and the debug channel's ID are
// put back as they were after every request. A stop comes through the
// protocol's Halt() from any thread: a halted protocol sends nothing, and
// the request is answered with PROTOCOL_ABORTED.
#ifndef VXP_ZORBEL_H_
#define VXP_ZORBEL_H_

#include "vxb/common/base/types.h"
#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/http/http_server.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vardex_packet_protocol.h"

namespace VXP::Zorbel {

// The highest sequence number a client may give.
inline constexpr unsigned MAX_SEQUENCE = 90;
// Client number + SEQUENCE_OFFSET = packet number.
inline constexpr unsigned SEQUENCE_OFFSET = 31;

// Processes the current request of Server. False for every error document
// or HTML error page and for a writer failure.
bool ProcessCommand(VXB::HTTP::Server* Server, VXB::Debug::Debugger* Debugger,
                    VardexPacketProtocol* Protocol);

// The answer document: an object named after the answer's command (its
// ToStringOrCode name when the catalogue has none), or "ControladorOcupado"
// when Busy, holding "Secuencia" (when Sequence is not null), the status
// words and the answer fields.
bool WriteAnswer(VXB::GenericDataFormat::Writer& w, VXB::Debug::Debugger* Debugger,
                 const VardexDataContainer& Data, VXB::Types::uint16 PrinterStatus,
                 VXB::Types::uint16 FiscalStatus, const unsigned* Sequence, bool Busy);

// The error document: the object "Error" with "Identificador",
// "Descripcion" and "Contexto", inside the command's object when Command is
// a known command.
bool WriteLastError(VXB::GenericDataFormat::Writer& w, VXB::Debug::Debugger* Debugger,
                    const VXB::Error::ErrInfo& e, VXB::Byte Command);

}  // namespace VXP::Zorbel

#endif  // VXP_ZORBEL_H_
