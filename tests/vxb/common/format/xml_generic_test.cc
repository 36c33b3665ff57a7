// The token stream over XML: document shapes, list rules, structure errors,
// nesting limits, round trips through the writer, and two differential
// checks against expat: generated documents read by both parsers give the
// same tokens, and every document the writer produces is well-formed and
// reads back with the same values.
#include "vxb/common/format/xml_generic.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "testing/xml_rig.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"
#include "vxb/common/text/charset_tables.h"

namespace {

using zorbel_testing::LastError;
using zorbel_testing::XmlReadRig;
using zorbel_testing::XmlWriteRig;
using namespace VXB;

const std::string kEnd = "!255 GenericDataFormat<XML>";

struct Case {
  std::string name;
  std::string doc;
  std::string tokens;
};

std::string NestedObjects(unsigned depth) {
  std::string open, close, tokens_open, tokens_close;
  for (unsigned i = 0; i < depth; ++i) {
    const std::string n = "E" + std::to_string(i);
    open += "<" + n + ">";
    close = "</" + n + ">" + close;
    tokens_open += "OO " + n + "|";
    tokens_close = "CO " + n + "|" + tokens_close;
  }
  return open + close + "\t" + tokens_open + tokens_close;
}

TEST(XmlTokenReader, DocumentShapesAndStructureErrors) {
  const std::string nested30 = NestedObjects(30);
  const std::size_t tab = nested30.find('\t');
  const Case cases[] = {
      {"value_and_empty_object", "<Cmd><A>1</A><B/></Cmd>",
       "OO Cmd|NV A=1|OO B|CO B|CO Cmd|" + kEnd},
      {"pretty_printed", "<?xml version=\"1.0\"?>\n<Cmd>\n  <A>1</A>\n  <B>\n  </B>\n</Cmd>\n",
       "OO Cmd|NV A=1|OO B|CO B|CO Cmd|" + kEnd},
      {"blank_value", "<Cmd><T> </T></Cmd>", "OO Cmd|NV T= |CO Cmd|" + kEnd},
      {"list", "<L type=\"list\"><L>x</L><L>y</L></L>", "OA L|AE L=x|AE L=y|CA L|" + kEnd},
      {"list_attribute_not_first", "<L a='1' type=\"list\"><L>x</L></L>",
       "OO L|NV L=x|CO L|" + kEnd},
      {"empty_list_element", "<C><L type=\"list\"><L/><L></L></L></C>",
       "OO C|OA L|AE L=|AE L=|CA L|CO C|" + kEnd},
      {"list_child_named_otherwise", "<L type='list'><M>x</M></L>",
       "OA L|!750 List element mismatch (<M> in <L>)"},
      {"list_child_closed_otherwise", "<L type='list'><L>x</M></L>",
       "OA L|!750 Open/close tag mismatch (<L></M>)"},
      {"object_in_list", "<L type='list'><L><X/></L></L>",
       "OA L|!750 Unexpected object in list (<L> in <L>)"},
      {"empty_list_child_closed_otherwise", "<L type='list'><L></M></L>",
       "OA L|!750 Unexpected object in list (<L> in <L>)"},
      {"text_mixed_with_elements", "<C><A>1</A>x<B/></C>",
       "OO C|NV A=1|!750 Unexpected text token (x after C)"},
      {"text_before_elements", "<C>x<B/></C>", "!750 Open/close tag mismatch (<C></OPEN>)"},
      {"close_mismatch", "<C><B><X/></D></C>",
       "OO C|OO B|OO X|CO X|!750 Open/Close mismatch (<B></D>)"},
      {"value_close_mismatch", "<C><A>1</B></C>", "OO C|!750 Open/close tag mismatch (<A></B>)"},
      {"end_inside_document", "<C><A>1</A>", "OO C|NV A=1|" + kEnd},
      {"end_after_value_text", "<C><A>1", "OO C|" + kEnd},
      {"depth_30", nested30.substr(0, tab), nested30.substr(tab + 1) + kEnd},
      {"second_root_follows", "<A/><B><X>1</X></B>", "OO A|CO A|OO B|NV X=1|CO B|" + kEnd},
      {"control_bytes_reach_the_value", "<C><A>a&#28;b\x02</A></C>",
       "OO C|NV A=a\x1C"
       "b\x02|CO C|" +
           kEnd},
  };
  XmlReadRig rig;
  for (const Case& c : cases) {
    rig.Load(c.doc);
    EXPECT_EQ(rig.Tokens(), c.tokens) << c.name;
  }
}

TEST(XmlTokenReader, PeekThenGetDeliversOnce) {
  XmlReadRig rig;
  rig.Load("<C><A>1</A></C>");
  GenericDataFormat::Token t;
  ASSERT_TRUE(rig.reader.PeekToken(t));
  ASSERT_TRUE(rig.reader.PeekToken(t));
  EXPECT_EQ(t.Type, GenericDataFormat::Token::OPEN_OBJECT);
  ASSERT_TRUE(rig.reader.GetToken(t));
  EXPECT_STREQ(t.Name, "C");
  EXPECT_EQ(rig.Tokens(), "NV A=1|CO C|" + kEnd);
  // Reset forgets the peeked token and the open structures.
  rig.Load("<C><A>1</A></C>");
  ASSERT_TRUE(rig.reader.PeekToken(t));
  rig.Load("<D/>");
  EXPECT_EQ(rig.Tokens(), "OO D|CO D|" + kEnd);
}

// A random document tree and the ways to write it.
struct Node {
  enum Kind { OBJECT, VALUE, LIST } kind = OBJECT;
  std::string name;                   // internal set
  std::string text;                   // VALUE
  std::vector<std::string> elements;  // LIST
  std::vector<Node> children;         // OBJECT
};

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  unsigned Pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng_); }

  std::string Name() {
    static const char* const kNames[] = {"Cmd",   "Campo", "A\xA4o",         "x-y.z", "_n1",
                                         "Texto", "Lista", "Descripci\xA2n", "B",     "Estado"};
    return kNames[Pick(10)];
  }

  // Values are never empty and never layout white space alone.
  std::string Value(bool with_controls) {
    static const std::string kChars = "abcXYZ019 &<>\"'\xA0\xA4\xA5\x82\xA8\xAD\x81";
    if (Pick(12) == 0) return std::string(1 + Pick(3), ' ');
    std::string v;
    const unsigned n = 1 + Pick(12);
    for (unsigned i = 0; i < n; ++i) v += kChars[Pick(kChars.size())];
    if (with_controls && Pick(3) == 0) v.insert(Pick(v.size()), 1, "\x01\x1C\x1B\t\n\r"[Pick(6)]);
    if (v.find_first_not_of(" \t\n\r") == std::string::npos) v += 'z';
    return v;
  }

  Node Tree(unsigned depth, bool with_controls) {
    Node n;
    n.name = Name();
    const unsigned children = depth >= 4 ? 0 : Pick(5);
    for (unsigned i = 0; i < children; ++i) {
      Node c;
      switch (Pick(4)) {
        case 0:
          c = Tree(depth + 1, with_controls);
          break;
        case 1:
          c.kind = Node::LIST;
          c.name = Name();
          for (unsigned e = Pick(4); e > 0; --e) {
            c.elements.push_back(Pick(5) == 0 ? "" : Value(with_controls));
          }
          break;
        default:
          c.kind = Node::VALUE;
          c.name = Name();
          c.text = Value(with_controls);
      }
      n.children.push_back(c);
    }
    return n;
  }

 private:
  std::mt19937 rng_;
};

