// XML command documents: reading a typical item document (ten fields) and a
// 4 KiB document into a packet container, and writing a ConsultarEstado
// answer document. Items processed are documents.
#include <benchmark/benchmark.h>

#include <string>

#include "vxb/common/format/xml_generic.h"
#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/format2packet.h"
#include "vxp/vxp_errno.h"

namespace {

const std::string kItem =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ImprimirItem>\n"
    "\t<Descripcion>Caf\xC3\xA9 con leche</Descripcion>\n"
    "\t<Cantidad>1</Cantidad>\n"
    "\t<PrecioUnitario>2.50</PrecioUnitario>\n"
    "\t<CondicionIVA>Gravado</CondicionIVA>\n"
    "\t<AlicuotaIVA>21.00</AlicuotaIVA>\n"
    "\t<OperacionMonto>ModoSumaMonto</OperacionMonto>\n"
    "\t<TipoImpuestoInterno>0</TipoImpuestoInterno>\n"
    "\t<MagnitudImpuestoInterno>0</MagnitudImpuestoInterno>\n"
    "\t<ModoDisplay>0</ModoDisplay>\n"
    "\t<ModoBaseTotal>ModoPrecioTotal</ModoBaseTotal>\n"
    "</ImprimirItem>\n";

// The item document grown to 4 KiB with descriptive members the
// conversion passes over.
std::string Document4KiB() {
  std::string doc = kItem.substr(0, kItem.rfind("</ImprimirItem>"));
  while (doc.size() < 4096 - 80) {
    doc +=
        "\t<Observacion>Se\xC3\xB1or &amp; C\xC3\xAD"
        "a, entrega a domicilio</Observacion>\n";
  }
  return doc + "</ImprimirItem>\n";
}

class Setup {
 public:
  Setup() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

void ReadDocument(benchmark::State& state, const std::string& doc) {
  static Setup setup;
  VXB::Driver::StringSource source(doc);
  VXB::Driver::EncodedCharReaderFromGeneric chars(&source, VXB::ASCII::NO_CHARSET,
                                                  VXB::ASCII::CP437, VXB::ASCII::XML_ENTITIES);
  VXB::XML::Reader xml(&chars);
  VXB::GenericDataFormat::XML::Reader tokens(&xml);
  VXP::VardexDataContainer packet(0);
  for (auto _ : state) {
    source.SetText(doc);
    tokens.Reset();
    unsigned sequence = 0;
    bool given = false;
    if (!VXP::FormatToPacket(&tokens, packet, sequence, given, nullptr)) {
      state.SkipWithError(VXB::Error::GetCurrent().Context);
      break;
    }
    benchmark::DoNotOptimize(packet.GetNumberOfFields());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.size()));
}

void BM_XmlReadItem(benchmark::State& state) { ReadDocument(state, kItem); }
BENCHMARK(BM_XmlReadItem);

void BM_XmlRead4KiB(benchmark::State& state) {
  static const std::string doc = Document4KiB();
  ReadDocument(state, doc);
}
BENCHMARK(BM_XmlRead4KiB);

void BM_XmlWriteConsultarEstadoAnswer(benchmark::State& state) {
  static Setup setup;
  VXB::Driver::StringSink sink;
  VXB::Driver::EncodedStringWriterFromGeneric out(&sink, VXB::ASCII::CP437, VXB::ASCII::UTF8,
                                                  VXB::ASCII::NO_ENTITIES);
  VXB::XML::Writer xml(&out);
  VXB::GenericDataFormat::XML::Writer tokens(&xml);
  VXP::VardexDataContainer answer(0x2A);
  for (const char* f : {"0044", "1", "0", "0", "15", "0", "0"}) answer.AddField("%s", f);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    sink.Clear();
    tokens.Reset();
    tokens.OpenObject("ConsultarEstado");
    tokens.NameValue("Secuencia", "1");
    VXP::FormatFromPacket(&tokens, answer, VXP::Argentina::RG3561::Estado::Impresora(0x0001),
                          VXP::Argentina::RG3561::Estado::Fiscal(0x1000), nullptr);
    if (!tokens.CloseObject()) {
      state.SkipWithError("write failed");
      break;
    }
    bytes += static_cast<std::int64_t>(sink.Text().size());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_XmlWriteConsultarEstadoAnswer);

}  // namespace
