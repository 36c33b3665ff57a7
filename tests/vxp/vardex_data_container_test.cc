#include "vxp/vardex_data_container.h"

#include <gtest/gtest.h>

#include <string>

#include "vxb/common/runtime/error.h"
#include "vxb/common/text/fields.h"

namespace VXP {
namespace {

std::string Joined(const VardexDataContainer& c) {
  unsigned size = 0;
  const VXB::Byte* p = c.GetData().GetBinary(size);
  return p == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(p), size);
}

TEST(VardexDataContainerTest, NewContainerIsEmptyAndCP437) {
  VardexDataContainer c(0x2A);
  EXPECT_EQ(c.GetCommand(), 0x2A);
  EXPECT_EQ(c.GetNumberOfFields(), 0u);
  EXPECT_EQ(Joined(c), "");
  EXPECT_STREQ(c.GetData().ToString(), "");
  EXPECT_EQ(c.GetEncoding(), VXB::ASCII::CP437);
}

TEST(VardexDataContainerTest, EmptyMiddleFieldKeepsBothSeparators) {
  VardexDataContainer c(1);
  EXPECT_EQ(c.AddField("A"), 1u);
  EXPECT_EQ(c.AddField("%s", ""), 0u);
  EXPECT_EQ(c.AddField("C"), 1u);
  ASSERT_EQ(c.GetNumberOfFields(), 3u);
  EXPECT_EQ(Joined(c), std::string("A\x1C\x1C"
                                   "C"));
  EXPECT_STREQ(c.GetField(1), "");
  EXPECT_STREQ(c.GetField(2), "C");
}

TEST(VardexDataContainerTest, AddFieldFormatsAndCountsBytes) {
  VardexDataContainer c(1);
  EXPECT_EQ(c.AddField("%u-%s", 42u, "xy"), 5u);
  EXPECT_STREQ(c.GetField(0), "42-xy");
}

TEST(VardexDataContainerTest, SetFieldBeyondEndPadsWithEmptyFields) {
  VardexDataContainer c(1);
  c.AddField("first");
  EXPECT_TRUE(c.SetField(3, "X"));
  ASSERT_EQ(c.GetNumberOfFields(), 4u);
  EXPECT_STREQ(c.GetField(0), "first");
  EXPECT_STREQ(c.GetField(1), "");
  EXPECT_STREQ(c.GetField(2), "");
  EXPECT_STREQ(c.GetField(3), "X");
  EXPECT_EQ(Joined(c), std::string("first\x1C\x1C\x1CX"));
}

TEST(VardexDataContainerTest, SetFieldReplacesWithDifferentLength) {
  VardexDataContainer c(1);
  c.AddField("a");
  c.AddField("b");
  c.AddField("c");
  EXPECT_TRUE(c.SetField(1, "longer"));
  EXPECT_EQ(Joined(c), std::string("a\x1Clonger\x1C"
                                   "c"));
}

TEST(VardexDataContainerTest, GetFieldBeyondCountIsEmpty) {
  VardexDataContainer c(1);
  c.AddField("only");
  EXPECT_STREQ(c.GetField(1), "");
  EXPECT_STREQ(c.GetField(1000), "");
}

TEST(VardexDataContainerTest, CopyStartsAsCP437WithSameCommandAndFields) {
  VardexDataContainer c(0x44);
  c.SetEncoding(VXB::ASCII::UTF8);
  c.AddField("uno");
  c.AddField("%s", "");
  c.AddField("tres");
  VardexDataContainer copy(c);
  EXPECT_EQ(copy.GetEncoding(), VXB::ASCII::CP437);
  EXPECT_EQ(copy.GetCommand(), 0x44);
  EXPECT_EQ(Joined(copy), Joined(c));
  // The copy owns its text.
  copy.SetField(0, "otro");
  EXPECT_STREQ(c.GetField(0), "uno");
}

TEST(VardexDataContainerTest, AssignmentKeepsTargetEncodingAndReplacesFields) {
  VardexDataContainer src(0x10);
  src.AddField("s1");
  src.AddField("s2");
  VardexDataContainer dst(0x20);
  dst.SetEncoding(VXB::ASCII::LATIN1);
  dst.AddField("old1");
  dst.AddField("old2");
  dst.AddField("old3");
  dst = src;
  EXPECT_EQ(dst.GetCommand(), 0x10);
  EXPECT_EQ(dst.GetEncoding(), VXB::ASCII::LATIN1);
  EXPECT_EQ(Joined(dst), std::string("s1\x1Cs2"));
  dst = dst;  // self-assignment keeps everything
  EXPECT_EQ(Joined(dst), std::string("s1\x1Cs2"));
}

TEST(VardexDataContainerTest, ResetKeepsCommand) {
  VardexDataContainer c(0x99);
  c.AddField("a");
  c.AddField("b");
  c.Reset();
  EXPECT_EQ(c.GetCommand(), 0x99);
  EXPECT_EQ(c.GetNumberOfFields(), 0u);
  EXPECT_EQ(Joined(c), "");
  c.AddField("z");
  EXPECT_EQ(Joined(c), "z");
}

TEST(VardexDataContainerTest, WrapsFieldsSplitElsewhereWithOwnSeparator) {
  // A list split at blanks still joins added fields with 0x1C once wrapped.
  VXB::FieldsBySeparators f("ab cd");
  ASSERT_EQ(f.Split(), 2u);
  VardexDataContainer c(0x30, f);
  ASSERT_EQ(c.GetNumberOfFields(), 2u);
  EXPECT_STREQ(c.GetField(0), "ab");
  EXPECT_STREQ(c.GetField(1), "cd");
  c.AddField("ef");
  EXPECT_EQ(c.GetNumberOfFields(), 3u);
  EXPECT_STREQ(c.GetField(2), "ef");
  EXPECT_NE(Joined(c).find("\x1C"
                           "ef"),
            std::string::npos);
}

TEST(VardexDataContainerTest, LongFieldIsStoredWholeOrRefused) {
  VardexDataContainer c(1);
  const std::string big(3000, 'x');
  EXPECT_EQ(c.AddField("%s", big.c_str()), 3000u);
  EXPECT_EQ(std::string(c.GetField(0)), big);
  const std::string too_long(VXB::Fields::MAX_FIELD + 1, 'y');
  EXPECT_EQ(c.AddField("%s", too_long.c_str()), 0u);
  EXPECT_FALSE(c.SetField(0, "%s", too_long.c_str()));
  EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::IO_PARAM_ERROR);
  EXPECT_EQ(c.GetNumberOfFields(), 1u);
  EXPECT_EQ(std::string(c.GetField(0)), big);
}

}  // namespace
}  // namespace VXP
