// The JSON writer and the token-stream adapters over JSON: exact layout of
// the written text, escaping, limits, and every written document parsed
// back by nlohmann-json with the same values; the reader adapter's token
// stream and the round trip writer -> reader.
#include "vxb/common/format/json_writer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "vxb/common/format/generic_json.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"

namespace {

using VXB::GenericDataFormat::Token;

struct JsonOut {
  VXB::Driver::StringSink sink;
  VXB::JSON::Writer w{&sink};
  VXB::GenericDataFormat::JSON::Writer g{&w};
  std::string Text() {
    w.GetDriver()->Flush(VXB::Constants::WAIT_FOREVER);
    return sink.Text();
  }
};

// The calls of the layout example, through the adapter.
bool WriteExample(VXB::GenericDataFormat::Writer& g) {
  return g.OpenObject("Respuesta") && g.NameValue("Texto", "Hola") &&
         g.NameValue("Numero", static_cast<VXB::Types::uint32>(12)) && g.OpenArray("Lista") &&
         g.ArrayElement("a") && g.ArrayElement("b") && g.CloseArray() && g.CloseObject();
}

TEST(JsonWriter, LayoutExampleByteForByte) {
  JsonOut o;
  ASSERT_TRUE(WriteExample(o.g));
  EXPECT_EQ(o.Text(),
            "{\n"
            "\t\"Respuesta\":\n"
            "\t{\n"
            "\t\t\"Texto\": \"Hola\",\n"
            "\t\t\"Numero\": 12,\n"
            "\t\t\"Lista\":\n"
            "\t\t[\n"
            "\t\t\t\"a\", \"b\"\n"
            "\t\t]\n"
            "\t}\n"
            "}");
  JsonOut c;
  c.g.SetWhitespaceCompression(true);
  ASSERT_TRUE(WriteExample(c.g));
  EXPECT_EQ(c.Text(), R"({"Respuesta":{"Texto":"Hola","Numero":12,"Lista":["a","b"]}})");
  // After the outermost close the adapter writes nothing more.
  EXPECT_TRUE(c.g.NameValue("X", "y"));
  EXPECT_EQ(c.Text().back(), '}');
}

TEST(JsonWriter, ValuesAndEdgeCases) {
  struct {
    const char* name;
    bool (*write)(VXB::JSON::Writer&);
    const char* text;
  } cases[] = {
      {"quote and backslash",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", "q\"b\\") && w.CloseObject();
       },
       "{\n\t\"a\": \"q\\\"b\\\\\"\n}"},
      {"control characters",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", "\n\t\x01\x1C") && w.CloseObject();
       },
       "{\n\t\"a\": \"\\n\\t\\u0001\\u001C\"\n}"},
      {"null string",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", static_cast<const char*>(nullptr)) &&
                w.CloseObject();
       },
       "{\n\t\"a\": null\n}"},
      {"no value is a string",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", 0xFFFFFFFFu) && w.CloseObject();
       },
       "{\n\t\"a\": \"-\"\n}"},
      {"bool",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", true) && w.CloseObject();
       },
       "{\n\t\"a\": true\n}"},
      {"fixed",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", VXB::Types::fixed("1.500")) && w.CloseObject();
       },
       "{\n\t\"a\": 1.5\n}"},
      {"array first",
       [](VXB::JSON::Writer& w) {
         return w.OpenArray(nullptr) && w.ElementNumber("1") && w.ElementNumber("2") &&
                w.CloseArray();
       },
       "\n[1, 2\n]"},
      {"two documents",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.CloseObject() && w.OpenObject(nullptr) &&
                w.CloseObject();
       },
       "{\n}{\n}"},
      {"internal n tilde to UTF-8",
       [](VXB::JSON::Writer& w) {
         return w.OpenObject(nullptr) && w.Pair("a", "\xA4") && w.CloseObject();
       },
       "{\n\t\"a\": \"\xC3\xB1\"\n}"},
  };
  for (const auto& c : cases) {
    VXB::Driver::StringSink sink;
    VXB::JSON::Writer w(&sink);
    EXPECT_TRUE(c.write(w)) << c.name;
    EXPECT_EQ(sink.Text(), c.text) << c.name;
  }
}

TEST(JsonWriter, RefusesCallsThatDoNotFitWithoutWriting) {
  VXB::Driver::StringSink sink;
  VXB::JSON::Writer w(&sink);
  EXPECT_FALSE(w.CloseObject());
  for (unsigned i = 0; i < VXB::JSON::Writer::MAX_DEPTH; ++i) ASSERT_TRUE(w.OpenArray(nullptr));
  w.GetDriver()->Flush(VXB::Constants::WAIT_FOREVER);
  std::size_t before = sink.Text().size();
  EXPECT_FALSE(w.OpenArray(nullptr));
  EXPECT_FALSE(w.CloseObject());
  w.GetDriver()->Flush(VXB::Constants::WAIT_FOREVER);
  EXPECT_EQ(sink.Text().size(), before);

  JsonOut o;
  EXPECT_FALSE(o.g.CloseObject());
  EXPECT_FALSE(o.g.ArrayElement("x"));
  EXPECT_FALSE(o.g.NameValue("x", "y"));
  EXPECT_EQ(o.Text(), "");
}

