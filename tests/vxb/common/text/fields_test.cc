#include "vxb/common/text/fields.h"

#include "vxb/common/runtime/error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VXB {
namespace {

constexpr char FS = 0x1C;

FieldsBySeparators ProtocolFields() {
  FieldsBySeparators f;
  f.ResetSeparators();
  f.AddSeparator(FS);
  f.SetConsecutiveSeparatorsIsField(true);
  return f;
}

std::vector<std::string> AllFields(const Fields& f) {
  std::vector<std::string> out;
  for (unsigned i = 0; i < f.GetNumberOfFields(); ++i) {
    unsigned size = 0;
    const Byte* b = f.GetBinaryField(i, size);
    out.emplace_back(reinterpret_cast<const char*>(b), size);
  }
  return out;
}

std::string Text(const Fields& f) {
  unsigned size = 0;
  const Byte* b = f.GetBinary(size);
  return b != nullptr ? std::string(reinterpret_cast<const char*>(b), size) : std::string();
}

TEST(FieldsSplit, ProtocolSeparatorKeepsEmptyFields) {
  struct Case {
    std::string text;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"A\x1C"
       "B",
       {"A", "B"}},
      {"A\x1C", {"A", ""}},
      {"\x1C"
       "A",
       {"", "A"}},
      {"A\x1C\x1C"
       "B",
       {"A", "", "B"}},
      {"", {}},
      {"\x1C", {"", ""}},
      {"AB CD", {"AB CD"}},
  };
  for (const Case& c : cases) {
    FieldsBySeparators f = ProtocolFields();
    f.FromString(c.text.c_str());
    EXPECT_EQ(f.Split(), c.want.size()) << c.text;
    EXPECT_EQ(AllFields(f), c.want) << c.text;
  }
}

TEST(FieldsSplit, DefaultSeparatorsSkipRuns) {
  FieldsBySeparators f("  a\tb\n");
  EXPECT_EQ(f.Split(), 2u);
  EXPECT_STREQ(f.GetTextField(0), "a");
  EXPECT_STREQ(f.GetTextField(1), "b");

  f.FromString("one  two\r\n\tthree");
  EXPECT_EQ(f.Split(), 3u);
  EXPECT_STREQ(f.GetTextField(2), "three");

  f.FromString(" \t ");
  EXPECT_EQ(f.Split(), 0u);
}

TEST(FieldsSplit, NoTextAndPlainFields) {
  FieldsBySeparators f;
  EXPECT_EQ(f.Split(), 0u);
  EXPECT_STREQ(f.ToString(), "");
  Fields plain("a b");
  EXPECT_EQ(plain.Split(), 0u);
  EXPECT_STREQ(plain.ToString(), "a b");
}

TEST(FieldsSplit, BinaryTextWithoutTerminatorStaysInItsSize) {
  // Exactly sized heap block, so a read past it is caught by the address
  // sanitizer.
  const char bytes[] = {'A', FS, 'B', FS, 'C'};
  auto block = std::make_unique<Byte[]>(sizeof bytes);
  std::memcpy(block.get(), bytes, sizeof bytes);
  FieldsBySeparators f = ProtocolFields();
  f.FromBinary(block.get(), sizeof bytes);
  EXPECT_EQ(f.Split(), 3u);
  EXPECT_EQ(AllFields(f), (std::vector<std::string>{"A", "B", "C"}));

  // A zero byte before the end still ends the text.
  const Byte with_zero[] = {'A', FS, 0, 'B'};
  f.FromBinary(with_zero, sizeof with_zero);
  EXPECT_EQ(f.Split(), 2u);
  EXPECT_EQ(AllFields(f), (std::vector<std::string>{"A", ""}));
}

TEST(FieldsGet, BeyondTheEnd) {
  FieldsBySeparators f("a b");
  f.Split();
  EXPECT_STREQ(f.GetTextField(5), "");
  EXPECT_EQ(f.GetFieldSize(5), 0u);
  unsigned size = 99;
  const Byte* b = f.GetBinaryField(5, size);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(size, 0u);
  char buf[4] = "xyz";
  EXPECT_EQ(f.CopyTextField(5, buf, sizeof buf), 0u);
  EXPECT_STREQ(buf, "");
  Byte bytes[2] = {7, 7};
  EXPECT_EQ(f.CopyBinaryField(5, bytes, sizeof bytes), 0u);
}

