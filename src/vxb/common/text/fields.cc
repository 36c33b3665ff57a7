#include "vxb/common/text/fields.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "vxb/common/base/circular.h"
#include "vxb/common/runtime/error.h"

namespace VXB {

namespace {

using FieldPool = CircularChars<Fields::RING_BUFFER_SIZE, Fields::RING_BUFFERS>;

// The calling thread's pool of field texts. Trivially destructible, so its
// storage stays usable for the whole life of the thread.
FieldPool& ThreadPool() {
  static thread_local FieldPool pool;
  return pool;
}

// Refuses a value of Size bytes that a field cannot hold.
bool FieldTooLong(std::size_t Size, std::size_t Limit) {
  return Error::SetWithContext(Error::IO_PARAM_ERROR,
                               "Campo de %zu bytes demasiado grande (m\xA0ximo %zu)", Size, Limit);
}

// Takes a pool piece for Size bytes plus a terminator, copies the bytes and
// terminates them. A field the pool cannot hold whole is not cut: the text
// is empty, Size 0, and the error is recorded.
char* CopyToPool(const Byte* Data, unsigned& Size) {
  if (std::size_t{Size} + 1 > FieldPool::POOL_SIZE) {
    FieldTooLong(Size, FieldPool::POOL_SIZE - 1);
    Size = 0;
  }
  char* p = ThreadPool().GetBuf(std::size_t{Size} + 1);
  if (Size > 0) std::memcpy(p, Data, Size);
  p[Size] = '\0';
  return p;
}

}  // namespace

Fields::Fields(const char* s)
    : const_source_(reinterpret_cast<const Byte*>(s)),
      source_size_(s != nullptr ? static_cast<std::uint32_t>(std::strlen(s)) : 0) {}

Fields::Fields(const Fields& o) { CopyFrom(o); }

Fields& Fields::operator=(const Fields& o) {
  if (this != &o) CopyFrom(o);
  return *this;
}

Fields::~Fields() = default;

void Fields::CopyFrom(const Fields& o) {
  const_source_ = o.const_source_;
  source_size_ = o.source_size_;
  used_ = o.used_;
  field_boundaries_ = o.field_boundaries_;
  if (o.custom_source_ != nullptr) {
    custom_source_ = std::make_unique<Byte[]>(o.source_size_);
    std::memcpy(custom_source_.get(), o.custom_source_.get(), o.source_size_);
  } else {
    custom_source_.reset();
  }
}

const Byte* Fields::CurrentText() const {
  return custom_source_ != nullptr ? custom_source_.get() : const_source_;
}

unsigned Fields::CurrentSize() const {
  if (custom_source_ != nullptr) return used_;
  return const_source_ != nullptr ? source_size_ : 0;
}

const char* Fields::ToString() const {
  const Byte* text = CurrentText();
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

const Byte* Fields::GetBinary(unsigned& Size) const {
  Size = CurrentSize();
  return CurrentText();
}

void Fields::SetString(const char* s) {
  SetBinary(reinterpret_cast<const Byte*>(s),
            s != nullptr ? static_cast<unsigned>(std::strlen(s)) : 0);
}

void Fields::SetBinary(const Byte* b, unsigned Size) {
  custom_source_.reset();
  used_ = 0;
  const_source_ = b;
  source_size_ = b != nullptr ? Size : 0;
  field_boundaries_.clear();
}

void Fields::NewString() {
  custom_source_ = std::make_unique<Byte[]>(CUSTOM_SOURCE_BLOCK);  // zero-filled
  const_source_ = nullptr;
  source_size_ = CUSTOM_SOURCE_BLOCK;
  used_ = 0;
  field_boundaries_.clear();
}

void Fields::Clear() {
  if (custom_source_ == nullptr) return NewString();
  const_source_ = nullptr;
  used_ = 0;
  custom_source_[0] = 0;
  field_boundaries_.clear();
}

unsigned Fields::Split() { return 0; }

void Fields::EnsureBuilt() {
  if (custom_source_ != nullptr) return;
  const Fields borrowed(*this);
  NewString();
  const Byte* text = borrowed.CurrentText();
  for (const Field& f : borrowed.field_boundaries_) {
    NewBinaryField(text + f.From, f.To - f.From);
  }
}

void Fields::Reserve(std::uint64_t Extra) {
  const std::uint64_t needed = std::uint64_t{used_} + Extra + 1;
  if (needed <= source_size_) return;
  const std::uint64_t capacity =
      (needed + CUSTOM_SOURCE_BLOCK - 1) / CUSTOM_SOURCE_BLOCK * CUSTOM_SOURCE_BLOCK;
  auto grown = std::make_unique<Byte[]>(capacity);  // zero-filled
  std::memcpy(grown.get(), custom_source_.get(), used_);
  custom_source_ = std::move(grown);
  source_size_ = static_cast<std::uint32_t>(capacity);
}

unsigned Fields::AppendField(const Byte* Data, unsigned Size, const char* Separator) {
  if (Data == nullptr) Size = 0;
  if (Size > MAX_FIELD) {
    FieldTooLong(Size, MAX_FIELD);
    return 0;
  }
  const unsigned separator = (Separator != nullptr && !field_boundaries_.empty()) ? 1 : 0;
  const std::uint64_t extra = std::uint64_t{separator} + Size;
  // Offsets are 32-bit: a text that would outgrow them takes no more fields.
  if (std::uint64_t{used_} + extra + 1 + CUSTOM_SOURCE_BLOCK >
      std::numeric_limits<std::uint32_t>::max()) {
    return 0;
  }

  // Data may lie inside the buffer that is about to be replaced.
  const Byte* base = custom_source_.get();
  const bool inside = Size > 0 && Data >= base && Data < base + source_size_;
  const std::size_t offset = inside ? static_cast<std::size_t>(Data - base) : 0;
  Reserve(extra);
  if (inside) Data = custom_source_.get() + offset;

  Byte* text = custom_source_.get();
  if (separator != 0) text[used_++] = static_cast<Byte>(*Separator);
  field_boundaries_.push_back({used_, used_ + Size});
  if (Size > 0) std::memmove(text + used_, Data, Size);
  used_ += Size;
  text[used_] = 0;
  return Size;
}

bool Fields::FormatField(char* Scratch, unsigned& Length, const char* Format, va_list Args) {
  Scratch[0] = '\0';
  Length = 0;
  if (Format == nullptr) return true;
  if (Format[0] == '%' && Format[1] == 's' && Format[2] == '\0') {
    // One whole text, the common case (a document's value into a packet
    // field): copied as printf would, without its machinery. A null text is
    // left to printf.
    va_list copy;
    va_copy(copy, Args);
    const char* text = va_arg(copy, const char*);
    va_end(copy);
    if (text != nullptr) {
      const std::size_t size = std::strlen(text);
      if (size > MAX_FIELD) return FieldTooLong(size, MAX_FIELD);
      std::memcpy(Scratch, text, size + 1);
      Length = static_cast<unsigned>(size);
      return true;
    }
  }
  const int n = std::vsnprintf(Scratch, MAX_FIELD + 1, Format, Args);
  if (n < 0) {
    Scratch[0] = '\0';
    return Error::SetWithContext(Error::IO_FORMAT_ERROR, "Formato de campo \xA1nvalido: %s",
                                 Format);
  }
  if (static_cast<unsigned>(n) > MAX_FIELD)
    return FieldTooLong(static_cast<unsigned>(n), MAX_FIELD);
  Length = static_cast<unsigned>(n);
  return true;
}

unsigned Fields::NewTextField(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  const unsigned n = vNewTextField(Format, args);
  va_end(args);
  return n;
}

unsigned Fields::vNewTextField(const char* Format, va_list Args) {
  char scratch[MAX_FIELD + 1];
  unsigned len = 0;
  if (!FormatField(scratch, len, Format, Args)) return 0;
  EnsureBuilt();
  return AppendField(reinterpret_cast<const Byte*>(scratch), len, nullptr);
}

unsigned Fields::NewBinaryField(const Byte* Data, unsigned Size) {
  EnsureBuilt();
  return AppendField(Data, Size, nullptr);
}

bool Fields::SetTextField(unsigned n, const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  const bool ok = vSetTextField(n, Format, args);
  va_end(args);
  return ok;
}

bool Fields::vSetTextField(unsigned n, const char* Format, va_list Args) {
  char scratch[MAX_FIELD + 1];
  unsigned len = 0;
  if (!FormatField(scratch, len, Format, Args)) return false;
  return ReplaceField(n, reinterpret_cast<const Byte*>(scratch), len);
}

bool Fields::SetBinaryField(unsigned n, const Byte* Data, unsigned Size) {
  if (Data == nullptr) Size = 0;
  return ReplaceField(n, Data, Size);
}

bool Fields::ReplaceField(unsigned n, const Byte* Data, unsigned Size) {
  if (Size > MAX_FIELD) return FieldTooLong(Size, MAX_FIELD);
  // A value taken from this object's own built text would be freed by the
  // growth or rebuild below: take a copy of it first.
  std::vector<Byte> own_copy;
  const Byte* base = custom_source_.get();
  if (base != nullptr && Size > 0 && Data >= base && Data < base + source_size_) {
    own_copy.assign(Data, Data + Size);
    Data = own_copy.data();
  }
  if (n >= field_boundaries_.size()) {
    while (field_boundaries_.size() < n) {
      const std::size_t before = field_boundaries_.size();
      NewBinaryField(nullptr, 0);
      if (field_boundaries_.size() == before) return false;  // nothing can be added
    }
    return NewBinaryField(Data, Size) > 0;
  }

  Field& f = field_boundaries_[n];
  if (custom_source_ != nullptr && f.To - f.From == Size) {
    if (Size > 0) std::memmove(custom_source_.get() + f.From, Data, Size);
    return true;
  }

  const Fields old(*this);
  NewString();
  const Byte* text = old.CurrentText();
  bool ok = true;
  for (unsigned i = 0; i < old.field_boundaries_.size(); ++i) {
    if (i == n) {
      if (NewBinaryField(Data, Size) == 0 && Size > 0) ok = false;
    } else {
      const Field& g = old.field_boundaries_[i];
      NewBinaryField(text + g.From, g.To - g.From);
    }
  }
  return ok;
}

unsigned Fields::GetFieldSize(unsigned n) const {
  if (n >= field_boundaries_.size()) return 0;
  return field_boundaries_[n].To - field_boundaries_[n].From;
}

const Byte* Fields::GetFieldData(unsigned n, unsigned& Size) const {
  Size = GetFieldSize(n);
  if (n >= field_boundaries_.size()) return nullptr;
  return CurrentText() + field_boundaries_[n].From;
}

const char* Fields::GetTextField(unsigned n) const {
  unsigned size = GetFieldSize(n);
  if (size == 0) return "";
  return CopyToPool(CurrentText() + field_boundaries_[n].From, size);
}

unsigned Fields::CopyTextField(unsigned n, char* Buffer, unsigned MaxBuffer) const {
  if (Buffer == nullptr || MaxBuffer == 0) return 0;
  unsigned size = GetFieldSize(n);
  if (size > MaxBuffer - 1) size = MaxBuffer - 1;
  if (size > 0) std::memcpy(Buffer, CurrentText() + field_boundaries_[n].From, size);
  Buffer[size] = '\0';
  return size;
}

const Byte* Fields::GetBinaryField(unsigned n, unsigned& Size) const {
  Size = GetFieldSize(n);
  const Byte* data = Size > 0 ? CurrentText() + field_boundaries_[n].From : nullptr;
  return reinterpret_cast<const Byte*>(CopyToPool(data, Size));
}

unsigned Fields::CopyBinaryField(unsigned n, Byte* Buffer, unsigned MaxBuffer) const {
  if (Buffer == nullptr || MaxBuffer == 0) return 0;
  unsigned size = GetFieldSize(n);
  if (size > MaxBuffer) size = MaxBuffer;
  if (size > 0) std::memcpy(Buffer, CurrentText() + field_boundaries_[n].From, size);
  if (size < MaxBuffer) Buffer[size] = 0;
  return size;
}

// ---- FieldsBySeparators ----

FieldsBySeparators::FieldsBySeparators() = default;

FieldsBySeparators::FieldsBySeparators(const char* Source) : Fields(Source) {}

FieldsBySeparators& FieldsBySeparators::operator=(const Fields& o) {
  Fields::operator=(o);
  return *this;
}

bool FieldsBySeparators::IsSeparator(char c) const {
  for (char s : separators_) {
    if (s == c) return true;
  }
  return false;
}

unsigned FieldsBySeparators::Split() {
  ClearFields();
  const Byte* text = CurrentText();
  if (text == nullptr) return 0;
  const unsigned limit = CurrentSize();
  std::uint32_t from = 0;
  bool last_was_separator = false;
  std::uint32_t i = 0;
  for (; i < limit && text[i] != 0; ++i) {
    if (IsSeparator(static_cast<char>(text[i]))) {
      if (i != from || consecutive_separators_is_field_) {
        AddBoundary(from, i);
        last_was_separator = true;
      }
      from = i + 1;
    } else {
      last_was_separator = false;
    }
  }
  if (i != from || (last_was_separator && consecutive_separators_is_field_)) AddBoundary(from, i);
  return GetNumberOfFields();
}

unsigned FieldsBySeparators::vNewTextField(const char* Format, va_list Args) {
  char scratch[MAX_FIELD + 1];
  unsigned len = 0;
  if (!FormatField(scratch, len, Format, Args)) return 0;
  EnsureBuilt();
  if (separators_.empty()) return 0;
  return AppendField(reinterpret_cast<const Byte*>(scratch), len, &separators_[0]);
}

unsigned FieldsBySeparators::NewBinaryField(const Byte* Data, unsigned Size) {
  EnsureBuilt();
  if (separators_.empty()) return 0;
  return AppendField(Data, Size, &separators_[0]);
}

}  // namespace VXB
