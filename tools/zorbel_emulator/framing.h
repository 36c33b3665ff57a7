// The controller's side of the packet frame, written apart from the bridge's
// own framing on purpose: the emulator stands in for a controller in every
// end-to-end test, so a framing fault in the bridge must be refused here the
// way a real controller would refuse it, not repeated.
//
// A packet is STX, the sequence number, ESC (busy-state variant only), the
// command byte, then FS and the field text (the fields joined by FS; left
// out, FS included, when the text is empty), ETX and the 16-bit sum of every
// byte from STX through ETX as four hexadecimal digits (written in lower
// case, read in either case).
//
// Thread safety: free functions without state.
#ifndef TOOLS_ZORBEL_EMULATOR_FRAMING_H_
#define TOOLS_ZORBEL_EMULATOR_FRAMING_H_

#include <string>
#include <vector>

#include "vxb/common/base/types.h"

namespace ZorbelEmulator::Framing {

inline constexpr VXB::Byte STX = 0x02;
inline constexpr VXB::Byte ETX = 0x03;
inline constexpr VXB::Byte ACK = 0x06;
inline constexpr VXB::Byte DC2 = 0x12;
inline constexpr VXB::Byte DC4 = 0x14;
inline constexpr VXB::Byte NAK = 0x15;
inline constexpr VXB::Byte ESC = 0x1B;
inline constexpr VXB::Byte FS = 0x1C;

inline constexpr VXB::Byte MIN_SEQUENCE = 0x20;
inline constexpr VXB::Byte MAX_SEQUENCE = 0x7E;
// Command byte of the busy-state query and of the busy-state answer.
inline constexpr VXB::Byte BUSY_STATE = 0xA1;
inline constexpr unsigned CHECKSUM_DIGITS = 4;
// Largest body (the bytes between STX and ETX) either side accepts.
inline constexpr unsigned MAX_BODY = 4096;

// The whole packet; empty when its body would pass MAX_BODY.
std::vector<VXB::Byte> Build(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command,
                             const std::string& Text);

// True when the four characters of Digits are hexadecimal (either case) and
// equal the sum of STX, the Size bytes of Body and ETX, modulo 65536.
bool ChecksumMatches(const VXB::Byte* Body, unsigned Size, const char* Digits);

}  // namespace ZorbelEmulator::Framing

#endif  // TOOLS_ZORBEL_EMULATOR_FRAMING_H_
