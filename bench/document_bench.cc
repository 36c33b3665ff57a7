// Command documents: reading a JSON request into a packet container (a
// typical item of ten fields and a 4 KiB document), writing a status-query
// answer, and RapidJSON's SAX reader on the same JSON as a yardstick.
// Items processed = documents.
#include <benchmark/benchmark.h>

#include <rapidjson/reader.h>

#include <string>

#include "vxb/common/format/generic_json.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/format2packet.h"
#include "vxp/vxp_errno.h"
#include "vxp/vxp_translations.h"

namespace {

const std::string kItem =
    R"({"ImprimirItem":{"Descripcion":"Caf\u00e9 con leche grande","Cantidad":1.000,)"
    R"("PrecioUnitario":250.50,"CondicionIVA":"Gravado","AlicuotaIVA":"21.00",)"
    R"("OperacionMonto":"ModoSumaMonto","TipoImpuestoInterno":"IIVariableKIVA",)"
    R"("MagnitudImpuestoInterno":"0.00","ModoBaseTotal":"ModoPrecioTotal",)"
    R"("CodigoProducto":"7790001000011","Secuencia":12}})";

// About 4 KiB: the item with long free texts.
std::string Document4KiB() {
  std::string doc = R"({"ImprimirItem":{"Descripcion":")" + std::string(1500, 'd') +
                    R"(","CodigoProducto":")" + std::string(1200, '7') + R"(","CodigoInterno":")" +
                    std::string(1200, 'i') + R"(",)";
  doc += R"("Cantidad":1.000,"PrecioUnitario":250.50,"CondicionIVA":"Gravado",)"
         R"("AlicuotaIVA":"21.00","OperacionMonto":"ModoSumaMonto","TipoImpuestoInterno":"0",)"
         R"("MagnitudImpuestoInterno":"0.00","ModoBaseTotal":"ModoPrecioTotal","Secuencia":12}})";
  return doc;
}

void Init() {
  static bool done = [] {
    VXB::Error::Init();
    VXP::Error::Init();
    return true;
  }();
  (void)done;
}

void ReadIntoPacket(benchmark::State& state, const std::string& doc) {
  Init();
  VXB::Driver::StringSource source;
  VXB::JSON::Reader json(&source);
  VXB::GenericDataFormat::JSON::Reader tokens(&json);
  VXP::VardexDataContainer packet(0);
  for (auto _ : state) {
    source.SetText(doc);
    tokens.Reset();
    unsigned sequence = 0;
    bool given = false;
    if (!VXP::FormatToPacket(&tokens, packet, sequence, given, nullptr)) {
      state.SkipWithError("conversion failed");
      break;
    }
    benchmark::DoNotOptimize(packet.GetData());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.size()));
}

// A SAX handler that looks at every value, as a reader into a container
// would.
struct Handler : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Handler> {
  std::size_t bytes = 0;
  bool String(const char*, rapidjson::SizeType n, bool) { return bytes += n, true; }
  bool Key(const char*, rapidjson::SizeType n, bool) { return bytes += n, true; }
  bool RawNumber(const char*, rapidjson::SizeType n, bool) { return bytes += n, true; }
  bool Default() { return true; }
};

void RapidJsonSax(benchmark::State& state, const std::string& doc) {
  rapidjson::Reader reader;
  for (auto _ : state) {
    Handler h;
    rapidjson::StringStream s(doc.c_str());
    if (reader.Parse<rapidjson::kParseNumbersAsStringsFlag>(s, h).IsError()) {
      state.SkipWithError("rapidjson failed");
      break;
    }
    benchmark::DoNotOptimize(h.bytes);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.size()));
}

// The JSON reader's tokens alone, without the conversion.
void JsonReaderTokens(benchmark::State& state, const std::string& doc) {
  VXB::Driver::StringSource source;
  VXB::JSON::Reader json(&source);
  VXB::JSON::Reader::Token t;
  for (auto _ : state) {
    source.SetText(doc);
    json.Reset();
    while (json.GetToken(t)) benchmark::DoNotOptimize(t.ValueLength);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.size()));
}

void BM_JsonReaderTokensItem(benchmark::State& state) { JsonReaderTokens(state, kItem); }
void BM_JsonReaderTokens4KiB(benchmark::State& state) { JsonReaderTokens(state, Document4KiB()); }

void BM_JsonItemToPacket(benchmark::State& state) { ReadIntoPacket(state, kItem); }
void BM_Json4KiBToPacket(benchmark::State& state) { ReadIntoPacket(state, Document4KiB()); }
void BM_RapidJsonSaxItem(benchmark::State& state) { RapidJsonSax(state, kItem); }
void BM_RapidJsonSax4KiB(benchmark::State& state) { RapidJsonSax(state, Document4KiB()); }

void BM_JsonWriteConsultarEstadoAnswer(benchmark::State& state) {
  Init();
  VXB::Driver::StringSink sink;
  VXB::JSON::Writer json(&sink);
  VXB::GenericDataFormat::JSON::Writer tokens(&json);
  VXP::VardexDataContainer answer(0x2A);
  for (const char* f : {"0044", "1", "1", "1", "15", "0", "0"}) answer.AddField("%s", f);
  namespace RG3561 = VXP::Argentina::RG3561;
  for (auto _ : state) {
    sink.Clear();
    tokens.Reset();
    bool ok = tokens.OpenObject("ConsultarEstado") && tokens.NameValue("Secuencia", "12") &&
              VXP::FormatFromPacket(&tokens, answer, RG3561::Estado::Impresora(0x0000),
                                    RG3561::Estado::Fiscal(0x3000), nullptr) &&
              tokens.CloseObject();
    if (!ok) {
      state.SkipWithError("writing failed");
      break;
    }
    benchmark::DoNotOptimize(sink.Text().data());
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_JsonItemToPacket);
BENCHMARK(BM_RapidJsonSaxItem);
BENCHMARK(BM_Json4KiBToPacket);
BENCHMARK(BM_RapidJsonSax4KiB);
BENCHMARK(BM_JsonReaderTokensItem);
BENCHMARK(BM_JsonReaderTokens4KiB);
BENCHMARK(BM_JsonWriteConsultarEstadoAnswer);

}  // namespace
