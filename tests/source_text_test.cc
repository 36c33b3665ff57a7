// The program's sources are plain ASCII. Every message is kept in the
// internal character set, so an accented letter in a text is written as an
// escape of that set ("M\xA0xima"); the editor's UTF-8 bytes would reach a
// Latin-1 page, the log and the serial line garbled. Comments keep to the
// same rule, so that every compiler reads the sources alike whatever
// source character set it assumes, and a text moved out of a comment
// cannot bring UTF-8 with it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// "line:column 0xNN" for every byte above 0x7F, lines and columns from 1.
std::vector<std::string> BytesAboveAscii(std::string_view text) {
  std::vector<std::string> found;
  unsigned line = 1;
  unsigned column = 1;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x7F) {
      char where[48];
      std::snprintf(where, sizeof where, "%u:%u 0x%02X", line, column, byte);
      found.emplace_back(where);
    }
    if (c == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return found;
}

TEST(SourceText, BytesAboveAsciiAreFoundWhereTheyAre) {
  const struct {
    std::string_view text;
    std::vector<std::string> found;
  } cases[] = {
      {"Debugger.Print(\"M\\xA0xima\");\n", {}},
      {"// plain comment\n\"ok\"\n", {}},
      {"x\n\"M\xC3\xA1xima\"\n", {"2:3 0xC3", "2:4 0xA1"}},
      {"// A\xA4o\n", {"1:5 0xA4"}},
      {"\x7F\x80", {"1:2 0x80"}},
      {"a\n\nb\xFF", {"3:2 0xFF"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BytesAboveAscii(c.text), c.found) << c.text;
  }
}

TEST(SourceText, EveryFileUnderSrcIsAscii) {
  const std::filesystem::path root = ZORBEL_SOURCE_DIR "/src";
  unsigned files = 0;
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    ASSERT_TRUE(in) << entry.path();
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ++files;
    const std::string name = std::filesystem::relative(entry.path(), ZORBEL_SOURCE_DIR).string();
    for (const std::string& where : BytesAboveAscii(text)) found.push_back(name + ":" + where);
  }
  // The program's sources really were read (a wrong root would pass
  // vacuously).
  EXPECT_GT(files, 100u);
  std::string list;
  for (const std::string& f : found) list += "\n  " + f;
  EXPECT_TRUE(found.empty()) << "bytes above 0x7F (write texts with escapes of the internal set, "
                                "\"M\\xA0xima\"):"
                             << list;
}

}  // namespace
