// Numbers to text and back, character helpers, byte counts and durations.
//
// Every text built here lives in the calling thread's own rotating pool, so
// the functions need no lock. The pool is a thread_local object with a
// trivial destructor: its storage stays usable for the whole life of the
// thread, including from other objects' destructors at thread or process end.
#include "vxb/common/base/ascii.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "vxb/common/base/circular.h"

namespace VXB::ASCII {

const SpecialLetter SpecialLetters[8] = {
    {'\xA0', 'A'}, {'\x82', 'E'},    {'\xA1', 'I'},    {'\xA2', 'O'},
    {'\xA3', 'U'}, {'\x81', '\x9A'}, {'\xA4', '\xA5'}, {'\0', '\0'},
};

namespace {

using Pool = CircularChars<POOL_BUFFER_SIZE, POOL_BUFFERS>;

// Size of the piece that one number text takes from the pool.
constexpr unsigned NUMBER_TEXT_SIZE = 64;
// Size of the piece that one duration text takes from the pool.
constexpr unsigned DURATION_TEXT_SIZE = 102;
// Largest zero padding a number text can hold.
constexpr unsigned MAX_PADDING = NUMBER_TEXT_SIZE - 1;

constexpr const char* CONTROL_NAMES[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

Pool& ThreadPool() {
  static thread_local Pool pool;
  return pool;
}

char* NumberPiece() { return ThreadPool().GetBuf(NUMBER_TEXT_SIZE); }

const char* Format(const char* format, auto value) {
  char* p = NumberPiece();
  std::snprintf(p, NUMBER_TEXT_SIZE, format, value);
  return p;
}

const char* FormatPadded(const char* format, unsigned padding, auto value) {
  if (padding > MAX_PADDING) padding = MAX_PADDING;
  char* p = NumberPiece();
  std::snprintf(p, NUMBER_TEXT_SIZE, format, static_cast<int>(padding), value);
  return p;
}

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The strtoul reading (blanks, optional sign, optional "0x" in base 16,
// digits up to the first other character) restricted to 32 bits: a value
// that does not fit, or a negative one, gives the "no value" 0xFFFFFFFF.
std::uint32_t ParseUnsigned(const char* s, unsigned base) {
  constexpr std::uint32_t NO_VALUE = 0xFFFFFFFFu;
  if (s == nullptr) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2], 16) >= 0) {
    p += 2;
  }
  std::uint64_t value = 0;
  bool overflow = false;
  for (int d; (d = DigitValue(*p, base)) >= 0; ++p) {
    value = value * base + static_cast<unsigned>(d);
    if (value > NO_VALUE) {
      overflow = true;
      value = NO_VALUE;
    }
  }
  if (overflow || (negative && value != 0)) return NO_VALUE;
  return static_cast<std::uint32_t>(value);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return DigitValue(c, 16) >= 0; }

// Shared by all threads; each call takes the next buffer in turn.
constexpr unsigned IDENTIFIER_BUFFERS = 20;
constexpr unsigned IDENTIFIER_SIZE = 100;
char identifier_buffers[IDENTIFIER_BUFFERS][IDENTIFIER_SIZE];
std::atomic<unsigned> identifier_next{0};

}  // namespace

int DigitValue(char c, unsigned Base) {
  int v;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (c >= 'a' && c <= 'z') {
    v = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'Z') {
    v = c - 'A' + 10;
  } else {
    return -1;
  }
  return v < static_cast<int>(Base) ? v : -1;
}

const char* ToString(Byte i, bool Hex) { return Format(Hex ? "%X" : "%u", unsigned{i}); }

const char* ToString(std::uint32_t i, bool Hex) {
  if (Hex) return Format("%" PRIX32, i);
  if (i == 0xFFFFFFFFu) return INVALID_VALUE_REPRESENTATION;
  return Format("%" PRIu32, i);
}

const char* ToString(std::int32_t i, bool Hex) {
  if (Hex) return Format("%" PRIX32, static_cast<std::uint32_t>(i));
  return Format("%" PRId32, i);
}

const char* ToString(std::int64_t i, bool Hex) {
  if (Hex) return Format("%" PRIX64, static_cast<std::uint64_t>(i));
  return Format("%" PRId64, i);
}

const char* ToString(std::uint64_t i, bool Hex) {
  if (Hex) return Format("%" PRIx64, i);
  if (i == ~std::uint64_t{0}) return INVALID_VALUE_REPRESENTATION;
  return Format("%" PRIu64, i);
}

const char* ToStringZPadded(std::int32_t i, unsigned Padding, bool Hex) {
  if (Hex) return FormatPadded("%0*" PRIX32, Padding, static_cast<std::uint32_t>(i));
  return FormatPadded("%0*" PRId32, Padding, i);
}

