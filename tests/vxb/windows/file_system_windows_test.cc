// The file layer on Windows, where the host differs from POSIX in ways the
// log and the index page depend on: files are byte-exact (no CR/LF or
// Ctrl-Z translation), an open file can be read, renamed and removed by
// others (the log rotates while the index page reads it), rename replaces
// its target, and 100-nanosecond modification times never move a later
// time before an earlier one.
#include "vxb/common/runtime/file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "vxb/common/runtime/error.h"

namespace {

namespace fs = VXB::FileSystem;
using VXB::Error::GetLastError;

class FileSystemWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VXB::Error::Init();
    dir_ = std::filesystem::temp_directory_path() /
           ("zorbel_fs_" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string Path(const char* Name) const { return (dir_ / Name).string(); }

  int Open(const std::string& Name, unsigned Flags) {
    return fs::open(Name.c_str(), Flags, 0666, fs::PRIMARY, true);
  }

  std::string ReadAll(const std::string& Name) {
    const int h = Open(Name, fs::READ_ONLY);
    if (h < 0) return "<not opened>";
    char buffer[256];
    const long n = fs::read(h, buffer, sizeof buffer);
    fs::close(h);
    return n < 0 ? "<not read>" : std::string(buffer, static_cast<std::size_t>(n));
  }

  std::filesystem::path dir_;
};

TEST_F(FileSystemWindowsTest, BytesAreStoredAsWritten) {
  const std::string name = Path("bytes");
  const std::string bytes("a\r\nb\n\x1A\xFF\0z", 9);
  const int h = Open(name, fs::WRITE_ONLY | fs::CREATE);
  ASSERT_GE(h, 0) << GetLastError()->Context;
  EXPECT_EQ(fs::write(h, bytes.data(), bytes.size()), static_cast<long>(bytes.size()));
  fs::close(h);
  EXPECT_EQ(std::filesystem::file_size(name), bytes.size());
  EXPECT_EQ(ReadAll(name), bytes);
}

TEST_F(FileSystemWindowsTest, OpenFlagsTable) {
  const std::string name = Path("flags");
  const struct {
    const char* step;
    unsigned flags;
    const char* write;
    bool opens;
    const char* after;
  } steps[] = {
      {"create", fs::WRITE_ONLY | fs::CREATE, "abc", true, "abc"},
      {"exclusive refused", fs::WRITE_ONLY | fs::CREATE | fs::EXCLUSIVE, "", false, "abc"},
      {"append after a seek to 0", fs::WRITE_ONLY | fs::APPEND, "de", true, "abcde"},
      {"overwrite in place", fs::WRITE_ONLY, "X", true, "Xbcde"},
      {"truncate", fs::WRITE_ONLY | fs::TRUNCATE, "", true, ""},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    const int h = Open(name, s.flags);
    EXPECT_EQ(h >= 0, s.opens);
    if (h >= 0) {
      fs::lseek(h, 0, fs::FROM_START);
      const long n = static_cast<long>(std::strlen(s.write));
      EXPECT_EQ(fs::write(h, s.write, static_cast<unsigned long>(n)), n);
      fs::close(h);
    } else {
      EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_OPEN_ERROR);
    }
    EXPECT_EQ(ReadAll(name), s.after);
  }
}

// What the log does when it rotates while the index page reads: the file
// is renamed over the older one and removed while others hold it open.
TEST_F(FileSystemWindowsTest, AnOpenFileCanBeReadRenamedAndRemoved) {
  const std::string current = Path("zorbel.log1.log");
  const std::string older = Path("zorbel.log2.log");
  const int old_h = Open(older, fs::WRITE_ONLY | fs::CREATE);
  ASSERT_GE(old_h, 0);
  fs::write(old_h, "old", 3);
  fs::close(old_h);

  const int writer = Open(current, fs::WRITE_ONLY | fs::CREATE | fs::APPEND);
  ASSERT_GE(writer, 0);
  EXPECT_EQ(fs::write(writer, "line 1\n", 7), 7);
  const int reader = Open(current, fs::READ_ONLY);
  ASSERT_GE(reader, 0) << GetLastError()->Context;
  char buffer[16];
  EXPECT_EQ(fs::read(reader, buffer, sizeof buffer), 7);

  EXPECT_EQ(fs::rename(current.c_str(), older.c_str(), fs::PRIMARY), 0) << GetLastError()->Context;
  EXPECT_EQ(fs::write(writer, "line 2\n", 7), 7);  // the writer goes on
  EXPECT_EQ(ReadAll(older), "line 1\nline 2\n");
  EXPECT_FALSE(std::filesystem::exists(current));

  EXPECT_EQ(fs::remove(older.c_str(), fs::PRIMARY), 0) << GetLastError()->Context;
  EXPECT_EQ(fs::close(reader), 0);
  EXPECT_EQ(fs::close(writer), 0);
  EXPECT_FALSE(std::filesystem::exists(older));
  // The name is free again once the last holder has closed.
  const int again = Open(older, fs::WRITE_ONLY | fs::CREATE | fs::EXCLUSIVE);
  EXPECT_GE(again, 0);
  fs::close(again);
}

// Times are kept in 100 ns ticks: a time between two ticks is rounded up,
// so that of two times set in order the later never reads as earlier.
TEST_F(FileSystemWindowsTest, ModificationTimesRoundUpToTheTick) {
  const std::string name = Path("stamp");
  const int h = Open(name, fs::READ_WRITE | fs::CREATE);
  ASSERT_GE(h, 0);
  const struct {
    std::int64_t set;
    std::int64_t read;
  } cases[] = {
      {1700000000123456700LL, 1700000000123456700LL},
      {1700000000123456701LL, 1700000000123456800LL},
      {1700000000123456799LL, 1700000000123456800LL},
      {0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    ASSERT_EQ(fs::setmodtime(h, c.set), 0) << GetLastError()->Context;
    std::int64_t time = -1;
    ASSERT_EQ(fs::getmodtime(name.c_str(), time, fs::PRIMARY), 0);
    EXPECT_EQ(time, c.read);
  }
  EXPECT_EQ(fs::isregular(h), 1);
  fs::close(h);
}

}  // namespace
