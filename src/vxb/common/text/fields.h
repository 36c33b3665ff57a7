// Numbered fields laid over one byte text.
//
// Fields reads a text that belongs to the caller (nothing is copied; the
// text must stay alive and unchanged while it is read) or builds its own text
// field by field. Each field is a byte range [From, To) of the current text:
// the built text when there is one, else the caller's text.
//
// FieldsBySeparators adds separator characters: Split() cuts the current
// text into fields at them, and added fields are joined with the first
// separator. The fiscal packet protocol uses it with the single separator
// 0x1C and empty fields kept.
//
// A built text is always followed by a zero byte, grows in steps of
// CUSTOM_SOURCE_BLOCK bytes to whatever size it needs, and takes fields of at
// most MAX_FIELD bytes, enough for any field of a fiscal packet. A longer
// value is never cut: it is refused, nothing is added, and IO_PARAM_ERROR is
// recorded in the thread's error record. Field texts handed out by
// GetTextField/GetBinaryField live in the calling thread's rotating pool of
// 10 x 2048 bytes and are valid until that thread has asked for enough
// further field texts to wrap the pool; a field longer than the whole pool
// is refused the same way (empty text, error recorded). Copies into caller
// buffers are cut to the buffer and return the count copied.
//
// Thread safety: an object is used by one thread at a time. Objects are
// values: copies own their own built text.
#ifndef VXB_COMMON_FIELDS_H_
#define VXB_COMMON_FIELDS_H_

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <vector>

#include "vxb/common/base/types.h"

namespace VXB {

class Fields {
 public:
  static constexpr unsigned CUSTOM_SOURCE_BLOCK = 2048;
  // A packet of the fiscal protocol holds at most 4096 bytes, so no field
  // of one is longer.
  static constexpr unsigned MAX_FIELD = 4096;
  static constexpr unsigned RING_BUFFER_SIZE = 2048;
  static constexpr unsigned RING_BUFFERS = 10;

  struct Field {
    std::uint32_t From = 0;
    std::uint32_t To = 0;
  };

  // No fields; the current text is s (not copied), or none.
  Fields() = default;
  explicit Fields(const char* s);
  Fields(const Fields& o);
  Fields& operator=(const Fields& o);
  virtual ~Fields();

