// The JSON reader and its token-stream adapter on arbitrary bytes: no
// crash, no hang, every token within the limits, nesting never beyond its
// bound, and nothing delivered after a failure.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "token_stream_checks.h"
#include "vxb/common/format/generic_json.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"

using fuzz::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VXB::Error::Init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  // The format reader alone.
  {
    VXB::Driver::StringSource source(text, 13);
    VXB::JSON::Reader r(&source);
    VXB::JSON::Reader::Token t;
    while (r.GetToken(t)) {
      Check(r.Depth() <= VXB::JSON::Reader::MAX_NESTING);
      Check(t.NameLength <= VXB::JSON::Reader::MAX_NAME && std::strlen(t.Name) == t.NameLength);
      Check(t.ValueLength <= VXB::JSON::Reader::MAX_VALUE && std::strlen(t.Value) == t.ValueLength);
    }
    Check(!r.GetToken(t));
  }

  // Through the adapter, with a peek now and then.
  VXB::Driver::StringSource source(text);
  VXB::JSON::Reader r(&source);
  VXB::GenericDataFormat::JSON::Reader g(&r);
  g.Reset();
  fuzz::WalkTokenStream(g);
  return 0;
}