void TokensOf(const Node& n, std::string& out) {
  switch (n.kind) {
    case Node::VALUE:
      out += "NV " + n.name + "=" + n.text + "|";
      return;
    case Node::LIST:
      out += "OA " + n.name + "|";
      for (const std::string& e : n.elements) out += "AE " + n.name + "=" + e + "|";
      out += "CA " + n.name + "|";
      return;
    case Node::OBJECT:
      out += "OO " + n.name + "|";
      for (const Node& c : n.children) TokensOf(c, out);
      out += "CO " + n.name + "|";
  }
}

// Writes a tree as an XML document in the character set cs, choosing at
// random among the spellings XML allows.
class DocumentWriter {
 public:
  DocumentWriter(Generator& g, ASCII::Charsets cs) : g_(g), cs_(cs), pretty_(g.Pick(2) == 0) {}

  std::string Write(const Node& root) {
    std::string doc;
    if (cs_ == ASCII::UTF8 && g_.Pick(3) == 0) doc += "\xEF\xBB\xBF";
    if (cs_ == ASCII::LATIN1) {
      doc += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    } else if (g_.Pick(2) == 0) {
      doc += "<?xml version='1.0' encoding='UTF-8'?>";
    }
    if (g_.Pick(3) == 0) doc += "\n<!-- generated -->";
    Element(root, 0, doc);
    if (pretty_) doc += "\n";
    return doc;
  }

 private:
  void Layout(unsigned depth, std::string& doc) {
    if (!pretty_) return;
    doc += g_.Pick(4) == 0 ? "\r\n" : "\n";
    doc += g_.Pick(2) ? std::string(depth, '\t') : std::string(2 * depth, ' ');
    if (g_.Pick(10) == 0) doc += "<!-- x -->";
  }

