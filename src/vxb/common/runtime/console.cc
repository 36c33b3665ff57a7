// Console output: standard output and standard error (on Windows those of
// the console or of whatever the output is redirected to). The text is
// UTF-8; a Windows console gets it as wide text.
#include <cstdio>

#include <atomic>

#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/system_internal.h"

namespace VXB::Console {

namespace {

std::atomic<bool> g_enabled{true};

void Emit(std::FILE* stream, const char* Format, va_list Args) {
  if (!g_enabled.load(std::memory_order_relaxed) || Format == nullptr) return;
  va_list copy;
  va_copy(copy, Args);
  const bool written = Host::WriteToConsole(stream == stderr, Format, copy);
  va_end(copy);
  if (written) return;
  std::vfprintf(stream, Format, Args);
  std::fflush(stream);
}

}  // namespace

void Enable(bool On) { g_enabled.store(On, std::memory_order_relaxed); }

bool IsEnabled() { return g_enabled.load(std::memory_order_relaxed); }

void Print(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  Emit(stdout, Format, args);
  va_end(args);
}

void vPrint(const char* Format, va_list Args) { Emit(stdout, Format, Args); }

void ErrorPrint(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  Emit(stderr, Format, args);
  va_end(args);
}

void vErrorPrint(const char* Format, va_list Args) { Emit(stderr, Format, Args); }

}  // namespace VXB::Console
