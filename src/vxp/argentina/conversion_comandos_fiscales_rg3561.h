// The RG3561 command set and its field-description interface.
//
// Every command of the fiscal controller is known by its document name
// ("ConsultarEstado") and by the command byte that travels in the packet
// (Comandos). For each command the catalogue describes the named text fields
// of its request and of its answer: their position in the packet, their type,
// the code table or bit word a coded value belongs to and, for request
// fields, the default of an optional field.
//
// The operations come in two forms: dispatchers in VXP::Argentina::RG3561
// that take the command (request side) or the answer container (answer side),
// and per-command functions in a namespace named after the command
// (RG3561::ImprimirItem::NombreCampoIn(...)), which forward to the
// dispatchers with their command fixed.
//
// Neutral results, never an error record:
//   - a command without fields on that side (or a byte that is no command):
//     names null, lookups false, types UNKNOWN, values and defaults null;
//   - a field number the command does not have: name null, type UNKNOWN,
//     default null, value operations return their input pointer;
//   - a value the field's table does not accept: returned unchanged (the very
//     pointer received).
//
// Returned names and table texts are constant strings. Symbolic texts of bit
// words live in the calling thread's rotating pool and stay valid only for a
// limited number of further conversions on that thread.
//
// Thread safety: everything here is constant data and pure functions; all
// operations may run concurrently on any thread. Nothing allocates.
#ifndef VXP_ARGENTINA_CONVERSION_COMANDOS_FISCALES_RG3561_H_
#define VXP_ARGENTINA_CONVERSION_COMANDOS_FISCALES_RG3561_H_

#include "vxb/common/base/types.h"
#include "vxp/vardex_data_container.h"

namespace VXP {

// Type of a field's text. Only ENUM and BITFIELD change what the catalogue
// does with a value; the other types are carried as opaque text.
enum Types : unsigned {
  UNKNOWN = 0,  // no such field
  STRING = 1,
  INTEGER = 2,
  REAL = 3,
  DATE = 4,
  TIME = 5,
  ENUM = 6,      // one code of a code table, named with the type
  BITFIELD = 7,  // a bit word, named with the type
  LONGDATE = 8,
};

// The enumerator's name ("STRING", "ENUM", ...); "UNKNOWN" for values
// outside the enumeration.
const char* ToString(Types t);
// Accepts an enumerator's name, ASCII case ignored; false and t untouched
// otherwise.
bool FromString(const char* s, Types& t);

}  // namespace VXP

