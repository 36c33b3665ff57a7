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

namespace VXP::Argentina::RG3561 {

// The command bytes of the controller's packets.
enum Comandos : VXB::Byte {
  CMD_CONSULTAR_ESTADO = 0x2A,
  CMD_CONSULTAR_ULTIMO_ERROR = 0x2C,
  CMD_CONSULTAR_INFORMACION_BLOQUEO = 0x2D,
  CMD_CONSULTAR_CANTIDAD_IVAS_OTROS_TRIBUTOS = 0x2E,
  CMD_CONSULTAR_CAPACIDAD_ZETAS = 0x37,
  CMD_CERRAR_JORNADA_FISCAL = 0x39,
  CMD_REPORTAR_ZETAS_POR_FECHA = 0x3A,
  CMD_REPORTAR_ZETAS_POR_NUMERO_ZETA = 0x3B,
  CMD_ABRIR_DOCUMENTO = 0x40,
  CMD_IMPRIMIR_TEXTO_FISCAL = 0x41,
  CMD_IMPRIMIR_ITEM = 0x42,
  CMD_CONSULTAR_SUBTOTAL = 0x43,
  CMD_IMPRIMIR_PAGO = 0x44,
  CMD_CERRAR_DOCUMENTO = 0x45,
  CMD_IMPRIMIR_TEXTO_PRUEBA_PERIFERICOS = 0x46,
  CMD_CONSULTAR_INFORMACION_ARITMETICA = 0x47,
  CMD_CONSULTAR_ULTIMA_CONEXION = 0x48,
  CMD_IMPRIMIR_TEXTO_GENERICO = 0x49,
  CMD_AVANZAR_PAPEL_ESTACION_TIQUE = 0x50,
  CMD_AVANZAR_PAPEL_ESTACION_AUDITORIA = 0x51,
  CMD_AVANZAR_PAPEL_AMBAS_ESTACIONES = 0x52,
  CMD_ANULAR_ITEM = 0x53,
  CMD_IMPRIMIR_AJUSTE = 0x54,
  CMD_IMPRIMIR_DESCUENTO_ITEM = 0x55,
  CMD_CONFIGURAR_FECHA_HORA = 0x58,
  CMD_CONSULTAR_FECHA_HORA = 0x59,
  CMD_CARGAR_CODIGO_BARRAS = 0x5A,
  CMD_IMPRIMIR_OTROS_TRIBUTOS = 0x61,
  CMD_CARGAR_DATOS_CLIENTE = 0x62,
  CMD_CAMBIAR_CATEGORIA_IVA = 0x63,
  CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES = 0x6D,
  CMD_CAMBIAR_INSCRIP_IIBB = 0x6E,
  CMD_CONSULTAR_DATOS_INICIALIZACION = 0x73,
  CMD_OBTENER_PRIMER_BLOQUE_REPORTE_ELECTRONICO = 0x76,
  CMD_OBTENER_SIGUIENTE_BLOQUE_REPORTE_ELECTRONICO = 0x77,
  CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES = 0x78,
  CMD_ABRIR_CAJON_DINERO = 0x7B,
  CMD_CONSULTAR_VERSION = 0x7F,
  CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA = 0x8A,
  CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO = 0x8B,
  CMD_CONSULTAR_ACUMULADOS_COMPROBANTE = 0x8C,
  CMD_CONTINUAR_CONSULTA_ACUMULADOS = 0x8D,
  CMD_CARGAR_LOGO_EMISOR = 0x90,
  CMD_ELIMINAR_LOGO_EMISOR = 0x91,
  CMD_CARGAR_DOCUMENTO_ASOCIADO = 0x93,
  CMD_CONSULTAR_DOCUMENTO_ASOCIADO = 0x94,
  CMD_IMPRIMIR_CONCEPTO_RECIBO = 0x97,
  CMD_CANCELAR = 0x98,
  CMD_PEDIR_REIMPRESION = 0x99,
  CMD_CONFIGURAR_ZONA = 0x9E,
  CMD_CONSULTAR_ZONA = 0x9F,
  CMD_CAMBIAR_VELOCIDAD_PUERTO = 0xA0,
  CMD_CONSULTAR_ESTADO_ESPERA = 0xA1,
  CMD_CONFIGURAR_RED = 0xA2,
  CMD_CONSULTAR_CONFIGURACION_RED = 0xA3,
  CMD_OBTENER_PRIMER_BLOQUE_AUDITORIA = 0xA6,
  CMD_OBTENER_SIGUIENTE_BLOQUE_AUDITORIA = 0xA7,
  CMD_CONSULTAR_CAPACIDADES_IMPRESORA_FISCAL = 0xA8,
  CMD_OBTENER_PRIMER_BLOQUE_DOCUMENTO = 0xA9,
  CMD_OBTENER_PRIMER_BLOQUE_LOG = 0xAA,
  CMD_OBTENER_SIGUIENTE_BLOQUE_LOG = 0xAB,
  CMD_OBTENER_SIGUIENTE_BLOQUE_DOCUMENTO = 0xAC,
  CMD_CONFIGURAR_IMPRESORA_FISCAL = 0xAD,
  CMD_CONSULTAR_CONFIGURACION_IMPRESORA_FISCAL = 0xAE,
  CMD_COPIAR_COMPROBANTE = 0xAF,
  CMD_CONFIGURAR_SERVIDOR_CORREO = 0xB2,
  CMD_CONSULTAR_CONFIGURACION_SERVIDOR_CORREO = 0xB3,
  CMD_ENVIAR_DOCUMENTO_CORREO = 0xB4,
  CMD_CONFIGURAR_ZETA_BORRABLE = 0xB5,
  CMD_CONSULTAR_ZETA_BORRABLE = 0xB6,
  CMD_CARGAR_BENEFICIARIO = 0xB7,
  CMD_CARGAR_TRANSPORTISTA = 0xB8,
  CMD_OBTENER_RANGO_ZETAS_POR_FECHAS = 0xB9,
  CMD_OBTENER_RANGO_FECHAS_POR_ZETAS = 0xBA,
  CMD_OPERACION_CAJERO = 0xD0,
  CMD_CONSULTAR_ESTADO_ECR = 0xD1,
};

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

// The commands whose requests carry fields: X(namespace name, command).
#define VXP_RG3561_REQUEST_COMMANDS(X)                                                    \
  X(ConsultarEstado, CMD_CONSULTAR_ESTADO)                                                \
  X(CerrarJornadaFiscal, CMD_CERRAR_JORNADA_FISCAL)                                       \
  X(ReportarZetasPorFecha, CMD_REPORTAR_ZETAS_POR_FECHA)                                  \
  X(ReportarZetasPorNumeroZeta, CMD_REPORTAR_ZETAS_POR_NUMERO_ZETA)                       \
  X(AbrirDocumento, CMD_ABRIR_DOCUMENTO)                                                  \
  X(ImprimirTextoFiscal, CMD_IMPRIMIR_TEXTO_FISCAL)                                       \
  X(ImprimirItem, CMD_IMPRIMIR_ITEM)                                                      \
  X(ConsultarSubtotal, CMD_CONSULTAR_SUBTOTAL)                                            \
  X(ImprimirPago, CMD_IMPRIMIR_PAGO)                                                      \
  X(CerrarDocumento, CMD_CERRAR_DOCUMENTO)                                                \
  X(ImprimirTextoPruebaPerifericos, CMD_IMPRIMIR_TEXTO_PRUEBA_PERIFERICOS)                \
  X(ConsultarInformacionAritmetica, CMD_CONSULTAR_INFORMACION_ARITMETICA)                 \
  X(ImprimirTextoGenerico, CMD_IMPRIMIR_TEXTO_GENERICO)                                   \
  X(AvanzarPapelEstacionTique, CMD_AVANZAR_PAPEL_ESTACION_TIQUE)                          \
  X(AvanzarPapelEstacionAuditoria, CMD_AVANZAR_PAPEL_ESTACION_AUDITORIA)                  \
  X(AvanzarPapelAmbasEstaciones, CMD_AVANZAR_PAPEL_AMBAS_ESTACIONES)                      \
  X(AnularItem, CMD_ANULAR_ITEM)                                                          \
  X(ImprimirAjuste, CMD_IMPRIMIR_AJUSTE)                                                  \
  X(ImprimirDescuentoItem, CMD_IMPRIMIR_DESCUENTO_ITEM)                                   \
  X(ConfigurarFechaHora, CMD_CONFIGURAR_FECHA_HORA)                                       \
  X(CargarCodigoBarras, CMD_CARGAR_CODIGO_BARRAS)                                         \
  X(ImprimirOtrosTributos, CMD_IMPRIMIR_OTROS_TRIBUTOS)                                   \
  X(CargarDatosCliente, CMD_CARGAR_DATOS_CLIENTE)                                         \
  X(CambiarCategoriaIVA, CMD_CAMBIAR_CATEGORIA_IVA)                                       \
  X(ImprimirAnticipoBonificacionEnvases, CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES)      \
  X(CambiarInscripIIBB, CMD_CAMBIAR_INSCRIP_IIBB)                                         \
  X(ObtenerPrimerBloqueReporteElectronico, CMD_OBTENER_PRIMER_BLOQUE_REPORTE_ELECTRONICO) \
  X(CambiarFechaInicioActividades, CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES)                  \
  X(ConsultarAcumuladosCierreZeta, CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA)                  \
  X(ConsultarAcumuladosMemoriaDeTrabajo, CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO)     \
  X(ConsultarAcumuladosComprobante, CMD_CONSULTAR_ACUMULADOS_COMPROBANTE)                 \
  X(CargarLogoEmisor, CMD_CARGAR_LOGO_EMISOR)                                             \
  X(CargarDocumentoAsociado, CMD_CARGAR_DOCUMENTO_ASOCIADO)                               \
  X(ConsultarDocumentoAsociado, CMD_CONSULTAR_DOCUMENTO_ASOCIADO)                         \
  X(ImprimirConceptoRecibo, CMD_IMPRIMIR_CONCEPTO_RECIBO)                                 \
  X(ConfigurarZona, CMD_CONFIGURAR_ZONA)                                                  \
  X(ConsultarZona, CMD_CONSULTAR_ZONA)                                                    \
  X(CambiarVelocidadPuerto, CMD_CAMBIAR_VELOCIDAD_PUERTO)                                 \
  X(ConfigurarRed, CMD_CONFIGURAR_RED)                                                    \
  X(ObtenerPrimerBloqueAuditoria, CMD_OBTENER_PRIMER_BLOQUE_AUDITORIA)                    \
  X(ConsultarCapacidadesImpresoraFiscal, CMD_CONSULTAR_CAPACIDADES_IMPRESORA_FISCAL)      \
  X(ObtenerPrimerBloqueDocumento, CMD_OBTENER_PRIMER_BLOQUE_DOCUMENTO)                    \
  X(ConfigurarImpresoraFiscal, CMD_CONFIGURAR_IMPRESORA_FISCAL)                           \
  X(ConsultarConfiguracionImpresoraFiscal, CMD_CONSULTAR_CONFIGURACION_IMPRESORA_FISCAL)  \
  X(CopiarComprobante, CMD_COPIAR_COMPROBANTE)                                            \
  X(ConfigurarServidorCorreo, CMD_CONFIGURAR_SERVIDOR_CORREO)                             \
  X(EnviarDocumentoCorreo, CMD_ENVIAR_DOCUMENTO_CORREO)                                   \
  X(ConfigurarZetaBorrable, CMD_CONFIGURAR_ZETA_BORRABLE)                                 \
  X(CargarBeneficiario, CMD_CARGAR_BENEFICIARIO)                                          \
  X(CargarTransportista, CMD_CARGAR_TRANSPORTISTA)                                        \
  X(ObtenerRangoZetasPorFechas, CMD_OBTENER_RANGO_ZETAS_POR_FECHAS)                       \
  X(ObtenerRangoFechasPorZetas, CMD_OBTENER_RANGO_FECHAS_POR_ZETAS)                       \
  X(OperacionCajero, CMD_OPERACION_CAJERO)

// The commands whose answers carry fields: X(namespace name, command).
#define VXP_RG3561_ANSWER_COMMANDS(X)                                                           \
  X(ConsultarEstado, CMD_CONSULTAR_ESTADO)                                                      \
  X(ConsultarUltimoError, CMD_CONSULTAR_ULTIMO_ERROR)                                           \
  X(ConsultarInformacionBloqueo, CMD_CONSULTAR_INFORMACION_BLOQUEO)                             \
  X(ConsultarCantidadIvasOtrosTributos, CMD_CONSULTAR_CANTIDAD_IVAS_OTROS_TRIBUTOS)             \
  X(ConsultarCapacidadZetas, CMD_CONSULTAR_CAPACIDAD_ZETAS)                                     \
  X(CerrarJornadaFiscal, CMD_CERRAR_JORNADA_FISCAL)                                             \
  X(AbrirDocumento, CMD_ABRIR_DOCUMENTO)                                                        \
  X(ImprimirItem, CMD_IMPRIMIR_ITEM)                                                            \
  X(ConsultarSubtotal, CMD_CONSULTAR_SUBTOTAL)                                                  \
  X(ImprimirPago, CMD_IMPRIMIR_PAGO)                                                            \
  X(CerrarDocumento, CMD_CERRAR_DOCUMENTO)                                                      \
  X(ConsultarInformacionAritmetica, CMD_CONSULTAR_INFORMACION_ARITMETICA)                       \
  X(ConsultarUltimaConexion, CMD_CONSULTAR_ULTIMA_CONEXION)                                     \
  X(AnularItem, CMD_ANULAR_ITEM)                                                                \
  X(ImprimirAjuste, CMD_IMPRIMIR_AJUSTE)                                                        \
  X(ImprimirDescuentoItem, CMD_IMPRIMIR_DESCUENTO_ITEM)                                         \
  X(ConsultarFechaHora, CMD_CONSULTAR_FECHA_HORA)                                               \
  X(ImprimirAnticipoBonificacionEnvases, CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES)            \
  X(ConsultarDatosInicializacion, CMD_CONSULTAR_DATOS_INICIALIZACION)                           \
  X(ObtenerPrimerBloqueReporteElectronico, CMD_OBTENER_PRIMER_BLOQUE_REPORTE_ELECTRONICO)       \
  X(ObtenerSiguienteBloqueReporteElectronico, CMD_OBTENER_SIGUIENTE_BLOQUE_REPORTE_ELECTRONICO) \
  X(ConsultarVersion, CMD_CONSULTAR_VERSION)                                                    \
  X(ConsultarAcumuladosCierreZeta, CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA)                        \
  X(ConsultarAcumuladosMemoriaDeTrabajo, CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO)           \
  X(ConsultarAcumuladosComprobante, CMD_CONSULTAR_ACUMULADOS_COMPROBANTE)                       \
  X(ContinuarConsultaAcumulados, CMD_CONTINUAR_CONSULTA_ACUMULADOS)                             \
  X(ConsultarDocumentoAsociado, CMD_CONSULTAR_DOCUMENTO_ASOCIADO)                               \
  X(PedirReimpresion, CMD_PEDIR_REIMPRESION)                                                    \
  X(ConsultarZona, CMD_CONSULTAR_ZONA)                                                          \
  X(ConsultarConfiguracionRed, CMD_CONSULTAR_CONFIGURACION_RED)                                 \
  X(ObtenerPrimerBloqueAuditoria, CMD_OBTENER_PRIMER_BLOQUE_AUDITORIA)                          \
  X(ObtenerSiguienteBloqueAuditoria, CMD_OBTENER_SIGUIENTE_BLOQUE_AUDITORIA)                    \
  X(ConsultarCapacidadesImpresoraFiscal, CMD_CONSULTAR_CAPACIDADES_IMPRESORA_FISCAL)            \
  X(ObtenerPrimerBloqueDocumento, CMD_OBTENER_PRIMER_BLOQUE_DOCUMENTO)                          \
  X(ObtenerPrimerBloqueLog, CMD_OBTENER_PRIMER_BLOQUE_LOG)                                      \
  X(ObtenerSiguienteBloqueLog, CMD_OBTENER_SIGUIENTE_BLOQUE_LOG)                                \
  X(ObtenerSiguienteBloqueDocumento, CMD_OBTENER_SIGUIENTE_BLOQUE_DOCUMENTO)                    \
  X(ConsultarConfiguracionImpresoraFiscal, CMD_CONSULTAR_CONFIGURACION_IMPRESORA_FISCAL)        \
  X(ConsultarConfiguracionServidorCorreo, CMD_CONSULTAR_CONFIGURACION_SERVIDOR_CORREO)          \
  X(ConsultarZetaBorrable, CMD_CONSULTAR_ZETA_BORRABLE)                                         \
  X(ObtenerRangoZetasPorFechas, CMD_OBTENER_RANGO_ZETAS_POR_FECHAS)                             \
  X(ObtenerRangoFechasPorZetas, CMD_OBTENER_RANGO_FECHAS_POR_ZETAS)                             \
  X(ConsultarEstadoECR, CMD_CONSULTAR_ESTADO_ECR)

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
