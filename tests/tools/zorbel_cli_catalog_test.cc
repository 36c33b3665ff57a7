// The output format of `zorbel-cli catalog`.
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "zorbel_cli/catalog.h"

namespace ZorbelCli {
namespace {

using Line = std::vector<std::string>;

std::vector<Line> Catalog() {
  std::ostringstream out;
  EXPECT_TRUE(WriteCatalog(out));
  const std::string text = out.str();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  std::vector<Line> lines;
  std::istringstream in(text);
  std::string raw;
  while (std::getline(in, raw)) {
    Line columns;
    std::string::size_type from = 0;
    for (;;) {
      const std::string::size_type tab = raw.find('\t', from);
      columns.push_back(raw.substr(from, tab == std::string::npos ? tab : tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    lines.push_back(columns);
  }
  return lines;
}

std::vector<Line> Records(const std::vector<Line>& all, const std::string& kind) {
  std::vector<Line> out;
  for (const Line& l : all) {
    if (l[0] == kind) out.push_back(l);
  }
  return out;
}

// The whole listing, byte for byte, against the copy kept in tests/data: the
// commands, every request and answer field with its type, table and
// defaults, every code and every bit name. Any change to the catalogue's
// contents shows here; the file is regenerated with
// `zorbel-cli catalog > tests/data/catalog.txt` only when a change is meant.
TEST(CatalogOutput, SameBytesAsTheStoredListing) {
  std::ifstream in(std::string(ZORBEL_TEST_DATA_DIR) + "/catalog.txt", std::ios::binary);
  ASSERT_TRUE(in.good());
  const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ostringstream out;
  ASSERT_TRUE(WriteCatalog(out));
  const std::string listing = out.str();
  // The first differing line, to make a failure readable.
  std::istringstream a(listing), b(stored);
  std::string la, lb;
  for (unsigned n = 1; std::getline(a, la) && std::getline(b, lb); ++n) {
    ASSERT_EQ(la, lb) << "line " << n;
  }
  EXPECT_EQ(listing.size(), stored.size());
  EXPECT_TRUE(listing == stored);
}

TEST(CatalogOutput, EveryRecordHasAllItsColumns) {
  const std::map<std::string, size_t> widths = {
      {"command", 3}, {"request", 8}, {"answer", 7}, {"code", 4}, {"bit", 4}};
  std::map<std::string, size_t> counts;
  for (const Line& l : Catalog()) {
    ASSERT_EQ(widths.count(l[0]), 1u) << l[0];
    EXPECT_EQ(l.size(), widths.at(l[0])) << l[0] << " " << l[1];
    ++counts[l[0]];
  }
  EXPECT_EQ(counts["command"], 76u);
  EXPECT_EQ(counts["request"], 165u);
  EXPECT_EQ(counts["code"], 333u);
  EXPECT_EQ(counts["bit"], 32u);
  // 110 fields of fixed layouts; 15 + 21 for the daily closure; for each
  // accumulator query the final record (1), the detailed records (53 or 63,
  // 5, 4) and the global record (10).
  EXPECT_EQ(counts["answer"], 110u + 36u + 3u * 73u + 83u);
}

TEST(CatalogOutput, Commands) {
  const std::vector<Line> commands = Records(Catalog(), "command");
  ASSERT_EQ(commands.size(), 76u);
  EXPECT_EQ(commands.front(), (Line{"command", "ConsultarEstado", "42"}));
  EXPECT_EQ(commands.back(), (Line{"command", "ConsultarEstadoECR", "209"}));
}

TEST(CatalogOutput, RequestDefaultsAndMandatoryFields) {
  const std::vector<Line> all = Catalog();
  std::set<Line> requests;
  for (const Line& l : Records(all, "request")) requests.insert(l);
  // Mandatory: "(none)" in both default columns; STRING has no table.
  EXPECT_EQ(requests.count(
                {"request", "ImprimirItem", "0", "Descripcion", "STRING", "", "(none)", "(none)"}),
            1u);
  // Coded default in both forms.
  EXPECT_EQ(requests.count({"request", "ImprimirItem", "3", "CondicionIVA", "ENUM",
                            "CondicionesIVA", "7", "Gravado"}),
            1u);
  // Empty default: empty columns, still optional.
  EXPECT_EQ(
      requests.count({"request", "ImprimirItem", "11", "CodigoProducto", "STRING", "", "", ""}),
      1u);
  // Bit word: packet 00, symbolic empty.
  EXPECT_EQ(requests.count({"request", "ImprimirTextoFiscal", "0", "Atributos", "BITFIELD",
                            "AtributosDeTexto", "00", ""}),
            1u);
  // A single blank is kept as it is.
  EXPECT_EQ(requests.count({"request", "CargarDatosCliente", "3", "TipoDocumento", "ENUM",
                            "TiposDeDocumentoCliente", " ", "TipoNinguno"}),
            1u);
  EXPECT_EQ(requests.count({"request", "CambiarFechaInicioActividades", "0", "Fecha", "LONGDATE",
                            "", "(none)", "(none)"}),
            1u);
}

TEST(CatalogOutput, AnswerLayouts) {
  const std::vector<Line> answers = Records(Catalog(), "answer");
  std::map<std::string, std::map<std::string, int>> layouts;  // command -> key -> fields
  for (const Line& l : answers) ++layouts[l[1]][l[2]];
  EXPECT_EQ(layouts.size(), 43u);
  EXPECT_EQ(layouts["ImprimirPago"], (std::map<std::string, int>{{"*", 1}}));
  EXPECT_EQ(layouts["ConsultarEstado"], (std::map<std::string, int>{{"*", 7}}));
  EXPECT_EQ(layouts["CerrarJornadaFiscal"], (std::map<std::string, int>{{"X", 15}, {"Z", 21}}));
  const std::map<std::string, int> accumulators = {
      {"0", 1}, {"1", 53}, {"2", 5}, {"3", 4}, {"4", 10}};
  EXPECT_EQ(layouts["ConsultarAcumuladosCierreZeta"], accumulators);
  EXPECT_EQ(layouts["ConsultarAcumuladosMemoriaDeTrabajo"], accumulators);
  EXPECT_EQ(layouts["ContinuarConsultaAcumulados"], accumulators);
  std::map<std::string, int> one_document = accumulators;
  one_document["1"] = 63;
  EXPECT_EQ(layouts["ConsultarAcumuladosComprobante"], one_document);

  std::set<Line> rows(answers.begin(), answers.end());
  EXPECT_EQ(rows.count({"answer", "ConsultarEstado", "*", "0", "EstadoAuxiliar", "BITFIELD",
                        "EstadoAuxiliar"}),
            1u);
  EXPECT_EQ(
      rows.count({"answer", "ConsultarEstado", "*", "4", "NumeroUltimoComprobante", "INTEGER", ""}),
      1u);
  EXPECT_EQ(rows.count({"answer", "ContinuarConsultaAcumulados", "0", "0", "Registro", "ENUM",
                        "TiposDeRegistroInforme"}),
            1u);
  EXPECT_EQ(rows.count({"answer", "ConsultarAcumuladosComprobante", "1", "31", "MontoNetoSinIVA_7",
                        "REAL", ""}),
            1u);
}

TEST(CatalogOutput, CodesAndBits) {
  const std::vector<Line> all = Catalog();
  std::set<Line> codes;
  for (const Line& l : Records(all, "code")) codes.insert(l);
  EXPECT_EQ(codes.count({"code", "TiposComprobante", "1", "FacturaA"}), 1u);
  EXPECT_EQ(codes.count({"code", "TiposDeDocumentoCliente", " ", "TipoNinguno"}), 1u);
  EXPECT_EQ(codes.count({"code", "Baudios", "115200", "Baudrate115200"}), 1u);
  for (const Line& l : codes) EXPECT_EQ(l[1].find("::"), std::string::npos) << l[1];
  std::set<Line> bits;
  for (const Line& l : Records(all, "bit")) bits.insert(l);
  EXPECT_EQ(bits.count({"bit", "AtributosDeTexto", "4", "Negrita"}), 1u);
  EXPECT_EQ(bits.count({"bit", "EstadoAuxiliar", "7", "CajeroActivo"}), 1u);
  std::set<std::string> words;
  for (const Line& l : bits) words.insert(l[1]);
  EXPECT_EQ(words,
            (std::set<std::string>{"Fiscal", "Impresora", "AtributosDeTexto", "EstadoAuxiliar"}));
}

TEST(CatalogOutput, TextsAreUtf8) {
  std::string out;
  // a with acute accent and n with tilde in the internal set.
  EXPECT_TRUE(AppendUtf8(out, "Ni\xA4o \xA0"));
  EXPECT_EQ(out, "Ni\xC3\xB1o \xC3\xA1");
  out.clear();
  EXPECT_TRUE(AppendUtf8(out, nullptr));
  EXPECT_EQ(out, "");
  // The whole listing is valid UTF-8 (here: plain ASCII names).
  std::ostringstream listing;
  ASSERT_TRUE(WriteCatalog(listing));
  for (unsigned char c : listing.str()) EXPECT_LT(c, 0x80);
}

}  // namespace
}  // namespace ZorbelCli