  // The current text; "" when there is none.
  virtual const char* ToString() const;
  // The current text and its size: the bytes in use of a built text, or the
  // size of the caller's text. Null and 0 when there is none.
  virtual const Byte* GetBinary(unsigned& Size) const;
  // Starts a new, empty built text; the fields are cleared.
  virtual void NewString();
  // Empties the fields like NewString, keeping the storage already built
  // (a container refilled for every request allocates once).
  void Clear();
  // Fields itself has no rule to split by: returns 0.
  virtual unsigned Split();
  // Appends one field formatted printf-style; returns its length (0 also
  // for an empty field). A text longer than MAX_FIELD bytes, or a format
  // that fails, adds nothing: 0 with the error recorded.
  virtual unsigned NewTextField(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  virtual unsigned vNewTextField(const char* Format, va_list Args);
  // Replaces field n; when n is beyond the end, empty fields are appended
  // first and the new value last. False when the new, non-empty value could
  // not be stored (too long: error recorded), and, for n beyond the end,
  // when no byte was added. The value may point into this object's text.
  virtual bool SetTextField(unsigned n, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  virtual bool vSetTextField(unsigned n, const char* Format, va_list Args);
  // Appends Size bytes of Data; returns the count stored. More than
  // MAX_FIELD bytes adds nothing: 0 with IO_PARAM_ERROR recorded.
  virtual unsigned NewBinaryField(const Byte* Data, unsigned Size);
  virtual bool SetBinaryField(unsigned n, const Byte* Data, unsigned Size);
  // The current text becomes s / b (not copied); fields cleared, any built
  // text freed.
  virtual void SetString(const char* s);
  virtual void SetBinary(const Byte* b, unsigned Size);

  unsigned GetNumberOfFields() const { return static_cast<unsigned>(field_boundaries_.size()); }
  // Length of field n; 0 beyond the end.
  unsigned GetFieldSize(unsigned n) const;
  // Field n as a zero-terminated pool text; "" beyond the end, and "" with
  // IO_PARAM_ERROR recorded for a field longer than the pool.
  const char* GetTextField(unsigned n) const;
  // Field n's bytes where they lie in the current text (no copy, no
  // terminator), valid until the object changes; null and 0 beyond the end.
  const Byte* GetFieldData(unsigned n, unsigned& Size) const;
  // Copies field n into Buffer, cut to MaxBuffer - 1 bytes, and terminates
  // it; returns the count copied (0 beyond the end; nothing is written when
  // MaxBuffer is 0).
  unsigned CopyTextField(unsigned n, char* Buffer, unsigned MaxBuffer) const;
  // Field n's bytes in the pool, followed by a zero byte; Size is their
  // count. Never null; a field longer than the pool gives Size 0 and
  // IO_PARAM_ERROR recorded.
  const Byte* GetBinaryField(unsigned n, unsigned& Size) const;
  // Copies at most MaxBuffer bytes of field n, adding a zero byte when room
  // remains; returns the count of field bytes copied.
  unsigned CopyBinaryField(unsigned n, Byte* Buffer, unsigned MaxBuffer) const;

 protected:
  // The current text and the bytes that may be read from it.
  const Byte* CurrentText() const;
  unsigned CurrentSize() const;
  void ClearFields() { field_boundaries_.clear(); }
  void AddBoundary(std::uint32_t From, std::uint32_t To) {
    field_boundaries_.push_back({From, To});
  }
  bool HasBuiltText() const { return custom_source_ != nullptr; }
  // Turns a borrowed text into a built one holding the same fields.
  void EnsureBuilt();
  // Appends Size bytes as a new field, written after Separator when
  // Separator is non-null and fields exist. Data may point into the built
  // text itself. More than MAX_FIELD bytes adds nothing (error recorded).
  unsigned AppendField(const Byte* Data, unsigned Size, const char* Separator);
  // Formats into Scratch (MAX_FIELD + 1 bytes) and sets Length; false, with
  // the error recorded, when the text does not fit or the format fails.
  static bool FormatField(char* Scratch, unsigned& Length, const char* Format, va_list Args);

 private:
  void CopyFrom(const Fields& o);
  bool ReplaceField(unsigned n, const Byte* Data, unsigned Size);
  // Makes room for Extra more bytes plus the terminating zero.
  void Reserve(std::uint64_t Extra);

  const Byte* const_source_ = nullptr;
  std::unique_ptr<Byte[]> custom_source_;
  std::uint32_t used_ = 0;         // bytes in use of custom_source_
  std::uint32_t source_size_ = 0;  // size of const_source_ or capacity of custom_source_
  std::vector<Field> field_boundaries_;
};

class FieldsBySeparators : public Fields {
 public:
  // Blank, tab, line feed and carriage return, runs of them skipped.
  FieldsBySeparators();
  explicit FieldsBySeparators(const char* Source);
  FieldsBySeparators(const FieldsBySeparators& o) = default;
  FieldsBySeparators& operator=(const FieldsBySeparators& o) = default;
  // Copies the Fields part; separators and switch stay as they are.
  FieldsBySeparators& operator=(const Fields& o);
  ~FieldsBySeparators() override = default;

  void ResetSeparators() { separators_.clear(); }
  void AddSeparator(char c) { separators_.push_back(c); }
  // When true every separator ends a field, so adjacent separators delimit
  // an empty one; when false runs of separators are skipped.
  void SetConsecutiveSeparatorsIsField(bool b) { consecutive_separators_is_field_ = b; }
  bool IsSeparator(char c) const;

  void FromString(const char* s) { SetString(s); }
  // Split() reads at most Size bytes and stops earlier at a zero byte, so
  // the bytes need no terminator.
  void FromBinary(const Byte* b, unsigned Size) { SetBinary(b, Size); }

  // Rebuilds the field list from the current text; returns the count.
  unsigned Split() override;
  // With no separator set nothing is added and the result is 0.
  unsigned vNewTextField(const char* Format, va_list Args) override;
  unsigned NewBinaryField(const Byte* Data, unsigned Size) override;

 private:
  std::vector<char> separators_{' ', '\t', '\n', '\r'};
  bool consecutive_separators_is_field_ = false;
};

}  // namespace VXB

#endif  // VXB_COMMON_FIELDS_H_
