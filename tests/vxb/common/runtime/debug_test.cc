#include "vxb/common/runtime/debug.h"

#include <gtest/gtest.h>

#include "testing/scratch_dir.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"

namespace VXB::Debug {
namespace {

struct Captured {
  unsigned module;
  std::string id;
  std::string line;
  bool date_valid;
  bool time_valid;
};

std::mutex g_lock;
std::vector<Captured> g_lines;
// Optional hook run inside the callback, while the transport lock is held.
void (*g_hook)() = nullptr;

void Capture(const Types::Date& date, const Types::Time& time, unsigned module, const char* id,
             const char* line) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_lines.push_back({module, id, line, !date.IsInvalid(), !time.IsInvalid()});
  }
  if (g_hook != nullptr) g_hook();
}

std::vector<Captured> Lines() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_lines;
}

std::vector<std::string> Texts() {
  std::vector<std::string> out;
  for (const auto& c : Lines()) out.push_back(c.line);
  return out;
}

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class DebugTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Init();
    Control::Init();
    Control::SetCurrentTransport(nullptr);
    {
      std::lock_guard<std::mutex> guard(g_lock);
      g_lines.clear();
    }
    g_hook = nullptr;
    transport_.SetCallback(&Capture);
    transport_.Enable(true);
  }
  void TearDown() override {
    Control::SetCurrentTransport(nullptr);
    g_hook = nullptr;
  }

  // Installs the capturing transport with module IO on.
  void Install() {
    Control::SetCurrentTransport(&transport_);
    Control::EnableModule(IO);
  }

  TransportCustom transport_;
};

TEST_F(DebugTest, LineNeedsModuleTransportAndCallback) {
  Debugger d(IO, "Serial");
  d.Print("one");
  EXPECT_TRUE(Lines().empty());

  Control::EnableModule(IO);
  d.Print("two");  // no transport yet
  EXPECT_TRUE(Lines().empty());

  TransportCustom bare;
  EXPECT_FALSE(bare.Enabled());
  Control::SetCurrentTransport(&bare);
  EXPECT_TRUE(Control::TransportAvailable());
  EXPECT_FALSE(Control::Enabled(IO));
  d.Print("three");
  EXPECT_TRUE(Lines().empty());

  Control::SetCurrentTransport(&transport_);
  d.Print("four %d", 4);
  transport_.Enable(false);
  d.Print("five");
  transport_.Enable(true);
  d.Disable();
  d.Print("six");
  d.Enable();
  Control::DisableModule(IO);
  d.Print("seven");

  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].line, "four 4");
  EXPECT_EQ(lines[0].id, "Serial");
  EXPECT_EQ(lines[0].module, IO);
  EXPECT_TRUE(lines[0].date_valid);
  EXPECT_TRUE(lines[0].time_valid);
}

TEST_F(DebugTest, ControlInitLeavesOnlyInit) {
  Control::SetCurrentTransport(&transport_);
  Control::EnableAllModules();
  Control::Init();
  for (Modules m = 0; m < MAX_MODULE_ID; ++m) EXPECT_EQ(Control::Enabled(m), m == INIT) << m;
}

TEST_F(DebugTest, ModuleNumbersOutOfRangeAreNeverUsed) {
  Control::SetCurrentTransport(&transport_);
  Control::EnableModule(300);
  Control::EnableModule(MAX_MODULE_ID);
  Control::DisableModule(1000);
  EXPECT_FALSE(Control::Enabled(MAX_MODULE_ID));
  EXPECT_FALSE(Control::Enabled(1000));
  EXPECT_FALSE(Control::Enabled(300));
  EXPECT_TRUE(Control::Enabled(INIT));

  Control::EnableAllModules();
  Debugger d(300, "far");
  EXPECT_EQ(d.GetModule(), MAX_MODULE_ID);
  d.Print("x");
  d.SetModule(256 + IO);  // must not wrap around to IO
  EXPECT_EQ(d.GetModule(), MAX_MODULE_ID);
  d.Print("y");
  EXPECT_TRUE(Lines().empty());
}

