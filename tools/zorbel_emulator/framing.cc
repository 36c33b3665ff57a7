#include "zorbel_emulator/framing.h"

namespace ZorbelEmulator::Framing {

namespace {

unsigned Sum(const VXB::Byte* Bytes, unsigned Size, unsigned Start) {
  unsigned sum = Start;
  for (unsigned i = 0; i < Size; ++i) sum += Bytes[i];
  return sum & 0xFFFFu;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<VXB::Byte> Build(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command,
                             const std::string& Text) {
  std::vector<VXB::Byte> packet{STX, Sequence};
  if (WithEsc) packet.push_back(ESC);
  packet.push_back(Command);
  if (!Text.empty()) {
    packet.push_back(FS);
    packet.insert(packet.end(), Text.begin(), Text.end());
  }
  if (packet.size() - 1 > MAX_BODY) return {};
  packet.push_back(ETX);
  const unsigned sum = Sum(packet.data(), static_cast<unsigned>(packet.size()), 0);
  static constexpr char DIGITS[] = "0123456789abcdef";
  for (int shift = 12; shift >= 0; shift -= 4)
    packet.push_back(static_cast<VXB::Byte>(DIGITS[(sum >> shift) & 0xFu]));
  return packet;
}

bool ChecksumMatches(const VXB::Byte* Body, unsigned Size, const char* Digits) {
  unsigned given = 0;
  for (unsigned i = 0; i < CHECKSUM_DIGITS; ++i) {
    const int v = HexValue(Digits[i]);
    if (v < 0) return false;
    given = (given << 4) | static_cast<unsigned>(v);
  }
  return given == Sum(Body, Size, STX + ETX);
}

}  // namespace ZorbelEmulator::Framing
