// Command documents in XML end to end: the request read into the packet
// that would be sent, and the answer packet written back as the document
// the bridge answers with, byte for byte, in UTF-8 and in ISO-8859-1.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "vxb/common/format/xml_generic.h"
#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/format2packet.h"
#include "vxp/vxp_errno.h"

namespace {

using namespace VXB;

class XmlRoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

struct Exchange {
  std::string request;  // the XML command document
  std::string packet;   // "0x2A|seq=1|field|field|"
  std::vector<std::string> answer_fields;
  unsigned printer = 0;
  unsigned fiscal = 0;
  std::string answer;  // the answer document, byte for byte
};

// The request side: the command document read into a packet, or the error
// "!number context"; the reader's input set is reported in encoding.
std::string ReadRequest(const std::string& doc, ASCII::Charsets& encoding,
                        VXP::VardexDataContainer& packet) {
  Driver::StringSource source(doc);
  Driver::EncodedCharReaderFromGeneric chars(&source, ASCII::NO_CHARSET, ASCII::CP437,
                                             ASCII::XML_ENTITIES);
  XML::Reader xml(&chars);
  GenericDataFormat::XML::Reader tokens(&xml);
  tokens.Reset();
  unsigned sequence = 0;
  bool given = false;
  if (!VXP::FormatToPacket(&tokens, packet, sequence, given, nullptr)) {
    const auto& e = VXB::Error::GetCurrent();
    return "!" + std::to_string(e.Error) + " " + e.Context;
  }
  encoding = tokens.GetEncoding();
  char head[16];
  std::snprintf(head, sizeof(head), "0x%02X|", packet.GetCommand());
  std::string s = head;
  if (given) s += "seq=" + std::to_string(sequence) + "|";
  for (unsigned n = 0; n < packet.GetNumberOfFields(); ++n)
    s += packet.GetField(n) + std::string("|");
  return s;
}

// The answer side, as the bridge writes it: the command object, its
// sequence number, the status and the answer fields, in the request's set.
std::string WriteAnswer(const Exchange& x, ASCII::Charsets encoding, Byte command) {
  Driver::StringSink sink;
  XML::Writer xml(&sink);
  GenericDataFormat::XML::Writer tokens(&xml);
  tokens.Reset();
  tokens.SetEncoding(encoding);
  VXP::VardexDataContainer answer(command);
  for (const std::string& f : x.answer_fields) answer.AddField("%s", f.c_str());
  EXPECT_TRUE(tokens.OpenObject(
      VXP::Argentina::RG3561::ToString(static_cast<VXP::Argentina::RG3561::Comandos>(command))));
  EXPECT_TRUE(tokens.NameValue("Secuencia", "1"));
  EXPECT_TRUE(VXP::FormatFromPacket(&tokens, answer,
                                    VXP::Argentina::RG3561::Estado::Impresora(x.printer),
                                    VXP::Argentina::RG3561::Estado::Fiscal(x.fiscal), nullptr));
  EXPECT_TRUE(tokens.CloseObject());
  return sink.Text();
}

TEST_F(XmlRoundTrip, RequestToPacketToAnswer) {
  const Exchange exchanges[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ConsultarEstado>\n"
       "\t<CodigoComprobante>FacturaA</CodigoComprobante>\n\t<Secuencia>1</Secuencia>\n"
       "</ConsultarEstado>\n",
       "0x2A|seq=1|1|",
       {"0044", "1", "0", "0", "15", "0", "0"},
       0,
       0x1000,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ConsultarEstado>\n\t<Secuencia>1</Secuencia>\n"
       "\t<Estado>\n\t\t<Impresora type=\"list\">\n\t\t</Impresora>\n\t\t<Fiscal type=\"list\">\n"
       "\t\t\t<Fiscal>DocumentoFiscalAbierto</Fiscal>\n\t\t</Fiscal>\n\t</Estado>\n"
       "\t<EstadoAuxiliar "
       "type=\"list\">\n\t\t<EstadoAuxiliar>DatosClienteAlmacenados</EstadoAuxiliar>\n"
       "\t\t<EstadoAuxiliar>CajeroActivo</EstadoAuxiliar>\n\t</EstadoAuxiliar>\n"
       "\t<EstadoInterno>NoInicializado</EstadoInterno>\n"
       "\t<ComprobanteEnCurso>NoDocumento</ComprobanteEnCurso>\n"
       "\t<CodigoComprobante>NoDocumento</CodigoComprobante>\n"
       "\t<NumeroUltimoComprobante>15</NumeroUltimoComprobante>\n"
       "\t<CantidadEmitidos>0</CantidadEmitidos>\n\t<CantidadCancelados>0</CantidadCancelados>\n"
       "</ConsultarEstado>"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<ImprimirTextoFiscal>\n"
       "  <Atributos type=\"list\">\n    <Atributos>Negrita</Atributos>\n"
       "    <Atributos>Centrado</Atributos>\n    <Atributos>Parpadeante</Atributos>\n"
       "  </Atributos>\n  <Texto>Se\xF1or &amp; C\xED"
       "a</Texto>\n</ImprimirTextoFiscal>",
       "0x41|0C|Se\xA4or & C\xA1"
       "a|",
       {"Se\xA4or & C\xA1"
        "a"},
       0,
       0,
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<ImprimirTextoFiscal>\n"
       "\t<Secuencia>1</Secuencia>\n"
       "\t<Estado>\n\t\t<Impresora type=\"list\">\n\t\t</Impresora>\n\t\t<Fiscal "
       "type=\"list\">\n\t\t</Fiscal>\n\t</Estado>\n"
       "</ImprimirTextoFiscal>"},
      {"<ImprimirTextoFiscal><Atributos type='list'><Atributos/></Atributos>"
       "<Texto>Se\xC3\xB1or &amp; C&#237;a</Texto><Secuencia> 2 </Secuencia></ImprimirTextoFiscal>",
       "0x41|seq=2|00|Se\xA4or & C\xA1"
       "a|",
       {},
       0,
       0,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ImprimirTextoFiscal>\n"
       "\t<Secuencia>1</Secuencia>\n"
       "\t<Estado>\n\t\t<Impresora type=\"list\">\n\t\t</Impresora>\n\t\t<Fiscal "
       "type=\"list\">\n\t\t</Fiscal>\n\t</Estado>\n"
       "</ImprimirTextoFiscal>"},
      {"<?xml version='1.0' encoding='ISO-8859-1'?><CerrarJornadaFiscal><Reporte>ReporteZ</Reporte>"
       "</CerrarJornadaFiscal>",
       "0x39|Z|",
       {"Z", "12", "091226", "121.00"},
       0,
       0,
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<CerrarJornadaFiscal>\n"
       "\t<Secuencia>1</Secuencia>\n"
       "\t<Estado>\n\t\t<Impresora type=\"list\">\n\t\t</Impresora>\n\t\t<Fiscal "
       "type=\"list\">\n\t\t</Fiscal>\n\t</Estado>\n"
       "\t<Reporte>ReporteZ</Reporte>\n\t<Numero>12</Numero>\n\t<Fecha>091226</Fecha>\n"
       "\t<DF_Total>121.00</DF_Total>\n</CerrarJornadaFiscal>"},
  };
  for (const Exchange& x : exchanges) {
    ASCII::Charsets encoding = ASCII::NO_CHARSET;
    VXP::VardexDataContainer packet(0);
    EXPECT_EQ(ReadRequest(x.request, encoding, packet), x.packet) << x.request;
    EXPECT_EQ(WriteAnswer(x, encoding, packet.GetCommand()), x.answer) << x.request;
  }
}

}  // namespace

