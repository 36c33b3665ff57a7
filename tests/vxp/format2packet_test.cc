// Document-to-packet conversion through the JSON token stream: fields in
// packet form, lists of bit names, the sequence member, every refusal with
// its error number and context, and the answer side written back.
#include "vxp/format2packet.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "vxb/common/format/generic_json.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

namespace {

using VXB::Error::ErrNo;

class FormatToPacketTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

// "0x2A|seq=7|1|" style: command, sequence when given, then each field
// followed by '|'; or "!NUMBER context" on failure.
std::string Convert(std::string_view doc, VXP::VardexDataContainer* out = nullptr) {
  VXB::Driver::StringSource source(doc);
  VXB::JSON::Reader json(&source);
  VXB::GenericDataFormat::JSON::Reader tokens(&json);
  tokens.Reset();
  VXP::VardexDataContainer packet(0);
  unsigned sequence = 12345;
  bool given = false;
  VXB::Error::Set(VXB::Error::ErrInfo());
  bool ok = VXP::FormatToPacket(&tokens, packet, sequence, given, nullptr);
  if (out != nullptr) *out = packet;
  if (!ok) {
    const auto& e = VXB::Error::GetCurrent();
    return "!" + std::to_string(e.Error) + " " + e.Context;
  }
  char head[16];
  std::snprintf(head, sizeof(head), "0x%02X|", packet.GetCommand());
  std::string s = head;
  if (given)
    s += "seq=" + std::to_string(sequence) + "|";
  else if (sequence != 12345)
    s += "SEQUENCE TOUCHED|";
  for (unsigned n = 0; n < packet.GetNumberOfFields(); ++n)
    s += std::string(packet.GetField(n)) + "|";
  return s;
}

struct Case {
  const char* doc;
  const char* result;
};

TEST_F(FormatToPacketTest, Requests) {
  const Case cases[] = {
      {R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA"}})", "0x2A|1|"},
      {R"({"consultarestado":{"CODIGOCOMPROBANTE":"facturaa"}})", "0x2A|1|"},
      {R"({"ConsultarEstado":{"CodigoComprobante":""}})", "0x2A||"},
      {R"({"ConsultarEstado":{"CodigoComprobante":{}}})", "0x2A||"},
      {R"({"ConsultarEstado":{}})", "0x2A|"},
      {R"({"ConsultarEstado":{"Otro":"x"}})", "0x2A|"},
      {R"({"ConsultarEstado":{"CodigoComprobante":"1","CodigoComprobante":"FacturaB"}})",
       "0x2A|6|"},
      // Later fields leave earlier ones empty; defaults are not sent.
      {R"({"ImprimirTextoFiscal":{"ModoDisplay":"0"}})", "0x41|||0|"},
      {R"({"ImprimirTextoFiscal":{"Atributos":["Negrita","Centrado","NoExiste"],"Texto":"Hola"}})",
       "0x41|0C|Hola|"},
      {R"({"ImprimirTextoFiscal":{"Atributos":[]}})", "0x41|00|"},
      // The sequence member, any letter case, digits only.
      {R"({"ConsultarEstado":{"secuencia":"5"}})", "0x2A|seq=5|"},
      {R"({"ConsultarEstado":{"Secuencia":7}})", "0x2A|seq=7|"},
      {R"({"ConsultarEstado":{"Secuencia":" 7 "}})", "0x2A|seq=7|"},
      {R"({"ConsultarEstado":{"Secuencia":"0"}})", "0x2A|seq=0|"},
      {R"({"ConsultarEstado":{"Secuencia":"4294967294"}})", "0x2A|seq=4294967294|"},
      {R"({"ConsultarEstado":{"Secuencia":"-"}})", "!20022 Secuencia: [-]"},
      {R"({"ConsultarEstado":{"Secuencia":-1}})", "!20022 Secuencia: [-1]"},
      {R"({"ConsultarEstado":{"Secuencia":"7x"}})", "!20022 Secuencia: [7x]"},
      {R"({"ConsultarEstado":{"Secuencia":"4294967295"}})", "!20022 Secuencia: [4294967295]"},
      {R"({"ConsultarEstado":{"Secuencia":"4294967296"}})", "!20022 Secuencia: [4294967296]"},
      {R"({"ConsultarEstado":{"Secuencia":""}})", "!20022 Secuencia: []"},
      {R"({"ConsultarEstado":{"Secuencia":1.5}})", "!20022 Secuencia: [1.5]"},
      // A "class" member renames the command object; commands after the
      // first are ignored.
      {R"({"X":{"class":"ConsultarEstado","CodigoComprobante":"2"}})", "0x2A|2|"},
      {R"({"ConsultarEstado":{"CodigoComprobante":"1"},"Cancelar":{}})", "0x2A|1|"},
      // Refusals and their contexts.
      {R"({"CodigoComprobante":"1"})", "!20254 JSON: se esperaba un objeto"},
      {R"({"NoEsComando":{}})", "!20255 NoEsComando"},
      {R"({"ConsultarEstado":{"CodigoComprobante":{"A":"1"}}})",
       "!20254 Objeto CodigoComprobante inesperado leyendo campos de ConsultarEstado"},
      {R"({"ImprimirTextoFiscal":{"Texto":["a"]}})",
       "!20254 Campo de lista inesperado (ImprimirTextoFiscal::Texto)"},
      {R"({"ImprimirTextoFiscal":{"Desconocida":["a"]}})",
       "!20254 Token inesperado leyendo campos de ImprimirTextoFiscal"},
      {R"({"ImprimirTextoFiscal":{"Atributos":[{"class":"X"}]}})",
       "!20254 Token inesperado leyendo campos de ImprimirTextoFiscal::Atributos"},
      // Control bytes never reach a packet, raw or escaped.
      {"{\"ImprimirTextoFiscal\":{\"Texto\":\"a\x02\"}}",
       "!20254 Car\xA0"
       "cter de control STX en ImprimirTextoFiscal::Texto"},
      {R"({"ImprimirTextoFiscal":{"Texto":"a\u001Cb"}})",
       "!20254 Car\xA0"
       "cter de control FS en ImprimirTextoFiscal::Texto"},
      {R"({"ImprimirTextoFiscal":{"Texto":"\u001B"}})",
       "!20254 Car\xA0"
       "cter de control ESC en ImprimirTextoFiscal::Texto"},
      {R"({"ImprimirTextoFiscal":{"Texto":"\u0003\u0006\u0012"}})",
       "!20254 Car\xA0"
       "cter de control ETX en ImprimirTextoFiscal::Texto"},
      {R"({"ImprimirTextoFiscal":{"Texto":"tab\tand\nline"}})", "0x41||tab\tand\nline|"},
      // A document that ends or breaks early is never a command.
      {R"({"ConsultarEstado":{"CodigoComprobante":"Fact)", "!255 GenericDataFormat::JSON"},
      {R"({"ConsultarEstado":{"CodigoComprobante":"1")", "!255 GenericDataFormat::JSON"},
      {R"({"ConsultarEstado":{"CodigoComprobante":"1"})",
       "!255 JSON (waiting root close after close object)"},
      {R"({"ConsultarEstado":{"Secuencia":7)", "!255 GenericDataFormat::JSON"},
      {"{\"ConsultarEstado\":{\"CodigoComprobante\":\"1\"\0}}", "!255 GenericDataFormat::JSON"},
      {R"({"ImprimirTextoFiscal":{"Atributos":["Negrita")", "!255 GenericDataFormat::JSON"},
      {R"({"ConsultarEstado":{"CodigoComprobante":}})", "!1001 Esperando tipo llega }"},
      {"", "!255 GenericDataFormat::JSON"},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(c.doc), c.result) << c.doc;
}

TEST_F(FormatToPacketTest, UnknownCommandLeavesCommandByteZero) {
  VXP::VardexDataContainer packet(0);
  Convert(R"({"NoEsComando":{}})", &packet);
  EXPECT_EQ(packet.GetCommand(), 0);
}

TEST_F(FormatToPacketTest, SequenceWithoutGivenFlagKeepsPresetValue) {
  VXB::Driver::StringSource source(R"({"ConsultarEstado":{}})");
  VXB::JSON::Reader json(&source);
  VXB::GenericDataFormat::JSON::Reader tokens(&json);
  VXP::VardexDataContainer packet(0);
  unsigned sequence = 0xFFFFFFFF;
  ASSERT_TRUE(VXP::FormatToPacket(&tokens, packet, sequence, nullptr));
  EXPECT_EQ(sequence, 0xFFFFFFFFu);
}

// The answer side through the JSON writer, parsed back.
nlohmann::json Answer(VXP::VardexDataContainer& answer, unsigned printer, unsigned fiscal) {
  VXB::Driver::StringSink sink;
  VXB::JSON::Writer json(&sink);
  VXB::GenericDataFormat::JSON::Writer tokens(&json);
  EXPECT_TRUE(tokens.OpenObject("Cmd"));
  EXPECT_TRUE(VXP::FormatFromPacket(&tokens, answer,
                                    VXP::Argentina::RG3561::Estado::Impresora(printer),
                                    VXP::Argentina::RG3561::Estado::Fiscal(fiscal), nullptr));
  EXPECT_TRUE(tokens.CloseObject());
  return nlohmann::json::parse(sink.Text()).at("Cmd");
}

TEST_F(FormatToPacketTest, AnswersCarryStatusNamesAndSymbolicFields) {
  VXP::VardexDataContainer answer(0x2A);
  for (const char* f : {"0044", "1", "0", "0", "15", "0", "0"}) answer.AddField("%s", f);
  nlohmann::json j = Answer(answer, 0, 0);
  EXPECT_EQ(j.at("Estado").at("Impresora"), nlohmann::json::array());
  EXPECT_EQ(j.at("Estado").at("Fiscal"), nlohmann::json::array());
  EXPECT_EQ(j.at("EstadoAuxiliar"), nlohmann::json({"DatosClienteAlmacenados", "CajeroActivo"}));
  EXPECT_EQ(j.at("NumeroUltimoComprobante"), "15");
  EXPECT_EQ(j.at("CodigoComprobante"), "NoDocumento");

  // Status bits by name, in increasing bit order.
  VXP::VardexDataContainer empty(0x2A);
  j = Answer(empty, 0x0001 | 0x0100, 0x1000 | 0x2000);
  EXPECT_EQ(j.at("Estado").at("Impresora").size(), 2u);
  EXPECT_EQ(j.at("Estado").at("Fiscal").size(), 2u);
  EXPECT_EQ(j.size(), 1u);
}

// A JSON writer whose CloseArray number FailAt (from 1) is refused, as a
// writer whose target stops taking bytes refuses it.
class RefusingCloseArray : public VXB::GenericDataFormat::JSON::Writer {
 public:
  RefusingCloseArray(VXB::JSON::Writer* Target, unsigned FailAt)
      : Writer(Target), fail_at_(FailAt) {}
  bool CloseArray() override {
    if (++calls_ == fail_at_) {
      return VXB::Error::SetWithContext(VXB::Error::IO_WRITE_ERROR, "CloseArray %u", calls_);
    }
    return Writer::CloseArray();
  }

