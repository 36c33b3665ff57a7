// String writers over an in-memory byte sink: conversion and escaping of
// printed pieces of any length, output buffering and flushing.
#include "vxb/common/io/encoded_string_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "vxb/common/runtime/error.h"

namespace {

using namespace VXB;
using namespace VXB::ASCII;

// Collects what is written, taking at most Chunk bytes per call; after
// Capacity bytes it takes nothing more.
class ByteSink : public Driver::Generic {
 public:
  explicit ByteSink(unsigned chunk = 1u << 30, std::size_t capacity = std::string::npos)
      : Generic("ByteSink"), chunk_(chunk), capacity_(capacity) {}
  bool OK() const override { return true; }
  std::string data;
  unsigned writes = 0;

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned) override {
    ++writes;
    std::size_t room = capacity_ == std::string::npos ? size : capacity_ - data.size();
    std::size_t n = std::min<std::size_t>({size, chunk_, room});
    data.append(reinterpret_cast<const char*>(buf), n);
    return static_cast<unsigned>(n);
  }
  unsigned ReadBufferImplementation(Byte*, unsigned, unsigned) override { return 0; }

 private:
  unsigned chunk_;
  std::size_t capacity_;
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(EncodedStringWriter, ConvertsAndEscapes) {
  const struct {
    const char* Name;
    Charsets From, To;
    Entities Mode;
    std::string In, Out;
  } cases[] = {
      {"internal to utf8", CP437, UTF8, NO_ENTITIES, "a\xA4\xC4", "a\xC3\xB1-"},
      {"internal to utf8 json", CP437, UTF8, JSON_ENTITIES, "\"\\\xA0", "\\\"\\\\\xC3\xA1"},
      {"internal to latin1 xml", CP437, LATIN1, XML_ENTITIES, "a<b&'c'",
       "a&lt;b&amp;&apos;c&apos;"},
      {"internal to latin1 html", CP437, LATIN1, HTML_ENTITIES, "\t'", "&#09;'"},
      {"internal never escapes", CP437, CP437, XML_ENTITIES, "<&>", "<&>"},
      {"no charset never escapes", NO_CHARSET, NO_CHARSET, XML_ENTITIES, "<\xA4", "<\xA4"},
      {"utf8 to latin1", UTF8, LATIN1, XML_ENTITIES, "\xC3\xA9<\xE2", "\xE9&lt;?"},
      {"latin1 to utf8", LATIN1, UTF8, NO_ENTITIES, "\xE9\x93", "\xC3\xA9\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ByteSink sink;
    Driver::EncodedStringWriterFromGeneric w(&sink, c.From, c.To, c.Mode);
    EXPECT_TRUE(w.Print(c.In.c_str()));
    EXPECT_TRUE(w.Flush(Constants::WAIT_FOREVER));
    EXPECT_EQ(sink.data, c.Out);
  }
}

TEST(EncodedStringWriter, LongPieceIsWrittenWhole) {
  const struct {
    const char* Name;
    Charsets From, To;
    Entities Mode;
    std::string Unit, Converted;
    int Count;
  } cases[] = {
      {"3000 plain bytes", CP437, UTF8, NO_ENTITIES, "x", "x", 3000},
      {"two-byte characters", CP437, UTF8, NO_ENTITIES, "\xA4", "\xC3\xB1", 3000},
      {"escapes", CP437, LATIN1, XML_ENTITIES, "<\"", "&lt;&quot;", 2500},
      {"utf8 source", UTF8, LATIN1, XML_ENTITIES, "\xC3\xA9&", "\xE9&amp;", 3000},
      {"conversion off", CP437, UTF8, NO_ENTITIES, "\xA4", "\xA4", 9000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ByteSink sink;
    Driver::EncodedStringWriterFromGeneric w(&sink, c.From, c.To, c.Mode);
    if (std::string(c.Name) == "conversion off") {
      EXPECT_TRUE(w.Convert(false));
    }
    EXPECT_TRUE(w.Print(Repeat(c.Unit, c.Count).c_str()));
    EXPECT_TRUE(w.Flush(Constants::WAIT_FOREVER));
    EXPECT_EQ(sink.data, Repeat(c.Converted, c.Count));
  }
}

TEST(EncodedStringWriter, EntityModeAndConversionSwitch) {
  ByteSink sink;
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, UTF8, NO_ENTITIES);
  EXPECT_STREQ(w.ToString(), "ByteSink");
  EXPECT_TRUE(w.Print("<v>"));
  w.SetEntities(XML_ENTITIES);
  EXPECT_TRUE(w.Print("a<\xA4"));
  w.SetEntities(NO_ENTITIES);
  EXPECT_TRUE(w.Print("</v>"));
  EXPECT_TRUE(w.Convert(false));
  EXPECT_FALSE(w.Convert(true));
  EXPECT_TRUE(w.Flush(0));
  EXPECT_EQ(sink.data, "<v>a&lt;\xC3\xB1</v>");
}

TEST(EncodedStringWriter, UnknownCharsetFails) {
  ByteSink sink;
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, static_cast<Charsets>(9), NO_ENTITIES);
  EXPECT_FALSE(w.Print("abc"));
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_PARAM_ERROR);
  Driver::EncodedStringWriterFromGeneric w2(&sink, static_cast<Charsets>(9), UTF8, NO_ENTITIES);
  EXPECT_FALSE(w2.Print("abc"));
  EXPECT_TRUE(w2.Print(""));
}

