// The command core without any HTTP: a document in, the answer's status,
// content type, character set and bytes out, against a scripted
// controller.
#include "vxp/command_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vxb/common/runtime/error.h"
#include "vxp/scripted_controller.h"
#include "vxp/vxp_debug_modules.h"
#include "vxp/vxp_errno.h"

namespace VXP::Zorbel {
namespace {

using Testing::HostFrame;
using Testing::ScriptedController;

// The document without its layout (tabs, line ends, the blank after a
// JSON name's ':').
std::string Compact(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\t' || s[i] == '\n' || s[i] == '\r') continue;
    if (s[i] == ' ' && i > 1 && s[i - 1] == ':' && s[i - 2] == '"') continue;
    out += s[i];
  }
  return out;
}

class CommandCore : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
  void SetUp() override {
    ASSERT_TRUE(protocol_.SetDriver(&controller_.Port()));
    // A status query answered with status words 0000 0000 and its seven
    // fields; any other command with the status words alone.
    controller_.OnFrame([](ScriptedController& c, const HostFrame& f) {
      if (f.Command == 0x2A)
        c.AckAndAnswer(f, {"0000", "0000", "0040", "1", "1", "1", "15", "0", "0"});
      else
        c.AckAndAnswer(f, {"0000", "0000"});
    });
  }

  bool Run(VXB::MIME::Types type, const char* charset, const std::string& document,
           CommandAnswer& answer, bool with_exchange = true) {
    CommandRequest r;
    r.ContentType = type;
    r.Charset = charset;
    r.Document = document;
    r.Client = "10.0.0.7";
    return RunCommand(r, with_exchange ? &protocol_ : nullptr, &debugger_, answer);
  }

  ScriptedController controller_{true};
  VardexPacketProtocol protocol_{true};
  VXB::Debug::Debugger debugger_{VXP::Debug::ZORBEL, "fiscal.json"};
};

const char* const STATUS_ANSWER =
    R"({"ConsultarEstado":{"Secuencia":"3","Estado":{"Impresora":[],"Fiscal":[]},)"
    R"("EstadoAuxiliar":["CajeroActivo"],"EstadoInterno":"NoInicializado",)"
    R"("ComprobanteEnCurso":"FacturaA","CodigoComprobante":"FacturaA",)"
    R"("NumeroUltimoComprobante":"15","CantidadEmitidos":"0","CantidadCancelados":"0"}})";

// One request and everything its answer must be. Text is the packet text
// the controller receives (after the command's FS; ImprimirTextoFiscal's
// text is its second field); null when nothing may reach the line.
struct Case {
  const char* name;
  VXB::MIME::Types type;
  const char* charset;
  std::string document;
  bool ok;
  VXB::MIME::Types answer_type;
  VXB::ASCII::Charsets answer_charset;
  std::string answer;  // the whole answer, without layout
  const char* text;
  VXB::Byte packet_sequence;
};

