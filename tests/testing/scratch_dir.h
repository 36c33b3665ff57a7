// A fresh directory for one test. CTest runs test cases as separate
// processes in parallel, so every case gets a directory of its own, named
// after its suite and case and made unique by a clock reading.
#ifndef ZORBEL_TESTS_TESTING_SCRATCH_DIR_H_
#define ZORBEL_TESTS_TESTING_SCRATCH_DIR_H_

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace Testing {

inline std::filesystem::path MakeScratchDir(const std::string& prefix) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = prefix;
  if (info != nullptr) name += std::string("_") + info->test_suite_name() + "_" + info->name();
  name += "_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace Testing

#endif  // ZORBEL_TESTS_TESTING_SCRATCH_DIR_H_
