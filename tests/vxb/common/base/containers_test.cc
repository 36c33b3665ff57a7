#include "vxb/common/base/containers.h"

#include <gtest/gtest.h>

#include <string>

namespace VXB {
namespace {

TEST(MapTest, CopiesShareOneTreeAndIterateInKeyOrder) {
  Map<int, std::string> a;
  Map<int, std::string> b = a;
  a[3] = "c";
  b[1] = "a";
  a[2];  // creates a default value
  ASSERT_EQ(a.size(), 3u);
  std::string order;
  for (const auto& [key, value] : b) order += std::to_string(key) + value + ",";
  EXPECT_EQ(order, "1a,2,3c,");
  EXPECT_EQ(a.find(7), nullptr);
  ASSERT_NE(b.find(3), nullptr);
  EXPECT_EQ(*b.find(3), "c");
}

TEST(ArrayTest, IndexingPastTheEndExtendsWithDefaults) {
  Array<int> a(2, 130);
  EXPECT_EQ(a.size(), 2u);
  a[5] = 9;
  EXPECT_EQ(a.size(), 6u);
  EXPECT_EQ(a[3], 0);
  EXPECT_EQ(a[5], 9);
  a.push_back(4);
  EXPECT_EQ(a.at(6), 4);
}

TEST(StackTest, FullPushStoresNothingAndEmptyPopGivesDefault) {
  Stack<int, 2> s;
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.Pop(), 0);
  EXPECT_TRUE(s.Push(1));
  EXPECT_TRUE(s.Push(2));
  EXPECT_FALSE(s.Push(3));
  EXPECT_EQ(s.nElements(), 2u);
  EXPECT_EQ(s.Top(), 2);
  EXPECT_EQ(s.Pop(), 2);
  EXPECT_EQ(s.Pop(), 1);
  EXPECT_EQ(s.Pop(), 0);
  s.Push(5);
  s.Reset();
  EXPECT_TRUE(s.Empty());
}

}  // namespace
}  // namespace VXB
