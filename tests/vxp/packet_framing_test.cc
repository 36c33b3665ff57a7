// Packet frame, checksum, field-text conversion and sequence numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vxb/common/runtime/error.h"
#include "vxp/vardex_data_container.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vardex_protocol.h"
#include "vxp/vxp_errno.h"

namespace VXP {
namespace {

using Bytes = std::vector<VXB::Byte>;

class PacketFramingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }

  Bytes FrameOf(VardexPacketProtocol& p, const VardexDataContainer& c, VXB::Byte seq,
                unsigned size = 4096) {
    Bytes buf(size + 16, 0xEE);
    const unsigned n = p.Frame(c, seq, buf.data(), size);
    // Nothing is ever written beyond the size given.
    for (unsigned i = size; i < buf.size(); ++i) EXPECT_EQ(buf[i], 0xEE) << "byte " << i;
    buf.resize(n);
    return buf;
  }

  static Bytes Digits(const char* s) { return Bytes(s, s + 4); }

  static VXB::Error::ErrNo LastError() { return VXB::Error::GetLastError()->Error; }
  static std::string LastContext() { return VXB::Error::GetLastError()->Context; }
};

TEST_F(PacketFramingTest, CommandWithoutFieldsBusyVariant) {
  VardexPacketProtocol p(true);
  VardexDataContainer c(0x2A);
  Bytes expected{0x02, 0x20, 0x1B, 0x2A, 0x03};
  const Bytes d = Digits("006a");
  expected.insert(expected.end(), d.begin(), d.end());
  EXPECT_EQ(FrameOf(p, c, 0x20), expected);
  EXPECT_EQ(p.GetCurrentCommand(), 0x2A);
}

TEST_F(PacketFramingTest, CommandWithOneFieldBusyVariant) {
  VardexPacketProtocol p(true);
  VardexDataContainer c(0x2A);
  c.AddField("1");
  Bytes expected{0x02, 0x20, 0x1B, 0x2A, 0x1C, 0x31, 0x03};
  const Bytes d = Digits("00b7");
  expected.insert(expected.end(), d.begin(), d.end());
  EXPECT_EQ(FrameOf(p, c, 0x20), expected);
}

TEST_F(PacketFramingTest, PlainVariantHasNoEsc) {
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  Bytes expected{0x02, 0x20, 0x2A, 0x03};
  const Bytes d = Digits("004f");
  expected.insert(expected.end(), d.begin(), d.end());
  EXPECT_EQ(FrameOf(p, c, 0x20), expected);
}

TEST_F(PacketFramingTest, EmptyLastFieldCostsItsSeparator) {
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  c.AddField("A");
  c.AddField("%s", "");
  const Bytes f = FrameOf(p, c, 0x21);
  ASSERT_EQ(f.size(), 11u);
  EXPECT_EQ(Bytes(f.begin() + 3, f.begin() + 7), (Bytes{0x1C, 0x41, 0x1C, 0x03}));
}

TEST_F(PacketFramingTest, OnlyFieldEmptyFramesLikeNoFields) {
  VardexPacketProtocol p(true);
  VardexDataContainer none(0x2A);
  VardexDataContainer empty(0x2A);
  empty.AddField("%s", "");
  EXPECT_EQ(FrameOf(p, empty, 0x20), FrameOf(p, none, 0x20));
}

TEST_F(PacketFramingTest, ChecksumWrapsAt16Bits) {
  // 300 bytes of 0xFF push the sum past 65535.
  Bytes data(300, 0xFF);
  const unsigned expected = (300u * 0xFF) & 0xFFFF;
  VXB::Byte digits[4];
  EXPECT_EQ(VardexPacketProtocol::GetChecksum(data.data(), 300, digits), expected);
  char text[5] = {};
  std::snprintf(text, sizeof(text), "%04x", expected);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(digits), 4), text);
}

