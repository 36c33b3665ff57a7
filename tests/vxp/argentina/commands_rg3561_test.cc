// Command names and bytes, the per-command field counts and the neutral
// results of the field-description interface.
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/vardex_data_container.h"

namespace VXP::Argentina::RG3561 {
namespace {

struct CommandRow {
  const char* Name;
  Comandos Command;
  unsigned Decimal;
  unsigned Hex;
  unsigned RequestFields;
  unsigned AnswerFields;  // the most fields an answer names
  bool ByContent;
};

// The command set as listed for the controller: name, enumerator, code in
// decimal and hexadecimal, request fields, answer fields (the largest layout
// for the answers that depend on their content).
constexpr CommandRow kRows[] = {
    {"ConsultarEstado", CMD_CONSULTAR_ESTADO, 42, 0x2A, 1, 7, false},
    {"ConsultarUltimoError", CMD_CONSULTAR_ULTIMO_ERROR, 44, 0x2C, 0, 5, false},
    {"ConsultarInformacionBloqueo", CMD_CONSULTAR_INFORMACION_BLOQUEO, 45, 0x2D, 0, 3, false},
    {"ConsultarCantidadIvasOtrosTributos", CMD_CONSULTAR_CANTIDAD_IVAS_OTROS_TRIBUTOS, 46, 0x2E, 0,
     2, false},
    {"ConsultarCapacidadZetas", CMD_CONSULTAR_CAPACIDAD_ZETAS, 55, 0x37, 0, 4, false},
    {"CerrarJornadaFiscal", CMD_CERRAR_JORNADA_FISCAL, 57, 0x39, 1, 21, true},
    {"ReportarZetasPorFecha", CMD_REPORTAR_ZETAS_POR_FECHA, 58, 0x3A, 3, 0, false},
    {"ReportarZetasPorNumeroZeta", CMD_REPORTAR_ZETAS_POR_NUMERO_ZETA, 59, 0x3B, 3, 0, false},
    {"AbrirDocumento", CMD_ABRIR_DOCUMENTO, 64, 0x40, 1, 1, false},
    {"ImprimirTextoFiscal", CMD_IMPRIMIR_TEXTO_FISCAL, 65, 0x41, 3, 0, false},
    {"ImprimirItem", CMD_IMPRIMIR_ITEM, 66, 0x42, 14, 1, false},
    {"ConsultarSubtotal", CMD_CONSULTAR_SUBTOTAL, 67, 0x43, 2, 8, false},
    {"ImprimirPago", CMD_IMPRIMIR_PAGO, 68, 0x44, 9, 1, false},
    {"CerrarDocumento", CMD_CERRAR_DOCUMENTO, 69, 0x45, 2, 2, false},
    {"ImprimirTextoPruebaPerifericos", CMD_IMPRIMIR_TEXTO_PRUEBA_PERIFERICOS, 70, 0x46, 2, 0,
     false},
    {"ConsultarInformacionAritmetica", CMD_CONSULTAR_INFORMACION_ARITMETICA, 71, 0x47, 2, 14,
     false},
    {"ConsultarUltimaConexion", CMD_CONSULTAR_ULTIMA_CONEXION, 72, 0x48, 0, 3, false},
    {"ImprimirTextoGenerico", CMD_IMPRIMIR_TEXTO_GENERICO, 73, 0x49, 3, 0, false},
    {"AvanzarPapelEstacionTique", CMD_AVANZAR_PAPEL_ESTACION_TIQUE, 80, 0x50, 1, 0, false},
    {"AvanzarPapelEstacionAuditoria", CMD_AVANZAR_PAPEL_ESTACION_AUDITORIA, 81, 0x51, 1, 0, false},
    {"AvanzarPapelAmbasEstaciones", CMD_AVANZAR_PAPEL_AMBAS_ESTACIONES, 82, 0x52, 1, 0, false},
    {"AnularItem", CMD_ANULAR_ITEM, 83, 0x53, 1, 1, false},
    {"ImprimirAjuste", CMD_IMPRIMIR_AJUSTE, 84, 0x54, 6, 2, false},
    {"ImprimirDescuentoItem", CMD_IMPRIMIR_DESCUENTO_ITEM, 85, 0x55, 4, 1, false},
    {"ConfigurarFechaHora", CMD_CONFIGURAR_FECHA_HORA, 88, 0x58, 2, 0, false},
    {"ConsultarFechaHora", CMD_CONSULTAR_FECHA_HORA, 89, 0x59, 0, 2, false},
    {"CargarCodigoBarras", CMD_CARGAR_CODIGO_BARRAS, 90, 0x5A, 4, 0, false},
    {"ImprimirOtrosTributos", CMD_IMPRIMIR_OTROS_TRIBUTOS, 97, 0x61, 4, 0, false},
    {"CargarDatosCliente", CMD_CARGAR_DATOS_CLIENTE, 98, 0x62, 8, 0, false},
    {"CambiarCategoriaIVA", CMD_CAMBIAR_CATEGORIA_IVA, 99, 0x63, 1, 0, false},
    {"ImprimirAnticipoBonificacionEnvases", CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES, 109, 0x6D,
     10, 1, false},
    {"CambiarInscripIIBB", CMD_CAMBIAR_INSCRIP_IIBB, 110, 0x6E, 1, 0, false},
    {"ConsultarDatosInicializacion", CMD_CONSULTAR_DATOS_INICIALIZACION, 115, 0x73, 0, 8, false},
    {"ObtenerPrimerBloqueReporteElectronico", CMD_OBTENER_PRIMER_BLOQUE_REPORTE_ELECTRONICO, 118,
     0x76, 3, 2, false},
    {"ObtenerSiguienteBloqueReporteElectronico", CMD_OBTENER_SIGUIENTE_BLOQUE_REPORTE_ELECTRONICO,
     119, 0x77, 0, 2, false},
    {"CambiarFechaInicioActividades", CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES, 120, 0x78, 1, 0, false},
    {"AbrirCajonDinero", CMD_ABRIR_CAJON_DINERO, 123, 0x7B, 0, 0, false},
    {"ConsultarVersion", CMD_CONSULTAR_VERSION, 127, 0x7F, 0, 6, false},
    {"ConsultarAcumuladosCierreZeta", CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA, 138, 0x8A, 3, 53, true},
    {"ConsultarAcumuladosMemoriaDeTrabajo", CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO, 139, 0x8B,
     1, 53, true},
    {"ConsultarAcumuladosComprobante", CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, 140, 0x8C, 2, 63,
     true},
    {"ContinuarConsultaAcumulados", CMD_CONTINUAR_CONSULTA_ACUMULADOS, 141, 0x8D, 0, 53, true},
    {"CargarLogoEmisor", CMD_CARGAR_LOGO_EMISOR, 144, 0x90, 2, 0, false},
    {"EliminarLogoEmisor", CMD_ELIMINAR_LOGO_EMISOR, 145, 0x91, 0, 0, false},
    {"CargarDocumentoAsociado", CMD_CARGAR_DOCUMENTO_ASOCIADO, 147, 0x93, 4, 0, false},
    {"ConsultarDocumentoAsociado", CMD_CONSULTAR_DOCUMENTO_ASOCIADO, 148, 0x94, 1, 3, false},
    {"ImprimirConceptoRecibo", CMD_IMPRIMIR_CONCEPTO_RECIBO, 151, 0x97, 1, 0, false},
    {"Cancelar", CMD_CANCELAR, 152, 0x98, 0, 0, false},
    {"PedirReimpresion", CMD_PEDIR_REIMPRESION, 153, 0x99, 0, 1, false},
    {"ConfigurarZona", CMD_CONFIGURAR_ZONA, 158, 0x9E, 5, 0, false},
    {"ConsultarZona", CMD_CONSULTAR_ZONA, 159, 0x9F, 3, 2, false},
    {"CambiarVelocidadPuerto", CMD_CAMBIAR_VELOCIDAD_PUERTO, 160, 0xA0, 1, 0, false},
    {"ConsultarEstadoEspera", CMD_CONSULTAR_ESTADO_ESPERA, 161, 0xA1, 0, 0, false},
    {"ConfigurarRed", CMD_CONFIGURAR_RED, 162, 0xA2, 4, 0, false},
    {"ConsultarConfiguracionRed", CMD_CONSULTAR_CONFIGURACION_RED, 163, 0xA3, 0, 4, false},
    {"ObtenerPrimerBloqueAuditoria", CMD_OBTENER_PRIMER_BLOQUE_AUDITORIA, 166, 0xA6, 5, 2, false},
    {"ObtenerSiguienteBloqueAuditoria", CMD_OBTENER_SIGUIENTE_BLOQUE_AUDITORIA, 167, 0xA7, 0, 2,
     false},
    {"ConsultarCapacidadesImpresoraFiscal", CMD_CONSULTAR_CAPACIDADES_IMPRESORA_FISCAL, 168, 0xA8,
     3, 1, false},
    {"ObtenerPrimerBloqueDocumento", CMD_OBTENER_PRIMER_BLOQUE_DOCUMENTO, 169, 0xA9, 5, 2, false},
    {"ObtenerPrimerBloqueLog", CMD_OBTENER_PRIMER_BLOQUE_LOG, 170, 0xAA, 0, 2, false},
    {"ObtenerSiguienteBloqueLog", CMD_OBTENER_SIGUIENTE_BLOQUE_LOG, 171, 0xAB, 0, 2, false},
    {"ObtenerSiguienteBloqueDocumento", CMD_OBTENER_SIGUIENTE_BLOQUE_DOCUMENTO, 172, 0xAC, 0, 2,
     false},
    {"ConfigurarImpresoraFiscal", CMD_CONFIGURAR_IMPRESORA_FISCAL, 173, 0xAD, 2, 0, false},
    {"ConsultarConfiguracionImpresoraFiscal", CMD_CONSULTAR_CONFIGURACION_IMPRESORA_FISCAL, 174,
     0xAE, 1, 1, false},
    {"CopiarComprobante", CMD_COPIAR_COMPROBANTE, 175, 0xAF, 2, 0, false},
    {"ConfigurarServidorCorreo", CMD_CONFIGURAR_SERVIDOR_CORREO, 178, 0xB2, 3, 0, false},
    {"ConsultarConfiguracionServidorCorreo", CMD_CONSULTAR_CONFIGURACION_SERVIDOR_CORREO, 179, 0xB3,
     0, 3, false},
    {"EnviarDocumentoCorreo", CMD_ENVIAR_DOCUMENTO_CORREO, 180, 0xB4, 3, 0, false},
    {"ConfigurarZetaBorrable", CMD_CONFIGURAR_ZETA_BORRABLE, 181, 0xB5, 1, 0, false},
    {"ConsultarZetaBorrable", CMD_CONSULTAR_ZETA_BORRABLE, 182, 0xB6, 0, 1, false},
    {"CargarBeneficiario", CMD_CARGAR_BENEFICIARIO, 183, 0xB7, 4, 0, false},
    {"CargarTransportista", CMD_CARGAR_TRANSPORTISTA, 184, 0xB8, 8, 0, false},
    {"ObtenerRangoZetasPorFechas", CMD_OBTENER_RANGO_ZETAS_POR_FECHAS, 185, 0xB9, 2, 2, false},
    {"ObtenerRangoFechasPorZetas", CMD_OBTENER_RANGO_FECHAS_POR_ZETAS, 186, 0xBA, 2, 2, false},
    {"OperacionCajero", CMD_OPERACION_CAJERO, 208, 0xD0, 3, 0, false},
    {"ConsultarEstadoECR", CMD_CONSULTAR_ESTADO_ECR, 209, 0xD1, 0, 2, false},
};

TEST(Commands, TableHasEveryCommandOnce) {
  EXPECT_EQ(std::size(kRows), 76u);
  EXPECT_EQ(AllCommands().size(), 76u);
  std::set<unsigned> codes;
  std::set<std::string> names;
  for (const CommandRow& r : kRows) {
    codes.insert(r.Decimal);
    names.insert(r.Name);
  }
  EXPECT_EQ(codes.size(), 76u);
  EXPECT_EQ(names.size(), 76u);
}

TEST(Commands, NameAndByteBothWays) {
  for (const CommandRow& r : kRows) {
    SCOPED_TRACE(r.Name);
    EXPECT_EQ(r.Decimal, r.Hex);
    EXPECT_EQ(static_cast<unsigned>(r.Command), r.Decimal);
    ASSERT_NE(ToString(r.Command), nullptr);
    EXPECT_STREQ(ToString(r.Command), r.Name);
    EXPECT_STREQ(ToStringOrCode(r.Command), r.Name);
    Comandos c = static_cast<Comandos>(0);
    EXPECT_TRUE(FromString(r.Name, c));
    EXPECT_EQ(c, r.Command);
  }
}

TEST(Commands, EveryOtherByteIsNoCommand) {
  std::set<unsigned> codes;
  for (const CommandRow& r : kRows) codes.insert(r.Decimal);
  for (unsigned b = 0; b < 256; ++b) {
    if (codes.count(b) != 0) continue;
    SCOPED_TRACE(b);
    EXPECT_EQ(ToString(static_cast<Comandos>(b)), nullptr);
    EXPECT_EQ(FindCommand(static_cast<Comandos>(b)), nullptr);
  }
}

// A few bytes checked on their own, as they appear in packet traces.
TEST(Commands, SpotChecks) {
  EXPECT_EQ(CMD_CONSULTAR_ESTADO, 0x2A);
  EXPECT_EQ(CMD_IMPRIMIR_ITEM, 66);
  EXPECT_EQ(CMD_CERRAR_JORNADA_FISCAL, 0x39);
  EXPECT_EQ(CMD_ABRIR_CAJON_DINERO, 123);
  EXPECT_EQ(CMD_CONSULTAR_VERSION, 0x7F);
  EXPECT_EQ(CMD_CONSULTAR_ACUMULADOS_COMPROBANTE, 140);
  EXPECT_EQ(CMD_CONSULTAR_ESTADO_ESPERA, 0xA1);
  EXPECT_EQ(CMD_CONSULTAR_ESTADO_ECR, 209);
  EXPECT_STREQ(ToString(static_cast<Comandos>(0x45)), "CerrarDocumento");
  EXPECT_STREQ(ToString(static_cast<Comandos>(0x6E)), "CambiarInscripIIBB");
  EXPECT_STREQ(ToString(static_cast<Comandos>(0xD0)), "OperacionCajero");
  EXPECT_STREQ(ToString(static_cast<Comandos>(0x98)), "Cancelar");
}

TEST(Commands, FromStringIgnoresCaseOnly) {
  Comandos c = CMD_CANCELAR;
  EXPECT_TRUE(FromString("consultarestado", c));
  EXPECT_EQ(c, CMD_CONSULTAR_ESTADO);
  c = CMD_CANCELAR;
  EXPECT_TRUE(FromString("CONSULTARESTADO", c));
  EXPECT_EQ(c, CMD_CONSULTAR_ESTADO);
  for (const char* bad : {" ConsultarEstado", "ConsultarEstado ", "42", "", "Consultar",
                          "ConsultarEstadoX", "0x2A"}) {
    SCOPED_TRACE(bad);
    c = CMD_CANCELAR;
    EXPECT_FALSE(FromString(bad, c));
    EXPECT_EQ(c, CMD_CANCELAR);
  }
  EXPECT_FALSE(FromString(nullptr, c));
  EXPECT_EQ(c, CMD_CANCELAR);
  // A byte above 127 in the text must not match a letter.
  EXPECT_FALSE(FromString("Cancel\xE1r", c));
}

TEST(Commands, ToStringOfUnknownByte) {
  EXPECT_EQ(ToString(static_cast<Comandos>(43)), nullptr);
  EXPECT_STREQ(ToString(static_cast<Comandos>(209)), "ConsultarEstadoECR");
  // Callers that must name an answer by its byte get a name all the same.
  EXPECT_STREQ(ToStringOrCode(static_cast<Comandos>(43)), "Comando2B");
  EXPECT_STREQ(ToStringOrCode(static_cast<Comandos>(0)), "Comando00");
  EXPECT_STREQ(ToStringOrCode(static_cast<Comandos>(0xFF)), "ComandoFF");
  // The fallback is not a command name.
  Comandos c = CMD_CANCELAR;
  EXPECT_FALSE(FromString("Comando2B", c));
}

unsigned CountRequestNames(Comandos c) {
  unsigned n = 0;
  while (NombreCampoIn(c, n) != nullptr) ++n;
  return n;
}

// The number of answer fields named for an answer whose field 0 is field0.
unsigned CountAnswerNames(Comandos c, const char* field0) {
  VardexDataContainer answer(c);
  if (field0 != nullptr) answer.AddField("%s", field0);
  unsigned n = 0;
  while (NombreCampoOut(answer, n) != nullptr) ++n;
  return n;
}

TEST(Commands, FieldCountsPerCommand) {
  unsigned request = 0, answer = 0, both = 0, neither = 0, total = 0;
  for (const CommandRow& r : kRows) {
    SCOPED_TRACE(r.Name);
    EXPECT_EQ(CountRequestNames(r.Command), r.RequestFields);
    const CommandDescription* d = FindCommand(r.Command);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Answer.ByContent(), r.ByContent);
    if (r.ByContent) {
      // The deciding code "1" (accumulators) or "Z" (daily closure) gives
      // the largest layout.
      const char* largest = r.Command == CMD_CERRAR_JORNADA_FISCAL ? "Z" : "1";
      EXPECT_EQ(CountAnswerNames(r.Command, largest), r.AnswerFields);
      EXPECT_EQ(CountAnswerNames(r.Command, nullptr), 1u);
    } else {
      EXPECT_EQ(CountAnswerNames(r.Command, "1"), r.AnswerFields);
    }
    total += r.RequestFields;
    request += r.RequestFields > 0;
    answer += r.AnswerFields > 0;
    both += r.RequestFields > 0 && r.AnswerFields > 0;
    neither += r.RequestFields == 0 && r.AnswerFields == 0;
  }
  EXPECT_EQ(total, 165u);
  EXPECT_EQ(request, 53u);
  EXPECT_EQ(answer, 43u);
  EXPECT_EQ(both, 24u);
  EXPECT_EQ(neither, 4u);
}

// The per-command functions exist exactly for the commands that have fields
// on their side, and give what the dispatchers give.
#define CHECK_REQUEST_WRAPPER(Name, Cmd)                                            \
  {                                                                                 \
    SCOPED_TRACE(#Name);                                                            \
    EXPECT_STREQ(ToString(Cmd), #Name);                                             \
    EXPECT_GT(CountRequestNames(Cmd), 0u);                                          \
    seen.insert(Cmd);                                                               \
    for (unsigned n = 0; n <= CountRequestNames(Cmd); ++n) {                        \
      EXPECT_EQ(Name::NombreCampoIn(n), NombreCampoIn(Cmd, n));                     \
      EXPECT_EQ(Name::TipoCampoIn(n, nullptr, 0), TipoCampoIn(Cmd, n, nullptr, 0)); \
      EXPECT_EQ(Name::ValorPorDefectoCampoIn(n, false) == nullptr,                  \
                ValorPorDefectoCampoIn(Cmd, n, false) == nullptr);                  \
    }                                                                               \
    unsigned a = 99, b = 98;                                                        \
    EXPECT_EQ(Name::NumeroCampoIn(NombreCampoIn(Cmd, 0), a), true);                 \
    EXPECT_TRUE(NumeroCampoIn(Cmd, NombreCampoIn(Cmd, 0), b));                      \
    EXPECT_EQ(a, b);                                                                \
    const char* text = "texto";                                                     \
    EXPECT_EQ(Name::ValorCampoIn(99, text, true), text);                            \
  }

#define CHECK_ANSWER_WRAPPER(Name, Cmd)                                                          \
  {                                                                                              \
    SCOPED_TRACE(#Name);                                                                         \
    EXPECT_STREQ(ToString(Cmd), #Name);                                                          \
    seen.insert(Cmd);                                                                            \
    VardexDataContainer answer(Cmd);                                                             \
    answer.AddField("1");                                                                        \
    EXPECT_NE(Name::NombreCampoOut(answer, 0), nullptr);                                         \
    for (unsigned n = 0; n < 70; ++n) {                                                          \
      EXPECT_EQ(Name::NombreCampoOut(answer, n), NombreCampoOut(answer, n));                     \
      EXPECT_EQ(Name::TipoCampoOut(answer, n, nullptr, 0), TipoCampoOut(answer, n, nullptr, 0)); \
    }                                                                                            \
    unsigned a = 99;                                                                             \
    EXPECT_TRUE(Name::NumeroCampoOut(answer, NombreCampoOut(answer, 0), a));                     \
    EXPECT_EQ(a, 0u);                                                                            \
    const char* text = "texto";                                                                  \
    EXPECT_EQ(Name::ValorCampoOut(answer, 99, text, true), text);                                \
  }

TEST(Commands, PerCommandFunctions) {
  std::set<unsigned> seen;
  VXP_RG3561_REQUEST_COMMANDS(CHECK_REQUEST_WRAPPER)
  EXPECT_EQ(seen.size(), 53u);
  seen.clear();
  VXP_RG3561_ANSWER_COMMANDS(CHECK_ANSWER_WRAPPER)
  EXPECT_EQ(seen.size(), 43u);
}

// The per-command answer functions keep to their own layout whatever byte
// the container carries.
TEST(Commands, PerCommandAnswerFunctionUsesItsOwnLayout) {
  VardexDataContainer answer(CMD_CONSULTAR_VERSION);
  answer.AddField("x");
  EXPECT_STREQ(ImprimirPago::NombreCampoOut(answer, 0), "Saldo");
  EXPECT_STREQ(NombreCampoOut(answer, 0), "Version");
}

TEST(Commands, AbrirCajonDineroIsNeutralEverywhere) {
  const Comandos c = CMD_ABRIR_CAJON_DINERO;
  char buf[16] = "untouched";
  unsigned n = 7;
  for (unsigned f = 0; f < 3; ++f) {
    EXPECT_EQ(NombreCampoIn(c, f), nullptr);
    EXPECT_EQ(TipoCampoIn(c, f, buf, sizeof buf), UNKNOWN);
    EXPECT_EQ(ValorCampoIn(c, f, "1", true), nullptr);
    EXPECT_EQ(ValorCampoIn(c, f, "1", false), nullptr);
    EXPECT_EQ(ValorPorDefectoCampoIn(c, f, true), nullptr);
  }
  EXPECT_FALSE(NumeroCampoIn(c, "CodigoComprobante", n));
  VardexDataContainer answer(c);
  answer.AddField("1");
  answer.AddField("2");
  for (unsigned f = 0; f < 3; ++f) {
    EXPECT_EQ(NombreCampoOut(answer, f), nullptr);
    EXPECT_EQ(TipoCampoOut(answer, f, buf, sizeof buf), UNKNOWN);
    EXPECT_EQ(ValorCampoOut(answer, f, "1", true), nullptr);
  }
  EXPECT_FALSE(NumeroCampoOut(answer, "Registro", n));
  EXPECT_EQ(n, 7u);
  EXPECT_STREQ(buf, "untouched");
}

TEST(Commands, UnknownByteIsNeutralOnBothSides) {
  const Comandos c = static_cast<Comandos>(43);
  unsigned n = 7;
  EXPECT_EQ(NombreCampoIn(c, 0), nullptr);
  EXPECT_FALSE(NumeroCampoIn(c, "CodigoComprobante", n));
  EXPECT_EQ(TipoCampoIn(c, 0, nullptr, 0), UNKNOWN);
  EXPECT_EQ(ValorCampoIn(c, 0, "x", false), nullptr);
  EXPECT_EQ(ValorPorDefectoCampoIn(c, 0, false), nullptr);
  VardexDataContainer answer(c);
  answer.AddField("Z");
  EXPECT_EQ(NombreCampoOut(answer, 0), nullptr);
  EXPECT_FALSE(NumeroCampoOut(answer, "Reporte", n));
  EXPECT_EQ(TipoCampoOut(answer, 0, nullptr, 0), UNKNOWN);
  EXPECT_EQ(ValorCampoOut(answer, 0, "Z", true), nullptr);
  EXPECT_EQ(n, 7u);
}

// A command with request fields but none in its answer, and the reverse.
TEST(Commands, OneSidedCommandsAreNeutralOnTheOtherSide) {
  VardexDataContainer answer(CMD_IMPRIMIR_TEXTO_FISCAL);
  answer.AddField("00");
  answer.AddField("texto");
  EXPECT_EQ(NombreCampoOut(answer, 0), nullptr);
  EXPECT_EQ(ValorCampoOut(answer, 0, "00", true), nullptr);
  EXPECT_EQ(TipoCampoOut(answer, 1, nullptr, 0), UNKNOWN);
  EXPECT_EQ(NombreCampoIn(CMD_CONSULTAR_VERSION, 0), nullptr);
  EXPECT_EQ(ValorCampoIn(CMD_CONSULTAR_VERSION, 0, "x", true), nullptr);
}

TEST(Types, NamesBothWays) {
  const char* names[] = {"UNKNOWN", "STRING", "INTEGER",  "REAL",    "DATE",
                         "TIME",    "ENUM",   "BITFIELD", "LONGDATE"};
  for (unsigned i = 0; i < std::size(names); ++i) {
    EXPECT_STREQ(ToString(static_cast<Types>(i)), names[i]);
    Types t = UNKNOWN;
    EXPECT_TRUE(FromString(names[i], t));
    EXPECT_EQ(static_cast<unsigned>(t), i);
  }
  EXPECT_EQ(LONGDATE, 8);
  EXPECT_EQ(BITFIELD, 7);
  EXPECT_STREQ(ToString(static_cast<Types>(9)), "UNKNOWN");
  Types t = REAL;
  EXPECT_TRUE(FromString("bitfield", t));
  EXPECT_EQ(t, BITFIELD);
  t = REAL;
  EXPECT_FALSE(FromString("ENUMS", t));
  EXPECT_FALSE(FromString(nullptr, t));
  EXPECT_EQ(t, REAL);
}

}  // namespace
}  // namespace VXP::Argentina::RG3561