// The command set, stated once: every command with its document name, its
// enumerator, its byte, whether its request carries fields (REQUEST: the
// layout of that name in the catalogue; NO_REQUEST) and what its answer
// carries (FIXED(layout), BY_CONTENT(description), NO_ANSWER), in ascending
// order of the byte. X(A, Name, Enumerator, Byte, Request, Answer) is
// expanded for each; A is handed through unchanged. The enumeration, the
// catalogue's command rows and the per-command functions are built from it.
#define VXP_RG3561_COMMANDS(X, A)                                                                  \
  X(A, ConsultarEstado, CMD_CONSULTAR_ESTADO, 0x2A, REQUEST, FIXED(ConsultarEstado))               \
  X(A, ConsultarUltimoError, CMD_CONSULTAR_ULTIMO_ERROR, 0x2C, NO_REQUEST,                         \
    FIXED(ConsultarUltimoError))                                                                   \
  X(A, ConsultarInformacionBloqueo, CMD_CONSULTAR_INFORMACION_BLOQUEO, 0x2D, NO_REQUEST,           \
    FIXED(ConsultarInformacionBloqueo))                                                            \
  X(A, ConsultarCantidadIvasOtrosTributos, CMD_CONSULTAR_CANTIDAD_IVAS_OTROS_TRIBUTOS, 0x2E,       \
    NO_REQUEST, FIXED(ConsultarCantidadIvasOtrosTributos))                                         \
  X(A, ConsultarCapacidadZetas, CMD_CONSULTAR_CAPACIDAD_ZETAS, 0x37, NO_REQUEST,                   \
    FIXED(ConsultarCapacidadZetas))                                                                \
  X(A, CerrarJornadaFiscal, CMD_CERRAR_JORNADA_FISCAL, 0x39, REQUEST,                              \
    BY_CONTENT(CerrarJornadaFiscal))                                                               \
  X(A, ReportarZetasPorFecha, CMD_REPORTAR_ZETAS_POR_FECHA, 0x3A, REQUEST, NO_ANSWER)              \
  X(A, ReportarZetasPorNumeroZeta, CMD_REPORTAR_ZETAS_POR_NUMERO_ZETA, 0x3B, REQUEST, NO_ANSWER)   \
  X(A, AbrirDocumento, CMD_ABRIR_DOCUMENTO, 0x40, REQUEST, FIXED(AbrirDocumento))                  \
  X(A, ImprimirTextoFiscal, CMD_IMPRIMIR_TEXTO_FISCAL, 0x41, REQUEST, NO_ANSWER)                   \
  X(A, ImprimirItem, CMD_IMPRIMIR_ITEM, 0x42, REQUEST, FIXED(ImprimirItem))                        \
  X(A, ConsultarSubtotal, CMD_CONSULTAR_SUBTOTAL, 0x43, REQUEST, FIXED(ConsultarSubtotal))         \
  X(A, ImprimirPago, CMD_IMPRIMIR_PAGO, 0x44, REQUEST, FIXED(ImprimirPago))                        \
  X(A, CerrarDocumento, CMD_CERRAR_DOCUMENTO, 0x45, REQUEST, FIXED(CerrarDocumento))               \
  X(A, ImprimirTextoPruebaPerifericos, CMD_IMPRIMIR_TEXTO_PRUEBA_PERIFERICOS, 0x46, REQUEST,       \
    NO_ANSWER)                                                                                     \
  X(A, ConsultarInformacionAritmetica, CMD_CONSULTAR_INFORMACION_ARITMETICA, 0x47, REQUEST,        \
    FIXED(ConsultarInformacionAritmetica))                                                         \
  X(A, ConsultarUltimaConexion, CMD_CONSULTAR_ULTIMA_CONEXION, 0x48, NO_REQUEST,                   \
    FIXED(ConsultarUltimaConexion))                                                                \
  X(A, ImprimirTextoGenerico, CMD_IMPRIMIR_TEXTO_GENERICO, 0x49, REQUEST, NO_ANSWER)               \
  X(A, AvanzarPapelEstacionTique, CMD_AVANZAR_PAPEL_ESTACION_TIQUE, 0x50, REQUEST, NO_ANSWER)      \
  X(A, AvanzarPapelEstacionAuditoria, CMD_AVANZAR_PAPEL_ESTACION_AUDITORIA, 0x51, REQUEST,         \
    NO_ANSWER)                                                                                     \
  X(A, AvanzarPapelAmbasEstaciones, CMD_AVANZAR_PAPEL_AMBAS_ESTACIONES, 0x52, REQUEST, NO_ANSWER)  \
  X(A, AnularItem, CMD_ANULAR_ITEM, 0x53, REQUEST, FIXED(AnularItem))                              \
  X(A, ImprimirAjuste, CMD_IMPRIMIR_AJUSTE, 0x54, REQUEST, FIXED(ImprimirAjuste))                  \
  X(A, ImprimirDescuentoItem, CMD_IMPRIMIR_DESCUENTO_ITEM, 0x55, REQUEST,                          \
    FIXED(ImprimirDescuentoItem))                                                                  \
  X(A, ConfigurarFechaHora, CMD_CONFIGURAR_FECHA_HORA, 0x58, REQUEST, NO_ANSWER)                   \
  X(A, ConsultarFechaHora, CMD_CONSULTAR_FECHA_HORA, 0x59, NO_REQUEST, FIXED(ConsultarFechaHora))  \
  X(A, CargarCodigoBarras, CMD_CARGAR_CODIGO_BARRAS, 0x5A, REQUEST, NO_ANSWER)                     \
  X(A, ImprimirOtrosTributos, CMD_IMPRIMIR_OTROS_TRIBUTOS, 0x61, REQUEST, NO_ANSWER)               \
  X(A, CargarDatosCliente, CMD_CARGAR_DATOS_CLIENTE, 0x62, REQUEST, NO_ANSWER)                     \
  X(A, CambiarCategoriaIVA, CMD_CAMBIAR_CATEGORIA_IVA, 0x63, REQUEST, NO_ANSWER)                   \
  X(A, ImprimirAnticipoBonificacionEnvases, CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES, 0x6D,      \
    REQUEST, FIXED(ImprimirAnticipoBonificacionEnvases))                                           \
  X(A, CambiarInscripIIBB, CMD_CAMBIAR_INSCRIP_IIBB, 0x6E, REQUEST, NO_ANSWER)                     \
  X(A, ConsultarDatosInicializacion, CMD_CONSULTAR_DATOS_INICIALIZACION, 0x73, NO_REQUEST,         \
    FIXED(ConsultarDatosInicializacion))                                                           \
  X(A, ObtenerPrimerBloqueReporteElectronico, CMD_OBTENER_PRIMER_BLOQUE_REPORTE_ELECTRONICO, 0x76, \
    REQUEST, FIXED(Bloque))                                                                        \
  X(A, ObtenerSiguienteBloqueReporteElectronico, CMD_OBTENER_SIGUIENTE_BLOQUE_REPORTE_ELECTRONICO, \
    0x77, NO_REQUEST, FIXED(Bloque))                                                               \
  X(A, CambiarFechaInicioActividades, CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES, 0x78, REQUEST,         \
    NO_ANSWER)                                                                                     \
  X(A, AbrirCajonDinero, CMD_ABRIR_CAJON_DINERO, 0x7B, NO_REQUEST, NO_ANSWER)                      \
  X(A, ConsultarVersion, CMD_CONSULTAR_VERSION, 0x7F, NO_REQUEST, FIXED(ConsultarVersion))         \
  X(A, ConsultarAcumuladosCierreZeta, CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA, 0x8A, REQUEST,         \
    BY_CONTENT(Acumulados))                                                                        \
  X(A, ConsultarAcumuladosMemoriaDeTrabajo, CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO, 0x8B,     \
    REQUEST, BY_CONTENT(Acumulados))                                                               \
  X(A, ConsultarAcumuladosComprobante, CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, 0x8C, REQUEST,        \
    BY_CONTENT(AcumuladosComprobante))                                                             \
  X(A, ContinuarConsultaAcumulados, CMD_CONTINUAR_CONSULTA_ACUMULADOS, 0x8D, NO_REQUEST,           \
    BY_CONTENT(Acumulados))                                                                        \
  X(A, CargarLogoEmisor, CMD_CARGAR_LOGO_EMISOR, 0x90, REQUEST, NO_ANSWER)                         \
  X(A, EliminarLogoEmisor, CMD_ELIMINAR_LOGO_EMISOR, 0x91, NO_REQUEST, NO_ANSWER)                  \
  X(A, CargarDocumentoAsociado, CMD_CARGAR_DOCUMENTO_ASOCIADO, 0x93, REQUEST, NO_ANSWER)           \
  X(A, ConsultarDocumentoAsociado, CMD_CONSULTAR_DOCUMENTO_ASOCIADO, 0x94, REQUEST,                \
    FIXED(ConsultarDocumentoAsociado))                                                             \
  X(A, ImprimirConceptoRecibo, CMD_IMPRIMIR_CONCEPTO_RECIBO, 0x97, REQUEST, NO_ANSWER)             \
  X(A, Cancelar, CMD_CANCELAR, 0x98, NO_REQUEST, NO_ANSWER)                                        \
  X(A, PedirReimpresion, CMD_PEDIR_REIMPRESION, 0x99, NO_REQUEST, FIXED(PedirReimpresion))         \
  X(A, ConfigurarZona, CMD_CONFIGURAR_ZONA, 0x9E, REQUEST, NO_ANSWER)                              \
  X(A, ConsultarZona, CMD_CONSULTAR_ZONA, 0x9F, REQUEST, FIXED(ConsultarZona))                     \
  X(A, CambiarVelocidadPuerto, CMD_CAMBIAR_VELOCIDAD_PUERTO, 0xA0, REQUEST, NO_ANSWER)             \
  X(A, ConsultarEstadoEspera, CMD_CONSULTAR_ESTADO_ESPERA, 0xA1, NO_REQUEST, NO_ANSWER)            \
  X(A, ConfigurarRed, CMD_CONFIGURAR_RED, 0xA2, REQUEST, NO_ANSWER)                                \
  X(A, ConsultarConfiguracionRed, CMD_CONSULTAR_CONFIGURACION_RED, 0xA3, NO_REQUEST,               \
    FIXED(ConsultarConfiguracionRed))                                                              \
  X(A, ObtenerPrimerBloqueAuditoria, CMD_OBTENER_PRIMER_BLOQUE_AUDITORIA, 0xA6, REQUEST,           \
    FIXED(Bloque))                                                                                 \
  X(A, ObtenerSiguienteBloqueAuditoria, CMD_OBTENER_SIGUIENTE_BLOQUE_AUDITORIA, 0xA7, NO_REQUEST,  \
    FIXED(Bloque))                                                                                 \
  X(A, ConsultarCapacidadesImpresoraFiscal, CMD_CONSULTAR_CAPACIDADES_IMPRESORA_FISCAL, 0xA8,      \
    REQUEST, FIXED(ConsultarCapacidadesImpresoraFiscal))                                           \
  X(A, ObtenerPrimerBloqueDocumento, CMD_OBTENER_PRIMER_BLOQUE_DOCUMENTO, 0xA9, REQUEST,           \
    FIXED(Bloque))                                                                                 \
  X(A, ObtenerPrimerBloqueLog, CMD_OBTENER_PRIMER_BLOQUE_LOG, 0xAA, NO_REQUEST, FIXED(Bloque))     \
  X(A, ObtenerSiguienteBloqueLog, CMD_OBTENER_SIGUIENTE_BLOQUE_LOG, 0xAB, NO_REQUEST,              \
    FIXED(Bloque))                                                                                 \
  X(A, ObtenerSiguienteBloqueDocumento, CMD_OBTENER_SIGUIENTE_BLOQUE_DOCUMENTO, 0xAC, NO_REQUEST,  \
    FIXED(Bloque))                                                                                 \
  X(A, ConfigurarImpresoraFiscal, CMD_CONFIGURAR_IMPRESORA_FISCAL, 0xAD, REQUEST, NO_ANSWER)       \
  X(A, ConsultarConfiguracionImpresoraFiscal, CMD_CONSULTAR_CONFIGURACION_IMPRESORA_FISCAL, 0xAE,  \
    REQUEST, FIXED(ConsultarConfiguracionImpresoraFiscal))                                         \
  X(A, CopiarComprobante, CMD_COPIAR_COMPROBANTE, 0xAF, REQUEST, NO_ANSWER)                        \
  X(A, ConfigurarServidorCorreo, CMD_CONFIGURAR_SERVIDOR_CORREO, 0xB2, REQUEST, NO_ANSWER)         \
  X(A, ConsultarConfiguracionServidorCorreo, CMD_CONSULTAR_CONFIGURACION_SERVIDOR_CORREO, 0xB3,    \
    NO_REQUEST, FIXED(ConsultarConfiguracionServidorCorreo))                                       \
  X(A, EnviarDocumentoCorreo, CMD_ENVIAR_DOCUMENTO_CORREO, 0xB4, REQUEST, NO_ANSWER)               \
  X(A, ConfigurarZetaBorrable, CMD_CONFIGURAR_ZETA_BORRABLE, 0xB5, REQUEST, NO_ANSWER)             \
  X(A, ConsultarZetaBorrable, CMD_CONSULTAR_ZETA_BORRABLE, 0xB6, NO_REQUEST,                       \
    FIXED(ConsultarZetaBorrable))                                                                  \
  X(A, CargarBeneficiario, CMD_CARGAR_BENEFICIARIO, 0xB7, REQUEST, NO_ANSWER)                      \
  X(A, CargarTransportista, CMD_CARGAR_TRANSPORTISTA, 0xB8, REQUEST, NO_ANSWER)                    \
  X(A, ObtenerRangoZetasPorFechas, CMD_OBTENER_RANGO_ZETAS_POR_FECHAS, 0xB9, REQUEST,              \
    FIXED(ObtenerRangoZetasPorFechas))                                                             \
  X(A, ObtenerRangoFechasPorZetas, CMD_OBTENER_RANGO_FECHAS_POR_ZETAS, 0xBA, REQUEST,              \
    FIXED(ObtenerRangoFechasPorZetas))                                                             \
  X(A, OperacionCajero, CMD_OPERACION_CAJERO, 0xD0, REQUEST, NO_ANSWER)                            \
  X(A, ConsultarEstadoECR, CMD_CONSULTAR_ESTADO_ECR, 0xD1, NO_REQUEST, FIXED(ConsultarEstadoECR))

