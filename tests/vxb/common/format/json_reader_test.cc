// The JSON reader: token stream, value texts, the limits it enforces and
// its errors, and a differential check against nlohmann-json's SAX events
// on generated documents.
#include "vxb/common/format/json_reader.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"

namespace {

using VXB::JSON::Reader;

// One word per token: {name }  [name ]  name=value:T  =value:T, then
// "!EOF" or "!SYNTAX(context)" for the failure that ends the document.
std::string Dump(std::string_view doc, unsigned max_tokens = 1000) {
  VXB::Driver::StringSource source(doc, 7);  // small reads cross block edges
  Reader r(&source);
  Reader::Token t;
  std::string out;
  static const char kTypes[] = "SIFBE";
  for (unsigned i = 0; i < max_tokens; ++i) {
    if (!r.GetToken(t)) {
      const auto& e = VXB::Error::GetCurrent();
      if (e.Error == VXB::Error::JSON_EOF) return out + "!EOF";
      return out + "!SYNTAX(" + e.Context + ")";
    }
    switch (t.Type) {
      case Reader::OPEN_OBJECT:
        out += "{" + std::string(t.Name) + " ";
        break;
      case Reader::OPEN_ARRAY:
        out += "[" + std::string(t.Name) + " ";
        break;
      case Reader::CLOSE_OBJECT:
        out += "} ";
        break;
      case Reader::CLOSE_ARRAY:
        out += "] ";
        break;
      case Reader::PAIR:
      case Reader::ELEMENT:
        EXPECT_EQ(std::string(t.Value).size(), t.ValueLength);
        out += std::string(t.Name) + "=" + t.Value + ":" + kTypes[t.ValueType] + " ";
        break;
    }
  }
  return out;
}

struct Case {
  const char* doc;
  const char* tokens;
};

TEST(JsonReader, TokenStreams) {
  const Case cases[] = {
      {R"({"a":"x","b":5 })", "{ a=x:S b=5:I } !EOF"},
      {"{}", "{ } !EOF"},
      {"[]", "[ ] !EOF"},
      {R"({"X":{"F":"1"}} trailing ignored)", "{ {X F=1:S } } !EOF"},
      // Valid JSON that older bridges refused.
      {R"({"Secuencia":7})", "{ Secuencia=7:I } !EOF"},
      {"[1,2]", "[ =1:I =2:I ] !EOF"},
      {"[1.50,-3,1e5,2.5E-3,-0.0e+1]", "[ =1.50:F =-3:I =1e5:F =2.5E-3:F =-0.0e+1:F ] !EOF"},
      {"[true,false,null]", "[ =S\xA1:B =No:B =:E ] !EOF"},
      {R"(["\"\\\/\n\r\t\b\f"])", "[ =\"\\/\n\r\t\b\f:S ] !EOF"},
      {R"(["\u00f1\u00D1\u0041\u20ac\ud83d\ude00"])",
       "[ =\xA4\xA5"
       "A??:S ] !EOF"},
      {"[\"\xC3\xB1\"]", "[ =\xA4:S ] !EOF"},
      {R"({"L":[{"class":"I","A":"1"},{"A":"2"}]})", "{ [L { class=I:S A=1:S } { A=2:S } ] } !EOF"},
      // Leniencies that keep every text as written.
      {"[007,.5,5.]", "[ =007:I =.5:F =5.:F ] !EOF"},
      {"[\"tab\there\"]", "[ =tab\there:S ] !EOF"},
      // Errors.
      {R"({"X":{"F":}})", "{ {X !SYNTAX(Esperando tipo llega })"},
      {R"({"X":1)", "{ !EOF"},  // a number cut by the end may be longer
      {R"({"X":"ab)", "{ !EOF"},
      {"{\"X\":\"a\0b\"}", "{ !EOF"},
      {"[1,]", "[ =1:I !SYNTAX(Esperando tipo llega ])"},
      {R"({"a":1,})", "{ a=1:I !SYNTAX(Esperando nombre de objeto llega })"},
      {"[1x]", "[ !SYNTAX(Esperando n\xA3mero llega x)"},
      {"[1e]", "[ !SYNTAX(N\xA3mero inv\xA0lido 1e)"},
      {"[-]", "[ !SYNTAX(N\xA3mero inv\xA0lido -)"},
      {"[1}", "[ =1:I !SYNTAX(Cierre de objeto inesperado)"},
      {R"({"a":1])", "{ a=1:I !SYNTAX(Cierre de array inesperado)"},
      {R"({"a" 1})", "{ !SYNTAX(Esperando ':' llega 1)"},
      {R"({"a":1 "b":2})", "{ a=1:I !SYNTAX(Esperando separaci\xA2n llega \")"},
      {"[tru]", "[ !SYNTAX(Error esperando 'true')"},
      {"[nul]", "[ !SYNTAX(Error esperando 'null')"},
      {R"(["\x"])", "[ !SYNTAX(Escape inv\xA0lido \\x)"},
      {R"(["\u12G4"])", "[ !SYNTAX(Escape unicode inv\xA0lido (G))"},
      {R"(["\u0000"])", "[ !SYNTAX(Escape unicode nulo)"},
      {R"(["\ud83d"])", "[ !SYNTAX(Escape unicode inv\xA0lido (\\uD83D))"},
      {R"(["\ude00"])", "[ !SYNTAX(Escape unicode inv\xA0lido (\\uDE00))"},
      {"", "!EOF"},
      {"x", "!SYNTAX(Esperando tipo llega x)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Dump(c.doc), c.tokens) << c.doc;
}

TEST(JsonReader, LengthLimitsRefuseInsteadOfCutting) {
  const std::string name100(100, 'n'), value2048(2048, 'v');
  struct {
    std::string doc;
    bool ok;
    const char* context;
  } cases[] = {
      {"{\"" + name100 + "\":1}", true, ""},
      {"{\"" + name100 + "n\":1}", false, "Nombre de m\xA0s de 100 caracteres"},
      {"[\"" + value2048 + "\"]", true, ""},
      {"[\"" + value2048 + "v\"]", false, "Valor de m\xA0s de 2048 caracteres"},
      // Escapes count like any other character.
      {"[\"" + value2048.substr(1) + "\\n\"]", true, ""},
      {"[\"" + value2048 + "\\n\"]", false, "Valor de m\xA0s de 2048 caracteres"},
      {"[" + std::string(2049, '1') + "]", false, "Valor de m\xA0s de 2048 caracteres"},
  };
  for (const auto& c : cases) {
    std::string dump = Dump(c.doc);
    if (c.ok)
      EXPECT_EQ(dump.find('!'), dump.rfind("!EOF")) << dump.substr(0, 80);
    else
      EXPECT_NE(dump.find(std::string("!SYNTAX(") + c.context + ")"), std::string::npos)
          << dump.substr(0, 80);
  }
}

TEST(JsonReader, NestingIsBoundedAndDeepDocumentsFailCleanly) {
  EXPECT_EQ(Dump(std::string(30, '[') + std::string(30, ']')).substr(0, 2), "[ ");
  EXPECT_NE(Dump(std::string(30, '[') + std::string(30, ']')).find("] !EOF"), std::string::npos);
  EXPECT_NE(Dump(std::string(31, '[') + std::string(31, ']'), 100)
                .find("!SYNTAX(Anidamiento de m\xA0s de 30 niveles)"),
            std::string::npos);
  EXPECT_NE(Dump(std::string(100000, '['), 100).find("!SYNTAX(Anidamiento"), std::string::npos);
}

TEST(JsonReader, ResetStartsANewDocumentAndFailuresStick) {
  VXB::Driver::StringSource source(R"({"a":[)");
  Reader r(&source);
  Reader::Token t;
  ASSERT_TRUE(r.GetToken(t));
  ASSERT_TRUE(r.GetToken(t));
  EXPECT_EQ(r.Depth(), 2u);
  EXPECT_FALSE(r.GetToken(t));
  EXPECT_FALSE(r.GetToken(t));  // nothing more after a failure
  source.SetText(R"(["b"])");
  r.Reset();
  ASSERT_TRUE(r.GetToken(t));
  EXPECT_EQ(t.Type, Reader::OPEN_ARRAY);
  EXPECT_EQ(r.Depth(), 1u);
}

// The internal-set text nlohmann's UTF-8 strings stand for: the reader keeps
// characters up to U+00FF and turns others into one '?'.
std::string Internal(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += utf8[i++];
    } else if (c == 0xC3 && utf8[i + 1] == '\xA9') {
      out += '\x82';  // é
      i += 2;
    } else {
      out += '?';
      i += c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    }
  }
  return out;
}

// nlohmann's SAX events rendered in Dump's notation, for valid documents.
class SaxDump : public nlohmann::json_sax<nlohmann::json> {
 public:
  std::string out;
  std::vector<bool> in_object;
  std::string key_;

