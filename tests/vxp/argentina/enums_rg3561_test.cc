#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <set>
#include <string>

namespace VXP::Argentina::RG3561 {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
// Alternating case, starting with lower case: "fAcTuRaA".
std::string Mixed(std::string s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    s[i] = static_cast<char>(i % 2 ? std::toupper(c) : std::tolower(c));
  }
  return s;
}

const CodeTable& Table(const char* name) {
  const CodeTable* t = FindCodeTable(name);
  EXPECT_NE(t, nullptr) << name;
  static const CodeTable kEmpty{"", "", CodeFamily::DECIMAL, {}};
  return t ? *t : kEmpty;
}

// Parses `text` into a value preset to a sentinel, so that a failure can be
// seen to leave it untouched.
constexpr std::uint32_t kSentinel = 0xDEADBEEF;
std::uint32_t Parse(const CodeTable& t, const char* text, bool* ok = nullptr) {
  std::uint32_t v = kSentinel;
  const bool r = CodeFromString(t, text, v);
  if (ok) *ok = r;
  if (!r) {
    EXPECT_EQ(v, kSentinel) << "failure must leave the value untouched";
  }
  return v;
}
bool Accepts(const CodeTable& t, const std::string& text) {
  bool ok = false;
  Parse(t, text.c_str(), &ok);
  return ok;
}

// ---------------------------------------------------------------------------
// Independent transcription: every table's name, namespace, family and size.

struct TableShape {
  const char* ns;
  const char* name;
  CodeFamily family;
  std::size_t count;
};
constexpr CodeFamily D = CodeFamily::DECIMAL;
constexpr CodeFamily C = CodeFamily::CHARACTER;
const TableShape kShapes[] = {
    {"AFIP", "CodigosMatrixDefault", D, 4},
    {"AFIP", "CondicionesIVA", D, 4},
    {"AFIP", "TipoDocReceptor", D, 14},
    {"AFIP", "TiposComprobante", D, 49},
    {"AFIP", "TiposHabilitacion", D, 3},
    {"AFIP", "TiposPago", D, 26},
    {"AFIP", "TiposResponsable", D, 14},
    {"AFIP", "TiposTributos", D, 12},
    {"AFIP", "UnidadesMedida", D, 57},
    {"ECR", "OperacionesCajero", C, 2},
    {"Vardex_Funcs", "Baudios", D, 8},
    {"Vardex_Funcs", "Capacidades", C, 11},
    {"Vardex_Funcs", "CompresionDeInformacion", C, 2},
    {"Vardex_Funcs", "Configuracion", C, 20},
    {"Vardex_Funcs", "EstadosFiscales", D, 18},
    {"Vardex_Funcs", "IdentificadorBloque", D, 2},
    {"Vardex_Funcs", "ImpresionCodigoDeBarras", C, 2},
    {"Vardex_Funcs", "ImpresionNumeroCodigoDeBarras", C, 2},
    {"Vardex_Funcs", "ImpresionSubtotal", C, 2},
    {"Vardex_Funcs", "ModosDeDisplay", C, 3},
    {"Vardex_Funcs", "ModosDeImpuestosInternos", C, 4},
    {"Vardex_Funcs", "ModosDeMonto", C, 2},
    {"Vardex_Funcs", "ModosDePago", C, 2},
    {"Vardex_Funcs", "ModosDePrecio", C, 2},
    {"Vardex_Funcs", "OperacionesCargaLogoUsuario", C, 3},
    {"Vardex_Funcs", "SiNo", C, 2},
    {"Vardex_Funcs", "TipoReporte", C, 2},
    {"Vardex_Funcs", "TipoReporteAuditoria", C, 2},
    {"Vardex_Funcs", "TipoReporteZ", C, 2},
    {"Vardex_Funcs", "TiposDeAjustes", C, 3},
    {"Vardex_Funcs", "TiposDeCodigoDeBarras", C, 5},
    {"Vardex_Funcs", "TiposDeDocumentoCliente", C, 8},
    {"Vardex_Funcs", "TiposDeEstacion", C, 3},
    {"Vardex_Funcs", "TiposDeOperacionesGlobalesIVA", C, 5},
    {"Vardex_Funcs", "TiposDeRegistroInforme", C, 5},
    {"Vardex_Funcs", "TiposDeResponsabilidadesCliente", C, 9},
    {"Vardex_Funcs", "TiposDeResponsabilidadesImpresor", C, 5},
    {"Vardex_Funcs", "TiposInterlineado", C, 4},
    {"Vardex_Funcs", "TiposReporteAFIP", C, 2},
    {"Vardex_Funcs", "XMLsPorBajada", C, 2},
    {"Vardex_Funcs", "ZonasDeLineasDeUsuario", C, 6},
};

