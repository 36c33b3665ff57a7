// The command reference made from the catalogue: every command's example
// request is read by the bridge in both formats, and the JSON Schema
// accepts every document the readers take (examples, hand-written ones in
// the ways tills write them) and refuses the ones they refuse, checked with
// Python's jsonschema package.
#include "vxp/command_reference.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "vxb/common/format/mime.h"
#include "vxb/common/runtime/error.h"
#include "vxp/command_core.h"
#include "vxp/vxp_errno.h"

namespace {

namespace RG3561 = VXP::Argentina::RG3561;

class CommandReferenceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

// The page's bytes, in memory.
class Sink : public VXB::Driver::EncodedStringWriter {
 public:
  Sink()
      : EncodedStringWriter("Sink", VXB::ASCII::CP437, VXB::ASCII::UTF8, VXB::ASCII::NO_ENTITIES) {}
  std::string Text() {
    Flush(VXB::Constants::WAIT_FOREVER);
    return out_;
  }

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size, unsigned) override {
    out_.append(reinterpret_cast<const char*>(buf), size);
    return size;
  }

 private:
  std::string out_;
};

// Reads a document as the command pages do, without an exchange; the
// command byte read, or -1 when the reader refused the document.
int ReadCommand(const std::string& Document, VXB::MIME::Types Type) {
  VXP::Zorbel::CommandRequest request;
  request.ContentType = Type;
  request.Document = Document;
  VXP::Zorbel::CommandAnswer answer;
  if (!VXP::Zorbel::RunCommand(request, nullptr, nullptr, answer)) return -1;
  return answer.Command.GetCommand();
}

TEST_F(CommandReferenceTest, EveryExampleIsReadAsItsCommand) {
  for (const RG3561::CommandDescription& c : RG3561::AllCommands()) {
    const int byte = static_cast<int>(c.Command);
    EXPECT_EQ(ReadCommand(VXP::Reference::ExampleRequest(c, false), VXB::MIME::JSON), byte)
        << VXP::Reference::ExampleRequest(c, false);
    EXPECT_EQ(ReadCommand(VXP::Reference::ExampleRequest(c, true), VXB::MIME::XML), byte)
        << VXP::Reference::ExampleRequest(c, true);
  }
}

TEST_F(CommandReferenceTest, SchemaTakesWhatTheReadersTakeAndRefusesTheRest) {
  std::vector<std::pair<std::string, bool>> cases;
  for (const RG3561::CommandDescription& c : RG3561::AllCommands())
    cases.emplace_back(VXP::Reference::ExampleRequest(c, false), true);
  const std::pair<const char*, bool> written[] = {
      // As tills write them: numbers, other letter case, codes by packet
      // text, lists of bit names, blanks around a sequence.
      {R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA","Secuencia":1}})", true},
      {R"({"CerrarJornadaFiscal":{"Reporte":"reportez"}})", true},
      {R"({"consultarestado":{"codigocomprobante":"facturaa","SECUENCIA":" 12 "}})", true},
      {R"({"ImprimirItem":{"Descripcion":"Caf\u00e9","Cantidad":1.000,"PrecioUnitario":250.5,)"
       R"("CondicionIVA":7,"AlicuotaIVA":"21.00","ModoBaseTotal":"ModoPrecioTotal"}})",
       true},
      {R"({"ImprimirTextoFiscal":{"Atributos":["Negrita","Centrado"],"Texto":"Hola"}})", true},
      {R"({"ImprimirTextoFiscal":{"Atributos":"0C","Texto":""}})", true},
      {R"({"CerrarDocumento":{}})", true},
      // Refused by the readers.
      {R"({"NoEsComando":{}})", false},
      {R"({"ImprimirTextoFiscal":{"Texto":"\u001C"}})", false},
      {R"({"ConsultarEstado":{"Secuencia":"uno"}})", false},
      {R"({"ConsultarEstado":{"Secuencia":-1}})", false},
      {R"(["ConsultarEstado"])", false},
      {R"({})", false},
      // Refused by the controller, seen by the schema.
      {R"({"CerrarJornadaFiscal":{"Reporte":"ReporteW"}})", false},
      {R"({"ImprimirTextoFiscal":{"Atributos":["Parpadeante"]}})", false},
      {R"({"ConsultarEstado":{},"CerrarDocumento":{}})", false},
      // A misspelt field, ignored by the bridge: its value would be lost.
      {R"({"ImprimirTextoFiscal":{"Testo":"Hola"}})", false},
  };
  for (const auto& [doc, valid] : written) cases.emplace_back(doc, valid);
  cases.emplace_back(R"({"ImprimirTextoFiscal":{"Texto":")" + std::string(4097, 'x') + "\"}}",
                     false);

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zorbel_schema_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "schema.json", std::ios::binary) << VXP::Reference::JsonSchema();
  std::ofstream(dir / "cases.json", std::ios::binary) << nlohmann::json(cases).dump();
  const std::string command = std::string(ZORBEL_PYTHON) + " " + ZORBEL_TEST_DATA_DIR +
                              "/validate_schema.py " + (dir / "schema.json").string() + " " +
                              (dir / "cases.json").string();
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::filesystem::remove_all(dir);
}

TEST_F(CommandReferenceTest, PageListsEveryCommandTableAndWord) {
  Sink sink;
  VXB::HTML::Writer html(&sink);
  ASSERT_TRUE(VXP::Reference::WriteReferencePage(html));
  const std::string page = sink.Text();
  for (const RG3561::CommandDescription& c : RG3561::AllCommands())
    EXPECT_NE(page.find("id=\"" + std::string(c.Name) + "\""), std::string::npos) << c.Name;
  for (const RG3561::CodeTable* t : RG3561::AllCodeTables())
    EXPECT_NE(page.find("id=\"tabla." + std::string(t->Name) + "\""), std::string::npos);
  for (const RG3561::BitWordTable* w : RG3561::AllBitWords())
    EXPECT_NE(page.find("id=\"bits." + std::string(w->ID) + "\""), std::string::npos);
  // Examples are text on the page: their quotes and brackets are escaped.
  EXPECT_NE(page.find("{&quot;ConsultarEstado&quot;:{"), std::string::npos);
  EXPECT_NE(page.find("&lt;ConsultarEstado&gt;"), std::string::npos);
  EXPECT_NE(page.rfind("</html>"), std::string::npos);
}

}  // namespace