TEST(FieldsGet, CopyTextFieldIsCutAndTerminated) {
  FieldsBySeparators f("hello world");
  f.Split();
  char buf[16];
  EXPECT_EQ(f.CopyTextField(0, buf, sizeof buf), 5u);
  EXPECT_STREQ(buf, "hello");
  EXPECT_EQ(f.CopyTextField(0, buf, 6), 5u);
  EXPECT_STREQ(buf, "hello");
  EXPECT_EQ(f.CopyTextField(0, buf, 4), 3u);
  EXPECT_STREQ(buf, "hel");
  EXPECT_EQ(f.CopyTextField(0, buf, 1), 0u);
  EXPECT_STREQ(buf, "");
  buf[0] = 'q';
  EXPECT_EQ(f.CopyTextField(0, buf, 0), 0u);
  EXPECT_EQ(buf[0], 'q');
}

TEST(FieldsGet, CopyBinaryFieldIsCut) {
  FieldsBySeparators f("hello");
  f.Split();
  Byte buf[8];
  std::memset(buf, 0xEE, sizeof buf);
  EXPECT_EQ(f.CopyBinaryField(0, buf, 3), 3u);
  EXPECT_EQ(std::memcmp(buf, "hel", 3), 0);
  EXPECT_EQ(buf[3], 0xEE);  // nothing past the given size
  EXPECT_EQ(f.CopyBinaryField(0, buf, sizeof buf), 5u);
  EXPECT_EQ(std::memcmp(buf, "hello", 6), 0);
}

TEST(FieldsGet, FieldLargerThanThePoolIsRefusedNotCut) {
  const std::string big(30000, 'z');
  FieldsBySeparators f(big.c_str());
  ASSERT_EQ(f.Split(), 1u);
  EXPECT_EQ(f.GetFieldSize(0), 30000u);
  Error::SetWithContext(Error::NO_CURRENT_ERROR, nullptr);
  EXPECT_STREQ(f.GetTextField(0), "");
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_PARAM_ERROR);
  unsigned size = 1;
  f.GetBinaryField(0, size);
  EXPECT_EQ(size, 0u);
  // Its bytes stay reachable where they lie.
  const Byte* data = f.GetFieldData(0, size);
  EXPECT_EQ(size, 30000u);
  EXPECT_EQ(data, reinterpret_cast<const Byte*>(big.c_str()));
}

TEST(FieldsBuild, ProtocolFieldText) {
  FieldsBySeparators f = ProtocolFields();
  EXPECT_EQ(f.NewTextField("%d", 20), 2u);
  EXPECT_EQ(f.NewTextField("%s", "A"), 1u);
  EXPECT_EQ(f.NewTextField("%s", ""), 0u);
  EXPECT_EQ(f.GetNumberOfFields(), 3u);
  EXPECT_EQ(Text(f),
            "20\x1C"
            "A\x1C");
  EXPECT_STREQ(f.ToString(),
               "20\x1C"
               "A\x1C");

  // The built text splits back into the same fields.
  FieldsBySeparators g = ProtocolFields();
  g.FromString(f.ToString());
  EXPECT_EQ(g.Split(), 3u);
  EXPECT_EQ(AllFields(g), (std::vector<std::string>{"20", "A", ""}));
}