TEST(CodeTablesTest, CatalogueHasEveryTableInOrderWithItsSize) {
  const auto all = AllCodeTables();
  ASSERT_EQ(all.size(), 41u);
  ASSERT_EQ(std::size(kShapes), 41u);
  std::size_t codes = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(kShapes[i].name);
    EXPECT_STREQ(all[i]->Namespace, kShapes[i].ns);
    EXPECT_STREQ(all[i]->Name, kShapes[i].name);
    EXPECT_EQ(all[i]->Family, kShapes[i].family);
    EXPECT_EQ(all[i]->Codes.size(), kShapes[i].count);
    codes += all[i]->Codes.size();
  }
  EXPECT_EQ(codes, 333u);
}

TEST(CodeTablesTest, FindsTablesByNameInAnyCaseOnly) {
  for (const CodeTable* t : AllCodeTables()) {
    EXPECT_EQ(FindCodeTable(t->Name), t);
    EXPECT_EQ(FindCodeTable(Upper(t->Name)), t);
    EXPECT_EQ(FindCodeTable(Lower(t->Name)), t);
  }
  EXPECT_EQ(FindCodeTable(""), nullptr);
  EXPECT_EQ(FindCodeTable("TiposComprobant"), nullptr);
  EXPECT_EQ(FindCodeTable("TiposComprobante "), nullptr);
  EXPECT_EQ(FindCodeTable("Fiscal"), nullptr);
}

// ---------------------------------------------------------------------------
// Every code of every table, both ways, by the tables themselves.

TEST(CodeTablesTest, EveryCodeRoundTripsThroughBothForms) {
  for (const CodeTable* t : AllCodeTables()) {
    for (const CodeEntry& e : t->Codes) {
      SCOPED_TRACE(std::string(t->Name) + "/" + e.Name);
      EXPECT_EQ(CodeToString(*t, e.Value, false), e.Text);
      EXPECT_EQ(CodeToString(*t, e.Value, true), e.Name);
      EXPECT_EQ(Parse(*t, e.Text), e.Value);
      EXPECT_EQ(Parse(*t, e.Name), e.Value);
      EXPECT_EQ(Parse(*t, Upper(e.Name).c_str()), e.Value);
      EXPECT_EQ(Parse(*t, Lower(e.Name).c_str()), e.Value);
      EXPECT_EQ(Parse(*t, Mixed(e.Name).c_str()), e.Value);
      // Normalisation into either form.
      EXPECT_STREQ(NormalizeCode(*t, Lower(e.Name).c_str(), false), e.Text);
      EXPECT_STREQ(NormalizeCode(*t, e.Text, true), e.Name);
      // A name with a blank on either side is not a name.
      EXPECT_FALSE(Accepts(*t, std::string(" ") + e.Name));
      EXPECT_FALSE(Accepts(*t, std::string(e.Name) + " "));
    }
  }
}

TEST(CodeTablesTest, PacketTextsAndNamesHaveTheFamilysShape) {
  for (const CodeTable* t : AllCodeTables()) {
    std::set<std::string> names;
    for (const CodeEntry& e : t->Codes) {
      SCOPED_TRACE(std::string(t->Name) + "/" + e.Name);
      if (t->Family == CodeFamily::DECIMAL) {
        EXPECT_EQ(std::string(e.Text), std::to_string(e.Value));
      } else {
        ASSERT_EQ(std::string(e.Text).size(), 1u);
        EXPECT_EQ(static_cast<unsigned char>(e.Text[0]), e.Value);
      }
      EXPECT_TRUE(names.insert(Lower(e.Name)).second) << "names differ only in case";
    }
  }
}

