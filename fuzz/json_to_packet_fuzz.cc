// Command documents in JSON on arbitrary bytes through the conversion into
// a packet: no crash, no hang, and a converted packet never holds a byte
// that frames packets.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "packet_checks.h"
#include "vxb/common/format/generic_json.h"
#include "vxb/common/io/string_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VXB::Error::Init();
  VXP::Error::Init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  VXB::Driver::StringSource source(std::string_view(reinterpret_cast<const char*>(data), size));
  VXB::JSON::Reader r(&source);
  VXB::GenericDataFormat::JSON::Reader g(&r);
  fuzz::ConvertAndCheck(g);
  return 0;
}
