// Frame, checksum and field-text conversion of the fiscal packet protocol.
#include "vxp/vardex_protocol.h"

#include <cstdio>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"
#include "vxp/vxp_errno.h"

namespace VXP::VardexFrame {

namespace {

// Room for one converted character.
constexpr unsigned CONVERSION_ROOM = 10;

void WriteHex4(std::uint16_t value, VXB::Byte* Buffer) {
  static constexpr char DIGITS[] = "0123456789abcdef";
  for (unsigned i = 0; i < CHECKSUM_DIGITS; ++i)
    Buffer[i] = static_cast<VXB::Byte>(DIGITS[(value >> (12 - 4 * i)) & 0xF]);
}

}  // namespace

std::uint16_t GetChecksum(const VXB::Byte* Packet, unsigned Size, VXB::Byte* Buffer) {
  std::uint16_t sum = 0;
  for (unsigned i = 0; i < Size; ++i) sum = static_cast<std::uint16_t>(sum + Packet[i]);
  if (Buffer != nullptr) WriteHex4(sum, Buffer);
  return sum;
}

bool ChecksumOK(const VXB::Byte* Packet, unsigned PacketSize, const char* Checksum) {
  if (Checksum == nullptr) return false;
  const std::uint16_t sum =
      static_cast<std::uint16_t>(STX + ETX + GetChecksum(Packet, PacketSize, nullptr));
  std::uint32_t given = 0;
  for (const char* p = Checksum; *p != '\0'; ++p) {
    const int v = VXB::ASCII::DigitValue(*p, 16);
    if (v < 0) break;
    given = ((given << 4) | static_cast<std::uint32_t>(v)) & 0xFFFFFFFFu;
  }
  return given == sum;
}

bool EncodeForController(const VXB::Byte* Text, unsigned Size, VXB::ASCII::Charsets Encoding,
                         VXB::Byte* Out, unsigned OutSize, unsigned& OutLength) {
  OutLength = 0;
  auto emit = [&](const VXB::Byte* bytes, unsigned n) {
    if (n > OutSize - OutLength) return false;
    for (unsigned k = 0; k < n; ++k) Out[OutLength++] = bytes[k];
    return true;
  };
  for (unsigned i = 0; i < Size; ++i) {
    const VXB::Byte b = Text[i];
    bool ok = true;
    if (Encoding == VXB::ASCII::UTF8 && b == ESC) {
      // ESC x stands for the controller byte x - 0x40 (ESC '0'..'?' gives
      // 0xF0..0xFF); an ESC with nothing after it stands for nothing.
      if (i + 1 >= Size) break;
      const VXB::Byte c = static_cast<VXB::Byte>(Text[++i] - 0x40);
      ok = emit(&c, 1);
    } else if (Encoding == VXB::ASCII::LATIN1 && b > 0xEF) {
      ok = emit(&b, 1);
    } else {
      const char in[2] = {static_cast<char>(b), '\0'};
      char out[CONVERSION_ROOM];
      const unsigned n =
          VXB::ASCII::FromCharset(in, out, CONVERSION_ROOM, Encoding, VXB::ASCII::NO_ENTITIES);
      // A character the conversion cannot take is refused, never dropped.
      if (n >= CONVERSION_ROOM)
        return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_ENCODING,
                                          "Byte %02Xh no convertible desde %s",
                                          static_cast<unsigned>(b), VXB::ASCII::ToString(Encoding));
      ok = emit(reinterpret_cast<const VXB::Byte*>(out), n);
    }
    if (!ok)
      return VXB::Error::SetWithContext(Error::PROTOCOL_SIZE,
                                        "Longitud de paquete %u demasiado grande (m\xA0ximo %u)",
                                        Size, OutSize);
  }
  return true;
}