TEST_F(DebugTest, ProcessCommand) {
  Control::SetCurrentTransport(&transport_);
  auto snapshot = [] {
    std::vector<bool> s;
    for (Modules m = 0; m < MAX_MODULE_ID; ++m) s.push_back(Control::Enabled(m));
    return s;
  };
  const auto before = snapshot();
  Control::ProcessCommand({Control::ENABLE_MODULE, 255});
  EXPECT_EQ(snapshot(), before);
  Control::ProcessCommand({Control::MAX_COMMANDS, 7});
  Control::ProcessCommand({200, 7});
  EXPECT_EQ(snapshot(), before);

  Control::ProcessCommand({Control::ENABLE_MODULE, 7});
  EXPECT_TRUE(Control::Enabled(7));
  Control::ProcessCommand({Control::ENABLE_ALL, 0});
  EXPECT_TRUE(Control::Enabled(254));
  Control::ProcessCommand({Control::DISABLE_MODULE, 255});
  EXPECT_TRUE(Control::Enabled(254));
  Control::ProcessCommand({Control::DISABLE_MODULE, 254});
  EXPECT_FALSE(Control::Enabled(254));
  Control::ProcessCommand({Control::DISABLE_ALL, 0});
  EXPECT_FALSE(Control::Enabled(INIT));
}

TEST_F(DebugTest, ThreadStateReportGoesToStateModule) {
  Control::SetCurrentTransport(&transport_);
  Control::ProcessCommand({Control::GET_THREADS_STATE, 0});
  EXPECT_TRUE(Lines().empty());  // STATE is off
  Control::EnableModule(STATE);
  Control::ProcessCommand({Control::GET_THREADS_STATE, 0});
  const auto lines = Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().line, "");
  for (const auto& l : lines) EXPECT_EQ(l.module, STATE);
}

TEST_F(DebugTest, Registry) {
  Modules m = 0;
  EXPECT_TRUE(FromString("io", m));
  EXPECT_EQ(m, IO);
  EXPECT_TRUE(FromString("Cryptography", m));
  EXPECT_EQ(m, CRYPTOGRAPHY);
  EXPECT_FALSE(FromString("nothing-like-it", m));
  EXPECT_FALSE(FromString(nullptr, m));
  EXPECT_STREQ(ToString(HTTP), "HTTP");
  EXPECT_STREQ(GetDescription(HTTP), "Servidor de protocolo HTTP");

  // First match in ascending number wins.
  RegisterModule(120, "twice", "b");
  RegisterModule(110, "TWICE", "a");
  EXPECT_TRUE(FromString("Twice", m));
  EXPECT_EQ(m, 110u);
  RegisterModule(110, "once", "c");
  EXPECT_TRUE(FromString("twice", m));
  EXPECT_EQ(m, 120u);
}

TEST_F(DebugTest, UnknownNumberGetsDefaultEntryAndIsListed) {
  EXPECT_STREQ(ToString(77), "Unknown ID");
  EXPECT_STREQ(GetDescription(77), "Unknown");
  Modules list[MAX_MODULE_ID];
  const unsigned n = FillModules(list);
  ASSERT_GE(n, 7u);
  EXPECT_NE(std::find(list, list + n, 77u), list + n);
  for (unsigned i = 1; i < n; ++i) EXPECT_LT(list[i - 1], list[i]);
}

TEST_F(DebugTest, FillModulesNeverPassesItsRoom) {
  for (Modules m = 0; m < 2000; ++m) ToString(m);
  std::vector<Modules> list(MAX_MODULE_ID + 16, 0xDEADu);
  const unsigned n = FillModules(list.data());
  EXPECT_EQ(n, MAX_MODULE_ID);
  EXPECT_EQ(list[MAX_MODULE_ID], 0xDEADu);
  EXPECT_STREQ(ToString(1000), "Unknown ID");
}

TEST_F(DebugTest, GetASCII) {
  struct Case {
    char c;
    const char* text;
  };
  const Case cases[] = {{'\x00', "[NUL]"}, {'\x02', "[STX]"}, {'\x1F', "[US]"},
                        {'\x7F', "[DEL]"}, {'A', ""},         {'\xF3', ""}};
  for (const auto& c : cases) {
    char out[8] = {};
    const unsigned n = GetASCII(out, c.c);
    EXPECT_EQ(std::string(out, n), c.text) << static_cast<int>(c.c);
  }
}

