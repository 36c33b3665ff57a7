// Console output converted from the internal character set to UTF-8.
#include "app/console_text.h"

#include <cstdio>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/text/charset.h"

namespace Zorbel {

namespace {

void Emit(bool ToError, const char* Format, va_list Args) {
  // Formatting and converting must not replace the caller's error record.
  VXB::Error::Push();
  char text[MAX_CONSOLE_TEXT];
  std::vsnprintf(text, sizeof text, Format, Args);
  // Each internal character becomes at most two UTF-8 bytes.
  char utf8[2 * MAX_CONSOLE_TEXT];
  const unsigned n = VXB::ASCII::ToUTF8(text, utf8, sizeof utf8);
  const char* out = n == VXB::ASCII::CONVERSION_FAILED ? text : utf8;
  if (ToError) {
    VXB::Console::ErrorPrint("%s", out);
  } else {
    VXB::Console::Print("%s", out);
  }
  VXB::Error::Pop();
}

}  // namespace

void ConsolePrint(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  Emit(false, Format, args);
  va_end(args);
}

void ConsoleErrorPrint(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  Emit(true, Format, args);
  va_end(args);
}

}  // namespace Zorbel
