// The bridge's answer and error documents, written through the JSON token
// writer: names from the catalogue, code names for unknown commands.
#include <gtest/gtest.h>

#include <string>

#include "vxb/common/format/generic_json.h"
#include "vxb/common/format/json_writer.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"
#include "vxp/zorbel.h"

namespace VXP::Zorbel {
namespace {

std::string Compact(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\t' || s[i] == '\n' || s[i] == '\r') continue;
    if (s[i] == ' ' && i > 0 && (s[i - 1] == ':' || s[i - 1] == ',')) continue;
    out += s[i];
  }
  return out;
}

// A JSON token writer into memory.
struct Doc {
  Doc() : json_(&sink_), tokens_(&json_) { tokens_.Reset(); }
  std::string Text() {
    EXPECT_TRUE(tokens_.GetDriver()->Flush(VXB::Constants::WAIT_FOREVER));
    return Compact(sink_.Text());
  }

  VXB::Driver::StringSink sink_;
  VXB::JSON::Writer json_;
  VXB::GenericDataFormat::JSON::Writer tokens_;
};

class ZorbelDocuments : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

TEST_F(ZorbelDocuments, AnswerNamesTheCommandOrItsCode) {
  struct Case {
    VXB::Byte command;
    bool busy;
    const char* starts;
  } cases[] = {
      {0x2A, false, R"({"ConsultarEstado":{"Secuencia":"4","Estado")"},
      {0x2A, true, R"({"ControladorOcupado":{"Secuencia":"4","Estado")"},
  };
  for (const Case& c : cases) {
    Doc fresh;
    VardexDataContainer answer(c.command);
    unsigned sequence = 4;
    ASSERT_TRUE(WriteAnswer(fresh.tokens_, nullptr, answer, 0, 0, &sequence, c.busy));
    EXPECT_EQ(fresh.Text().rfind(c.starts, 0), 0u) << fresh.Text();
  }
  // A byte the catalogue does not name is still written under a name.
  Doc doc;
  VardexDataContainer unknown(0xFE);
  ASSERT_TRUE(WriteAnswer(doc.tokens_, nullptr, unknown, 0, 0, nullptr, false));
  const std::string text = doc.Text();
  EXPECT_EQ(text.find("null"), std::string::npos) << text;
  EXPECT_EQ(text.rfind("{\"", 0), 0u) << text;
  EXPECT_GT(text.find("\":{"), 2u) << text;
}

// Each status word is shown under its own name: the printer's bits under
// Impresora, the fiscal ones under Fiscal.
TEST_F(ZorbelDocuments, StatusWordsGoUnderTheirOwnNames) {
  const struct {
    VXB::Types::uint16 printer;
    VXB::Types::uint16 fiscal;
    const char* status;
  } cases[] = {
      {0x0020, 0, R"("Estado":{"Impresora":["FaltaPapelReceipt"],"Fiscal":[]})"},
      {0, 0x1000, R"("Estado":{"Impresora":[],"Fiscal":["DocumentoFiscalAbierto"]})"},
      {0x0001, 0x0200,
       R"("Estado":{"Impresora":["ImpresoraOcupada"],"Fiscal":["MemoriaFiscalInicializada"]})"},
  };
  for (const auto& c : cases) {
    Doc doc;
    VardexDataContainer answer(0x2A);
    ASSERT_TRUE(WriteAnswer(doc.tokens_, nullptr, answer, c.printer, c.fiscal, nullptr, false));
    EXPECT_NE(doc.Text().find(c.status), std::string::npos) << doc.Text();
  }
}

TEST_F(ZorbelDocuments, ErrorInsideKnownCommandOnly) {
  VXB::Error::ErrInfo e(VXP::Error::PROTOCOL_INVALID_SEQUENCE, "ctx");
  Doc doc;
  ASSERT_TRUE(WriteLastError(doc.tokens_, nullptr, e, 0x2A));
  const std::string text = doc.Text();
  EXPECT_EQ(
      text.rfind(R"({"ConsultarEstado":{"Error":{"Identificador":"PROTOCOL_INVALID_SEQUENCE")", 0),
      0u)
      << text;
  Doc bare;
  ASSERT_TRUE(WriteLastError(bare.tokens_, nullptr, e, 0));
  EXPECT_EQ(bare.Text().rfind(R"({"Error":{"Identificador")", 0), 0u) << bare.Text();
}

}  // namespace
}  // namespace VXP::Zorbel
