// Both sides of the line against packets written out by hand, byte by byte:
// the bridge's framing (what a real controller receives and what the bridge
// accepts from it) and the controller emulator's own framing (what every
// end-to-end test talks to). A framing fault that both shared would pass
// every exchange between them while a real controller refused every packet;
// here each side must agree with the literal bytes on its own.
//
// Checksums worked out by hand, STX through ETX:
//   plain, no fields     02+79+2A+03                         = 00A8
//   ESC, no fields       02+20+1B+2A+03                      = 006A
//   empty middle field   02+21+1B+42+1C+41+1C+1C+43+03       = 015B
//   answer, two words    02+20+1B+2A+1C+"0600"+1C+"0000"+03  = 0228
//   bytes above 7Fh      02+7E+1B+2A+1C+A0+FF+03             = 0283
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vxb/common/runtime/error.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vardex_protocol.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"
#include "zorbel_emulator/framing.h"

namespace {

using Bytes = std::vector<VXB::Byte>;

struct HandFrame {
  const char* name;
  bool command;  // a command packet (the bridge frames it from its fields)
  VXB::Byte sequence;
  bool esc;
  VXB::Byte command_byte;
  std::vector<std::string> fields;
  Bytes wire;
};

const std::vector<HandFrame>& Frames() {
  static const std::vector<HandFrame> frames = {
      {"plain variant, no fields",
       true,
       0x79,
       false,
       0x2A,
       {},
       {0x02, 0x79, 0x2A, 0x03, '0', '0', 'a', '8'}},
      {"ESC variant, no fields",
       true,
       0x20,
       true,
       0x2A,
       {},
       {0x02, 0x20, 0x1B, 0x2A, 0x03, '0', '0', '6', 'a'}},
      {"empty field in the middle",
       true,
       0x21,
       true,
       0x42,
       {"A", "", "C"},
       {0x02, 0x21, 0x1B, 0x42, 0x1C, 0x41, 0x1C, 0x1C, 0x43, 0x03, '0', '1', '5', 'b'}},
      {"answer with its status words",
       false,
       0x20,
       true,
       0x2A,
       {"0600", "0000"},
       {0x02, 0x20, 0x1B, 0x2A, 0x1C, '0', '6', '0', '0', 0x1C, '0', '0', '0', '0', 0x03, '0', '2',
        '2', '8'}},
      {"bytes above 7Fh",
       true,
       0x7E,
       true,
       0x2A,
       {"\xA0\xFF"},
       {0x02, 0x7E, 0x1B, 0x2A, 0x1C, 0xA0, 0xFF, 0x03, '0', '2', '8', '3'}},
  };
  return frames;
}

std::string Joined(const std::vector<std::string>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += (i > 0 ? "\x1C" : "") + fields[i];
  return text;
}

// The body (between STX and ETX) and the four digits of a literal frame.
Bytes Body(const Bytes& wire) { return Bytes(wire.begin() + 1, wire.end() - 5); }
std::string Digits(const Bytes& wire) { return std::string(wire.end() - 4, wire.end()); }

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// The same digits with the last one off by one: a sum that does not match.
std::string Wrong(std::string s) {
  s.back() = s.back() == '0' ? '1' : '0';
  return s;
}

class HandFramedPackets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
};

TEST_F(HandFramedPackets, BridgeFramesAndChecksThemByteForByte) {
  for (const HandFrame& f : Frames()) {
    SCOPED_TRACE(f.name);
    const std::string text = Joined(f.fields);
    Bytes built(64, 0xEE);
    const unsigned n = VXP::VardexFrame::Build(
        f.sequence, f.esc, f.command_byte, reinterpret_cast<const VXB::Byte*>(text.data()),
        static_cast<unsigned>(text.size()), built.data(), static_cast<unsigned>(built.size()));
    built.resize(n);
    EXPECT_EQ(built, f.wire);
    if (f.command) {
      // The protocol's own framing of a command container.
      VXP::VardexPacketProtocol protocol(f.esc);
      VXP::VardexDataContainer data(f.command_byte);
      for (const std::string& field : f.fields) data.AddField("%s", field.c_str());
      Bytes framed(64, 0xEE);
      framed.resize(protocol.Frame(data, f.sequence, framed.data(), 64));
      EXPECT_EQ(framed, f.wire);
    }
    const Bytes body = Body(f.wire);
    const auto size = static_cast<unsigned>(body.size());
    EXPECT_TRUE(VXP::VardexFrame::ChecksumOK(body.data(), size, Digits(f.wire).c_str()));
    EXPECT_TRUE(VXP::VardexFrame::ChecksumOK(body.data(), size, Upper(Digits(f.wire)).c_str()));
    EXPECT_FALSE(VXP::VardexFrame::ChecksumOK(body.data(), size, Wrong(Digits(f.wire)).c_str()));
  }
}

TEST_F(HandFramedPackets, EmulatorFramesAndChecksThemByteForByte) {
  namespace Framing = ZorbelEmulator::Framing;
  for (const HandFrame& f : Frames()) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(Framing::Build(f.sequence, f.esc, f.command_byte, Joined(f.fields)), f.wire);
    const Bytes body = Body(f.wire);
    const auto size = static_cast<unsigned>(body.size());
    EXPECT_TRUE(Framing::ChecksumMatches(body.data(), size, Digits(f.wire).c_str()));
    EXPECT_TRUE(Framing::ChecksumMatches(body.data(), size, Upper(Digits(f.wire)).c_str()));
    EXPECT_FALSE(Framing::ChecksumMatches(body.data(), size, Wrong(Digits(f.wire)).c_str()));
  }
  // The emulator's answers: the status words as four hexadecimal digits.
  ZorbelEmulator::Reply reply;
  reply.PrinterStatus = 0x0600;
  reply.FiscalStatus = 0x0000;
  EXPECT_EQ(ZorbelEmulator::Emulator::BuildAnswer(0x20, true, 0x2A, reply), Frames()[3].wire);
}

}  // namespace
