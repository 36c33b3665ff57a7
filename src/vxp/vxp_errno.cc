// Registration of the application library's error codes.
#include "vxp/vxp_errno.h"

#include "vxb/common/runtime/error.h"

namespace VXP::Error {
namespace {

struct Row {
  Modules Module;
  ErrNo Number;
  const char* ID;
  const char* Description;
};

// Messages in the internal character set (accented letters as escapes).
constexpr Row ERRORS[] = {
    {PROTOCOL, PROTOCOL_NO_TRANSPORT, "PROTOCOL_NO_TRANSPORT", "No hay transporte definido"},
    {PROTOCOL, PROTOCOL_SIZE, "PROTOCOL_SIZE", "Error en tama\xA4o de paquete"},
    {PROTOCOL, PROTOCOL_ABORTED, "PROTOCOL_ABORTED", "Operaci\xA2n abortada"},
    {PROTOCOL, PROTOCOL_COMM_ANOMALY, "PROTOCOL_COMM_ANOMALY",
     "Anomal\xA1"
     "a de comunicaciones"},
    {PROTOCOL, PROTOCOL_WRONG_PROTOCOL, "PROTOCOL_WRONG_PROTOCOL", "Protocolo equivocado"},
    {PROTOCOL, PROTOCOL_INVALID_PACKET, "PROTOCOL_INVALID_PACKET",
     "Tama\xA4o de paquete inv\xA0lido"},
    {PROTOCOL, PROTOCOL_MAX_RETRIES, "PROTOCOL_MAX_RETRIES",
     "M\xA0xima cantidad de reintentos agotada"},
    {PROTOCOL, PROTOCOL_COMMAND_REJECTED, "PROTOCOL_COMMAND_REJECTED", "Comando rechazado"},
    {PROTOCOL, PROTOCOL_RESOURCE_NOT_FOUND, "PROTOCOL_RESOURCE_NOT_FOUND", "Recurso no encontrado"},
    {PROTOCOL, PROTOCOL_PACKET_REJECTED, "PROTOCOL_PACKET_REJECTED", "Paquete rechazado"},
    {PROTOCOL, PROTOCOL_SYNTAX_ERROR, "PROTOCOL_SYNTAX_ERROR", "Error de sintaxis"},
    {PROTOCOL, PROTOCOL_INVALID_ENCODING, "PROTOCOL_INVALID_ENCODING",
     "Codificaci\xA2n de caracteres inv\xA0lida"},
    {PROTOCOL, PROTOCOL_UNKNOWN_COMMAND, "PROTOCOL_UNKNOWN_COMMAND", "Comando desconocido"},
    {PROTOCOL, PROTOCOL_CHECKSUM_MISMATCH, "PROTOCOL_CHECKSUM_MISMATCH",
     "Error de suma de comprobaci\xA2n"},
    {PROTOCOL, PROTOCOL_INVALID_SEQUENCE, "PROTOCOL_INVALID_SEQUENCE", "Secuencia fuera de rango"},
    {PROTOCOL, PROTOCOL_SEQUENCE_MISMATCH, "PROTOCOL_SEQUENCE_MISMATCH",
     "Error en n\xA3mero de secuencia"},
    {PROTOCOL, PROTOCOL_INVALID_CONTENT_TYPE, "PROTOCOL_INVALID_CONTENT_TYPE",
     "Tipo de contenido inv\xA0lido"},
    {INTERFACE, INTERFACE_COMMAND_REJECTED, "INTERFACE_COMMAND_REJECTED", "Comando rechazado"},
    {INTERFACE, INTERFACE_UNKNOWN_PROTOCOL, "INTERFACE_UNKNOWN_PROTOCOL", "Protocolo desconocido"},
    {INTERFACE, INTERFACE_SYNTAX_ERROR, "INTERFACE_SYNTAX_ERROR", "Error de sintaxis"},
    {INTERFACE, INTERFACE_UNRECOGNIZED_COMMAND, "INTERFACE_UNRECOGNIZED_COMMAND",
     "Comando no reconocido"},
    {INTERFACE, INTERFACE_UNRECOGNIZED_FIELD, "INTERFACE_UNRECOGNIZED_FIELD",
     "Campo no reconocido"},
    {INTERFACE, INTERFACE_MISSING_FIELD, "INTERFACE_MISSING_FIELD", "Campo inexistente"},
    {INTERFACE, INTERFACE_INVALID_STATE, "INTERFACE_INVALID_STATE", "Estado inv\xA0lido"},
    {INTERFACE, INTERFACE_COMMAND_ABORTED, "INTERFACE_COMMAND_ABORTED",
     "Comando cancelado por el usuario"},
    {COUPON_PRINTER, COUPON_PRINTER_INVALID_IMAGE_FILE, "COUPON_PRINTER_INVALID_IMAGE_FILE",
     "Formato de imagen inv\xA0lido"},
    {COUPON_PRINTER, COUPON_PRINTER_INVALID_IMAGE_SIZE, "COUPON_PRINTER_INVALID_IMAGE_SIZE",
     "Tama\xA4o de imagen inv\xA0lido"},
};

static_assert(sizeof(ERRORS) / sizeof(ERRORS[0]) == 27, "27 application error codes");

}  // namespace

void Init() {
  for (const Row& row : ERRORS) {
    VXB::Error::RegisterErrNo(APPLICATION_NAME, row.Module, row.Number, row.ID, row.Description);
  }
}

}  // namespace VXP::Error
