// The request and answer fields of every command: names, numbers, types,
// tables, defaults, value normalisation and the answers whose layout depends
// on their field 0.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/vardex_data_container.h"

namespace VXP::Argentina::RG3561 {
namespace {

Comandos CommandNamed(const char* name) {
  Comandos c = static_cast<Comandos>(0);
  EXPECT_TRUE(FromString(name, c)) << name;
  return c;
}

struct RequestRow {
  const char* Command;
  unsigned Number;
  const char* Field;
  Types Type;
  const char* Table;
  const char* DefaultPacket;    // null: mandatory
  const char* DefaultSymbolic;  // null: mandatory
};

// Every request field as listed for the controller.
constexpr RequestRow kRequest[] = {
    {"AbrirDocumento", 0, "CodigoComprobante", ENUM, "TiposComprobante", nullptr, nullptr},
    {"ImprimirTextoFiscal", 0, "Atributos", BITFIELD, "AtributosDeTexto", "00", ""},
    {"ImprimirTextoFiscal", 1, "Texto", STRING, "", nullptr, nullptr},
    {"ImprimirTextoFiscal", 2, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirItem", 0, "Descripcion", STRING, "", nullptr, nullptr},
    {"ImprimirItem", 1, "Cantidad", REAL, "", nullptr, nullptr},
    {"ImprimirItem", 2, "PrecioUnitario", REAL, "", nullptr, nullptr},
    {"ImprimirItem", 3, "CondicionIVA", ENUM, "CondicionesIVA", "7", "Gravado"},
    {"ImprimirItem", 4, "AlicuotaIVA", REAL, "", "0.00", "0.00"},
    {"ImprimirItem", 5, "OperacionMonto", ENUM, "ModosDeMonto", nullptr, nullptr},
    {"ImprimirItem", 6, "TipoImpuestoInterno", ENUM, "ModosDeImpuestosInternos", "0",
     "IIVariableKIVA"},
    {"ImprimirItem", 7, "MagnitudImpuestoInterno", REAL, "", nullptr, nullptr},
    {"ImprimirItem", 8, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirItem", 9, "ModoBaseTotal", ENUM, "ModosDePrecio", nullptr, nullptr},
    {"ImprimirItem", 10, "UnidadReferencia", INTEGER, "", "1", "1"},
    {"ImprimirItem", 11, "CodigoProducto", STRING, "", "", ""},
    {"ImprimirItem", 12, "CodigoInterno", STRING, "", "", ""},
    {"ImprimirItem", 13, "UnidadMedida", ENUM, "UnidadesMedida", "7", "Unidad"},
    {"ImprimirDescuentoItem", 0, "Descripcion", STRING, "", nullptr, nullptr},
    {"ImprimirDescuentoItem", 1, "Monto", REAL, "", nullptr, nullptr},
    {"ImprimirDescuentoItem", 2, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirDescuentoItem", 3, "ModoBaseTotal", ENUM, "ModosDePrecio", nullptr, nullptr},
    {"ImprimirAnticipoBonificacionEnvases", 0, "Descripcion", STRING, "", nullptr, nullptr},
    {"ImprimirAnticipoBonificacionEnvases", 1, "Monto", REAL, "", nullptr, nullptr},
    {"ImprimirAnticipoBonificacionEnvases", 2, "CondicionIVA", ENUM, "CondicionesIVA", "7",
     "Gravado"},
    {"ImprimirAnticipoBonificacionEnvases", 3, "AlicuotaIVA", REAL, "", "0.00", "0.00"},
    {"ImprimirAnticipoBonificacionEnvases", 4, "TipoImpuestoInterno", ENUM,
     "ModosDeImpuestosInternos", "0", "IIVariableKIVA"},
    {"ImprimirAnticipoBonificacionEnvases", 5, "MagnitudImpuestoInterno", REAL, "", nullptr,
     nullptr},
    {"ImprimirAnticipoBonificacionEnvases", 6, "ModoDisplay", ENUM, "ModosDeDisplay", "0",
     "DisplayNo"},
    {"ImprimirAnticipoBonificacionEnvases", 7, "ModoBaseTotal", ENUM, "ModosDePrecio", nullptr,
     nullptr},
    {"ImprimirAnticipoBonificacionEnvases", 8, "CodigoProducto", STRING, "", "", ""},
    {"ImprimirAnticipoBonificacionEnvases", 9, "Operacion", ENUM, "TiposDeOperacionesGlobalesIVA",
     nullptr, nullptr},
    {"ImprimirAjuste", 0, "Descripcion", STRING, "", nullptr, nullptr},
    {"ImprimirAjuste", 1, "Monto", REAL, "", nullptr, nullptr},
    {"ImprimirAjuste", 2, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirAjuste", 3, "ModoBaseTotal", ENUM, "ModosDePrecio", nullptr, nullptr},
    {"ImprimirAjuste", 4, "CodigoProducto", STRING, "", "", ""},
    {"ImprimirAjuste", 5, "Operacion", ENUM, "TiposDeAjustes", nullptr, nullptr},
    {"ImprimirOtrosTributos", 0, "Codigo", ENUM, "TiposTributos", nullptr, nullptr},
    {"ImprimirOtrosTributos", 1, "Descripcion", STRING, "", nullptr, nullptr},
    {"ImprimirOtrosTributos", 2, "BaseImponible", REAL, "", nullptr, nullptr},
    {"ImprimirOtrosTributos", 3, "Importe", REAL, "", nullptr, nullptr},
    {"ImprimirConceptoRecibo", 0, "Descripcion", STRING, "", nullptr, nullptr},
    {"AnularItem", 0, "IndiceAuditoria", INTEGER, "", nullptr, nullptr},
    {"ConsultarSubtotal", 0, "Impresion", ENUM, "ImpresionSubtotal", "N", "NoImprimeSubtotal"},
    {"ConsultarSubtotal", 1, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirPago", 0, "Descripcion", STRING, "", nullptr, nullptr},
    {"ImprimirPago", 1, "Monto", REAL, "", nullptr, nullptr},
    {"ImprimirPago", 2, "Operacion", ENUM, "ModosDePago", nullptr, nullptr},
    {"ImprimirPago", 3, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirPago", 4, "DescripcionAdicional", STRING, "", "", ""},
    {"ImprimirPago", 5, "CodigoFormaPago", ENUM, "TiposPago", "8", "Efectivo"},
    {"ImprimirPago", 6, "Cuotas", INTEGER, "", "0", "0"},
    {"ImprimirPago", 7, "Cupones", STRING, "", "", ""},
    {"ImprimirPago", 8, "Referencia", STRING, "", "", ""},
    {"CerrarDocumento", 0, "Copias", INTEGER, "", "0", "0"},
    {"CerrarDocumento", 1, "DireccionEMail", STRING, "", "", ""},
    {"CargarDatosCliente", 0, "RazonSocial", STRING, "", "", ""},
    {"CargarDatosCliente", 1, "NumeroDocumento", STRING, "", "", ""},
    {"CargarDatosCliente", 2, "ResponsabilidadIVA", ENUM, "TiposDeResponsabilidadesCliente",
     nullptr, nullptr},
    {"CargarDatosCliente", 3, "TipoDocumento", ENUM, "TiposDeDocumentoCliente", " ", "TipoNinguno"},
    {"CargarDatosCliente", 4, "Domicilio", STRING, "", "", ""},
    {"CargarDatosCliente", 5, "DatosAdicionales1", STRING, "", "", ""},
    {"CargarDatosCliente", 6, "DatosAdicionales2", STRING, "", "", ""},
    {"CargarDatosCliente", 7, "DatosAdicionales3", STRING, "", "", ""},
    {"CargarDocumentoAsociado", 0, "NumeroLinea", INTEGER, "", nullptr, nullptr},
    {"CargarDocumentoAsociado", 1, "CodigoComprobante", ENUM, "TiposComprobante", "0",
     "NoDocumento"},
    {"CargarDocumentoAsociado", 2, "NumeroPos", INTEGER, "", "0", "0"},
    {"CargarDocumentoAsociado", 3, "NumeroComprobante", INTEGER, "", "0", "0"},
    {"ConsultarDocumentoAsociado", 0, "NumeroLinea", INTEGER, "", nullptr, nullptr},
    {"CargarBeneficiario", 0, "RazonSocial", STRING, "", nullptr, nullptr},
    {"CargarBeneficiario", 1, "NumeroDocumento", STRING, "", nullptr, nullptr},
    {"CargarBeneficiario", 2, "TipoDocumento", ENUM, "TiposDeDocumentoCliente", nullptr, nullptr},
    {"CargarBeneficiario", 3, "Domicilio", STRING, "", "", ""},
    {"CargarTransportista", 0, "RazonSocial", STRING, "", nullptr, nullptr},
    {"CargarTransportista", 1, "Cuit", STRING, "", nullptr, nullptr},
    {"CargarTransportista", 2, "Domicilio", STRING, "", nullptr, nullptr},
    {"CargarTransportista", 3, "NombreChofer", STRING, "", "", ""},
    {"CargarTransportista", 4, "TipoDocumento", ENUM, "TiposDeDocumentoCliente", " ",
     "TipoNinguno"},
    {"CargarTransportista", 5, "NumeroDocumento", STRING, "", "", ""},
    {"CargarTransportista", 6, "Dominio1", STRING, "", nullptr, nullptr},
    {"CargarTransportista", 7, "Dominio2", STRING, "", "", ""},
    {"CargarCodigoBarras", 0, "TipoCodigo", ENUM, "TiposDeCodigoDeBarras", nullptr, nullptr},
    {"CargarCodigoBarras", 1, "Numero", STRING, "", nullptr, nullptr},
    {"CargarCodigoBarras", 2, "ImprimeNumero", ENUM, "ImpresionNumeroCodigoDeBarras", "N",
     "ImprimeNumerosCodigo"},
    {"CargarCodigoBarras", 3, "Almacena", ENUM, "ImpresionCodigoDeBarras", "G", "ProgramaCodigo"},
    {"CopiarComprobante", 0, "CodigoComprobante", ENUM, "TiposComprobante", nullptr, nullptr},
    {"CopiarComprobante", 1, "NumeroComprobante", INTEGER, "", nullptr, nullptr},
    {"EnviarDocumentoCorreo", 0, "CodigoComprobante", ENUM, "TiposComprobante", nullptr, nullptr},
    {"EnviarDocumentoCorreo", 1, "NumeroComprobante", INTEGER, "", nullptr, nullptr},
    {"EnviarDocumentoCorreo", 2, "DireccionEMail", STRING, "", nullptr, nullptr},
    {"ImprimirTextoGenerico", 0, "Atributos", BITFIELD, "AtributosDeTexto", "00", ""},
    {"ImprimirTextoGenerico", 1, "Texto", STRING, "", nullptr, nullptr},
    {"ImprimirTextoGenerico", 2, "ModoDisplay", ENUM, "ModosDeDisplay", "0", "DisplayNo"},
    {"ImprimirTextoPruebaPerifericos", 0, "Atributos", BITFIELD, "AtributosDeTexto", "00", ""},
    {"ImprimirTextoPruebaPerifericos", 1, "Texto", STRING, "", nullptr, nullptr},
    {"AvanzarPapelEstacionTique", 0, "CantidadDeLineas", INTEGER, "", nullptr, nullptr},
    {"AvanzarPapelEstacionAuditoria", 0, "CantidadDeLineas", INTEGER, "", nullptr, nullptr},
    {"AvanzarPapelAmbasEstaciones", 0, "CantidadDeLineas", INTEGER, "", nullptr, nullptr},
    {"CerrarJornadaFiscal", 0, "Reporte", ENUM, "TipoReporte", nullptr, nullptr},
    {"ReportarZetasPorFecha", 0, "FechaInicial", DATE, "", nullptr, nullptr},
    {"ReportarZetasPorFecha", 1, "FechaFinal", DATE, "", nullptr, nullptr},
    {"ReportarZetasPorFecha", 2, "Reporte", ENUM, "TipoReporteAuditoria", nullptr, nullptr},
    {"ReportarZetasPorNumeroZeta", 0, "ZetaInicial", INTEGER, "", nullptr, nullptr},
    {"ReportarZetasPorNumeroZeta", 1, "ZetaFinal", INTEGER, "", nullptr, nullptr},
    {"ReportarZetasPorNumeroZeta", 2, "Reporte", ENUM, "TipoReporteAuditoria", nullptr, nullptr},
    {"ConsultarAcumuladosCierreZeta", 0, "TipoReporte", ENUM, "TipoReporteZ", nullptr, nullptr},
    {"ConsultarAcumuladosCierreZeta", 1, "NumeroZetaFecha", STRING, "", nullptr, nullptr},
    {"ConsultarAcumuladosCierreZeta", 2, "CodigoComprobante", ENUM, "TiposComprobante", "0",
     "NoDocumento"},
    {"ConsultarAcumuladosMemoriaDeTrabajo", 0, "CodigoComprobante", ENUM, "TiposComprobante", "0",
     "NoDocumento"},
    {"ConsultarAcumuladosComprobante", 0, "CodigoComprobante", ENUM, "TiposComprobante", nullptr,
     nullptr},
    {"ConsultarAcumuladosComprobante", 1, "NumeroComprobante", INTEGER, "", nullptr, nullptr},
    {"ObtenerRangoZetasPorFechas", 0, "FechaInicial", DATE, "", nullptr, nullptr},
    {"ObtenerRangoZetasPorFechas", 1, "FechaFinal", DATE, "", nullptr, nullptr},
    {"ObtenerRangoFechasPorZetas", 0, "ZetaInicial", INTEGER, "", nullptr, nullptr},
    {"ObtenerRangoFechasPorZetas", 1, "ZetaFinal", INTEGER, "", nullptr, nullptr},
    {"ConfigurarZetaBorrable", 0, "NumeroZeta", INTEGER, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueAuditoria", 0, "ZetaFechaInicial", STRING, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueAuditoria", 1, "ZetaFechaFinal", STRING, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueAuditoria", 2, "TipoReporte", ENUM, "TipoReporteZ", nullptr, nullptr},
    {"ObtenerPrimerBloqueAuditoria", 3, "Zipea", ENUM, "CompresionDeInformacion", nullptr, nullptr},
    {"ObtenerPrimerBloqueAuditoria", 4, "XMLUnico", ENUM, "XMLsPorBajada", nullptr, nullptr},
    {"ObtenerPrimerBloqueDocumento", 0, "NumeroInicial", INTEGER, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueDocumento", 1, "NumeroFinal", INTEGER, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueDocumento", 2, "CodigoComprobante", ENUM, "TiposComprobante", nullptr,
     nullptr},
    {"ObtenerPrimerBloqueDocumento", 3, "Zipea", ENUM, "CompresionDeInformacion", nullptr, nullptr},
    {"ObtenerPrimerBloqueDocumento", 4, "XMLUnico", ENUM, "XMLsPorBajada", nullptr, nullptr},
    {"ObtenerPrimerBloqueReporteElectronico", 0, "FechaInicial", DATE, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueReporteElectronico", 1, "FechaFinal", DATE, "", nullptr, nullptr},
    {"ObtenerPrimerBloqueReporteElectronico", 2, "TipoReporte", ENUM, "TiposReporteAFIP", "P",
     "ReporteAFIPCompleto"},
    {"ConsultarEstado", 0, "CodigoComprobante", ENUM, "TiposComprobante", "0", "NoDocumento"},
    {"ConsultarInformacionAritmetica", 0, "IndiceAuditoria", INTEGER, "", nullptr, nullptr},
    {"ConsultarInformacionAritmetica", 1, "IndiceDiscriminacionIVA", INTEGER, "", "0", "0"},
    {"ConsultarCapacidadesImpresoraFiscal", 0, "Capacidad", ENUM, "Capacidades", nullptr, nullptr},
    {"ConsultarCapacidadesImpresoraFiscal", 1, "Estacion", ENUM, "TiposDeEstacion", "D",
     "EstacionPorDefecto"},
    {"ConsultarCapacidadesImpresoraFiscal", 2, "CodigoComprobante", ENUM, "TiposComprobante", "0",
     "NoDocumento"},
    {"ConsultarConfiguracionImpresoraFiscal", 0, "Variable", ENUM, "Configuracion", nullptr,
     nullptr},
    {"ConsultarZona", 0, "NumeroLinea", INTEGER, "", nullptr, nullptr},
    {"ConsultarZona", 1, "Estacion", ENUM, "TiposDeEstacion", "D", "EstacionPorDefecto"},
    {"ConsultarZona", 2, "IdentificadorZona", ENUM, "ZonasDeLineasDeUsuario", nullptr, nullptr},
    {"ConfigurarZona", 0, "NumeroLinea", INTEGER, "", nullptr, nullptr},
    {"ConfigurarZona", 1, "Atributos", BITFIELD, "AtributosDeTexto", "00", ""},
    {"ConfigurarZona", 2, "Descripcion", STRING, "", "", ""},
    {"ConfigurarZona", 3, "Estacion", ENUM, "TiposDeEstacion", "D", "EstacionPorDefecto"},
    {"ConfigurarZona", 4, "IdentificadorZona", ENUM, "ZonasDeLineasDeUsuario", nullptr, nullptr},
    {"CargarLogoEmisor", 0, "Operacion", ENUM, "OperacionesCargaLogoUsuario", nullptr, nullptr},
    {"CargarLogoEmisor", 1, "Informacion", STRING, "", "", ""},
    {"ConfigurarFechaHora", 0, "Fecha", DATE, "", nullptr, nullptr},
    {"ConfigurarFechaHora", 1, "Hora", TIME, "", nullptr, nullptr},
    {"CambiarCategoriaIVA", 0, "ResponsabilidadIVA", ENUM, "TiposDeResponsabilidadesImpresor",
     nullptr, nullptr},
    {"CambiarInscripIIBB", 0, "IngBrutos", STRING, "", nullptr, nullptr},
    {"CambiarFechaInicioActividades", 0, "Fecha", LONGDATE, "", nullptr, nullptr},
    {"CambiarVelocidadPuerto", 0, "Baudios", ENUM, "Baudios", nullptr, nullptr},
    {"ConfigurarRed", 0, "DireccionIP", STRING, "", "", ""},
    {"ConfigurarRed", 1, "Mascara", STRING, "", "", ""},
    {"ConfigurarRed", 2, "Gateway", STRING, "", "", ""},
    {"ConfigurarRed", 3, "DHCP", ENUM, "SiNo", "N", "No"},
    {"ConfigurarServidorCorreo", 0, "DireccionIP", STRING, "", "", ""},
    {"ConfigurarServidorCorreo", 1, "Puerto", INTEGER, "", "25", "25"},
    {"ConfigurarServidorCorreo", 2, "DireccionRemitente", STRING, "", "", ""},
    {"ConfigurarImpresoraFiscal", 0, "Variable", ENUM, "Configuracion", nullptr, nullptr},
    {"ConfigurarImpresoraFiscal", 1, "Valor", STRING, "", nullptr, nullptr},
    {"OperacionCajero", 0, "NumeroCajero", INTEGER, "", nullptr, nullptr},
    {"OperacionCajero", 1, "NombreCajero", STRING, "", "", ""},
    {"OperacionCajero", 2, "Operacion", ENUM, "OperacionesCajero", "E", "Entrada"},
};

struct AnswerRow {
  const char* Command;
  unsigned Number;
  const char* Field;
  Types Type;
  const char* Table;
};

// Every field of the fixed answer layouts.
constexpr AnswerRow kFixedAnswers[] = {
    {"AbrirDocumento", 0, "NumeroComprobante", INTEGER, ""},
    {"ImprimirItem", 0, "IndiceAuditoria", INTEGER, ""},
    {"ImprimirDescuentoItem", 0, "IndiceAuditoria", INTEGER, ""},
    {"ImprimirAnticipoBonificacionEnvases", 0, "IndiceAuditoria", INTEGER, ""},
    {"ImprimirAjuste", 0, "IndiceAuditoria", INTEGER, ""},
    {"ImprimirAjuste", 1, "CantidadIVAs", INTEGER, ""},
    {"AnularItem", 0, "IndiceAuditoria", INTEGER, ""},
    {"ConsultarSubtotal", 0, "CantidadItems", REAL, ""},
    {"ConsultarSubtotal", 1, "Subtotal", REAL, ""},
    {"ConsultarSubtotal", 2, "MontoIVA", REAL, ""},
    {"ConsultarSubtotal", 3, "MontoPagado", REAL, ""},
    {"ConsultarSubtotal", 4, "MontoOtrosTributos", REAL, ""},
    {"ConsultarSubtotal", 5, "MontoImpInternos", REAL, ""},
    {"ConsultarSubtotal", 6, "MontoBase", REAL, ""},
    {"ConsultarSubtotal", 7, "AjusteRedondeo", REAL, ""},
    {"ImprimirPago", 0, "Saldo", REAL, ""},
    {"CerrarDocumento", 0, "NumeroComprobante", INTEGER, ""},
    {"CerrarDocumento", 1, "CantidadDePaginas", INTEGER, ""},
    {"ConsultarDocumentoAsociado", 0, "CodigoComprobante", ENUM, "TiposComprobante"},
    {"ConsultarDocumentoAsociado", 1, "NumeroPos", INTEGER, ""},
    {"ConsultarDocumentoAsociado", 2, "NumeroComprobante", INTEGER, ""},
    {"PedirReimpresion", 0, "NumeroDeCopia", INTEGER, ""},
    {"ConsultarEstado", 0, "EstadoAuxiliar", BITFIELD, "EstadoAuxiliar"},
    {"ConsultarEstado", 1, "EstadoInterno", ENUM, "EstadosFiscales"},
    {"ConsultarEstado", 2, "ComprobanteEnCurso", ENUM, "TiposComprobante"},
    {"ConsultarEstado", 3, "CodigoComprobante", ENUM, "TiposComprobante"},
    {"ConsultarEstado", 4, "NumeroUltimoComprobante", INTEGER, ""},
    {"ConsultarEstado", 5, "CantidadEmitidos", INTEGER, ""},
    {"ConsultarEstado", 6, "CantidadCancelados", INTEGER, ""},
    {"ConsultarUltimoError", 0, "UltimoError", STRING, ""},
    {"ConsultarUltimoError", 1, "NumeroParametro", INTEGER, ""},
    {"ConsultarUltimoError", 2, "Descripcion", STRING, ""},
    {"ConsultarUltimoError", 3, "Contexto", STRING, ""},
    {"ConsultarUltimoError", 4, "NombreParametro", STRING, ""},
    {"ConsultarInformacionBloqueo", 0, "CodigoBloqueo", STRING, ""},
    {"ConsultarInformacionBloqueo", 1, "Descripcion", STRING, ""},
    {"ConsultarInformacionBloqueo", 2, "Contexto", STRING, ""},
    {"ConsultarCantidadIvasOtrosTributos", 0, "CantidadAlicuotasIVA", INTEGER, ""},
    {"ConsultarCantidadIvasOtrosTributos", 1, "CantidadOtrosTributos", INTEGER, ""},
    {"ConsultarInformacionAritmetica", 0, "Cantidad", REAL, ""},
    {"ConsultarInformacionAritmetica", 1, "PrecioUnitarioBase", REAL, ""},
    {"ConsultarInformacionAritmetica", 2, "PrecioUnitarioTotal", REAL, ""},
    {"ConsultarInformacionAritmetica", 3, "CondicionIVA", ENUM, "CondicionesIVA"},
    {"ConsultarInformacionAritmetica", 4, "TasaIVA", REAL, ""},
    {"ConsultarInformacionAritmetica", 5, "MontoIVA", REAL, ""},
    {"ConsultarInformacionAritmetica", 6, "MontoImpuestosInternos", REAL, ""},
    {"ConsultarInformacionAritmetica", 7, "ImpuestosInternosFijos", ENUM, "SiNo"},
    {"ConsultarInformacionAritmetica", 8, "MontoBase", REAL, ""},
    {"ConsultarInformacionAritmetica", 9, "MontoTotal", REAL, ""},
    {"ConsultarInformacionAritmetica", 10, "MontoIVAImpreso", REAL, ""},
    {"ConsultarInformacionAritmetica", 11, "MontoImpuestosInternosImpreso", REAL, ""},
    {"ConsultarInformacionAritmetica", 12, "MontoBaseImpreso", REAL, ""},
    {"ConsultarInformacionAritmetica", 13, "MontoTotalImpreso", REAL, ""},
    {"ConsultarUltimaConexion", 0, "IdentificadorConexion", STRING, ""},
    {"ConsultarUltimaConexion", 1, "Fecha", DATE, ""},
    {"ConsultarUltimaConexion", 2, "Hora", TIME, ""},
    {"ConsultarEstadoECR", 0, "NumeroCajero", INTEGER, ""},
    {"ConsultarEstadoECR", 1, "NombreCajero", STRING, ""},
    {"ConsultarFechaHora", 0, "Fecha", DATE, ""},
    {"ConsultarFechaHora", 1, "Hora", TIME, ""},
    {"ConsultarVersion", 0, "Version", STRING, ""},
    {"ConsultarVersion", 1, "Marca", STRING, ""},
    {"ConsultarVersion", 2, "NombreProducto", STRING, ""},
    {"ConsultarVersion", 3, "VersionMotor", STRING, ""},
    {"ConsultarVersion", 4, "FechaFirmware", STRING, ""},
    {"ConsultarVersion", 5, "VersionProtocolo", INTEGER, ""},
    {"ConsultarDatosInicializacion", 0, "CUIT", STRING, ""},
    {"ConsultarDatosInicializacion", 1, "RazonSocial", STRING, ""},
    {"ConsultarDatosInicializacion", 2, "Registro", STRING, ""},
    {"ConsultarDatosInicializacion", 3, "NumeroPos", INTEGER, ""},
    {"ConsultarDatosInicializacion", 4, "FechaInicioActividades", DATE, ""},
    {"ConsultarDatosInicializacion", 5, "IngBrutos", STRING, ""},
    {"ConsultarDatosInicializacion", 6, "ResponsabilidadIVA", ENUM,
     "TiposDeResponsabilidadesImpresor"},
    {"ConsultarDatosInicializacion", 7, "FechaInicioActividadesCompleta", LONGDATE, ""},
    {"ConsultarCapacidadZetas", 0, "CantidadDeZetasRemanentes", INTEGER, ""},
    {"ConsultarCapacidadZetas", 1, "UltimaZeta", INTEGER, ""},
    {"ConsultarCapacidadZetas", 2, "UltimaZetaBajada", INTEGER, ""},
    {"ConsultarCapacidadZetas", 3, "UltimaZetaBorrable", INTEGER, ""},
    {"ConsultarZetaBorrable", 0, "NumeroZeta", INTEGER, ""},
    {"ConsultarCapacidadesImpresoraFiscal", 0, "Valor", STRING, ""},
    {"ConsultarConfiguracionImpresoraFiscal", 0, "Valor", STRING, ""},
    {"ConsultarZona", 0, "Atributos", BITFIELD, "AtributosDeTexto"},
    {"ConsultarZona", 1, "Descripcion", STRING, ""},
    {"ConsultarConfiguracionRed", 0, "DireccionIP", STRING, ""},
    {"ConsultarConfiguracionRed", 1, "Mascara", STRING, ""},
    {"ConsultarConfiguracionRed", 2, "Gateway", STRING, ""},
    {"ConsultarConfiguracionRed", 3, "DHCP", ENUM, "SiNo"},
    {"ConsultarConfiguracionServidorCorreo", 0, "DireccionIP", STRING, ""},
    {"ConsultarConfiguracionServidorCorreo", 1, "Puerto", INTEGER, ""},
    {"ConsultarConfiguracionServidorCorreo", 2, "DireccionRemitente", STRING, ""},
    {"ObtenerRangoZetasPorFechas", 0, "ZetaInicial", INTEGER, ""},
    {"ObtenerRangoZetasPorFechas", 1, "ZetaFinal", INTEGER, ""},
    {"ObtenerRangoFechasPorZetas", 0, "FechaInicial", DATE, ""},
    {"ObtenerRangoFechasPorZetas", 1, "FechaFinal", DATE, ""},
    {"ObtenerPrimerBloqueAuditoria", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerPrimerBloqueAuditoria", 1, "Informacion", STRING, ""},
    {"ObtenerSiguienteBloqueAuditoria", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerSiguienteBloqueAuditoria", 1, "Informacion", STRING, ""},
    {"ObtenerPrimerBloqueDocumento", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerPrimerBloqueDocumento", 1, "Informacion", STRING, ""},
    {"ObtenerSiguienteBloqueDocumento", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerSiguienteBloqueDocumento", 1, "Informacion", STRING, ""},
    {"ObtenerPrimerBloqueLog", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerPrimerBloqueLog", 1, "Informacion", STRING, ""},
    {"ObtenerSiguienteBloqueLog", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerSiguienteBloqueLog", 1, "Informacion", STRING, ""},
    {"ObtenerPrimerBloqueReporteElectronico", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerPrimerBloqueReporteElectronico", 1, "Informacion", STRING, ""},
    {"ObtenerSiguienteBloqueReporteElectronico", 0, "Registro", ENUM, "IdentificadorBloque"},
    {"ObtenerSiguienteBloqueReporteElectronico", 1, "Informacion", STRING, ""},
};

// The content-dependent layouts, keyed by the deciding code's packet text:
// closing reports Z and X; accumulator records 1 (fields 0 to 10 only), 2,
// 3 and 4.
constexpr AnswerRow kByContent[] = {
    {"Z", 0, "Reporte", ENUM, "TipoReporte"},
    {"Z", 1, "Numero", INTEGER, ""},
    {"Z", 2, "Fecha", DATE, ""},
    {"Z", 3, "DF_Total", REAL, ""},
    {"Z", 4, "DF_TotalGravado", REAL, ""},
    {"Z", 5, "DF_TotalNoGravado", REAL, ""},
    {"Z", 6, "DF_TotalExento", REAL, ""},
    {"Z", 7, "DF_TotalIVA", REAL, ""},
    {"Z", 8, "DF_TotalTributos", REAL, ""},
    {"Z", 9, "DF_CantidadEmitidos", INTEGER, ""},
    {"Z", 10, "DF_CantidadCancelados", INTEGER, ""},
    {"Z", 11, "NC_Total", REAL, ""},
    {"Z", 12, "NC_TotalGravado", REAL, ""},
    {"Z", 13, "NC_TotalNoGravado", REAL, ""},
    {"Z", 14, "NC_TotalExento", REAL, ""},
    {"Z", 15, "NC_TotalIVA", REAL, ""},
    {"Z", 16, "NC_TotalTributos", REAL, ""},
    {"Z", 17, "NC_CantidadEmitidos", INTEGER, ""},
    {"Z", 18, "NC_CantidadCancelados", INTEGER, ""},
    {"Z", 19, "DNFH_Total", REAL, ""},
    {"Z", 20, "DNFH_CantidadEmitidos", INTEGER, ""},
    {"X", 0, "Reporte", ENUM, "TipoReporte"},
    {"X", 1, "Numero", INTEGER, ""},
    {"X", 2, "FechaInicio", DATE, ""},
    {"X", 3, "HoraInicio", TIME, ""},
    {"X", 4, "FechaCierre", DATE, ""},
    {"X", 5, "HoraCierre", TIME, ""},
    {"X", 6, "DF_Total", REAL, ""},
    {"X", 7, "DF_TotalIVA", REAL, ""},
    {"X", 8, "DF_TotalTributos", REAL, ""},
    {"X", 9, "DF_CantidadEmitidos", INTEGER, ""},
    {"X", 10, "NC_Total", REAL, ""},
    {"X", 11, "NC_TotalIVA", REAL, ""},
    {"X", 12, "NC_TotalTributos", REAL, ""},
    {"X", 13, "NC_CantidadEmitidos", INTEGER, ""},
    {"X", 14, "DNFH_CantidadEmitidos", INTEGER, ""},
    {"1", 0, "Registro", ENUM, "TiposDeRegistroInforme"},
    {"1", 1, "CodigoComprobante", ENUM, "TiposComprobante"},
    {"1", 2, "NumeroInicial", INTEGER, ""},
    {"1", 3, "NumeroFinal", INTEGER, ""},
    {"1", 4, "CantidadCancelados", INTEGER, ""},
    {"1", 5, "Total", REAL, ""},
    {"1", 6, "TotalExento", REAL, ""},
    {"1", 7, "TotalNoGravado", REAL, ""},
    {"1", 8, "TotalGravado", REAL, ""},
    {"1", 9, "TotalIVA", REAL, ""},
    {"1", 10, "TotalTributos", REAL, ""},
    {"2", 0, "Registro", ENUM, "TiposDeRegistroInforme"},
    {"2", 1, "CodigoComprobante", ENUM, "TiposComprobante"},
    {"2", 2, "NumeroInicial", INTEGER, ""},
    {"2", 3, "NumeroFinal", INTEGER, ""},
    {"2", 4, "Total", REAL, ""},
    {"3", 0, "Registro", ENUM, "TiposDeRegistroInforme"},
    {"3", 1, "CodigoComprobante", ENUM, "TiposComprobante"},
    {"3", 2, "NumeroInicial", INTEGER, ""},
    {"3", 3, "NumeroFinal", INTEGER, ""},
    {"4", 0, "Registro", ENUM, "TiposDeRegistroInforme"},
    {"4", 1, "DF_CantidadCancelados", INTEGER, ""},
    {"4", 2, "DF_CantidadEmitidos", INTEGER, ""},
    {"4", 3, "DF_Total", REAL, ""},
    {"4", 4, "DF_TotalExento", REAL, ""},
    {"4", 5, "DF_TotalNoGravado", REAL, ""},
    {"4", 6, "DF_TotalGravado", REAL, ""},
    {"4", 7, "DF_TotalIVA", REAL, ""},
    {"4", 8, "DF_TotalTributos", REAL, ""},
    {"4", 9, "DNFH_Total", REAL, ""},
};

std::string TypeNameIn(Comandos c, unsigned n, Types* type) {
  char buf[100];
  std::memset(buf, '#', sizeof buf);
  buf[sizeof buf - 1] = '\0';
  *type = TipoCampoIn(c, n, buf, sizeof buf);
  return buf[0] == '#' ? std::string() : std::string(buf);
}

std::string TypeNameOut(const VardexDataContainer& a, unsigned n, Types* type) {
  char buf[100];
  std::memset(buf, '#', sizeof buf);
  buf[sizeof buf - 1] = '\0';
  *type = TipoCampoOut(a, n, buf, sizeof buf);
  return buf[0] == '#' ? std::string() : std::string(buf);
}

// Every row refers to exactly the kind of table its type needs, names are
// unique within a layout, and every content-dependent layout starts with the
// deciding field.
bool RowIsWellFormed(const FieldDescription& f) {
  if (f.Name == nullptr || f.Name[0] == '\0') return false;
  switch (f.Type) {
    case ENUM:
      return f.Table.Codes != nullptr && f.Table.Bits == nullptr;
    case BITFIELD:
      return f.Table.Codes == nullptr && f.Table.Bits != nullptr;
    case STRING:
    case INTEGER:
    case REAL:
    case DATE:
    case TIME:
    case LONGDATE:
      return f.Table.Codes == nullptr && f.Table.Bits == nullptr;
    default:
      return false;
  }
}

void ExpectWellFormed(Layout l) {
  std::set<std::string> names;
  for (const FieldDescription& f : l) {
    EXPECT_TRUE(RowIsWellFormed(f)) << f.Name;
    std::string lower(f.Name);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_TRUE(names.insert(lower).second) << f.Name;
  }
}

TEST(Layouts, EveryRowIsWellFormed) {
  for (const CommandDescription& d : AllCommands()) {
    SCOPED_TRACE(d.Name);
    ExpectWellFormed(d.Request);
    for (const FieldDescription& f : d.Request) {
      EXPECT_EQ(f.Default == MANDATORY, f.Default == nullptr);
    }
    const AnswerDescription& a = d.Answer;
    if (!a.ByContent()) {
      EXPECT_TRUE(a.Choices.empty());
      EXPECT_EQ(a.Deciding, nullptr);
      ExpectWellFormed(a.Fixed);
      continue;
    }
    EXPECT_TRUE(a.Fixed.empty());
    ASSERT_NE(a.Deciding, nullptr);
    EXPECT_EQ(a.Field0->Table.Codes, a.Deciding);
    for (const LayoutChoice& c : a.Choices) {
      ASSERT_FALSE(c.Fields.empty());
      EXPECT_STREQ(c.Fields[0].Name, a.Field0->Name);
      EXPECT_EQ(c.Fields[0].Type, a.Field0->Type);
      EXPECT_EQ(c.Fields[0].Table.Codes, a.Deciding);
      EXPECT_NE(FindCodeByValue(*a.Deciding, c.Code), nullptr);
      ExpectWellFormed(c.Fields);
    }
  }
}

TEST(RequestFields, EveryFieldAsListed) {
  EXPECT_EQ(std::size(kRequest), 165u);
  for (const RequestRow& r : kRequest) {
    SCOPED_TRACE(std::string(r.Command) + "." + r.Field);
    const Comandos c = CommandNamed(r.Command);
    EXPECT_STREQ(NombreCampoIn(c, r.Number), r.Field);
    unsigned n = 999;
    EXPECT_TRUE(NumeroCampoIn(c, r.Field, n));
    EXPECT_EQ(n, r.Number);
    Types t = UNKNOWN;
    EXPECT_EQ(TypeNameIn(c, r.Number, &t), r.Table);
    EXPECT_EQ(t, r.Type);
    const char* packet = ValorPorDefectoCampoIn(c, r.Number, false);
    const char* symbolic = ValorPorDefectoCampoIn(c, r.Number, true);
    if (r.DefaultPacket == nullptr) {
      EXPECT_EQ(packet, nullptr);
      EXPECT_EQ(symbolic, nullptr);
    } else {
      ASSERT_NE(packet, nullptr);
      ASSERT_NE(symbolic, nullptr);
      EXPECT_STREQ(packet, r.DefaultPacket);
      EXPECT_STREQ(symbolic, r.DefaultSymbolic);
    }
  }
}

// Numbers are dense: the listed fields and nothing above them.
TEST(RequestFields, NothingBeyondTheLastField) {
  for (const CommandDescription& d : AllCommands()) {
    SCOPED_TRACE(d.Name);
    unsigned listed = 0;
    for (const RequestRow& r : kRequest) listed += std::strcmp(r.Command, d.Name) == 0;
    EXPECT_EQ(d.Request.size(), listed);
    EXPECT_EQ(NombreCampoIn(d.Command, listed), nullptr);
    EXPECT_EQ(TipoCampoIn(d.Command, listed, nullptr, 0), UNKNOWN);
    EXPECT_EQ(ValorPorDefectoCampoIn(d.Command, listed, true), nullptr);
    if (listed > 0) {
      const char* text = "FacturaA";
      EXPECT_EQ(ValorCampoIn(d.Command, listed, text, false), text);
      EXPECT_EQ(ValorCampoIn(d.Command, 0xFFFFFFFFu, text, false), text);
    }
  }
}

// Each default converts between its two forms through its own field.
TEST(RequestFields, DefaultsConvertThroughTheirField) {
  for (const RequestRow& r : kRequest) {
    if (r.DefaultPacket == nullptr) continue;
    SCOPED_TRACE(std::string(r.Command) + "." + r.Field);
    const Comandos c = CommandNamed(r.Command);
    const std::string packet = ValorPorDefectoCampoIn(c, r.Number, false);
    const std::string symbolic = ValorPorDefectoCampoIn(c, r.Number, true);
    EXPECT_EQ(ValorCampoIn(c, r.Number, packet.c_str(), true), symbolic);
    EXPECT_EQ(ValorCampoIn(c, r.Number, packet.c_str(), false), packet);
    if (r.Type == ENUM) {
      EXPECT_EQ(ValorCampoIn(c, r.Number, symbolic.c_str(), false), packet);
      EXPECT_EQ(ValorCampoIn(c, r.Number, symbolic.c_str(), true), symbolic);
    }
  }
}

TEST(RequestFields, NameLookupIgnoresCaseOnly) {
  unsigned n = 77;
  EXPECT_TRUE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, "preciounitario", n));
  EXPECT_EQ(n, 2u);
  n = 77;
  EXPECT_FALSE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, "PrecioUnit", n));
  EXPECT_FALSE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, "PrecioUnitarioX", n));
  EXPECT_FALSE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, " PrecioUnitario", n));
  EXPECT_FALSE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, "", n));
  EXPECT_FALSE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, nullptr, n));
  EXPECT_EQ(n, 77u);
  EXPECT_TRUE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, "condicioniva", n));
  EXPECT_EQ(n, 3u);
  // The same name at different places in different commands.
  EXPECT_TRUE(NumeroCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, "ModoDisplay", n));
  EXPECT_EQ(n, 2u);
  EXPECT_TRUE(NumeroCampoIn(CMD_IMPRIMIR_ITEM, "ModoDisplay", n));
  EXPECT_EQ(n, 8u);
}

TEST(RequestFields, CodedValues) {
  const char* neither = "NiCodigoNiNombre";
  EXPECT_STREQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, "facturaa", false), "1");
  EXPECT_STREQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, "facturaa", true), "FacturaA");
  EXPECT_STREQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, "1", true), "FacturaA");
  EXPECT_STREQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, "001", false), "1");
  EXPECT_EQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, neither, false), neither);
  EXPECT_EQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, neither, true), neither);
  // The empty text is code 0 of TiposComprobante.
  EXPECT_STREQ(ValorCampoIn(CMD_ABRIR_DOCUMENTO, 0, "", false), "0");
  EXPECT_EQ(ValorPorDefectoCampoIn(CMD_ABRIR_DOCUMENTO, 0, true), nullptr);
  // ImprimirItem.
  EXPECT_STREQ(ValorCampoIn(CMD_IMPRIMIR_ITEM, 3, "Exento", false), "2");
  const char* other = "ModoSumaMonto";
  EXPECT_EQ(ValorCampoIn(CMD_IMPRIMIR_ITEM, 3, other, false), other);
  for (const char* unit : {"Kilo", "kilo", "1", "01"}) {
    EXPECT_STREQ(ValorCampoIn(CMD_IMPRIMIR_ITEM, 13, unit, false), "1") << unit;
  }
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_IMPRIMIR_ITEM, 13, false), "7");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_IMPRIMIR_ITEM, 13, true), "Unidad");
  // ImprimirPago.
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_IMPRIMIR_PAGO, 5, false), "8");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_IMPRIMIR_PAGO, 5, true), "Efectivo");
  for (const char* op : {"T", "Pagar", "PAGAR", "pagar"}) {
    EXPECT_STREQ(ValorCampoIn(CMD_IMPRIMIR_PAGO, 2, op, false), "T") << op;
  }
  // CargarDatosCliente: a single blank.
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_CARGAR_DATOS_CLIENTE, 3, false), " ");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_CARGAR_DATOS_CLIENTE, 3, true), "TipoNinguno");
  // ConsultarEstado versus AbrirDocumento.
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_CONSULTAR_ESTADO, 0, false), "0");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_CONSULTAR_ESTADO, 0, true), "NoDocumento");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_CONFIGURAR_SERVIDOR_CORREO, 1, true), "25");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_CERRAR_DOCUMENTO, 0, false), "0");
  // An optional free-text field has the empty text, not null.
  const char* empty = ValorPorDefectoCampoIn(CMD_IMPRIMIR_ITEM, 11, true);
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
}

