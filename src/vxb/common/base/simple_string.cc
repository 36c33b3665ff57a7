#include "vxb/common/base/simple_string.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

namespace VXB {

namespace {

unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Byte-by-byte three-way comparison of two texts with known lengths, the
// shorter one first when one is a prefix of the other.
int Compare(const char* a, unsigned alen, const char* b, unsigned blen, bool insensitive) {
  const unsigned n = alen < blen ? alen : blen;
  for (unsigned i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (insensitive) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (alen == blen) return 0;
  return alen < blen ? -1 : 1;
}

unsigned TextLength(const char* s) { return static_cast<unsigned>(std::strlen(s)); }

}  // namespace

SimpleString::SimpleString(const char* s, unsigned Size) {
  if (s != nullptr) Assign(s, Size != 0 ? Size : TextLength(s));
}

SimpleString::SimpleString(const SimpleString& o) : insensitive_(o.insensitive_) {
  if (o.string_ != nullptr) Assign(o.string_, o.len_);
}

SimpleString::SimpleString(SimpleString&& o) noexcept
    : string_(std::exchange(o.string_, nullptr)),
      len_(std::exchange(o.len_, 0)),
      insensitive_(o.insensitive_) {}

SimpleString& SimpleString::operator=(const SimpleString& o) {
  if (this != &o) {
    if (o.string_ != nullptr) {
      Assign(o.string_, o.len_);
    } else {
      Assign(nullptr, 0);
    }
    insensitive_ = o.insensitive_;
  }
  return *this;
}

SimpleString& SimpleString::operator=(SimpleString&& o) noexcept {
  if (this != &o) {
    delete[] string_;
    string_ = std::exchange(o.string_, nullptr);
    len_ = std::exchange(o.len_, 0);
    insensitive_ = o.insensitive_;
  }
  return *this;
}

SimpleString& SimpleString::operator=(const char* s) {
  Assign(s, s != nullptr ? TextLength(s) : 0);
  return *this;
}

SimpleString::~SimpleString() { delete[] string_; }

// Replaces the text with a copy of size bytes of s (no text for null). The
// new copy is made before the old one is freed, so s may point into it.
void SimpleString::Assign(const char* s, unsigned size) {
  char* copy = nullptr;
  if (s != nullptr) {
    copy = new char[size + 1];
    std::memcpy(copy, s, size);
    copy[size] = '\0';
  } else {
    size = 0;
  }
  delete[] string_;
  string_ = copy;
  len_ = size;
}

// Appends size bytes of s; s may point into this string's own text.
void SimpleString::Append(const char* s, unsigned size) {
  if (s == nullptr) return;
  char* joined = new char[len_ + size + 1];
  if (string_ != nullptr) std::memcpy(joined, string_, len_);
  std::memcpy(joined + len_, s, size);
  joined[len_ + size] = '\0';
  delete[] string_;
  string_ = joined;
  len_ += size;
}

bool SimpleString::operator<(const SimpleString& o) const {
  if (string_ == nullptr || o.string_ == nullptr) return string_ == nullptr && o.string_ != nullptr;
  return Compare(string_, len_, o.string_, o.len_, insensitive_ || o.insensitive_) < 0;
}

bool SimpleString::operator==(const SimpleString& o) const {
  if (string_ == nullptr || o.string_ == nullptr) return string_ == o.string_;
  return Compare(string_, len_, o.string_, o.len_, insensitive_ || o.insensitive_) == 0;
}

bool SimpleString::operator<(const char* s) const {
  if (string_ == nullptr || s == nullptr) return string_ == nullptr && s != nullptr;
  return Compare(string_, len_, s, TextLength(s), insensitive_) < 0;
}

bool SimpleString::operator==(const char* s) const {
  if (string_ == nullptr || s == nullptr) return string_ == s;
  return Compare(string_, len_, s, TextLength(s), insensitive_) == 0;
}

char SimpleString::operator[](unsigned n) const { return n < len_ ? string_[n] : '\0'; }

SimpleString& SimpleString::operator+=(const SimpleString& o) {
  Append(o.string_, o.len_);
  return *this;
}

SimpleString& SimpleString::operator+=(const char* s) {
  if (s != nullptr) Append(s, TextLength(s));
  return *this;
}

SimpleString operator+(const SimpleString& a, const SimpleString& b) {
  SimpleString r(a);
  r += b;
  return r;
}

SimpleString operator+(const SimpleString& a, const char* b) {
  SimpleString r(a);
  r += b;
  return r;
}

SimpleString operator+(const char* a, const SimpleString& b) {
  SimpleString r(a);
  r += b;
  r.insensitive_ = b.insensitive_;
  return r;
}

SimpleString SimpleString::FromFormat(const char* f, ...) {
  if (f == nullptr) return SimpleString();
  char buffer[MAX_FORMAT + 1];
  va_list args;
  va_start(args, f);
  int n = std::vsnprintf(buffer, sizeof buffer, f, args);
  va_end(args);
  if (n < 0) return SimpleString();
  return SimpleString(buffer, n > static_cast<int>(MAX_FORMAT) ? MAX_FORMAT : TextLength(buffer));
}

SimpleString& SimpleString::CaseInsensitive(bool b) {
  insensitive_ = b;
  return *this;
}

}  // namespace VXB