TEST(CodeTablesTest, DecimalFamilyReadsDigitsAsNumbersOnly) {
  for (const CodeTable* t : AllCodeTables()) {
    if (t->Family != CodeFamily::DECIMAL) continue;
    SCOPED_TRACE(t->Name);
    for (const CodeEntry& e : t->Codes) {
      const std::string text = e.Text;
      EXPECT_EQ(Parse(*t, ("0" + text).c_str()), e.Value);
      EXPECT_EQ(Parse(*t, ("000" + text).c_str()), e.Value);
      EXPECT_FALSE(Accepts(*t, "+" + text));
      EXPECT_FALSE(Accepts(*t, "-" + text));
      EXPECT_FALSE(Accepts(*t, " " + text));
      EXPECT_FALSE(Accepts(*t, text + " "));
      EXPECT_FALSE(Accepts(*t, text + ".0"));
      EXPECT_FALSE(Accepts(*t, "0x" + text));
      // Beyond 32 bits the digits must not wrap around into a code: 2^32 + v
      // and 2^64 + v are not v.
      EXPECT_FALSE(Accepts(*t, std::to_string(4294967296ull + e.Value)));
      EXPECT_FALSE(Accepts(*t, "1844674407370955161" + std::to_string(6 + e.Value)));
      EXPECT_FALSE(Accepts(*t, "10000000000000000000000000000000000000" + text));
    }
    // All 32 bits set means no value.
    EXPECT_FALSE(Accepts(*t, "4294967295"));
    EXPECT_FALSE(Accepts(*t, "4294967294"));
    // The empty text is the number 0.
    const bool has_zero = FindCodeByValue(*t, 0) != nullptr;
    EXPECT_EQ(Accepts(*t, ""), has_zero);
    if (has_zero) {
      EXPECT_EQ(Parse(*t, ""), 0u);
    }
  }
}

TEST(CodeTablesTest, CharacterFamilyComparesOneCharacterExactly) {
  for (const CodeTable* t : AllCodeTables()) {
    if (t->Family != CodeFamily::CHARACTER) continue;
    SCOPED_TRACE(t->Name);
    EXPECT_FALSE(Accepts(*t, ""));
    // Every printable character is a code exactly when the table lists it.
    for (int c = 32; c < 127; ++c) {
      const std::string text(1, static_cast<char>(c));
      const bool listed = FindCodeByValue(*t, static_cast<std::uint32_t>(c)) != nullptr;
      EXPECT_EQ(Accepts(*t, text), listed) << "character " << c;
    }
    for (const CodeEntry& e : t->Codes) {
      // Two of a code character, or the code in decimal digits, is no code.
      EXPECT_FALSE(Accepts(*t, std::string(e.Text) + e.Text));
      EXPECT_FALSE(Accepts(*t, std::to_string(e.Value)));
    }
  }
}

TEST(CodeTablesTest, UnlistedValuesHaveNoText) {
  for (const CodeTable* t : AllCodeTables()) {
    for (std::uint32_t v : {0u, 5u, 32u, 65u, 1000u, 0xFFFFFFFFu}) {
      if (FindCodeByValue(*t, v) != nullptr) continue;
      EXPECT_EQ(CodeToString(*t, v, false), nullptr) << t->Name << " " << v;
      EXPECT_EQ(CodeToString(*t, v, true), nullptr) << t->Name << " " << v;
    }
  }
}

TEST(CodeTablesTest, NormalizeReturnsTheVeryInputWhenItDoesNotParse) {
  const CodeTable& t = Table("TiposComprobante");
  const char* junk = "FacturaZ";
  EXPECT_EQ(NormalizeCode(t, junk, false), junk);
  EXPECT_EQ(NormalizeCode(t, junk, true), junk);
  EXPECT_EQ(NormalizeCode(t, nullptr, true), nullptr);
  const char* five = "5";
  EXPECT_EQ(NormalizeCode(t, five, true), five);
  EXPECT_STREQ(NormalizeCode(t, "0001", false), "1");
  EXPECT_STREQ(NormalizeCode(t, "", true), "NoDocumento");
  std::uint32_t v = 7;
  EXPECT_FALSE(CodeFromString(t, nullptr, v));
  EXPECT_EQ(v, 7u);
}

// ---------------------------------------------------------------------------
// Spot checks transcribed directly from the catalogue's listing, so that a
// slip in the tables (or a shifted row) is caught.