TEST(RequestFields, BitWordValues) {
  EXPECT_STREQ(ValorCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, "Negrita Centrado", false), "0C");
  EXPECT_STREQ(ValorCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, "c", false), "0C");
  EXPECT_STREQ(ValorCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, "0C", true), "Centrado Negrita");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, false), "00");
  EXPECT_STREQ(ValorPorDefectoCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, true), "");
  const char* blanks = "   ";
  EXPECT_EQ(ValorCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, blanks, false), blanks);
}

TEST(RequestFields, OpaqueTypesPassUnchanged) {
  for (const RequestRow& r : kRequest) {
    if (r.Type == ENUM || r.Type == BITFIELD) continue;
    const Comandos c = CommandNamed(r.Command);
    for (const char* text : {"abc", "1", "", "FacturaA", "0C", "12,5x"}) {
      EXPECT_EQ(ValorCampoIn(c, r.Number, text, false), text) << r.Command << "." << r.Field;
      EXPECT_EQ(ValorCampoIn(c, r.Number, text, true), text) << r.Command << "." << r.Field;
    }
  }
}

TEST(RequestFields, TypeNameBuffer) {
  char buf[5];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(TipoCampoIn(CMD_IMPRIMIR_ITEM, 3, buf, 5), ENUM);
  EXPECT_STREQ(buf, "Cond");
  EXPECT_EQ(TipoCampoIn(CMD_IMPRIMIR_ITEM, 3, nullptr, 5), ENUM);
  // A size of 0 writes nothing at all.
  char guard[4] = {'a', 'b', 'c', '\0'};
  EXPECT_EQ(TipoCampoIn(CMD_IMPRIMIR_ITEM, 3, guard, 0), ENUM);
  EXPECT_STREQ(guard, "abc");
  // A size of 1 holds the terminator only.
  EXPECT_EQ(TipoCampoIn(CMD_IMPRIMIR_ITEM, 3, guard, 1), ENUM);
  EXPECT_EQ(guard[0], '\0');
  EXPECT_EQ(guard[1], 'b');
  // Other types leave the buffer alone.
  std::strcpy(guard, "abc");
  EXPECT_EQ(TipoCampoIn(CMD_IMPRIMIR_ITEM, 1, guard, sizeof guard), REAL);
  EXPECT_STREQ(guard, "abc");
  EXPECT_EQ(TipoCampoIn(CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES, 0, guard, sizeof guard), LONGDATE);
  char big[32];
  EXPECT_EQ(TipoCampoIn(CMD_IMPRIMIR_TEXTO_FISCAL, 0, big, sizeof big), BITFIELD);
  EXPECT_STREQ(big, "AtributosDeTexto");
}

