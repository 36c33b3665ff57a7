// The XML reader and its token-stream adapter on arbitrary bytes: no
// crash, no hang, every token within the limits, nesting never beyond its
// bound, and nothing delivered after a failure.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "token_stream_checks.h"
#include "vxb/common/format/xml_generic.h"
#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"

using fuzz::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VXB::Error::Init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  // The format reader alone, in small reads.
  {
    VXB::Driver::StringSource source(text, 7);
    VXB::Driver::EncodedCharReaderFromGeneric chars(&source, VXB::ASCII::NO_CHARSET,
                                                    VXB::ASCII::CP437, VXB::ASCII::NO_ENTITIES);
    VXB::XML::Reader r(&chars);
    VXB::XML::Reader::Token t;
    int depth = 0;
    while (r.GetToken(t)) {
      const std::size_t n = std::strlen(t.Value);
      if (t.Type == VXB::XML::XMLOPEN) {
        ++depth;
        Check(n >= 1 && n <= VXB::XML::MAX_NAME_LEN);
        unsigned attrs = 0;
        for (const VXB::XML::Attribute* a = t.Attributes; a->Name != nullptr; ++a) ++attrs;
        Check(attrs <= VXB::XML::Reader::MAX_ATTRS);
      } else if (t.Type == VXB::XML::XMLCLOSE) {
        --depth;
        Check(n >= 1 && n <= VXB::XML::MAX_NAME_LEN);
      } else {
        Check(t.Type == VXB::XML::XMLTEXT && n <= VXB::XML::Reader::MAX_BUFFER);
      }
      Check(depth >= 0 && depth <= static_cast<int>(VXB::XML::MAX_NESTING));
    }
    Check(!r.GetToken(t));
  }

  // The pull operations of the configuration file.
  {
    VXB::Driver::StringSource source(text);
    VXB::XML::Reader r(&source);
    const char* name = nullptr;
    const char* value = nullptr;
    for (unsigned i = 0; i < 64 && r.GetField(name, value); ++i) {
      Check(std::strlen(name) <= VXB::XML::MAX_NAME_LEN);
    }
  }

  // Through the adapter, with a peek now and then.
  VXB::Driver::StringSource source(text);
  VXB::Driver::EncodedCharReaderFromGeneric chars(&source, VXB::ASCII::NO_CHARSET,
                                                  VXB::ASCII::CP437, VXB::ASCII::XML_ENTITIES);
  VXB::XML::Reader r(&chars);
  VXB::GenericDataFormat::XML::Reader g(&r);
  g.Reset();
  fuzz::WalkTokenStream(g);
  VXB::GenericDataFormat::Token t, peeked;
  Check(!g.GetToken(t) && !g.PeekToken(peeked));
  return 0;
}
