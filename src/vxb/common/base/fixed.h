// Fixed-point decimal numbers, the values of the document writers' number
// overloads:
//
//   fixed        signed 64-bit count of 10^-9 units, up to 9 integer digits,
//                precision 0-9.
//   big_number   signed 64-bit count of 10^-2 units, up to 16 integer
//                digits, precision 0-2.
//   huge_number  96-bit magnitude (three 32-bit words) and a sign state,
//                10^-9 units, up to 18 integer digits, precision 0-9.
//
// A number is built from a count of units and a precision, or read from a
// decimal text; anything out of range gives an invalid number, whose text is
// "-". The precision is the number of decimals the text shows: the stored
// fraction is cut (not rounded) to it.
//
// ToString(RemoveTrailingZeroes, CompactMode) returns a text from the calling
// thread's own ring of ten slots, valid until the thread has asked for ten
// more decimal texts of the same size class. The texts of fixed and
// big_number share one ring of 23-character slots, huge_number has its own
// ring of 32-character slots. CompactMode is accepted for the writers'
// interface and does not change the text.
//
// Each type has a process-wide decimal symbol ('.' by default) that is read
// and changed atomically. Objects are plain values; a single object is not
// meant to be changed by one thread while another reads it.
#ifndef VXB_COMMON_FIXED_H_
#define VXB_COMMON_FIXED_H_

#include <atomic>
#include <cstdint>

#include "vxb/common/base/types.h"

namespace VXB::Types {

// The two types held in a signed 64-bit count of 10^-Decimals units differ
// only in their limits: both are this template. Tag makes each its own type
// with its own decimal symbol.
template <typename Tag, unsigned IntegerDigits, unsigned Decimals>
class Decimal64 {
 public:
  static constexpr int64 BASE = [] {
    int64 base = 1;
    for (unsigned i = 0; i < Decimals; ++i) base *= 10;
    return base;
  }();
  static constexpr unsigned MAXIMA_PRECISION = Decimals;
  static constexpr unsigned TEXT_SIZE = 23;

  // Invalid.
  Decimal64() = default;
  // Units of 10^-Decimals shown with Precision decimals; invalid when the
  // whole part needs more than IntegerDigits digits or Precision is above
  // Decimals.
  Decimal64(int64 Units, unsigned Precision);
  // A decimal text: an optional '-' or '+', digits, and optionally the
  // decimal symbol ('.' is always accepted) followed by digits; nothing else.
  // The precision is the number of decimals written. Invalid when the text
  // is malformed or out of range.
  explicit Decimal64(const char* Text);

  bool valid() const { return valid_value_ != 0; }
  bool invalid() const { return valid_value_ == 0; }
  int64 Units() const { return value_; }
  unsigned Precision() const { return prec_; }
  // Same validity and, when valid, the same value (the precision is ignored).
  bool operator==(const Decimal64& o) const;

  const char* ToString(bool RemoveTrailingZeroes = true, bool CompactMode = false) const;
  // Writes the same text into Buffer, cut to BufferSize - 1 characters and
  // terminated (nothing is written when BufferSize is 0); returns the length
  // written.
  unsigned ToString(char* Buffer, unsigned BufferSize, bool RemoveTrailingZeroes = true) const;

  static void SetDecimalSymbol(char c) { symbol_.store(c, std::memory_order_relaxed); }
  static char DecimalSymbol() { return symbol_.load(std::memory_order_relaxed); }

 private:
  static inline std::atomic<char> symbol_{'.'};

  int64 value_ = 0;
  Byte prec_ = 0;
  Byte valid_value_ = 0;
};

struct FixedTag;
struct BigNumberTag;

// Units of 10^-9, up to 9 integer digits, precision 0-9.
class fixed : public Decimal64<FixedTag, 9, 9> {
 public:
  static constexpr unsigned MAXIMO_ENTEROS = 9;
  using Decimal64::Decimal64;
};

// Units of 10^-2, up to 16 integer digits, precision 0-2.
class big_number : public Decimal64<BigNumberTag, 16, 2> {
 public:
  static constexpr unsigned MAXIMO_ENTEROS_BIG = 16;
  using Decimal64::Decimal64;
};

class huge_number {
 public:
  static constexpr uint32 BASE = 1000000000;
  static constexpr unsigned MAXIMO_ENTEROS_HUGE = 18;
  static constexpr unsigned MAXIMA_PRECISION = 9;
  static constexpr unsigned TEXT_SIZE = 32;

  // The magnitude, least significant word first.
  struct Magnitude {
    uint32 big[3] = {0, 0, 0};
  };

  huge_number() = default;
  // Units of 10^-9 held in a signed 64-bit count.
  huge_number(int64 Units, unsigned Precision);
  // A magnitude of 10^-9 units and its sign; invalid beyond 18 integer
  // digits or above precision 9.
  huge_number(const Magnitude& Units, bool Negative, unsigned Precision);
  // As fixed(const char*), with up to 18 integer digits.
  explicit huge_number(const char* Text);

  bool valid() const { return state_ != 0; }
  bool invalid() const { return state_ == 0; }
  bool negative() const { return state_ < 0; }
  const Magnitude& Units() const { return value_; }
  unsigned Precision() const { return prec_; }
  bool operator==(const huge_number& o) const;

  const char* ToString(bool RemoveTrailingZeroes = true, bool CompactMode = false) const;
  unsigned ToString(char* Buffer, unsigned BufferSize, bool RemoveTrailingZeroes = true) const;

  static void SetDecimalSymbol(char c);
  static char DecimalSymbol();

 private:
  Magnitude value_;
  Byte prec_ = 0;
  std::int8_t state_ = 0;  // 0 invalid, -1 negative, 1 not negative
};

}  // namespace VXB::Types

#endif  // VXB_COMMON_FIXED_H_