TEST_F(PacketFramingTest, ChecksumOKAcceptsEitherCase) {
  // Body of the one-field example: 20 1B 2A 1C 31 (STX and ETX are implied).
  const Bytes body{0x20, 0x1B, 0x2A, 0x1C, 0x31};
  struct Case {
    const char* digits;
    bool ok;
  } cases[] = {
      {"00b7", true}, {"00B7", true},    {"00b8", false},
      {"b7", true},   {"00b7xyz", true},  // reading stops at the first other character
      {"", false},    {"zz", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VardexPacketProtocol::ChecksumOK(body.data(), body.size(), c.digits), c.ok)
        << c.digits;
}

TEST_F(PacketFramingTest, FramedPacketPassesItsOwnCheck) {
  VardexPacketProtocol p(true);
  VardexDataContainer c(0x40);
  c.AddField("Texto");
  c.AddField("%s", "");
  c.AddField("1234");
  const Bytes f = FrameOf(p, c, 0x55);
  ASSERT_GT(f.size(), 6u);
  const std::string digits(f.end() - 4, f.end());
  EXPECT_TRUE(VardexPacketProtocol::ChecksumOK(f.data() + 1, f.size() - 6, digits.c_str()));
}

TEST_F(PacketFramingTest, SequenceWrapsAndRangeIsEnforced) {
  VardexPacketProtocol p(true);
  EXPECT_EQ(p.GetNextSequence(), 32u);
  ASSERT_TRUE(p.SetNextSequence(126));
  p.IncrementSequence();
  EXPECT_EQ(p.GetNextSequence(), 32u);
  p.IncrementSequence();
  EXPECT_EQ(p.GetNextSequence(), 33u);

  for (unsigned bad : {31u, 127u, 0u, 255u, 1000u}) {
    EXPECT_FALSE(p.SetNextSequence(bad));
    EXPECT_EQ(LastError(), Error::PROTOCOL_INVALID_SEQUENCE);
    EXPECT_EQ(p.GetNextSequence(), 33u);
  }
  EXPECT_FALSE(p.SetNextSequence(127));
  EXPECT_EQ(LastContext(), "Secuencia 127 fuera de rango (32-126)");
  EXPECT_TRUE(p.SetNextSequence(32));
  unsigned lo = 0, hi = 0;
  p.GetSequenceRange(lo, hi);
  EXPECT_EQ(lo, 32u);
  EXPECT_EQ(hi, 126u);
}

TEST_F(PacketFramingTest, BusyQueryNeverBecomesCurrentCommandInBusyVariant) {
  VardexPacketProtocol busy(true);
  VardexDataContainer first(0x2A);
  FrameOf(busy, first, 0x20);
  VardexDataContainer query(VardexPacketProtocol::CMD_QUERY_BUSY_STATE);
  FrameOf(busy, query, 0x21);
  EXPECT_EQ(busy.GetCurrentCommand(), 0x2A);

  VardexPacketProtocol plain(false);
  FrameOf(plain, query, 0x21);
  EXPECT_EQ(plain.GetCurrentCommand(), VardexPacketProtocol::CMD_QUERY_BUSY_STATE);
}

TEST_F(PacketFramingTest, TooLongIsRefusedAndNothingWrittenBeyond) {
  VardexPacketProtocol p(true);
  VardexDataContainer c(0x2A);
  c.AddField("%s", std::string(2000, 'a').c_str());
  c.AddField("%s", std::string(2000, 'b').c_str());
  // 4001 text bytes: 10 + 4001 = 4011 fits in 4096.
  EXPECT_EQ(FrameOf(p, c, 0x20).size(), 4011u);
  c.AddField("%s", std::string(100, 'c').c_str());
  EXPECT_TRUE(FrameOf(p, c, 0x20).empty());
  EXPECT_EQ(LastError(), Error::PROTOCOL_SIZE);
  EXPECT_EQ(LastContext(), "Longitud de paquete 4102 demasiado grande (m\xA0ximo 4096)");
}

TEST_F(PacketFramingTest, ExactFitAndOneShort) {
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  c.AddField("abc");
  // 3 + 1 + 3 + 1 + 4 = 12 bytes.
  EXPECT_EQ(FrameOf(p, c, 0x20, 12).size(), 12u);
  EXPECT_TRUE(FrameOf(p, c, 0x20, 11).empty());
  EXPECT_EQ(LastError(), Error::PROTOCOL_SIZE);
  // Without fields the frame alone must fit too.
  VardexDataContainer bare(0x2A);
  EXPECT_TRUE(FrameOf(p, bare, 0x20, 7).empty());
  EXPECT_EQ(FrameOf(p, bare, 0x20, 8).size(), 8u);
}

TEST_F(PacketFramingTest, FieldHoldingAFramingByteIsRefusedNamingTheField) {
  struct Case {
    VXB::Byte byte;
    const char* name;
  } cases[] = {{0x02, "STX"}, {0x03, "ETX"}, {0x06, "ACK"}, {0x12, "DC2"},
               {0x14, "DC4"}, {0x15, "NAK"}, {0x1B, "ESC"}, {0x1C, "FS"}};
  for (const VXB::ASCII::Charsets encoding : {VXB::ASCII::CP437, VXB::ASCII::LATIN1}) {
    for (const bool busy : {true, false}) {
      VardexPacketProtocol p(busy);
      for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        // The value "desc<byte>" followed by two plain fields: in the joined
        // text a separator inside the value would read as one more field.
        VardexDataContainer c(0x2A);
        c.SetEncoding(encoding);
        c.AddField("desc%c", static_cast<char>(k.byte));
        c.AddField("999");
        c.AddField("1");
        VXB::Error::SetWithContext(VXB::Error::NO_CURRENT_ERROR, nullptr);
        EXPECT_TRUE(FrameOf(p, c, 0x20).empty());
        EXPECT_EQ(LastError(), Error::PROTOCOL_SYNTAX_ERROR);
        EXPECT_EQ(LastContext(), std::string("Campo 0 contiene el car\xA0"
                                             "cter de control ") +
                                     k.name);
      }
    }
  }
  // The same checks guard the joined text given directly to the frame builder.
  const VXB::Byte text[] = {'a', 0x1C, 'b', 0x15};
  VXB::Byte out[64];
  EXPECT_EQ(VardexFrame::Build(0x20, true, 0x2A, text, sizeof text, out, sizeof out), 0u);
  EXPECT_EQ(LastContext(),
            "Campo 1 contiene el car\xA0"
            "cter de control NAK");
}