VardexDataContainer Answer(Comandos c, std::vector<const char*> fields) {
  VardexDataContainer a(c);
  for (const char* f : fields) a.AddField("%s", f);
  return a;
}

TEST(AnswerFields, EveryFixedFieldAsListed) {
  for (const AnswerRow& r : kFixedAnswers) {
    SCOPED_TRACE(std::string(r.Command) + "." + r.Field);
    const VardexDataContainer a = Answer(CommandNamed(r.Command), {"1", "2"});
    EXPECT_STREQ(NombreCampoOut(a, r.Number), r.Field);
    unsigned n = 999;
    EXPECT_TRUE(NumeroCampoOut(a, r.Field, n));
    EXPECT_EQ(n, r.Number);
    Types t = UNKNOWN;
    EXPECT_EQ(TypeNameOut(a, r.Number, &t), r.Table);
    EXPECT_EQ(t, r.Type);
  }
}

TEST(AnswerFields, FixedLayoutsEndWhereListed) {
  for (const CommandDescription& d : AllCommands()) {
    if (d.Answer.ByContent()) continue;
    SCOPED_TRACE(d.Name);
    unsigned listed = 0;
    for (const AnswerRow& r : kFixedAnswers) listed += std::strcmp(r.Command, d.Name) == 0;
    const VardexDataContainer a = Answer(d.Command, {"Z", "1"});
    EXPECT_EQ(d.Answer.Fixed.size(), listed);
    EXPECT_EQ(NombreCampoOut(a, listed), nullptr);
    EXPECT_EQ(TipoCampoOut(a, listed, nullptr, 0), UNKNOWN);
    const char* text = "1";
    if (listed > 0) {
      EXPECT_EQ(ValorCampoOut(a, listed, text, true), text);
    }
  }
}

