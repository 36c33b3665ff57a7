// The file transport's path from an environment variable.
#include <gtest/gtest.h>

#include <stdlib.h>
#include "testing/scratch_dir.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vxb/common/runtime/debug.h"

namespace VXB::Debug {
namespace {

constexpr const char* kVariable = "ZORBEL_DEBUG_FILE_TEST";

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

Packet MakePacket(const char* line) {
  Packet p;
  p.Module = IO;
  std::snprintf(p.ID, sizeof(p.ID), "%s", "Env");
  p.Date = 1240315;
  p.Time = 134509;
  p.BufferSize = static_cast<std::uint32_t>(std::strlen(line));
  return p;
}

class TransportFileEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Init();
    dir_ = Testing::MakeScratchDir("zorbel_debug_env");
    unsetenv(kVariable);
  }
  void TearDown() override {
    unsetenv(kVariable);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
};

TEST_F(TransportFileEnvTest, VariableWinsOverDefaultWhileSet) {
  const auto fallback = dir_ / "default.txt";
  const auto chosen = dir_ / "chosen.txt";
  TransportFile t(kVariable, fallback.string().c_str());

  t.Send(MakePacket("one"), "one");
  ASSERT_EQ(setenv(kVariable, chosen.string().c_str(), 1), 0);
  t.Send(MakePacket("two"), "two");
  ASSERT_EQ(setenv(kVariable, "", 1), 0);  // empty counts as unset
  t.Send(MakePacket("three"), "three");

  const std::string header =
      "03/15/24 13:45:09 IO                   Env                            ";
  EXPECT_EQ(Slurp(fallback), header + "one\n" + header + "three\n");
  EXPECT_EQ(Slurp(chosen), header + "two\n");
}

TEST_F(TransportFileEnvTest, ChangeFilenameForgetsTheVariable) {
  const auto chosen = dir_ / "chosen.txt";
  const auto renamed = dir_ / "renamed.txt";
  ASSERT_EQ(setenv(kVariable, chosen.string().c_str(), 1), 0);
  TransportFile t(kVariable, "unused.txt");
  t.ChangeFilename(renamed.string().c_str());
  t.Send(MakePacket("x"), "x");
  EXPECT_FALSE(std::filesystem::exists(chosen));
  EXPECT_TRUE(std::filesystem::exists(renamed));
}

}  // namespace
}  // namespace VXB::Debug