TEST(StringWriter, BuffersUntilFlushOrFull) {
  ByteSink sink;
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, CP437, NO_ENTITIES);
  w.SetBufferSize(8);
  EXPECT_TRUE(w.Print("abc"));
  EXPECT_EQ(sink.data, "");
  EXPECT_EQ(w.Buffered(), 3u);
  EXPECT_TRUE(w.Print("defgh"));  // exactly full: flushed
  EXPECT_EQ(sink.data, "abcdefgh");
  EXPECT_EQ(w.Buffered(), 0u);
  EXPECT_TRUE(w.Print("123456"));
  EXPECT_TRUE(w.Print("789"));  // does not fit: the first part goes first
  EXPECT_EQ(sink.data, "abcdefgh123456");
  EXPECT_TRUE(w.Print("a text longer than the buffer"));
  EXPECT_TRUE(w.Flush(0));
  EXPECT_EQ(sink.data, "abcdefgh123456789a text longer than the buffer");
}

TEST(StringWriter, PartialWritesAreCompleted) {
  ByteSink sink(3);
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, CP437, NO_ENTITIES);
  const std::string text = Repeat("0123456789", 1000);
  EXPECT_TRUE(w.Print(text.c_str()));
  EXPECT_TRUE(w.Flush(0));
  EXPECT_EQ(sink.data, text);
  w.SetBufferSize(0);  // unbuffered
  EXPECT_TRUE(w.Print("xyz!"));
  EXPECT_EQ(sink.data, text + "xyz!");
}

TEST(StringWriter, FailedFlushDiscardsAndReportsFalse) {
  ByteSink sink(1u << 30, 5);
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, CP437, NO_ENTITIES);
  EXPECT_TRUE(w.Print("0123456789"));
  EXPECT_FALSE(w.Flush(0));
  EXPECT_EQ(sink.data, "01234");
  EXPECT_EQ(w.Buffered(), 0u);
  EXPECT_TRUE(w.Flush(0));  // nothing left
}

TEST(StringWriter, PrintFIsNotCut) {
  ByteSink sink;
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, UTF8, NO_ENTITIES);
  const std::string big(5000, 'q');
  EXPECT_TRUE(w.PrintF("<%s|%d>", big.c_str(), 7));
  EXPECT_TRUE(w.PrintF("%c", '\xA4'));
  EXPECT_TRUE(w.Flush(0));
  EXPECT_EQ(sink.data, "<" + big + "|7>\xC3\xB1");
}

TEST(StringWriter, ReadingFails) {
  ByteSink sink;
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, CP437, NO_ENTITIES);
  Byte b[4];
  EXPECT_EQ(w.ReadBuffer(b, 4, 0), 0u);
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_READ_ONLY);
  EXPECT_STREQ(Error::GetLastError()->Context, "StringWriter::ReadBuffer");
}

TEST(StringWriter, DisabledWriterSwallowsText) {
  ByteSink sink;
  Driver::EncodedStringWriterFromGeneric w(&sink, CP437, CP437, NO_ENTITIES);
  w.Disable();
  EXPECT_TRUE(w.Print("gone"));
  w.Enable();
  EXPECT_TRUE(w.Flush(0));
  EXPECT_EQ(sink.data, "");
}

}  // namespace
