#include "vxb/common/base/fixed.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

namespace VXB::Types {
namespace {

TEST(Fixed, TextTable) {
  struct Case {
    std::int64_t units;
    unsigned prec;
    bool remove;
    const char* want;
  };
  const Case cases[] = {
      {12500000000, 2, true, "12.5"},
      {12500000000, 2, false, "12.50"},
      {7000000000, 0, true, "7"},
      {7000000000, 0, false, "7"},
      {7000000000, 3, false, "7.000"},
      {10000000000, 0, false, "10"},
      {-12500000000, 2, true, "-12.5"},
      {-500000000, 1, true, "-0.5"},
      {0, 2, false, "0.00"},
      {0, 0, true, "0"},
      {1, 9, true, "0.000000001"},
      {129, 8, false, "0.00000012"},  // cut, not rounded
      {999999999999999999, 9, true, "999999999.999999999"},
      {-999999999999999999, 9, true, "-999999999.999999999"},
      {-1, 2, false, "0.00"},  // no sign for a value shown as zero
      {-1, 9, false, "-0.000000001"},
  };
  for (const Case& c : cases) {
    fixed f(c.units, c.prec);
    ASSERT_TRUE(f.valid()) << c.units;
    EXPECT_STREQ(f.ToString(c.remove, false), c.want) << c.units << " prec " << c.prec;
  }
}

TEST(Fixed, InvalidValues) {
  EXPECT_TRUE(fixed().invalid());
  EXPECT_STREQ(fixed().ToString(), "-");
  EXPECT_TRUE(fixed(1000000000000000000, 0).invalid());  // 10 integer digits
  EXPECT_TRUE(fixed(-1000000000000000000, 0).invalid());
  EXPECT_TRUE(fixed(INT64_MIN, 0).invalid());
  EXPECT_TRUE(fixed(1, 10).invalid());
}

TEST(Fixed, FromText) {
  struct Case {
    const char* text;
    bool valid;
    std::int64_t units;
    unsigned prec;
  };
  const Case cases[] = {
      {"12.5", true, 12500000000, 1},
      {"-0.25", true, -250000000, 2},
      {"+3", true, 3000000000, 0},
      {".5", true, 500000000, 1},
      {"5.", true, 5000000000, 0},
      {"000000000123", true, 123000000000, 0},
      {"999999999.999999999", true, 999999999999999999, 9},
      {"1000000000", false, 0, 0},
      {"1.0000000001", false, 0, 0},
      {"", false, 0, 0},
      {"-", false, 0, 0},
      {".", false, 0, 0},
      {"1.2.3", false, 0, 0},
      {"12a", false, 0, 0},
      {" 1", false, 0, 0},
  };
  for (const Case& c : cases) {
    fixed f(c.text);
    EXPECT_EQ(f.valid(), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(f.Units(), c.units) << c.text;
      EXPECT_EQ(f.Precision(), c.prec) << c.text;
    }
  }
  EXPECT_TRUE(fixed(static_cast<const char*>(nullptr)).invalid());
  EXPECT_TRUE(fixed("1.50") == fixed(1500000000, 0));
  EXPECT_FALSE(fixed("1.5") == fixed());
  EXPECT_TRUE(fixed() == fixed("x"));
}

TEST(Fixed, CallerBufferIsCutAndTerminated) {
  fixed f(-12345678900000000, 9);  // -12345678.9
  char buf[32];
  EXPECT_EQ(f.ToString(buf, sizeof buf, true), 11u);
  EXPECT_STREQ(buf, "-12345678.9");
  EXPECT_EQ(f.ToString(buf, sizeof buf, false), 19u);
  EXPECT_STREQ(buf, "-12345678.900000000");

  char small[5];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(f.ToString(small, sizeof small, true), 4u);
  EXPECT_STREQ(small, "-123");

  char untouched = 'x';
  EXPECT_EQ(f.ToString(&untouched, 0, true), 0u);
  EXPECT_EQ(untouched, 'x');
  EXPECT_EQ(f.ToString(small, 1, true), 0u);
  EXPECT_STREQ(small, "");
}

TEST(Fixed, SlotRingKeepsTenTexts) {
  const char* texts[10];
  for (int i = 0; i < 10; ++i) texts[i] = fixed(std::int64_t{i} * 1000000000, 0).ToString();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(std::string(texts[i]), std::to_string(i));
  const char* eleventh = big_number(1100, 0).ToString();
  EXPECT_EQ(eleventh, texts[0]);  // fixed and big_number share the ring
  EXPECT_STREQ(texts[0], "11");
}

TEST(Fixed, DecimalSymbolIsPerType) {
  fixed::SetDecimalSymbol(',');
  EXPECT_STREQ(fixed(1500000000, 1).ToString(), "1,5");
  EXPECT_STREQ(big_number(150, 1).ToString(), "1.5");
  EXPECT_EQ(fixed("2,25").Units(), 2250000000);
  EXPECT_EQ(fixed("2.25").Units(), 2250000000);
  fixed::SetDecimalSymbol('.');
  EXPECT_EQ(fixed::DecimalSymbol(), '.');
}

TEST(BigNumber, TextTable) {
  struct Case {
    std::int64_t units;
    unsigned prec;
    bool remove;
    const char* want;
  };
  const Case cases[] = {
      {1250, 2, true, "12.5"},
      {1250, 2, false, "12.50"},
      {1250, 1, false, "12.5"},
      {1259, 1, false, "12.5"},
      {700, 0, false, "7"},
      {-5, 2, false, "-0.05"},
      {-5, 1, false, "0.0"},
      {999999999999999999, 2, false, "9999999999999999.99"},
      {-999999999999999999, 2, false, "-9999999999999999.99"},
  };
  for (const Case& c : cases) {
    big_number b(c.units, c.prec);
    ASSERT_TRUE(b.valid()) << c.units;
    EXPECT_STREQ(b.ToString(c.remove, false), c.want) << c.units;
  }
  EXPECT_TRUE(big_number(1000000000000000000, 2).invalid());
  EXPECT_TRUE(big_number(1, 3).invalid());
  EXPECT_STREQ(big_number().ToString(), "-");
  EXPECT_EQ(big_number("-12.3").Units(), -1230);
  EXPECT_TRUE(big_number("1.234").invalid());
  EXPECT_TRUE(big_number("12345678901234567").invalid());
  EXPECT_EQ(big_number("1234567890123456.78").Units(), 123456789012345678);
}

TEST(HugeNumber, TextTable) {
  struct Case {
    const char* text;
    unsigned prec;  // shown precision
    bool remove;
    const char* want;
  };
  const Case cases[] = {
      {"0", 0, true, "0"},
      {"12.5", 2, true, "12.5"},
      {"-7", 0, true, "-7"},
      {"999999999999999999.999999999", 9, true, "999999999999999999.999999999"},
      {"-999999999999999999.999999999", 9, true, "-999999999999999999.999999999"},
      {"123456789012345678.5", 3, false, "123456789012345678.500"},
      {"4294967296.000000001", 9, true, "4294967296.000000001"},
      {"18446744073.709551616", 9, true, "18446744073.709551616"},
  };
  for (const Case& c : cases) {
    huge_number h(c.text);
    ASSERT_TRUE(h.valid()) << c.text;
    huge_number shown(h.Units(), h.negative(), c.prec);
    ASSERT_TRUE(shown.valid()) << c.text;
    EXPECT_STREQ(shown.ToString(c.remove, false), c.want) << c.text;
  }
}

TEST(HugeNumber, Limits) {
  EXPECT_TRUE(huge_number("1000000000000000000").invalid());  // 19 integer digits
  EXPECT_TRUE(huge_number("1.0000000001").invalid());
  EXPECT_TRUE(huge_number("").invalid());
  EXPECT_STREQ(huge_number().ToString(), "-");

  huge_number::Magnitude all_ones;
  all_ones.big[0] = all_ones.big[1] = all_ones.big[2] = 0xFFFFFFFFu;
  EXPECT_TRUE(huge_number(all_ones, false, 0).invalid());

  // 10^27 - 1 is the largest magnitude, 10^27 is one too many.
  huge_number max("999999999999999999.999999999");
  ASSERT_TRUE(max.valid());
  huge_number::Magnitude over = max.Units();
  over.big[0] += 1;  // no carry: the low word of 10^27 - 1 is not all ones
  ASSERT_NE(max.Units().big[0], 0xFFFFFFFFu);
  EXPECT_TRUE(huge_number(over, false, 9).invalid());
}

TEST(HugeNumber, FromInt64) {
  EXPECT_STREQ(huge_number(INT64_MIN, 9).ToString(), "-9223372036.854775808");
  EXPECT_STREQ(huge_number(INT64_MAX, 9).ToString(), "9223372036.854775807");
  EXPECT_STREQ(huge_number(-1500000000, 1).ToString(), "-1.5");
  EXPECT_FALSE(huge_number(0, 0).negative());
  huge_number::Magnitude zero;
  EXPECT_FALSE(huge_number(zero, true, 0).negative());
  EXPECT_TRUE(huge_number(5, 10).invalid());
  EXPECT_TRUE(huge_number("1.5") == huge_number(1500000000, 1));
  EXPECT_FALSE(huge_number("1.5") == huge_number(-1500000000, 1));
}

TEST(HugeNumber, CallerBufferIsCut) {
  huge_number h("-999999999999999999.999999999");
  char buf[40];
  EXPECT_EQ(h.ToString(buf, sizeof buf, true), 29u);
  char small[8];
  EXPECT_EQ(h.ToString(small, sizeof small, true), 7u);
  EXPECT_STREQ(small, "-999999");
}

TEST(DecimalTexts, ThreadsKeepTheirOwnRings) {
  auto worker = [](std::int64_t base, bool* ok) {
    *ok = true;
    for (std::int64_t i = 0; i < 5000 && *ok; ++i) {
      const std::int64_t v = base + i;
      const char* s = fixed(v * 1000000000, 0).ToString();
      const char* h = huge_number(v * 1000000000, 0).ToString();
      if (std::to_string(v) != s || std::to_string(v) != h) *ok = false;
    }
  };
  bool ok1 = false;
  bool ok2 = false;
  std::thread t1(worker, 100000, &ok1);
  std::thread t2(worker, 700000, &ok2);
  t1.join();
  t2.join();
  EXPECT_TRUE(ok1);
  EXPECT_TRUE(ok2);
}

}  // namespace
}  // namespace VXB::Types