bool DecodeFromController(const VXB::Byte* Text, unsigned Size, VXB::ASCII::Charsets Encoding,
                          VXB::Byte* Out, unsigned OutSize, unsigned& OutLength) {
  OutLength = 0;
  // One byte of Out stays free for the terminating zero.
  const unsigned room = OutSize > 0 ? OutSize - 1 : 0;
  for (unsigned i = 0; i < Size; ++i) {
    const VXB::Byte b = Text[i];
    VXB::Byte piece[CONVERSION_ROOM];
    unsigned n = 0;
    if (b >= 0xF0) {
      if (Encoding == VXB::ASCII::UTF8) {
        piece[0] = ESC;
        piece[1] = static_cast<VXB::Byte>('0' + (b & 0x0F));
        n = 2;
      } else if (Encoding == VXB::ASCII::LATIN1) {
        piece[0] = b;
        n = 1;
      }
    } else {
      const char in[2] = {static_cast<char>(b), '\0'};
      n = VXB::ASCII::ToCharset(in, reinterpret_cast<char*>(piece), CONVERSION_ROOM, Encoding,
                                VXB::ASCII::NO_ENTITIES);
      if (n >= CONVERSION_ROOM) {
        if (OutSize > 0) Out[OutLength] = 0;
        return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_ENCODING,
                                          "Byte %02Xh no convertible a %s",
                                          static_cast<unsigned>(b), VXB::ASCII::ToString(Encoding));
      }
    }
    if (n > room - OutLength) {
      if (OutSize > 0) Out[OutLength] = 0;
      return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_PACKET,
                                        "Respuesta convertida de m\xA0s de %u bytes", room);
    }
    for (unsigned k = 0; k < n; ++k) Out[OutLength++] = piece[k];
  }
  if (OutSize > 0) Out[OutLength] = 0;
  return true;
}

bool IsFramingByte(VXB::Byte b) {
  switch (b) {
    case STX:
    case ETX:
    case ACK:
    case DC2:
    case DC4:
    case NAK:
    case ESC:
    case FS:
      return true;
    default:
      return false;
  }
}

bool CheckField(const VXB::Byte* Field, unsigned Size, unsigned FieldNumber) {
  for (unsigned i = 0; i < Size; ++i) {
    if (IsFramingByte(Field[i]))
      return VXB::Error::SetWithContext(Error::PROTOCOL_SYNTAX_ERROR,
                                        "Campo %u contiene el car\xA0"
                                        "cter de control %s",
                                        FieldNumber,
                                        VXB::ASCII::ToString(static_cast<char>(Field[i])));
  }
  return true;
}

unsigned Build(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command, const VXB::Byte* Text,
               unsigned TextSize, VXB::Byte* Buffer, unsigned BufferSize) {
  const unsigned header = WithEsc ? 4 : 3;
  const unsigned total = header + (TextSize > 0 ? 1 + TextSize : 0) + 1 + CHECKSUM_DIGITS;
  if (total > BufferSize) {
    VXB::Error::SetWithContext(Error::PROTOCOL_SIZE,
                               "Longitud de paquete %u demasiado grande (m\xA0ximo %u)", TextSize,
                               BufferSize);
    return 0;
  }
  // The text is the fields joined by FS: every other framing or handshake
  // byte would be read by the controller as part of the frame.
  unsigned field = 0;
  unsigned from = 0;
  for (unsigned i = 0; i <= TextSize; ++i) {
    if (i == TextSize || Text[i] == FS) {
      if (!CheckField(Text + from, i - from, field)) return 0;
      ++field;
      from = i + 1;
    }
  }
  unsigned pos = 0;
  Buffer[pos++] = STX;
  Buffer[pos++] = Sequence;
  if (WithEsc) Buffer[pos++] = ESC;
  Buffer[pos++] = Command;
  if (TextSize > 0) {
    Buffer[pos++] = FS;
    for (unsigned i = 0; i < TextSize; ++i) Buffer[pos++] = Text[i];
  }
  Buffer[pos++] = ETX;
  GetChecksum(Buffer, pos, Buffer + pos);
  return pos + CHECKSUM_DIGITS;
}

}  // namespace VXP::VardexFrame