// Checks the answer a (field 0 already set) against the listed layout key,
// whose accumulator record "1" continues after field 10 as computed.
void ExpectLayout(const VardexDataContainer& a, const char* key,
                  const std::vector<AnswerRow>& extra) {
  std::vector<AnswerRow> rows;
  for (const AnswerRow& r : kByContent) {
    if (std::strcmp(r.Command, key) == 0) rows.push_back(r);
  }
  rows.insert(rows.end(), extra.begin(), extra.end());
  for (unsigned i = 0; i < rows.size(); ++i) {
    const AnswerRow& r = rows[i];
    SCOPED_TRACE(r.Field);
    ASSERT_EQ(r.Number, i);
    EXPECT_STREQ(NombreCampoOut(a, i), r.Field);
    unsigned n = 999;
    EXPECT_TRUE(NumeroCampoOut(a, r.Field, n));
    EXPECT_EQ(n, i);
    Types t = UNKNOWN;
    EXPECT_EQ(TypeNameOut(a, i, &t), r.Table);
    EXPECT_EQ(t, r.Type);
  }
  EXPECT_EQ(NombreCampoOut(a, static_cast<unsigned>(rows.size())), nullptr);
}

std::vector<AnswerRow> VatAndTaxes(bool WithNet) {
  std::vector<AnswerRow> rows;
  static std::deque<std::string> names;  // keeps the texts alive and in place
  auto add = [&](std::string name, Types t, const char* table) {
    names.push_back(std::move(name));
    rows.push_back({"", static_cast<unsigned>(11 + rows.size()), names.back().c_str(), t, table});
  };
  for (int k = 1; k <= 10; ++k) {
    add("AlicuotaIVA_" + std::to_string(k), REAL, "");
    add("MontoIVA_" + std::to_string(k), REAL, "");
    if (WithNet) add("MontoNetoSinIVA_" + std::to_string(k), REAL, "");
  }
  for (int k = 1; k <= 11; ++k) {
    add("CodigoTributo" + std::to_string(k), ENUM, "TiposTributos");
    add("ImporteTributo" + std::to_string(k), REAL, "");
  }
  return rows;
}

