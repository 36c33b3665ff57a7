// Character readers over an in-memory byte source: character-set decoding,
// malformed UTF-8, entity look-ahead and the end of the input.
#include "vxb/common/io/encoded_char_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "vxb/common/runtime/error.h"

namespace {

using namespace VXB;
using namespace VXB::ASCII;

// Hands out its bytes, at most Chunk per read; 0 at the end.
class ByteSource : public Driver::Generic {
 public:
  explicit ByteSource(std::string data, unsigned chunk = 1u << 30)
      : Generic("ByteSource"), data_(std::move(data)), chunk_(chunk) {}
  bool OK() const override { return true; }
  bool Abort() override {
    ++aborts;
    return true;
  }
  void Append(const std::string& more) { data_ += more; }
  unsigned reads = 0;
  unsigned aborts = 0;

 protected:
  unsigned WriteBufferImplementation(const Byte*, unsigned, unsigned) override { return 0; }
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned) override {
    ++reads;
    std::size_t n = std::min<std::size_t>({size, chunk_, data_.size() - pos_});
    for (std::size_t i = 0; i < n; ++i) buf[i] = static_cast<Byte>(data_[pos_ + i]);
    pos_ += n;
    return static_cast<unsigned>(n);
  }

 private:
  std::string data_;
  std::size_t pos_ = 0;
  unsigned chunk_;
};

// Every character the reader delivers until it reports the end.
std::string ReadAll(Driver::EncodedCharReader& r) {
  std::string out;
  char c;
  while (r.GetChar(c)) out += c;
  return out;
}

std::string Decode(const std::string& in, Charsets from, Charsets to, unsigned chunk = 512) {
  ByteSource src(in, chunk);
  Driver::EncodedCharReaderFromGeneric r(&src, from, to, NO_ENTITIES);
  return ReadAll(r);
}

TEST(EncodedCharReader, DecodesByCharset) {
  const struct {
    const char* Name;
    std::string In;
    Charsets From, To;
    std::string Out;
  } cases[] = {
      {"utf8 a acute", "\xC3\xA1", UTF8, CP437, "\xA0"},
      {"utf8 N tilde", "\xC3\x91", UTF8, CP437, "\xA5"},
      {"utf8 euro", "\xE2\x82\xAC", UTF8, CP437, "?"},
      {"utf8 curly quote", "\xE2\x80\x99s", UTF8, CP437, "'s"},
      {"utf8 box drawing", "\xE2\x95\x90", UTF8, CP437, "\xCD"},
      {"utf8 sequence broken by a quote", "\xE2\x80\"}", UTF8, CP437, "?\"}"},
      {"utf8 sequence cut at the end", "a\xF0\x9F\x98", UTF8, CP437, "a?"},
      {"ibm437 cent sign", "\x9B\x82", IBM437, CP437, "\xBD\x82"},
      {"ibm437 greek alpha", "\xE0", IBM437, CP437, "?"},
      {"ascii high byte",
       "\xE9"
       "a",
       US_ASCII, CP437, "?a"},
      {"latin9 euro and S caron", "\xA4\xA6", ISO_8859_15, CP437, "?S"},
      {"utf8 lead then quote", "\"\xC3\"}", UTF8, CP437, "\"?\"}"},
      {"utf8 lead then lead pair", "\xC2\xC3\xB1", UTF8, CP437, "?\xA4"},
      {"utf8 lead at the end", "ab\xC3", UTF8, CP437, "ab?"},
      {"utf8 overlong", "\xC0\xBC", UTF8, CP437, "??"},
      {"utf8 to latin1", "\xC3\xB1\xE2", UTF8, LATIN1, "\xF1?"},
      {"utf8 to utf8", "\xC3\xB1x", UTF8, UTF8, "\xC3\xB1x"},
      {"latin1 e acute", "\xE9", LATIN1, CP437, "\x82"},
      {"latin1 curly quote", "\x93", LATIN1, CP437, "\""},
      {"internal to utf8", "\xA4\xC4!", CP437, UTF8, "\xC3\xB1-!"},
      {"internal to latin1", "\xA4\x0F", CP437, LATIN1, "\xF1\xA4"},
      {"raw", "\xFF\x80", NO_CHARSET, CP437, "\xFF\x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Decode(c.In, c.From, c.To), c.Out);
    EXPECT_EQ(Decode(c.In, c.From, c.To, 1), c.Out);  // one byte per read
  }
}

TEST(EncodedCharReader, ZeroByteEndsTheInput) {
  ByteSource src(std::string("ab\0cd", 5));
  Driver::EncodedCharReaderFromGeneric r(&src, NO_CHARSET, CP437, NO_ENTITIES);
  EXPECT_EQ(ReadAll(r), "ab");
  // A lead byte right before the zero: a bad character, then the end.
  ByteSource src2(std::string("a\xC3\0b", 4));
  Driver::EncodedCharReaderFromGeneric r2(&src2, UTF8, CP437, NO_ENTITIES);
  EXPECT_EQ(ReadAll(r2), "a?");
}

TEST(EncodedCharReader, ReadsInBlocks) {
  ByteSource src(std::string(1500, 'x'));
  Driver::EncodedCharReaderFromGeneric r(&src, NO_CHARSET, CP437, NO_ENTITIES);
  EXPECT_EQ(ReadAll(r).size(), 1500u);
  EXPECT_EQ(src.reads, 4u);  // 512 + 512 + 476, then the end
}

TEST(EncodedCharReader, NamedAfterItsSourceAndForwardsAbort) {
  ByteSource src("");
  Driver::EncodedCharReaderFromGeneric r(&src, NO_CHARSET, CP437, NO_ENTITIES);
  EXPECT_STREQ(r.ToString(), "ByteSource");
  EXPECT_TRUE(r.OK());
  EXPECT_TRUE(r.Abort());
  EXPECT_EQ(src.aborts, 1u);
}

TEST(EncodedCharReader, WritingFails) {
  ByteSource src("");
  Driver::EncodedCharReaderFromGeneric r(&src, NO_CHARSET, CP437, NO_ENTITIES);
  const Byte b[2] = {'a', 'b'};
  EXPECT_EQ(r.WriteBuffer(b, 2, 0), 0u);
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_WRITE_ONLY);
  EXPECT_STREQ(Error::GetLastError()->Context, "CharRead::WriteBuffer");
}

