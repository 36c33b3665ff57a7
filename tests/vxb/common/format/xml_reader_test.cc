// The XML pull parser: token kinds, character sets, entities, layout white
// space, limits and error contexts, and the pull operations used by the
// configuration file.
#include "vxb/common/format/xml_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/xml_rig.h"
#include "vxb/common/runtime/error.h"

namespace {

using zorbel_testing::LastError;
using zorbel_testing::XmlReadRig;
using namespace VXB;

const std::string kEnd = "!751 bool VXB::XML::Reader::Parse(VXB::XML::XML_TOKEN&)";

struct Case {
  std::string name;
  std::string doc;
  std::string tokens;
};

std::string Nested(unsigned depth) {
  std::string open, close;
  for (unsigned i = 0; i < depth; ++i) {
    open += "<E>";
    close += "</E>";
  }
  return open + close;
}

std::string NestedTokens(unsigned depth) {
  std::string out;
  for (unsigned i = 0; i < depth; ++i) out += "OPEN E|";
  for (unsigned i = 0; i < depth; ++i) out += "CLOSE E|";
  return out;
}

std::string Attributes(unsigned n) {
  std::string out;
  for (unsigned i = 0; i < n; ++i) out += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
  return out;
}

std::vector<Case> Cases() {
  const std::string name100(100, 'n');
  const std::string text2048(2048, 't');
  std::string attrs50;
  for (unsigned i = 0; i < 50; ++i) {
    attrs50 += (i ? "," : "") + std::string("a") + std::to_string(i) + "=" + std::to_string(i);
  }
  return {
      {"utf8_bom", "\xEF\xBB\xBF<A>\xC3\xA9</A>", "OPEN A|TEXT \x82|CLOSE A|" + kEnd},
      {"utf16_bom", "\xFE\xFF<A/>", "!752 BOM no soportado"},
      {"latin1_declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A>\xE9\x93</A>",
       "OPEN A|TEXT \x82\"|CLOSE A|" + kEnd},
      {"unknown_encoding", "<?xml version='1.0' encoding='KOI8-R'?><A/>", "!752 KOI8-R"},
      {"utf8_default", "<A>Se\xC3\xB1or</A>", "OPEN A|TEXT Se\xA4or|CLOSE A|" + kEnd},
      {"pretty_printed", "<C>\n\t<A>1</A>\r\n  <B/>\n</C>\n",
       "OPEN C|OPEN A|TEXT 1|CLOSE A|OPEN B|CLOSE B|CLOSE C|" + kEnd},
      {"blank_between_tags", "<C> <A>1</A> </C>", "OPEN C|OPEN A|TEXT 1|CLOSE A|CLOSE C|" + kEnd},
      {"blank_value", "<T> </T>", "OPEN T|TEXT  |CLOSE T|" + kEnd},
      {"blanks_value", "<T>   </T>", "OPEN T|TEXT    |CLOSE T|" + kEnd},
      {"line_break_is_layout", "<T>\n  </T>", "OPEN T|CLOSE T|" + kEnd},
      {"text_keeps_its_blanks", "<T> a b </T>", "OPEN T|TEXT  a b |CLOSE T|" + kEnd},
      {"entity_blank_is_text", "<T>&#32;<A/></T>", "OPEN T|TEXT  |OPEN A|CLOSE A|CLOSE T|" + kEnd},
      {"entities_decode_once", "<A>&amp;lt;&apos;&#x41;&#233;</A>",
       "OPEN A|TEXT &lt;'A\x82|CLOSE A|" + kEnd},
      {"undecodable_entities_stay", "<A>a & b &bogus; &#300;</A>",
       "OPEN A|TEXT a & b &bogus; &#300;|CLOSE A|" + kEnd},
      {"control_bytes_pass_through", "<A>x\x1Cy&#28;&#2;</A>",
       "OPEN A|TEXT x\x1Cy\x1C\x02|CLOSE A|" + kEnd},
      {"empty_element", "<A/>", "OPEN A|CLOSE A|" + kEnd},
      {"close_tag_blank", "<A></A >", "OPEN A|CLOSE A|" + kEnd},
      {"attributes", "<A b=\"x&quot;y\" c='&lt;' d = 'q\"'>t</A>",
       "OPEN A[b=x\"y,c=<,d=q\"]|TEXT t|CLOSE A|" + kEnd},
      {"fifty_attributes", "<A" + Attributes(50) + "/>", "OPEN A[" + attrs50 + "]|CLOSE A|" + kEnd},
      {"fifty_one_attributes", "<A" + Attributes(51) + "/>", "!755 M\xA0ximo: 50"},
      {"comment_and_doctype", "<?xml version=\"1.0\"?><!-- c - d --><!DOCTYPE A><A/>",
       "OPEN A|CLOSE A|" + kEnd},
      {"close_at_top", "</A>", "!754 bool VXB::XML::Reader::Parse(VXB::XML::XML_TOKEN&)"},
      {"letter_after_root", "<A/>x", "OPEN A|CLOSE A|!756 ASCII 78h"},
      {"question_mark_in_tag", "<A?>", "!753 ? fuera de encabezado"},
      {"question_mark_after_attribute", "<A b='1'?>", "!753 ? fuera de encabezado"},
      {"declaration_without_question_mark", "<?xml version=\"1.0\">", "!753 En encabezado: 3e"},
      {"declaration_inside_element", "<A><?xml version=\"1.0\"?></A>",
       "OPEN A|!753 En encabezado: 3f"},
      {"cdata", "<A><![CDATA[x&amp;<B>]]]></A>", "OPEN A|TEXT x&amp;<B>]|CLOSE A|" + kEnd},
      {"cdata_within_text", "<A> x<![CDATA[]]]]> <![CDATA[ ]]>y</A>",
       "OPEN A|TEXT  x]]  y|CLOSE A|" + kEnd},
      {"text_around_comment", "<A>x<!--c-->y</A>", "OPEN A|TEXT x|TEXT y|CLOSE A|" + kEnd},
      {"cdata_outside_element", "<![CDATA[x]]><A/>", "!753 CDATA fuera de elemento: 5b"},
      {"cdata_misspelt", "<A><![CDATX[x]]></A>", "OPEN A|!753 En CDATA: 58"},
      {"cdata_unterminated", "<A><![CDATA[x]]</A>", "OPEN A|" + kEnd},
      {"name_of_100", "<" + name100 + "/>", "OPEN " + name100 + "|CLOSE " + name100 + "|" + kEnd},
      {"name_of_101", "<" + name100 + "n/>",
       "!759 Nombre de m\xA0s de 100 caracteres: " + name100.substr(0, 40) + "..."},
      {"attribute_name_of_101", "<A " + name100 + "n='1'/>",
       "!759 Nombre de m\xA0s de 100 caracteres: " + name100.substr(0, 40) + "..."},
      {"text_of_2048", "<A>" + text2048 + "</A>", "OPEN A|TEXT " + text2048 + "|CLOSE A|" + kEnd},
      {"text_of_2049", "<A>" + text2048 + "t</A>",
       "OPEN A|!753 Texto de m\xA0s de 2048 caracteres"},
      {"attributes_beyond_buffer", "<A b='" + text2048 + "'/>",
       "!755 Tag de m\xA0s de 2048 caracteres"},
      {"nesting_30", Nested(30), NestedTokens(30) + kEnd},
      {"nesting_31", Nested(31),
       std::string(NestedTokens(30)).substr(0, 30 * 7) + "!750 M\xA0s de 30 elementos anidados"},
      {"accented_names", "<A\xC3\xB1o x\xC3\xA9='1'>2</A\xC3\xB1o>",
       "OPEN A\xA4o[x\x82=1]|TEXT 2|CLOSE A\xA4o|" + kEnd},
      {"box_drawing_is_no_name", "<?xml version='1.0' encoding='CP437'?><A\xC4/>",
       "!753 En nombre de tag: c4"},
      {"end_inside_element", "<A>", "OPEN A|" + kEnd},
      {"zero_byte_ends_input", std::string("<A>x\0</A>", 9), "OPEN A|" + kEnd},
      {"empty_input", "", "!751 Leyendo BOM"},
      {"attribute_without_value", "<A b='1' c>", "!753 En atributo: 3e"},
      {"garbage_after_attribute", "<A b='1'c='2'/>", "!753 Despu\x82s de atributo: 63"},
  };
}

TEST(XmlReader, TokenStreams) {
  XmlReadRig rig;
  for (const Case& c : Cases()) {
    rig.Load(c.doc);
    EXPECT_EQ(rig.XmlTokens(), c.tokens) << c.name;
  }
}

// Parsing never goes on from the state a failure left: the attribute
// value after a broken name would otherwise be read without its name.
TEST(XmlReader, FailureIsFinalUntilReset) {
  XmlReadRig rig;
  for (const char* doc : {"<?xml version\xF9=\"1.0\"?><A/>", "<A b\xF9='1'/>"}) {
    rig.Load(doc);
    EXPECT_EQ(rig.XmlTokens(), "!753 En atributo: 3f") << doc;
    EXPECT_EQ(rig.XmlTokens(), "!753 En atributo: 3f") << doc;
    EXPECT_EQ(rig.Tokens(), "!753 En atributo: 3f") << doc;
  }
  rig.Load("<A/>");
  EXPECT_EQ(rig.XmlTokens(), "OPEN A|CLOSE A|" + kEnd);
}

TEST(XmlReader, DeepDocumentIsRefusedNotRecursed) {
  XmlReadRig rig;
  rig.Load(Nested(100000));
  const std::string tokens = rig.XmlTokens();
  EXPECT_NE(tokens.find("!750 M\xA0s de 30 elementos anidados"), std::string::npos);
}

// Each document starts in UTF-8 unless the caller, a byte-order mark or the
// declaration names another set; nothing carries over.
TEST(XmlReader, InputCharacterSetDoesNotPersist) {
  XmlReadRig rig;
  struct Step {
    ASCII::Charsets named;  // named by the caller before the document
    std::string doc;
    std::string tokens;
    ASCII::Charsets encoding;  // in effect after the document
  };
  const Step steps[] = {
      {ASCII::NO_CHARSET, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A>\xE9</A>",
       "OPEN A|TEXT \x82|CLOSE A|", ASCII::LATIN1},
      {ASCII::NO_CHARSET, "<A>\xC3\xA9</A>", "OPEN A|TEXT \x82|CLOSE A|", ASCII::UTF8},
      {ASCII::LATIN1, "<A>\xE9</A>", "OPEN A|TEXT \x82|CLOSE A|", ASCII::LATIN1},
      {ASCII::NO_CHARSET, "<A>\xC3\xA9</A>", "OPEN A|TEXT \x82|CLOSE A|", ASCII::UTF8},
      {ASCII::LATIN1, "\xEF\xBB\xBF<A>\xC3\xA9</A>", "OPEN A|TEXT \x82|CLOSE A|", ASCII::UTF8},
      {ASCII::NO_CHARSET, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><A>\x93</A>",
       "OPEN A|TEXT \"|CLOSE A|", ASCII::LATIN1},
      // A set named from outside (the request's charset) wins over the
      // declaration, whatever the declaration says.
      {ASCII::LATIN1, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><A>\xE9</A>",
       "OPEN A|TEXT \x82|CLOSE A|", ASCII::LATIN1},
      {ASCII::IBM437, "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><A>\x9B</A>",
       "OPEN A|TEXT \xBD|CLOSE A|", ASCII::IBM437},
  };
  for (const Step& s : steps) {
    if (s.named != ASCII::NO_CHARSET) rig.xml.SetEncoding(s.named);
    rig.Load(s.doc);
    EXPECT_EQ(rig.XmlTokens(), s.tokens + kEnd) << s.doc;
    EXPECT_EQ(rig.xml.GetEncoding(), s.encoding) << s.doc;
  }
  // Naming a set after Reset works too; no set named counts as none.
  rig.Load("<A>\xE9</A>");
  rig.xml.SetEncoding(ASCII::LATIN1);
  EXPECT_EQ(rig.XmlTokens(), "OPEN A|TEXT \x82|CLOSE A|" + kEnd);
  rig.xml.SetEncoding(ASCII::NO_CHARSET);
  rig.Load("<A/>");
  EXPECT_EQ(rig.xml.GetEncoding(), ASCII::UTF8);
}

TEST(XmlReader, PullOperations) {
  XmlReadRig rig;
  const char* name = nullptr;
  const char* text = nullptr;
  const XML::Attribute* attrs = nullptr;

  rig.Load("<A>x<B/></A>");
  ASSERT_TRUE(rig.xml.GetOpenTag(name, attrs));
  EXPECT_STREQ(name, "A");
  EXPECT_FALSE(rig.xml.IsTag());
  EXPECT_EQ(LastError(), "!757 IsTag");
  EXPECT_FALSE(rig.xml.GetCloseTag(name));
  EXPECT_EQ(LastError(), "!750 TEXT esperando cierre");
  ASSERT_TRUE(rig.xml.GetText(text));  // the text stayed current
  EXPECT_STREQ(text, "x");
  ASSERT_TRUE(rig.xml.PeekTag(name, attrs));
  EXPECT_STREQ(name, "B");
  ASSERT_TRUE(rig.xml.GetOpenTag(name, attrs));
  EXPECT_FALSE(rig.xml.GetOpenTag(name, attrs));
  EXPECT_EQ(LastError(), "!750 CLOSE esperando apertura");
  ASSERT_TRUE(rig.xml.GetCloseTag(name));
  EXPECT_STREQ(name, "B");
  ASSERT_TRUE(rig.xml.GetCloseTag(name));
  EXPECT_STREQ(name, "A");

  // GetField skips elements that hold elements, and reads the leaves.
  const char* field = nullptr;
  const char* value = nullptr;
  rig.Load("<Serial><SerialPort>COM4</SerialPort></Serial><Empty/><DebugLevel>2</DebugLevel>");
  ASSERT_TRUE(rig.xml.GetField(field, value));
  EXPECT_STREQ(field, "Empty");
  EXPECT_STREQ(value, "");
  ASSERT_TRUE(rig.xml.GetField(field, value));
  EXPECT_STREQ(field, "DebugLevel");
  EXPECT_STREQ(value, "2");
  rig.Load("<Bad>x</Other>");
  EXPECT_FALSE(rig.xml.GetField(field, value));
  EXPECT_EQ(LastError(), "!758 Tag: Other, se esperaba Bad");
}

}  // namespace