TEST(FieldsBuild, LongFieldsAreStoredWholeOrRefused) {
  const std::string fits(3000, 'x');
  const std::string too_long(Fields::MAX_FIELD + 1, 'y');
  const Byte* const fits_bytes = reinterpret_cast<const Byte*>(fits.data());
  const Byte* const long_bytes = reinterpret_cast<const Byte*>(too_long.data());
  // Each way of storing a value: whole when it fits, else nothing stored,
  // the failure reported and the error recorded.
  struct Case {
    const char* name;
    std::function<unsigned(FieldsBySeparators&, bool)> store;  // bool: the long value
  };
  const Case cases[] = {
      {"NewTextField", [&](FieldsBySeparators& f,
                           bool l) { return f.NewTextField("%s", (l ? too_long : fits).c_str()); }},
      {"NewBinaryField",
       [&](FieldsBySeparators& f, bool l) {
         return f.NewBinaryField(l ? long_bytes : fits_bytes, l ? too_long.size() : fits.size());
       }},
      {"SetTextField",
       [&](FieldsBySeparators& f, bool l) {
         return f.SetTextField(0, "%s", (l ? too_long : fits).c_str()) ? f.GetFieldSize(0) : 0u;
       }},
      {"SetBinaryField beyond the end",
       [&](FieldsBySeparators& f, bool l) {
         return f.SetBinaryField(3, l ? long_bytes : fits_bytes, l ? too_long.size() : fits.size())
                    ? f.GetFieldSize(3)
                    : 0u;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FieldsBySeparators f = ProtocolFields();
    f.NewTextField("a");
    EXPECT_EQ(c.store(f, false), 3000u);
    EXPECT_EQ(std::string(f.GetTextField(f.GetNumberOfFields() - 1)), fits);

    FieldsBySeparators g = ProtocolFields();
    g.NewTextField("a");
    const std::string before = Text(g);
    Error::SetWithContext(Error::NO_CURRENT_ERROR, nullptr);
    EXPECT_EQ(c.store(g, true), 0u);
    EXPECT_EQ(Error::GetLastError()->Error, Error::IO_PARAM_ERROR);
    EXPECT_EQ(Text(g), before);
    EXPECT_EQ(g.GetNumberOfFields(), 1u);
  }
}

TEST(FieldsBuild, GrowthKeepsTheTextIntactAndTerminated) {
  FieldsBySeparators f = ProtocolFields();
  std::string want;
  for (int i = 0; i < 300; ++i) {
    std::string value = "field" + std::to_string(i) + std::string(i % 61, '.');
    f.NewTextField("%s", value.c_str());
    if (i > 0) want += FS;
    want += value;
  }
  EXPECT_GT(want.size(), 4u * Fields::CUSTOM_SOURCE_BLOCK);
  EXPECT_EQ(std::string(f.ToString()), want);
  EXPECT_EQ(f.GetNumberOfFields(), 300u);
  EXPECT_EQ(std::string(f.GetTextField(123)), "field123" + std::string(123 % 61, '.'));
}

TEST(FieldsBuild, FullSizeFieldsNeedMoreThanOneGrowthStep) {
  // Each field fills a whole block; with the separator the text needs more
  // than one block of growth at a time.
  FieldsBySeparators f = ProtocolFields();
  const std::string a(2048, 'a');
  const std::string b(2048, 'b');
  const std::string c(2047, 'c');
  EXPECT_EQ(f.NewTextField("%s", c.c_str()), 2047u);  // the first block is full
  EXPECT_EQ(f.NewTextField("%s", a.c_str()), 2048u);
  EXPECT_EQ(f.NewBinaryField(reinterpret_cast<const Byte*>(b.data()), 2048), 2048u);
  EXPECT_EQ(std::string(f.ToString()), c + FS + a + FS + b);
  EXPECT_EQ(f.GetFieldSize(2), 2048u);
}

TEST(FieldsBuild, FieldFromItsOwnTextSurvivesGrowth) {
  FieldsBySeparators f = ProtocolFields();
  const std::string c(2040, 'c');
  f.NewTextField("%s", c.c_str());
  unsigned size = 0;
  const Byte* own = f.GetBinary(size);
  EXPECT_EQ(f.NewBinaryField(own, 100), 100u);  // grows while reading itself
  EXPECT_EQ(std::string(f.GetTextField(1)), std::string(100, 'c'));
}

TEST(FieldsBuild, AddingToABorrowedTextCopiesItsFields) {
  const char text[] =
      "a\x1C"
      "bb\x1C";
  FieldsBySeparators f = ProtocolFields();
  f.FromString(text);
  ASSERT_EQ(f.Split(), 3u);
  f.NewTextField("c");
  EXPECT_EQ(AllFields(f), (std::vector<std::string>{"a", "bb", "", "c"}));
  EXPECT_EQ(Text(f),
            "a\x1C"
            "bb\x1C\x1C"
            "c");
  EXPECT_NE(f.ToString(), text);
}

TEST(FieldsBuild, NoSeparatorsAddsNothing) {
  FieldsBySeparators f;
  f.ResetSeparators();
  EXPECT_EQ(f.NewTextField("x"), 0u);
  EXPECT_EQ(f.GetNumberOfFields(), 0u);
  EXPECT_FALSE(f.SetTextField(3, "x"));
  EXPECT_EQ(f.GetNumberOfFields(), 0u);
}

TEST(FieldsBuild, PlainFieldsHaveNoSeparators) {
  Fields f;
  f.NewTextField("ab");
  f.NewTextField("cd");
  EXPECT_STREQ(f.ToString(), "abcd");
  EXPECT_STREQ(f.GetTextField(1), "cd");
}

TEST(FieldsSet, BeyondTheEndAppendsEmptyFields) {
  FieldsBySeparators f = ProtocolFields();
  f.NewTextField("a");
  f.NewTextField("b");
  EXPECT_TRUE(f.SetTextField(4, "x"));
  EXPECT_EQ(f.GetNumberOfFields(), 5u);
  EXPECT_EQ(Text(f),
            "a\x1C"
            "b\x1C\x1C\x1C"
            "x");
  EXPECT_EQ(AllFields(f), (std::vector<std::string>{"a", "b", "", "", "x"}));
  EXPECT_FALSE(f.SetTextField(6, "%s", ""));  // nothing but empty fields added
  EXPECT_EQ(f.GetNumberOfFields(), 7u);
}

TEST(FieldsSet, ReplaceInPlaceAndWithOtherSizes) {
  FieldsBySeparators f = ProtocolFields();
  f.NewTextField("one");
  f.NewTextField("two");
  f.NewTextField("three");
  EXPECT_TRUE(f.SetTextField(1, "TWO"));
  EXPECT_EQ(Text(f), "one\x1CTWO\x1Cthree");
  EXPECT_TRUE(f.SetTextField(1, "%d", 2));
  EXPECT_EQ(Text(f),
            "one\x1C"
            "2\x1Cthree");
  EXPECT_TRUE(f.SetTextField(0, "%s", ""));
  EXPECT_EQ(Text(f),
            "\x1C"
            "2\x1Cthree");
  EXPECT_TRUE(f.SetBinaryField(2,
                               reinterpret_cast<const Byte*>("3\0"
                                                             "3"),
                               3));
  EXPECT_EQ(f.GetFieldSize(2), 3u);
  EXPECT_EQ(AllFields(f), (std::vector<std::string>{"", "2",
                                                    std::string("3\0"
                                                                "3",
                                                                3)}));
}

TEST(FieldsSet, ValueTakenFromTheObjectItself) {
  FieldsBySeparators f = ProtocolFields();
  f.NewTextField("abc");
  f.NewTextField("defgh");
  unsigned size = 0;
  const Byte* own = f.GetBinary(size);
  EXPECT_TRUE(f.SetBinaryField(0, own + 4, 5));  // "defgh", read from the text being rebuilt
  EXPECT_EQ(AllFields(f), (std::vector<std::string>{"defgh", "defgh"}));
}

TEST(FieldsSet, ValueFromItsOwnTextSurvivesGrowthBeyondTheEnd) {
  // The empty fields appended first grow the text past its first block
  // while the value still points into the old one.
  for (const unsigned n : {1u, 21u, 600u}) {
    SCOPED_TRACE(n);
    FieldsBySeparators f = ProtocolFields();
    f.NewTextField("%s", std::string(2040, 'c').c_str());
    unsigned size = 0;
    const Byte* own = f.GetBinary(size);
    EXPECT_TRUE(f.SetBinaryField(n, own, 5));
    EXPECT_EQ(f.GetNumberOfFields(), n + 1);
    EXPECT_STREQ(f.GetTextField(n), "ccccc");
  }
}

TEST(FieldsSet, OnBorrowedText) {
  FieldsBySeparators f = ProtocolFields();
  const char text[] =
      "a\x1C"
      "b";
  f.FromString(text);
  f.Split();
  EXPECT_TRUE(f.SetTextField(0, "z"));  // same size, but the text is not ours
  EXPECT_STREQ(text,
               "a\x1C"
               "b");
  EXPECT_EQ(Text(f),
            "z\x1C"
            "b");
}

TEST(FieldsCopy, CopiesOwnTheirText) {
  FieldsBySeparators f = ProtocolFields();
  f.NewTextField("a");
  f.NewTextField("b");
  FieldsBySeparators g(f);
  EXPECT_NE(g.ToString(), f.ToString());
  g.SetTextField(0, "x");
  g.NewTextField("c");
  EXPECT_EQ(Text(f),
            "a\x1C"
            "b");
  EXPECT_EQ(Text(g),
            "x\x1C"
            "b\x1C"
            "c");

  FieldsBySeparators h;
  h = f;
  h.SetTextField(1, "longer");
  EXPECT_EQ(Text(f),
            "a\x1C"
            "b");
  EXPECT_EQ(Text(h), "a\x1Clonger");

  // Assigning only the Fields part keeps the separators.
  FieldsBySeparators spaces;
  spaces = static_cast<const Fields&>(f);
  spaces.NewTextField("c");
  EXPECT_EQ(Text(spaces),
            "a\x1C"
            "b c");
  EXPECT_EQ(Text(f),
            "a\x1C"
            "b");
}

TEST(FieldsState, SetStringDropsTheBuiltText) {
  FieldsBySeparators f = ProtocolFields();
  f.NewTextField("a");
  f.SetString("p\x1Cq");
  EXPECT_EQ(f.GetNumberOfFields(), 0u);
  EXPECT_EQ(Text(f), "p\x1Cq");
  EXPECT_EQ(f.Split(), 2u);
  f.NewString();
  EXPECT_EQ(f.GetNumberOfFields(), 0u);
  EXPECT_STREQ(f.ToString(), "");
  unsigned size = 99;
  f.GetBinary(size);
  EXPECT_EQ(size, 0u);
}

}  // namespace
}  // namespace VXB
