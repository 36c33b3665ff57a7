// The HTML writer over an in-memory encoded writer.
#include "vxb/common/format/html.h"

#include <gtest/gtest.h>

#include <string>

namespace VXB::HTML {
namespace {

class Sink : public Driver::EncodedStringWriter {
 public:
  explicit Sink(ASCII::Charsets To)
      : EncodedStringWriter("Sink", ASCII::CP437, To, ASCII::NO_ENTITIES) {}
  std::string Text() {
    Flush(Constants::WAIT_FOREVER);
    return out_;
  }

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) override {
    out_.append(reinterpret_cast<const char*>(buf), size);
    return size;
  }

 private:
  std::string out_;
};

TEST(HtmlWriter, TextTitlesAndAttributesAreEncoded) {
  Sink sink(ASCII::CP437);
  Writer html(&sink);
  ASSERT_TRUE(html.Begin("a<b & \"c\""));
  ASSERT_TRUE(html.BeginPreformattedText());
  ASSERT_TRUE(html.Text("<script>x</script>"));
  ASSERT_TRUE(html.EndPreformattedText());
  ASSERT_TRUE(html.BeginLink("\"><script>"));
  ASSERT_TRUE(html.EndLink());
  ASSERT_TRUE(html.End());
  const std::string page = sink.Text();
  EXPECT_EQ(sink.GetCharsetTo(), ASCII::LATIN1);  // code page 437 output becomes Latin-1
  EXPECT_NE(page.find("<title>a&lt;b &amp; &quot;c&quot;</title>"), std::string::npos) << page;
  EXPECT_NE(page.find("<pre>&lt;script&gt;x&lt;/script&gt;</pre>"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"&quot;&gt;&lt;script&gt;\">"), std::string::npos);
  EXPECT_NE(page.find("charset=ISO-8859-1"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
}

TEST(HtmlWriter, EmptyPageAndScripts) {
  Sink sink(ASCII::UTF8);
  Writer html(&sink);
  html.AddJavaScript("a", "one();");
  html.AddJavaScript("a", "two();");
  html.AddJavaScript("b", "three();");
  EXPECT_EQ(html.ScriptCount(), 2u);
  html.RemoveJavaScript("b");
  ASSERT_TRUE(html.Begin("t"));
  ASSERT_TRUE(html.End());
  const std::string page = sink.Text();
  EXPECT_EQ(sink.GetCharsetTo(), ASCII::UTF8);
  EXPECT_NE(page.find("charset=UTF-8"), std::string::npos);
  EXPECT_NE(page.find(">two();</script>"), std::string::npos);
  EXPECT_EQ(page.find("three"), std::string::npos);
  EXPECT_EQ(page.substr(page.size() - 27), "</head><body></body></html>");
  EXPECT_STREQ(Element(Element::TEXTAREA).ToString(), "textarea");
  EXPECT_STREQ(Attribute(Attribute::HTTP_EQUIV).ToString(), "http-equiv");
  EXPECT_STREQ(Property(Property::WIDTH).ToString(), "width");
  EXPECT_STREQ(Element(static_cast<Element::Elements>(99)).ToString(), "?");
}

}  // namespace
}  // namespace VXB::HTML
