// Text forms of the fixed-point decimal numbers.
//
// huge_number keeps its 96-bit magnitude in 32-bit words and does all its
// arithmetic with 64-bit intermediates, so it builds the same everywhere,
// without compiler-specific 128-bit integers.
#include "vxb/common/base/fixed.h"

#include <atomic>
#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/base/circular.h"

namespace VXB::Types {

namespace {

std::atomic<char> huge_number_symbol{'.'};

// Large enough for every text of the three types, terminator included.
constexpr unsigned MAX_TEXT = 40;

// Each thread's rings of decimal texts. Trivially destructible, so the
// storage stays usable until the thread is gone.
char* SmallSlot() {
  static thread_local CircularBuffer<char[fixed::TEXT_SIZE], 10> ring;
  return ring.Next();
}

char* HugeSlot() {
  static thread_local CircularBuffer<char[huge_number::TEXT_SIZE], 10> ring;
  return ring.Next();
}

constexpr std::uint64_t Pow10(unsigned n) {
  std::uint64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// Writes the decimal text of a number whose whole part is Whole and whose
// fraction, FractionDigits decimal digits long, is Fraction. Returns the
// length.
unsigned BuildText(char (&out)[MAX_TEXT], bool Negative, std::uint64_t Whole,
                   std::uint64_t Fraction, unsigned FractionDigits, unsigned Precision, char Symbol,
                   bool RemoveTrailingZeroes) {
  char digits[24];
  unsigned nwhole = 0;
  do {
    digits[nwhole++] = static_cast<char>('0' + Whole % 10);
    Whole /= 10;
  } while (Whole != 0);

  char frac[24];
  for (unsigned i = FractionDigits; i-- > 0;) {
    frac[i] = static_cast<char>('0' + Fraction % 10);
    Fraction /= 10;
  }
  unsigned nfrac = Precision < FractionDigits ? Precision : FractionDigits;
  if (RemoveTrailingZeroes || Precision == 0) {
    while (nfrac > 0 && frac[nfrac - 1] == '0') --nfrac;
  }

  // A value whose shown digits are all zero is written without a sign.
  bool all_zero = nwhole == 1 && digits[0] == '0';
  for (unsigned i = 0; i < nfrac && all_zero; ++i) all_zero = frac[i] == '0';

  unsigned len = 0;
  if (Negative && !all_zero) out[len++] = '-';
  while (nwhole > 0) out[len++] = digits[--nwhole];
  if (nfrac > 0 || !(RemoveTrailingZeroes || Precision == 0)) {
    out[len++] = Symbol;
    for (unsigned i = 0; i < nfrac; ++i) out[len++] = frac[i];
  }
  out[len] = '\0';
  return len;
}

unsigned CopyInvalid(char (&out)[MAX_TEXT]) {
  out[0] = '-';
  out[1] = '\0';
  return 1;
}

// A decimal text taken apart: sign, whole part and fraction digits.
struct Decimal {
  bool negative = false;
  std::uint64_t whole = 0;
  std::uint64_t fraction = 0;  // the decimals as written
  unsigned decimals = 0;       // how many were written
};

// Reads [sign] digits [symbol digits] with at most MaxWhole significant
// whole digits (MaxWhole <= 19) and MaxDecimals decimals.
bool ParseDecimal(const char* s, char Symbol, unsigned MaxWhole, unsigned MaxDecimals, Decimal& d) {
  if (s == nullptr) return false;
  if (*s == '-' || *s == '+') d.negative = *s++ == '-';
  bool any_digit = false;
  unsigned significant = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    any_digit = true;
    if (significant == 0 && *s == '0') continue;
    if (++significant > MaxWhole) return false;
    d.whole = d.whole * 10 + static_cast<unsigned>(*s - '0');
  }
  if (*s == '.' || (*s == Symbol && Symbol != '\0')) {
    for (++s; *s >= '0' && *s <= '9'; ++s) {
      any_digit = true;
      if (++d.decimals > MaxDecimals) return false;
      d.fraction = d.fraction * 10 + static_cast<unsigned>(*s - '0');
    }
  }
  return any_digit && *s == '\0';
}

// 96-bit magnitude helpers, least significant word first.
using Magnitude = huge_number::Magnitude;

constexpr void MulAdd(Magnitude& m, std::uint32_t mul, std::uint32_t add) {
  std::uint64_t carry = add;
  for (auto& w : m.big) {
    std::uint64_t cur = std::uint64_t{w} * mul + carry;
    w = static_cast<std::uint32_t>(cur);
    carry = cur >> 32;
  }
}

constexpr Magnitude FromUint64(std::uint64_t v) {
  Magnitude m;
  m.big[0] = static_cast<std::uint32_t>(v);
  m.big[1] = static_cast<std::uint32_t>(v >> 32);
  return m;
}

constexpr int CompareMagnitude(const Magnitude& a, const Magnitude& b) {
  for (int i = 2; i >= 0; --i) {
    if (a.big[i] != b.big[i]) return a.big[i] < b.big[i] ? -1 : 1;
  }
  return 0;
}

// The largest magnitude: 18 integer digits and 9 decimals, all nines.
constexpr Magnitude MaxHugeMagnitude() {
  Magnitude m;
  for (unsigned i = 0; i < huge_number::MAXIMO_ENTEROS_HUGE + huge_number::MAXIMA_PRECISION; ++i) {
    MulAdd(m, 10, 9);
  }
  return m;
}
constexpr Magnitude MAX_HUGE = MaxHugeMagnitude();

// Splits a magnitude of 10^-9 units into whole part and nine decimals.
void SplitMagnitude(const Magnitude& m, std::uint64_t& Whole, std::uint64_t& Fraction) {
  std::uint32_t q[3];
  std::uint64_t rem = 0;
  for (int i = 2; i >= 0; --i) {
    std::uint64_t cur = (rem << 32) | m.big[i];
    q[i] = static_cast<std::uint32_t>(cur / huge_number::BASE);
    rem = cur % huge_number::BASE;
  }
  // Valid magnitudes are below 10^27, so the quotient fits 64 bits.
  Whole = (std::uint64_t{q[1]} << 32) | q[0];
  Fraction = rem;
}

template <typename Number>
bool SameValue(const Number& a, const Number& b) {
  if (a.invalid() || b.invalid()) return a.invalid() == b.invalid();
  return a.Units() == b.Units();
}

// Limits shared by the two types held in a signed 64-bit count.
bool FitsInt64(std::int64_t Units, std::int64_t MaxMagnitude) {
  return Units >= -MaxMagnitude && Units <= MaxMagnitude;
}

std::uint64_t MagnitudeOf(std::int64_t v) {
  return v < 0 ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
}

}  // namespace

// ---- fixed and big_number ----

template <typename Tag, unsigned IntegerDigits, unsigned Decimals>
Decimal64<Tag, IntegerDigits, Decimals>::Decimal64(int64 Units, unsigned Precision) {
  constexpr auto max_units = static_cast<std::int64_t>(Pow10(IntegerDigits + Decimals) - 1);
  if (Precision > MAXIMA_PRECISION || !FitsInt64(Units, max_units)) return;
  value_ = Units;
  prec_ = static_cast<Byte>(Precision);
  valid_value_ = 1;
}

template <typename Tag, unsigned IntegerDigits, unsigned Decimals>
Decimal64<Tag, IntegerDigits, Decimals>::Decimal64(const char* Text) {
  Decimal d;
  if (!ParseDecimal(Text, DecimalSymbol(), IntegerDigits, MAXIMA_PRECISION, d)) return;
  auto units =
      static_cast<int64>(d.whole * BASE + d.fraction * Pow10(MAXIMA_PRECISION - d.decimals));
  *this = Decimal64(d.negative ? -units : units, d.decimals);
}

template <typename Tag, unsigned IntegerDigits, unsigned Decimals>
bool Decimal64<Tag, IntegerDigits, Decimals>::operator==(const Decimal64& o) const {
  return SameValue(*this, o);
}

template <typename Tag, unsigned IntegerDigits, unsigned Decimals>
unsigned Decimal64<Tag, IntegerDigits, Decimals>::ToString(char* Buffer, unsigned BufferSize,
                                                           bool RemoveTrailingZeroes) const {
  char text[MAX_TEXT];
  unsigned len;
  if (invalid()) {
    len = CopyInvalid(text);
  } else {
    std::uint64_t m = MagnitudeOf(value_);
    len = BuildText(text, value_ < 0, m / BASE, m % BASE, MAXIMA_PRECISION, prec_, DecimalSymbol(),
                    RemoveTrailingZeroes);
  }
  return static_cast<unsigned>(ASCII::CopyCut(Buffer, BufferSize, std::string_view(text, len)));
}

template <typename Tag, unsigned IntegerDigits, unsigned Decimals>
const char* Decimal64<Tag, IntegerDigits, Decimals>::ToString(bool RemoveTrailingZeroes,
                                                              bool /*CompactMode*/) const {
  char* slot = SmallSlot();
  ToString(slot, TEXT_SIZE, RemoveTrailingZeroes);
  return slot;
}

template class Decimal64<FixedTag, 9, 9>;
template class Decimal64<BigNumberTag, 16, 2>;

// ---- huge_number ----

huge_number::huge_number(int64 Units, unsigned Precision)
    : huge_number(FromUint64(MagnitudeOf(Units)), Units < 0, Precision) {}

huge_number::huge_number(const Magnitude& Units, bool Negative, unsigned Precision) {
  if (Precision > MAXIMA_PRECISION || CompareMagnitude(Units, MAX_HUGE) > 0) return;
  value_ = Units;
  prec_ = static_cast<Byte>(Precision);
  const bool zero = Units.big[0] == 0 && Units.big[1] == 0 && Units.big[2] == 0;
  state_ = Negative && !zero ? -1 : 1;
}

huge_number::huge_number(const char* Text) {
  Decimal d;
  if (!ParseDecimal(Text, DecimalSymbol(), MAXIMO_ENTEROS_HUGE, MAXIMA_PRECISION, d)) return;
  Magnitude m = FromUint64(d.whole);
  MulAdd(m, BASE, static_cast<std::uint32_t>(d.fraction * Pow10(MAXIMA_PRECISION - d.decimals)));
  *this = huge_number(m, d.negative, d.decimals);
}

bool huge_number::operator==(const huge_number& o) const {
  if (invalid() || o.invalid()) return invalid() == o.invalid();
  return state_ == o.state_ && CompareMagnitude(value_, o.value_) == 0;
}

unsigned huge_number::ToString(char* Buffer, unsigned BufferSize, bool RemoveTrailingZeroes) const {
  char text[MAX_TEXT];
  unsigned len;
  if (invalid()) {
    len = CopyInvalid(text);
  } else {
    std::uint64_t whole;
    std::uint64_t fraction;
    SplitMagnitude(value_, whole, fraction);
    len = BuildText(text, state_ < 0, whole, fraction, MAXIMA_PRECISION, prec_, DecimalSymbol(),
                    RemoveTrailingZeroes);
  }
  return static_cast<unsigned>(ASCII::CopyCut(Buffer, BufferSize, std::string_view(text, len)));
}

const char* huge_number::ToString(bool RemoveTrailingZeroes, bool /*CompactMode*/) const {
  char* slot = HugeSlot();
  ToString(slot, TEXT_SIZE, RemoveTrailingZeroes);
  return slot;
}

void huge_number::SetDecimalSymbol(char c) {
  huge_number_symbol.store(c, std::memory_order_relaxed);
}
char huge_number::DecimalSymbol() { return huge_number_symbol.load(std::memory_order_relaxed); }

}  // namespace VXB::Types
