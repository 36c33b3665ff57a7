// An owned, optionally case-insensitive text, used as a map key and as a
// driver's name. A SimpleString may have no text at all (null), which sorts
// before any text and equals only another string without text.
#ifndef VXB_COMMON_SIMPLE_STRING_H_
#define VXB_COMMON_SIMPLE_STRING_H_

#include <cstdint>

#include "vxb/common/base/types.h"

namespace VXB {

class SimpleString {
 public:
  static constexpr unsigned MAX_FORMAT = 4095;

  SimpleString() = default;
  // Copies Size bytes of s (all of s when Size is 0); null gives no text.
  SimpleString(const char* s, unsigned Size = 0);  // NOLINT(google-explicit-constructor)
  SimpleString(const SimpleString& o);
  SimpleString(SimpleString&& o) noexcept;
  SimpleString& operator=(const SimpleString& o);
  SimpleString& operator=(SimpleString&& o) noexcept;
  SimpleString& operator=(const char* s);
  ~SimpleString();

  operator const char*() const { return string_; }  // NOLINT(google-explicit-constructor)
  const char* c_str() const { return string_; }
  unsigned Length() const { return len_; }
  bool IsNull() const { return string_ == nullptr; }

  bool operator<(const SimpleString& o) const;
  bool operator==(const SimpleString& o) const;
  bool operator!=(const SimpleString& o) const { return !(*this == o); }
  bool operator<(const char* s) const;
  bool operator==(const char* s) const;
  bool operator!=(const char* s) const { return !(*this == s); }

  // The n-th character, 0 beyond the end.
  char operator[](unsigned n) const;

  SimpleString& operator+=(const SimpleString& o);
  SimpleString& operator+=(const char* s);
  friend SimpleString operator+(const SimpleString& a, const SimpleString& b);
  friend SimpleString operator+(const SimpleString& a, const char* b);
  friend SimpleString operator+(const char* a, const SimpleString& b);

  // At most MAX_FORMAT characters.
  static SimpleString FromFormat(const char* f, ...) VXB_PRINTF_FORMAT(1, 2);

  SimpleString& CaseInsensitive(bool b);
  bool IsCaseInsensitive() const { return insensitive_; }

 private:
  void Assign(const char* s, unsigned size);
  void Append(const char* s, unsigned size);

  char* string_ = nullptr;
  std::uint32_t len_ = 0;
  bool insensitive_ = false;
};

}  // namespace VXB

#endif  // VXB_COMMON_SIMPLE_STRING_H_
