// Character-set tables, conversions, escaping and entity decoding. The
// tables are compared byte by byte with mappings produced independently by
// Python's codecs (tests/data, made by tools/gen/make_codepage_tables.py).
#include "vxb/common/text/charset.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset_tables.h"

namespace {

using namespace VXB::ASCII;

// Code point of each byte (-1 where the codec has none).
std::array<int, 256> LoadCodePage(const std::string& file) {
  std::array<int, 256> t;
  t.fill(-2);
  std::ifstream in(std::string(ZORBEL_TEST_DATA_DIR) + "/" + file);
  EXPECT_TRUE(in.is_open()) << file;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string byte, cp;
    fields >> byte >> cp;
    int b = std::stoi(byte, nullptr, 16);
    t[static_cast<unsigned>(b)] = cp == "-" ? -1 : std::stoi(cp, nullptr, 16);
  }
  for (int v : t) EXPECT_NE(v, -2) << file << " lacks a byte";
  return t;
}

struct Pair {
  unsigned From;
  unsigned To;
};

// Internal characters that Latin-1 lacks, with the byte each becomes.
const Pair kLatin1Substitutes[] = {
    {0xB0, 0xA6}, {0xB1, 0xA6}, {0xB2, 0xA6}, {0xB3, 0xA6}, {0xB4, 0xA6}, {0xB9, 0xA6},
    {0xBA, 0xA6}, {0xCC, 0xA6}, {0xDB, 0xA6}, {0xFE, 0xA6}, {0xBB, 0x2B}, {0xBC, 0x2B},
    {0xBF, 0x2B}, {0xC0, 0x2B}, {0xC3, 0x2B}, {0xC5, 0x2B}, {0xC8, 0x2B}, {0xC9, 0x2B},
    {0xCE, 0x2B}, {0xD9, 0x2B}, {0xDA, 0x2B}, {0xC1, 0x2D}, {0xC2, 0x2D}, {0xC4, 0x2D},
    {0xCA, 0x2D}, {0xCB, 0x2D}, {0xCD, 0x2D}, {0x9F, 0x83}, {0xD5, 0x69}, {0xDC, 0x5F},
    {0xDF, 0xAF}, {0xF2, 0x3D},
};
// Control codes shown as symbols that Latin-1 has.
const Pair kControlSymbols[] = {{0x0F, 0xA4}, {0x14, 0xB6}, {0x15, 0xA7}};
// Latin-1 0x80..0x9F (Windows-1252 characters) to internal bytes.
const Pair kWindows1252[] = {
    {0x80, 0x3F}, {0x81, 0x3F}, {0x82, 0x27}, {0x83, 0x9F}, {0x84, 0x22}, {0x85, 0x2E},
    {0x86, 0xC5}, {0x87, 0xCE}, {0x88, 0x5E}, {0x89, 0x25}, {0x8A, 0x53}, {0x8B, 0x3C},
    {0x8C, 0x4F}, {0x8D, 0x3F}, {0x8E, 0x5A}, {0x8F, 0x3F}, {0x90, 0x3F}, {0x91, 0x27},
    {0x92, 0x27}, {0x93, 0x22}, {0x94, 0x22}, {0x95, 0x07}, {0x96, 0x2D}, {0x97, 0x2D},
    {0x98, 0x7E}, {0x99, 0x54}, {0x9A, 0x73}, {0x9B, 0x3E}, {0x9C, 0x6F}, {0x9D, 0x3F},
    {0x9E, 0x7A}, {0x9F, 0x59},
};

int Find(const Pair* table, std::size_t n, unsigned from) {
  for (std::size_t i = 0; i < n; ++i) {
    if (table[i].From == from) return static_cast<int>(table[i].To);
  }
  return -1;
}

