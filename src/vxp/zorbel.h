// The bridge's answer and error documents, written through a generic
// token writer (JSON or XML), and the rule that maps a client's sequence
// number onto packet numbers. The command core (command_core.h) writes
// its answers with them; `zorbel-cli convert answer` too.
//
// A "Secuencia" of 1..MAX_SEQUENCE becomes packet number + SEQUENCE_OFFSET,
// so a client that resends a document with the same number after a lost
// answer is not executed twice; the answer reports the controller's packet
// number - SEQUENCE_OFFSET.
//
// Thread safety: the functions use only their arguments (the writer and
// debug channel are used by one thread at a time) and the calling thread's
// error record.
#ifndef VXP_ZORBEL_H_
#define VXP_ZORBEL_H_

#include "vxb/common/base/types.h"
#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vardex_data_container.h"

namespace VXP::Zorbel {

// The highest sequence number a client may give.
inline constexpr unsigned MAX_SEQUENCE = 90;
// Client number + SEQUENCE_OFFSET = packet number.
inline constexpr unsigned SEQUENCE_OFFSET = 31;

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
