// Sleeping, the clocks and the console's text on Windows.
#include "vxb/common/runtime/system.h"

#include <windows.h>

#include <cstdio>

#include "vxb/common/runtime/system_internal.h"
#include "vxb/common/runtime/thread_state.h"
#include "vxb/windows/win_wait.h"

namespace VXB::System {

namespace {

// The performance counter's frequency, read once; it does not change while
// the system runs.
std::int64_t CounterFrequency() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  return frequency;
}

std::int64_t Counter() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

std::uint64_t CountsToMilliseconds(std::int64_t Counts) {
  const std::int64_t f = CounterFrequency();
  // Split so that the product cannot overflow for any uptime.
  return static_cast<std::uint64_t>(Counts / f * 1000 + Counts % f * 1000 / f);
}

}  // namespace

namespace Host {

std::int64_t MonotonicCount() { return Counter(); }

std::uint64_t CountToMilliseconds(std::int64_t Count) { return CountsToMilliseconds(Count); }

void ReadLocalClock(Types::Date& date, Types::Time& time) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  date = Types::Date(local.wYear, local.wMonth, local.wDay);
  time = Types::Time(local.wHour, local.wMinute, local.wSecond > 59 ? 59u : local.wSecond);
}

}  // namespace Host

void Sleep(unsigned Milliseconds) {
  ThreadState::SetState(ThreadState::SLEEPING, "", Milliseconds);
  // The system may wake a sleeper a little early; sleep on to the deadline.
  const Windows::TickDeadline deadline(Milliseconds);
  DWORD left = deadline.Left();
  ::Sleep(left);
  while (!deadline.Forever() && (left = deadline.Left()) != 0) ::Sleep(left);
  ThreadState::SetState(ThreadState::READY, "", 0);
}

}  // namespace VXB::System

namespace VXB::Console::Host {

namespace {

// The longest text one call shows on a console; longer texts are cut.
constexpr int MAX_CONSOLE_LINE = 8192;

}  // namespace

// Wide text reaches every console unchanged, whatever its code page, and
// leaves the console's settings as the user has them.
bool WriteToConsole(bool ToError, const char* Format, va_list Args) {
  const HANDLE h = GetStdHandle(ToError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (h == nullptr || h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &mode)) return false;
  char text[MAX_CONSOLE_LINE];
  const int n = std::vsnprintf(text, sizeof text, Format, Args);
  if (n <= 0) return true;
  const int length = n < MAX_CONSOLE_LINE ? n : MAX_CONSOLE_LINE - 1;
  // Bytes that are no UTF-8 show as the replacement character.
  static thread_local wchar_t wide[MAX_CONSOLE_LINE];
  const int count = MultiByteToWideChar(CP_UTF8, 0, text, length, wide, MAX_CONSOLE_LINE);
  // What the C runtime holds for the stream goes first.
  std::fflush(ToError ? stderr : stdout);
  for (int done = 0; done < count;) {
    DWORD written = 0;
    if (!WriteConsoleW(h, wide + done, static_cast<DWORD>(count - done), &written, nullptr) ||
        written == 0) {
      break;
    }
    done += static_cast<int>(written);
  }
  return true;
}

}  // namespace VXB::Console::Host
