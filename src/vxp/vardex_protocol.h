// The fiscal controller's command-exchange interface and its packet frame.
//
// VardexProtocol is what the bridge talks to: one command container in, one
// answer container out, plus the packet sequence numbers. The packet
// protocol (vardex_packet_protocol.h) implements it.
//
// The frame of every packet, command or answer:
//   STX, sequence number (32..126; 127 only for the anomaly repair packet),
//   ESC (busy-state variant only), command byte, FS and the fields joined by
//   FS (only when there is field text), ETX, and four hexadecimal digits of
//   the 16-bit sum of every byte from STX through ETX.
// The free functions of VardexFrame build and check that frame and convert
// field texts between the container's encoding and the controller's
// character set. They keep no state and are safe from any thread.
#ifndef VXP_VARDEX_PROTOCOL_H_
#define VXP_VARDEX_PROTOCOL_H_

#include <cstdint>

#include "vxb/common/base/types.h"
#include "vxb/common/text/charset.h"
#include "vxp/protocol.h"
#include "vxp/vardex_data_container.h"

namespace VXP {

namespace VardexFrame {

inline constexpr VXB::Byte STX = 0x02;
inline constexpr VXB::Byte ETX = 0x03;
inline constexpr VXB::Byte ACK = 0x06;
inline constexpr VXB::Byte DC2 = 0x12;
inline constexpr VXB::Byte DC4 = 0x14;
inline constexpr VXB::Byte NAK = 0x15;
inline constexpr VXB::Byte ESC = 0x1B;
inline constexpr VXB::Byte FS = 0x1C;

inline constexpr unsigned MIN_SEQUENCE = 32;
inline constexpr unsigned MAX_SEQUENCE = 126;
inline constexpr unsigned COMM_ANOMALY_PACKET_NUM = 127;
inline constexpr VXB::Byte CMD_QUERY_BUSY_STATE = 0xA1;
inline constexpr VXB::Byte ANS_BUSY_STATE = 0xA1;

inline constexpr unsigned CHECKSUM_DIGITS = 4;
// Size of the scratch buffer for converted field texts.
inline constexpr unsigned ENCODED_BUFFER_SIZE = 8192;

// The 16-bit sum of Size bytes; when Buffer is given, also its four
// lower-case hexadecimal digits there (no terminator).
std::uint16_t GetChecksum(const VXB::Byte* Packet, unsigned Size, VXB::Byte* Buffer);

// True when the sum of STX, ETX and the PacketSize body bytes equals
// Checksum read as hexadecimal (either case, up to the first other
// character).
[[nodiscard]] bool ChecksumOK(const VXB::Byte* Packet, unsigned PacketSize, const char* Checksum);

// Converts a command's field text from Encoding to the controller's set into
// Out. False, with PROTOCOL_SIZE recorded, when the result would not fit in
// OutSize bytes; nothing is ever written beyond Out + OutSize.
[[nodiscard]] bool EncodeForController(const VXB::Byte* Text, unsigned Size,
                                       VXB::ASCII::Charsets Encoding, VXB::Byte* Out,
                                       unsigned OutSize, unsigned& OutLength);

// Converts an answer's field text from the controller's set to Encoding into
// Out, keeping room for a terminating zero (which is written). False, with
// PROTOCOL_INVALID_PACKET recorded, when the result would not fit.
[[nodiscard]] bool DecodeFromController(const VXB::Byte* Text, unsigned Size,
                                        VXB::ASCII::Charsets Encoding, VXB::Byte* Out,
                                        unsigned OutSize, unsigned& OutLength);

// True for the bytes the controller reads as frame or handshake: STX, ETX,
// ACK, DC2, DC4, NAK, ESC and FS. None of them may appear inside a field.
bool IsFramingByte(VXB::Byte b);

// False, with PROTOCOL_SYNTAX_ERROR recorded (naming FieldNumber and the
// byte), when the Size bytes of one field hold a framing byte.
[[nodiscard]] bool CheckField(const VXB::Byte* Field, unsigned Size, unsigned FieldNumber);

// Writes the frame of one packet into Buffer: header, the field text (the
// fields joined by FS, already in the controller's set), ETX and checksum.
// Returns its length, or 0 with the reason recorded: PROTOCOL_SIZE when it
// would not fit BufferSize, PROTOCOL_SYNTAX_ERROR when a field holds any
// other framing byte. Nothing is written beyond BufferSize.
[[nodiscard]] unsigned Build(VXB::Byte Sequence, bool WithEsc, VXB::Byte Command,
                             const VXB::Byte* Text, unsigned TextSize, VXB::Byte* Buffer,
                             unsigned BufferSize);

}  // namespace VardexFrame

// The command-exchange interface.
class VardexProtocol : public CommunicationsProtocol {
 public:
  explicit VardexProtocol(const char* ProtocolName) : CommunicationsProtocol(ProtocolName) {}

  // One complete exchange; on false the thread's last error says why.
  [[nodiscard]] virtual bool SendCommand(const VardexDataContainer& Data) = 0;
  virtual const VardexDataContainer& GetAnswer() const = 0;
  // The last command was answered with the busy-state answer.
  virtual bool IsBusy() const = 0;
  [[nodiscard]] virtual bool SetNextSequence(unsigned s) = 0;
  virtual unsigned GetNextSequence() const = 0;
  virtual unsigned GetReceivedSequence() const = 0;
  virtual void IncrementSequence() = 0;
  virtual void GetSequenceRange(unsigned& Min, unsigned& Max) = 0;

 protected:
  // The encoding of the command being exchanged.
  VXB::ASCII::Charsets DataEncoding = VXB::ASCII::NO_CHARSET;
};

}  // namespace VXP

#endif  // VXP_VARDEX_PROTOCOL_H_