TEST_F(PacketFramingTest, Latin1TextIsConvertedToController) {
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  c.SetEncoding(VXB::ASCII::LATIN1);
  // Latin-1 a-acute (0xE1) is 0xA0 in the controller's set; 0xF1 (n-tilde)
  // is above 0xEF and goes out unchanged.
  c.AddField("%s", "\xE1\xF1Z");
  const Bytes f = FrameOf(p, c, 0x20);
  ASSERT_EQ(f.size(), 3u + 1 + 3 + 1 + 4);
  EXPECT_EQ(Bytes(f.begin() + 4, f.begin() + 7), (Bytes{0xA0, 0xF1, 'Z'}));
}

TEST_F(PacketFramingTest, Utf8EscapeGivesHighBytesAndTrailingEscIsDropped) {
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  c.SetEncoding(VXB::ASCII::UTF8);
  c.AddField("%s",
             "a\x1B"
             "0\x1B?b\x1B");
  const Bytes f = FrameOf(p, c, 0x20);
  ASSERT_FALSE(f.empty());
  EXPECT_EQ(Bytes(f.begin() + 4, f.end() - 5), (Bytes{'a', 0xF0, 0xFF, 'b'}));
}

TEST_F(PacketFramingTest, Utf8EscapeThatWouldProduceEtxIsRefused) {
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  c.SetEncoding(VXB::ASCII::UTF8);
  c.AddField("%s",
             "\x1B"
             "C");  // 'C' - 0x40 = ETX
  EXPECT_TRUE(FrameOf(p, c, 0x20).empty());
  EXPECT_EQ(LastError(), Error::PROTOCOL_SYNTAX_ERROR);
}

TEST_F(PacketFramingTest, ConversionThatDoesNotFitIsRefused) {
  // More than 8192 bytes of field text in a converted encoding.
  VardexPacketProtocol p(false);
  VardexDataContainer c(0x2A);
  c.SetEncoding(VXB::ASCII::LATIN1);
  for (int i = 0; i < 5; ++i) c.AddField("%s", std::string(2000, 'q').c_str());
  EXPECT_TRUE(FrameOf(p, c, 0x20).empty());
  EXPECT_EQ(LastError(), Error::PROTOCOL_SIZE);
}

TEST_F(PacketFramingTest, EncodeForControllerNeverPassesItsBuffer) {
  const std::string text(100, 'x');
  Bytes out(64 + 8, 0xEE);
  unsigned len = 0;
  EXPECT_FALSE(VardexFrame::EncodeForController(reinterpret_cast<const VXB::Byte*>(text.data()),
                                                text.size(), VXB::ASCII::LATIN1, out.data(), 64,
                                                len));
  EXPECT_EQ(LastError(), Error::PROTOCOL_SIZE);
  for (unsigned i = 64; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE);
}

TEST_F(PacketFramingTest, DecodeFromControllerKeepsRoomForTerminator) {
  // UTF-8 doubles bytes from 0xF0 up (ESC and a digit) and most accented
  // letters: 4 bytes in, 8 out.
  const Bytes in{0xF0, 0xFF, 0xA0, 'z'};
  Bytes out(16, 0xEE);
  unsigned len = 0;
  ASSERT_TRUE(VardexFrame::DecodeFromController(in.data(), in.size(), VXB::ASCII::UTF8, out.data(),
                                                8, len));
  EXPECT_EQ(len, 7u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{0x1B, '0', 0x1B, '?', 0xC3, 0xA1, 'z', 0}));
  EXPECT_FALSE(VardexFrame::DecodeFromController(in.data(), in.size(), VXB::ASCII::UTF8, out.data(),
                                                 7, len));
  EXPECT_EQ(LastError(), Error::PROTOCOL_INVALID_PACKET);
  for (unsigned i = 8; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE);
}

TEST_F(PacketFramingTest, DecodeDropsHighBytesForOtherEncodings) {
  const Bytes in{'a', 0xF5, 'b'};
  Bytes out(16, 0);
  unsigned len = 0;
  ASSERT_TRUE(VardexFrame::DecodeFromController(in.data(), in.size(), VXB::ASCII::NO_CHARSET,
                                                out.data(), out.size(), len));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data()), len), "ab");
  ASSERT_TRUE(VardexFrame::DecodeFromController(in.data(), in.size(), VXB::ASCII::LATIN1,
                                                out.data(), out.size(), len));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + len), (Bytes{'a', 0xF5, 'b'}));
}

}  // namespace
}  // namespace VXP