TEST_F(DebugTest, PrintMultipleLines) {
  Install();
  Debugger d(IO, "ml");
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\n\nc", {"a", "b", "", "c"}},
      {"x\r\r\ny", {"x", "", "y"}},
      {"p\n\rq", {"p", "q"}},
      {"end\n", {"end"}},
      {"end\r\n", {"end"}},
      {"one", {"one"}},
      {"\n", {""}},
      {"", {}},
      {"100% %s", {"100% %s"}},
  };
  for (const auto& c : cases) {
    {
      std::lock_guard<std::mutex> guard(g_lock);
      g_lines.clear();
    }
    d.PrintMultipleLines(c.text);
    EXPECT_EQ(Texts(), c.lines) << c.text;
  }
}

TEST_F(DebugTest, DumpFourBytes) {
  Install();
  Debugger d(IO, "dump");
  const Byte bytes[] = {0x02, 0x41, 0x42, 0x03};
  d.Dump(bytes, sizeof(bytes));
  const std::string expected = std::string(".AB.") + std::string(12, ' ') + " 02 41 42 03";
  EXPECT_EQ(Texts(), std::vector<std::string>{expected});
}

TEST_F(DebugTest, DumpSplitsAtSixteenBytes) {
  Install();
  Debugger d(IO, "dump");
  Byte bytes[17];
  for (unsigned i = 0; i < sizeof(bytes); ++i) bytes[i] = static_cast<Byte>(0x30 + i);
  d.Dump(bytes, 16);
  d.Dump(bytes, 17);
  d.Dump(bytes, 0);
  const auto lines = Texts();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(lines[0].substr(0, 16), "0123456789:;<=>?");
  EXPECT_EQ(lines[0].size(), 16u + 16u * 3u);
  EXPECT_EQ(lines[2], "@" + std::string(15, ' ') + " 40");
}

TEST_F(DebugTest, EscPrint) {
  Install();
  Debugger d(IO, "esc");
  const Byte bytes[] = {0x02, 0x41, 0xF3, 0x03};
  d.EscPrint("TX", bytes, sizeof(bytes));
  const Byte more[] = {0x00, 0x7F, 0xB0, 0x20};
  d.EscPrint("RX", more, sizeof(more));
  d.EscPrint("S",
             "a\x1b"
             "b");
  d.EscPrint(nullptr, nullptr, 3);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"TX [STX]A[F3h][ETX]", "RX [NUL][DEL][B0h] ",
                                               "S a[ESC]b", " "}));
}

TEST_F(DebugTest, EscPrintOfLongInputIsWhole) {
  Install();
  Debugger d(IO, "esc");
  std::vector<Byte> bytes(3000, 0x01);
  d.EscPrint("M", bytes.data(), static_cast<unsigned>(bytes.size()));
  const auto lines = Texts();
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u + 5u * 3000u);
  EXPECT_EQ(lines[0].substr(0, 12), "M [SOH][SOH]");
  EXPECT_EQ(lines[0].substr(lines[0].size() - 5), "[SOH]");
}

TEST_F(DebugTest, IdIsTakenLiterallyAndCut) {
  Install();
  Debugger d(IO, "%s%n%s%n");
  EXPECT_STREQ(d.GetID(), "%s%n%s%n");
  d.Print("hello");
  Debugger long_id(IO, "0123456789012345678901234567890123456789");
  EXPECT_STREQ(long_id.GetID(), "012345678901234567890123456789");
  Debugger null_id(IO, nullptr);
  EXPECT_STREQ(null_id.GetID(), "");

  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].id, "%s%n%s%n");
  EXPECT_EQ(lines[0].line, "hello");
}

TEST_F(DebugTest, SetIdFormats) {
  Debugger d(IO, "x");
  d.SetID("%s-%d", "port", 3);
  EXPECT_STREQ(d.GetID(), "port-3");
  d.SetID("%s/%s/%s/%s/%s", d.GetID(), d.GetID(), d.GetID(), d.GetID(), d.GetID());
  EXPECT_STREQ(d.GetID(), "port-3/port-3/port-3/port-3/po");
}