TEST_F(CommandCore, DocumentInAnswerBytesOut) {
  const char* const DECL_UTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const char* const DECL_LATIN1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
  const Case cases[] = {
      {"json status query", VXB::MIME::JSON, nullptr,
       R"({"ConsultarEstado":{"CodigoComprobante":"FacturaA","Secuencia":"3"}})", true,
       VXB::MIME::JSON, VXB::ASCII::UTF8, STATUS_ANSWER, "1", 3 + 31},
      {"highest sequence", VXB::MIME::JSON, "UTF-8",
       R"({"ImprimirTextoFiscal":{"Texto":"x","Secuencia":"90"}})", true, VXB::MIME::JSON,
       VXB::ASCII::UTF8,
       R"({"ImprimirTextoFiscal":{"Secuencia":"90","Estado":{"Impresora":[],"Fiscal":[]}}})",
       "\x1Cx", 90 + 31},
      {"latin-1 xml, answered in latin-1", VXB::MIME::XML, "ISO-8859-1",
       "<ImprimirTextoFiscal><Texto>Caf\xE9</Texto><Secuencia>4</Secuencia></ImprimirTextoFiscal>",
       true, VXB::MIME::XML, VXB::ASCII::LATIN1,
       std::string(DECL_LATIN1) + "<ImprimirTextoFiscal><Secuencia>4</Secuencia><Estado><Impresora "
                                  "type=\"list\"></Impresora>"
                                  "<Fiscal type=\"list\"></Fiscal></Estado></ImprimirTextoFiscal>",
       "\x1C"
       "Caf\x82",
       4 + 31},
      {"content type charset wins over the declaration", VXB::MIME::XML, "windows-1252",
       std::string(DECL_UTF8) + "<ImprimirTextoFiscal><Texto>\xF1</Texto><Secuencia>5</Secuencia>"
                                "</ImprimirTextoFiscal>",
       true, VXB::MIME::XML, VXB::ASCII::LATIN1,
       std::string(DECL_LATIN1) + "<ImprimirTextoFiscal><Secuencia>5</Secuencia><Estado><Impresora "
                                  "type=\"list\"></Impresora>"
                                  "<Fiscal type=\"list\"></Fiscal></Estado></ImprimirTextoFiscal>",
       "\x1C\xA4", 5 + 31},
      {"sequence out of range, xml in utf-8", VXB::MIME::XML, nullptr,
       "<ConsultarEstado><Secuencia>91</Secuencia></ConsultarEstado>", false, VXB::MIME::XML,
       VXB::ASCII::UTF8,
       std::string(DECL_UTF8) +
           "<ConsultarEstado><Error><Identificador>PROTOCOL_INVALID_SEQUENCE</Identificador>"
           "<Descripcion>Secuencia fuera de rango</Descripcion>"
           "<Contexto>Secuencia inv\xC3\xA1lida (debe estar entre 1-90)</Contexto></Error>"
           "</ConsultarEstado>",
       nullptr, 0},
      {"sequence 0, error in latin-1", VXB::MIME::XML, "latin1",
       "<ConsultarEstado><Secuencia>0</Secuencia></ConsultarEstado>", false, VXB::MIME::XML,
       VXB::ASCII::LATIN1,
       std::string(DECL_LATIN1) +
           "<ConsultarEstado><Error><Identificador>PROTOCOL_INVALID_SEQUENCE</Identificador>"
           "<Descripcion>Secuencia fuera de rango</Descripcion>"
           "<Contexto>Secuencia inv\xE1lida (debe estar entre 1-90)</Contexto></Error>"
           "</ConsultarEstado>",
       nullptr, 0},
      {"json said to be latin-1", VXB::MIME::JSON, "ISO-8859-1", R"({"ConsultarEstado":{}})", false,
       VXB::MIME::JSON, VXB::ASCII::UTF8,
       R"({"Error":{"Identificador":"PROTOCOL_INVALID_ENCODING",)"
       "\"Descripcion\":\"Codificaci\xC3\xB3n de caracteres inv\xC3\xA1lida\","
       R"("Contexto":"Un documento JSON se lee en UTF-8, no en ISO-8859-1"}})",
       nullptr, 0},
      {"unknown charset", VXB::MIME::XML, "KOI8-R", "<ConsultarEstado/>", false, VXB::MIME::XML,
       VXB::ASCII::UTF8,
       std::string(DECL_UTF8) +
           "<Error><Identificador>PROTOCOL_INVALID_ENCODING</Identificador>"
           "<Descripcion>Codificaci\xC3\xB3n de caracteres inv\xC3\xA1lida</Descripcion>"
           "<Contexto>Juego de caracteres no soportado: KOI8-R</Contexto></Error>",
       nullptr, 0},
      {"unknown command", VXB::MIME::JSON, nullptr, R"({"NoExiste":{}})", false, VXB::MIME::JSON,
       VXB::ASCII::UTF8,
       R"({"Error":{"Identificador":"INTERFACE_UNRECOGNIZED_COMMAND",)"
       R"("Descripcion":"Comando no reconocido","Contexto":"NoExiste"}})",
       nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t frames_before = controller_.Frames().size();
    CommandAnswer a;
    EXPECT_EQ(Run(c.type, c.charset, c.document, a), c.ok) << a.Error.Context;
    EXPECT_EQ(a.Status, 200u);
    EXPECT_EQ(a.ContentType, c.answer_type);
    EXPECT_EQ(a.Charset, c.answer_charset);
    EXPECT_EQ(Compact(a.Document), c.answer);
    EXPECT_EQ(a.Sent, c.text != nullptr);
    // The debug channel is back to its own name.
    EXPECT_STREQ(debugger_.GetID(), "fiscal.json");
    const std::vector<HostFrame> frames = controller_.Frames();
    if (c.text == nullptr) {
      EXPECT_EQ(frames.size(), frames_before);
      continue;
    }
    ASSERT_EQ(frames.size(), frames_before + 1);
    EXPECT_EQ(frames.back().Text, c.text);
    EXPECT_EQ(frames.back().Sequence, c.packet_sequence);
  }
}

// Anything but JSON or XML is answered with an HTML page, whatever the
// document holds, and nothing reaches the line.
TEST_F(CommandCore, OtherContentTypesGetAnHtmlErrorPage) {
  for (VXB::MIME::Types type : {VXB::MIME::UNKNOWN, VXB::MIME::FORM, VXB::MIME::HTML}) {
    CommandAnswer a;
    EXPECT_FALSE(Run(type, nullptr, R"({"ConsultarEstado":{}})", a));
    EXPECT_EQ(a.Status, 200u);
    EXPECT_EQ(a.ContentType, VXB::MIME::HTML);
    EXPECT_EQ(a.Charset, VXB::ASCII::NO_CHARSET);
    EXPECT_EQ(a.Error.Error, VXP::Error::PROTOCOL_INVALID_CONTENT_TYPE);
    EXPECT_NE(a.Document.find("<title>Error</title>"), std::string::npos) << a.Document;
    EXPECT_NE(a.Document.find("<body>Tipo de contenido inv\xE1lido</body>"), std::string::npos)
        << a.Document;
    EXPECT_EQ(a.Document.substr(a.Document.size() - 7), "</html>");
  }
  EXPECT_TRUE(controller_.Frames().empty());
}

// A halted exchange sends nothing: the client learns the service stopped.
TEST_F(CommandCore, HaltedExchangeAnswersAborted) {
  protocol_.Halt();
  CommandAnswer a;
  EXPECT_FALSE(Run(VXB::MIME::JSON, nullptr, R"({"ConsultarEstado":{"Secuencia":"2"}})", a));
  EXPECT_EQ(Compact(a.Document),
            R"({"ConsultarEstado":{"Error":{"Identificador":"PROTOCOL_ABORTED",)"
            "\"Descripcion\":\"Operaci\xC3\xB3n abortada\",\"Contexto\":\"Servicio detenido\"}}}");
  EXPECT_FALSE(a.Sent);
  EXPECT_TRUE(controller_.Frames().empty());
  // The failure is also the thread's error record.
  EXPECT_EQ(VXB::Error::GetCurrent().Error, VXP::Error::PROTOCOL_ABORTED);
}

// Without an exchange the document is only read: the command in packet
// form and the client's sequence, as given (no range rule: nothing is
// sent), and no answer document. A refused document still gets its error.
TEST_F(CommandCore, WithoutExchangeTheDocumentIsOnlyRead) {
  CommandAnswer a;
  ASSERT_TRUE(Run(VXB::MIME::XML, nullptr,
                  "<ConsultarEstado><CodigoComprobante>facturaa</CodigoComprobante>"
                  "<Secuencia>91</Secuencia></ConsultarEstado>",
                  a, false));
  EXPECT_EQ(a.Command.GetCommand(), 0x2A);
  ASSERT_EQ(a.Command.GetNumberOfFields(), 1u);
  EXPECT_STREQ(a.Command.GetField(0), "1");
  EXPECT_TRUE(a.SequenceGiven);
  EXPECT_EQ(a.Sequence, 91u);
  EXPECT_EQ(a.Document, "");
  EXPECT_FALSE(a.Sent);
  EXPECT_EQ(a.Error.Error, VXB::Error::NO_CURRENT_ERROR);

  CommandAnswer b;
  EXPECT_FALSE(
      Run(VXB::MIME::JSON, nullptr, R"({"ConsultarEstado":{"CodigoComprobante":"Fa)", b, false));
  EXPECT_EQ(b.Error.Error, VXB::Error::IO_EOF_REACHED);
  EXPECT_EQ(Compact(b.Document).rfind(R"({"Error":{"Identificador":"IO_EOF_REACHED")", 0), 0u)
      << b.Document;
  EXPECT_TRUE(controller_.Frames().empty());
}

}  // namespace
}  // namespace VXP::Zorbel