std::string Utf8Of(unsigned cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

class CharsetTables : public ::testing::Test {
 protected:
  void SetUp() override {
    cp850 = LoadCodePage("cp850_to_unicode.txt");
    latin1 = LoadCodePage("latin1_to_unicode.txt");
    cp1252 = LoadCodePage("cp1252_to_unicode.txt");
  }
  std::array<int, 256> cp850{}, latin1{}, cp1252{};
};

TEST_F(CharsetTables, Latin1ByCP437MatchesTheCodePage) {
  unsigned lacking = 0;
  for (unsigned b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    int control = Find(kControlSymbols, std::size(kControlSymbols), b);
    int substitute = Find(kLatin1Substitutes, std::size(kLatin1Substitutes), b);
    int cp = cp850[b];
    ASSERT_GE(cp, 0);
    unsigned expected;
    if (control >= 0) {
      expected = static_cast<unsigned>(control);
    } else if (cp > 0xFF) {
      ++lacking;
      ASSERT_GE(substitute, 0) << "no substitute for a character Latin-1 lacks";
      expected = static_cast<unsigned>(substitute);
    } else {
      EXPECT_LT(substitute, 0) << "substitute listed for a character Latin-1 has";
      EXPECT_EQ(latin1[static_cast<unsigned>(cp)], cp);
      expected = static_cast<unsigned>(cp);
    }
    EXPECT_EQ(Latin1ByCP437[b], expected);
  }
  EXPECT_EQ(lacking, 32u);
}

TEST_F(CharsetTables, CP437ByLatin1MatchesTheCodePage) {
  for (unsigned l = 0; l < 256; ++l) {
    SCOPED_TRACE(l);
    if (l >= 0x80 && l < 0xA0) {
      int expected = Find(kWindows1252, std::size(kWindows1252), l);
      ASSERT_GE(expected, 0);
      EXPECT_EQ(CP437ByLatin1[l], static_cast<unsigned>(expected));
      // Where Windows-1252 has no character the result is '?'; where the
      // internal set has the very character it is used.
      if (cp1252[l] < 0) {
        EXPECT_EQ(CP437ByLatin1[l], '?');
      }
      for (unsigned b = 0x80; b < 256; ++b) {
        if (cp1252[l] >= 0 && cp850[b] == cp1252[l]) {
          EXPECT_EQ(CP437ByLatin1[l], b);
        }
      }
      continue;
    }
    // Every other Latin-1 character exists exactly once in the code page.
    int found = -1;
    for (unsigned b = 0; b < 256; ++b) {
      if (cp850[b] == latin1[l]) {
        EXPECT_EQ(found, -1) << "twice in the code page";
        found = static_cast<int>(b);
      }
    }
    ASSERT_GE(found, 0);
    EXPECT_EQ(CP437ByLatin1[l], static_cast<unsigned>(found));
  }
}

TEST_F(CharsetTables, TablesInvertEachOtherWhereLatin1HasTheCharacter) {
  for (unsigned b = 0x80; b < 256; ++b) {
    if (cp850[b] > 0xFF) continue;
    EXPECT_EQ(CP437ByLatin1[Latin1ByCP437[b]], b) << b;
  }
}

TEST_F(CharsetTables, ToUTF8OfEveryInternalByte) {
  for (unsigned b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char in[2] = {static_cast<char>(b), 0};
    char out[8];
    unsigned n = ToUTF8(in, out, sizeof(out));
    std::string expected;
    if (b < 0x80) {
      expected = std::string(1, static_cast<char>(b));  // control symbols included
    } else if (cp850[b] <= 0xFF) {
      expected = Utf8Of(static_cast<unsigned>(cp850[b]));
    } else {
      expected = Utf8Of(static_cast<unsigned>(Find(kLatin1Substitutes, 32, b)));
    }
    EXPECT_EQ(std::string(out, n), expected);
  }
}

TEST_F(CharsetTables, UTF8RoundTripOfEveryInternalByte) {
  for (unsigned b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char in[2] = {static_cast<char>(b), 0};
    char utf8[8], back[8];
    ASSERT_NE(ToUTF8(in, utf8, sizeof(utf8)), CONVERSION_FAILED);
    ASSERT_EQ(FromUTF8(utf8, back, sizeof(back)), 1u);
    unsigned expected = b;
    if (b >= 0x80 && cp850[b] > 0xFF) {
      expected = CP437ByLatin1[static_cast<unsigned>(Find(kLatin1Substitutes, 32, b))];
    }
    EXPECT_EQ(static_cast<unsigned char>(back[0]), expected);
  }
}

std::string FromUTF8String(const std::string& in);

// What a request's character becomes inside: itself where code page 850
// has it; a code point of 0x80..0x9F (C1 controls, in practice mislabelled
// windows-1252) and windows-1252's own characters become what the Latin-1
// reading makes of their windows-1252 byte; anything else '?'.
class CharsetDecoding : public CharsetTables {
 protected:
  unsigned Expected(int cp) {
    if (cp < 0) return '?';
    if (cp < 0x80) return static_cast<unsigned>(cp);
    if (cp < 0xA0) return CP437ByLatin1[static_cast<unsigned>(cp)];
    for (unsigned b = 0x80; b < 256; ++b) {
      if (cp850[b] == cp) return b;
    }
    for (unsigned w = 0x80; w < 0xA0; ++w) {
      if (cp1252[w] == cp) return CP437ByLatin1[w];
    }
    return '?';
  }
};

TEST_F(CharsetDecoding, EverySingleByteSetMatchesItsCodePage) {
  const auto cp437 = LoadCodePage("cp437_to_unicode.txt");
  const auto latin9 = LoadCodePage("latin9_to_unicode.txt");
  std::array<int, 256> ascii;
  for (int b = 0; b < 256; ++b) ascii[b] = b < 0x80 ? b : -1;
  const struct {
    Charsets Set;
    const std::array<int, 256>& Oracle;
  } sets[] = {
      {LATIN1, cp1252}, {IBM437, cp437}, {ISO_8859_15, latin9}, {US_ASCII, ascii}, {CP437, cp850},
  };
  for (const auto& set : sets) {
    for (unsigned b = 1; b < 256; ++b) {
      SCOPED_TRACE(std::string(ToString(set.Set)) + " byte " + std::to_string(b));
      const char in[2] = {static_cast<char>(b), 0};
      char out[4];
      ASSERT_EQ(FromCharset(in, out, sizeof(out), set.Set), 1u);
      const unsigned expected = set.Set == CP437 ? b : Expected(set.Oracle[b]);
      EXPECT_EQ(static_cast<unsigned char>(out[0]), expected);
    }
  }
}

TEST_F(CharsetDecoding, EveryUTF8CharacterMatchesTheSameRule) {
  for (std::uint32_t cp = 1; cp < 0x3000; ++cp) {
    if (cp >= 0xD800 && cp < 0xE000) continue;
    std::string in;
    if (cp < 0x80) {
      in += static_cast<char>(cp);
    } else if (cp < 0x800) {
      in += static_cast<char>(0xC0 | (cp >> 6));
      in += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      in += static_cast<char>(0xE0 | (cp >> 12));
      in += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      in += static_cast<char>(0x80 | (cp & 0x3F));
    }
    SCOPED_TRACE(cp);
    ASSERT_EQ(FromUTF8String(in).size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(FromUTF8String(in)[0]), Expected(static_cast<int>(cp)));
    EXPECT_EQ(static_cast<unsigned char>(FromCodePoint(cp)), Expected(static_cast<int>(cp)));
  }
}

TEST(CharsetNames, ToStringAndFromString) {
  EXPECT_STREQ(ToString(NO_CHARSET), "NO CHARSET");
  EXPECT_STREQ(ToString(CP437), "CP437");
  EXPECT_STREQ(ToString(UTF8), "UTF-8");
  EXPECT_STREQ(ToString(LATIN1), "ISO-8859-1");
  EXPECT_STREQ(ToString(static_cast<Charsets>(9)), "UNKNOWN");

  const struct {
    const char* Name;
    Charsets Expected;
    bool Ok;
  } cases[] = {
      {"utf8", UTF8, true},
      {"UTF-8", UTF8, true},
      {"Utf-8", UTF8, true},
      {"LATIN1", LATIN1, true},
      {"iso-8859-1", LATIN1, true},
      {"cp819", LATIN1, true},
      {"IBM819", LATIN1, true},
      {"L1", LATIN1, true},
      {"Windows-1252", LATIN1, true},
      {"ISO_8859-1", LATIN1, true},
      {"CP1252", LATIN1, true},
      {"x-cp1252", LATIN1, true},
      {"ibm437", IBM437, true},
      {"437", IBM437, true},
      {"Cp437", IBM437, true},
      {"IBM850", CP437, true},
      {"cp850", CP437, true},
      {"us-ascii", US_ASCII, true},
      {"ISO-8859-15", ISO_8859_15, true},
      {"KOI8-R", NO_CHARSET, false},
      {"", NO_CHARSET, false},
      {"UTF-88", NO_CHARSET, false},
      {"UTF", NO_CHARSET, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Charsets got = LATIN1;
    EXPECT_EQ(FromString(c.Name, got), c.Ok);
    EXPECT_EQ(got, c.Expected);
  }
  Charsets got = UTF8;
  EXPECT_FALSE(FromString(nullptr, got));
  EXPECT_EQ(got, NO_CHARSET);
}

TEST(CharsetCharacters, SingleCharacterConversions) {
  EXPECT_FALSE(IsUTF8Multibyte('A'));
  EXPECT_TRUE(IsUTF8Multibyte('\x80'));
  EXPECT_TRUE(IsUTF8Multibyte('\xFF'));
  EXPECT_TRUE(IsUTF8Latin1('\xC2'));
  EXPECT_TRUE(IsUTF8Latin1('\xC3'));
  EXPECT_FALSE(IsUTF8Latin1('\xC4'));

  char c = 'x';
  EXPECT_TRUE(FromUTF8Multibyte('\xC3', '\xA1', c));
  EXPECT_EQ(c, '\xA0');  // a with acute
  EXPECT_TRUE(FromUTF8Multibyte('\xC2', '\xBF', c));
  EXPECT_EQ(c, '\xA8');  // inverted question mark
  c = 'x';
  EXPECT_FALSE(FromUTF8Multibyte('\xC3', 0, c));
  EXPECT_FALSE(FromUTF8Multibyte('\xC3', '"', c));     // not a continuation byte
  EXPECT_FALSE(FromUTF8Multibyte('\xC3', '\xC3', c));  // another lead byte
  EXPECT_FALSE(FromUTF8Multibyte('\xE2', '\x82', c));
  EXPECT_EQ(c, 'x');

  // Negative chars index the tables as unsigned bytes.
  EXPECT_TRUE(FromLatin1('\xE9', c));
  EXPECT_EQ(c, '\x82');
  EXPECT_TRUE(FromLatin1('\x93', c));
  EXPECT_EQ(c, '"');
  EXPECT_TRUE(ToLatin1('\xA4', c));
  EXPECT_EQ(c, '\xF1');
  EXPECT_TRUE(ToLatin1('\xFF', c));
  EXPECT_EQ(c, '\xA0');
  EXPECT_TRUE(ToLatin1('\x0F', c));
  EXPECT_EQ(c, '\xA4');
}

std::string FromUTF8String(const std::string& in) {
  char out[64];
  unsigned n = FromUTF8(in.c_str(), out, sizeof(out));
  EXPECT_NE(n, CONVERSION_FAILED);
  return std::string(out, n);
}

TEST(CharsetUTF8, MalformedInput) {
  const struct {
    const char* Name;
    std::string In;
    std::string Out;
  } cases[] = {
      {"pair", "\xC3\xA1", "\xA0"},
      {"capital n tilde", "\xC3\x91", "\xA5"},
      {"euro sign, not in the set", "\xE2\x82\xAC", "?"},
      {"curly quote as windows-1252 reads it", "\xE2\x80\x99s", "'s"},
      {"box drawing in the set", "\xE2\x95\x90", "\xCD"},
      {"f with hook in the set", "\xC6\x92", "\x9F"},
      {"sequence broken by a letter", "\xE2\x80x", "?x"},
      {"sequence cut at the end", "ab\xE2\x80", "ab?"},
      {"lead then quote", "\xC3\"x\"", "?\"x\""},
      {"lead then bracket", "[\xC3]", "[?]"},
      {"lead then lead pair", "\xC3\xC3\xA9", "?\x82"},
      {"lead at the end", "ab\xC3", "ab?"},
      {"lone continuation", "\xA9z", "?z"},
      {"overlong slash", "\xC0\xAF", "??"},
      {"overlong C1", "\xC1\x81", "??"},
      {"surrogate", "\xED\xA0\x80", "???"},
      {"four-byte sequence", "\xF0\x9F\x98\x80!", "?!"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", "????"},
      {"C1 control via C2", "\xC2\x93", "\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FromUTF8String(c.In), c.Out);
  }
}

TEST(CharsetUTF8, UTF8ToLatin1KeepsTheLatin1Value) {
  char out[16];
  EXPECT_EQ(UTF8ToLatin1("\xC3\xA9\xC2\xA4", out, sizeof(out)), 2u);
  EXPECT_STREQ(out, "\xE9\xA4");
  EXPECT_EQ(Latin1ToUTF8("\xE9<", out, sizeof(out), XML_ENTITIES), 6u);
  EXPECT_STREQ(out, "\xC3\xA9&lt;");
}

std::string ToLatin1String(const char* in, Entities e) {
  char out[128];
  unsigned n = ToLatin1(in, out, sizeof(out), e);
  EXPECT_NE(n, CONVERSION_FAILED);
  return std::string(out, n);
}

TEST(CharsetEscaping, PerMode) {
  const struct {
    Entities Mode;
    const char* In;
    const char* Out;
  } cases[] = {
      {XML_ENTITIES, "a<b&'c'", "a&lt;b&amp;&apos;c&apos;"},
      {XML_ENTITIES, "\"x\">\t", "&quot;x&quot;&gt;\t"},
      {HTML_ENTITIES, "a\tb'\n\r", "a&#09;b'&#10;&#13;"},
      {HTML_ENTITIES, "<&\">", "&lt;&amp;&quot;&gt;"},
      {JSON_ENTITIES, "say \"hi\" \\ <&>", "say \\\"hi\\\" \\\\ <&>"},
      {NO_ENTITIES, "<&\"'\\>", "<&\"'\\>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.In);
    EXPECT_EQ(ToLatin1String(c.In, c.Mode), c.Out);
  }
  char out[32];
  EXPECT_EQ(ToUTF8("\xA4<", out, sizeof(out), XML_ENTITIES), 6u);
  EXPECT_STREQ(out, "\xC3\xB1&lt;");
  // Towards the internal set nothing is escaped.
  EXPECT_EQ(ToCharset("<&>", out, sizeof(out), CP437, XML_ENTITIES), 3u);
  EXPECT_STREQ(out, "<&>");
  EXPECT_EQ(ToCharset("<\xC4", out, sizeof(out), UTF8, HTML_ENTITIES), 5u);
  EXPECT_STREQ(out, "&lt;-");
  EXPECT_EQ(ToCharset("\xA0", out, sizeof(out), LATIN1, HTML_ENTITIES), 1u);
  EXPECT_STREQ(out, "\xE1");
}

TEST(CharsetEscaping, BeginAndEndCharacters) {
  EXPECT_EQ(GetEntityBeginChar(HTML_ENTITIES), '&');
  EXPECT_EQ(GetEntityEndChar(HTML_ENTITIES), ';');
  EXPECT_EQ(GetEntityBeginChar(XML_ENTITIES), '&');
  EXPECT_EQ(GetEntityEndChar(XML_ENTITIES), ';');
  EXPECT_EQ(GetEntityBeginChar(JSON_ENTITIES), '\\');
  EXPECT_EQ(GetEntityEndChar(JSON_ENTITIES), 0);
  EXPECT_EQ(GetEntityBeginChar(NO_ENTITIES), 0);
  EXPECT_EQ(GetEntityEndChar(NO_ENTITIES), 0);
}

TEST(CharsetEntities, Decoding) {
  const struct {
    Entities Mode;
    const char* Text;
    bool Ok;
    char Expected;
  } cases[] = {
      {XML_ENTITIES, "amp", true, '&'},
      {XML_ENTITIES, "lt", true, '<'},
      {XML_ENTITIES, "gt", true, '>'},
      {XML_ENTITIES, "quot", true, '"'},
      {XML_ENTITIES, "apos", true, '\''},
      {HTML_ENTITIES, "apos", false, 0},
      {HTML_ENTITIES, "#09", true, '\t'},
      {HTML_ENTITIES, "#10", true, '\n'},
      {HTML_ENTITIES, "#13", true, '\r'},
      {HTML_ENTITIES, "quot", true, '"'},
      // Names match whole.
      {XML_ENTITIES, "ampersand", false, 0},
      {XML_ENTITIES, "ltx", false, 0},
      {XML_ENTITIES, "am", false, 0},
      {XML_ENTITIES, "AMP", false, 0},
      {XML_ENTITIES, "", false, 0},
      // Numeric references, read as Latin-1.
      {XML_ENTITIES, "#65", true, 'A'},
      {XML_ENTITIES, "#x41", true, 'A'},
      {XML_ENTITIES, "#X4a", true, 'J'},
      {XML_ENTITIES, "#233", true, '\x82'},
      {XML_ENTITIES, "#xE9", true, '\x82'},
      {XML_ENTITIES, "#255", true, '\x98'},
      {XML_ENTITIES, "#0000000065", true, 'A'},
      {XML_ENTITIES, "#00000000065", true, 'A'},
      {XML_ENTITIES, "#256", false, 0},
      {XML_ENTITIES, "#300", false, 0},
      {XML_ENTITIES, "#0", false, 0},
      {XML_ENTITIES, "#x0", false, 0},
      {XML_ENTITIES, "#x00", false, 0},
      {XML_ENTITIES, "#4294967361", false, 0},  // 2^32 + 65 must not wrap to 'A'
      {XML_ENTITIES, "#18446744073709551681", false, 0},
      {XML_ENTITIES, "#x100000041", false, 0},
      {XML_ENTITIES, "#", false, 0},
      {XML_ENTITIES, "#x", false, 0},
      {XML_ENTITIES, "#12a", false, 0},
      {XML_ENTITIES, "#-1", false, 0},
      {XML_ENTITIES, "#xG1", false, 0},
      {XML_ENTITIES, "# 65", false, 0},
      {JSON_ENTITIES, "\"", true, '"'},
      {JSON_ENTITIES, "\\", true, '\\'},
      {JSON_ENTITIES, "n", false, 0},
      {JSON_ENTITIES, "\"\"", false, 0},
      {NO_ENTITIES, "amp", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    char got = '#';
    EXPECT_EQ(FromEntity(c.Text, got, c.Mode), c.Ok);
    EXPECT_EQ(got, c.Ok ? c.Expected : '#');
  }
  char got = 0;
  EXPECT_FALSE(FromEntity(nullptr, got, XML_ENTITIES));
}

// A buffer with guard bytes on both sides, to see writes beyond it.
struct GuardedBuffer {
  static constexpr unsigned GUARD = 16;
  explicit GuardedBuffer(unsigned size) : Size(size) { std::memset(Raw, 0x5A, sizeof(Raw)); }
  char* Data() { return Raw + GUARD; }
  bool GuardsIntact() const {
    for (unsigned i = 0; i < GUARD; ++i) {
      if (Raw[i] != 0x5A) return false;
    }
    for (unsigned i = GUARD + Size; i < sizeof(Raw); ++i) {
      if (Raw[i] != 0x5A) return false;
    }
    return true;
  }
  unsigned Size;
  char Raw[256];
};

TEST(CharsetBuffers, TextThatDoesNotFitIsRefused) {
  using Fn = unsigned (*)(const char*, char*, unsigned, Entities);
  const struct {
    const char* Name;
    Fn Convert;
    const char* In;
    Entities Mode;
    const char* Out;  // converted text when it fits
  } cases[] = {
      {"ToLatin1", ToLatin1, "ab<c", XML_ENTITIES, "ab&lt;c"},
      {"ToUTF8", ToUTF8, "a\xA4\xA4", NO_ENTITIES, "a\xC3\xB1\xC3\xB1"},
      {"ToUTF8 escape", ToUTF8, "x\"", HTML_ENTITIES, "x&quot;"},
      {"Latin1ToUTF8", Latin1ToUTF8, "\xE9\xE9", NO_ENTITIES, "\xC3\xA9\xC3\xA9"},
      {"FromUTF8", FromUTF8, "\xC3\xA1\xC3\xA1z", NO_ENTITIES, "\xA0\xA0z"},
      {"FromLatin1", FromLatin1, "\xE9\xE9z", NO_ENTITIES, "\x82\x82z"},
      {"UTF8ToLatin1", UTF8ToLatin1, "\xC3\xA9", NO_ENTITIES, "\xE9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const unsigned needed = static_cast<unsigned>(std::strlen(c.Out));
    // Exactly enough room: converted whole.
    {
      GuardedBuffer b(needed + 1);
      EXPECT_EQ(c.Convert(c.In, b.Data(), b.Size, c.Mode), needed);
      EXPECT_STREQ(b.Data(), c.Out);
      EXPECT_TRUE(b.GuardsIntact());
    }
    // Any smaller buffer: refused, left empty, nothing written beyond it.
    for (unsigned size = 1; size <= needed; ++size) {
      SCOPED_TRACE(size);
      GuardedBuffer b(size);
      VXB::Error::OK();
      EXPECT_EQ(c.Convert(c.In, b.Data(), b.Size, c.Mode), CONVERSION_FAILED);
      EXPECT_STREQ(b.Data(), "");
      EXPECT_TRUE(b.GuardsIntact());
      EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::IO_PARAM_ERROR);
    }
    GuardedBuffer b(0);
    EXPECT_EQ(c.Convert(c.In, b.Data(), 0, c.Mode), CONVERSION_FAILED);
    EXPECT_TRUE(b.GuardsIntact());
  }
}

TEST(CharsetBuffers, EmptyAndNullSources) {
  char out[4] = "zz";
  EXPECT_EQ(ToUTF8("", out, 1), 0u);
  EXPECT_STREQ(out, "");
  out[0] = 'z';
  EXPECT_EQ(FromUTF8(nullptr, out, sizeof(out)), 0u);
  EXPECT_STREQ(out, "");
}

TEST(CharsetBuffers, ToCharsetAndFromCharsetDispatch) {
  char out[16];
  EXPECT_EQ(ToCharset("\xA4", out, sizeof(out), UTF8), 2u);
  EXPECT_STREQ(out, "\xC3\xB1");
  EXPECT_EQ(ToCharset("\xA4", out, sizeof(out), LATIN1), 1u);
  EXPECT_STREQ(out, "\xF1");
  EXPECT_EQ(ToCharset("\xA4", out, sizeof(out), NO_CHARSET), 1u);
  EXPECT_STREQ(out, "\xA4");
  EXPECT_EQ(FromCharset("\xC3\xB1", out, sizeof(out), UTF8), 1u);
  EXPECT_STREQ(out, "\xA4");
  EXPECT_EQ(FromCharset("\xF1", out, sizeof(out), LATIN1), 1u);
  EXPECT_STREQ(out, "\xA4");
  EXPECT_EQ(FromCharset("\xF1", out, sizeof(out), CP437), 1u);
  EXPECT_STREQ(out, "\xF1");
  // An unknown set is a failure, not an empty success.
  std::strcpy(out, "old");
  EXPECT_EQ(ToCharset("abc", out, sizeof(out), static_cast<Charsets>(7)), CONVERSION_FAILED);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(FromCharset("abc", out, sizeof(out), static_cast<Charsets>(7)), CONVERSION_FAILED);
}

TEST(CharsetBuffers, PiecewiseConversionCoversLongTexts) {
  std::string in;
  for (int i = 0; i < 1500; ++i) in += (i % 3 == 0) ? "\xA4" : (i % 3 == 1 ? "<" : "z");
  std::string out;
  const char* p = in.c_str();
  char piece[17];
  while (*p != 0) {
    PartialConversion c = ToCharsetPartially(p, piece, 16, UTF8, XML_ENTITIES);
    ASSERT_GT(c.Read, 0u);
    ASSERT_LE(c.Written, 16u);
    out.append(piece, c.Written);
    p += c.Read;
  }
  std::string expected;
  for (int i = 0; i < 1500; ++i)
    expected += (i % 3 == 0) ? "\xC3\xB1" : (i % 3 == 1 ? "&lt;" : "z");
  EXPECT_EQ(out, expected);

  // A UTF-8 pair is consumed whole or not at all.
  PartialConversion c = FromCharsetPartially("a\xC3\xA9", piece, 1, UTF8);
  EXPECT_EQ(c.Read, 1u);
  c = FromCharsetPartially("\xC3\xA9", piece, 1, UTF8);
  EXPECT_EQ(c.Read, 2u);
  EXPECT_EQ(c.Written, 1u);
  EXPECT_EQ(piece[0], '\x82');
}

}  // namespace
