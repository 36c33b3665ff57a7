#include "vxb/common/base/ascii.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

namespace VXB::ASCII {
namespace {

TEST(AsciiToString, UnsignedAndSignedForms) {
  struct Case {
    const char* got;
    const char* want;
  };
  const Case cases[] = {
      {ToString(Byte{255}), "255"},
      {ToString(Byte{255}, true), "FF"},
      {ToString(Byte{10}, true), "A"},
      {ToString(std::uint32_t{0}), "0"},
      {ToString(std::uint32_t{4294967294u}), "4294967294"},
      {ToString(std::uint32_t{0xFFFFFFFFu}), "-"},
      {ToString(std::uint32_t{0xFFFFFFFFu}, true), "FFFFFFFF"},
      {ToString(std::uint32_t{0xABCu}, true), "ABC"},
      {ToString(std::int32_t{-1}), "-1"},
      {ToString(std::int32_t{-1}, true), "FFFFFFFF"},
      {ToString(std::int32_t{INT32_MIN}), "-2147483648"},
      {ToString(std::int64_t{-1}, true), "FFFFFFFFFFFFFFFF"},
      {ToString(std::int64_t{INT64_MIN}), "-9223372036854775808"},
      {ToString(std::uint64_t{~std::uint64_t{0}}), "-"},
      {ToString(std::uint64_t{~std::uint64_t{0}}, true), "ffffffffffffffff"},
      {ToString(std::uint64_t{0xABCDEFu}, true), "abcdef"},
      {ToString(std::uint64_t{18446744073709551614u}), "18446744073709551614"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.got, c.want);
}

TEST(AsciiToString, ZeroPadded) {
  EXPECT_STREQ(ToStringZPadded(std::int32_t{26}, 4, true), "001A");
  EXPECT_STREQ(ToStringZPadded(std::int32_t{7}, 3), "007");
  EXPECT_STREQ(ToStringZPadded(std::int32_t{-7}, 4), "-007");
  EXPECT_STREQ(ToStringZPadded(std::int32_t{12345}, 3), "12345");
  EXPECT_STREQ(ToStringZPadded(std::int32_t{-1}, 2, true), "FFFFFFFF");
  EXPECT_STREQ(ToStringZPadded(std::uint32_t{26}, 4, true), "001A");
  EXPECT_STREQ(ToStringZPadded(std::uint32_t{7}, 3), "007");
  EXPECT_STREQ(ToStringZPadded(std::uint32_t{0xFFFFFFFFu}, 8, true), "-");
  EXPECT_STREQ(ToStringZPadded(std::uint32_t{0xFFFFFFFFu}, 8), "-");
}

TEST(AsciiToString, HugePaddingIsCutToTheTextPiece) {
  const char* s = ToStringZPadded(std::int32_t{5}, 100000);
  EXPECT_EQ(std::strlen(s), 63u);
  EXPECT_EQ(s[62], '5');
}

TEST(AsciiToString, Bool) {
  EXPECT_STREQ(ToString(true), "S\xA1");
  EXPECT_STREQ(ToString(false), "No");
}

TEST(AsciiToString, Char) {
  struct Case {
    int code;
    const char* want;
  };
  const Case cases[] = {
      {0, "NUL"},   {2, "STX"},  {9, "HT"},      {28, "FS"},     {31, "US"},
      {127, "DEL"}, {'a', "a"},  {' ', " "},     {'~', "~"},     {0xF3, "."},
      {0x80, "."},  {0xFF, "."}, {0xA0, "\xA0"}, {0x9A, "\x9A"}, {0xA5, "\xA5"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(ToString(static_cast<char>(c.code)), c.want) << "code " << c.code;
  }
}

TEST(AsciiIsPrintable, EveryCode) {
  for (int code = 0; code < 256; ++code) {
    bool want = (code >= 32 && code <= 126) || code == 0x81 || code == 0x82 || code == 0x9A ||
                (code >= 0xA0 && code <= 0xA5);
    EXPECT_EQ(IsPrintable(static_cast<char>(code)), want) << "code " << code;
  }
}

TEST(AsciiFromText, Decimal) {
  struct Case {
    const char* text;
    std::uint32_t want;
  };
  const Case cases[] = {
      {"-", 0xFFFFFFFFu},
      {"12abc", 12},
      {"", 0},
      {"abc", 0},
      {"  42", 42},
      {"+7", 7},
      {"0", 0},
      {"4294967294", 4294967294u},
      {"4294967295", 0xFFFFFFFFu},
      {"4294967296", 0xFFFFFFFFu},
      {"99999999999999999999999999", 0xFFFFFFFFu},
      {"-5", 0xFFFFFFFFu},
      {"-0", 0},
      {"--5", 0},
      {"- 5", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FromDecimalUnsigned(c.text), c.want) << c.text;
  EXPECT_EQ(FromDecimalUnsigned(nullptr), 0u);
}

TEST(AsciiFromText, Hex) {
  struct Case {
    const char* text;
    std::uint32_t want;
  };
  const Case cases[] = {
      {"1A", 0x1A},
      {"1a", 0x1A},
      {"0x1F", 0x1F},
      {"0X1f", 0x1F},
      {"0x", 0},
      {"0xg", 0},
      {"ffffffff", 0xFFFFFFFFu},
      {"FFFFFFFE", 0xFFFFFFFEu},
      {"100000000", 0xFFFFFFFFu},
      {"-1", 0xFFFFFFFFu},
      {"  7g", 7},
      {"", 0},
      {"zz", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FromHex(c.text), c.want) << c.text;
}

TEST(AsciiTests, IsNumericAndIsHex) {
  struct Case {
    const char* text;
    bool numeric;
    bool signed_numeric;
    bool hex;
  };
  const Case cases[] = {
      {"", true, true, true},
      {"0123456789", true, true, true},
      {"-12", false, true, false},
      {"1-2", false, false, false},
      {"--1", false, false, false},
      {"12a", false, false, true},
      {"abcdefABCDEF", false, false, true},
      {"0x1", false, false, false},
      {"g", false, false, false},
      {" 1", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNumeric(c.text), c.numeric) << c.text;
    EXPECT_EQ(IsNumeric(c.text, true), c.signed_numeric) << c.text;
    EXPECT_EQ(IsHex(c.text), c.hex) << c.text;
  }
}

TEST(AsciiToIdentifier, ConvertsAndCuts) {
  EXPECT_STREQ(ToIdentifier("Content-Type"), "CONTENT_TYPE");
  EXPECT_STREQ(ToIdentifier("a1 b\xA0"), "A1_B_");
  EXPECT_STREQ(ToIdentifier(""), "");
  const std::string longer(150, 'x');
  EXPECT_EQ(std::string(ToIdentifier(longer.c_str())), std::string(99, 'X'));
}

TEST(AsciiToIdentifier, TwentyFirstCallReusesTheFirstBuffer) {
  const char* first = ToIdentifier("first");
  for (int i = 0; i < 19; ++i) EXPECT_NE(ToIdentifier("other"), first);
  EXPECT_EQ(ToIdentifier("again"), first);
  EXPECT_STREQ(first, "AGAIN");
}

TEST(AsciiPool, EleventhKilobyteTextOverwritesTheFirst) {
  // Start from the beginning of the pool: a request for the whole pool
  // always wraps the cursor to the start and leaves it at the end.
  unsigned whole = POOL_BUFFER_SIZE * POOL_BUFFERS;
  GetBuffer(whole);
  char* texts[11];
  for (int i = 0; i < 11; ++i) {
    unsigned size = 1000;
    texts[i] = GetBuffer(size);
    ASSERT_EQ(size, 1000u);
    std::memset(texts[i], 'a' + i, 999);
    texts[i][999] = '\0';
  }
  for (int i = 1; i < 10; ++i) EXPECT_EQ(texts[i][0], 'a' + i);
  EXPECT_EQ(texts[10], texts[0]);
  EXPECT_EQ(texts[0][0], 'a' + 10);
}

TEST(AsciiPool, OversizedRequestReportsTheSizeHandedOut) {
  unsigned size = 1u << 30;
  char* p = GetBuffer(size);
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(size, POOL_BUFFER_SIZE * POOL_BUFFERS);
  p[size - 1] = 'z';  // the whole pool is usable
  unsigned small = 10;
  EXPECT_NE(GetBuffer(small), nullptr);
  EXPECT_EQ(small, 10u);
}

TEST(AsciiPool, ThreadsNeverSeeEachOthersTexts) {
  auto worker = [](std::uint32_t base, bool* ok) {
    for (std::uint32_t i = 0; i < 20000; ++i) {
      const std::uint32_t v = base + i;
      const char* s = ToString(v);
      const std::string want = std::to_string(v);
      if (want != s) {
        *ok = false;
        return;
      }
    }
    *ok = true;
  };
  bool ok1 = false;
  bool ok2 = false;
  std::thread t1(worker, 1000000u, &ok1);
  std::thread t2(worker, 3000000u, &ok2);
  t1.join();
  t2.join();
  EXPECT_TRUE(ok1);
  EXPECT_TRUE(ok2);
}

TEST(AsciiBytes, HumanTexts) {
  struct Case {
    std::uint64_t n;
    const char* want;
  };
  const Case cases[] = {
      {0, "0 bytes"},
      {5, "5 bytes"},
      {1023, "1023 bytes"},
      {1024, "1KB"},
      {1536, "1.5KB"},
      {2048, "2KB"},
      {1048576, "1MB"},
      {1048576 + 262144, "1.25MB"},
      {0x40000000ull, "1GB"},
      {0x3FFFFFFFull, "1024MB"},
      {5ull * 1073741824, "5GB"},
      {~std::uint64_t{0}, "17179869184GB"},
  };
  for (const Case& c : cases) EXPECT_STREQ(Bytes(c.n).ToString(), c.want) << c.n;
}

TEST(AsciiMilliseconds, HumanTexts) {
  struct Case {
    std::uint64_t n;
    const char* want;
  };
  const Case cases[] = {
      {0, "0ms"},
      {1999, "1999ms"},
      {2000, "2s"},
      {2500, "2s 500ms"},
      {60000, "1m"},
      {3600000, "1h"},
      {3600000 + 2 * 60000 + 3000 + 4, "1h 2m 3s 4ms"},
      {3600000 + 4, "1h 4ms"},
      {100ull * 3600000, "100h"},
  };
  for (const Case& c : cases) EXPECT_STREQ(Milliseconds(c.n).ToString(), c.want) << c.n;
}

// The three forms must agree with each other on every pair: whole texts,
// ASCII letters only folded, a prefix never equal, null as empty.
TEST(EqualsIgnoringCaseTest, AllFormsAgree) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"Cantidad", "CANTIDAD", true},
      {"cantidad", "Cantidad", true},
      {"Cantidad", "Cantida", false},
      {"Cantida", "Cantidad", false},
      {"", "", true},
      {"", "a", false},
      {"@", "`", false},
      {"[", "{", false},
      {"\xA4", "\xA5", false},
      {"Se\xA4or", "SE\xA4OR", true},
      {"a1_", "A1_", true},
      {"ab", "aB ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(EqualsIgnoringCase(std::string_view(c.a), std::string_view(c.b)), c.equal);
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal);
    EXPECT_EQ(EqualsIgnoringCase(c.a, std::string_view(c.b)), c.equal);
  }
  EXPECT_TRUE(EqualsIgnoringCase(static_cast<const char*>(nullptr), ""));
  EXPECT_FALSE(EqualsIgnoringCase(nullptr, "x"));
  // A word with a NUL inside is longer than the terminated text.
  EXPECT_FALSE(EqualsIgnoringCase("ab", std::string_view("ab\0", 3)));
}

}  // namespace
}  // namespace VXB::ASCII