namespace VXP::Argentina::RG3561 {

// The command bytes of the controller's packets.
#define VXP_RG3561_ENUMERATOR(A, Name, Enumerator, Byte, Request, Answer) Enumerator = Byte,
enum Comandos : VXB::Byte { VXP_RG3561_COMMANDS(VXP_RG3561_ENUMERATOR, ) };
#undef VXP_RG3561_ENUMERATOR

// The document name of the command, or null for a byte that is no command.
const char* ToString(Comandos Cmd);
// Like ToString, but never null: a byte that is no command gets the constant
// name "Comando" followed by its two upper-case hexadecimal digits
// ("Comando2B"), so that an answer or a log line can always be named after
// the command byte it carries.
const char* ToStringOrCode(Comandos Cmd);
// Looks s up among the document names, ASCII case ignored, whole names only.
// On a match stores the command and returns true; otherwise returns false and
// leaves Cmd untouched.
bool FromString(const char* s, Comandos& Cmd);

// Request side, dispatched on the command.
const char* NombreCampoIn(Comandos Cmd, unsigned int nField);
bool NumeroCampoIn(Comandos Cmd, const char* FieldName, unsigned int& nField);
const char* ValorPorDefectoCampoIn(Comandos Cmd, unsigned int nField, bool Symbolic);
const char* ValorCampoIn(Comandos Cmd, unsigned int nField, const char* String, bool Symbolic);
// Writes the table name of ENUM and BITFIELD fields into TypeName, cut to
// BufferSize - 1 characters and terminated; a null TypeName or a BufferSize
// of 0 leaves the buffer untouched. The result never depends on the buffer.
Types TipoCampoIn(Comandos Cmd, unsigned int nField, char* TypeName, unsigned int BufferSize);

// Answer side, dispatched on the container's command byte. For the answers
// whose layout depends on their field 0, each call reads that field again.
const char* NombreCampoOut(const VardexDataContainer& CommandData, unsigned int nField);
bool NumeroCampoOut(const VardexDataContainer& CommandData, const char* FieldName,
                    unsigned int& nField);
const char* ValorCampoOut(const VardexDataContainer& CommandData, unsigned int nField,
                          const char* String, bool Symbolic);
Types TipoCampoOut(const VardexDataContainer& CommandData, unsigned int nField, char* TypeName,
                   unsigned int BufferSize);

// The commands whose requests carry fields, and those whose answers carry
// fields: X(namespace name, command), derived from the command set.
#define VXP_RG3561_WHEN_REQUEST(X, Name, Cmd) X(Name, Cmd)
#define VXP_RG3561_WHEN_NO_REQUEST(X, Name, Cmd)
#define VXP_RG3561_WHEN_FIXED(Layout) VXP_RG3561_WHEN_ANSWER
#define VXP_RG3561_WHEN_BY_CONTENT(Description) VXP_RG3561_WHEN_ANSWER
#define VXP_RG3561_WHEN_ANSWER(X, Name, Cmd) X(Name, Cmd)
#define VXP_RG3561_WHEN_NO_ANSWER(X, Name, Cmd)
#define VXP_RG3561_IF_REQUEST(X, Name, Cmd, Byte, Request, Answer) \
  VXP_RG3561_WHEN_##Request(X, Name, Cmd)
#define VXP_RG3561_IF_ANSWER(X, Name, Cmd, Byte, Request, Answer) \
  VXP_RG3561_WHEN_##Answer(X, Name, Cmd)
#define VXP_RG3561_REQUEST_COMMANDS(X) VXP_RG3561_COMMANDS(VXP_RG3561_IF_REQUEST, X)
#define VXP_RG3561_ANSWER_COMMANDS(X) VXP_RG3561_COMMANDS(VXP_RG3561_IF_ANSWER, X)

// Per-command request functions: the dispatchers with the command fixed.
#define VXP_RG3561_DECLARE_REQUEST_FUNCTIONS(Name, Cmd)                                     \
  namespace Name {                                                                          \
  inline const char* NombreCampoIn(unsigned int nField) {                                   \
    return RG3561::NombreCampoIn(Cmd, nField);                                              \
  }                                                                                         \
  inline bool NumeroCampoIn(const char* FieldName, unsigned int& nField) {                  \
    return RG3561::NumeroCampoIn(Cmd, FieldName, nField);                                   \
  }                                                                                         \
  inline const char* ValorPorDefectoCampoIn(unsigned int nField, bool Symbolic) {           \
    return RG3561::ValorPorDefectoCampoIn(Cmd, nField, Symbolic);                           \
  }                                                                                         \
  inline const char* ValorCampoIn(unsigned int nField, const char* String, bool Symbolic) { \
    return RG3561::ValorCampoIn(Cmd, nField, String, Symbolic);                             \
  }                                                                                         \
  inline Types TipoCampoIn(unsigned int nField, char* TypeName, unsigned int BufferSize) {  \
    return RG3561::TipoCampoIn(Cmd, nField, TypeName, BufferSize);                          \
  }                                                                                         \
  }

// Per-command answer functions. They are meant for answers of their own
// command: the container's command byte is not consulted.
#define VXP_RG3561_DECLARE_ANSWER_FUNCTIONS(Name, Cmd)                                             \
  namespace Name {                                                                                 \
  inline const char* NombreCampoOut(const VardexDataContainer& CommandData, unsigned int nField) { \
    return RG3561::Detail::NombreCampoOut(Cmd, CommandData, nField);                               \
  }                                                                                                \
  inline bool NumeroCampoOut(const VardexDataContainer& CommandData, const char* FieldName,        \
                             unsigned int& nField) {                                               \
    return RG3561::Detail::NumeroCampoOut(Cmd, CommandData, FieldName, nField);                    \
  }                                                                                                \
  inline const char* ValorCampoOut(const VardexDataContainer& CommandData, unsigned int nField,    \
                                   const char* String, bool Symbolic) {                            \
    return RG3561::Detail::ValorCampoOut(Cmd, CommandData, nField, String, Symbolic);              \
  }                                                                                                \
  inline Types TipoCampoOut(const VardexDataContainer& CommandData, unsigned int nField,           \
                            char* TypeName, unsigned int BufferSize) {                             \
    return RG3561::Detail::TipoCampoOut(Cmd, CommandData, nField, TypeName, BufferSize);           \
  }                                                                                                \
  }

// The answer operations with the command given apart from the container.
namespace Detail {
const char* NombreCampoOut(Comandos Cmd, const VardexDataContainer& CommandData,
                           unsigned int nField);
bool NumeroCampoOut(Comandos Cmd, const VardexDataContainer& CommandData, const char* FieldName,
                    unsigned int& nField);
const char* ValorCampoOut(Comandos Cmd, const VardexDataContainer& CommandData, unsigned int nField,
                          const char* String, bool Symbolic);
Types TipoCampoOut(Comandos Cmd, const VardexDataContainer& CommandData, unsigned int nField,
                   char* TypeName, unsigned int BufferSize);
}  // namespace Detail

VXP_RG3561_REQUEST_COMMANDS(VXP_RG3561_DECLARE_REQUEST_FUNCTIONS)
VXP_RG3561_ANSWER_COMMANDS(VXP_RG3561_DECLARE_ANSWER_FUNCTIONS)

}  // namespace VXP::Argentina::RG3561

#endif  // VXP_ARGENTINA_CONVERSION_COMANDOS_FISCALES_RG3561_H_