struct Spot {
  const char* table;
  const char* text;  // packet text
  std::uint32_t code;
  const char* name;
};
const Spot kSpots[] = {
    {"CodigosMatrixDefault", "1", 1, "DescuentosBonificacionesComerciales"},
    {"CodigosMatrixDefault", "3", 3, "Anticipos"},
    {"CondicionesIVA", "0", 0, "SinCondicionIVA"},
    {"CondicionesIVA", "2", 2, "Exento"},
    {"CondicionesIVA", "7", 7, "Gravado"},
    {"TipoDocReceptor", "30", 30, "CertificadoMigracion"},
    {"TipoDocReceptor", "80", 80, "CUIT"},
    {"TipoDocReceptor", "95", 95, "CIBsAsRNP"},
    {"TipoDocReceptor", "96", 96, "DNI"},
    {"TipoDocReceptor", "99", 99, "SinIdentificar"},
    {"TiposComprobante", "0", 0, "NoDocumento"},
    {"TiposComprobante", "1", 1, "FacturaA"},
    {"TiposComprobante", "6", 6, "FacturaB"},
    {"TiposComprobante", "15", 15, "ReciboC"},
    {"TiposComprobante", "54", 54, "ReciboM"},
    {"TiposComprobante", "83", 83, "Tique"},
    {"TiposComprobante", "91", 91, "RemitoR"},
    {"TiposComprobante", "110", 110, "TiqueNotaCredito"},
    {"TiposComprobante", "115", 115, "TiqueNotaDebitoA"},
    {"TiposComprobante", "120", 120, "TiqueNotaDebitoM"},
    {"TiposComprobante", "907", 907, "ComprobanteDonacion"},
    {"TiposComprobante", "910", 910, "Generico"},
    {"TiposComprobante", "923", 923, "MensajeCF"},
    {"TiposComprobante", "937", 937, "EstadisticaDeVentaHorariaYPorRubro"},
    {"TiposComprobante", "954", 954, "PruebaPerifericos"},
    {"TiposHabilitacion", "2", 2, "ComprobantesAConLeyenda"},
    {"TiposPago", "0", 0, "Cambio"},
    {"TiposPago", "8", 8, "Efectivo"},
    {"TiposPago", "14", 14, "MedioDePagoDeComercioExterior"},
    {"TiposPago", "24", 24, "TransferenciaNoBancaria"},
    {"TiposPago", "99", 99, "OtrosMediosPago"},
    {"TiposResponsable", "5", 5, "ConsumidorFinal"},
    {"TiposResponsable", "10", 10, "IVALiberadoLey19640"},
    {"TiposResponsable", "14", 14, "PequenoContribuyenteEventualSocial"},
    {"TiposTributos", "5", 5, "IIBB"},
    {"TiposTributos", "10", 10, "ImpuestoInternoItem"},
    {"TiposTributos", "99", 99, "OtrosTributos"},
    {"UnidadesMedida", "0", 0, "SinDescripcion"},
    {"UnidadesMedida", "7", 7, "Unidad"},
    {"UnidadesMedida", "24", 24, "UIACTHOR"},
    {"UnidadesMedida", "37", 37, "UIACTIG"},
    {"UnidadesMedida", "41", 41, "Miligramo"},
    {"UnidadesMedida", "47", 47, "Mililitro"},
    {"UnidadesMedida", "55", 55, "MUIACTIG"},
    {"UnidadesMedida", "61", 61, "KilogramoBruto"},
    {"UnidadesMedida", "90", 90, "Donacion"},
    {"UnidadesMedida", "97", 97, "SenasAnticipos"},
    {"UnidadesMedida", "99", 99, "Bonificacion"},
    {"OperacionesCajero", "E", 69, "Entrada"},
    {"OperacionesCajero", "S", 83, "Salida"},
    {"Baudios", "1200", 1200, "Baudrate1200"},
    {"Baudios", "115200", 115200, "Baudrate115200"},
    {"Capacidades", "L", 76, "AnchoLogo"},
    {"Capacidades", "l", 108, "AltoLogo"},
    {"Capacidades", "U", 85, "AnchoTextoLineasUsuario"},
    {"CompresionDeInformacion", "P", 80, "Comprime"},
    {"Configuracion", "1", 49, "ImpresionMarco"},
    {"Configuracion", "8", 56, "TimeoutEnvioRespuestaEnEspera"},
    {"Configuracion", "H", 72, "TipoHabilitacion"},
    {"Configuracion", "S", 83, "PagoSaldo"},
    {"EstadosFiscales", "0", 0, "Desconocido"},
    {"EstadosFiscales", "9", 9, "RealizandoOperacionGlobalIVA"},
    {"EstadosFiscales", "17", 17, "ControladorFiscalBloqueado"},
    {"IdentificadorBloque", "1", 1, "BloqueInformacion"},
    {"ImpresionCodigoDeBarras", "G", 71, "ProgramaCodigo"},
    {"ImpresionNumeroCodigoDeBarras", " ", 32, "NoImprimeNumerosCodigo"},
    {"ImpresionNumeroCodigoDeBarras", "N", 78, "ImprimeNumerosCodigo"},
    {"ImpresionSubtotal", "N", 78, "NoImprimeSubtotal"},
    {"ModosDeDisplay", "2", 50, "DisplayRep"},
    {"ModosDeImpuestosInternos", "$", 36, "IIFijoMonto"},
    {"ModosDeImpuestosInternos", "%", 37, "IIVariablePorcentual"},
    {"ModosDeImpuestosInternos", "+", 43, "IIFijoKIVA"},
    {"ModosDeImpuestosInternos", "0", 48, "IIVariableKIVA"},
    {"ModosDeMonto", "M", 77, "ModoSumaMonto"},
    {"ModosDeMonto", "m", 109, "ModoRestaMonto"},
    {"ModosDePago", "R", 82, "Anular"},
    {"ModosDePrecio", "B", 66, "ModoPrecioBase"},
    {"OperacionesCargaLogoUsuario", "I", 73, "ComienzoCargaLogo"},
    {"SiNo", "N", 78, "No"},
    {"SiNo", "S", 83, "Si"},
    {"TipoReporte", "Z", 90, "ReporteZ"},
    {"TipoReporteAuditoria", "D", 68, "ReporteAuditoriaDiscriminado"},
    {"TipoReporteZ", "F", 70, "ReporteZFecha"},
    {"TiposDeAjustes", "D", 68, "AjusteNeg"},
    {"TiposDeAjustes", "R", 82, "AjustePos"},
    {"TiposDeCodigoDeBarras", "4", 52, "CodigoTipoI2OF5"},
    {"TiposDeDocumentoCliente", " ", 32, "TipoNinguno"},
    {"TiposDeDocumentoCliente", "L", 76, "TipoCUIL"},
    {"TiposDeEstacion", "S", 83, "EstacionSlip"},
    {"TiposDeOperacionesGlobalesIVA", "E", 69, "DevolucionEnvases"},
    {"TiposDeRegistroInforme", "3", 51, "RegistroDetalladoDNFHNoAcum"},
    {"TiposDeResponsabilidadesCliente", "C", 67, "ConsumidorFinal"},
    {"TiposDeResponsabilidadesCliente", "W", 87, "EventualSocial"},
    {"TiposDeResponsabilidadesImpresor", "S", 83, "IFMonotributoSocial"},
    {"TiposInterlineado", "3", 51, "InterlineadoMaximo"},
    {"TiposReporteAFIP", "N", 78, "ReporteAFIPMemoriaFiscal"},
    {"XMLsPorBajada", "P", 80, "XMLUnico"},
    {"ZonasDeLineasDeUsuario", "H", 72, "Zona1Encabezado"},
    {"ZonasDeLineasDeUsuario", "h", 104, "Zona2Encabezado"},
    {"ZonasDeLineasDeUsuario", "O", 79, "ZonaDomicilioEmisor"},
    {"ZonasDeLineasDeUsuario", "t", 116, "Zona2Cola"},
};

