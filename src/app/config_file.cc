// proxyconfig.xml: a walk over the file's elements with the XML reader.
#include "app/config_file.h"

#include <memory>
#include <string>
#include <vector>

#include "vxb/common/format/xml_reader.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"

namespace Zorbel {

namespace {

// An element whose content is still being read.
struct Open {
  std::string Name;
  std::string Text;
  bool HasChildren = false;
};

// Walks the document's tokens, delivering every element that holds text
// and no child elements. The reader checks the syntax and the nesting
// depth; the names of matching tags are checked here.
bool Walk(VXB::XML::Reader& xml, const ConfigElementFn& Element) {
  std::vector<Open> open;
  VXB::XML::Reader::Token token;
  for (;;) {
    if (!xml.GetToken(token)) {
      // The end of the input is the end of a complete document only.
      return VXB::Error::GetCurrent().Error == VXB::Error::XML_EOF && open.empty();
    }
    switch (token.Type) {
      case VXB::XML::XMLOPEN:
        if (!open.empty()) open.back().HasChildren = true;
        open.push_back(Open{token.Value, "", false});
        break;
      case VXB::XML::XMLTEXT:
        // Text next to a comment or a CDATA section comes in pieces.
        if (!open.empty()) open.back().Text += token.Value;
        break;
      case VXB::XML::XMLCLOSE: {
        if (open.empty() || open.back().Name != token.Value) return false;
        const Open done = std::move(open.back());
        open.pop_back();
        if (!done.HasChildren && !done.Text.empty()) Element(done.Name, done.Text);
        break;
      }
      default:
        return false;
    }
  }
}

}  // namespace

bool ForEachConfigElementIn(std::string_view Document, const ConfigElementFn& Element) {
  VXB::Driver::StringSource source(Document);
  VXB::XML::Reader xml(&source);
  xml.Reset();
  if (Walk(xml, Element)) return true;
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
