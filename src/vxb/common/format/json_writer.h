// A JSON writer: writes a document piece by piece into an encoded string
// writer, with one member per line and tab indentation, or on one line
// without blanks when whitespace compression is on.
//
// Every document it writes is valid JSON: names and string values are
// escaped (quotation mark, backslash and control characters), a null
// string is the word null, and a number without a value (an unsigned
// all-ones "no value", an invalid decimal) is the string "-". Values are
// written whole, however long. Output is converted from the internal set
// to the string writer's CharsetTo (UTF-8 for the bridge's answers).
//
// Containers nest at most MAX_DEPTH deep; opening one more, or closing
// with nothing open, fails without writing (IO_PARAM_ERROR). A failed
// write to the target makes the operation return false; the document is
// then incomplete. Closing the outermost container flushes the target.
//
// Thread safety: one thread uses a writer at a time.
#ifndef VXB_COMMON_JSON_WRITER_H_
#define VXB_COMMON_JSON_WRITER_H_

#include <memory>

#include "vxb/common/base/fixed.h"
#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"
#include "vxb/common/io/encoded_string_writer.h"

namespace VXB::JSON {

class Writer {
 public:
  static constexpr unsigned MAX_DEPTH = 31;
  static constexpr unsigned MAX_INDENTATION = 30;

  // Writes to d (not owned), whose CharsetTo becomes UTF8.
  explicit Writer(Driver::EncodedStringWriter* d);
  // Writes to g (not owned) through a string writer of its own, from CP437
  // to UTF8.
  explicit Writer(Driver::Generic* g);
  ~Writer();

  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Forgets open containers. Encoding and compression stay.
  void Reset();
  // Returns the previous setting.
  bool SetWhitespaceCompression(bool b);
  Driver::EncodedStringWriter* GetDriver() const { return target_; }
  void SetEncoding(ASCII::Charsets c) { target_->SetCharsetTo(c); }
  unsigned Nesting() const { return nesting_; }

  // Name is used when the innermost container is an object.
  bool OpenObject(const char* Name);
  bool OpenArray(const char* Name);
  bool CloseObject();
  bool CloseArray();

  // A string member; Value null writes null.
  bool Pair(const char* Name, const char* Value);
  // A member holding the number whose decimal text is Text, unquoted; the
  // no-value text "-" is written as a string.
  bool PairNumber(const char* Name, const char* Text);
  bool Pair(const char* Name, Types::uint64 Value);
  bool Pair(const char* Name, Types::uint32 Value);
  bool Pair(const char* Name, Types::int64 Value);
  bool Pair(const char* Name, Types::int32 Value);
  bool Pair(const char* Name, const Types::fixed& Value);
  bool Pair(const char* Name, bool Value);

  // A string element of the innermost array; Value null writes null.
  bool Element(const char* Value);
  // An unquoted element (the no-value text "-" as a string).
  bool ElementNumber(const char* Text);
  bool Element(bool Value);

 private:
  enum ContainerType : unsigned { NOTHING = 0, OBJECT = 1, ARRAY = 2 };
  struct ContextInfo {
    ContainerType Type = NOTHING;
    bool Items = false;
  };

  bool Open(ContainerType Type, const char* Name);
  bool Close(ContainerType Type);
  // Markup, unescaped.
  bool Put(const char* s);
  // Quotation marks around s, escaped.
  bool PutQuoted(const char* s);
  bool PutIndentation();
  bool PutLineFeed();
  // Comma (and line feed) before a member, the quoted name and ": ".
  bool BeginMember(const char* Name);
  bool BeginElement(bool Quoted);
  bool PutNumber(const char* Text);

  std::unique_ptr<Driver::EncodedStringWriter> owned_;
  Driver::EncodedStringWriter* target_;
  unsigned nesting_ = 0;
  ContextInfo context_[MAX_DEPTH + 1];
  bool compression_ = false;
};

}  // namespace VXB::JSON

#endif  // VXB_COMMON_JSON_WRITER_H_
