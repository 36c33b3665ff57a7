#include "vxb/common/runtime/file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "vxb/common/runtime/error.h"

namespace {

namespace fs = VXB::FileSystem;
using VXB::File;
using VXB::Error::GetLastError;

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VXB::Error::Init();
    dir_ = std::filesystem::temp_directory_path() /
           ("zorbel_file_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

TEST_F(FileTest, WriteReadBack) {
  const std::string name = Path("a.bin");
  File f;
  f.SetQuiet(true);
  ASSERT_TRUE(f.open(fs::PRIMARY, name.c_str(), fs::READ_WRITE | fs::CREATE));
  EXPECT_TRUE(f.is_open());
  unsigned size = 6;
  ASSERT_TRUE(f.write("ab\r\ncd", size));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(f.filesize(), 6);

  std::int64_t offset = 2;
  ASSERT_TRUE(f.lseek(offset, fs::FROM_START));
  EXPECT_EQ(offset, 2);
  EXPECT_EQ(f.filesize(), 6);  // measuring keeps the position
  char buffer[16] = {};
  size = sizeof buffer;
  ASSERT_TRUE(f.read(buffer, size));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::string(buffer, size), "\r\ncd");

  ASSERT_TRUE(f.truncate(1));
  EXPECT_EQ(f.filesize(), 1);
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(File::filesize(fs::PRIMARY, name.c_str()), 1);
}

TEST_F(FileTest, CloseTwiceSucceeds) {
  File f;
  f.SetQuiet(true);
  ASSERT_TRUE(f.open(fs::PRIMARY, Path("c").c_str(), fs::WRITE_ONLY | fs::CREATE));
  EXPECT_TRUE(f.close());
  EXPECT_TRUE(f.close());
  File never_opened;
  EXPECT_TRUE(never_opened.close());
}

TEST_F(FileTest, OpenFailureAddsNameAndLetterToTheContext) {
  const std::string name = Path("missing");
  File f;
  f.SetQuiet(true);
  EXPECT_FALSE(f.open(fs::PRIMARY, name.c_str(), fs::READ_ONLY));
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_OPEN_ERROR);
  const std::string context = GetLastError()->Context;
  EXPECT_EQ(context.rfind("\"" + name + "\" (P) [Error opening " + name + " (", 0), 0u) << context;
}

TEST_F(FileTest, OtherFileSystemsFailWith259) {
  const std::string name = Path("s");
  File f;
  EXPECT_FALSE(f.open(fs::SECONDARY, name.c_str(), fs::READ_WRITE | fs::CREATE));
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(std::string(GetLastError()->Context),
            "\"" + name + "\" (S) [Filesystem not supported for " + name + "]");
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_FALSE(File::exists(fs::USB, name.c_str()));
}

TEST_F(FileTest, OperationsOnAClosedFileFail) {
  File f;
  char buffer[4];
  unsigned size = sizeof buffer;
  EXPECT_FALSE(f.read(buffer, size));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_READ_ERROR);
  size = sizeof buffer;
  EXPECT_FALSE(f.write(buffer, size));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_WRITE_ERROR);
  std::int64_t offset = 3;
  EXPECT_FALSE(f.lseek(offset, fs::FROM_START));
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_SEEK_ERROR);
  EXPECT_FALSE(f.truncate(0));
  EXPECT_EQ(GetLastError()->Error, VXB::Error::IO_FS_ERROR);
  EXPECT_EQ(f.filesize(), 0);
  EXPECT_EQ(f.modtime(), 0);
}

TEST_F(FileTest, StaticHelpers) {
  const std::string name = Path("five");
  std::ofstream(name, std::ios::binary) << "12345";
  EXPECT_TRUE(File::exists(fs::PRIMARY, name.c_str()));
  EXPECT_EQ(File::filesize(fs::PRIMARY, name.c_str()), 5);
  const std::string missing = Path("missing");
  EXPECT_FALSE(File::exists(fs::PRIMARY, missing.c_str()));
  // A file that cannot be opened measures 0, like an empty one.
  EXPECT_EQ(File::filesize(fs::PRIMARY, missing.c_str()), 0);
}

TEST_F(FileTest, ModificationTime) {
  const std::string name = Path("m");
  File f;
  f.SetQuiet(true);
  ASSERT_TRUE(f.open(fs::PRIMARY, name.c_str(), fs::READ_WRITE | fs::CREATE));
  ASSERT_TRUE(f.setmodtime(1600000000000000001LL));
#if defined(_WIN32)
  // Windows keeps 100-nanosecond ticks; a time is rounded up, never down.
  EXPECT_EQ(f.modtime(), 1600000000000000100LL);
#else
  EXPECT_EQ(f.modtime(), 1600000000000000001LL);
#endif
}

TEST_F(FileTest, ReopeningClosesThePreviousFile) {
  File f;
  f.SetQuiet(true);
  ASSERT_TRUE(f.open(fs::PRIMARY, Path("one").c_str(), fs::WRITE_ONLY | fs::CREATE));
  ASSERT_TRUE(f.open(fs::PRIMARY, Path("two").c_str(), fs::WRITE_ONLY | fs::CREATE));
  unsigned size = 3;
  ASSERT_TRUE(f.write("two", size));
  f.close();
  EXPECT_EQ(std::filesystem::file_size(Path("one")), 0u);
  EXPECT_EQ(std::filesystem::file_size(Path("two")), 3u);
}

}  // namespace
