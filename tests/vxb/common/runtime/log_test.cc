#include "vxb/common/runtime/log.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/runtime/error.h"

namespace {

namespace stdfs = std::filesystem;

// Length of the stamp "DD/MM/YY HH:MM:SS: ".
constexpr std::size_t STAMP = 19;

// Every test gets its own directory and base name; the log's process-wide
// state is pointed at them (and its bound reset) before anything is logged.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VXB::Error::Init();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = stdfs::temp_directory_path() /
           ("zorbel_log_" + std::string(info->name()) + "_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    stdfs::remove_all(dir_);
    stdfs::create_directories(dir_);
    base_ = (dir_ / "zorbel.log").string();
    VXB::Log::SetFilename(base_.c_str());
    VXB::Log::SetMaxSize(VXB::Log::DEFAULT_MAX_LOG_SIZE);
  }
  void TearDown() override {
    VXB::Log::SetFilename(nullptr);  // do not keep a pointer into this fixture
    stdfs::remove_all(dir_);
  }

  std::string File(unsigned n) const { return base_ + std::to_string(n) + ".log"; }

  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  // Sets a file's modification time relative to now.
  static void Age(const std::string& path, std::chrono::seconds ago) {
    stdfs::last_write_time(path, stdfs::file_time_type::clock::now() - ago);
  }
  static void SameTime(const std::string& a, const std::string& b) {
    const auto t = stdfs::file_time_type::clock::now() - std::chrono::seconds(30);
    stdfs::last_write_time(a, t);
    stdfs::last_write_time(b, t);
  }

  // The whole log through ReadFirst/ReadNext in chunks of Chunk bytes.
  static std::string ReadAll(unsigned Chunk = 256) {
    std::string all;
    std::vector<VXB::Byte> buffer(Chunk);
    unsigned size = Chunk;
    bool more = VXB::Log::ReadFirst(buffer.data(), size);
    while (more) {
      EXPECT_GT(size, 0u);
      EXPECT_LE(size, Chunk);
      all.append(reinterpret_cast<const char*>(buffer.data()), size);
      size = Chunk;
      more = VXB::Log::ReadNext(buffer.data(), size);
    }
    return all;
  }

  // Splits log text into lines at CR LF; the text must end with CR LF.
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text does not end with a whole line";
    return lines;
  }

  // True when text holds the stamp "DD/MM/YY HH:MM:SS: " at pos.
  static bool StampAt(const std::string& text, std::size_t pos) {
    static constexpr char kShape[] = "99/99/99 99:99:99: ";  // 9: any digit
    if (text.size() < pos + sizeof kShape - 1) return false;
    for (std::size_t i = 0; i + 1 < sizeof kShape; ++i) {
      const char c = text[pos + i];
      if (kShape[i] == '9' ? !std::isdigit(static_cast<unsigned char>(c)) : c != kShape[i]) {
        return false;
      }
    }
    return true;
  }

  // The message of a stamped line, or "<bad line>" when the stamp is wrong.
  static std::string Message(const std::string& line) {
    if (!StampAt(line, 0)) return "<bad line>";
    return line.substr(STAMP);
  }

  static std::vector<std::string> Messages(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& line : Lines(text)) out.push_back(Message(line));
    return out;
  }

  stdfs::path dir_;
  std::string base_;
};

TEST_F(LogTest, FileNamesComeFromTheBaseName) {
  // The name is the log's own copy: the caller's text may be a temporary.
  VXB::Log::SetFilename(std::string(base_).c_str());
  VXB::Log::Write("hello");
  EXPECT_TRUE(stdfs::exists(dir_ / "zorbel.log1.log"));
  EXPECT_FALSE(stdfs::exists(dir_ / "zorbel.log2.log"));
}

