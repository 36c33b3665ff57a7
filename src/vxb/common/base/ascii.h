// Numbers to text and back, character helpers, and human-readable byte
// counts and durations. Texts are returned from the calling thread's
// 10240-byte rotating pool (see circular.h): callers neither free nor keep
// them beyond a few further calls.
//
// The "no value" rule: an unsigned 32-bit 0xFFFFFFFF, or an unsigned 64-bit
// value with all bits set, means no value and is written "-".
#ifndef VXB_COMMON_ASCII_H_
#define VXB_COMMON_ASCII_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "vxb/common/base/types.h"

namespace VXB::ASCII {

inline constexpr const char* INVALID_VALUE_REPRESENTATION = "-";

// The 32 ASCII control characters by their codes.
enum Chars : unsigned char {
  NUL = 0,
  SOH = 1,
  STX = 2,
  ETX = 3,
  EOT = 4,
  ENQ = 5,
  ACK = 6,
  BEL = 7,
  BS = 8,
  HT = 9,
  LF = 10,
  VT = 11,
  FF = 12,
  CR = 13,
  SO = 14,
  SI = 15,
  DLE = 16,
  DC1 = 17,
  DC2 = 18,
  DC3 = 19,
  DC4 = 20,
  NAK = 21,
  SYN = 22,
  ETB = 23,
  CAN = 24,
  EM = 25,
  SUB = 26,
  ESC = 27,
  FS = 28,
  GS = 29,
  RS = 30,
  US = 31,
};
inline constexpr unsigned POOL_BUFFER_SIZE = 1024;
inline constexpr unsigned POOL_BUFFERS = 10;

struct SpecialLetter {
  char Lower;
  char Upper;
};
// The accented letters of the internal set with their capitals, ending with
// a zero pair.
extern const SpecialLetter SpecialLetters[8];

const char* ToString(Byte i, bool Hex = false);
const char* ToString(std::uint32_t i, bool Hex = false);
const char* ToString(std::int32_t i, bool Hex = false);
const char* ToString(std::int64_t i, bool Hex = false);
const char* ToString(std::uint64_t i, bool Hex = false);
const char* ToStringZPadded(std::int32_t i, unsigned Padding, bool Hex = false);
const char* ToStringZPadded(std::uint32_t i, unsigned Padding, bool Hex = false);
// "S\xA1" (yes, with an accented i, in the internal set) or "No".
const char* ToString(bool b);
// The control-character name for 0-31 and 127 ("NUL".."US", "DEL");
// otherwise c itself when printable, else ".".
const char* ToString(char c);

// 0xFFFFFFFF for "-"; otherwise the decimal value like strtoul, where a
// value that does not fit 32 bits (or is negative) saturates to 0xFFFFFFFF.
std::uint32_t FromDecimalUnsigned(const char* s);
// Hexadecimal like strtoul in base 16 ("0x" accepted); saturates likewise.
std::uint32_t FromHex(const char* s);
bool IsNumeric(const char* s, bool Signed = false);
// The value of c as a digit of Base (up to 36; letters in either case), or
// -1 when it is none. The one digit reader of the code base.
int DigitValue(char c, unsigned Base);
bool IsHex(const char* s);

// Whole texts equal when ASCII letters are compared without regard to case;
// every other byte must match exactly.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// The same for two terminated texts, read only up to their first
// difference: name lookups in tables compare many names that differ early.
// A null text counts as empty.
constexpr bool EqualsIgnoringCase(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (;; ++a, ++b) {
    char x = *a;
    char y = *b;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

// A terminated text against a sized one, read only up to the first
// difference (table entries against a document's word).
constexpr bool EqualsIgnoringCase(const char* a, std::string_view b) {
  if (a == nullptr) a = "";
  for (const char c : b) {
    char x = *a++;
    char y = c;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y || x == '\0') return false;
  }
  return *a == '\0';
}

// Copies at most Size - 1 bytes of Source into Destination and terminates
// it; returns the count copied. Nothing is written when Size is 0. For
// fixed-size text slots whose contract is to keep a prefix (names, labels).
inline std::size_t CopyCut(char* Destination, std::size_t Size, std::string_view Source) {
  if (Destination == nullptr || Size == 0) return 0;
  const std::size_t n = Source.size() < Size - 1 ? Source.size() : Size - 1;
  if (n > 0) std::memcpy(Destination, Source.data(), n);
  Destination[n] = '\0';
  return n;
}
// The same for a terminated text; null copies as the empty text.
inline std::size_t CopyCut(char* Destination, std::size_t Size, const char* Source) {
  return CopyCut(Destination, Size, std::string_view(Source != nullptr ? Source : ""));
}

// Codes 32..126 and the internal set's accented letters.
bool IsPrintable(char c);
// ASCII letters in upper case, digits kept, anything else '_', cut to 99
// characters. Uses a process-wide ring of 20 buffers.
const char* ToIdentifier(const char* s);
// Size bytes of the calling thread's pool (never null). A request larger
// than the pool is given the whole pool, and Size is set to what was handed
// out, so a caller always knows how much it may write.
char* GetBuffer(unsigned& Size);

// A byte count for people: "5 bytes", "1.5KB", "2MB", "3.25GB".
class Bytes {
 public:
  explicit Bytes(std::uint64_t n) : n_(n) {}
  const char* ToString() const;

 private:
  std::uint64_t n_;
};

// A duration for people: "1500ms", "2s 500ms", "1h 2m 3s 4ms".
class Milliseconds {
 public:
  explicit Milliseconds(std::uint64_t n) : n_(n) {}
  const char* ToString() const;

 private:
  std::uint64_t n_;
};

}  // namespace VXB::ASCII

#endif  // VXB_COMMON_ASCII_H_
