// The XML writer: the exact layout of a document, declarations, escaping,
// well-formedness of every byte, whole values, and refusals that write
// nothing.
#include "vxb/common/format/xml_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/xml_rig.h"
#include "vxb/common/runtime/error.h"

namespace {

using zorbel_testing::LastError;
using zorbel_testing::XmlWriteRig;
using namespace VXB;

// The answer of the worked example through the token writer.
void WriteExample(GenericDataFormat::Writer& w) {
  ASSERT_TRUE(w.OpenObject("Respuesta"));
  ASSERT_TRUE(w.NameValue("Texto", "Hola"));
  ASSERT_TRUE(w.NameValue("Numero", static_cast<Types::uint32>(12)));
  ASSERT_TRUE(w.OpenArray("Lista"));
  ASSERT_TRUE(w.ArrayElement("a"));
  ASSERT_TRUE(w.ArrayElement("b"));
  ASSERT_TRUE(w.CloseArray());
  ASSERT_TRUE(w.CloseObject());
}

TEST(XmlWriter, WorkedExampleByteForByte) {
  const std::string body =
      "<Respuesta>\n"
      "\t<Texto>Hola</Texto>\n"
      "\t<Numero>12</Numero>\n"
      "\t<Lista type=\"list\">\n"
      "\t\t<Lista>a</Lista>\n"
      "\t\t<Lista>b</Lista>\n"
      "\t</Lista>\n"
      "</Respuesta>";
  struct Case {
    ASCII::Charsets to;
    bool compressed;
    std::string expected;
  };
  const Case cases[] = {
      {ASCII::LATIN1, false, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + body},
      {ASCII::UTF8, false, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body},
      {ASCII::CP437, false, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + body},
      {ASCII::NO_CHARSET, false, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + body},
      {ASCII::LATIN1, true,
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Respuesta><Texto>Hola</Texto>"
       "<Numero>12</Numero><Lista type=\"list\"><Lista>a</Lista><Lista>b</Lista></Lista>"
       "</Respuesta>"},
  };
  for (const Case& c : cases) {
    XmlWriteRig rig(c.to);
    rig.writer.SetWhitespaceCompression(c.compressed);
    WriteExample(rig.writer);
    EXPECT_EQ(rig.sink.Text(), c.expected) << c.to << " " << c.compressed;
    EXPECT_NE(rig.xml.GetEncoding(), ASCII::CP437);
  }
}

TEST(XmlWriter, TextIsConvertedEscapedAndKeptWhole) {
  struct Case {
    ASCII::Charsets to;
    std::string value;  // internal set
    std::string written;
  };
  const std::string long_value = std::string(3000, 'x') + "&" + std::string(3000, 'y');
  const Case cases[] = {
      {ASCII::LATIN1,
       "Se\xA4or & C\xA1"
       "a",
       "Se\xF1or &amp; C\xED"
       "a"},
      {ASCII::UTF8,
       "Se\xA4or & C\xA1"
       "a",
       "Se\xC3\xB1or &amp; C\xC3\xAD"
       "a"},
      {ASCII::LATIN1, "<a href=\"x\">'", "&lt;a href=&quot;x&quot;&gt;&apos;"},
      // Control characters are not XML: each becomes '?'. A carriage return
      // is kept as a reference so that parsers do not turn it into a line
      // feed; tabs and line feeds are text.
      {ASCII::UTF8,
       "a\x02"
       "b\x1C"
       "c\x1B\x14\x0F",
       "a?b?c???"},
      {ASCII::LATIN1, "1\r\n2\t3", "1&#13;\n2\t3"},
      {ASCII::LATIN1, long_value, std::string(3000, 'x') + "&amp;" + std::string(3000, 'y')},
  };
  for (const Case& c : cases) {
    XmlWriteRig rig(c.to);
    rig.xml.SetWhitespaceCompression(true);
    ASSERT_TRUE(rig.xml.Open("A"));
    ASSERT_TRUE(rig.xml.Text("%s", c.value.c_str()));
    ASSERT_TRUE(rig.xml.Close());
    const std::string& out = rig.sink.Text();
    const std::size_t start = out.find("<A>") + 3;
    EXPECT_EQ(out.substr(start, out.size() - start - 4), c.written) << c.value.substr(0, 40);
  }
}

TEST(XmlWriter, AttributesAndEmptyElements) {
  XmlWriteRig rig;
  const XML::Attribute attrs[] = {{"q", "say \"hi\" & <go>"}, {"w", "a\tb\nc"}, {}};
  ASSERT_TRUE(rig.xml.Open("P", attrs));
  ASSERT_TRUE(rig.xml.Empty("E"));
  ASSERT_TRUE(rig.xml.Field("F", ""));
  ASSERT_TRUE(rig.xml.Close());
  EXPECT_EQ(rig.sink.Text(),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
            "<P q=\"say &quot;hi&quot; &amp; &lt;go&gt;\" w=\"a&#9;b&#10;c\">\n"
            "\t<E/>\n"
            "\t<F></F>\n"
            "</P>");
  // The next document starts with a declaration of its own.
  rig.sink.Clear();
  ASSERT_TRUE(rig.xml.Empty("Z"));
  EXPECT_EQ(rig.sink.Text(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Z/>");
}

TEST(XmlWriter, BooleansAreSiOrNo) {
  XmlWriteRig rig(ASCII::UTF8);
  rig.writer.SetWhitespaceCompression(true);
  ASSERT_TRUE(rig.writer.OpenObject("R"));
  ASSERT_TRUE(rig.writer.NameValue("S", true));
  ASSERT_TRUE(rig.writer.NameValue("N", false));
  ASSERT_TRUE(rig.writer.NameValue("V", static_cast<const char*>(nullptr)));
  ASSERT_TRUE(rig.writer.CloseObject());
  EXPECT_EQ(rig.sink.Text(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><R><S>S\xC3\xAD</S><N>No</N><V></V></R>");
}

// Refused operations leave the output untouched.
TEST(XmlWriter, RefusalsWriteNothing) {
  XmlWriteRig rig;
  auto written = [&]() { return rig.sink.Text().size() + rig.out.Buffered(); };

  EXPECT_FALSE(rig.xml.Close());
  EXPECT_EQ(LastError(), "!754 XML::Writer::Close");
  EXPECT_FALSE(rig.writer.CloseObject());
  EXPECT_FALSE(rig.writer.ArrayElement("x"));
  EXPECT_EQ(written(), 0u);

  for (const char* bad : {"a b", "1x", "x<y", "", "A\xC4"}) {
    EXPECT_FALSE(rig.xml.Open(bad)) << bad;
    EXPECT_EQ(VXB::Error::GetCurrent().Error, VXB::Error::XML_INVALID_IDENTIFIER);
  }
  const XML::Attribute bad_attr[] = {{"a=", "1"}, {}};
  EXPECT_FALSE(rig.xml.Open("A", bad_attr));
  EXPECT_FALSE(rig.xml.Open(std::string(101, 'n').c_str()));
  EXPECT_EQ(written(), 0u);

  // 29 open elements at most; names of 100 characters are closed whole.
  const std::string name100(100, 'n');
  ASSERT_TRUE(rig.xml.Open(name100.c_str()));
  for (unsigned i = 1; i < 29; ++i) ASSERT_TRUE(rig.writer.OpenObject("E")) << i;
  const std::size_t before = written();
  EXPECT_FALSE(rig.xml.Open("E"));
  EXPECT_FALSE(rig.writer.OpenObject("E"));
  EXPECT_EQ(written(), before);
  for (unsigned i = 1; i < 29; ++i) ASSERT_TRUE(rig.writer.CloseObject());
  ASSERT_TRUE(rig.xml.Close());
  EXPECT_EQ(rig.sink.Text().substr(rig.sink.Text().size() - 103), "</" + name100 + ">");
  EXPECT_FALSE(rig.xml.Close());
}

}  // namespace
