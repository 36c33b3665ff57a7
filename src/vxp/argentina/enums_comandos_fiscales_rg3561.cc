// The code tables' contents. Each row is {code, packet text, name}; the
// code is written as its enumerator so that the enumeration and the table
// cannot drift apart, and every table is checked at compile time for the
// invariants the parsing rules rely on (see IsSoundTable).
#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"

#include <string_view>

namespace VXP::Argentina::RG3561 {

namespace {

template <typename E>
constexpr std::uint32_t V(E e) {
  return static_cast<std::uint32_t>(e);
}

constexpr bool IsAsciiLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Whether `Text` is `Value` in decimal without leading zeros.
constexpr bool IsDecimalText(std::uint32_t Value, std::string_view Text) {
  char digits[10] = {};
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + Value % 10);
    Value /= 10;
  } while (Value != 0);
  if (Text.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (Text[i] != digits[n - 1 - i]) return false;
  }
  return true;
}

// The invariants of a table: codes strictly ascending; each packet text is
// the code's decimal number (decimal family) or the one printable ASCII
// character whose code it is (character family); names are words of ASCII
// letters and digits, longer than one character (so that no name can be
// mistaken for a one-character code) and unique ignoring case.
template <std::size_t N>
constexpr bool IsSoundTable(CodeFamily Family, const CodeEntry (&Rows)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    const CodeEntry& row = Rows[i];
    if (i > 0 && Rows[i - 1].Value >= row.Value) return false;
    const std::string_view text(row.Text);
    if (Family == CodeFamily::DECIMAL) {
      if (!IsDecimalText(row.Value, text)) return false;
    } else {
      if (text.size() != 1 || row.Value < 32 || row.Value > 126) return false;
      if (static_cast<unsigned char>(text[0]) != row.Value) return false;
    }
    const std::string_view name(row.Name);
    if (name.size() < 2) return false;
    for (char c : name) {
      if (!IsAsciiLetterOrDigit(c)) return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (EqualsIgnoringCase(Rows[j].Name, name)) return false;
    }
  }
  return N > 0;
}

}  // namespace

