// Several threads writing log lines and debug lines (routed into the log)
// at once, with a small size bound so that the files switch often.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"

namespace VXB {
namespace {

constexpr unsigned kMaxSize = 4096;
constexpr int kThreads = 4;
constexpr int kLinesPerThread = 400;

void DebugIntoLog(const Types::Date&, const Types::Time&, unsigned, const char* ID,
                  const char* Line) {
  Log::WriteWithModule(ID, "%s", Line);
}

std::string ReadWholeLog() {
  std::string text;
  Byte chunk[256];
  unsigned size = sizeof(chunk);
  if (!Log::ReadFirst(chunk, size)) return text;
  do {
    text.append(reinterpret_cast<const char*>(chunk), size);
    size = sizeof(chunk);
  } while (Log::ReadNext(chunk, size));
  return text;
}

TEST(LogConcurrencyTest, ThreadsLoggingAndDebugPrintingNeverTearLinesOrDeadlock) {
  Error::Init();
  Debug::Init();
  Debug::Control::Init();
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "log_concurrency";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  static std::string base;
  base = (dir / "zorbel.log").string();
  Log::SetFilename(base.c_str());
  Log::SetMaxSize(kMaxSize);

  Debug::TransportCustom transport;
  transport.SetCallback(&DebugIntoLog);
  Debug::Control::SetCurrentTransport(&transport);
  Debug::Control::EnableModule(Debug::IO);

  auto work = std::async(std::launch::async, [] {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([t] {
        Debug::Debugger debugger(Debug::IO, ("Worker" + std::to_string(t)).c_str());
        Error::SetWithContext(Error::IO_READ_ERROR, "kept %d", t);
        for (int i = 0; i < kLinesPerThread; ++i) {
          if (i % 2 == 0) {
            Log::WriteWithModule("direct", "thread %d line %d payload", t, i);
          } else {
            debugger.Print("thread %d line %d payload", t, i);
          }
        }
        // Neither path may disturb the thread's own error record.
        EXPECT_EQ(Error::GetLastError()->Error, Error::IO_READ_ERROR);
        EXPECT_EQ(std::string(Error::GetLastError()->Context), "kept " + std::to_string(t));
      });
    }
    for (std::thread& thread : threads) thread.join();
  });
  if (work.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "logging threads did not finish: deadlock";
    std::_Exit(1);
  }

  Debug::Control::SetCurrentTransport(nullptr);

  for (const char* suffix : {"1.log", "2.log"}) {
    const std::filesystem::path file = base + suffix;
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_LE(std::filesystem::file_size(file), kMaxSize) << file;
  }

  // Read back oldest first: every line but the first (whose beginning may
  // have been in the file that was emptied) is whole and not interleaved.
  const std::string text = ReadWholeLog();
  ASSERT_FALSE(text.empty());
  const std::regex line_form(
      R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d: \[(direct|Worker\d)\] thread \d line \d+ payload)");
  std::size_t start = 0;
  int lines = 0;
  bool first = true;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "unterminated line at " << start;
    const std::string line = text.substr(start, end - start);
    if (!first) {
      EXPECT_TRUE(std::regex_match(line, line_form)) << "torn line: " << line;
      ++lines;
    }
    first = false;
    start = end + 2;
  }
  EXPECT_GT(lines, 20);
}

}  // namespace
}  // namespace VXB