  void Value(const std::string& v, char type) {
    out += (in_object.empty() || in_object.back() ? key_ : "") + "=" + v + ":" + type + " ";
  }
  std::string Name() { return !in_object.empty() && in_object.back() ? key_ : ""; }
  bool null() override { return Value("", 'E'), true; }
  bool boolean(bool v) override { return Value(v ? "S\xA1" : "No", 'B'), true; }
  bool number_integer(number_integer_t v) override { return Value(std::to_string(v), 'I'), true; }
  bool number_unsigned(number_unsigned_t v) override { return Value(std::to_string(v), 'I'), true; }
  bool number_float(number_float_t, const string_t&) override { return false; }
  bool string(string_t& v) override { return Value(Internal(v), 'S'), true; }
  bool binary(binary_t&) override { return false; }
  bool start_object(std::size_t) override {
    out += "{" + Name() + " ";
    in_object.push_back(true);
    return true;
  }
  bool key(string_t& k) override { return key_ = Internal(k), true; }
  bool end_object() override {
    in_object.pop_back();
    out += "} ";
    return true;
  }
  bool start_array(std::size_t) override {
    out += "[" + Name() + " ";
    in_object.push_back(false);
    return true;
  }
  bool end_array() override {
    in_object.pop_back();
    out += "] ";
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }
};

// A random document of ASCII strings (escapes included), true, false, null,
// objects and arrays, written compactly or with white space.
std::string Generate(std::mt19937& rng, int depth) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto str = [&] {
    static const char* pieces[] = {
        "a",   "Z",       " ", "\\\"",     "\\\\",    "\\n",           "\\t",
        "\\/", "\\u0041", "1", "\xC3\xA9", "\\u00e9", "\\ud83d\\ude00"};
    std::string s = "\"";
    for (int i = pick(6); i > 0; --i) s += pieces[pick(13)];
    return s + "\"";
  };
  const char* ws = pick(2) ? "" : " \n\t";
  int kind = depth >= 6 ? pick(4) : pick(6);
  switch (kind) {
    case 0:
      return str();
    case 1:
      return pick(2) ? "true" : "false";
    case 2:
      return "null";
    case 3:
      return pick(2) ? std::to_string(rng() % 100000) : "-" + std::to_string(1 + rng() % 999);
    case 4: {
      std::string s = "{";
      for (int i = pick(4); i > 0; --i)
        s +=
            std::string(ws) + str() + ws + ":" + ws + Generate(rng, depth + 1) + (i > 1 ? "," : "");
      return s + ws + "}";
    }
    default: {
      std::string s = "[";
      for (int i = pick(4); i > 0; --i)
        s += std::string(ws) + Generate(rng, depth + 1) + (i > 1 ? "," : "");
      return s + ws + "]";
    }
  }
}

TEST(JsonReader, AgreesWithNlohmannOnGeneratedDocuments) {
  std::mt19937 rng(20261209);
  for (int i = 0; i < 500; ++i) {
    std::string doc;
    do doc = Generate(rng, 0);
    while (doc[0] != '{' && doc[0] != '[');
    SaxDump sax;
    ASSERT_TRUE(nlohmann::json::sax_parse(doc, &sax)) << doc;
    EXPECT_EQ(Dump(doc), sax.out + "!EOF") << doc;
  }
}

}  // namespace