 private:
  unsigned fail_at_;
  unsigned calls_ = 0;
};

TEST_F(FormatToPacketTest, AnswerFailsWhenAListCannotBeClosed) {
  // A ConsultarEstado answer cut after its first field: the two status
  // word lists, then the list field EstadoAuxiliar as the last thing
  // written (nothing after it would stumble on a list left open). A
  // refused close of any of them fails the answer with the writer's
  // reason; a half-written document is never an answer.
  VXP::VardexDataContainer answer(0x2A);
  answer.AddField("%s", "0044");
  for (unsigned fail_at : {1u, 2u, 3u}) {
    VXB::Driver::StringSink sink;
    VXB::JSON::Writer json(&sink);
    RefusingCloseArray tokens(&json, fail_at);
    ASSERT_TRUE(tokens.OpenObject("Cmd"));
    VXB::Error::Set(VXB::Error::ErrInfo());
    EXPECT_FALSE(VXP::FormatFromPacket(&tokens, answer,
                                       VXP::Argentina::RG3561::Estado::Impresora(0),
                                       VXP::Argentina::RG3561::Estado::Fiscal(0), nullptr))
        << "close " << fail_at;
    EXPECT_EQ(VXB::Error::GetCurrent().Error, VXB::Error::IO_WRITE_ERROR) << "close " << fail_at;
    EXPECT_STREQ(VXB::Error::GetCurrent().Context,
                 ("CloseArray " + std::to_string(fail_at)).c_str());
  }
}

}  // namespace