namespace AFIP {
namespace {

constexpr CodeEntry kCodigosMatrixDefault[] = {
    {V(CodigosMatrixDefault::CONCEPTOS_FINANCIEROS), "0", "ConceptosFinancieros"},
    {V(CodigosMatrixDefault::DESCUENTOS_BONIFICACIONES_COMERCIALES), "1",
     "DescuentosBonificacionesComerciales"},
    {V(CodigosMatrixDefault::AJUSTES_IMPOSITIVOS), "2", "AjustesImpositivos"},
    {V(CodigosMatrixDefault::ANTICIPOS), "3", "Anticipos"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kCodigosMatrixDefault));

constexpr CodeEntry kCondicionesIVA[] = {
    {V(CondicionesIVA::SIN_CONDICION_IVA), "0", "SinCondicionIVA"},
    {V(CondicionesIVA::NO_GRAVADO), "1", "NoGravado"},
    {V(CondicionesIVA::EXENTO), "2", "Exento"},
    {V(CondicionesIVA::GRAVADO), "7", "Gravado"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kCondicionesIVA));

constexpr CodeEntry kTipoDocReceptor[] = {
    {V(TipoDocReceptor::CERTIFICADO_MIGRACION), "30", "CertificadoMigracion"},
    {V(TipoDocReceptor::CUIT), "80", "CUIT"},
    {V(TipoDocReceptor::CUIL), "86", "CUIL"},
    {V(TipoDocReceptor::CDI), "87", "CDI"},
    {V(TipoDocReceptor::PADRON_ANSES), "88", "PadronANSES"},
    {V(TipoDocReceptor::LE), "89", "LE"},
    {V(TipoDocReceptor::LC), "90", "LC"},
    {V(TipoDocReceptor::CI_EXTRANJERA), "91", "CIExtranjera"},
    {V(TipoDocReceptor::EN_TRAMITE), "92", "EnTramite"},
    {V(TipoDocReceptor::ACTA_NACIMIENTO), "93", "ActaNacimiento"},
    {V(TipoDocReceptor::PASAPORTE), "94", "Pasaporte"},
    {V(TipoDocReceptor::CI_BS_AS_RNP), "95", "CIBsAsRNP"},
    {V(TipoDocReceptor::DNI), "96", "DNI"},
    {V(TipoDocReceptor::SIN_IDENTIFICAR), "99", "SinIdentificar"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kTipoDocReceptor));

constexpr CodeEntry kTiposComprobante[] = {
    {V(TiposComprobante::NO_DOCUMENTO), "0", "NoDocumento"},
    {V(TiposComprobante::FACTURA_A), "1", "FacturaA"},
    {V(TiposComprobante::NOTA_DE_DEBITO_A), "2", "NotaDeDebitoA"},
    {V(TiposComprobante::NOTA_DE_CREDITO_A), "3", "NotaDeCreditoA"},
    {V(TiposComprobante::RECIBO_A), "4", "ReciboA"},
    {V(TiposComprobante::FACTURA_B), "6", "FacturaB"},
    {V(TiposComprobante::NOTA_DE_DEBITO_B), "7", "NotaDeDebitoB"},
    {V(TiposComprobante::NOTA_DE_CREDITO_B), "8", "NotaDeCreditoB"},
    {V(TiposComprobante::RECIBO_B), "9", "ReciboB"},
    {V(TiposComprobante::FACTURA_C), "11", "FacturaC"},
    {V(TiposComprobante::NOTA_DE_DEBITO_C), "12", "NotaDeDebitoC"},
    {V(TiposComprobante::NOTA_DE_CREDITO_C), "13", "NotaDeCreditoC"},
    {V(TiposComprobante::RECIBO_C), "15", "ReciboC"},
    {V(TiposComprobante::FACTURA_M), "51", "FacturaM"},
    {V(TiposComprobante::NOTA_DE_DEBITO_M), "52", "NotaDeDebitoM"},
    {V(TiposComprobante::NOTA_DE_CREDITO_M), "53", "NotaDeCreditoM"},
    {V(TiposComprobante::RECIBO_M), "54", "ReciboM"},
    {V(TiposComprobante::INFORME_DIARIO_DE_CIERRE), "80", "InformeDiarioDeCierre"},
    {V(TiposComprobante::TIQUE_FACTURA_A), "81", "TiqueFacturaA"},
    {V(TiposComprobante::TIQUE_FACTURA_B), "82", "TiqueFacturaB"},
    {V(TiposComprobante::TIQUE), "83", "Tique"},
    {V(TiposComprobante::REMITO_R), "91", "RemitoR"},
    {V(TiposComprobante::TIQUE_NOTA_CREDITO), "110", "TiqueNotaCredito"},
    {V(TiposComprobante::TIQUE_FACTURA_C), "111", "TiqueFacturaC"},
    {V(TiposComprobante::TIQUE_NOTA_CREDITO_A), "112", "TiqueNotaCreditoA"},
    {V(TiposComprobante::TIQUE_NOTA_CREDITO_B), "113", "TiqueNotaCreditoB"},
    {V(TiposComprobante::TIQUE_NOTA_CREDITO_C), "114", "TiqueNotaCreditoC"},
    {V(TiposComprobante::TIQUE_NOTA_DEBITO_A), "115", "TiqueNotaDebitoA"},
    {V(TiposComprobante::TIQUE_NOTA_DEBITO_B), "116", "TiqueNotaDebitoB"},
    {V(TiposComprobante::TIQUE_NOTA_DEBITO_C), "117", "TiqueNotaDebitoC"},
    {V(TiposComprobante::TIQUE_FACTURA_M), "118", "TiqueFacturaM"},
    {V(TiposComprobante::TIQUE_NOTA_CREDITO_M), "119", "TiqueNotaCreditoM"},
    {V(TiposComprobante::TIQUE_NOTA_DEBITO_M), "120", "TiqueNotaDebitoM"},
    {V(TiposComprobante::REMITO_X), "901", "RemitoX"},
    {V(TiposComprobante::RECIBO_X), "902", "ReciboX"},
    {V(TiposComprobante::PRESUPUESTO_X), "903", "PresupuestoX"},
    {V(TiposComprobante::INFORME_DE_AUDITORIA), "904", "InformeDeAuditoria"},
    {V(TiposComprobante::REPORTE_RESUMEN_TOTALES), "905", "ReporteResumenTotales"},
    {V(TiposComprobante::COMPROBANTE_DONACION), "907", "ComprobanteDonacion"},
    {V(TiposComprobante::REPORTES_DUPLICADOS_A), "908", "ReportesDuplicadosA"},
    {V(TiposComprobante::REPORTE_CTD), "909", "ReporteCTD"},
    {V(TiposComprobante::GENERICO), "910", "Generico"},
    {V(TiposComprobante::MENSAJE_CF), "923", "MensajeCF"},
    {V(TiposComprobante::ESTADISTICA_DE_VENTA_HORARIA_Y_POR_RUBRO), "937",
     "EstadisticaDeVentaHorariaYPorRubro"},
    {V(TiposComprobante::DETALLE_DE_VENTAS), "940", "DetalleDeVentas"},
    {V(TiposComprobante::CAMBIO_FECHA_HORA), "951", "CambioFechaHora"},
    {V(TiposComprobante::CAMBIO_CATEGORIZACION_IVA), "952", "CambioCategorizacionIVA"},
    {V(TiposComprobante::CAMBIO_INSCRIPCION_ING_BRUTOS), "953", "CambioInscripcionIngBrutos"},
    {V(TiposComprobante::PRUEBA_PERIFERICOS), "954", "PruebaPerifericos"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kTiposComprobante));

constexpr CodeEntry kTiposHabilitacion[] = {
    {V(TiposHabilitacion::COMPROBANTES_A), "1", "ComprobantesA"},
    {V(TiposHabilitacion::COMPROBANTES_A_CON_LEYENDA), "2", "ComprobantesAConLeyenda"},
    {V(TiposHabilitacion::COMPROBANTES_M), "3", "ComprobantesM"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kTiposHabilitacion));

constexpr CodeEntry kTiposPago[] = {
    {V(TiposPago::CAMBIO), "0", "Cambio"},
    {V(TiposPago::CARTA_DE_CREDITO_DOCUMENTARIO), "1", "CartaDeCreditoDocumentario"},
    {V(TiposPago::CARTA_DE_CREDITO_SIMPLE), "2", "CartaDeCreditoSimple"},
    {V(TiposPago::CHEQUE), "3", "Cheque"},
    {V(TiposPago::CHEQUE_CANCELATORIOS), "4", "ChequeCancelatorios"},
    {V(TiposPago::CREDITO_DOCUMENTARIO), "5", "CreditoDocumentario"},
    {V(TiposPago::CUENTA_CORRIENTE), "6", "CuentaCorriente"},
    {V(TiposPago::DEPOSITO), "7", "Deposito"},
    {V(TiposPago::EFECTIVO), "8", "Efectivo"},
    {V(TiposPago::ENDOSO_DE_CHEQUE), "9", "EndosoDeCheque"},
    {V(TiposPago::FACTURA_DE_CREDITO), "10", "FacturaDeCredito"},
    {V(TiposPago::GARANTIA_BANCARIA), "11", "GarantiaBancaria"},
    {V(TiposPago::GIRO), "12", "Giro"},
    {V(TiposPago::LETRA_DE_CAMBIO), "13", "LetraDeCambio"},
    {V(TiposPago::MEDIO_DE_PAGO_DE_COMERCIO_EXTERIOR), "14", "MedioDePagoDeComercioExterior"},
    {V(TiposPago::ORDEN_DE_PAGO_DOCUMENTARIA), "15", "OrdenDePagoDocumentaria"},
    {V(TiposPago::ORDEN_DE_PAGO_SIMPLE), "16", "OrdenDePagoSimple"},
    {V(TiposPago::PAGO_CONTRA_REEMBOLSO), "17", "PagoContraReembolso"},
    {V(TiposPago::REMESA_DOCUMENTARIA), "18", "RemesaDocumentaria"},
    {V(TiposPago::REMESA_SIMPLE), "19", "RemesaSimple"},
    {V(TiposPago::TARJETA_DE_CREDITO), "20", "TarjetaDeCredito"},
    {V(TiposPago::TARJETA_DE_DEBITO), "21", "TarjetaDeDebito"},
    {V(TiposPago::TICKET), "22", "Ticket"},
    {V(TiposPago::TRANSFERENCIA_BANCARIA), "23", "TransferenciaBancaria"},
    {V(TiposPago::TRANSFERENCIA_NO_BANCARIA), "24", "TransferenciaNoBancaria"},
    {V(TiposPago::OTROS_MEDIOS_PAGO), "99", "OtrosMediosPago"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kTiposPago));

constexpr CodeEntry kTiposResponsable[] = {
    {V(TiposResponsable::IVA_RESPONSABLE_INSCRIPTO), "1", "IVAResponsableInscripto"},
    {V(TiposResponsable::IVA_RESPONSABLE_NO_INSCRIPTO), "2", "IVAResponsableNoInscripto"},
    {V(TiposResponsable::IVA_NO_RESPONSABLE), "3", "IVANoResponsable"},
    {V(TiposResponsable::IVA_SUJETO_EXENTO), "4", "IVASujetoExento"},
    {V(TiposResponsable::CONSUMIDOR_FINAL), "5", "ConsumidorFinal"},
    {V(TiposResponsable::RESPONSABLE_MONOTRIBUTO), "6", "ResponsableMonotributo"},
    {V(TiposResponsable::SUJETO_NO_CATEGORIZADO), "7", "SujetoNoCategorizado"},
    {V(TiposResponsable::PROVEEDOR_DEL_EXTERIOR), "8", "ProveedorDelExterior"},
    {V(TiposResponsable::CLIENTE_DEL_EXTERIOR), "9", "ClienteDelExterior"},
    {V(TiposResponsable::IVA_LIBERADO_LEY_19640), "10", "IVALiberadoLey19640"},
    {V(TiposResponsable::IVA_RESPONSABLE_INSCRIPTO_AGENTE_PERCEPCION), "11",
     "IVAResponsableInscriptoAgentePercepcion"},
    {V(TiposResponsable::PEQUENO_CONTRIBUYENTE_EVENTUAL), "12", "PequenoContribuyenteEventual"},
    {V(TiposResponsable::MONOTRIBUTISTA_SOCIAL), "13", "MonotributistaSocial"},
    {V(TiposResponsable::PEQUENO_CONTRIBUYENTE_EVENTUAL_SOCIAL), "14",
     "PequenoContribuyenteEventualSocial"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kTiposResponsable));

constexpr CodeEntry kTiposTributos[] = {
    {V(TiposTributos::SIN_IMPUESTOS), "0", "SinImpuestos"},
    {V(TiposTributos::IMPUESTOS_NACIONALES), "1", "ImpuestosNacionales"},
    {V(TiposTributos::IMPUESTOS_PROVINCIALES), "2", "ImpuestosProvinciales"},
    {V(TiposTributos::IMPUESTOS_MUNICIPALES), "3", "ImpuestosMunicipales"},
    {V(TiposTributos::IMPUESTOS_INTERNOS), "4", "ImpuestosInternos"},
    {V(TiposTributos::IIBB), "5", "IIBB"},
    {V(TiposTributos::PERCEPCION_IVA), "6", "PercepcionIVA"},
    {V(TiposTributos::PERCEPCION_IIBB), "7", "PercepcionIIBB"},
    {V(TiposTributos::PERCEPCION_IMPUESTOS_MUNICIPALES), "8", "PercepcionImpuestosMunicipales"},
    {V(TiposTributos::OTRAS_PERCEPCIONES), "9", "OtrasPercepciones"},
    {V(TiposTributos::IMPUESTO_INTERNO_ITEM), "10", "ImpuestoInternoItem"},
    {V(TiposTributos::OTROS_TRIBUTOS), "99", "OtrosTributos"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kTiposTributos));

constexpr CodeEntry kUnidadesMedida[] = {
    {V(UnidadesMedida::SIN_DESCRIPCION), "0", "SinDescripcion"},
    {V(UnidadesMedida::KILO), "1", "Kilo"},
    {V(UnidadesMedida::METRO), "2", "Metro"},
    {V(UnidadesMedida::METRO_CUADRADO), "3", "MetroCuadrado"},
    {V(UnidadesMedida::METRO_CUBICO), "4", "MetroCubico"},
    {V(UnidadesMedida::LITRO), "5", "Litro"},
    {V(UnidadesMedida::KWH), "6", "KWH"},
    {V(UnidadesMedida::UNIDAD), "7", "Unidad"},
    {V(UnidadesMedida::PAR), "8", "Par"},
    {V(UnidadesMedida::DOCENA), "9", "Docena"},
    {V(UnidadesMedida::QUILATE), "10", "Quilate"},
    {V(UnidadesMedida::MILLAR), "11", "Millar"},
    {V(UnidadesMedida::MEGA_U_INTER_ACT_ANTIB), "12", "MegaUInterActAntib"},
    {V(UnidadesMedida::UNIDAD_INTERNA_ACT_INMUNG), "13", "UnidadInternaActInmung"},
    {V(UnidadesMedida::GRAMO), "14", "Gramo"},
    {V(UnidadesMedida::MILIMETRO), "15", "Milimetro"},
    {V(UnidadesMedida::MILIMETRO_CUBICO), "16", "MilimetroCubico"},
    {V(UnidadesMedida::KILOMETRO), "17", "Kilometro"},
    {V(UnidadesMedida::HECTOLITRO), "18", "Hectolitro"},
    {V(UnidadesMedida::MEGA_UNIDAD_INT_ACT_INMUNG), "19", "MegaUnidadIntActInmung"},
    {V(UnidadesMedida::CENTIMETRO), "20", "Centimetro"},
    {V(UnidadesMedida::KILOGRAMO_ACTIVO), "21", "KilogramoActivo"},
    {V(UnidadesMedida::GRAMO_ACTIVO), "22", "GramoActivo"},
    {V(UnidadesMedida::GRAMO_BASE), "23", "GramoBase"},
    {V(UnidadesMedida::UIACTHOR), "24", "UIACTHOR"},
    {V(UnidadesMedida::JUEGO_PAQUETE_MAZO_NAIPES), "25", "JuegoPaqueteMazoNaipes"},
    {V(UnidadesMedida::MUIACTHOR), "26", "MUIACTHOR"},
    {V(UnidadesMedida::CENTIMETRO_CUBICO), "27", "CentimetroCubico"},
    {V(UnidadesMedida::UIACTANT), "28", "UIACTANT"},
    {V(UnidadesMedida::TONELADA), "29", "Tonelada"},
    {V(UnidadesMedida::DECAMETRO_CUBICO), "30", "DecametroCubico"},
    {V(UnidadesMedida::HECTOMETRO_CUBICO), "31", "HectometroCubico"},
    {V(UnidadesMedida::KILOMETRO_CUBICO), "32", "KilometroCubico"},
    {V(UnidadesMedida::MICROGRAMO), "33", "Microgramo"},
    {V(UnidadesMedida::NANOGRAMO), "34", "Nanogramo"},
    {V(UnidadesMedida::PICOGRAMO), "35", "Picogramo"},
    {V(UnidadesMedida::MUIACTANT), "36", "MUIACTANT"},
    {V(UnidadesMedida::UIACTIG), "37", "UIACTIG"},
    {V(UnidadesMedida::MILIGRAMO), "41", "Miligramo"},
    {V(UnidadesMedida::MILILITRO), "47", "Mililitro"},
    {V(UnidadesMedida::CURIE), "48", "Curie"},
    {V(UnidadesMedida::MILICURIE), "49", "Milicurie"},
    {V(UnidadesMedida::MICROCURIE), "50", "Microcurie"},
    {V(UnidadesMedida::U_INTER_ACT_HORMONAL), "51", "UInterActHormonal"},
    {V(UnidadesMedida::MEGA_U_INTER_ACT_HOR), "52", "MegaUInterActHor"},
    {V(UnidadesMedida::KILOGRAMO_BASE), "53", "KilogramoBase"},
    {V(UnidadesMedida::GRUESA), "54", "Gruesa"},
    {V(UnidadesMedida::MUIACTIG), "55", "MUIACTIG"},
    {V(UnidadesMedida::KILOGRAMO_BRUTO), "61", "KilogramoBruto"},
    {V(UnidadesMedida::PACK), "62", "Pack"},
    {V(UnidadesMedida::HORMA), "63", "Horma"},
    {V(UnidadesMedida::DONACION), "90", "Donacion"},
    {V(UnidadesMedida::AJUSTES), "91", "Ajustes"},
    {V(UnidadesMedida::ANULACION), "96", "Anulacion"},
    {V(UnidadesMedida::SENAS_ANTICIPOS), "97", "SenasAnticipos"},
    {V(UnidadesMedida::OTRAS_UNIDADES), "98", "OtrasUnidades"},
    {V(UnidadesMedida::BONIFICACION), "99", "Bonificacion"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kUnidadesMedida));

}  // namespace

constexpr CodeTable CodigosMatrixDefaultTable{"AFIP", "CodigosMatrixDefault", CodeFamily::DECIMAL,
                                              kCodigosMatrixDefault};
constexpr CodeTable CondicionesIVATable{"AFIP", "CondicionesIVA", CodeFamily::DECIMAL,
                                        kCondicionesIVA};
constexpr CodeTable TipoDocReceptorTable{"AFIP", "TipoDocReceptor", CodeFamily::DECIMAL,
                                         kTipoDocReceptor};
constexpr CodeTable TiposComprobanteTable{"AFIP", "TiposComprobante", CodeFamily::DECIMAL,
                                          kTiposComprobante};
constexpr CodeTable TiposHabilitacionTable{"AFIP", "TiposHabilitacion", CodeFamily::DECIMAL,
                                           kTiposHabilitacion};
constexpr CodeTable TiposPagoTable{"AFIP", "TiposPago", CodeFamily::DECIMAL, kTiposPago};
constexpr CodeTable TiposResponsableTable{"AFIP", "TiposResponsable", CodeFamily::DECIMAL,
                                          kTiposResponsable};
constexpr CodeTable TiposTributosTable{"AFIP", "TiposTributos", CodeFamily::DECIMAL,
                                       kTiposTributos};
constexpr CodeTable UnidadesMedidaTable{"AFIP", "UnidadesMedida", CodeFamily::DECIMAL,
                                        kUnidadesMedida};

}  // namespace AFIP