TEST_F(LogTest, LineFormatWithAndWithoutModule) {
  VXB::Log::Write("plain %d", 7);
  VXB::Log::WriteWithModule("main", "with %s", "module");
  VXB::Log::WriteWithModule(nullptr, "null module");
  const std::string text = Contents(File(1));
  EXPECT_EQ(Messages(text),
            (std::vector<std::string>{"plain 7", "[main] with module", "null module"}))
      << text;
}

TEST_F(LogTest, BytesAreWrittenUnchanged) {
  VXB::Log::Write("a\xA0\xFF\nb");
  EXPECT_EQ(Messages(Contents(File(1))), std::vector<std::string>{"a\xA0\xFF\nb"});
}

TEST_F(LogTest, LongMessagesAreCutToTheLineBuffer) {
  const std::string huge(5000, 'x');
  VXB::Log::Write("%s", huge.c_str());
  const std::vector<std::string> messages = Messages(Contents(File(1)));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], std::string(VXB::Log::LINE_BUFFER_SIZE - 1, 'x'));
}

TEST_F(LogTest, ErrorRecordIsLeftAsFound) {
  VXB::Error::SetWithContext(VXB::Error::IO_READ_ERROR, "caller's %s", "context");
  const VXB::Error::ErrInfo before = *VXB::Error::GetLastError();
  VXB::Log::Write("a line");
  // Also when the log cannot be written at all.
  const std::string unwritable = (dir_ / "no" / "such" / "dir" / "x").string();
  VXB::Log::SetFilename(unwritable.c_str());
  VXB::Log::WriteWithModule("m", "lost");
  const VXB::Error::ErrInfo& after = *VXB::Error::GetLastError();
  EXPECT_EQ(after.Error, before.Error);
  EXPECT_EQ(after.Description, before.Description);
  EXPECT_STREQ(after.Context, before.Context);
  VXB::Log::SetFilename(base_.c_str());
}

TEST_F(LogTest, ReadWithNoFileFails) {
  VXB::Error::OK();
  VXB::Byte buffer[64];
  unsigned size = sizeof buffer;
  EXPECT_FALSE(VXB::Log::ReadFirst(buffer, size));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(VXB::Error::GetLastError()->Error, VXB::Error::IO_OPEN_ERROR);
}

TEST_F(LogTest, ChunkedReads) {
  std::string bytes;
  for (int i = 0; i < 600; ++i) bytes.push_back(static_cast<char>('a' + i % 26));
  Put(File(1), bytes);
  VXB::Byte buffer[256];
  std::string got;
  unsigned size = sizeof buffer;
  ASSERT_TRUE(VXB::Log::ReadFirst(buffer, size));
  EXPECT_EQ(size, 256u);
  got.append(reinterpret_cast<char*>(buffer), size);
  size = sizeof buffer;
  ASSERT_TRUE(VXB::Log::ReadNext(buffer, size));
  EXPECT_EQ(size, 256u);
  got.append(reinterpret_cast<char*>(buffer), size);
  size = sizeof buffer;
  ASSERT_TRUE(VXB::Log::ReadNext(buffer, size));
  EXPECT_EQ(size, 88u);
  got.append(reinterpret_cast<char*>(buffer), size);
  size = sizeof buffer;
  EXPECT_FALSE(VXB::Log::ReadNext(buffer, size));
  EXPECT_EQ(got, bytes);
}

TEST_F(LogTest, ReadingRestartsWithReadFirst) {
  VXB::Log::Write("one");
  const std::string first = ReadAll(7);
  VXB::Log::Write("two");
  EXPECT_EQ(Messages(first), (std::vector<std::string>{"one"}));
  EXPECT_EQ(Messages(ReadAll(7)), (std::vector<std::string>{"one", "two"}));
}

