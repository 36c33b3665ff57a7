#include "common/tool_support.h"

#include <charconv>
#include <cstdio>

#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"

namespace ZorbelTools {

namespace {

constexpr const char* kControlNames[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

}  // namespace

bool ParseUnsigned(std::string_view Text, unsigned& Value, int Base) {
  if (Text.empty()) return false;
  unsigned v = 0;
  const auto [ptr, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), v, Base);
  if (ec != std::errc() || ptr != Text.data() + Text.size()) return false;
  Value = v;
  return true;
}

std::string ToTerminal(std::string_view Internal) {
  const std::string text(Internal);
  // Every internal character takes at most three bytes in UTF-8.
  std::string out(text.size() * 3 + 1, '\0');
  const unsigned n = VXB::ASCII::ToUTF8(text.c_str(), out.data(), static_cast<unsigned>(out.size()),
                                        VXB::ASCII::NO_ENTITIES);
  if (n == VXB::ASCII::CONVERSION_FAILED) return text;
  out.resize(n);
  return out;
}

std::string FailureLine() {
  const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
  if (e == nullptr || e->Error == VXB::Error::NO_CURRENT_ERROR) return "unknown: error";
  std::string line =
      std::string(VXB::Error::ToID(e->Error)) + ": " + ToTerminal(VXB::Error::ToString(e->Error));
  if (e->Context[0] != '\0') line += ": " + ToTerminal(e->Context);
  return line;
}

std::string EscapeBytes(const VXB::Byte* Bytes, unsigned Size) {
  std::string out;
  out.reserve(Size);
  for (unsigned i = 0; i < Size; ++i) {
    const VXB::Byte b = Bytes[i];
    if (b < 32) {
      out += '[';
      out += kControlNames[b];
      out += ']';
    } else if (b < 127) {
      out += static_cast<char>(b);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "[%02Xh]", static_cast<unsigned>(b));
      out += hex;
    }
  }
  return out;
}

}  // namespace ZorbelTools