  std::string Raw(const std::string& internal) {
    char buffer[256];
    if (cs_ == ASCII::UTF8) {
      ASCII::ToUTF8(internal.c_str(), buffer, sizeof(buffer));
    } else {
      ASCII::ToLatin1(internal.c_str(), buffer, sizeof(buffer));
    }
    return buffer;
  }

  std::string Text(const std::string& internal) {
    std::string out;
    for (char c : internal) {
      const unsigned latin1 = static_cast<unsigned char>(ASCII::Latin1Of(c));
      const std::string ref =
          g_.Pick(2) ? "&#" + std::to_string(latin1) + ";" : "&#x" + ToHex(latin1) + ";";
      switch (c) {
        case '&':
          out += g_.Pick(2) ? "&amp;" : ref;
          break;
        case '<':
          out += g_.Pick(2) ? "&lt;" : ref;
          break;
        case '>':
          out += g_.Pick(2) ? "&gt;" : ">";
          break;
        case '"':
          out += g_.Pick(2) ? "&quot;" : "\"";
          break;
        case '\'':
          out += g_.Pick(2) ? "&apos;" : "'";
          break;
        default:
          out += (latin1 >= 0x80 && g_.Pick(3) == 0) ? ref : Raw(std::string(1, c));
      }
    }
    return out;
  }

  static std::string ToHex(unsigned v) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string(1, kDigits[v >> 4]) + kDigits[v & 15];
  }

  void Element(const Node& n, unsigned depth, std::string& doc) {
    const std::string name = Raw(n.name);
    const std::string close = "</" + name + (g_.Pick(4) == 0 ? " >" : ">");
    Layout(depth, doc);
    switch (n.kind) {
      case Node::VALUE:
        doc += "<" + name + ">" + Text(n.text) + close;
        return;
      case Node::LIST:
        doc += "<" + name + (g_.Pick(2) ? " type=\"list\"" : " type = 'list'") +
               (g_.Pick(3) == 0 ? " extra='1'" : "") + ">";
        for (const std::string& e : n.elements) {
          Layout(depth + 1, doc);
          if (e.empty() && g_.Pick(2)) {
            doc += "<" + name + "/>";
          } else {
            doc += "<" + name + ">" + Text(e) + "</" + name + ">";
          }
        }
        Layout(depth, doc);
        doc += close;
        return;
      case Node::OBJECT:
        if (n.children.empty() && g_.Pick(2)) {
          doc += "<" + name + (g_.Pick(2) ? "/>" : " a='1' />");
          return;
        }
        doc += "<" + name + ">";
        for (const Node& c : n.children) Element(c, depth + 1, doc);
        Layout(depth, doc);
        doc += close;
    }
  }

  Generator& g_;
  ASCII::Charsets cs_;
  bool pretty_;
};

// expat's view of a document, turned into tokens by the same rules.
struct ENode {
  std::string name;
  bool list = false;
  std::string text;
  std::vector<std::unique_ptr<ENode>> children;
};

struct ExpatDocument {
  std::unique_ptr<ENode> root;
  std::vector<ENode*> open;
};

std::string Internal(const std::string& utf8) {
  std::vector<char> out(utf8.size() + 1);
  ASCII::FromUTF8(utf8.c_str(), out.data(), static_cast<unsigned>(out.size()));
  return out.data();
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
  auto* d = static_cast<ExpatDocument*>(data);
  auto node = std::make_unique<ENode>();
  node->name = Internal(name);
  node->list =
      atts[0] != nullptr && std::string(atts[0]) == "type" && std::string(atts[1]) == "list";
  ENode* raw = node.get();
  if (d->open.empty()) {
    d->root = std::move(node);
  } else {
    d->open.back()->children.push_back(std::move(node));
  }
  d->open.push_back(raw);
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  static_cast<ExpatDocument*>(data)->open.pop_back();
}

void XMLCALL OnText(void* data, const XML_Char* s, int len) {
  auto* d = static_cast<ExpatDocument*>(data);
  if (!d->open.empty()) d->open.back()->text += std::string(s, static_cast<std::size_t>(len));
}

bool IsValueText(const std::string& text) {
  if (text.empty()) return false;
  if (text.find_first_not_of(" \t\n\r") != std::string::npos) return true;
  return text.find_first_not_of(' ') == std::string::npos;
}