TEST(AnswerFields, DailyClosureByEveryFormOfItsCode) {
  for (const char* z : {"Z", "z", "ReporteZ", "reportez", "REPORTEZ"}) {
    SCOPED_TRACE(z);
    const VardexDataContainer a = Answer(CMD_CERRAR_JORNADA_FISCAL, {z});
    ExpectLayout(a, "Z", {});
    EXPECT_STREQ(NombreCampoOut(a, 20), "DNFH_CantidadEmitidos");
    unsigned n = 5;
    EXPECT_FALSE(NumeroCampoOut(a, "FechaInicio", n));
    EXPECT_EQ(n, 5u);
  }
  for (const char* x : {"X", "x", "ReporteX", "REPORTEX"}) {
    SCOPED_TRACE(x);
    const VardexDataContainer a = Answer(CMD_CERRAR_JORNADA_FISCAL, {x});
    ExpectLayout(a, "X", {});
    Types t = UNKNOWN;
    EXPECT_EQ(TypeNameOut(a, 2, &t), "");
    EXPECT_EQ(t, DATE);
    EXPECT_STREQ(NombreCampoOut(a, 2), "FechaInicio");
  }
}

TEST(AnswerFields, DailyClosureWithoutADecidingCode) {
  for (const char* other : {"0", "", " Z", "Z ", "ZZ", "ReporteY"}) {
    SCOPED_TRACE(other);
    const VardexDataContainer a = Answer(CMD_CERRAR_JORNADA_FISCAL, {other, "1", "2"});
    EXPECT_STREQ(NombreCampoOut(a, 0), "Reporte");
    EXPECT_EQ(NombreCampoOut(a, 1), nullptr);
    EXPECT_EQ(TipoCampoOut(a, 1, nullptr, 0), UNKNOWN);
    const char* text = "12";
    EXPECT_EQ(ValorCampoOut(a, 1, text, true), text);
    unsigned n = 9;
    EXPECT_FALSE(NumeroCampoOut(a, "Numero", n));
    EXPECT_TRUE(NumeroCampoOut(a, "reporte", n));
    EXPECT_EQ(n, 0u);
  }
  // No field at all: field 0 is still named, nothing else.
  const VardexDataContainer none(CMD_CERRAR_JORNADA_FISCAL);
  EXPECT_STREQ(NombreCampoOut(none, 0), "Reporte");
  Types t = UNKNOWN;
  EXPECT_EQ(TypeNameOut(none, 0, &t), "TipoReporte");
  EXPECT_EQ(t, ENUM);
  EXPECT_EQ(NombreCampoOut(none, 1), nullptr);
}