TEST_F(DebugTest, PrintWithFunctionIdKeepsOwnId) {
  Install();
  Debugger d(IO, "Own");
  d.PrintWithFunctionID("Send%s", "n=%d", 5);
  d.PrintWithFunctionID("ABCDEFGHIJABCDEFGHIJABCDEFGHIJxyz", "cut");
  d.Print("after");
  EXPECT_STREQ(d.GetID(), "Own");
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].id, "Send%s");
  EXPECT_EQ(lines[0].line, "n=5");
  EXPECT_EQ(lines[1].id, "ABCDEFGHIJABCDEFGHIJABCDEFGHIJ");
  EXPECT_EQ(lines[2].id, "Own");
}

TEST_F(DebugTest, LongMessageIsCut) {
  Install();
  Debugger d(IO, "long");
  const std::string big(5000, 'z');
  d.Print("%s", big.c_str());
  d.PrintWithFunctionID("f", "%s", big.c_str());
  d.PrintMultipleLines(big.c_str());
  const auto lines = Texts();
  ASSERT_EQ(lines.size(), 3u);
  for (const auto& l : lines) EXPECT_EQ(l, std::string(LINE_BUFFER_SIZE - 1, 'z'));
}

TEST_F(DebugTest, PrintingKeepsTheErrorRecord) {
  Install();
  // A callback that fails inside must not leak its failure either.
  g_hook = [] { Error::SetWithContext(Error::IO_WRITE_ERROR, "inside"); };
  Error::SetWithContext(Error::IO_OPEN_ERROR, "ctx");
  Debugger d(IO, "err");
  const Byte bytes[] = {1, 2, 3};
  d.Print("p");
  d.PrintMultipleLines("a\nb");
  d.PrintWithFunctionID("f", "x");
  d.Dump(bytes, 3);
  d.EscPrint("m", bytes, 3);
  testing::internal::CaptureStdout();
  Debugger::OnScreen("screen");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_OPEN_ERROR);
  EXPECT_STREQ(Error::GetLastError()->Context, "ctx");
  EXPECT_EQ(Lines().size(), 6u);
}

TEST_F(DebugTest, OnScreenAddsLineFeed) {
  testing::internal::CaptureStdout();
  Debugger::OnScreen("x=%d", 5);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "x=5\n");
}

TEST_F(DebugTest, PacketCarriesThreadAndModule) {
  struct Recorder : Transport {
    void End(bool) override {}
    void Send(const Packet& d, const char* Line) override {
      packet = d;
      line = Line;
    }
    bool Enabled() override { return true; }
    int GetDescriptor() override { return -1; }
    Packet packet;
    std::string line;
  } recorder;
  Control::SetCurrentTransport(&recorder);
  Control::EnableModule(200);
  Debugger d(200, "Proto");
  d.Print("abc%c", 'd');
  EXPECT_EQ(recorder.packet.Module, 200);
  EXPECT_STREQ(recorder.packet.ID, "Proto");
  EXPECT_EQ(recorder.packet.BufferSize, 4u);
  EXPECT_EQ(recorder.line, "abcd");
  EXPECT_EQ(recorder.packet.ThreadID, Thread::GetCurrentThreadID());
  EXPECT_FALSE(Types::Date(recorder.packet.Date).IsInvalid());
  EXPECT_FALSE(Types::Time(recorder.packet.Time).IsInvalid());
}

TEST_F(DebugTest, LinePrintedFromInsideTheTransportIsDropped) {
  Install();
  static Debugger inner(IO, "inner");
  g_hook = [] {
    g_hook = nullptr;
    inner.Print("nested line that would overwrite the outer one");
    inner.Dump("zz", 2);
  };
  Debugger d(IO, "outer");
  d.Print("outer line");
  d.Print("second");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"outer line", "second"}));
}

TEST_F(DebugTest, ThreadsPrintWholeLines) {
  Install();
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      Debugger d(IO, "worker");
      for (int i = 0; i < kLines; ++i) d.Print("thread %d line %d", t, i);
    });
  }
  for (auto& th : threads) th.join();
  std::vector<int> next(kThreads, 0);
  const auto lines = Texts();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  for (const auto& l : lines) {
    int t = -1;
    int i = -1;
    ASSERT_EQ(std::sscanf(l.c_str(), "thread %d line %d", &t, &i), 2) << l;
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    EXPECT_EQ(i, next[t]++);  // each thread's lines arrive in order
  }
}

TEST_F(DebugTest, TransportMutexNests) {
  Control::TransportMutexEnter();
  Control::TransportMutexEnter();
  Control::TransportMutexLeave();
  Control::TransportMutexLeave();
  SUCCEED();
}