namespace {

// Documents that must never become a packet, with the error they give.
TEST_F(XmlRoundTrip, RefusedRequestsSendNothing) {
  const std::string fs =
      "!20254 Car\xA0"
      "cter de control FS en ImprimirTextoFiscal::Texto";
  struct Case {
    std::string doc;
    std::string error;
  };
  const Case cases[] = {
      {"<ImprimirTextoFiscal><Texto>a&#28;b</Texto></ImprimirTextoFiscal>", fs},
      {"<ImprimirTextoFiscal><Texto>a\x1C"
       "b</Texto></ImprimirTextoFiscal>",
       fs},
      {"<ImprimirTextoFiscal><Texto>&#x2;</Texto></ImprimirTextoFiscal>",
       "!20254 Car\xA0"
       "cter de control STX en ImprimirTextoFiscal::Texto"},
      // Cut short, broken or zero-terminated bodies fail with the reader's error.
      {"<ConsultarEstado><CodigoComprobante>FacturaA</CodigoComprobante>",
       "!255 GenericDataFormat<XML>"},
      {"<ConsultarEstado><CodigoComprobante>FacturaA", "!255 GenericDataFormat<XML>"},
      {std::string("<ConsultarEstado><CodigoComprobante>FacturaA\0</CodigoComprobante>"
                   "</ConsultarEstado>",
                   81),
       "!255 GenericDataFormat<XML>"},
      {"<ConsultarEstado><CodigoComprobante>FacturaA</Codigo></ConsultarEstado>",
       "!750 Open/close tag mismatch (<CodigoComprobante></Codigo>)"},
      {"<ConsultarEstado><CodigoComprobante?>1</CodigoComprobante></ConsultarEstado>",
       "!753 ? fuera de encabezado"},
      {"<ImprimirTextoFiscal><Texto>" + std::string(2049, 'x') + "</Texto></ImprimirTextoFiscal>",
       "!753 Texto de m\xA0s de 2048 caracteres"},
      {"<ConsultarEstado><Secuencia>7x</Secuencia></ConsultarEstado>", "!20022 Secuencia: [7x]"},
      {"<Secuencia>1</Secuencia>", "!20254 XML: se esperaba un objeto"},
  };
  for (const Case& c : cases) {
    ASCII::Charsets encoding = ASCII::NO_CHARSET;
    VXP::VardexDataContainer packet(0);
    EXPECT_EQ(ReadRequest(c.doc, encoding, packet), c.error) << c.doc;
  }
}

}  // namespace
