// Values the HTTP engine puts into a page ($name in httpdOutput, ${name} in
// a served file) come out of an HTML or XML page exactly as they were
// given: the page is read back the way a browser reads HTML and with expat
// for XML, and every markup character of the value survives as text.
#include <expat.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "http_example/raw_client.h"
#include "testing/scratch_dir.h"
#include "vxb/common/http/httpd_api.h"
#include "vxb/common/http/httpd_protocol.h"
#include "vxb/common/io/string_driver.h"

namespace VXB::HTTP {
namespace {

using VXB::Driver::ScriptedConnection;
using Zorbel::HttpExample::ParseResponse;

// Every character that means something in markup, and text that already
// looks like an entity.
constexpr const char* VALUE = "AT&T <b>x</b> \"q\" 'a' &lt;b&gt; &amp; &#65;";

// Character references as a browser resolves them; an & that starts none
// stays as it is.
std::string DecodeHtml(const std::string& s) {
  static const struct {
    const char* name;
    char c;
  } named[] = {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    bool done = false;
    for (const auto& n : named) {
      if (s.compare(i + 1, std::strlen(n.name), n.name) == 0) {
        out += n.c;
        i += std::strlen(n.name);
        done = true;
        break;
      }
    }
    if (!done && i + 1 < s.size() && s[i + 1] == '#') {
      std::size_t end = i + 2;
      unsigned code = 0;
      while (end < s.size() && s[end] >= '0' && s[end] <= '9') code = code * 10 + (s[end++] - '0');
      if (end > i + 2 && end < s.size() && s[end] == ';' && code < 128) {
        out += static_cast<char>(code);
        i = end;
        done = true;
      }
    }
    if (!done) out += '&';
  }
  return out;
}

// The title attribute and the text of <p title="...">...</p> as a browser
// shows them; "<broken>" when the value's own characters broke the markup.
void ReadHtml(const std::string& page, std::string& attribute, std::string& text) {
  attribute = text = "<broken>";
  const std::string open = "<p title=\"";
  if (page.rfind(open, 0) != 0) return;
  const std::size_t quote = page.find('"', open.size());
  if (quote == std::string::npos || page.compare(quote, 2, "\">") != 0) return;
  const std::size_t close = page.find('<', quote + 2);
  if (close == std::string::npos || page.substr(close) != "</p>") return;
  attribute = DecodeHtml(page.substr(open.size(), quote - open.size()));
  text = DecodeHtml(page.substr(quote + 2, close - quote - 2));
}

struct XmlRead {
  std::string attribute = "<none>";
  std::string text;
};

// The a attribute and the text of <p a="...">...</p> by expat; false when
// the page is not well-formed.
bool ReadXml(const std::string& page, XmlRead& r) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &r);
  XML_SetStartElementHandler(parser, [](void* data, const XML_Char*, const XML_Char** attrs) {
    for (int i = 0; attrs[i] != nullptr; i += 2)
      if (std::string(attrs[i]) == "a") static_cast<XmlRead*>(data)->attribute = attrs[i + 1];
  });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* s, int len) {
    static_cast<XmlRead*>(data)->text.append(s, static_cast<std::size_t>(len));
  });
  const bool ok = XML_Parse(parser, page.data(), static_cast<int>(page.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

TEST(HttpdPageValues, MarkupCharactersComeOutAsGiven) {
  const auto dir = Testing::MakeScratchDir("page-values");
  const struct {
    const char* name;
    const char* type;     // for httpdOutput; a file's type follows its name
    const char* file;     // a served file, or null for httpdOutput
    const char* content;  // the page, with its reference to the value
  } cases[] = {
      {"httpdOutput HTML", "text/html", nullptr, "<p title=\"$v\">$v</p>"},
      {"httpdOutput XML", "text/xml", nullptr, "<?xml version=\"1.0\"?><p a=\"$v\">$v</p>"},
      {"file HTML", nullptr, "page.html", "<p title=\"${v}\">${v}</p>"},
      {"file XML", nullptr, "page.xml", "<?xml version=\"1.0\"?><p a=\"${v}\">${v}</p>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto engine = std::make_unique<httpd>();
    ScriptedConnection connection("GET / HTTP/1.0\r\n\r\n");
    httpdUseConnection(engine.get(), &connection, "127.0.0.1");
    ASSERT_EQ(httpdReadRequest(engine.get()), 0);
    ASSERT_EQ(httpdAddVariable(engine.get(), "v", VALUE), 0);
    if (c.file == nullptr) {
      ASSERT_TRUE(httpdSetContentType(engine.get(), c.type));
      ASSERT_TRUE(httpdOutput(engine.get(), c.content));
    } else {
      const std::filesystem::path path = dir / c.file;
      std::ofstream(path, std::ios::binary) << c.content;
      _httpd_sendFile(engine.get(), path.string().c_str());
    }
    const std::string page = ParseResponse(connection.Output()).body;
    if (std::string(c.content).rfind("<?xml", 0) == 0) {
      XmlRead r;
      ASSERT_TRUE(ReadXml(page, r)) << page;
      EXPECT_EQ(r.attribute, VALUE) << page;
      EXPECT_EQ(r.text, VALUE) << page;
    } else {
      std::string attribute, text;
      ReadHtml(page, attribute, text);
      EXPECT_EQ(attribute, VALUE) << page;
      EXPECT_EQ(text, VALUE) << page;
    }
  }
}

}  // namespace
}  // namespace VXB::HTTP