void ETokens(const ENode& n, const ENode* list, std::string& out) {
  const std::string text = Internal(n.text);
  if (list != nullptr) {
    out += "AE " + list->name + "=" + (IsValueText(n.text) ? text : "") + "|";
  } else if (n.list) {
    out += "OA " + n.name + "|";
    for (const auto& c : n.children) ETokens(*c, &n, out);
    out += "CA " + n.name + "|";
  } else if (n.children.empty() && IsValueText(n.text)) {
    out += "NV " + n.name + "=" + text + "|";
  } else {
    out += "OO " + n.name + "|";
    for (const auto& c : n.children) ETokens(*c, nullptr, out);
    out += "CO " + n.name + "|";
  }
}

// The tokens expat sees in doc, or "expat: <error>".
std::string ExpatTokens(const std::string& doc) {
  ExpatDocument d;
  XML_Parser p = XML_ParserCreate(nullptr);
  XML_SetUserData(p, &d);
  XML_SetElementHandler(p, OnStart, OnEnd);
  XML_SetCharacterDataHandler(p, OnText);
  const bool ok = XML_Parse(p, doc.data(), static_cast<int>(doc.size()), 1) == XML_STATUS_OK;
  std::string out = ok ? "" : std::string("expat: ") + XML_ErrorString(XML_GetErrorCode(p));
  XML_ParserFree(p);
  if (ok && d.root) ETokens(*d.root, nullptr, out);
  return out;
}

TEST(XmlTokenReader, AgreesWithExpatOnGeneratedDocuments) {
  XmlReadRig rig;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    Generator g(seed);
    const Node tree = g.Tree(0, false);
    std::string expected;
    TokensOf(tree, expected);
    const ASCII::Charsets cs = seed % 2 ? ASCII::UTF8 : ASCII::LATIN1;
    const std::string doc = DocumentWriter(g, cs).Write(tree);
    EXPECT_EQ(ExpatTokens(doc), expected) << "seed " << seed << "\n" << doc;
    rig.Load(doc);
    EXPECT_EQ(rig.Tokens(), expected + kEnd) << "seed " << seed << "\n" << doc;
  }
}

void WriteTree(GenericDataFormat::Writer& w, const Node& n) {
  switch (n.kind) {
    case Node::VALUE:
      ASSERT_TRUE(w.NameValue(n.name.c_str(), n.text.c_str()));
      return;
    case Node::LIST:
      ASSERT_TRUE(w.OpenArray(n.name.c_str()));
      for (const std::string& e : n.elements) ASSERT_TRUE(w.ArrayElement(e.c_str()));
      ASSERT_TRUE(w.CloseArray());
      return;
    case Node::OBJECT:
      ASSERT_TRUE(w.OpenObject(n.name.c_str()));
      for (const Node& c : n.children) WriteTree(w, c);
      ASSERT_TRUE(w.CloseObject());
  }
}

// What a value becomes once written: control characters other than tab,
// line feed and carriage return are '?'.
std::string Written(std::string v) {
  for (char& c : v) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') c = '?';
  }
  return v;
}

void WrittenTree(Node& n) {
  n.text = Written(n.text);
  for (std::string& e : n.elements) e = Written(e);
  for (Node& c : n.children) WrittenTree(c);
}

TEST(XmlTokenWriter, EveryDocumentIsWellFormedAndReadsBack) {
  XmlReadRig reader;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    Generator g(seed);
    Node tree = g.Tree(0, true);
    const ASCII::Charsets cs = seed % 2 ? ASCII::UTF8 : ASCII::LATIN1;
    XmlWriteRig rig(cs);
    rig.writer.SetWhitespaceCompression(seed % 3 == 0);
    WriteTree(rig.writer, tree);
    WrittenTree(tree);
    std::string expected;
    TokensOf(tree, expected);
    EXPECT_EQ(ExpatTokens(rig.sink.Text()), expected) << "seed " << seed << "\n" << rig.sink.Text();
    reader.Load(rig.sink.Text());
    EXPECT_EQ(reader.Tokens(), expected + kEnd) << "seed " << seed << "\n" << rig.sink.Text();
  }
}

TEST(XmlTokenWriter, StackHoldsItsLevelsAndRefusesBeyond) {
  // Thirty nested objects are read whole (thirty levels and the sentinel).
  XmlReadRig rig;
  const std::string nested = NestedObjects(30);
  rig.Load(nested.substr(0, nested.find('\t')));
  EXPECT_EQ(rig.Tokens(), nested.substr(nested.find('\t') + 1) + kEnd);
  rig.Load("<A>" + nested.substr(0, nested.find('\t')) + "</A>");
  EXPECT_NE(rig.Tokens().find("!750 M\xA0s de 30 elementos anidados"), std::string::npos);
}

}  // namespace