// A line that would pass the bound begins in the current file and continues
// in the other one, which is emptied first.
TEST_F(LogTest, LineSplitsAcrossFiles) {
  VXB::Log::SetMaxSize(1000);
  Put(File(1), std::string(900, 'o'));
  Put(File(2), "stale lines of an older run\r\n");
  Age(File(2), std::chrono::seconds(60));
  Age(File(1), std::chrono::seconds(30));
  VXB::Log::SetFilename(base_.c_str());

  const std::string message(600, 'm');
  VXB::Log::WriteWithModule("main", "%s", message.c_str());

  const std::string one = Contents(File(1));
  const std::string two = Contents(File(2));
  ASSERT_EQ(one.size(), 900 + STAMP + 7);  // stamp and "[main] " still fitted
  EXPECT_TRUE(StampAt(one, 900));
  EXPECT_EQ(one.substr(900 + STAMP), "[main] ");
  EXPECT_EQ(two, message + "\r\n");
  EXPECT_EQ(ReadAll(), one + two);
}

// Rotation at a small bound: no file passes it, and reading gives every
// line still kept, oldest first, before and after a restart.
TEST_F(LogTest, RotationKeepsTheNewestLinesInOrder) {
  VXB::Log::SetMaxSize(300);
  std::vector<std::string> written;
  for (int i = 0; i < 40; ++i) {
    written.push_back("line " + std::to_string(i));
    VXB::Log::Write("%s", written.back().c_str());
  }
  EXPECT_LE(stdfs::file_size(File(1)), 300u);
  EXPECT_LE(stdfs::file_size(File(2)), 300u);

  auto check = [&written](const std::vector<std::string>& got) {
    ASSERT_FALSE(got.empty());
    // The older file may begin in the middle of a line (a switch happens
    // between pieces of a line); every following line is whole, and they are
    // the newest lines in order.
    const std::size_t kept = got.size() - 1;
    EXPECT_GE(kept, 10u);
    const std::vector<std::string> tail(written.end() - static_cast<long>(kept), written.end());
    EXPECT_EQ(std::vector<std::string>(got.begin() + 1, got.end()), tail);
  };
  const std::string text = ReadAll(50);
  check(Messages(text));

  VXB::Log::SetFilename(base_.c_str());  // as after a restart
  EXPECT_EQ(ReadAll(50), text);
  written.push_back("after restart");
  VXB::Log::Write("after restart");
  check(Messages(ReadAll(64)));
}

// The finished file can end smaller than the current one when a long piece
// forces an early switch. A restart must keep writing into the current file
// and reading must still begin with the finished one.
TEST_F(LogTest, RestartWhenTheFinishedFileIsSmaller) {
  VXB::Log::SetMaxSize(200);
  const std::string a(30, 'a');
  const std::string b(150, 'b');
  VXB::Log::Write("%s", a.c_str());  // file 1: 51 bytes
  VXB::Log::Write("%s", b.c_str());  // stamp to file 1 (70), the rest to file 2 (152)
  ASSERT_EQ(stdfs::file_size(File(1)), 2 * STAMP + 32);
  ASSERT_EQ(stdfs::file_size(File(2)), 152u);
  EXPECT_EQ(Messages(ReadAll()), (std::vector<std::string>{a, b}));

  VXB::Log::SetFilename(base_.c_str());  // restart
  EXPECT_EQ(Messages(ReadAll()), (std::vector<std::string>{a, b}));
  VXB::Log::Write("c");  // fits in file 2: nothing may be truncated
  EXPECT_EQ(stdfs::file_size(File(1)), 2 * STAMP + 32);
  EXPECT_EQ(Messages(ReadAll()), (std::vector<std::string>{a, b, "c"}));

  VXB::Log::SetFilename(base_.c_str());  // and once more, now without reading first
  VXB::Log::Write("d");
  EXPECT_EQ(Messages(ReadAll()), (std::vector<std::string>{a, b, "c", "d"}));
}

struct RestartCase {
  const char* name;
  std::string one, two;  // contents left by an earlier run
  int one_age, two_age;  // seconds since each was last written
  unsigned current;      // the file the earlier run was filling
};