TEST(CodeTablesTest, SpotChecksAgreeWithTheListing) {
  for (const Spot& s : kSpots) {
    SCOPED_TRACE(std::string(s.table) + "/" + s.name);
    const CodeTable& t = Table(s.table);
    EXPECT_STREQ(CodeToString(t, s.code, false), s.text);
    EXPECT_STREQ(CodeToString(t, s.code, true), s.name);
    EXPECT_EQ(Parse(t, s.text), s.code);
    EXPECT_EQ(Parse(t, Upper(s.name).c_str()), s.code);
  }
}

// ---------------------------------------------------------------------------
// The typed wrappers, with enumerators spelled as the listing names them.

TEST(CodeEnumsTest, TypedWrappersUseTheirTables) {
  using namespace AFIP;
  using namespace Vardex_Funcs;
  EXPECT_STREQ(AFIP::ToString(TiposComprobante::FACTURA_A, true), "FacturaA");
  EXPECT_STREQ(AFIP::ToString(TiposComprobante::GENERICO, false), "910");
  EXPECT_STREQ(AFIP::ToString(TiposComprobante::TIQUE_NOTA_CREDITO_M, false), "119");
  EXPECT_STREQ(AFIP::ToString(CondicionesIVA::GRAVADO, false), "7");
  EXPECT_STREQ(AFIP::ToString(TipoDocReceptor::PADRON_ANSES, true), "PadronANSES");
  EXPECT_STREQ(AFIP::ToString(TiposPago::GARANTIA_BANCARIA, false), "11");
  EXPECT_STREQ(AFIP::ToString(TiposResponsable::CONSUMIDOR_FINAL, false), "5");
  EXPECT_STREQ(AFIP::ToString(UnidadesMedida::CENTIMETRO_CUBICO, false), "27");
  EXPECT_STREQ(AFIP::ToString(UnidadesMedida::MEGA_U_INTER_ACT_HOR, true), "MegaUInterActHor");
  EXPECT_STREQ(ECR::ToString(ECR::OperacionesCajero::SALIDA, false), "S");
  EXPECT_STREQ(Vardex_Funcs::ToString(Baudios::BAUDRATE_57600, false), "57600");
  EXPECT_STREQ(Vardex_Funcs::ToString(SiNo::SI, false), "S");
  EXPECT_STREQ(Vardex_Funcs::ToString(SiNo::NO, true), "No");
  EXPECT_STREQ(Vardex_Funcs::ToString(ModosDeMonto::MODO_RESTA_MONTO, true), "ModoRestaMonto");
  EXPECT_STREQ(Vardex_Funcs::ToString(TiposDeDocumentoCliente::TIPO_NINGUNO, false), " ");
  EXPECT_STREQ(Vardex_Funcs::ToString(TiposDeResponsabilidadesCliente::CONSUMIDOR_FINAL, false),
               "C");
  EXPECT_STREQ(Vardex_Funcs::ToString(EstadosFiscales::CINTA_AUDITORIA_LLENA, false), "14");
  EXPECT_STREQ(Vardex_Funcs::ToString(ZonasDeLineasDeUsuario::ZONA_2_COLA, false), "t");
  EXPECT_STREQ(Vardex_Funcs::ToString(Configuracion::CORTE_PAPEL, false), "P");
  EXPECT_STREQ(Vardex_Funcs::ToString(TiposDeCodigoDeBarras::CODIGO_TIPO_UPCA, true),
               "CodigoTipoUPCA");
  EXPECT_EQ(Vardex_Funcs::ToString(static_cast<SiNo>(65), true), nullptr);
  EXPECT_EQ(AFIP::ToString(static_cast<TiposComprobante>(5), false), nullptr);

  EXPECT_EQ(&CodeTableOf<TiposComprobante>::Table, &TiposComprobanteTable);
  EXPECT_EQ(&CodeTableOf<ZonasDeLineasDeUsuario>::Table, FindCodeTable("ZonasDeLineasDeUsuario"));
}