TEST(JsonWriter, EveryDocumentParsesBackWithTheSameValues) {
  // Values of every length and every byte of the internal set.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string values[] = {"", "Hola", all, std::string(5000, '\x1C') + "fin",
                                std::string(3000, '"')};
  for (bool compact : {false, true}) {
    JsonOut o;
    o.g.SetWhitespaceCompression(compact);
    ASSERT_TRUE(o.g.OpenObject("Cmd"));
    for (std::size_t i = 0; i < std::size(values); ++i)
      ASSERT_TRUE(o.g.NameValue(("v" + std::to_string(i)).c_str(), values[i].c_str()));
    ASSERT_TRUE(o.g.NameValue("n", static_cast<VXB::Types::int64>(-5)));
    ASSERT_TRUE(o.g.NameValue("none", static_cast<VXB::Types::uint32>(0xFFFFFFFF)));
    ASSERT_TRUE(o.g.OpenArray("L") && o.g.OpenObject("I") && o.g.NameValue("b", false) &&
                o.g.CloseObject() && o.g.OpenObject("J") && o.g.CloseObject() && o.g.CloseArray());
    ASSERT_TRUE(o.g.CloseObject());
    nlohmann::json j = nlohmann::json::parse(o.Text());  // throws when not JSON
    const auto& cmd = j.at("Cmd");
    EXPECT_EQ(cmd.at("v0"), "");
    EXPECT_EQ(cmd.at("v1"), "Hola");
    char utf8[1024];
    VXB::ASCII::ToUTF8(all.c_str(), utf8, sizeof(utf8));
    EXPECT_EQ(cmd.at("v2").get<std::string>(), utf8);
    EXPECT_EQ(cmd.at("v3").get<std::string>(), values[3]);  // written whole
    EXPECT_EQ(cmd.at("v4").get<std::string>(), values[4]);
    EXPECT_EQ(cmd.at("n"), -5);
    EXPECT_EQ(cmd.at("none"), "-");
    EXPECT_EQ(cmd.at("L").at(0).at("class"), "I");
    EXPECT_EQ(cmd.at("L").at(0).at("b"), false);
    EXPECT_EQ(cmd.at("L").at(1).at("class"), "J");
  }
}

// Token stream of the reader adapter, in one line.
std::string Tokens(std::string_view doc) {
  VXB::Driver::StringSource source(doc);
  VXB::JSON::Reader r(&source);
  VXB::GenericDataFormat::JSON::Reader g(&r);
  g.Reset();
  Token t;
  std::string out;
  for (int i = 0; i < 100; ++i) {
    if (!g.GetToken(t)) {
      const auto& e = VXB::Error::GetCurrent();
      return out + "!" + std::to_string(e.Error) + "(" + e.Context + ")";
    }
    static const char* kinds[] = {"{", "}", "[", "]", "=", "-"};
    out += std::string(kinds[t.Type]) + t.Name +
           (t.Type >= Token::NAME_VALUE ? ":" + std::string(t.Value) : "") + " ";
  }
  return out;
}

TEST(GenericJsonReader, TokenStreams) {
  struct {
    const char* doc;
    const char* tokens;
  } cases[] = {
      {R"({"Cmd":{"A":"1"}})", "{Cmd =A:1 }Cmd !255(GenericDataFormat::JSON)"},
      {R"({"A":"1","B":2})", "=A:1 =B:2 !255(JSON (waiting root close after close object))"},
      {R"({"class":"X","A":"1"})", "=A:1 !255(JSON (waiting root close after close object))"},
      {R"({"C":{"L":[{"class":"I","a":"1"},{"a":"2"},{"class":"J"}]}})",
       "{C [L {I =a:1 }I {I =a:2 }I {J }J ]L }C !255(GenericDataFormat::JSON)"},
      // A "class" member renames the command object too.
      {R"({"X":{"class":"ConsultarEstado","A":"1"}})",
       "{ConsultarEstado =A:1 }ConsultarEstado !255(GenericDataFormat::JSON)"},
      // Commands after the first come after its close.
      {R"({"A":{},"B":{}})", "{A }A {B }B !255(GenericDataFormat::JSON)"},
      {R"({"A":{"x":"1"})", "{A =x:1 !255(JSON (waiting root close after close object))"},
      {R"({"A":{"x":)", "!255(GenericDataFormat::JSON)"},
      {R"({"A":{"x":}})", "!1001(Esperando tipo llega })"},
  };
  for (const auto& c : cases) EXPECT_EQ(Tokens(c.doc), c.tokens) << c.doc;
}

TEST(GenericJsonReader, PeekThenGetDeliversOnce) {
  VXB::Driver::StringSource source(R"({"C":{"A":"1"}})");
  VXB::JSON::Reader r(&source);
  VXB::GenericDataFormat::JSON::Reader g(&r);
  Token a, b, c;
  ASSERT_TRUE(g.PeekToken(a));
  ASSERT_TRUE(g.PeekToken(b));
  ASSERT_TRUE(g.GetToken(c));
  EXPECT_EQ(std::string(a.Name), "C");
  EXPECT_EQ(std::string(c.Name), "C");
  ASSERT_TRUE(g.GetToken(c));
  EXPECT_EQ(c.Type, Token::NAME_VALUE);
  EXPECT_EQ(g.GetEncoding(), VXB::ASCII::UTF8);
  EXPECT_STREQ(g.ToString(), "JSON");
}

TEST(GenericJsonReader, WrittenStreamReadsBackAsTheSameTokens) {
  for (bool compact : {false, true}) {
    JsonOut o;
    o.g.SetWhitespaceCompression(compact);
    ASSERT_TRUE(WriteExample(o.g));
    EXPECT_EQ(Tokens(o.Text()),
              "{Respuesta =Texto:Hola =Numero:12 [Lista -Lista:a -Lista:b ]Lista }Respuesta "
              "!255(GenericDataFormat::JSON)");
  }
}

}  // namespace