TEST(AnswerFields, AccumulatorRecordsByEveryFormOfTheirCode) {
  const Comandos shared[] = {CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA,
                             CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO,
                             CMD_CONTINUAR_CONSULTA_ACUMULADOS};
  for (Comandos c : shared) {
    SCOPED_TRACE(ToString(c));
    for (const char* one : {"1", "RegistroDetalladoDF", "registrodetalladodf"}) {
      const VardexDataContainer a = Answer(c, {one});
      ExpectLayout(a, "1", VatAndTaxes(false));
      EXPECT_STREQ(NombreCampoOut(a, 31), "CodigoTributo1");
      EXPECT_STREQ(NombreCampoOut(a, 52), "ImporteTributo11");
    }
  }
  const Comandos all[] = {CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA,
                          CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO,
                          CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, CMD_CONTINUAR_CONSULTA_ACUMULADOS};
  for (Comandos c : all) {
    SCOPED_TRACE(ToString(c));
    for (const char* two : {"2", "RegistroDetalladoDNFH", "REGISTRODETALLADODNFH"}) {
      ExpectLayout(Answer(c, {two}), "2", {});
    }
    for (const char* three : {"3", "RegistroDetalladoDNFHNoAcum"}) {
      ExpectLayout(Answer(c, {three}), "3", {});
    }
    for (const char* four : {"4", "RegistroGlobal", "registroglobal"}) {
      ExpectLayout(Answer(c, {four}), "4", {});
    }
    for (const char* end : {"0", "RegistroFinal", "5", "", "01", "Registro"}) {
      SCOPED_TRACE(end);
      const VardexDataContainer a = Answer(c, {end, "1", "2"});
      EXPECT_STREQ(NombreCampoOut(a, 0), "Registro");
      EXPECT_EQ(NombreCampoOut(a, 1), nullptr);
      EXPECT_EQ(TipoCampoOut(a, 1, nullptr, 0), UNKNOWN);
    }
  }
}