void PrintTo(const RestartCase& c, std::ostream* os) { *os << c.name; }

class LogRestartTest : public LogTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(LogRestartTest, NewestFileIsCurrentAndReadLast) {
  const RestartCase& c = GetParam();
  Put(File(1), c.one);
  Put(File(2), c.two);
  if (c.one_age == c.two_age) {
    SameTime(File(1), File(2));
  } else {
    Age(File(1), std::chrono::seconds(c.one_age));
    Age(File(2), std::chrono::seconds(c.two_age));
  }
  VXB::Log::SetFilename(base_.c_str());

  const std::string& older = c.current == 1 ? c.two : c.one;
  const std::string& newer = c.current == 1 ? c.one : c.two;
  EXPECT_EQ(ReadAll(), older + newer);

  VXB::Log::Write("next");
  EXPECT_EQ(Contents(File(c.current)).substr(0, newer.size()), newer);  // appended, not cut
  EXPECT_EQ(Contents(File(3 - c.current)), older);
  const std::string all = ReadAll();
  EXPECT_EQ(all.substr(0, older.size() + newer.size()), older + newer);
  EXPECT_EQ(Message(all.substr(older.size() + newer.size(),
                               all.size() - older.size() - newer.size() - 2)),
            "next");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogRestartTest,
    ::testing::Values(
        // Equal sizes: the time decides, either way round.
        RestartCase{"EqualSizeTwoNewer", "old1\r\n", "new2\r\n", 60, 30, 2},
        RestartCase{"EqualSizeOneNewer", "new1\r\n", "old2\r\n", 30, 60, 1},
        // The newer file is the larger one.
        RestartCase{"LargerIsNewer", "old\r\n", "newer and larger\r\n", 60, 30, 2},
        // The full file is older than the smaller current one.
        RestartCase{"SmallerIsNewer", "older and larger\r\n", "new\r\n", 60, 30, 2},
        // Same modification time: the smaller file, file 1 when sizes match.
        RestartCase{"TieSmallerWins", "longer one\r\n", "short\r\n", 30, 30, 2},
        RestartCase{"TieEqualSizeIsFileOne", "same1\r\n", "same2\r\n", 30, 30, 1}),
    [](const ::testing::TestParamInfo<RestartCase>& info) { return info.param.name; });

TEST_F(LogTest, OnlyFileTwoExists) {
  Put(File(2), "only two\r\n");
  VXB::Log::SetFilename(base_.c_str());
  EXPECT_EQ(ReadAll(), "only two\r\n");
  VXB::Log::Write("more");
  EXPECT_FALSE(stdfs::exists(File(1)));
  const std::vector<std::string> lines = Lines(ReadAll());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "only two");
  EXPECT_EQ(Message(lines[1]), "more");
}

TEST_F(LogTest, ConcurrentWritersNeverInterleaveLines) {
  VXB::Log::SetMaxSize(1 << 20);
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      const std::string module = "T" + std::to_string(t);
      for (int i = 0; i < kLines; ++i) {
        VXB::Log::WriteWithModule(module.c_str(), "line %d of thread %d", i, t);
      }
    });
  }
  for (std::thread& th : threads) th.join();
  const std::vector<std::string> lines = Lines(ReadAll(4096));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
  std::vector<int> next(kThreads, 0);
  for (const std::string& line : lines) {
    const std::string message = Message(line);
    int module = -1, index = -1, thread = -2, used = 0;
    ASSERT_EQ(std::sscanf(message.c_str(), "[T%d] line %d of thread %d%n", &module, &index, &thread,
                          &used),
              3)
        << line;
    ASSERT_EQ(static_cast<std::size_t>(used), message.size()) << line;
    ASSERT_EQ(module, thread) << line;
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
    EXPECT_EQ(index, next[thread]++);  // each thread's lines in its own order
  }
}

}  // namespace