namespace ECR {
namespace {

constexpr CodeEntry kOperacionesCajero[] = {
    {V(OperacionesCajero::ENTRADA), "E", "Entrada"},
    {V(OperacionesCajero::SALIDA), "S", "Salida"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kOperacionesCajero));

}  // namespace

constexpr CodeTable OperacionesCajeroTable{"ECR", "OperacionesCajero", CodeFamily::CHARACTER,
                                           kOperacionesCajero};

}  // namespace ECR

namespace Vardex_Funcs {
namespace {

constexpr CodeEntry kBaudios[] = {
    {V(Baudios::BAUDRATE_1200), "1200", "Baudrate1200"},
    {V(Baudios::BAUDRATE_2400), "2400", "Baudrate2400"},
    {V(Baudios::BAUDRATE_4800), "4800", "Baudrate4800"},
    {V(Baudios::BAUDRATE_9600), "9600", "Baudrate9600"},
    {V(Baudios::BAUDRATE_19200), "19200", "Baudrate19200"},
    {V(Baudios::BAUDRATE_38400), "38400", "Baudrate38400"},
    {V(Baudios::BAUDRATE_57600), "57600", "Baudrate57600"},
    {V(Baudios::BAUDRATE_115200), "115200", "Baudrate115200"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kBaudios));

constexpr CodeEntry kCapacidades[] = {
    {V(Capacidades::SOPORTA_COMPROBANTE), "C", "SoportaComprobante"},
    {V(Capacidades::SOPORTA_CAJON), "D", "SoportaCajon"},
    {V(Capacidades::SOPORTA_ESTACION), "E", "SoportaEstacion"},
    {V(Capacidades::ANCHO_TOTAL_IMPRESION), "I", "AnchoTotalImpresion"},
    {V(Capacidades::ANCHO_LOGO), "L", "AnchoLogo"},
    {V(Capacidades::ANCHO_TEXTO_NO_FISCAL), "N", "AnchoTextoNoFiscal"},
    {V(Capacidades::ANCHO_RAZON_SOCIAL), "R", "AnchoRazonSocial"},
    {V(Capacidades::ANCHO_TEXTO_FISCAL), "T", "AnchoTextoFiscal"},
    {V(Capacidades::ANCHO_TEXTO_LINEAS_USUARIO), "U", "AnchoTextoLineasUsuario"},
    {V(Capacidades::ANCHO_TEXTO_VENTA), "V", "AnchoTextoVenta"},
    {V(Capacidades::ALTO_LOGO), "l", "AltoLogo"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kCapacidades));

constexpr CodeEntry kCompresionDeInformacion[] = {
    {V(CompresionDeInformacion::NO_COMPRIME), "N", "NoComprime"},
    {V(CompresionDeInformacion::COMPRIME), "P", "Comprime"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kCompresionDeInformacion));

constexpr CodeEntry kConfiguracion[] = {
    {V(Configuracion::IMPRESION_MARCO), "1", "ImpresionMarco"},
    {V(Configuracion::ALTO_HOJA), "2", "AltoHoja"},
    {V(Configuracion::ANCHO_HOJA), "3", "AnchoHoja"},
    {V(Configuracion::ESTACION_REPORTES_XZ), "4", "EstacionReportesXZ"},
    {V(Configuracion::MODO_IMPRESION), "5", "ModoImpresion"},
    {V(Configuracion::IMPRESION_USAR_COLOR_ALTERNATIVO), "6", "ImpresionUsarColorAlternativo"},
    {V(Configuracion::IMPRESION_COLOR_ALTERNATIVO), "7", "ImpresionColorAlternativo"},
    {V(Configuracion::TIMEOUT_ENVIO_RESPUESTA_EN_ESPERA), "8", "TimeoutEnvioRespuestaEnEspera"},
    {V(Configuracion::IMPRESION_CODIGO_QR), "9", "ImpresionCodigoQR"},
    {V(Configuracion::SONIDO_AVISO), "A", "SonidoAviso"},
    {V(Configuracion::LIMITE_BC), "B", "LimiteBC"},
    {V(Configuracion::IMPRESION_CAMBIO), "C", "ImpresionCambio"},
    {V(Configuracion::CHEQUEO_DESBORDE), "D", "ChequeoDesborde"},
    {V(Configuracion::BORRADO_AUTOMATICO_AUDITORIA), "E", "BorradoAutomaticoAuditoria"},
    {V(Configuracion::TIPO_HABILITACION), "H", "TipoHabilitacion"},
    {V(Configuracion::INTERLINEADO), "I", "Interlineado"},
    {V(Configuracion::IMPRESION_LEYENDAS), "L", "ImpresionLeyendas"},
    {V(Configuracion::CORTE_PAPEL), "P", "CortePapel"},
    {V(Configuracion::REIMPRESION_CANCELADOS), "R", "ReimpresionCancelados"},
    {V(Configuracion::PAGO_SALDO), "S", "PagoSaldo"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kConfiguracion));

constexpr CodeEntry kEstadosFiscales[] = {
    {V(EstadosFiscales::DESCONOCIDO), "0", "Desconocido"},
    {V(EstadosFiscales::NO_INICIALIZADO), "1", "NoInicializado"},
    {V(EstadosFiscales::INICIO_JORNADA_FISCAL), "2", "InicioJornadaFiscal"},
    {V(EstadosFiscales::EN_JORNADA_FISCAL), "3", "EnJornadaFiscal"},
    {V(EstadosFiscales::VENDIENDO_ITEMS), "4", "VendiendoItems"},
    {V(EstadosFiscales::IMPRIMIENDO_TEXTO_FISCAL), "5", "ImprimiendoTextoFiscal"},
    {V(EstadosFiscales::PAGANDO), "6", "Pagando"},
    {V(EstadosFiscales::INGRESANDO_OTROS_TRIBUTOS), "7", "IngresandoOtrosTributos"},
    {V(EstadosFiscales::REALIZANDO_OPERACION_AJUSTE), "8", "RealizandoOperacionAjuste"},
    {V(EstadosFiscales::REALIZANDO_OPERACION_GLOBAL_IVA), "9", "RealizandoOperacionGlobalIVA"},
    {V(EstadosFiscales::REALIZANDO_OPERACION_ANTICIPO), "10", "RealizandoOperacionAnticipo"},
    {V(EstadosFiscales::IMPRIMIENDO_LINEAS_RECIBO), "11", "ImprimiendoLineasRecibo"},
    {V(EstadosFiscales::IMPRIMIENDO_TEXTO_NO_FISCAL), "12", "ImprimiendoTextoNoFiscal"},
    {V(EstadosFiscales::CINTA_AUDITORIA_CASI_LLENA), "13", "CintaAuditoriaCasiLlena"},
    {V(EstadosFiscales::CINTA_AUDITORIA_LLENA), "14", "CintaAuditoriaLlena"},
    {V(EstadosFiscales::CONTROLADOR_FISCAL_ESPERANDO_BAJA), "15", "ControladorFiscalEsperandoBaja"},
    {V(EstadosFiscales::CONTROLADOR_FISCAL_DADO_DE_BAJA), "16", "ControladorFiscalDadoDeBaja"},
    {V(EstadosFiscales::CONTROLADOR_FISCAL_BLOQUEADO), "17", "ControladorFiscalBloqueado"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kEstadosFiscales));

constexpr CodeEntry kIdentificadorBloque[] = {
    {V(IdentificadorBloque::BLOQUE_FINAL), "0", "BloqueFinal"},
    {V(IdentificadorBloque::BLOQUE_INFORMACION), "1", "BloqueInformacion"},
};
static_assert(IsSoundTable(CodeFamily::DECIMAL, kIdentificadorBloque));

constexpr CodeEntry kImpresionCodigoDeBarras[] = {
    {V(ImpresionCodigoDeBarras::PROGRAMA_CODIGO), "G", "ProgramaCodigo"},
    {V(ImpresionCodigoDeBarras::IMPRIME_CODIGO), "P", "ImprimeCodigo"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kImpresionCodigoDeBarras));

constexpr CodeEntry kImpresionNumeroCodigoDeBarras[] = {
    {V(ImpresionNumeroCodigoDeBarras::NO_IMPRIME_NUMEROS_CODIGO), " ", "NoImprimeNumerosCodigo"},
    {V(ImpresionNumeroCodigoDeBarras::IMPRIME_NUMEROS_CODIGO), "N", "ImprimeNumerosCodigo"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kImpresionNumeroCodigoDeBarras));

constexpr CodeEntry kImpresionSubtotal[] = {
    {V(ImpresionSubtotal::NO_IMPRIME_SUBTOTAL), "N", "NoImprimeSubtotal"},
    {V(ImpresionSubtotal::IMPRIME_SUBTOTAL), "P", "ImprimeSubtotal"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kImpresionSubtotal));

constexpr CodeEntry kModosDeDisplay[] = {
    {V(ModosDeDisplay::DISPLAY_NO), "0", "DisplayNo"},
    {V(ModosDeDisplay::DISPLAY_SI), "1", "DisplaySi"},
    {V(ModosDeDisplay::DISPLAY_REP), "2", "DisplayRep"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kModosDeDisplay));

constexpr CodeEntry kModosDeImpuestosInternos[] = {
    {V(ModosDeImpuestosInternos::II_FIJO_MONTO), "$", "IIFijoMonto"},
    {V(ModosDeImpuestosInternos::II_VARIABLE_PORCENTUAL), "%", "IIVariablePorcentual"},
    {V(ModosDeImpuestosInternos::II_FIJO_KIVA), "+", "IIFijoKIVA"},
    {V(ModosDeImpuestosInternos::II_VARIABLE_KIVA), "0", "IIVariableKIVA"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kModosDeImpuestosInternos));

constexpr CodeEntry kModosDeMonto[] = {
    {V(ModosDeMonto::MODO_SUMA_MONTO), "M", "ModoSumaMonto"},
    {V(ModosDeMonto::MODO_RESTA_MONTO), "m", "ModoRestaMonto"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kModosDeMonto));

constexpr CodeEntry kModosDePago[] = {
    {V(ModosDePago::ANULAR), "R", "Anular"},
    {V(ModosDePago::PAGAR), "T", "Pagar"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kModosDePago));

constexpr CodeEntry kModosDePrecio[] = {
    {V(ModosDePrecio::MODO_PRECIO_BASE), "B", "ModoPrecioBase"},
    {V(ModosDePrecio::MODO_PRECIO_TOTAL), "T", "ModoPrecioTotal"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kModosDePrecio));

constexpr CodeEntry kOperacionesCargaLogoUsuario[] = {
    {V(OperacionesCargaLogoUsuario::CARGA_LOGO_EN_CURSO), "C", "CargaLogoEnCurso"},
    {V(OperacionesCargaLogoUsuario::FIN_CARGA_LOGO), "F", "FinCargaLogo"},
    {V(OperacionesCargaLogoUsuario::COMIENZO_CARGA_LOGO), "I", "ComienzoCargaLogo"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kOperacionesCargaLogoUsuario));

constexpr CodeEntry kSiNo[] = {
    {V(SiNo::NO), "N", "No"},
    {V(SiNo::SI), "S", "Si"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kSiNo));

constexpr CodeEntry kTipoReporte[] = {
    {V(TipoReporte::REPORTE_X), "X", "ReporteX"},
    {V(TipoReporte::REPORTE_Z), "Z", "ReporteZ"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTipoReporte));

constexpr CodeEntry kTipoReporteAuditoria[] = {
    {V(TipoReporteAuditoria::REPORTE_AUDITORIA_DISCRIMINADO), "D", "ReporteAuditoriaDiscriminado"},
    {V(TipoReporteAuditoria::REPORTE_AUDITORIA_GLOBAL), "T", "ReporteAuditoriaGlobal"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTipoReporteAuditoria));

constexpr CodeEntry kTipoReporteZ[] = {
    {V(TipoReporteZ::REPORTE_Z_FECHA), "F", "ReporteZFecha"},
    {V(TipoReporteZ::REPORTE_Z_NUMERO), "Z", "ReporteZNumero"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTipoReporteZ));

constexpr CodeEntry kTiposDeAjustes[] = {
    {V(TiposDeAjustes::BONIFICACION_GENERAL), "B", "BonificacionGeneral"},
    {V(TiposDeAjustes::AJUSTE_NEG), "D", "AjusteNeg"},
    {V(TiposDeAjustes::AJUSTE_POS), "R", "AjustePos"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeAjustes));

constexpr CodeEntry kTiposDeCodigoDeBarras[] = {
    {V(TiposDeCodigoDeBarras::CODIGO_DE_BORRADO), "0", "CodigoDeBorrado"},
    {V(TiposDeCodigoDeBarras::CODIGO_TIPO_EAN13), "1", "CodigoTipoEAN13"},
    {V(TiposDeCodigoDeBarras::CODIGO_TIPO_EAN8), "2", "CodigoTipoEAN8"},
    {V(TiposDeCodigoDeBarras::CODIGO_TIPO_UPCA), "3", "CodigoTipoUPCA"},
    {V(TiposDeCodigoDeBarras::CODIGO_TIPO_I2OF5), "4", "CodigoTipoI2OF5"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeCodigoDeBarras));

constexpr CodeEntry kTiposDeDocumentoCliente[] = {
    {V(TiposDeDocumentoCliente::TIPO_NINGUNO), " ", "TipoNinguno"},
    {V(TiposDeDocumentoCliente::TIPO_LE), "0", "TipoLE"},
    {V(TiposDeDocumentoCliente::TIPO_LC), "1", "TipoLC"},
    {V(TiposDeDocumentoCliente::TIPO_DNI), "2", "TipoDNI"},
    {V(TiposDeDocumentoCliente::TIPO_PASAPORTE), "3", "TipoPasaporte"},
    {V(TiposDeDocumentoCliente::TIPO_CI), "4", "TipoCI"},
    {V(TiposDeDocumentoCliente::TIPO_CUIT), "C", "TipoCUIT"},
    {V(TiposDeDocumentoCliente::TIPO_CUIL), "L", "TipoCUIL"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeDocumentoCliente));

constexpr CodeEntry kTiposDeEstacion[] = {
    {V(TiposDeEstacion::ESTACION_POR_DEFECTO), "D", "EstacionPorDefecto"},
    {V(TiposDeEstacion::ESTACION_SLIP), "S", "EstacionSlip"},
    {V(TiposDeEstacion::ESTACION_TICKET), "T", "EstacionTicket"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeEstacion));

constexpr CodeEntry kTiposDeOperacionesGlobalesIVA[] = {
    {V(TiposDeOperacionesGlobalesIVA::COBRO_ANTICIPO), "A", "CobroAnticipo"},
    {V(TiposDeOperacionesGlobalesIVA::BONIFICACION_IVA), "B", "BonificacionIVA"},
    {V(TiposDeOperacionesGlobalesIVA::DESCUENTO_ANTICIPO), "D", "DescuentoAnticipo"},
    {V(TiposDeOperacionesGlobalesIVA::DEVOLUCION_ENVASES), "E", "DevolucionEnvases"},
    {V(TiposDeOperacionesGlobalesIVA::RECARGO_IVA), "R", "RecargoIVA"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeOperacionesGlobalesIVA));

constexpr CodeEntry kTiposDeRegistroInforme[] = {
    {V(TiposDeRegistroInforme::REGISTRO_FINAL), "0", "RegistroFinal"},
    {V(TiposDeRegistroInforme::REGISTRO_DETALLADO_DF), "1", "RegistroDetalladoDF"},
    {V(TiposDeRegistroInforme::REGISTRO_DETALLADO_DNFH), "2", "RegistroDetalladoDNFH"},
    {V(TiposDeRegistroInforme::REGISTRO_DETALLADO_DNFH_NO_ACUM), "3",
     "RegistroDetalladoDNFHNoAcum"},
    {V(TiposDeRegistroInforme::REGISTRO_GLOBAL), "4", "RegistroGlobal"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeRegistroInforme));

constexpr CodeEntry kTiposDeResponsabilidadesCliente[] = {
    {V(TiposDeResponsabilidadesCliente::NO_RESPONSABLE), "A", "NoResponsable"},
    {V(TiposDeResponsabilidadesCliente::CONSUMIDOR_FINAL), "C", "ConsumidorFinal"},
    {V(TiposDeResponsabilidadesCliente::RESPONSABLE_EXENTO), "E", "ResponsableExento"},
    {V(TiposDeResponsabilidadesCliente::RESPONSABLE_INSCRIPTO), "I", "ResponsableInscripto"},
    {V(TiposDeResponsabilidadesCliente::MONOTRIBUTO), "M", "Monotributo"},
    {V(TiposDeResponsabilidadesCliente::MONOTRIBUTO_SOCIAL), "S", "MonotributoSocial"},
    {V(TiposDeResponsabilidadesCliente::NO_CATEGORIZADO), "T", "NoCategorizado"},
    {V(TiposDeResponsabilidadesCliente::EVENTUAL), "V", "Eventual"},
    {V(TiposDeResponsabilidadesCliente::EVENTUAL_SOCIAL), "W", "EventualSocial"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeResponsabilidadesCliente));

constexpr CodeEntry kTiposDeResponsabilidadesImpresor[] = {
    {V(TiposDeResponsabilidadesImpresor::IF_NO_RESPONSABLE), "A", "IFNoResponsable"},
    {V(TiposDeResponsabilidadesImpresor::IF_RESPONSABLE_EXENTO), "E", "IFResponsableExento"},
    {V(TiposDeResponsabilidadesImpresor::IF_RESPONSABLE_INSCRIPTO), "I", "IFResponsableInscripto"},
    {V(TiposDeResponsabilidadesImpresor::IF_MONOTRIBUTO), "M", "IFMonotributo"},
    {V(TiposDeResponsabilidadesImpresor::IF_MONOTRIBUTO_SOCIAL), "S", "IFMonotributoSocial"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposDeResponsabilidadesImpresor));

constexpr CodeEntry kTiposInterlineado[] = {
    {V(TiposInterlineado::INTERLINEADO_NO_DEFINIDO), "0", "InterlineadoNoDefinido"},
    {V(TiposInterlineado::INTERLINEADO_MINIMO), "1", "InterlineadoMinimo"},
    {V(TiposInterlineado::INTERLINEADO_NORMAL), "2", "InterlineadoNormal"},
    {V(TiposInterlineado::INTERLINEADO_MAXIMO), "3", "InterlineadoMaximo"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposInterlineado));

constexpr CodeEntry kTiposReporteAFIP[] = {
    {V(TiposReporteAFIP::REPORTE_AFIP_MEMORIA_FISCAL), "N", "ReporteAFIPMemoriaFiscal"},
    {V(TiposReporteAFIP::REPORTE_AFIP_COMPLETO), "P", "ReporteAFIPCompleto"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kTiposReporteAFIP));

constexpr CodeEntry kXMLsPorBajada[] = {
    {V(XMLsPorBajada::VARIOS_XMLS), "N", "VariosXMLs"},
    {V(XMLsPorBajada::XML_UNICO), "P", "XMLUnico"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kXMLsPorBajada));

constexpr CodeEntry kZonasDeLineasDeUsuario[] = {
    {V(ZonasDeLineasDeUsuario::ZONA_FANTASIA), "F", "ZonaFantasia"},
    {V(ZonasDeLineasDeUsuario::ZONA_1_ENCABEZADO), "H", "Zona1Encabezado"},
    {V(ZonasDeLineasDeUsuario::ZONA_DOMICILIO_EMISOR), "O", "ZonaDomicilioEmisor"},
    {V(ZonasDeLineasDeUsuario::ZONA_1_COLA), "T", "Zona1Cola"},
    {V(ZonasDeLineasDeUsuario::ZONA_2_ENCABEZADO), "h", "Zona2Encabezado"},
    {V(ZonasDeLineasDeUsuario::ZONA_2_COLA), "t", "Zona2Cola"},
};
static_assert(IsSoundTable(CodeFamily::CHARACTER, kZonasDeLineasDeUsuario));

}  // namespace

constexpr CodeTable BaudiosTable{"Vardex_Funcs", "Baudios", CodeFamily::DECIMAL, kBaudios};
constexpr CodeTable CapacidadesTable{"Vardex_Funcs", "Capacidades", CodeFamily::CHARACTER,
                                     kCapacidades};
constexpr CodeTable CompresionDeInformacionTable{"Vardex_Funcs", "CompresionDeInformacion",
                                                 CodeFamily::CHARACTER, kCompresionDeInformacion};
constexpr CodeTable ConfiguracionTable{"Vardex_Funcs", "Configuracion", CodeFamily::CHARACTER,
                                       kConfiguracion};
constexpr CodeTable EstadosFiscalesTable{"Vardex_Funcs", "EstadosFiscales", CodeFamily::DECIMAL,
                                         kEstadosFiscales};
constexpr CodeTable IdentificadorBloqueTable{"Vardex_Funcs", "IdentificadorBloque",
                                             CodeFamily::DECIMAL, kIdentificadorBloque};
constexpr CodeTable ImpresionCodigoDeBarrasTable{"Vardex_Funcs", "ImpresionCodigoDeBarras",
                                                 CodeFamily::CHARACTER, kImpresionCodigoDeBarras};
constexpr CodeTable ImpresionNumeroCodigoDeBarrasTable{
    "Vardex_Funcs", "ImpresionNumeroCodigoDeBarras", CodeFamily::CHARACTER,
    kImpresionNumeroCodigoDeBarras};
constexpr CodeTable ImpresionSubtotalTable{"Vardex_Funcs", "ImpresionSubtotal",
                                           CodeFamily::CHARACTER, kImpresionSubtotal};
constexpr CodeTable ModosDeDisplayTable{"Vardex_Funcs", "ModosDeDisplay", CodeFamily::CHARACTER,
                                        kModosDeDisplay};
constexpr CodeTable ModosDeImpuestosInternosTable{"Vardex_Funcs", "ModosDeImpuestosInternos",
                                                  CodeFamily::CHARACTER, kModosDeImpuestosInternos};
constexpr CodeTable ModosDeMontoTable{"Vardex_Funcs", "ModosDeMonto", CodeFamily::CHARACTER,
                                      kModosDeMonto};
constexpr CodeTable ModosDePagoTable{"Vardex_Funcs", "ModosDePago", CodeFamily::CHARACTER,
                                     kModosDePago};
constexpr CodeTable ModosDePrecioTable{"Vardex_Funcs", "ModosDePrecio", CodeFamily::CHARACTER,
                                       kModosDePrecio};
constexpr CodeTable OperacionesCargaLogoUsuarioTable{"Vardex_Funcs", "OperacionesCargaLogoUsuario",
                                                     CodeFamily::CHARACTER,
                                                     kOperacionesCargaLogoUsuario};
constexpr CodeTable SiNoTable{"Vardex_Funcs", "SiNo", CodeFamily::CHARACTER, kSiNo};
constexpr CodeTable TipoReporteTable{"Vardex_Funcs", "TipoReporte", CodeFamily::CHARACTER,
                                     kTipoReporte};
constexpr CodeTable TipoReporteAuditoriaTable{"Vardex_Funcs", "TipoReporteAuditoria",
                                              CodeFamily::CHARACTER, kTipoReporteAuditoria};
constexpr CodeTable TipoReporteZTable{"Vardex_Funcs", "TipoReporteZ", CodeFamily::CHARACTER,
                                      kTipoReporteZ};
constexpr CodeTable TiposDeAjustesTable{"Vardex_Funcs", "TiposDeAjustes", CodeFamily::CHARACTER,
                                        kTiposDeAjustes};
constexpr CodeTable TiposDeCodigoDeBarrasTable{"Vardex_Funcs", "TiposDeCodigoDeBarras",
                                               CodeFamily::CHARACTER, kTiposDeCodigoDeBarras};
constexpr CodeTable TiposDeDocumentoClienteTable{"Vardex_Funcs", "TiposDeDocumentoCliente",
                                                 CodeFamily::CHARACTER, kTiposDeDocumentoCliente};
constexpr CodeTable TiposDeEstacionTable{"Vardex_Funcs", "TiposDeEstacion", CodeFamily::CHARACTER,
                                         kTiposDeEstacion};
constexpr CodeTable TiposDeOperacionesGlobalesIVATable{
    "Vardex_Funcs", "TiposDeOperacionesGlobalesIVA", CodeFamily::CHARACTER,
    kTiposDeOperacionesGlobalesIVA};
constexpr CodeTable TiposDeRegistroInformeTable{"Vardex_Funcs", "TiposDeRegistroInforme",
                                                CodeFamily::CHARACTER, kTiposDeRegistroInforme};
constexpr CodeTable TiposDeResponsabilidadesClienteTable{
    "Vardex_Funcs", "TiposDeResponsabilidadesCliente", CodeFamily::CHARACTER,
    kTiposDeResponsabilidadesCliente};
constexpr CodeTable TiposDeResponsabilidadesImpresorTable{
    "Vardex_Funcs", "TiposDeResponsabilidadesImpresor", CodeFamily::CHARACTER,
    kTiposDeResponsabilidadesImpresor};
constexpr CodeTable TiposInterlineadoTable{"Vardex_Funcs", "TiposInterlineado",
                                           CodeFamily::CHARACTER, kTiposInterlineado};
constexpr CodeTable TiposReporteAFIPTable{"Vardex_Funcs", "TiposReporteAFIP", CodeFamily::CHARACTER,
                                          kTiposReporteAFIP};
constexpr CodeTable XMLsPorBajadaTable{"Vardex_Funcs", "XMLsPorBajada", CodeFamily::CHARACTER,
                                       kXMLsPorBajada};
constexpr CodeTable ZonasDeLineasDeUsuarioTable{"Vardex_Funcs", "ZonasDeLineasDeUsuario",
                                                CodeFamily::CHARACTER, kZonasDeLineasDeUsuario};

}  // namespace Vardex_Funcs