const char* ToStringZPadded(std::uint32_t i, unsigned Padding, bool Hex) {
  if (i == 0xFFFFFFFFu) return INVALID_VALUE_REPRESENTATION;
  return FormatPadded(Hex ? "%0*" PRIX32 : "%0*" PRIu32, Padding, i);
}

const char* ToString(bool b) { return b ? "S\xA1" : "No"; }

const char* ToString(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code == 127) return "DEL";
  if (code < 32) return CONTROL_NAMES[code];
  char* p = ThreadPool().GetBuf(2);
  p[0] = IsPrintable(c) ? c : '.';
  p[1] = '\0';
  return p;
}

std::uint32_t FromDecimalUnsigned(const char* s) {
  if (s != nullptr && std::strcmp(s, INVALID_VALUE_REPRESENTATION) == 0) return 0xFFFFFFFFu;
  return ParseUnsigned(s, 10);
}

std::uint32_t FromHex(const char* s) { return ParseUnsigned(s, 16); }

bool IsNumeric(const char* s, bool Signed) {
  if (s == nullptr) return false;
  if (Signed && *s == '-') ++s;
  for (; *s != '\0'; ++s) {
    if (!IsDigit(*s)) return false;
  }
  return true;
}

bool IsHex(const char* s) {
  if (s == nullptr) return false;
  for (; *s != '\0'; ++s) {
    if (!IsHexDigit(*s)) return false;
  }
  return true;
}

bool IsPrintable(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code >= 32 && code < 127) return true;
  for (const SpecialLetter* l = SpecialLetters; l->Lower != '\0'; ++l) {
    if (code == static_cast<unsigned char>(l->Lower) ||
        code == static_cast<unsigned char>(l->Upper)) {
      return true;
    }
  }
  return false;
}

const char* ToIdentifier(const char* s) {
  char* out = identifier_buffers[identifier_next.fetch_add(1, std::memory_order_relaxed) %
                                 IDENTIFIER_BUFFERS];
  unsigned n = 0;
  if (s != nullptr) {
    for (; s[n] != '\0' && n < IDENTIFIER_SIZE - 1; ++n) {
      char c = s[n];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      out[n] = ((c >= 'A' && c <= 'Z') || IsDigit(c)) ? c : '_';
    }
  }
  out[n] = '\0';
  return out;
}

char* GetBuffer(unsigned& Size) {
  std::size_t size = Size;
  char* p = ThreadPool().GetBufAtMost(size);
  Size = static_cast<unsigned>(size);
  return p;
}

const char* Bytes::ToString() const {
  constexpr std::uint64_t K = 1024;
  constexpr std::uint64_t MEGA = 1048576;
  constexpr std::uint64_t GIGA = 1073741824;
  char* p = NumberPiece();
  if (n_ < K) {
    std::snprintf(p, NUMBER_TEXT_SIZE, "%" PRIu64 " bytes", n_);
    return p;
  }
  std::uint64_t divisor = GIGA;
  const char* suffix = "GB";
  if (n_ < MEGA) {
    divisor = K;
    suffix = "KB";
  } else if (n_ <= 0x3FFFFFFF) {
    divisor = MEGA;
    suffix = "MB";
  }
  int len = std::snprintf(p, NUMBER_TEXT_SIZE, "%.02f",
                          static_cast<double>(n_) / static_cast<double>(divisor));
  if (len < 0) len = 0;
  if (len > static_cast<int>(NUMBER_TEXT_SIZE) - 1) len = NUMBER_TEXT_SIZE - 1;
  while (len > 0 && p[len - 1] == '0') --len;
  if (len > 0 && p[len - 1] == '.') --len;
  std::snprintf(p + len, NUMBER_TEXT_SIZE - len, "%s", suffix);
  return p;
}

const char* Milliseconds::ToString() const {
  constexpr std::uint64_t HOUR = 3600000;
  constexpr std::uint64_t MINUTE = 60000;
  constexpr std::uint64_t SECOND = 1000;
  char* p = ThreadPool().GetBuf(DURATION_TEXT_SIZE);
  if (n_ < 2000) {
    std::snprintf(p, DURATION_TEXT_SIZE, "%" PRIu64 "ms", n_);
    return p;
  }
  const std::uint64_t parts[4] = {n_ / HOUR, n_ % HOUR / MINUTE, n_ % MINUTE / SECOND, n_ % SECOND};
  constexpr const char* UNITS[4] = {"h", "m", "s", "ms"};
  unsigned len = 0;
  p[0] = '\0';
  for (unsigned i = 0; i < 4; ++i) {
    if (parts[i] == 0) continue;
    int w = std::snprintf(p + len, DURATION_TEXT_SIZE - len, "%s%" PRIu64 "%s", len ? " " : "",
                          parts[i], UNITS[i]);
    if (w < 0) break;
    len += static_cast<unsigned>(w);
    if (len >= DURATION_TEXT_SIZE - 1) break;
  }
  return p;
}

}  // namespace VXB::ASCII
