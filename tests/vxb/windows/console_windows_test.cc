// Accented text on a Windows console. The program's console lines are
// UTF-8; a console starts on the OEM code page (850 in Argentina), where
// those bytes would show as two wrong letters each. This program runs
// again as a "host" with a console of its own (a windowless one, which
// also works headless under Wine), on code page 850; the host starts this
// program once more as a "child" that prints a line with accents through
// the program's console output, once on the host's console and once into
// a pipe, and looks at the console's screen and code page afterwards:
// the console shows the accents and keeps its code page, the pipe gets
// UTF-8 bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/console_text.h"
#include "vxb/common/runtime/system.h"

namespace {

// The part this process plays: unset for the test run itself.
constexpr const char* ROLE = "ZORBEL_CONSOLE_ROLE";
// "Línea máxima" in the internal set, in UTF-8, and as the console shows it.
constexpr const char* LINE = "L\xA1nea m\xA0xima";
constexpr const char* LINE_UTF8 = "L\xC3\xADnea m\xC3\xA1xima";
constexpr const wchar_t* LINE_SHOWN = L"L\u00EDnea m\u00E1xima";
constexpr UINT OEM_ARGENTINA = 850;

std::string Role() {
  const char* role = std::getenv(ROLE);
  return role != nullptr ? role : "";
}

// Text of the screen for a failure's message.
std::string Utf8(const std::wstring& Text) {
  std::string out(Text.size() * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()),
                                    out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  while (out.find("  ") != std::string::npos) out.erase(out.find("  "), 1);
  return out;
}

// Starts this program again in Role, running the tests Filter names, with
// standard output and error on Out; Flags as for CreateProcess. Its
// process, nullptr when it cannot start.
HANDLE Start(const char* Role, const char* Filter, HANDLE Out, DWORD Flags) {
  char self[MAX_PATH];
  if (GetModuleFileNameA(nullptr, self, sizeof self) == 0) return nullptr;
  std::string command = std::string("\"") + self + "\" --gtest_color=no --gtest_filter=" + Filter;
  SetEnvironmentVariableA(ROLE, Role);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  start.hStdOutput = Out;
  start.hStdError = Out;
  PROCESS_INFORMATION child{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, Flags,
                                      nullptr, nullptr, &start, &child);
  SetEnvironmentVariableA(ROLE, nullptr);
  if (!started) return nullptr;
  CloseHandle(child.hThread);
  return child.hProcess;
}

// The exit code of a process once it has ended.
DWORD Wait(HANDLE Process) {
  DWORD code = 1000;
  if (WaitForSingleObject(Process, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(Process, &code);
  CloseHandle(Process);
  return code;
}

// Runs this program in Role as Start() does, its output into a pipe; its
// exit code and all it wrote.
DWORD RunCaptured(const char* Role, const char* Filter, DWORD Flags, std::string& Out) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return 1001;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  const HANDLE process = Start(Role, Filter, write_end, Flags);
  CloseHandle(write_end);
  if (process == nullptr) {
    CloseHandle(read_end);
    return 1002;
  }
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(read_end, buf, sizeof buf, &n, nullptr) && n > 0) Out.append(buf, n);
  CloseHandle(read_end);
  return Wait(process);
}

TEST(ConsoleTest, AccentsShowOnAConsoleAndStayUtf8InAPipe) {
  if (!Role().empty()) GTEST_SKIP() << "the test run's own part";
  std::string out;
  EXPECT_EQ(RunCaptured("host", "ConsoleHost.*", CREATE_NO_WINDOW, out), 0u) << out;
  EXPECT_NE(out.find("[  PASSED  ] 2 tests."), std::string::npos) << out;
}

// The host's part: a console of its own on the OEM code page, which the
// child shares.
class ConsoleHost : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Role() != "host") GTEST_SKIP() << "run by ConsoleTest";
    ASSERT_TRUE(SetConsoleOutputCP(OEM_ARGENTINA)) << GetLastError();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    screen_ = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen_, INVALID_HANDLE_VALUE) << GetLastError();
  }
  void TearDown() override {
    if (screen_ != INVALID_HANDLE_VALUE) CloseHandle(screen_);
  }

  // What the console's screen shows.
  std::wstring Screen() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen_, &info)) return L"";
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    std::wstring text(cells, L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen_, text.data(), cells, COORD{0, 0}, &read);
    text.resize(read);
    return text;
  }

  HANDLE screen_ = INVALID_HANDLE_VALUE;
};

TEST_F(ConsoleHost, AConsoleShowsTheAccentsAndKeepsItsCodePage) {
  const HANDLE child = Start("console", "ConsoleChild.*", screen_, 0);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Wait(child), 0u);
  const std::wstring screen = Screen();
  EXPECT_NE(screen.find(LINE_SHOWN), std::wstring::npos) << "the screen shows: " << Utf8(screen);
  EXPECT_EQ(GetConsoleOutputCP(), OEM_ARGENTINA);
}

TEST_F(ConsoleHost, RedirectedOutputIsUtf8AndLeavesTheConsoleAlone) {
  std::string out;
  EXPECT_EQ(RunCaptured("pipe", "ConsoleChild.*", 0, out), 0u) << out;
  EXPECT_NE(out.find(LINE_UTF8), std::string::npos) << out;
  EXPECT_EQ(GetConsoleOutputCP(), OEM_ARGENTINA);
}

// The child's part: one line with accents through the program's console
// output, on the host's console or into a pipe.
TEST(ConsoleChild, PrintsALineWithAccents) {
  const std::string role = Role();
  if (role != "console" && role != "pipe") GTEST_SKIP() << "run by ConsoleHost";
  Zorbel::ConsoleErrorPrint("%s\n", LINE);
  // The user's console keeps its settings.
  EXPECT_EQ(GetConsoleOutputCP(), OEM_ARGENTINA);
}

}  // namespace
