// Conversion between command documents and the controller's packets,
// guided only by the command catalogue: every name, field number, type and
// value form comes from it.
//
// FormatToPacket reads one command document from a token reader (JSON or
// XML alike) into a container: the command byte and the fields in packet
// form. A document that ends or breaks before the command's close, a field
// value holding a byte that frames packets (STX, ETX, ACK, NAK, DC2, DC4,
// ESC, the field separator), and a "Secuencia" member that is not a plain
// decimal number are refused: nothing half-read is ever returned as a
// command. Unknown single-valued members are only traced.
//
// FormatFromPacket writes the status words and the named answer fields of
// a received answer through a token writer, inside the command object that
// its caller opened; it fails only when the writer fails.
//
// Failures are recorded in the calling thread's error record (reader errors
// pass through unchanged). Traces go to the given debug channel, when not
// null.
//
// Thread safety: reentrant; each call uses its own reader/writer and
// container.
#ifndef VXP_FORMAT2PACKET_H_
#define VXP_FORMAT2PACKET_H_

#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/runtime/debug.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/vardex_data_container.h"

namespace VXP {

// The member that carries the client's sequence number (letter case
// ignored); it never becomes a packet field.
inline constexpr const char* SEQUENCE_MEMBER = "Secuencia";

// Reads the command. CommandData becomes a fresh container for the command
// (encoding CP437) holding its fields. SequenceGiven tells whether the
// document had a "Secuencia" member; Sequence is set only then, to its
// value: digits only, blanks around them ignored, at most 4294967294
// (anything else is PROTOCOL_INVALID_SEQUENCE).
bool FormatToPacket(VXB::GenericDataFormat::Reader* r, VardexDataContainer& CommandData,
                    unsigned& Sequence, bool& SequenceGiven, VXB::Debug::Debugger* Debugger);
// The same without telling whether a sequence was given (Sequence keeps
// its value when none was).
bool FormatToPacket(VXB::GenericDataFormat::Reader* r, VardexDataContainer& CommandData,
                    unsigned& Sequence, VXB::Debug::Debugger* Debugger);

// Writes the object "Estado" with the arrays "Impresora" and "Fiscal" (the
// names of the set bits), then one member per named answer field: a list
// of bit names for a bit word, else the value in symbolic form.
bool FormatFromPacket(VXB::GenericDataFormat::Writer* w, const VardexDataContainer& Answer,
                      const Argentina::RG3561::Estado::Impresora& EstadoImpresora,
                      const Argentina::RG3561::Estado::Fiscal& EstadoFiscal,
                      VXB::Debug::Debugger* Debugger);

// True when c may not appear in a packet field: STX, ETX, ACK, NAK, DC2,
// DC4, ESC and the field separator.
bool IsPacketControlByte(char c);

}  // namespace VXP

#endif  // VXP_FORMAT2PACKET_H_
