// proxyconfig.xml: a small walk over the file's elements.
#include "app/config_file.h"

#include <memory>
#include <string>
#include <vector>

#include "vxb/common/charset.h"
#include "vxb/common/error.h"
#include "vxb/common/file.h"

namespace Zorbel {

namespace {

using VXB::ASCII::Charsets;

// Longest entity text between '&' and ';'.
constexpr std::size_t MAX_ENTITY = 12;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// Appends Raw, in the file's character set, converted to the internal set.
void AppendConverted(std::string_view Raw, Charsets From, std::string& Out) {
  if (Raw.empty()) return;
  const std::string source(Raw);
  std::string converted(source.size() + 1, '\0');
  const unsigned n = VXB::ASCII::FromCharset(source.c_str(), converted.data(),
                                             static_cast<unsigned>(converted.size()), From);
  if (n != VXB::ASCII::CONVERSION_FAILED) Out.append(converted.data(), n);
}

// Appends character data: entities decoded, the rest converted. False for
// an '&' that does not start a known entity.
bool AppendText(std::string_view Raw, Charsets From, std::string& Out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < Raw.size(); ++i) {
    if (Raw[i] != '&') continue;
    const std::size_t end = Raw.find(';', i + 1);
    if (end == std::string_view::npos || end - i - 1 > MAX_ENTITY) return false;
    const std::string entity(Raw.substr(i + 1, end - i - 1));
    char c = 0;
    if (!VXB::ASCII::FromEntity(entity.c_str(), c, VXB::ASCII::XML_ENTITIES)) return false;
    AppendConverted(Raw.substr(start, i - start), From, Out);
    Out += c;
    start = end + 1;
    i = end;
  }
  AppendConverted(Raw.substr(start), From, Out);
  return true;
}

struct Open {
  std::string Name;
  std::string Text;
  bool HasChildren = false;
};

class Walker {
 public:
  Walker(std::string_view Document, const ConfigElementFn& Element)
      : doc_(Document), element_(Element) {}

  bool Run() {
    if (doc_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    if (Ahead("<?xml") && !Declaration()) return false;
    while (pos_ < doc_.size()) {
      if (doc_[pos_] != '<') {
        if (!CharacterData()) return false;
      } else if (Ahead("<!--")) {
        if (!SkipPast("-->")) return false;
      } else if (Ahead("<![CDATA[")) {
        if (!CData()) return false;
      } else if (Ahead("<?") || Ahead("<!")) {
        if (!SkipPast(">")) return false;  // processing instructions, document type
      } else if (Ahead("</")) {
        if (!CloseTag()) return false;
      } else if (!OpenTag()) {
        return false;
      }
    }
    return stack_.empty();
  }

 private:
  bool Ahead(std::string_view s) const { return doc_.substr(pos_, s.size()) == s; }

  bool SkipPast(std::string_view s) {
    const std::size_t at = doc_.find(s, pos_);
    if (at == std::string_view::npos) return false;
    pos_ = at + s.size();
    return true;
  }

  std::string_view Name() {
    const std::size_t start = pos_;
    while (pos_ < doc_.size() && IsNameChar(doc_[pos_])) ++pos_;
    return doc_.substr(start, pos_ - start);
  }

  // <?xml version="1.0" encoding="..."?>: only the encoding matters.
  bool Declaration() {
    const std::size_t end = doc_.find("?>", pos_);
    if (end == std::string_view::npos) return false;
    const std::string_view decl = doc_.substr(pos_, end - pos_);
    pos_ = end + 2;
    const std::size_t key = decl.find("encoding");
    if (key == std::string_view::npos) return true;
    std::size_t i = key + 8;
    while (i < decl.size() && (IsSpace(decl[i]) || decl[i] == '=')) ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return false;
    const std::size_t close = decl.find(decl[i], i + 1);
    if (close == std::string_view::npos) return false;
    const std::string name(decl.substr(i + 1, close - i - 1));
    if (!VXB::ASCII::FromString(name.c_str(), charset_)) {
      return VXB::Error::SetWithContext(VXB::Error::XML_BAD_ENCODING, "%s", name.c_str());
    }
    return true;
  }

  bool CharacterData() {
    std::size_t end = doc_.find('<', pos_);
    if (end == std::string_view::npos) end = doc_.size();
    const std::string_view raw = doc_.substr(pos_, end - pos_);
    pos_ = end;
    if (stack_.empty()) {
      for (const char c : raw) {
        if (!IsSpace(c)) return false;  // text outside every element
      }
      return true;
    }
    return AppendText(raw, charset_, stack_.back().Text);
  }

  bool CData() {
    if (stack_.empty()) return false;
    pos_ += 9;
    const std::size_t end = doc_.find("]]>", pos_);
    if (end == std::string_view::npos) return false;
    AppendConverted(doc_.substr(pos_, end - pos_), charset_, stack_.back().Text);
    pos_ = end + 3;
    return true;
  }

  bool OpenTag() {
    ++pos_;
    const std::string_view name = Name();
    if (name.empty()) return false;
    // Attributes are skipped; quoted values may hold '>' and '/'.
    char quote = 0;
    bool self_closing = false;
    for (;; ++pos_) {
      if (pos_ >= doc_.size()) return false;
      const char c = doc_[pos_];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        self_closing = doc_[pos_ - 1] == '/';
        ++pos_;
        break;
      }
    }
    if (!stack_.empty()) stack_.back().HasChildren = true;
    if (!self_closing) stack_.push_back(Open{std::string(name), "", false});
    return true;
  }

  bool CloseTag() {
    pos_ += 2;
    const std::string_view name = Name();
    while (pos_ < doc_.size() && IsSpace(doc_[pos_])) ++pos_;
    if (pos_ >= doc_.size() || doc_[pos_] != '>') return false;
    ++pos_;
    if (stack_.empty() || stack_.back().Name != name) return false;
    const Open done = std::move(stack_.back());
    stack_.pop_back();
    if (!done.HasChildren && !done.Text.empty()) element_(done.Name, done.Text);
    return true;
  }

  std::string_view doc_;
  const ConfigElementFn& element_;
  std::size_t pos_ = 0;
  Charsets charset_ = VXB::ASCII::UTF8;
  std::vector<Open> stack_;
};

}  // namespace

bool ForEachConfigElementIn(std::string_view Document, const ConfigElementFn& Element) {
  Walker walker(Document, Element);
  if (walker.Run()) return true;
  if (VXB::Error::OK()) {
    VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, "proxyconfig.xml mal formado");
  }
  return false;
}

bool ForEachConfigElement(const char* ConfigFile, const ConfigElementFn& Element) {
  VXB::File file;
  if (!file.open(VXB::FileSystem::PRIMARY, ConfigFile, VXB::FileSystem::READ_ONLY)) return false;
  auto buffer = std::make_unique<char[]>(MAX_CONFIG_FILE);
  unsigned total = 0;
  while (total < MAX_CONFIG_FILE) {
    unsigned size = MAX_CONFIG_FILE - total;
    if (!file.read(buffer.get() + total, size) || size == 0) break;
    total += size;
  }
  return ForEachConfigElementIn(std::string_view(buffer.get(), total), Element);
}

void ReadConfiguration(const char* ConfigFile, ConfigParams& Config) {
  // Nothing is reported: a missing or broken file leaves the defaults (and
  // whatever was read before the fault).
  VXB::Error::Push();
  ForEachConfigElement(ConfigFile, [&Config](std::string_view Name, std::string_view Text) {
    ApplyConfigElement(Name, Text, Config);
  });
  VXB::Error::Pop();
}

}  // namespace Zorbel
