// zorbel-cli convert, and the golden round trips of the JSON documents:
// request document -> packet -> answer document, byte for byte.
#include "zorbel_cli/convert.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "vxb/common/format/generic_json.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

namespace ZorbelCli {
namespace {

class ConvertTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

struct RoundTrip {
  const char* name;
  const char* request;       // UTF-8 JSON
  const char* packet;        // convert request's output
  VXB::Byte answer_command;  // the controller's answer
  VXB::Types::uint16 printer, fiscal;
  std::vector<std::string> answer_fields;
  unsigned sequence;
  const char* answer;  // the compact answer document
};

TEST_F(ConvertTest, GoldenJsonRoundTrips) {
  const RoundTrip cases[] = {
      {"status query",
       R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA","Secuencia":1}})",
       "command\t0x2A\nsequence\t1\nfield\t0\t1\n",
       0x2A,
       0x0000,
       0x2000,
       {"0040", "1", "1", "1", "15", "0", "0"},
       1,
       R"({"ConsultarEstado":{"Secuencia":"1","Estado":{"Impresora":[],"Fiscal":["DocumentoAbierto"]},)"
       R"("EstadoAuxiliar":["CajeroActivo"],"EstadoInterno":"NoInicializado","ComprobanteEnCurso":"FacturaA",)"
       R"("CodigoComprobante":"FacturaA","NumeroUltimoComprobante":"15","CantidadEmitidos":"0","CantidadCancelados":"0"}})"},
      {"text with a list of attributes",
       "{\"ImprimirTextoFiscal\":{\"Atributos\":[\"Negrita\",\"Centrado\"],\"Texto\":"
       "\"Se\xC3\xB1or & C\xC3\xAD"
       "a\"}}",
       "command\t0x41\nfield\t0\t0C\nfield\t1\tSe\xC3\xB1or & C\xC3\xAD"
       "a\n",
       0x41,
       0x0000,
       0x3000,
       {},
       2,
       R"({"ImprimirTextoFiscal":{"Secuencia":"2","Estado":{"Impresora":[],"Fiscal":["DocumentoFiscalAbierto","DocumentoAbierto"]}}})"},
      {"closure",
       R"({"CerrarJornadaFiscal":{"Reporte":"reportez"}})",
       "command\t0x39\nfield\t0\tZ\n",
       0x39,
       0x0000,
       0x0000,
       {"Z", "120", "261209", "1000.00"},
       3,
       R"({"CerrarJornadaFiscal":{"Secuencia":"3","Estado":{"Impresora":[],"Fiscal":[]},)"
       R"("Reporte":"ReporteZ","Numero":"120","Fecha":"261209","DF_Total":"1000.00"}})"},
  };
  for (const RoundTrip& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(ConvertRequest(c.request, DocumentFormat::JSON, out, err), 0) << c.name << err.str();
    EXPECT_EQ(out.str(), c.packet) << c.name;

    VXP::VardexDataContainer answer(c.answer_command);
    for (const std::string& f : c.answer_fields) answer.AddField("%s", f.c_str());
    VXB::Driver::StringSink sink;
    VXB::JSON::Writer json(&sink);
    VXB::GenericDataFormat::JSON::Writer tokens(&json);
    tokens.SetWhitespaceCompression(true);
    ASSERT_TRUE(WriteAnswerDocument(tokens, answer, c.printer, c.fiscal, &c.sequence, false));
    EXPECT_EQ(sink.Text(), c.answer) << c.name;
  }
}

TEST_F(ConvertTest, RefusedRequestPrintsTheFailureLine) {
  const struct {
    const char* doc;
    const char* err;
  } cases[] = {
      {R"({"ConsultarEstado":{"CodigoComprobante":"Fact)",
       "IO_EOF_REACHED: Fin de lectura: GenericDataFormat::JSON\n"},
      {R"({"NoEsComando":{}})", "INTERFACE_UNRECOGNIZED_COMMAND: "},
      {R"({"ImprimirTextoFiscal":{"Texto":"\u001C"}})",
       "INTERFACE_SYNTAX_ERROR: Error de sintaxis: Car\xC3\xA1"
       "cter de control FS en ImprimirTextoFiscal::Texto\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(ConvertRequest(c.doc, DocumentFormat::JSON, out, err), 1) << c.doc;
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind(c.err, 0), 0u) << err.str();
  }
}

TEST_F(ConvertTest, AnswerAndErrorDocuments) {
  AnswerRequest busy;
  busy.Busy = true;
  busy.Command = 0xA1;
  std::ostringstream out, err;
  ASSERT_EQ(ConvertAnswer(busy, out, err), 0) << err.str();
  nlohmann::json j = nlohmann::json::parse(out.str());
  EXPECT_TRUE(j.contains("ControladorOcupado"));
  EXPECT_FALSE(j.at("ControladorOcupado").contains("Secuencia"));

  AnswerRequest e;
  e.HasError = true;
  e.ErrorSymbol = "PROTOCOL_MAX_RETRIES";
  e.ErrorContext = "Se intent\xA2 enviar comando 3 veces";
  e.Command = 0x2A;
  out.str("");
  ASSERT_EQ(ConvertAnswer(e, out, err), 0) << err.str();
  j = nlohmann::json::parse(out.str());
  EXPECT_EQ(j.at("ConsultarEstado").at("Error").at("Identificador"), "PROTOCOL_MAX_RETRIES");
  EXPECT_EQ(j.at("ConsultarEstado").at("Error").at("Descripcion"),
            "M\xC3\xA1xima cantidad de reintentos agotada");
  EXPECT_EQ(j.at("ConsultarEstado").at("Error").at("Contexto"),
            "Se intent\xC3\xB3 enviar comando 3 veces");

  // No command object for a byte that names no command.
  e.Command = 0;
  out.str("");
  ASSERT_EQ(ConvertAnswer(e, out, err), 0);
  EXPECT_TRUE(nlohmann::json::parse(out.str()).contains("Error"));

  e.ErrorSymbol = "NO_SUCH_ERROR";
  out.str("");
  EXPECT_EQ(ConvertAnswer(e, out, err), 1);
}

TEST_F(ConvertTest, FormatFromFileName) {
  DocumentFormat f = DocumentFormat::XML;
  EXPECT_TRUE(FormatFromFileName("dir.x/req.JSON", f));
  EXPECT_EQ(f, DocumentFormat::JSON);
  EXPECT_TRUE(FormatFromFileName("a.xml", f));
  EXPECT_EQ(f, DocumentFormat::XML);
  EXPECT_FALSE(FormatFromFileName("dir.json/req", f));
  EXPECT_FALSE(FormatFromFileName("-", f));
}

}  // namespace
}  // namespace ZorbelCli
