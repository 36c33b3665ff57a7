// The 41 code tables of the RG3561 command set: document types, VAT
// conditions, payment forms, units of measure (namespace AFIP), cashier
// operations (ECR) and the controller's own command options (Vardex_Funcs).
//
// Each table is an enumeration whose values are the codes. For every table
// `T` of namespace `N`:
//   const char* N::ToString(T value, bool Symbolic);  // name or packet text,
//                                                      // null if not listed
//   bool N::FromString(const char* text, T& value);    // either form
// Both are thin wrappers over the generic engine of code_table.h, which the
// field descriptions use directly through the `...Table` descriptors
// (FindCodeTable, NormalizeCode). The parsing rules of the two families are
// described there.
//
// Thread safety: constant data and pure functions; safe from any thread.
#ifndef VXP_ARGENTINA_ENUMS_COMANDOS_FISCALES_RG3561_H_
#define VXP_ARGENTINA_ENUMS_COMANDOS_FISCALES_RG3561_H_

#include <cstdint>

#include "vxp/argentina/code_table.h"

namespace VXP::Argentina::RG3561 {

namespace AFIP {

// 4 codes, decimal family.
enum class CodigosMatrixDefault : std::uint32_t {
  CONCEPTOS_FINANCIEROS = 0,
  DESCUENTOS_BONIFICACIONES_COMERCIALES = 1,
  AJUSTES_IMPOSITIVOS = 2,
  ANTICIPOS = 3,
};

// 4 codes, decimal family.
enum class CondicionesIVA : std::uint32_t {
  SIN_CONDICION_IVA = 0,
  NO_GRAVADO = 1,
  EXENTO = 2,
  GRAVADO = 7,
};

// 14 codes, decimal family.
enum class TipoDocReceptor : std::uint32_t {
  CERTIFICADO_MIGRACION = 30,
  CUIT = 80,
  CUIL = 86,
  CDI = 87,
  PADRON_ANSES = 88,
  LE = 89,
  LC = 90,
  CI_EXTRANJERA = 91,
  EN_TRAMITE = 92,
  ACTA_NACIMIENTO = 93,
  PASAPORTE = 94,
  CI_BS_AS_RNP = 95,
  DNI = 96,
  SIN_IDENTIFICAR = 99,
};

// 49 codes, decimal family.
enum class TiposComprobante : std::uint32_t {
  NO_DOCUMENTO = 0,
  FACTURA_A = 1,
  NOTA_DE_DEBITO_A = 2,
  NOTA_DE_CREDITO_A = 3,
  RECIBO_A = 4,
  FACTURA_B = 6,
  NOTA_DE_DEBITO_B = 7,
  NOTA_DE_CREDITO_B = 8,
  RECIBO_B = 9,
  FACTURA_C = 11,
  NOTA_DE_DEBITO_C = 12,
  NOTA_DE_CREDITO_C = 13,
  RECIBO_C = 15,
  FACTURA_M = 51,
  NOTA_DE_DEBITO_M = 52,
  NOTA_DE_CREDITO_M = 53,
  RECIBO_M = 54,
  INFORME_DIARIO_DE_CIERRE = 80,
  TIQUE_FACTURA_A = 81,
  TIQUE_FACTURA_B = 82,
  TIQUE = 83,
  REMITO_R = 91,
  TIQUE_NOTA_CREDITO = 110,
  TIQUE_FACTURA_C = 111,
  TIQUE_NOTA_CREDITO_A = 112,
  TIQUE_NOTA_CREDITO_B = 113,
  TIQUE_NOTA_CREDITO_C = 114,
  TIQUE_NOTA_DEBITO_A = 115,
  TIQUE_NOTA_DEBITO_B = 116,
  TIQUE_NOTA_DEBITO_C = 117,
  TIQUE_FACTURA_M = 118,
  TIQUE_NOTA_CREDITO_M = 119,
  TIQUE_NOTA_DEBITO_M = 120,
  REMITO_X = 901,
  RECIBO_X = 902,
  PRESUPUESTO_X = 903,
  INFORME_DE_AUDITORIA = 904,
  REPORTE_RESUMEN_TOTALES = 905,
  COMPROBANTE_DONACION = 907,
  REPORTES_DUPLICADOS_A = 908,
  REPORTE_CTD = 909,
  GENERICO = 910,
  MENSAJE_CF = 923,
  ESTADISTICA_DE_VENTA_HORARIA_Y_POR_RUBRO = 937,
  DETALLE_DE_VENTAS = 940,
  CAMBIO_FECHA_HORA = 951,
  CAMBIO_CATEGORIZACION_IVA = 952,
  CAMBIO_INSCRIPCION_ING_BRUTOS = 953,
  PRUEBA_PERIFERICOS = 954,
};

// 3 codes, decimal family.
enum class TiposHabilitacion : std::uint32_t {
  COMPROBANTES_A = 1,
  COMPROBANTES_A_CON_LEYENDA = 2,
  COMPROBANTES_M = 3,
};

// 26 codes, decimal family.
enum class TiposPago : std::uint32_t {
  CAMBIO = 0,
  CARTA_DE_CREDITO_DOCUMENTARIO = 1,
  CARTA_DE_CREDITO_SIMPLE = 2,
  CHEQUE = 3,
  CHEQUE_CANCELATORIOS = 4,
  CREDITO_DOCUMENTARIO = 5,
  CUENTA_CORRIENTE = 6,
  DEPOSITO = 7,
  EFECTIVO = 8,
  ENDOSO_DE_CHEQUE = 9,
  FACTURA_DE_CREDITO = 10,
  GARANTIA_BANCARIA = 11,
  GIRO = 12,
  LETRA_DE_CAMBIO = 13,
  MEDIO_DE_PAGO_DE_COMERCIO_EXTERIOR = 14,
  ORDEN_DE_PAGO_DOCUMENTARIA = 15,
  ORDEN_DE_PAGO_SIMPLE = 16,
  PAGO_CONTRA_REEMBOLSO = 17,
  REMESA_DOCUMENTARIA = 18,
  REMESA_SIMPLE = 19,
  TARJETA_DE_CREDITO = 20,
  TARJETA_DE_DEBITO = 21,
  TICKET = 22,
  TRANSFERENCIA_BANCARIA = 23,
  TRANSFERENCIA_NO_BANCARIA = 24,
  OTROS_MEDIOS_PAGO = 99,
};

// 14 codes, decimal family.
enum class TiposResponsable : std::uint32_t {
  IVA_RESPONSABLE_INSCRIPTO = 1,
  IVA_RESPONSABLE_NO_INSCRIPTO = 2,
  IVA_NO_RESPONSABLE = 3,
  IVA_SUJETO_EXENTO = 4,
  CONSUMIDOR_FINAL = 5,
  RESPONSABLE_MONOTRIBUTO = 6,
  SUJETO_NO_CATEGORIZADO = 7,
  PROVEEDOR_DEL_EXTERIOR = 8,
  CLIENTE_DEL_EXTERIOR = 9,
  IVA_LIBERADO_LEY_19640 = 10,
  IVA_RESPONSABLE_INSCRIPTO_AGENTE_PERCEPCION = 11,
  PEQUENO_CONTRIBUYENTE_EVENTUAL = 12,
  MONOTRIBUTISTA_SOCIAL = 13,
  PEQUENO_CONTRIBUYENTE_EVENTUAL_SOCIAL = 14,
};

// 12 codes, decimal family.
enum class TiposTributos : std::uint32_t {
  SIN_IMPUESTOS = 0,
  IMPUESTOS_NACIONALES = 1,
  IMPUESTOS_PROVINCIALES = 2,
  IMPUESTOS_MUNICIPALES = 3,
  IMPUESTOS_INTERNOS = 4,
  IIBB = 5,
  PERCEPCION_IVA = 6,
  PERCEPCION_IIBB = 7,
  PERCEPCION_IMPUESTOS_MUNICIPALES = 8,
  OTRAS_PERCEPCIONES = 9,
  IMPUESTO_INTERNO_ITEM = 10,
  OTROS_TRIBUTOS = 99,
};

// 57 codes, decimal family.
enum class UnidadesMedida : std::uint32_t {
  SIN_DESCRIPCION = 0,
  KILO = 1,
  METRO = 2,
  METRO_CUADRADO = 3,
  METRO_CUBICO = 4,
  LITRO = 5,
  KWH = 6,
  UNIDAD = 7,
  PAR = 8,
  DOCENA = 9,
  QUILATE = 10,
  MILLAR = 11,
  MEGA_U_INTER_ACT_ANTIB = 12,
  UNIDAD_INTERNA_ACT_INMUNG = 13,
  GRAMO = 14,
  MILIMETRO = 15,
  MILIMETRO_CUBICO = 16,
  KILOMETRO = 17,
  HECTOLITRO = 18,
  MEGA_UNIDAD_INT_ACT_INMUNG = 19,
  CENTIMETRO = 20,
  KILOGRAMO_ACTIVO = 21,
  GRAMO_ACTIVO = 22,
  GRAMO_BASE = 23,
  UIACTHOR = 24,
  JUEGO_PAQUETE_MAZO_NAIPES = 25,
  MUIACTHOR = 26,
  CENTIMETRO_CUBICO = 27,
  UIACTANT = 28,
  TONELADA = 29,
  DECAMETRO_CUBICO = 30,
  HECTOMETRO_CUBICO = 31,
  KILOMETRO_CUBICO = 32,
  MICROGRAMO = 33,
  NANOGRAMO = 34,
  PICOGRAMO = 35,
  MUIACTANT = 36,
  UIACTIG = 37,
  MILIGRAMO = 41,
  MILILITRO = 47,
  CURIE = 48,
  MILICURIE = 49,
  MICROCURIE = 50,
  U_INTER_ACT_HORMONAL = 51,
  MEGA_U_INTER_ACT_HOR = 52,
  KILOGRAMO_BASE = 53,
  GRUESA = 54,
  MUIACTIG = 55,
  KILOGRAMO_BRUTO = 61,
  PACK = 62,
  HORMA = 63,
  DONACION = 90,
  AJUSTES = 91,
  ANULACION = 96,
  SENAS_ANTICIPOS = 97,
  OTRAS_UNIDADES = 98,
  BONIFICACION = 99,
};

// Descriptors of the tables above.
extern const CodeTable CodigosMatrixDefaultTable;
extern const CodeTable CondicionesIVATable;
extern const CodeTable TipoDocReceptorTable;
extern const CodeTable TiposComprobanteTable;
extern const CodeTable TiposHabilitacionTable;
extern const CodeTable TiposPagoTable;
extern const CodeTable TiposResponsableTable;
extern const CodeTable TiposTributosTable;
extern const CodeTable UnidadesMedidaTable;

// Code to text (name when Symbolic, else packet text); null for a value
// that is not in the table. Text to code: either form; false leaves
// `value` untouched.
inline const char* ToString(CodigosMatrixDefault value, bool Symbolic) {
  return CodeToString(CodigosMatrixDefaultTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, CodigosMatrixDefault& value) {
  return FromStringAs(CodigosMatrixDefaultTable, text, value);
}
inline const char* ToString(CondicionesIVA value, bool Symbolic) {
  return CodeToString(CondicionesIVATable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, CondicionesIVA& value) {
  return FromStringAs(CondicionesIVATable, text, value);
}
inline const char* ToString(TipoDocReceptor value, bool Symbolic) {
  return CodeToString(TipoDocReceptorTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TipoDocReceptor& value) {
  return FromStringAs(TipoDocReceptorTable, text, value);
}
inline const char* ToString(TiposComprobante value, bool Symbolic) {
  return CodeToString(TiposComprobanteTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposComprobante& value) {
  return FromStringAs(TiposComprobanteTable, text, value);
}
inline const char* ToString(TiposHabilitacion value, bool Symbolic) {
  return CodeToString(TiposHabilitacionTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposHabilitacion& value) {
  return FromStringAs(TiposHabilitacionTable, text, value);
}
inline const char* ToString(TiposPago value, bool Symbolic) {
  return CodeToString(TiposPagoTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposPago& value) {
  return FromStringAs(TiposPagoTable, text, value);
}
inline const char* ToString(TiposResponsable value, bool Symbolic) {
  return CodeToString(TiposResponsableTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposResponsable& value) {
  return FromStringAs(TiposResponsableTable, text, value);
}
inline const char* ToString(TiposTributos value, bool Symbolic) {
  return CodeToString(TiposTributosTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposTributos& value) {
  return FromStringAs(TiposTributosTable, text, value);
}
inline const char* ToString(UnidadesMedida value, bool Symbolic) {
  return CodeToString(UnidadesMedidaTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, UnidadesMedida& value) {
  return FromStringAs(UnidadesMedidaTable, text, value);
}

}  // namespace AFIP

namespace ECR {

// 2 codes, character family.
enum class OperacionesCajero : std::uint32_t {
  ENTRADA = 69,  // E
  SALIDA = 83,   // S
};

// Descriptors of the tables above.
extern const CodeTable OperacionesCajeroTable;

// Code to text (name when Symbolic, else packet text); null for a value
// that is not in the table. Text to code: either form; false leaves
// `value` untouched.
inline const char* ToString(OperacionesCajero value, bool Symbolic) {
  return CodeToString(OperacionesCajeroTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, OperacionesCajero& value) {
  return FromStringAs(OperacionesCajeroTable, text, value);
}

}  // namespace ECR

namespace Vardex_Funcs {

// 8 codes, decimal family.
enum class Baudios : std::uint32_t {
  BAUDRATE_1200 = 1200,
  BAUDRATE_2400 = 2400,
  BAUDRATE_4800 = 4800,
  BAUDRATE_9600 = 9600,
  BAUDRATE_19200 = 19200,
  BAUDRATE_38400 = 38400,
  BAUDRATE_57600 = 57600,
  BAUDRATE_115200 = 115200,
};

// 11 codes, character family.
enum class Capacidades : std::uint32_t {
  SOPORTA_COMPROBANTE = 67,         // C
  SOPORTA_CAJON = 68,               // D
  SOPORTA_ESTACION = 69,            // E
  ANCHO_TOTAL_IMPRESION = 73,       // I
  ANCHO_LOGO = 76,                  // L
  ANCHO_TEXTO_NO_FISCAL = 78,       // N
  ANCHO_RAZON_SOCIAL = 82,          // R
  ANCHO_TEXTO_FISCAL = 84,          // T
  ANCHO_TEXTO_LINEAS_USUARIO = 85,  // U
  ANCHO_TEXTO_VENTA = 86,           // V
  ALTO_LOGO = 108,                  // l
};

// 2 codes, character family.
enum class CompresionDeInformacion : std::uint32_t {
  NO_COMPRIME = 78,  // N
  COMPRIME = 80,     // P
};

// 20 codes, character family.
enum class Configuracion : std::uint32_t {
  IMPRESION_MARCO = 49,                    // 1
  ALTO_HOJA = 50,                          // 2
  ANCHO_HOJA = 51,                         // 3
  ESTACION_REPORTES_XZ = 52,               // 4
  MODO_IMPRESION = 53,                     // 5
  IMPRESION_USAR_COLOR_ALTERNATIVO = 54,   // 6
  IMPRESION_COLOR_ALTERNATIVO = 55,        // 7
  TIMEOUT_ENVIO_RESPUESTA_EN_ESPERA = 56,  // 8
  IMPRESION_CODIGO_QR = 57,                // 9
  SONIDO_AVISO = 65,                       // A
  LIMITE_BC = 66,                          // B
  IMPRESION_CAMBIO = 67,                   // C
  CHEQUEO_DESBORDE = 68,                   // D
  BORRADO_AUTOMATICO_AUDITORIA = 69,       // E
  TIPO_HABILITACION = 72,                  // H
  INTERLINEADO = 73,                       // I
  IMPRESION_LEYENDAS = 76,                 // L
  CORTE_PAPEL = 80,                        // P
  REIMPRESION_CANCELADOS = 82,             // R
  PAGO_SALDO = 83,                         // S
};

// 18 codes, decimal family.
enum class EstadosFiscales : std::uint32_t {
  DESCONOCIDO = 0,
  NO_INICIALIZADO = 1,
  INICIO_JORNADA_FISCAL = 2,
  EN_JORNADA_FISCAL = 3,
  VENDIENDO_ITEMS = 4,
  IMPRIMIENDO_TEXTO_FISCAL = 5,
  PAGANDO = 6,
  INGRESANDO_OTROS_TRIBUTOS = 7,
  REALIZANDO_OPERACION_AJUSTE = 8,
  REALIZANDO_OPERACION_GLOBAL_IVA = 9,
  REALIZANDO_OPERACION_ANTICIPO = 10,
  IMPRIMIENDO_LINEAS_RECIBO = 11,
  IMPRIMIENDO_TEXTO_NO_FISCAL = 12,
  CINTA_AUDITORIA_CASI_LLENA = 13,
  CINTA_AUDITORIA_LLENA = 14,
  CONTROLADOR_FISCAL_ESPERANDO_BAJA = 15,
  CONTROLADOR_FISCAL_DADO_DE_BAJA = 16,
  CONTROLADOR_FISCAL_BLOQUEADO = 17,
};

// 2 codes, decimal family.
enum class IdentificadorBloque : std::uint32_t {
  BLOQUE_FINAL = 0,
  BLOQUE_INFORMACION = 1,
};

// 2 codes, character family.
enum class ImpresionCodigoDeBarras : std::uint32_t {
  PROGRAMA_CODIGO = 71,  // G
  IMPRIME_CODIGO = 80,   // P
};

// 2 codes, character family.
enum class ImpresionNumeroCodigoDeBarras : std::uint32_t {
  NO_IMPRIME_NUMEROS_CODIGO = 32,  // blank
  IMPRIME_NUMEROS_CODIGO = 78,     // N
};

// 2 codes, character family.
enum class ImpresionSubtotal : std::uint32_t {
  NO_IMPRIME_SUBTOTAL = 78,  // N
  IMPRIME_SUBTOTAL = 80,     // P
};

// 3 codes, character family.
enum class ModosDeDisplay : std::uint32_t {
  DISPLAY_NO = 48,   // 0
  DISPLAY_SI = 49,   // 1
  DISPLAY_REP = 50,  // 2
};

// 4 codes, character family.
enum class ModosDeImpuestosInternos : std::uint32_t {
  II_FIJO_MONTO = 36,           // $
  II_VARIABLE_PORCENTUAL = 37,  // %
  II_FIJO_KIVA = 43,            // +
  II_VARIABLE_KIVA = 48,        // 0
};

// 2 codes, character family.
enum class ModosDeMonto : std::uint32_t {
  MODO_SUMA_MONTO = 77,    // M
  MODO_RESTA_MONTO = 109,  // m
};

// 2 codes, character family.
enum class ModosDePago : std::uint32_t {
  ANULAR = 82,  // R
  PAGAR = 84,   // T
};

// 2 codes, character family.
enum class ModosDePrecio : std::uint32_t {
  MODO_PRECIO_BASE = 66,   // B
  MODO_PRECIO_TOTAL = 84,  // T
};

// 3 codes, character family.
enum class OperacionesCargaLogoUsuario : std::uint32_t {
  CARGA_LOGO_EN_CURSO = 67,  // C
  FIN_CARGA_LOGO = 70,       // F
  COMIENZO_CARGA_LOGO = 73,  // I
};

// 2 codes, character family.
enum class SiNo : std::uint32_t {
  NO = 78,  // N
  SI = 83,  // S
};

// 2 codes, character family.
enum class TipoReporte : std::uint32_t {
  REPORTE_X = 88,  // X
  REPORTE_Z = 90,  // Z
};

// 2 codes, character family.
enum class TipoReporteAuditoria : std::uint32_t {
  REPORTE_AUDITORIA_DISCRIMINADO = 68,  // D
  REPORTE_AUDITORIA_GLOBAL = 84,        // T
};

// 2 codes, character family.
enum class TipoReporteZ : std::uint32_t {
  REPORTE_Z_FECHA = 70,   // F
  REPORTE_Z_NUMERO = 90,  // Z
};

// 3 codes, character family.
enum class TiposDeAjustes : std::uint32_t {
  BONIFICACION_GENERAL = 66,  // B
  AJUSTE_NEG = 68,            // D
  AJUSTE_POS = 82,            // R
};

// 5 codes, character family.
enum class TiposDeCodigoDeBarras : std::uint32_t {
  CODIGO_DE_BORRADO = 48,  // 0
  CODIGO_TIPO_EAN13 = 49,  // 1
  CODIGO_TIPO_EAN8 = 50,   // 2
  CODIGO_TIPO_UPCA = 51,   // 3
  CODIGO_TIPO_I2OF5 = 52,  // 4
};

// 8 codes, character family.
enum class TiposDeDocumentoCliente : std::uint32_t {
  TIPO_NINGUNO = 32,    // blank
  TIPO_LE = 48,         // 0
  TIPO_LC = 49,         // 1
  TIPO_DNI = 50,        // 2
  TIPO_PASAPORTE = 51,  // 3
  TIPO_CI = 52,         // 4
  TIPO_CUIT = 67,       // C
  TIPO_CUIL = 76,       // L
};

// 3 codes, character family.
enum class TiposDeEstacion : std::uint32_t {
  ESTACION_POR_DEFECTO = 68,  // D
  ESTACION_SLIP = 83,         // S
  ESTACION_TICKET = 84,       // T
};

// 5 codes, character family.
enum class TiposDeOperacionesGlobalesIVA : std::uint32_t {
  COBRO_ANTICIPO = 65,      // A
  BONIFICACION_IVA = 66,    // B
  DESCUENTO_ANTICIPO = 68,  // D
  DEVOLUCION_ENVASES = 69,  // E
  RECARGO_IVA = 82,         // R
};

// 5 codes, character family.
enum class TiposDeRegistroInforme : std::uint32_t {
  REGISTRO_FINAL = 48,                   // 0
  REGISTRO_DETALLADO_DF = 49,            // 1
  REGISTRO_DETALLADO_DNFH = 50,          // 2
  REGISTRO_DETALLADO_DNFH_NO_ACUM = 51,  // 3
  REGISTRO_GLOBAL = 52,                  // 4
};

// 9 codes, character family.
enum class TiposDeResponsabilidadesCliente : std::uint32_t {
  NO_RESPONSABLE = 65,         // A
  CONSUMIDOR_FINAL = 67,       // C
  RESPONSABLE_EXENTO = 69,     // E
  RESPONSABLE_INSCRIPTO = 73,  // I
  MONOTRIBUTO = 77,            // M
  MONOTRIBUTO_SOCIAL = 83,     // S
  NO_CATEGORIZADO = 84,        // T
  EVENTUAL = 86,               // V
  EVENTUAL_SOCIAL = 87,        // W
};

// 5 codes, character family.
enum class TiposDeResponsabilidadesImpresor : std::uint32_t {
  IF_NO_RESPONSABLE = 65,         // A
  IF_RESPONSABLE_EXENTO = 69,     // E
  IF_RESPONSABLE_INSCRIPTO = 73,  // I
  IF_MONOTRIBUTO = 77,            // M
  IF_MONOTRIBUTO_SOCIAL = 83,     // S
};

// 4 codes, character family.
enum class TiposInterlineado : std::uint32_t {
  INTERLINEADO_NO_DEFINIDO = 48,  // 0
  INTERLINEADO_MINIMO = 49,       // 1
  INTERLINEADO_NORMAL = 50,       // 2
  INTERLINEADO_MAXIMO = 51,       // 3
};

// 2 codes, character family.
enum class TiposReporteAFIP : std::uint32_t {
  REPORTE_AFIP_MEMORIA_FISCAL = 78,  // N
  REPORTE_AFIP_COMPLETO = 80,        // P
};

// 2 codes, character family.
enum class XMLsPorBajada : std::uint32_t {
  VARIOS_XMLS = 78,  // N
  XML_UNICO = 80,    // P
};

// 6 codes, character family.
enum class ZonasDeLineasDeUsuario : std::uint32_t {
  ZONA_FANTASIA = 70,          // F
  ZONA_1_ENCABEZADO = 72,      // H
  ZONA_DOMICILIO_EMISOR = 79,  // O
  ZONA_1_COLA = 84,            // T
  ZONA_2_ENCABEZADO = 104,     // h
  ZONA_2_COLA = 116,           // t
};

// Descriptors of the tables above.
extern const CodeTable BaudiosTable;
extern const CodeTable CapacidadesTable;
extern const CodeTable CompresionDeInformacionTable;
extern const CodeTable ConfiguracionTable;
extern const CodeTable EstadosFiscalesTable;
extern const CodeTable IdentificadorBloqueTable;
extern const CodeTable ImpresionCodigoDeBarrasTable;
extern const CodeTable ImpresionNumeroCodigoDeBarrasTable;
extern const CodeTable ImpresionSubtotalTable;
extern const CodeTable ModosDeDisplayTable;
extern const CodeTable ModosDeImpuestosInternosTable;
extern const CodeTable ModosDeMontoTable;
extern const CodeTable ModosDePagoTable;
extern const CodeTable ModosDePrecioTable;
extern const CodeTable OperacionesCargaLogoUsuarioTable;
extern const CodeTable SiNoTable;
extern const CodeTable TipoReporteTable;
extern const CodeTable TipoReporteAuditoriaTable;
extern const CodeTable TipoReporteZTable;
extern const CodeTable TiposDeAjustesTable;
extern const CodeTable TiposDeCodigoDeBarrasTable;
extern const CodeTable TiposDeDocumentoClienteTable;
extern const CodeTable TiposDeEstacionTable;
extern const CodeTable TiposDeOperacionesGlobalesIVATable;
extern const CodeTable TiposDeRegistroInformeTable;
extern const CodeTable TiposDeResponsabilidadesClienteTable;
extern const CodeTable TiposDeResponsabilidadesImpresorTable;
extern const CodeTable TiposInterlineadoTable;
extern const CodeTable TiposReporteAFIPTable;
extern const CodeTable XMLsPorBajadaTable;
extern const CodeTable ZonasDeLineasDeUsuarioTable;

// Code to text (name when Symbolic, else packet text); null for a value
// that is not in the table. Text to code: either form; false leaves
// `value` untouched.
inline const char* ToString(Baudios value, bool Symbolic) {
  return CodeToString(BaudiosTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, Baudios& value) {
  return FromStringAs(BaudiosTable, text, value);
}
inline const char* ToString(Capacidades value, bool Symbolic) {
  return CodeToString(CapacidadesTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, Capacidades& value) {
  return FromStringAs(CapacidadesTable, text, value);
}
inline const char* ToString(CompresionDeInformacion value, bool Symbolic) {
  return CodeToString(CompresionDeInformacionTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, CompresionDeInformacion& value) {
  return FromStringAs(CompresionDeInformacionTable, text, value);
}
inline const char* ToString(Configuracion value, bool Symbolic) {
  return CodeToString(ConfiguracionTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, Configuracion& value) {
  return FromStringAs(ConfiguracionTable, text, value);
}
inline const char* ToString(EstadosFiscales value, bool Symbolic) {
  return CodeToString(EstadosFiscalesTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, EstadosFiscales& value) {
  return FromStringAs(EstadosFiscalesTable, text, value);
}
inline const char* ToString(IdentificadorBloque value, bool Symbolic) {
  return CodeToString(IdentificadorBloqueTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, IdentificadorBloque& value) {
  return FromStringAs(IdentificadorBloqueTable, text, value);
}
inline const char* ToString(ImpresionCodigoDeBarras value, bool Symbolic) {
  return CodeToString(ImpresionCodigoDeBarrasTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ImpresionCodigoDeBarras& value) {
  return FromStringAs(ImpresionCodigoDeBarrasTable, text, value);
}
inline const char* ToString(ImpresionNumeroCodigoDeBarras value, bool Symbolic) {
  return CodeToString(ImpresionNumeroCodigoDeBarrasTable, static_cast<std::uint32_t>(value),
                      Symbolic);
}
inline bool FromString(const char* text, ImpresionNumeroCodigoDeBarras& value) {
  return FromStringAs(ImpresionNumeroCodigoDeBarrasTable, text, value);
}
inline const char* ToString(ImpresionSubtotal value, bool Symbolic) {
  return CodeToString(ImpresionSubtotalTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ImpresionSubtotal& value) {
  return FromStringAs(ImpresionSubtotalTable, text, value);
}
inline const char* ToString(ModosDeDisplay value, bool Symbolic) {
  return CodeToString(ModosDeDisplayTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ModosDeDisplay& value) {
  return FromStringAs(ModosDeDisplayTable, text, value);
}
inline const char* ToString(ModosDeImpuestosInternos value, bool Symbolic) {
  return CodeToString(ModosDeImpuestosInternosTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ModosDeImpuestosInternos& value) {
  return FromStringAs(ModosDeImpuestosInternosTable, text, value);
}
inline const char* ToString(ModosDeMonto value, bool Symbolic) {
  return CodeToString(ModosDeMontoTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ModosDeMonto& value) {
  return FromStringAs(ModosDeMontoTable, text, value);
}
inline const char* ToString(ModosDePago value, bool Symbolic) {
  return CodeToString(ModosDePagoTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ModosDePago& value) {
  return FromStringAs(ModosDePagoTable, text, value);
}
inline const char* ToString(ModosDePrecio value, bool Symbolic) {
  return CodeToString(ModosDePrecioTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ModosDePrecio& value) {
  return FromStringAs(ModosDePrecioTable, text, value);
}
inline const char* ToString(OperacionesCargaLogoUsuario value, bool Symbolic) {
  return CodeToString(OperacionesCargaLogoUsuarioTable, static_cast<std::uint32_t>(value),
                      Symbolic);
}
inline bool FromString(const char* text, OperacionesCargaLogoUsuario& value) {
  return FromStringAs(OperacionesCargaLogoUsuarioTable, text, value);
}
inline const char* ToString(SiNo value, bool Symbolic) {
  return CodeToString(SiNoTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, SiNo& value) {
  return FromStringAs(SiNoTable, text, value);
}
inline const char* ToString(TipoReporte value, bool Symbolic) {
  return CodeToString(TipoReporteTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TipoReporte& value) {
  return FromStringAs(TipoReporteTable, text, value);
}
inline const char* ToString(TipoReporteAuditoria value, bool Symbolic) {
  return CodeToString(TipoReporteAuditoriaTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TipoReporteAuditoria& value) {
  return FromStringAs(TipoReporteAuditoriaTable, text, value);
}
inline const char* ToString(TipoReporteZ value, bool Symbolic) {
  return CodeToString(TipoReporteZTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TipoReporteZ& value) {
  return FromStringAs(TipoReporteZTable, text, value);
}
inline const char* ToString(TiposDeAjustes value, bool Symbolic) {
  return CodeToString(TiposDeAjustesTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposDeAjustes& value) {
  return FromStringAs(TiposDeAjustesTable, text, value);
}
inline const char* ToString(TiposDeCodigoDeBarras value, bool Symbolic) {
  return CodeToString(TiposDeCodigoDeBarrasTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposDeCodigoDeBarras& value) {
  return FromStringAs(TiposDeCodigoDeBarrasTable, text, value);
}
inline const char* ToString(TiposDeDocumentoCliente value, bool Symbolic) {
  return CodeToString(TiposDeDocumentoClienteTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposDeDocumentoCliente& value) {
  return FromStringAs(TiposDeDocumentoClienteTable, text, value);
}
inline const char* ToString(TiposDeEstacion value, bool Symbolic) {
  return CodeToString(TiposDeEstacionTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposDeEstacion& value) {
  return FromStringAs(TiposDeEstacionTable, text, value);
}
inline const char* ToString(TiposDeOperacionesGlobalesIVA value, bool Symbolic) {
  return CodeToString(TiposDeOperacionesGlobalesIVATable, static_cast<std::uint32_t>(value),
                      Symbolic);
}
inline bool FromString(const char* text, TiposDeOperacionesGlobalesIVA& value) {
  return FromStringAs(TiposDeOperacionesGlobalesIVATable, text, value);
}
inline const char* ToString(TiposDeRegistroInforme value, bool Symbolic) {
  return CodeToString(TiposDeRegistroInformeTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposDeRegistroInforme& value) {
  return FromStringAs(TiposDeRegistroInformeTable, text, value);
}
inline const char* ToString(TiposDeResponsabilidadesCliente value, bool Symbolic) {
  return CodeToString(TiposDeResponsabilidadesClienteTable, static_cast<std::uint32_t>(value),
                      Symbolic);
}
inline bool FromString(const char* text, TiposDeResponsabilidadesCliente& value) {
  return FromStringAs(TiposDeResponsabilidadesClienteTable, text, value);
}
inline const char* ToString(TiposDeResponsabilidadesImpresor value, bool Symbolic) {
  return CodeToString(TiposDeResponsabilidadesImpresorTable, static_cast<std::uint32_t>(value),
                      Symbolic);
}
inline bool FromString(const char* text, TiposDeResponsabilidadesImpresor& value) {
  return FromStringAs(TiposDeResponsabilidadesImpresorTable, text, value);
}
inline const char* ToString(TiposInterlineado value, bool Symbolic) {
  return CodeToString(TiposInterlineadoTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposInterlineado& value) {
  return FromStringAs(TiposInterlineadoTable, text, value);
}
inline const char* ToString(TiposReporteAFIP value, bool Symbolic) {
  return CodeToString(TiposReporteAFIPTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, TiposReporteAFIP& value) {
  return FromStringAs(TiposReporteAFIPTable, text, value);
}
inline const char* ToString(XMLsPorBajada value, bool Symbolic) {
  return CodeToString(XMLsPorBajadaTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, XMLsPorBajada& value) {
  return FromStringAs(XMLsPorBajadaTable, text, value);
}
inline const char* ToString(ZonasDeLineasDeUsuario value, bool Symbolic) {
  return CodeToString(ZonasDeLineasDeUsuarioTable, static_cast<std::uint32_t>(value), Symbolic);
}
inline bool FromString(const char* text, ZonasDeLineasDeUsuario& value) {
  return FromStringAs(ZonasDeLineasDeUsuarioTable, text, value);
}

}  // namespace Vardex_Funcs

template <>
struct CodeTableOf<AFIP::CodigosMatrixDefault> {
  static constexpr const CodeTable& Table = AFIP::CodigosMatrixDefaultTable;
};
template <>
struct CodeTableOf<AFIP::CondicionesIVA> {
  static constexpr const CodeTable& Table = AFIP::CondicionesIVATable;
};
template <>
struct CodeTableOf<AFIP::TipoDocReceptor> {
  static constexpr const CodeTable& Table = AFIP::TipoDocReceptorTable;
};
template <>
struct CodeTableOf<AFIP::TiposComprobante> {
  static constexpr const CodeTable& Table = AFIP::TiposComprobanteTable;
};
template <>
struct CodeTableOf<AFIP::TiposHabilitacion> {
  static constexpr const CodeTable& Table = AFIP::TiposHabilitacionTable;
};
template <>
struct CodeTableOf<AFIP::TiposPago> {
  static constexpr const CodeTable& Table = AFIP::TiposPagoTable;
};
template <>
struct CodeTableOf<AFIP::TiposResponsable> {
  static constexpr const CodeTable& Table = AFIP::TiposResponsableTable;
};
template <>
struct CodeTableOf<AFIP::TiposTributos> {
  static constexpr const CodeTable& Table = AFIP::TiposTributosTable;
};
template <>
struct CodeTableOf<AFIP::UnidadesMedida> {
  static constexpr const CodeTable& Table = AFIP::UnidadesMedidaTable;
};
template <>
struct CodeTableOf<ECR::OperacionesCajero> {
  static constexpr const CodeTable& Table = ECR::OperacionesCajeroTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::Baudios> {
  static constexpr const CodeTable& Table = Vardex_Funcs::BaudiosTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::Capacidades> {
  static constexpr const CodeTable& Table = Vardex_Funcs::CapacidadesTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::CompresionDeInformacion> {
  static constexpr const CodeTable& Table = Vardex_Funcs::CompresionDeInformacionTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::Configuracion> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ConfiguracionTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::EstadosFiscales> {
  static constexpr const CodeTable& Table = Vardex_Funcs::EstadosFiscalesTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::IdentificadorBloque> {
  static constexpr const CodeTable& Table = Vardex_Funcs::IdentificadorBloqueTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ImpresionCodigoDeBarras> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ImpresionCodigoDeBarrasTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ImpresionNumeroCodigoDeBarras> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ImpresionNumeroCodigoDeBarrasTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ImpresionSubtotal> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ImpresionSubtotalTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ModosDeDisplay> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ModosDeDisplayTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ModosDeImpuestosInternos> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ModosDeImpuestosInternosTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ModosDeMonto> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ModosDeMontoTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ModosDePago> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ModosDePagoTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ModosDePrecio> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ModosDePrecioTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::OperacionesCargaLogoUsuario> {
  static constexpr const CodeTable& Table = Vardex_Funcs::OperacionesCargaLogoUsuarioTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::SiNo> {
  static constexpr const CodeTable& Table = Vardex_Funcs::SiNoTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TipoReporte> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TipoReporteTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TipoReporteAuditoria> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TipoReporteAuditoriaTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TipoReporteZ> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TipoReporteZTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeAjustes> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeAjustesTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeCodigoDeBarras> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeCodigoDeBarrasTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeDocumentoCliente> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeDocumentoClienteTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeEstacion> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeEstacionTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeOperacionesGlobalesIVA> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeOperacionesGlobalesIVATable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeRegistroInforme> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeRegistroInformeTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeResponsabilidadesCliente> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeResponsabilidadesClienteTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposDeResponsabilidadesImpresor> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposDeResponsabilidadesImpresorTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposInterlineado> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposInterlineadoTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::TiposReporteAFIP> {
  static constexpr const CodeTable& Table = Vardex_Funcs::TiposReporteAFIPTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::XMLsPorBajada> {
  static constexpr const CodeTable& Table = Vardex_Funcs::XMLsPorBajadaTable;
};
template <>
struct CodeTableOf<Vardex_Funcs::ZonasDeLineasDeUsuario> {
  static constexpr const CodeTable& Table = Vardex_Funcs::ZonasDeLineasDeUsuarioTable;
};

}  // namespace VXP::Argentina::RG3561

#endif  // VXP_ARGENTINA_ENUMS_COMANDOS_FISCALES_RG3561_H_