TEST(AnswerFields, AccumulatorRecordOfOneDocument) {
  for (const char* one : {"1", "RegistroDetalladoDF"}) {
    const VardexDataContainer a = Answer(CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, {one});
    ExpectLayout(a, "1", VatAndTaxes(true));
    EXPECT_STREQ(NombreCampoOut(a, 31), "MontoNetoSinIVA_7");
    EXPECT_STREQ(NombreCampoOut(a, 62), "ImporteTributo11");
    EXPECT_EQ(NombreCampoOut(a, 63), nullptr);
  }
  // The record type of field 0 converts like any coded value.
  const VardexDataContainer g = Answer(CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, {"4"});
  EXPECT_STREQ(ValorCampoOut(g, 0, "4", true), "RegistroGlobal");
  EXPECT_STREQ(ValorCampoOut(g, 0, "registroglobal", false), "4");
}

TEST(AnswerFields, ChoiceFollowsTheContainerOnEveryCall) {
  VardexDataContainer a(CMD_CERRAR_JORNADA_FISCAL);
  a.AddField("Z");
  EXPECT_STREQ(NombreCampoOut(a, 2), "Fecha");
  a.SetField(0, "X");
  EXPECT_STREQ(NombreCampoOut(a, 2), "FechaInicio");
  a.SetField(0, "0");
  EXPECT_EQ(NombreCampoOut(a, 2), nullptr);
}