namespace {
constexpr const CodeTable* kAllTables[] = {
    &AFIP::CodigosMatrixDefaultTable,
    &AFIP::CondicionesIVATable,
    &AFIP::TipoDocReceptorTable,
    &AFIP::TiposComprobanteTable,
    &AFIP::TiposHabilitacionTable,
    &AFIP::TiposPagoTable,
    &AFIP::TiposResponsableTable,
    &AFIP::TiposTributosTable,
    &AFIP::UnidadesMedidaTable,
    &ECR::OperacionesCajeroTable,
    &Vardex_Funcs::BaudiosTable,
    &Vardex_Funcs::CapacidadesTable,
    &Vardex_Funcs::CompresionDeInformacionTable,
    &Vardex_Funcs::ConfiguracionTable,
    &Vardex_Funcs::EstadosFiscalesTable,
    &Vardex_Funcs::IdentificadorBloqueTable,
    &Vardex_Funcs::ImpresionCodigoDeBarrasTable,
    &Vardex_Funcs::ImpresionNumeroCodigoDeBarrasTable,
    &Vardex_Funcs::ImpresionSubtotalTable,
    &Vardex_Funcs::ModosDeDisplayTable,
    &Vardex_Funcs::ModosDeImpuestosInternosTable,
    &Vardex_Funcs::ModosDeMontoTable,
    &Vardex_Funcs::ModosDePagoTable,
    &Vardex_Funcs::ModosDePrecioTable,
    &Vardex_Funcs::OperacionesCargaLogoUsuarioTable,
    &Vardex_Funcs::SiNoTable,
    &Vardex_Funcs::TipoReporteTable,
    &Vardex_Funcs::TipoReporteAuditoriaTable,
    &Vardex_Funcs::TipoReporteZTable,
    &Vardex_Funcs::TiposDeAjustesTable,
    &Vardex_Funcs::TiposDeCodigoDeBarrasTable,
    &Vardex_Funcs::TiposDeDocumentoClienteTable,
    &Vardex_Funcs::TiposDeEstacionTable,
    &Vardex_Funcs::TiposDeOperacionesGlobalesIVATable,
    &Vardex_Funcs::TiposDeRegistroInformeTable,
    &Vardex_Funcs::TiposDeResponsabilidadesClienteTable,
    &Vardex_Funcs::TiposDeResponsabilidadesImpresorTable,
    &Vardex_Funcs::TiposInterlineadoTable,
    &Vardex_Funcs::TiposReporteAFIPTable,
    &Vardex_Funcs::XMLsPorBajadaTable,
    &Vardex_Funcs::ZonasDeLineasDeUsuarioTable,
};
}  // namespace

std::span<const CodeTable* const> AllCodeTables() { return kAllTables; }

}  // namespace VXP::Argentina::RG3561
