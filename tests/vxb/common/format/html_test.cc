// The HTML writer over an in-memory encoded writer.
#include "vxb/common/format/html.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "testing/scratch_dir.h"

namespace VXB::HTML {
namespace {

class Sink : public Driver::EncodedStringWriter {
 public:
  explicit Sink(ASCII::Charsets To)
      : EncodedStringWriter("Sink", ASCII::CP437, To, ASCII::NO_ENTITIES) {}
  // Unbuffered, refusing only its write number Refused (counted from 0).
  Sink(ASCII::Charsets To, std::size_t Refused) : Sink(To) {
    SetBufferSize(0);
    refused_ = Refused;
  }
  std::size_t Writes() const { return writes_; }
  std::string Text() {
    Flush(Constants::WAIT_FOREVER);
    return out_;
  }

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) override {
    if (writes_++ == refused_) return 0;
    out_.append(reinterpret_cast<const char*>(buf), size);
    return size;
  }

 private:
  std::string out_;
  std::size_t refused_ = std::string::npos;
  std::size_t writes_ = 0;
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

// One operation (or a short sequence) and the exact markup it writes.
struct Markup {
  const char* What;
  std::function<bool(Writer&)> Write;
  const char* Expected;
};

const std::vector<Markup>& MarkupTable() {
  static const std::vector<Markup> table = {
      {"script", [](Writer& h) { return h.Script("if (a<b) go();"); },
       "<script type=\"text/javascript\">if (a<b) go();</script>"},
      {"header", [](Writer& h) { return h.Header(2, "%s & %d", "x", 1); }, "<h2>x &amp; 1</h2>"},
      {"header level out of range", [](Writer& h) { return h.Header(7, "t"); }, "<h1>t</h1>"},
      {"paragraph", [](Writer& h) { return h.Paragraph("a<%s", "b"); }, "<p>a&lt;b</p>"},
      {"paragraph block",
       [](Writer& h) { return h.BeginParagraph("c") && h.Text("x") && h.EndParagraph(); },
       "<p class=\"c\">x</p>"},
      {"table",
       [](Writer& h) {
         return h.BeginTable("t") && h.BeginTableRow() && h.BeginTableCol() && h.EndTableCol() &&
                h.EndTableRow() && h.EndTable();
       },
       "<table class=\"t\"><tr><td></td></tr></table>"},
      {"image", [](Writer& h) { return h.Image("i.png", nullptr, "c"); },
       "<img src=\"i.png\" alt=\"\" class=\"c\">"},
      {"image values escaped", [](Writer& h) { return h.Image("a\"b", "x<y&z"); },
       "<img src=\"a&quot;b\" alt=\"x&lt;y&amp;z\">"},
      {"link", [](Writer& h) { return h.BeginLink("/x?a=1&b=2") && h.EndLink(); },
       "<a href=\"/x?a=1&amp;b=2\"></a>"},
      {"frame", [](Writer& h) { return h.Frame("f.html", "w"); },
       "<iframe src=\"f.html\" class=\"w\"></iframe>"},
      {"resizing frame",
       [](Writer& h) {
         h.WillUseFrames();
         return h.Frame("f.html");
       },
       "<iframe src=\"f.html\" onload=\"resizeIframe(this)\"></iframe>"},
      {"tool tip",
       [](Writer& h) { return h.BeginToolTip("say \"hi\"", "t") && h.Text("x") && h.EndToolTip(); },
       "<span class=\"t\" title=\"say &quot;hi&quot;\">x</span>"},
      {"div", [](Writer& h) { return h.BeginDiv() && h.EndDiv(); }, "<div></div>"},
      {"div with id", [](Writer& h) { return h.BeginDiv("a", "b") && h.EndDiv(); },
       "<div class=\"a\" id=\"b\"></div>"},
      {"div with id only", [](Writer& h) { return h.BeginDiv(nullptr, "d"); }, "<div id=\"d\">"},
      {"unordered list",
       [](Writer& h) {
         return h.BeginUnorderedList("u") && h.BeginListItem() && h.Text("a") && h.EndListItem() &&
                h.EndUnorderedList();
       },
       "<ul class=\"u\"><li>a</li></ul>"},
      {"ordered list",
       [](Writer& h) {
         return h.BeginOrderedList() && h.BeginListItem("i") && h.EndListItem() &&
                h.EndOrderedList();
       },
       "<ol><li class=\"i\"></li></ol>"},
      {"emphasis and strong",
       [](Writer& h) {
         return h.BeginEmphasys() && h.EndEmphasys() && h.BeginStrong("s") && h.EndStrong();
       },
       "<em></em><strong class=\"s\"></strong>"},
      {"span", [](Writer& h) { return h.Span("c", "%d<", 5); }, "<span class=\"c\">5&lt;</span>"},
      {"span block", [](Writer& h) { return h.BeginSpan() && h.EndSpan(); }, "<span></span>"},
      {"anchor", [](Writer& h) { return h.BeginAnchor("top") && h.EndAnchor(); },
       "<a name=\"top\"></a>"},
      {"break and rule", [](Writer& h) { return h.Break() && h.HorizontalRule(); }, "<br><hr>"},
      {"form",
       [](Writer& h) {
         return h.BeginForm("/send", "f", true) && std::string(h.FormName()) == "f" &&
                h.EndForm() && h.FormName() == nullptr;
       },
       "<form action=\"/send\" method=\"post\" enctype=\"multipart/form-data\" name=\"f\">"
       "</form>"},
      {"plain form", [](Writer& h) { return h.BeginForm("/a"); },
       "<form action=\"/a\" method=\"post\">"},
      {"text box", [](Writer& h) { return h.TextBox("n", 10, "%s", "v\">"); },
       "<input type=\"text\" name=\"n\" value=\"v&quot;&gt;\" size=\"10\">"},
      {"empty text box", [](Writer& h) { return h.TextBox("n", 0, nullptr); },
       "<input type=\"text\" name=\"n\">"},
      {"text area", [](Writer& h) { return h.TextArea("t", 3, 40, "%s", "</textarea>"); },
       "<textarea name=\"t\" rows=\"3\" cols=\"40\">&lt;/textarea&gt;</textarea>"},
      {"submit button", [](Writer& h) { return h.Button("go", "Enviar"); },
       "<input type=\"submit\" name=\"go\" value=\"Enviar\">"},
      {"plain button", [](Writer& h) { return h.Button(nullptr, "x", false); },
       "<input type=\"button\" value=\"x\">"},
      {"button with code", [](Writer& h) { return h.ButtonWithCode("x", "say(\"a&b\")"); },
       "<input type=\"button\" value=\"x\" onclick=\"say(&quot;a&amp;b&quot;)\">"},
      {"variable", [](Writer& h) { return h.Variable("id", "%u", 7u); },
       "<input type=\"hidden\" name=\"id\" value=\"7\">"},
      {"radio", [](Writer& h) { return h.Radio("r", "1", true); },
       "<input type=\"radio\" name=\"r\" value=\"1\" checked>"},
      {"check", [](Writer& h) { return h.Check("c", nullptr, false); },
       "<input type=\"checkbox\" name=\"c\">"},
      {"combo",
       [](Writer& h) {
         static const char* const options[] = {"a", "b<"};
         return h.Combo("m", options, 1);
       },
       "<select name=\"m\"><option>a</option><option selected>b&lt;</option></select>"},
      {"combo without choice",
       [](Writer& h) {
         static const char* const options[] = {"a"};
         return h.Combo("m", options, 1);
       },
       "<select name=\"m\"><option>a</option></select>"},
      {"file input", [](Writer& h) { return h.FileInput("f"); },
       "<input type=\"file\" name=\"f\">"},
      {"multiple classes",
       [](Writer& h) {
         return h.BeginDiv(h.MultipleClasses({"a", nullptr, "b"}));
       },
       "<div class=\"a b\">"},
  };
  return table;
}

TEST(HtmlWriter, EveryOperationWritesItsMarkup) {
  for (const Markup& row : MarkupTable()) {
    Sink sink(ASCII::LATIN1);
    Writer html(&sink);
    EXPECT_TRUE(row.Write(html)) << row.What;
    EXPECT_EQ(sink.Text(), row.Expected) << row.What;
  }
}

// Whichever write the target refuses, the operation reports it and writes
// nothing more.
TEST(HtmlWriter, EveryOperationStopsAtTheFirstRefusedWrite) {
  for (const Markup& row : MarkupTable()) {
    Sink counting(ASCII::LATIN1, std::string::npos);
    Writer all(&counting);
    ASSERT_TRUE(row.Write(all)) << row.What;
    for (std::size_t refused = 0; refused < counting.Writes(); ++refused) {
      Sink sink(ASCII::LATIN1, refused);
      Writer html(&sink);
      EXPECT_FALSE(row.Write(html)) << row.What << ", write " << refused << " refused";
      EXPECT_EQ(sink.Writes(), refused + 1) << row.What << ", write " << refused << " refused";
    }
    Writer unattached;
    EXPECT_FALSE(row.Write(unattached)) << row.What << " without a target";
  }
}

TEST(HtmlWriter, MultipleClassesLeavesOutWhatDoesNotFit) {
  Writer html;
  const std::string long_class(Writer::BUFFER_SIZE - 1, 'x');
  EXPECT_STREQ(html.MultipleClasses({}), "");
  EXPECT_EQ(std::string(html.MultipleClasses({long_class.c_str(), "b"})), long_class);
  EXPECT_STREQ(html.MultipleClasses({"b", long_class.c_str(), "", "c"}), "b c");
}

TEST(HtmlWriter, ScriptCannotEndItsElement) {
  for (const char* code : {"a();</script><b>", "x</SCRIPT >"}) {
    Sink sink(ASCII::LATIN1);
    Writer html(&sink);
    EXPECT_FALSE(html.Script(code)) << code;
    EXPECT_EQ(sink.Text(), "") << code;
  }
}

// Start and end tags pair up in a whole page holding every element; no
// value leaves its attribute (a stray quote or bracket breaks the pairing).
TEST(HtmlWriter, WholePageIsBalanced) {
  Sink sink(ASCII::LATIN1);
  Writer html(&sink);
  ASSERT_TRUE(html.Begin("p\"<"));
  for (const Markup& row : MarkupTable()) ASSERT_TRUE(row.Write(html)) << row.What;
  ASSERT_TRUE(html.EndDiv() && html.EndForm() && html.EndDiv() && html.End());
  const std::string page = sink.Text();
  static const std::vector<std::string> empty_elements = {"br",    "hr",   "img",
                                                          "input", "meta", "link"};
  std::vector<std::string> open;
  for (std::size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
    const std::size_t end = page.find('>', at);
    ASSERT_NE(end, std::string::npos);
    const std::string tag = page.substr(at + 1, end - at - 1);
    ASSERT_EQ(tag.find_first_of("<\n"), std::string::npos) << tag;
    if (tag[0] == '!') continue;
    const std::string name = tag.substr(tag[0] == '/' ? 1 : 0, tag.find(' ') - (tag[0] == '/'));
    if (tag[0] == '/') {
      ASSERT_FALSE(open.empty()) << tag;
      ASSERT_EQ(open.back(), name) << page.substr(0, end + 1);
      open.pop_back();
    } else if (std::find(empty_elements.begin(), empty_elements.end(), name) ==
               empty_elements.end()) {
      open.push_back(name);
      if (name == "script") at = page.find("</script>", end) - 1;  // code, not markup
    }
  }
  EXPECT_TRUE(open.empty()) << open.size();
}

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(StyleSheet, RulesGoToTheFileOnEnd) {
  const std::filesystem::path file = Testing::MakeScratchDir("css") / "page.css";
  CSS css;
  ASSERT_TRUE(css.Begin(file.string().c_str()));
  ASSERT_TRUE(css.Reset());
  ASSERT_TRUE(css.ElementSelector(Element::H1) && css.BeginDefinition() && css.Bold() &&
              css.Italic() && css.Size(CSS::FontSize::BIG) && css.FontFamily("Arial, sans-serif") &&
              css.TextJustification(CSS::CENTER) && css.EndDefinition());
  ASSERT_TRUE(css.ElementSelector(Element::TABLE) && css.ClassSelector("t") &&
              css.BeginDefinition() && css.TableJustification(CSS::CENTER) &&
              css.FontFace("12pt", "serif") && css.EndDefinition());
  ASSERT_TRUE(css.IDSelector("logo") && css.BeginDefinition() &&
              css.ImageJustification(CSS::RIGHT) && css.ForegroundColor(CSS::Color::NAVY) &&
              css.BackgroundColor(CSS::Color(0x12, 0xab, 0xff)) && css.EndDefinition());
  ASSERT_TRUE(css.ElementSelector(Element::INPUT) &&
              css.AttributeSelector(Attribute::TYPE, "text") &&
              css.AttributeSelector(Attribute::CHECKED) && css.BeginDefinition() &&
              css.AddProperty(Property::WIDTH, "%dpx", 80) && css.EndDefinition());
  ASSERT_TRUE(css.TableWithAlternateColors("t", CSS::Color::SILVER, CSS::Color::WHITE));
  ASSERT_TRUE(css.BeginLinksStyle("menu") && css.NoTextDecoration() && css.EndLinksStyle());
  EXPECT_EQ(ReadAll(file), "");  // still in the buffer
  ASSERT_TRUE(css.End());
  EXPECT_EQ(ReadAll(file),
            "html, body, div, span, h1, h2, h3, h4, p, pre, a, em, strong, img, ol, ul, li, form, "
            "fieldset, table, tbody, tr, td {margin: 0; padding: 0; border: 0; }\n"
            "h1 {font-weight: bold; font-style: italic; font-size: large; "
            "font-family: Arial, sans-serif; text-align: center; }\n"
            "table.t {margin-left: auto; margin-right: auto; font: 12pt serif; }\n"
            "#logo {float: right; color: navy; background-color: #12abff; }\n"
            "input[type=text][checked] {width: 80px; }\n"
            "table.t tr:nth-child(even) {background-color: silver; }\n"
            "table.t tr:nth-child(odd) {background-color: white; }\n"
            ".menu a:link, .menu a:visited {text-decoration: none; }\n");
}

TEST(StyleSheet, NamesAndBufferLimit) {
  EXPECT_EQ(CSS::Color(CSS::Color::AQUA).ToString(), "aqua");
  EXPECT_EQ(CSS::Color(CSS::Color::YELLOW).ToString(), "yellow");
  EXPECT_EQ(CSS::Color(static_cast<CSS::Color::Colors>(16)).ToString(), "?");
  EXPECT_STREQ(CSS::FontSize(CSS::FontSize::TINY).ToString(), "x-small");
  EXPECT_STREQ(CSS::FontSize(CSS::FontSize::EXTRABIG).ToString(), "x-large");

  const std::filesystem::path file = Testing::MakeScratchDir("css") / "big.css";
  CSS css;
  ASSERT_TRUE(css.Begin(file.string().c_str()));
  const std::string name(CSS::BUFFER_SIZE + 10, 'n');
  ASSERT_TRUE(css.ClassSelector(name.c_str()));
  EXPECT_EQ(ReadAll(file).size(), CSS::BUFFER_SIZE);  // one full buffer written
  ASSERT_TRUE(css.Flush());
  EXPECT_EQ(ReadAll(file), "." + name);
  ASSERT_TRUE(css.End());

  CSS unopened;
  EXPECT_FALSE(unopened.Begin((file.parent_path() / "missing" / "x.css").string().c_str()));
  EXPECT_TRUE(unopened.Bold());  // buffered
  EXPECT_FALSE(unopened.End());  // refused by the unopened file
  EXPECT_TRUE(unopened.End());   // nothing left to write
}

// A sheet built in memory goes whole into the head of the pages begun
// while it is set; one that could close its element is refused.
TEST(StyleSheet, BuiltInMemoryAndWrittenIntoTheHead) {
  CSS css;
  css.BeginText();
  const std::string name(CSS::BUFFER_SIZE + 10, 'n');  // more than one buffer
  ASSERT_TRUE(css.ClassSelector(name.c_str()) && css.BeginDefinition() && css.Bold() &&
              css.EndDefinition() && css.End());
  const std::string sheet = "." + name + " {font-weight: bold; }\n";
  EXPECT_EQ(css.Text(), sheet);
  const struct {
    std::string Sheet;
    bool Begun;
    const char* Head;  // what the head holds after the title
  } cases[] = {
      {sheet, true, "</title><style type=\"text/css\">"},
      {"", true, "</title></head>"},
      {"p {} </style><script>", false, nullptr},
  };
  for (const auto& c : cases) {
    Sink sink(ASCII::CP437);
    Writer html(&sink);
    html.SetStyleText(c.Sheet);
    EXPECT_EQ(html.Begin("t"), c.Begun) << c.Sheet;
    if (!c.Begun) {
      EXPECT_EQ(sink.Text(), "");
      continue;
    }
    ASSERT_TRUE(html.End());
    const std::string page = sink.Text();
    EXPECT_NE(page.find(c.Head), std::string::npos) << page;
    EXPECT_EQ(page.find(c.Sheet + "</style></head><body>") != std::string::npos, !c.Sheet.empty())
        << page;
  }
}

}  // namespace
}  // namespace VXB::HTML
