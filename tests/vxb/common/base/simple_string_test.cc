#include "vxb/common/base/simple_string.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

namespace VXB {
namespace {

TEST(SimpleString, ConstructionAndLength) {
  SimpleString none;
  EXPECT_TRUE(none.IsNull());
  EXPECT_EQ(none.c_str(), nullptr);
  EXPECT_EQ(none.Length(), 0u);

  SimpleString fromNull(nullptr);
  EXPECT_TRUE(fromNull.IsNull());

  SimpleString empty("");
  EXPECT_FALSE(empty.IsNull());
  EXPECT_STREQ(empty, "");

  SimpleString part("abcdef", 3);
  EXPECT_STREQ(part, "abc");
  EXPECT_EQ(part.Length(), 3u);

  EXPECT_EQ(part[0], 'a');
  EXPECT_EQ(part[2], 'c');
  EXPECT_EQ(part[3], '\0');
  EXPECT_EQ(part[1000], '\0');
  EXPECT_EQ(none[0], '\0');
}

TEST(SimpleString, NullComparisons) {
  SimpleString a;
  SimpleString b;
  SimpleString text("a");
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a < b);
  EXPECT_TRUE(a < text);
  EXPECT_FALSE(text < a);
  EXPECT_FALSE(a == text);
  EXPECT_TRUE(a != text);
  EXPECT_TRUE(a == static_cast<const char*>(nullptr));
  EXPECT_FALSE(text == static_cast<const char*>(nullptr));
  EXPECT_TRUE(a < "a");
  // No text still differs from the empty text.
  EXPECT_FALSE(a == SimpleString(""));
  EXPECT_TRUE(a < SimpleString(""));
}

TEST(SimpleString, OrderingTable) {
  struct Case {
    const char* a;
    bool a_insensitive;
    const char* b;
    bool b_insensitive;
    bool less;
    bool equal;
  };
  const Case cases[] = {
      {"abc", false, "abd", false, true, false},
      {"ab", false, "abc", false, true, false},
      {"abc", false, "ab", false, false, false},
      {"ABC", false, "abc", false, true, false},
      {"ABC", true, "abc", false, false, true},
      {"abc", false, "ABC", true, false, true},
      {"B", true, "a", false, false, false},
      {"a", true, "B", false, true, false},
      // Bytes above 127 sort after ASCII.
      {"\xA0", false, "z", false, false, false},
      {"z", false, "\xA0", false, true, false},
  };
  for (const Case& c : cases) {
    SimpleString a(c.a);
    a.CaseInsensitive(c.a_insensitive);
    SimpleString b(c.b);
    b.CaseInsensitive(c.b_insensitive);
    EXPECT_EQ(a < b, c.less) << c.a << " < " << c.b;
    EXPECT_EQ(a == b, c.equal) << c.a << " == " << c.b;
    EXPECT_EQ(a != b, !c.equal) << c.a << " != " << c.b;
  }
}

TEST(SimpleString, CompareWithCharPointerUsesOwnCaseFlag) {
  SimpleString s("ABC");
  EXPECT_FALSE(s == "abc");
  EXPECT_TRUE(s != "abc");
  s.CaseInsensitive(true);
  EXPECT_TRUE(s == "abc");
  EXPECT_FALSE(s < "abc");
  EXPECT_TRUE(s < "abd");
}

TEST(SimpleString, CopiesAreDeepAndKeepTheCaseFlag) {
  SimpleString a("hello");
  a.CaseInsensitive(true);
  SimpleString b(a);
  EXPECT_NE(b.c_str(), a.c_str());
  EXPECT_TRUE(b.IsCaseInsensitive());
  SimpleString c;
  c = a;
  EXPECT_STREQ(c, "hello");
  EXPECT_TRUE(c.IsCaseInsensitive());
  a = "changed";
  EXPECT_STREQ(b, "hello");
  EXPECT_STREQ(c, "hello");
  c = static_cast<const char*>(nullptr);
  EXPECT_TRUE(c.IsNull());
  SimpleString& c_alias = c;
  c = c_alias;  // self-assignment keeps nothing dangling
  EXPECT_TRUE(c.IsNull());
  SimpleString& b_alias = b;
  b = b_alias;
  EXPECT_STREQ(b, "hello");
  b = b.c_str() + 1;  // assigning from its own text
  EXPECT_STREQ(b, "ello");

  SimpleString moved(std::move(b));
  EXPECT_STREQ(moved, "ello");
}

TEST(SimpleString, Concatenation) {
  SimpleString a("foo");
  SimpleString b("bar");
  EXPECT_STREQ(a + b, "foobar");
  EXPECT_STREQ(a + "baz", "foobaz");
  EXPECT_STREQ("pre" + a, "prefoo");
  EXPECT_EQ((a + b).Length(), 6u);

  SimpleString none;
  EXPECT_TRUE((none + SimpleString()).IsNull());
  EXPECT_STREQ(none + "x", "x");
  EXPECT_STREQ(a + static_cast<const char*>(nullptr), "foo");

  a += a;
  EXPECT_STREQ(a, "foofoo");
  a += a.c_str() + 3;
  EXPECT_STREQ(a, "foofoofoo");
  EXPECT_EQ(a.Length(), 9u);
}

TEST(SimpleString, FromFormatIsCut) {
  EXPECT_STREQ(SimpleString::FromFormat("%d-%s", 12, "x"), "12-x");
  const std::string big(5000, 'q');
  SimpleString s = SimpleString::FromFormat("%s", big.c_str());
  EXPECT_EQ(s.Length(), SimpleString::MAX_FORMAT);
  EXPECT_EQ(std::string(s), std::string(SimpleString::MAX_FORMAT, 'q'));
}

TEST(SimpleString, WorksAsCaseInsensitiveMapKey) {
  std::map<SimpleString, int> m;
  m[SimpleString("Content-Type").CaseInsensitive(true)] = 1;
  m[SimpleString("Accept").CaseInsensitive(true)] = 2;
  EXPECT_EQ(m.count(SimpleString("content-type").CaseInsensitive(true)), 1u);
  EXPECT_EQ(m.count(SimpleString("ACCEPT").CaseInsensitive(true)), 1u);
  EXPECT_EQ(m.count(SimpleString("Host").CaseInsensitive(true)), 0u);
  m[SimpleString()] = 3;
  EXPECT_EQ(m.begin()->second, 3);  // no text sorts first
}

}  // namespace
}  // namespace VXB
