// The base library's error table, in registration order. Messages are in
// the internal character set (code page 850 layout).
#ifndef VXB_COMMON_ERROR_TABLE_H_
#define VXB_COMMON_ERROR_TABLE_H_

#include "vxb/common/runtime/error_numbers.h"

namespace VXB::Error {

struct ErrorTableRow {
  Modules Module;
  ErrNo Number;
  const char* ID;
  const char* Description;
};

// 260 is registered first in SYSTEM and then in IO, so it reads back as
// IO_PARAM_ERROR while SYSTEM's range still reaches 260.
inline constexpr ErrorTableRow BASE_ERRORS[] = {
    {SYSTEM, NO_CURRENT_ERROR, "NO_CURRENT_ERROR", "No hay error"},
    {SYSTEM, SYSTEM_MUTEX_ERROR, "SYSTEM_MUTEX_ERROR", "Error de mutex"},
    {SYSTEM, SYSTEM_SEMAPHORE_ERROR, "SYSTEM_SEMAPHORE_ERROR",
     "Error de sem\xA0"
     "foro"},
    {SYSTEM, SYSTEM_RTC_ERROR, "SYSTEM_RTC_ERROR", "Error de reloj de tiempo real"},
    {SYSTEM, SYSTEM_DRIVER_ERROR, "SYSTEM_DRIVER_ERROR", "Error de dispositivo"},
    {SYSTEM, SYSTEM_ABORTED_PROCESS, "SYSTEM_ABORTED_PROCESS", "Proceso abortado"},
    {SYSTEM, SYSTEM_OUT_OF_MEMORY, "SYSTEM_OUT_OF_MEMORY", "Memoria agotada"},
    {SYSTEM, SYSTEM_SERVICE_ERROR, "SYSTEM_SERVICE_ERROR", "Error de servicio"},
    {IO, IO_READ_ERROR, "IO_READ_ERROR", "Error de lectura"},
    {IO, IO_WRITE_ERROR, "IO_WRITE_ERROR", "Error de escritura"},
    {IO, IO_OPEN_ERROR, "IO_OPEN_ERROR", "Error de apertura"},
    {IO, IO_SEEK_ERROR, "IO_SEEK_ERROR", "Error de posicionamiento"},
    {IO, IO_CLOSE_ERROR, "IO_CLOSE_ERROR", "Error de cierre"},
    {IO, IO_EOF_REACHED, "IO_EOF_REACHED", "Fin de lectura"},
    {IO, IO_MOUNT_ERROR, "IO_MOUNT_ERROR", "Error montando sistema de archivos"},
    {IO, IO_COMPRESS_ERROR, "IO_COMPRESS_ERROR", "Error de compresi\xA2n"},
    {IO, IO_TIMEOUT_ERROR, "IO_TIMEOUT_ERROR", "Tiempo de espera agotado"},
    {IO, IO_FS_ERROR, "IO_FS_ERROR", "Error de sistema de archivos"},
    {IO, IO_PARAM_ERROR, "IO_PARAM_ERROR", "Error de par\xA0metros"},
    {IO, IO_NOT_OPEN, "IO_NOT_OPEN", "Dispositivo cerrado"},
    {IO, IO_DISABLED, "IO_DISABLED", "Dispositivo deshabilitado"},
    {IO, IO_NOT_IMPLEMENTED, "IO_NOT_IMPLEMENTED", "Funci\xA2n no implementada"},
    {IO, IO_WRITE_ONLY, "IO_WRITE_ONLY", "Dispositivo de solo escritura"},
    {IO, IO_READ_ONLY, "IO_READ_ONLY", "Dispositivo de solo lectura"},
    {IO, IO_ABORTED, "IO_ABORTED", "Operaci\xA2n abortada"},
    {IO, IO_FORMAT_ERROR, "IO_FORMAT_ERROR", "Error de formato"},
    {IO, IO_IOCTL_ERROR, "IO_IOCTL_ERROR", "Error de ioctl"},
    {IO, IO_OPERATION_ERROR, "IO_OPERATION_ERROR", "Error en operaci\xA2n"},
    {SOCK, SOCK_ERROR_VERSION, "SOCK_ERROR_VERSION", "Error en versi\xA2n de socket"},
    {SOCK, SOCK_BIND_ERROR, "SOCK_BIND_ERROR", "Error en bind de socket"},
    {SOCK, SOCK_SELECT_ERROR, "SOCK_SELECT_ERROR", "Error en select de socket"},
    {SOCK, SOCK_ERROR_CONNECT, "SOCK_ERROR_CONNECT", "Error de conexi\xA2n"},
    {SOCK, SOCK_ERROR_INIT, "SOCK_ERROR_INIT", "Error inicializando socket"},
    {SOCK, SOCK_ERROR_GENERAL, "SOCK_ERROR_GENERAL", "Error general de socket"},
    {SOCK, SOCK_ERROR_ACCEPT, "SOCK_ERROR_ACCEPT", "Error en accept de socket"},
    {SOCK, SOCK_CONFIGURE_ERROR, "SOCK_CONFIGURE_ERROR", "Error de configuraci\xA2n"},
    {SOCK, SOCK_CONNECTION_CLOSED, "SOCK_CONNECTION_CLOSED", "Conexi\xA2n cerrada"},
    {SOCK, SOCK_LISTEN_ERROR, "SOCK_LISTEN_ERROR", "Error de listen"},
    {XML, XML_TOKEN_MISMATCH, "XML_TOKEN_MISMATCH", "Token inesperado"},
    {XML, XML_EOF, "XML_EOF", "Fin de XML"},
    {XML, XML_BAD_ENCODING, "XML_BAD_ENCODING", "Codificaci\xA2n inv\xA0lida o no soportada"},
    {XML, XML_INVALID_CHAR, "XML_INVALID_CHAR", "Caracter inv\xA0lido"},
    {XML, XML_TAG_UNDERFLOW, "XML_TAG_UNDERFLOW", "Tags de cierre desbalanceados"},
    {XML, XML_ATTRIBUTE_OVERFLOW, "XML_ATTRIBUTE_OVERFLOW", "Demasiados atributos"},
    {XML, XML_UNEXPECTED_TEXT, "XML_UNEXPECTED_TEXT", "Texto en lugar inv\xA0lido"},
    {XML, XML_NO_OPEN_TAG, "XML_NO_OPEN_TAG", "No hay tag de apertura"},
    {XML, XML_TAG_MISMATCH, "XML_TAG_MISMATCH", "Tag de cierre no coincide con apertura"},
    {XML, XML_INVALID_IDENTIFIER, "XML_INVALID_IDENTIFIER", "Identificador inv\xA0lido"},
    {JSON, JSON_EOF, "JSON_EOF", "Fin de JSON"},
    {JSON, JSON_SYNTAX_ERROR, "JSON_SYNTAX_ERROR", "Error de sintaxis"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_INIT, "CRYPTOGRAPHY_INIT", "Error de inicializaci\xA2n"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_MEMORY_ERROR, "CRYPTOGRAPHY_MEMORY_ERROR",
     "Error de alojamiento de memoria"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_INVALID_CERTIFICATE, "CRYPTOGRAPHY_INVALID_CERTIFICATE",
     "Certificado inv\xA0lido"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_INVALID_KEY, "CRYPTOGRAPHY_INVALID_KEY", "Clave inv\xA0lida"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_NOT_SUPPORTED_ALGORITHM, "CRYPTOGRAPHY_NOT_SUPPORTED_ALGORITHM",
     "Algoritmo no soportado"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_ERROR, "CRYPTOGRAPHY_ERROR",
     "Error en m\xA2"
     "dulo criptogr\xA0"
     "fico"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_SSL_ERROR, "CRYPTOGRAPHY_SSL_ERROR", "Error en conexi\xA2n SSL"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_SIGNATURE_FAIL, "CRYPTOGRAPHY_SIGNATURE_FAIL",
     "Error en firma digital"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_CERTIFICATE_DATE, "CRYPTOGRAPHY_CERTIFICATE_DATE",
     "Fecha de certificado inv\xA0lida"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_RAND_GENERATOR_ERROR, "CRYPTOGRAPHY_RAND_GENERATOR_ERROR",
     "Error de generaci\xA2n de n\xA3meros aleatorios"},
    {CRYPTOGRAPHY, CRYPTOGRAPHY_KEY_TOO_LARGE, "CRYPTOGRAPHY_KEY_TOO_LARGE",
     "Tama\xA4o de clave excede tama\xA4o disponible"},
    {IMAGE, IMAGE_HEADER_ERROR, "IMAGE_HEADER_ERROR", "Error de encabezado de imagen"},
    {IMAGE, IMAGE_FORMAT_ERROR, "IMAGE_FORMAT_ERROR", "Error de formato de imagen"},
    {IMAGE, IMAGE_READ_ERROR, "IMAGE_READ_ERROR", "Error de lectura de imagen"},
};

}  // namespace VXB::Error

#endif  // VXB_COMMON_ERROR_TABLE_H_