TEST(AnswerFields, StatusAndBitWordValues) {
  const VardexDataContainer a = Answer(CMD_CONSULTAR_ESTADO, {"0044", "3"});
  EXPECT_STREQ(ValorCampoOut(a, 0, "0044", false), "0044");
  EXPECT_STREQ(ValorCampoOut(a, 0, "0044", true), "DatosClienteAlmacenados CajeroActivo");
  EXPECT_STREQ(ValorCampoOut(a, 1, "3", true), "EnJornadaFiscal");
  Types t = UNKNOWN;
  EXPECT_EQ(TypeNameOut(a, 0, &t), "EstadoAuxiliar");
  EXPECT_EQ(t, BITFIELD);
  const VardexDataContainer z = Answer(CMD_CONSULTAR_ZONA, {"08", "texto"});
  EXPECT_STREQ(ValorCampoOut(z, 0, "08", true), "Negrita");
  const char* text = "texto";
  EXPECT_EQ(ValorCampoOut(z, 1, text, true), text);
}

TEST(AnswerFields, BlockRecords) {
  const VardexDataContainer one = Answer(CMD_OBTENER_SIGUIENTE_BLOQUE_LOG, {"1", "datos"});
  EXPECT_STREQ(ValorCampoOut(one, 0, "1", true), "BloqueInformacion");
  const VardexDataContainer zero = Answer(CMD_OBTENER_SIGUIENTE_BLOQUE_LOG, {"0"});
  EXPECT_STREQ(ValorCampoOut(zero, 0, "0", true), "BloqueFinal");
}

TEST(AnswerFields, TypeNameBufferOfSizeZero) {
  const VardexDataContainer a = Answer(CMD_CONSULTAR_ESTADO, {"0044"});
  char guard[4] = {'a', 'b', 'c', '\0'};
  EXPECT_EQ(TipoCampoOut(a, 0, guard, 0), BITFIELD);
  EXPECT_STREQ(guard, "abc");
  EXPECT_EQ(TipoCampoOut(a, 1, nullptr, 100), ENUM);
  EXPECT_EQ(TipoCampoOut(a, 1, guard, sizeof guard), ENUM);
  EXPECT_STREQ(guard, "Est");
}

TEST(AnswerFields, NoFieldsForCommandsWithoutAnswerFields) {
  for (const CommandDescription& d : AllCommands()) {
    if (d.Answer.HasFields()) continue;
    SCOPED_TRACE(d.Name);
    const VardexDataContainer a = Answer(d.Command, {"1", "Z", "0C"});
    for (unsigned n = 0; n < 4; ++n) {
      EXPECT_EQ(NombreCampoOut(a, n), nullptr);
      EXPECT_EQ(TipoCampoOut(a, n, nullptr, 0), UNKNOWN);
      EXPECT_EQ(ValorCampoOut(a, n, "1", true), nullptr);
    }
  }
}

}  // namespace
}  // namespace VXP::Argentina::RG3561
