#include "vxb/common/runtime/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "vxb/common/runtime/error.h"

namespace {

namespace fs = VXB::FileSystem;
using VXB::Error::GetLastError;

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VXB::Error::Init();
    char pattern[] = "/tmp/zorbel_fs_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const char* name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(FileSystemTest, Letters) {
  EXPECT_EQ(fs::Letter(fs::ROOT), 'R');
  EXPECT_EQ(fs::Letter(fs::PRIMARY), 'P');
  EXPECT_EQ(fs::Letter(fs::SECONDARY), 'S');
  EXPECT_EQ(fs::Letter(fs::USB), 'U');
  EXPECT_EQ(fs::Letter(fs::SPI_SD), '?');
  EXPECT_EQ(fs::Letter(fs::MAX_FILESYSTEMS), '?');
}

TEST_F(FileSystemTest, OtherFileSystemsFailBeforeTheHostIsAsked) {
  const std::string name = Path("never");
  std::int64_t time = 0;
  EXPECT_EQ(fs::open(name.c_str(), fs::READ_WRITE | fs::CREATE, 0666, fs::SECONDARY), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(std::string(GetLastError()->Context), "Filesystem not supported for " + name);
  EXPECT_FALSE(std::filesystem::exists(name));  // CREATE was never passed on

  EXPECT_EQ(fs::access(name.c_str(), fs::EXISTS, fs::USB), -1);
  EXPECT_EQ(std::string(GetLastError()->Context),
            "Filesystem not supported for access(" + name + ")");
  EXPECT_EQ(fs::getmodtime(name.c_str(), time, fs::ROOT), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(std::string(GetLastError()->Context),
            "Filesystem not supported for getmodtime(" + name + ")");
}

TEST_F(FileSystemTest, OpenFailureNamesTheFileAndTheReason) {
  const std::string name = Path("missing");
  EXPECT_EQ(fs::open(name.c_str(), fs::READ_ONLY, 0, fs::PRIMARY, true), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_OPEN_ERROR);
  EXPECT_EQ(std::string(GetLastError()->Context),
            "Error opening " + name + " (" + std::strerror(ENOENT) + ")");
}

TEST_F(FileSystemTest, ExclusiveCreateRefusesAnExistingFile) {
  const std::string name = Path("x");
  const int h =
      fs::open(name.c_str(), fs::WRITE_ONLY | fs::CREATE | fs::EXCLUSIVE, 0600, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  EXPECT_EQ(fs::close(h), 0);
  EXPECT_EQ(
      fs::open(name.c_str(), fs::WRITE_ONLY | fs::CREATE | fs::EXCLUSIVE, 0600, fs::PRIMARY, true),
      -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_OPEN_ERROR);
}

TEST_F(FileSystemTest, WriteSeekReadTruncate) {
  const std::string name = Path("data");
  const int h = fs::open(name.c_str(), fs::READ_WRITE | fs::CREATE, 0666, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  const char bytes[] = "line one\r\nline two\r\n\x00\xFF";  // byte-exact, no translation
  const unsigned long size = sizeof bytes - 1;
  EXPECT_EQ(fs::write(h, bytes, size), static_cast<long>(size));
  EXPECT_EQ(fs::lseek(h, 0, fs::FROM_END), static_cast<std::int64_t>(size));
  EXPECT_EQ(fs::lseek(h, 5, fs::FROM_START), 5);
  EXPECT_EQ(fs::lseek(h, 2, fs::FROM_CURRENT), 7);
  char back[64] = {};
  EXPECT_EQ(fs::lseek(h, 0, fs::FROM_START), 0);
  EXPECT_EQ(fs::read(h, back, sizeof back), static_cast<long>(size));
  EXPECT_EQ(std::memcmp(back, bytes, size), 0);
  EXPECT_EQ(fs::read(h, back, sizeof back), 0);  // end of file is not an error

  EXPECT_EQ(fs::truncate(h, 4), 0);
  EXPECT_EQ(fs::lseek(h, 0, fs::FROM_END), 4);
  EXPECT_EQ(fs::close(h), 0);
  EXPECT_EQ(std::filesystem::file_size(name), 4u);
}

TEST_F(FileSystemTest, AppendAndTruncateFlags) {
  const std::string name = Path("flags");
  int h = fs::open(name.c_str(), fs::WRITE_ONLY | fs::CREATE, 0666, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  EXPECT_EQ(fs::write(h, "abc", 3), 3);
  fs::close(h);
  h = fs::open(name.c_str(), fs::WRITE_ONLY | fs::APPEND, 0, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  fs::lseek(h, 0, fs::FROM_START);
  EXPECT_EQ(fs::write(h, "de", 2), 2);  // appended despite the seek
  fs::close(h);
  EXPECT_EQ(std::filesystem::file_size(name), 5u);
  h = fs::open(name.c_str(), fs::WRITE_ONLY | fs::TRUNCATE, 0, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  fs::close(h);
  EXPECT_EQ(std::filesystem::file_size(name), 0u);
}

TEST_F(FileSystemTest, OperationsOnABadHandleFailWithTheirNumbers) {
  char buffer[4];
  EXPECT_EQ(fs::read(-1, buffer, sizeof buffer), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_READ_ERROR);
  EXPECT_STREQ(GetLastError()->Context, std::strerror(EBADF));
  EXPECT_EQ(fs::write(-1, buffer, sizeof buffer), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_WRITE_ERROR);
  EXPECT_EQ(fs::lseek(-1, 0, fs::FROM_START), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_SEEK_ERROR);
  EXPECT_EQ(fs::truncate(-1, 0), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(std::string(GetLastError()->Context), std::string("truncate: ") + std::strerror(EBADF));
  EXPECT_EQ(fs::close(-1), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_CLOSE_ERROR);
  EXPECT_EQ(fs::setmodtime(-1, 0), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
}

TEST_F(FileSystemTest, SeekRejectsAnUnknownOrigin) {
  const std::string name = Path("seek");
  const int h = fs::open(name.c_str(), fs::READ_WRITE | fs::CREATE, 0666, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  EXPECT_EQ(fs::lseek(h, 0, static_cast<fs::Origins>(7)), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_SEEK_ERROR);
  EXPECT_EQ(fs::lseek(h, -1, fs::FROM_START), -1);
  fs::close(h);
}

TEST_F(FileSystemTest, Access) {
  const std::string name = Path("here");
  const int h = fs::open(name.c_str(), fs::WRITE_ONLY | fs::CREATE, 0644, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  fs::close(h);
  EXPECT_EQ(fs::access(name.c_str(), fs::EXISTS, fs::PRIMARY), 0);
  EXPECT_EQ(fs::access(name.c_str(), fs::READABLE, fs::PRIMARY), 0);
  const std::string missing = Path("gone");
  EXPECT_EQ(fs::access(missing.c_str(), fs::EXISTS, fs::PRIMARY), -1);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(std::string(GetLastError()->Context),
            "Access " + missing + ": " + std::strerror(ENOENT));
}

TEST_F(FileSystemTest, ModificationTimeInNanoseconds) {
  const std::string name = Path("stamp");
  const int h = fs::open(name.c_str(), fs::READ_WRITE | fs::CREATE, 0666, fs::PRIMARY, true);
  ASSERT_GE(h, 0);
  // An exact time with a nanosecond part reads back exactly.
  const std::int64_t wanted = 1700000000123456789LL;
  EXPECT_EQ(fs::setmodtime(h, wanted), 0);
  fs::close(h);
  std::int64_t time = 0;
  ASSERT_EQ(fs::getmodtime(name.c_str(), time, fs::PRIMARY), 0);
  EXPECT_EQ(time, wanted);
  struct stat st {};
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1700000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);

  const std::string missing = Path("gone");
  EXPECT_EQ(fs::getmodtime(missing.c_str(), time, fs::PRIMARY), -1);
  EXPECT_EQ(std::string(GetLastError()->Context),
            "stat(" + missing + "): " + std::strerror(ENOENT));
}

TEST_F(FileSystemTest, GetCwd) {
  char buffer[fs::MAX_PATH];
  ASSERT_EQ(fs::getcwd(buffer, sizeof buffer), buffer);
  EXPECT_EQ(std::filesystem::path(buffer), std::filesystem::current_path());
  char tiny[1];
  EXPECT_EQ(fs::getcwd(tiny, sizeof tiny), nullptr);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(std::strncmp(GetLastError()->Context, "getcwd: ", 8), 0);
  EXPECT_EQ(fs::getcwd(nullptr, 10), nullptr);
}

TEST(DirnameTest, Cases) {
  const struct {
    const char* path;
    const char* dir;
  } cases[] = {
      {"zorbel.exe", ""},
      {"", ""},
      {"/", "/"},
      {"/x/zorbel.log", "/x/"},
      {"C:\\Programas\\zorbel.exe", "C:\\Programas\\"},
      {"/a/b\\c", "/a/b\\"},  // the last separator wins, whichever kind
      {"/a\\b/c", "/a\\b/"},
      {"dir/", "dir/"},
  };
  for (const auto& c : cases) EXPECT_STREQ(fs::dirname(c.path), c.dir) << c.path;
}

TEST(DirnameTest, EmptyPathIsReturnedUnchanged) {
  const char* empty = "";
  EXPECT_EQ(fs::dirname(empty), empty);
}

TEST(DirnameTest, LongPathIsCutToThePathBuffer) {
  std::string path(3000, 'a');
  path[2500] = '/';
  const char* dir = fs::dirname(path.c_str());
  EXPECT_EQ(std::strlen(dir), fs::MAX_PATH - 1);
}

}  // namespace