TEST(CodeEnumsTest, ListedEdgeCases) {
  using namespace AFIP;
  using namespace Vardex_Funcs;
  TiposComprobante tc = TiposComprobante::GENERICO;
  for (const char* ok : {"FacturaA", "facturaa", "FACTURAA", "fAcTuRaA", "1", "01", "0001"}) {
    tc = TiposComprobante::GENERICO;
    EXPECT_TRUE(AFIP::FromString(ok, tc)) << ok;
    EXPECT_EQ(tc, TiposComprobante::FACTURA_A) << ok;
  }
  for (const char* bad : {"+1", " 1", "1 ", "1.0", "5", "FacturaA ", "4294967297"}) {
    tc = TiposComprobante::GENERICO;
    EXPECT_FALSE(AFIP::FromString(bad, tc)) << bad;
    EXPECT_EQ(tc, TiposComprobante::GENERICO) << bad;
  }
  EXPECT_TRUE(AFIP::FromString("", tc));
  EXPECT_EQ(tc, TiposComprobante::NO_DOCUMENTO);
  tc = TiposComprobante::GENERICO;
  EXPECT_FALSE(AFIP::FromString("4294967296", tc)) << "must not wrap to code 0";
  EXPECT_EQ(tc, TiposComprobante::GENERICO);

  TipoDocReceptor td = TipoDocReceptor::DNI;
  EXPECT_FALSE(AFIP::FromString("", td));
  EXPECT_TRUE(AFIP::FromString("30", td));
  EXPECT_EQ(td, TipoDocReceptor::CERTIFICADO_MIGRACION);

  Baudios b = Baudios::BAUDRATE_1200;
  EXPECT_TRUE(Vardex_Funcs::FromString("115200", b));
  EXPECT_EQ(b, Baudios::BAUDRATE_115200);
  b = Baudios::BAUDRATE_1200;
  EXPECT_TRUE(Vardex_Funcs::FromString("baudrate115200", b));
  EXPECT_EQ(b, Baudios::BAUDRATE_115200);
  EXPECT_FALSE(Vardex_Funcs::FromString("1000", b));
  EXPECT_FALSE(Vardex_Funcs::FromString("", b));

  SiNo s = SiNo::NO;
  EXPECT_TRUE(Vardex_Funcs::FromString("S", s));
  EXPECT_EQ(s, SiNo::SI);
  s = SiNo::NO;
  EXPECT_TRUE(Vardex_Funcs::FromString("si", s));
  EXPECT_EQ(s, SiNo::SI);
  s = SiNo::NO;
  EXPECT_FALSE(Vardex_Funcs::FromString("s", s));
  EXPECT_FALSE(Vardex_Funcs::FromString("", s));
  EXPECT_FALSE(Vardex_Funcs::FromString("83", s));
  EXPECT_EQ(s, SiNo::NO);

  ModosDePrecio mp = ModosDePrecio::MODO_PRECIO_BASE;
  EXPECT_TRUE(Vardex_Funcs::FromString("MODOPRECIOTOTAL", mp));
  EXPECT_EQ(mp, ModosDePrecio::MODO_PRECIO_TOTAL);
  mp = ModosDePrecio::MODO_PRECIO_BASE;
  EXPECT_FALSE(Vardex_Funcs::FromString("t", mp));
  EXPECT_FALSE(Vardex_Funcs::FromString("84", mp));

  ModosDeDisplay md = ModosDeDisplay::DISPLAY_SI;
  EXPECT_TRUE(Vardex_Funcs::FromString("0", md));
  EXPECT_EQ(md, ModosDeDisplay::DISPLAY_NO);
  EXPECT_FALSE(Vardex_Funcs::FromString("00", md));
  EXPECT_FALSE(Vardex_Funcs::FromString("007", md));

  TiposDeDocumentoCliente dc = TiposDeDocumentoCliente::TIPO_CUIT;
  EXPECT_TRUE(Vardex_Funcs::FromString(" ", dc));
  EXPECT_EQ(dc, TiposDeDocumentoCliente::TIPO_NINGUNO);
  EXPECT_FALSE(Vardex_Funcs::FromString("  ", dc));

  // One name in two tables, each with its own code.
  TiposResponsable tr{};
  TiposDeResponsabilidadesCliente rc{};
  EXPECT_TRUE(AFIP::FromString("ConsumidorFinal", tr));
  EXPECT_TRUE(Vardex_Funcs::FromString("consumidorfinal", rc));
  EXPECT_EQ(static_cast<std::uint32_t>(tr), 5u);
  EXPECT_EQ(static_cast<std::uint32_t>(rc), 67u);
}

TEST(CodeEnumsTest, DecimalFamilyWithLeadingZerosBeforeLargeNumbers) {
  // Leading zeros do not count towards the size of the number.
  const CodeTable& t = Table("Baudios");
  EXPECT_EQ(Parse(t, "0000000000000000000000115200"), 115200u);
  EXPECT_FALSE(Accepts(t, "115200115200"));
}

}  // namespace
}  // namespace VXP::Argentina::RG3561