TEST_F(DebugTest, LeaveWithoutEnterEndsTheProcess) {
  // Where a death test runs in a new process (Windows) rather than a fork,
  // the child reads the directory chosen by the parent from the
  // environment: its own random seed differs.
  constexpr const char* kDirVariable = "ZORBEL_DEBUG_ABORT_DIR";
  const char* inherited = std::getenv(kDirVariable);
  const std::filesystem::path dir =
      inherited != nullptr
          ? std::filesystem::path(inherited)
          : std::filesystem::temp_directory_path() /
                ("zorbel_debug_abort_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
#if defined(_WIN32)
  _putenv_s(kDirVariable, dir.string().c_str());
#else
  setenv(kDirVariable, dir.string().c_str(), 1);
#endif
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  EXPECT_EXIT(
      {
        std::filesystem::current_path(dir);
        Control::TransportMutexLeave();
      },
      ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(Slurp(dir / "aborts"), "Leave sin Enter\n");
  std::filesystem::remove_all(dir);
#if defined(_WIN32)
  _putenv_s(kDirVariable, "");
#else
  unsetenv(kDirVariable);
#endif
}

// --- Log and lock order ----------------------------------------------------

void ToLog(const Types::Date&, const Types::Time&, unsigned, const char* id, const char* line) {
  VXB::Log::WriteWithModule(id, "%s", line);
}

class DebugLogTest : public DebugTest {
 protected:
  void SetUp() override {
    DebugTest::SetUp();
    dir_ = Testing::MakeScratchDir("zorbel_debug_log");
    base_ = (dir_ / "dbg.log").string();
    VXB::Log::SetFilename(base_.c_str());
  }
  void TearDown() override {
    DebugTest::TearDown();
    // Closes the log file (which Windows will not remove while open) and
    // drops the log's pointer to base_, which dies with this fixture.
    VXB::Log::SetFilename(nullptr);
    std::filesystem::remove_all(dir_);
  }

  std::string ReadLog() {
    std::string all;
    Byte buf[4096];
    unsigned n = sizeof(buf);
    if (!VXB::Log::ReadFirst(buf, n)) return all;
    do {
      all.append(reinterpret_cast<char*>(buf), n);
      n = sizeof(buf);
    } while (VXB::Log::ReadNext(buf, n));
    return all;
  }

  std::filesystem::path dir_;
  std::string base_;
};

TEST_F(DebugLogTest, LogWritesEvenWhenModuleIsOff) {
  Debugger d(IO, "Serial");
  d.Log("value %d", 42);
  EXPECT_TRUE(Lines().empty());
  EXPECT_NE(ReadLog().find("[Serial] value 42"), std::string::npos);

  Install();
  d.Log("again %s", "x");
  EXPECT_EQ(Texts(), std::vector<std::string>{"again x"});
  EXPECT_NE(ReadLog().find("[Serial] again x"), std::string::npos);
}

TEST_F(DebugLogTest, CallbackIntoLogAndLogCallsDoNotDeadlock) {
  transport_.SetCallback(&ToLog);
  Install();
  std::atomic<bool> go{false};
  std::thread printer([&] {
    while (!go.load()) {
    }
    Debugger d(IO, "printer");
    for (int i = 0; i < 300; ++i) d.Print("p %d", i);
  });
  std::thread logger([&] {
    while (!go.load()) {
    }
    Debugger d(IO, "logger");
    for (int i = 0; i < 300; ++i) d.Log("l %d", i);
  });
  go.store(true);
  printer.join();
  logger.join();
  const std::string log = ReadLog();
  EXPECT_NE(log.find("[printer] p 299"), std::string::npos);
  EXPECT_NE(log.find("[logger] l 299"), std::string::npos);
}

// --- Console and file transports ------------------------------------------

Packet MakePacket(std::uint8_t module, const char* id, const char* line) {
  Packet p;
  p.Module = module;
  std::snprintf(p.ID, sizeof(p.ID), "%.30s", id);
  p.Date = 1240315;  // 15 March 2024
  p.Time = 134509;
  p.BufferSize = static_cast<std::uint32_t>(std::strlen(line));
  return p;
}

TEST_F(DebugTest, PrintFTransport) {
  TransportPrintF t;
  EXPECT_TRUE(t.Enabled());
  EXPECT_EQ(t.GetDescriptor(), 1);
  testing::internal::CaptureStdout();
  t.Send(MakePacket(IO, "Serial", "hello"), "hello");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Serial: hello\n");
}

class TransportFileTest : public DebugTest {
 protected:
  void SetUp() override {
    DebugTest::SetUp();
    dir_ = Testing::MakeScratchDir("zorbel_debug_file");
    path_ = (dir_ / "debug.txt").string();
  }
  void TearDown() override {
    DebugTest::TearDown();
    // Closes the log file (which Windows will not remove while open) and
    // drops the log's pointer to base_, which dies with this fixture.
    VXB::Log::SetFilename(nullptr);
    std::filesystem::remove_all(dir_);
  }

  static std::string Header(const char* module, const char* id) {
    char h[100];
    std::snprintf(h, sizeof(h), "03/15/24 13:45:09 %-20s %-30s ", module, id);
    return h;
  }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(TransportFileTest, WritesHeaderAndLine) {
  TransportFile t(path_.c_str());
  EXPECT_TRUE(t.Enabled());
  EXPECT_EQ(t.GetDescriptor(), -1);
  t.Send(MakePacket(IO, "Serial", "hello"), "hello");
  RegisterModule(9, "A_MODULE_NAME_LONGER_THAN_20", "d");
  t.Send(MakePacket(9, "ID_LONGER_THAN_THIRTY_CHARACTERS_", "x"), "x");
  EXPECT_EQ(Slurp(path_), Header("IO", "Serial") + "hello\n" +
                              Header("A_MODULE_NAME_LONGER", "ID_LONGER_THAN_THIRTY_CHARACTE") +
                              "x\n");
}

TEST_F(TransportFileTest, ThroughDebugger) {
  TransportFile t(path_.c_str());
  Control::SetCurrentTransport(&t);
  Control::EnableModule(IO);
  Debugger d(IO, "Dev");
  d.Print("a %d", 1);
  d.Print("b");
  const std::string text = Slurp(path_);
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_NE(text.find(" IO "), std::string::npos);
  EXPECT_NE(text.find("Dev"), std::string::npos);
  const std::string first = text.substr(0, text.find('\n'));
  EXPECT_EQ(first.substr(first.size() - 4), " a 1");
  EXPECT_EQ(text.substr(text.size() - 3), " b\n");
}

TEST_F(TransportFileTest, RotatesPastTheBound) {
  { std::ofstream(path_) << ""; }
  std::filesystem::resize_file(path_, TransportFile::MAX_DEBUG_FILE + 1);
  const auto backup = dir_ / "debug.t_t";
  { std::ofstream(backup) << "stale"; }
  TransportFile t(path_.c_str());
  t.Send(MakePacket(IO, "Serial", "fresh"), "fresh");
  EXPECT_EQ(Slurp(path_), Header("IO", "Serial") + "fresh\n");
  EXPECT_EQ(std::filesystem::file_size(backup),
            static_cast<std::uintmax_t>(TransportFile::MAX_DEBUG_FILE + 1));
  EXPECT_TRUE(t.Enabled());
}

TEST_F(TransportFileTest, AtTheBoundItKeepsAppending) {
  { std::ofstream(path_) << ""; }
  std::filesystem::resize_file(path_, TransportFile::MAX_DEBUG_FILE);
  TransportFile t(path_.c_str());
  t.Send(MakePacket(IO, "Serial", "x"), "x");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "debug.t_t"));
  EXPECT_GT(std::filesystem::file_size(path_),
            static_cast<std::uintmax_t>(TransportFile::MAX_DEBUG_FILE));
}

TEST_F(TransportFileTest, OpenFailureDisablesUntilNewName) {
  TransportFile t((dir_ / "missing" / "debug.txt").string().c_str());
  Error::SetWithContext(Error::IO_READ_ERROR, "kept");
  t.Send(MakePacket(IO, "Serial", "x"), "x");
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_READ_ERROR);
  t.ChangeFilename(path_.c_str());
  EXPECT_TRUE(t.Enabled());
  t.Send(MakePacket(IO, "Serial", "y"), "y");
  EXPECT_EQ(Slurp(path_), Header("IO", "Serial") + "y\n");
}

}  // namespace
}  // namespace VXB::Debug
