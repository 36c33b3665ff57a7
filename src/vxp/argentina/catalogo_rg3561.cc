// The command table and the layout choice of content-dependent answers.
#include "vxp/argentina/catalogo_rg3561.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"

namespace VXP::Argentina::RG3561 {

namespace {

// The code tables and bit words that fields refer to, by their names.
namespace T {
constexpr const CodeTable* CondicionesIVA = &AFIP::CondicionesIVATable;
constexpr const CodeTable* TiposComprobante = &AFIP::TiposComprobanteTable;
constexpr const CodeTable* TiposPago = &AFIP::TiposPagoTable;
constexpr const CodeTable* TiposTributos = &AFIP::TiposTributosTable;
constexpr const CodeTable* UnidadesMedida = &AFIP::UnidadesMedidaTable;
constexpr const CodeTable* OperacionesCajero = &ECR::OperacionesCajeroTable;
constexpr const CodeTable* Baudios = &Vardex_Funcs::BaudiosTable;
constexpr const CodeTable* Capacidades = &Vardex_Funcs::CapacidadesTable;
constexpr const CodeTable* CompresionDeInformacion = &Vardex_Funcs::CompresionDeInformacionTable;
constexpr const CodeTable* Configuracion = &Vardex_Funcs::ConfiguracionTable;
constexpr const CodeTable* EstadosFiscales = &Vardex_Funcs::EstadosFiscalesTable;
constexpr const CodeTable* IdentificadorBloque = &Vardex_Funcs::IdentificadorBloqueTable;
constexpr const CodeTable* ImpresionCodigoDeBarras = &Vardex_Funcs::ImpresionCodigoDeBarrasTable;
constexpr const CodeTable* ImpresionNumeroCodigoDeBarras =
    &Vardex_Funcs::ImpresionNumeroCodigoDeBarrasTable;
constexpr const CodeTable* ImpresionSubtotal = &Vardex_Funcs::ImpresionSubtotalTable;
constexpr const CodeTable* ModosDeDisplay = &Vardex_Funcs::ModosDeDisplayTable;
constexpr const CodeTable* ModosDeImpuestosInternos = &Vardex_Funcs::ModosDeImpuestosInternosTable;
constexpr const CodeTable* ModosDeMonto = &Vardex_Funcs::ModosDeMontoTable;
constexpr const CodeTable* ModosDePago = &Vardex_Funcs::ModosDePagoTable;
constexpr const CodeTable* ModosDePrecio = &Vardex_Funcs::ModosDePrecioTable;
constexpr const CodeTable* OperacionesCargaLogoUsuario =
    &Vardex_Funcs::OperacionesCargaLogoUsuarioTable;
constexpr const CodeTable* SiNo = &Vardex_Funcs::SiNoTable;
constexpr const CodeTable* TipoReporte = &Vardex_Funcs::TipoReporteTable;
constexpr const CodeTable* TipoReporteAuditoria = &Vardex_Funcs::TipoReporteAuditoriaTable;
constexpr const CodeTable* TipoReporteZ = &Vardex_Funcs::TipoReporteZTable;
constexpr const CodeTable* TiposDeAjustes = &Vardex_Funcs::TiposDeAjustesTable;
constexpr const CodeTable* TiposDeCodigoDeBarras = &Vardex_Funcs::TiposDeCodigoDeBarrasTable;
constexpr const CodeTable* TiposDeDocumentoCliente = &Vardex_Funcs::TiposDeDocumentoClienteTable;
constexpr const CodeTable* TiposDeEstacion = &Vardex_Funcs::TiposDeEstacionTable;
constexpr const CodeTable* TiposDeOperacionesGlobalesIVA =
    &Vardex_Funcs::TiposDeOperacionesGlobalesIVATable;
constexpr const CodeTable* TiposDeRegistroInforme = &Vardex_Funcs::TiposDeRegistroInformeTable;
constexpr const CodeTable* TiposDeResponsabilidadesCliente =
    &Vardex_Funcs::TiposDeResponsabilidadesClienteTable;
constexpr const CodeTable* TiposDeResponsabilidadesImpresor =
    &Vardex_Funcs::TiposDeResponsabilidadesImpresorTable;
constexpr const CodeTable* TiposReporteAFIP = &Vardex_Funcs::TiposReporteAFIPTable;
constexpr const CodeTable* XMLsPorBajada = &Vardex_Funcs::XMLsPorBajadaTable;
constexpr const CodeTable* ZonasDeLineasDeUsuario = &Vardex_Funcs::ZonasDeLineasDeUsuarioTable;

constexpr const BitWordTable* AtributosDeTexto = &Vardex_Funcs::AtributosDeTextoTable;
constexpr const BitWordTable* EstadoAuxiliar = &Vardex_Funcs::EstadoAuxiliarTable;
}  // namespace T

constexpr TableRef NONE{};

#include "vxp/argentina/answer_fields_rg3561.inc"
#include "vxp/argentina/request_fields_rg3561.inc"

constexpr AnswerDescription NO_ANSWER{};

using Answer::Fixed;

// One row per command, in ascending order of the command byte:
// command, document name, request fields, answer.
constexpr CommandDescription kCommands[] = {
    {CMD_CONSULTAR_ESTADO, "ConsultarEstado", Request::ConsultarEstado,
     Fixed(Answer::ConsultarEstado)},
    {CMD_CONSULTAR_ULTIMO_ERROR, "ConsultarUltimoError", {}, Fixed(Answer::ConsultarUltimoError)},
    {CMD_CONSULTAR_INFORMACION_BLOQUEO,
     "ConsultarInformacionBloqueo",
     {},
     Fixed(Answer::ConsultarInformacionBloqueo)},
    {CMD_CONSULTAR_CANTIDAD_IVAS_OTROS_TRIBUTOS,
     "ConsultarCantidadIvasOtrosTributos",
     {},
     Fixed(Answer::ConsultarCantidadIvasOtrosTributos)},
    {CMD_CONSULTAR_CAPACIDAD_ZETAS,
     "ConsultarCapacidadZetas",
     {},
     Fixed(Answer::ConsultarCapacidadZetas)},
    {CMD_CERRAR_JORNADA_FISCAL, "CerrarJornadaFiscal", Request::CerrarJornadaFiscal,
     Answer::CerrarJornadaFiscal},
    {CMD_REPORTAR_ZETAS_POR_FECHA, "ReportarZetasPorFecha", Request::ReportarZetasPorFecha,
     NO_ANSWER},
    {CMD_REPORTAR_ZETAS_POR_NUMERO_ZETA, "ReportarZetasPorNumeroZeta",
     Request::ReportarZetasPorNumeroZeta, NO_ANSWER},
    {CMD_ABRIR_DOCUMENTO, "AbrirDocumento", Request::AbrirDocumento, Fixed(Answer::AbrirDocumento)},
    {CMD_IMPRIMIR_TEXTO_FISCAL, "ImprimirTextoFiscal", Request::ImprimirTextoFiscal, NO_ANSWER},
    {CMD_IMPRIMIR_ITEM, "ImprimirItem", Request::ImprimirItem, Fixed(Answer::ImprimirItem)},
    {CMD_CONSULTAR_SUBTOTAL, "ConsultarSubtotal", Request::ConsultarSubtotal,
     Fixed(Answer::ConsultarSubtotal)},
    {CMD_IMPRIMIR_PAGO, "ImprimirPago", Request::ImprimirPago, Fixed(Answer::ImprimirPago)},
    {CMD_CERRAR_DOCUMENTO, "CerrarDocumento", Request::CerrarDocumento,
     Fixed(Answer::CerrarDocumento)},
    {CMD_IMPRIMIR_TEXTO_PRUEBA_PERIFERICOS, "ImprimirTextoPruebaPerifericos",
     Request::ImprimirTextoPruebaPerifericos, NO_ANSWER},
    {CMD_CONSULTAR_INFORMACION_ARITMETICA, "ConsultarInformacionAritmetica",
     Request::ConsultarInformacionAritmetica, Fixed(Answer::ConsultarInformacionAritmetica)},
    {CMD_CONSULTAR_ULTIMA_CONEXION,
     "ConsultarUltimaConexion",
     {},
     Fixed(Answer::ConsultarUltimaConexion)},
    {CMD_IMPRIMIR_TEXTO_GENERICO, "ImprimirTextoGenerico", Request::ImprimirTextoGenerico,
     NO_ANSWER},
    {CMD_AVANZAR_PAPEL_ESTACION_TIQUE, "AvanzarPapelEstacionTique",
     Request::AvanzarPapelEstacionTique, NO_ANSWER},
    {CMD_AVANZAR_PAPEL_ESTACION_AUDITORIA, "AvanzarPapelEstacionAuditoria",
     Request::AvanzarPapelEstacionAuditoria, NO_ANSWER},
    {CMD_AVANZAR_PAPEL_AMBAS_ESTACIONES, "AvanzarPapelAmbasEstaciones",
     Request::AvanzarPapelAmbasEstaciones, NO_ANSWER},
    {CMD_ANULAR_ITEM, "AnularItem", Request::AnularItem, Fixed(Answer::AnularItem)},
    {CMD_IMPRIMIR_AJUSTE, "ImprimirAjuste", Request::ImprimirAjuste, Fixed(Answer::ImprimirAjuste)},
    {CMD_IMPRIMIR_DESCUENTO_ITEM, "ImprimirDescuentoItem", Request::ImprimirDescuentoItem,
     Fixed(Answer::ImprimirDescuentoItem)},
    {CMD_CONFIGURAR_FECHA_HORA, "ConfigurarFechaHora", Request::ConfigurarFechaHora, NO_ANSWER},
    {CMD_CONSULTAR_FECHA_HORA, "ConsultarFechaHora", {}, Fixed(Answer::ConsultarFechaHora)},
    {CMD_CARGAR_CODIGO_BARRAS, "CargarCodigoBarras", Request::CargarCodigoBarras, NO_ANSWER},
    {CMD_IMPRIMIR_OTROS_TRIBUTOS, "ImprimirOtrosTributos", Request::ImprimirOtrosTributos,
     NO_ANSWER},
    {CMD_CARGAR_DATOS_CLIENTE, "CargarDatosCliente", Request::CargarDatosCliente, NO_ANSWER},
    {CMD_CAMBIAR_CATEGORIA_IVA, "CambiarCategoriaIVA", Request::CambiarCategoriaIVA, NO_ANSWER},
    {CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES, "ImprimirAnticipoBonificacionEnvases",
     Request::ImprimirAnticipoBonificacionEnvases,
     Fixed(Answer::ImprimirAnticipoBonificacionEnvases)},
    {CMD_CAMBIAR_INSCRIP_IIBB, "CambiarInscripIIBB", Request::CambiarInscripIIBB, NO_ANSWER},
    {CMD_CONSULTAR_DATOS_INICIALIZACION,
     "ConsultarDatosInicializacion",
     {},
     Fixed(Answer::ConsultarDatosInicializacion)},
    {CMD_OBTENER_PRIMER_BLOQUE_REPORTE_ELECTRONICO, "ObtenerPrimerBloqueReporteElectronico",
     Request::ObtenerPrimerBloqueReporteElectronico, Fixed(Answer::Bloque)},
    {CMD_OBTENER_SIGUIENTE_BLOQUE_REPORTE_ELECTRONICO,
     "ObtenerSiguienteBloqueReporteElectronico",
     {},
     Fixed(Answer::Bloque)},
    {CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES, "CambiarFechaInicioActividades",
     Request::CambiarFechaInicioActividades, NO_ANSWER},
    {CMD_ABRIR_CAJON_DINERO, "AbrirCajonDinero", {}, NO_ANSWER},
    {CMD_CONSULTAR_VERSION, "ConsultarVersion", {}, Fixed(Answer::ConsultarVersion)},
    {CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA, "ConsultarAcumuladosCierreZeta",
     Request::ConsultarAcumuladosCierreZeta, Answer::Acumulados},
    {CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO, "ConsultarAcumuladosMemoriaDeTrabajo",
     Request::ConsultarAcumuladosMemoriaDeTrabajo, Answer::Acumulados},
    {CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, "ConsultarAcumuladosComprobante",
     Request::ConsultarAcumuladosComprobante, Answer::AcumuladosComprobante},
    {CMD_CONTINUAR_CONSULTA_ACUMULADOS, "ContinuarConsultaAcumulados", {}, Answer::Acumulados},
    {CMD_CARGAR_LOGO_EMISOR, "CargarLogoEmisor", Request::CargarLogoEmisor, NO_ANSWER},
    {CMD_ELIMINAR_LOGO_EMISOR, "EliminarLogoEmisor", {}, NO_ANSWER},
    {CMD_CARGAR_DOCUMENTO_ASOCIADO, "CargarDocumentoAsociado", Request::CargarDocumentoAsociado,
     NO_ANSWER},
    {CMD_CONSULTAR_DOCUMENTO_ASOCIADO, "ConsultarDocumentoAsociado",
     Request::ConsultarDocumentoAsociado, Fixed(Answer::ConsultarDocumentoAsociado)},
    {CMD_IMPRIMIR_CONCEPTO_RECIBO, "ImprimirConceptoRecibo", Request::ImprimirConceptoRecibo,
     NO_ANSWER},
    {CMD_CANCELAR, "Cancelar", {}, NO_ANSWER},
    {CMD_PEDIR_REIMPRESION, "PedirReimpresion", {}, Fixed(Answer::PedirReimpresion)},
    {CMD_CONFIGURAR_ZONA, "ConfigurarZona", Request::ConfigurarZona, NO_ANSWER},
    {CMD_CONSULTAR_ZONA, "ConsultarZona", Request::ConsultarZona, Fixed(Answer::ConsultarZona)},
    {CMD_CAMBIAR_VELOCIDAD_PUERTO, "CambiarVelocidadPuerto", Request::CambiarVelocidadPuerto,
     NO_ANSWER},
    {CMD_CONSULTAR_ESTADO_ESPERA, "ConsultarEstadoEspera", {}, NO_ANSWER},
    {CMD_CONFIGURAR_RED, "ConfigurarRed", Request::ConfigurarRed, NO_ANSWER},
    {CMD_CONSULTAR_CONFIGURACION_RED,
     "ConsultarConfiguracionRed",
     {},
     Fixed(Answer::ConsultarConfiguracionRed)},
    {CMD_OBTENER_PRIMER_BLOQUE_AUDITORIA, "ObtenerPrimerBloqueAuditoria",
     Request::ObtenerPrimerBloqueAuditoria, Fixed(Answer::Bloque)},
    {CMD_OBTENER_SIGUIENTE_BLOQUE_AUDITORIA,
     "ObtenerSiguienteBloqueAuditoria",
     {},
     Fixed(Answer::Bloque)},
    {CMD_CONSULTAR_CAPACIDADES_IMPRESORA_FISCAL, "ConsultarCapacidadesImpresoraFiscal",
     Request::ConsultarCapacidadesImpresoraFiscal,
     Fixed(Answer::ConsultarCapacidadesImpresoraFiscal)},
    {CMD_OBTENER_PRIMER_BLOQUE_DOCUMENTO, "ObtenerPrimerBloqueDocumento",
     Request::ObtenerPrimerBloqueDocumento, Fixed(Answer::Bloque)},
    {CMD_OBTENER_PRIMER_BLOQUE_LOG, "ObtenerPrimerBloqueLog", {}, Fixed(Answer::Bloque)},
    {CMD_OBTENER_SIGUIENTE_BLOQUE_LOG, "ObtenerSiguienteBloqueLog", {}, Fixed(Answer::Bloque)},
    {CMD_OBTENER_SIGUIENTE_BLOQUE_DOCUMENTO,
     "ObtenerSiguienteBloqueDocumento",
     {},
     Fixed(Answer::Bloque)},
    {CMD_CONFIGURAR_IMPRESORA_FISCAL, "ConfigurarImpresoraFiscal",
     Request::ConfigurarImpresoraFiscal, NO_ANSWER},
    {CMD_CONSULTAR_CONFIGURACION_IMPRESORA_FISCAL, "ConsultarConfiguracionImpresoraFiscal",
     Request::ConsultarConfiguracionImpresoraFiscal,
     Fixed(Answer::ConsultarConfiguracionImpresoraFiscal)},
    {CMD_COPIAR_COMPROBANTE, "CopiarComprobante", Request::CopiarComprobante, NO_ANSWER},
    {CMD_CONFIGURAR_SERVIDOR_CORREO, "ConfigurarServidorCorreo", Request::ConfigurarServidorCorreo,
     NO_ANSWER},
    {CMD_CONSULTAR_CONFIGURACION_SERVIDOR_CORREO,
     "ConsultarConfiguracionServidorCorreo",
     {},
     Fixed(Answer::ConsultarConfiguracionServidorCorreo)},
    {CMD_ENVIAR_DOCUMENTO_CORREO, "EnviarDocumentoCorreo", Request::EnviarDocumentoCorreo,
     NO_ANSWER},
    {CMD_CONFIGURAR_ZETA_BORRABLE, "ConfigurarZetaBorrable", Request::ConfigurarZetaBorrable,
     NO_ANSWER},
    {CMD_CONSULTAR_ZETA_BORRABLE,
     "ConsultarZetaBorrable",
     {},
     Fixed(Answer::ConsultarZetaBorrable)},
    {CMD_CARGAR_BENEFICIARIO, "CargarBeneficiario", Request::CargarBeneficiario, NO_ANSWER},
    {CMD_CARGAR_TRANSPORTISTA, "CargarTransportista", Request::CargarTransportista, NO_ANSWER},
    {CMD_OBTENER_RANGO_ZETAS_POR_FECHAS, "ObtenerRangoZetasPorFechas",
     Request::ObtenerRangoZetasPorFechas, Fixed(Answer::ObtenerRangoZetasPorFechas)},
    {CMD_OBTENER_RANGO_FECHAS_POR_ZETAS, "ObtenerRangoFechasPorZetas",
     Request::ObtenerRangoFechasPorZetas, Fixed(Answer::ObtenerRangoFechasPorZetas)},
    {CMD_OPERACION_CAJERO, "OperacionCajero", Request::OperacionCajero, NO_ANSWER},
    {CMD_CONSULTAR_ESTADO_ECR, "ConsultarEstadoECR", {}, Fixed(Answer::ConsultarEstadoECR)},
};

// Checks of the data's shape that need no reading of its contents.

constexpr bool StrictlyAscending() {
  for (std::size_t i = 1; i < std::size(kCommands); ++i) {
    if (kCommands[i - 1].Command >= kCommands[i].Command) return false;
  }
  return true;
}
static_assert(std::size(kCommands) == 76);
static_assert(StrictlyAscending(), "one row per command byte, in ascending order");

constexpr std::size_t CountRequestFields() {
  std::size_t n = 0;
  for (const CommandDescription& c : kCommands) n += c.Request.size();
  return n;
}
static_assert(CountRequestFields() == 165);

// Command byte -> row index + 1 (0: no command).
constexpr std::array<std::uint8_t, 256> MakeIndex() {
  std::array<std::uint8_t, 256> index{};
  for (std::size_t i = 0; i < std::size(kCommands); ++i) {
    index[kCommands[i].Command] = static_cast<std::uint8_t>(i + 1);
  }
  return index;
}
constexpr std::array<std::uint8_t, 256> kIndex = MakeIndex();

// Whether a text of field 0 names the code: either of its text forms, ASCII
// case ignored.
bool Names(const CodeTable& Table, std::uint32_t Code, std::string_view Text) {
  const CodeEntry* e = FindCodeByValue(Table, Code);
  if (e == nullptr) return false;
  return EqualsIgnoringCase(Text, e->Text) || EqualsIgnoringCase(Text, e->Name);
}

}  // namespace

std::span<const CommandDescription> AllCommands() { return kCommands; }

const CommandDescription* FindCommand(Comandos Cmd) {
  const std::uint8_t i = kIndex[static_cast<std::uint8_t>(Cmd)];
  return i == 0 ? nullptr : &kCommands[i - 1];
}

Layout AnswerLayoutFor(const AnswerDescription& Answer, const char* Field0) {
  if (!Answer.ByContent()) return Answer.Fixed;
  if (Field0 != nullptr) {
    for (const LayoutChoice& c : Answer.Choices) {
      if (Names(*Answer.Deciding, c.Code, Field0)) return c.Fields;
    }
  }
  return Layout(Answer.Field0, 1);
}

Layout AnswerLayoutForCode(const AnswerDescription& Answer, std::uint32_t Code) {
  if (!Answer.ByContent()) return Answer.Fixed;
  for (const LayoutChoice& c : Answer.Choices) {
    if (c.Code == Code) return c.Fields;
  }
  return Layout(Answer.Field0, 1);
}

}  // namespace VXP::Argentina::RG3561