// Reads the input, asking for an entity after each begin character, the way
// the XML reader does; decoded entities are shown in brackets.
std::string ReadWithEntities(const std::string& in, Entities e, Charsets to = CP437,
                             unsigned chunk = 512) {
  ByteSource src(in, chunk);
  Driver::EncodedCharReaderFromGeneric r(&src, UTF8, to, e);
  std::string out;
  char c;
  while (r.GetChar(c)) {
    if (c == GetEntityBeginChar(e)) {
      char x;
      if (r.GetEntity(x)) {
        out += '[';
        out += x;
        if (to == UTF8 && static_cast<unsigned char>(x) >= 0x80 && r.GetChar(c)) out += c;
        out += ']';
        continue;
      }
    }
    out += c;
  }
  return out;
}

TEST(EncodedCharReader, EntitiesDecodeOrComeThroughAsText) {
  const struct {
    const char* In;
    Entities Mode;
    std::string Out;
  } cases[] = {
      {"&amp;x", XML_ENTITIES, "[&]x"},
      {"&#233;", XML_ENTITIES, "[\x82]"},
      {"&#x41;&#X42;", XML_ENTITIES, "[A][B]"},
      {"&lt;&gt;&quot;&apos;", XML_ENTITIES, "[<][>][\"][']"},
      {"&#300;z", XML_ENTITIES, "&#300;z"},
      {"&#0;z", XML_ENTITIES, "&#0;z"},
      {"&#4294967361;", XML_ENTITIES, "&#4294967361;"},
      {"&nonsense;", XML_ENTITIES, "&nonsense;"},
      {"&ampersand;", XML_ENTITIES, "&ampersand;"},
      {"&am;p;", XML_ENTITIES, "&am;p;"},
      {"&x;&amp;", XML_ENTITIES, "&x;[&]"},
      {"&&amp;", XML_ENTITIES, "&[&]"},
      {"&amp", XML_ENTITIES, "&amp"},  // input ends before the ';'
      {"&", XML_ENTITIES, "&"},
      {"&abcdefghijklmnopqrstuvwxyz;&lt;", XML_ENTITIES, "&abcdefghijklmnopqrstuvwxyz;[<]"},
      {"&apos;", HTML_ENTITIES, "&apos;"},
      {"&#09;&#9;", HTML_ENTITIES, "[\t][\t]"},
      {"\\\"\\\\\\n", JSON_ENTITIES, "[\"][\\]\\n"},
      {"&\xC3\xA9;", XML_ENTITIES, "&\x82;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.In);
    EXPECT_EQ(ReadWithEntities(c.In, c.Mode), c.Out);
    EXPECT_EQ(ReadWithEntities(c.In, c.Mode, CP437, 1), c.Out);
  }
}

TEST(EncodedCharReader, EntityBeforeAZeroByteLeavesTheEndInPlace) {
  ByteSource src(std::string("&am\0p;", 6));
  Driver::EncodedCharReaderFromGeneric r(&src, UTF8, CP437, XML_ENTITIES);
  char c, x;
  ASSERT_TRUE(r.GetChar(c));
  EXPECT_FALSE(r.GetEntity(x));
  EXPECT_EQ(ReadAll(r), "am");
}

TEST(EncodedCharReader, EntityTowardsUTF8IsEncoded) {
  EXPECT_EQ(ReadWithEntities("&#233;", XML_ENTITIES, UTF8), "[\xC3\xA9]");
  EXPECT_EQ(ReadWithEntities("&#233;", XML_ENTITIES, LATIN1), "[\xE9]");
}

TEST(EncodedCharReader, EntitiesAcrossBlocks) {
  // Entities straddle the 512-byte block boundaries at many offsets.
  std::string in, expected;
  for (int i = 0; i < 300; ++i) {
    in += "ab&lt;c&#xE9;&bogus;";
    expected += "ab[<]c[\x82]&bogus;";
  }
  EXPECT_EQ(ReadWithEntities(in, XML_ENTITIES), expected);
  EXPECT_EQ(ReadWithEntities(in, XML_ENTITIES, CP437, 7), expected);
}

TEST(EncodedCharReader, ResetForgetsLookAhead) {
  ByteSource src("&nope;rest");
  Driver::EncodedCharReaderFromGeneric r(&src, UTF8, CP437, XML_ENTITIES);
  char c, x;
  ASSERT_TRUE(r.GetChar(c));
  EXPECT_FALSE(r.GetEntity(x));
  r.Reset();
  EXPECT_FALSE(r.GetChar(c));  // the block and the look-ahead are gone
}

TEST(EncodedCharReader, ReusedAfterTheEnd) {
  ByteSource src("one");
  Driver::EncodedCharReaderFromGeneric r(&src, UTF8, CP437, NO_ENTITIES);
  EXPECT_EQ(ReadAll(r), "one");
  src.Append("\xC3\xB1two");
  EXPECT_EQ(ReadAll(r), "\xA4two");
}

TEST(EncodedCharReader, PlainCharReaderDeliversRawBytes) {
  class Raw : public Driver::CharReader {
   public:
    explicit Raw(ByteSource* s) : CharReader("raw"), s_(s) {}
    bool OK() const override { return true; }

   protected:
    unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned t) override {
      return s_->ReadBuffer(buf, size, t);
    }

   private:
    ByteSource* s_;
  };
  for (bool buffered : {false, true}) {
    ByteSource src(std::string("\xC3\0z", 3));
    Raw r(&src);
    r.SetBufferedMode(buffered);
    std::string out;
    char c;
    while (r.GetChar(c)) out += c;
    EXPECT_EQ(out, std::string("\xC3\0z", 3));
  }
}

TEST(EncodedFileReader, ReadsAFile) {
  const std::string path = ::testing::TempDir() + "encoded_file_reader_test.txt";
  {
    std::ofstream f(path, std::ios::binary);
    f << "<a>\xA4</a>";
  }
  Driver::EncodedFileReader r(path.c_str());
  EXPECT_TRUE(r.OK());
  EXPECT_STREQ(r.ToString(), path.c_str());
  EXPECT_EQ(r.GetCharsetFrom(), NO_CHARSET);
  EXPECT_EQ(r.GetCharsetTo(), CP437);
  EXPECT_EQ(ReadAll(r), "<a>\xA4</a>");
  r.SetCharsetFrom(LATIN1);
  std::remove(path.c_str());

  Driver::EncodedFileReader missing((path + ".missing").c_str());
  EXPECT_FALSE(missing.OK());
  char c;
  EXPECT_FALSE(missing.GetChar(c));
}

}  // namespace
