// A JSON reader: turns a document, read one character at a time from an
// encoded character reader, into tokens (open and close of objects and
// arrays, name-value pairs and array elements) with each value as text in
// the internal character set. One pass, no document tree, no allocation per
// token: the token is filled in place and the nesting stack is fixed.
//
// What it accepts: standard JSON, read as UTF-8, with these leniencies that
// never change a value's text: control characters inside strings are kept
// as they are (the command conversion decides which it refuses); a number
// may also be written with leading zeros or a bare decimal point ("007",
// ".5", "5."); anything after the outermost container's close is never
// read. Values are delivered as written: strings unescaped, numbers with
// their exponent, true and false as "S\xA1" and "No", null as the empty text.
// A \u escape gives its character in the internal set, '?' when the set has
// none; surrogate pairs are one character.
//
// What it refuses, with JSON_SYNTAX_ERROR: everything else that is not
// JSON, names over MAX_NAME or values over MAX_VALUE characters (nothing is
// cut), nesting beyond MAX_NESTING containers, a \u0000 escape and broken
// surrogates. The end of the input inside a document, or reading after the
// document, is JSON_EOF. After any failure the reader delivers nothing more
// until Reset().
//
// Thread safety: one thread uses a reader at a time.
#ifndef VXB_COMMON_JSON_READER_H_
#define VXB_COMMON_JSON_READER_H_

#include <memory>

#include "vxb/common/io/driver.h"
#include "vxb/common/io/encoded_char_reader.h"

namespace VXB::JSON {

class Reader {
 public:
  static constexpr unsigned MAX_NAME = 100;
  static constexpr unsigned MAX_VALUE = 2048;
  static constexpr unsigned MAX_NESTING = 30;

  enum Tokens : unsigned {
    OPEN_OBJECT = 0,
    CLOSE_OBJECT = 1,
    OPEN_ARRAY = 2,
    CLOSE_ARRAY = 3,
    PAIR = 4,
    ELEMENT = 5,
  };
  enum ValueTypes : unsigned { STRING = 0, INTEGER = 1, FIXED = 2, BOOLEAN = 3, EMPTY = 4 };

  // Name: the member name of a pair or of a container opened inside an
  // object, else empty. Value: the value of a pair or element, else empty.
  struct Token {
    Tokens Type = OPEN_OBJECT;
    ValueTypes ValueType = STRING;
    unsigned NameLength = 0;
    unsigned ValueLength = 0;
    char Name[MAX_NAME + 1] = {};
    char Value[MAX_VALUE + 1] = {};
  };

  // Reads from r (not owned), whose CharsetFrom becomes UTF8 and entity
  // mode NO_ENTITIES.
  explicit Reader(Driver::EncodedCharReader* r);
  // Reads from g (not owned) through a character reader of its own, from
  // UTF8 to CP437.
  explicit Reader(Driver::Generic* g);
  ~Reader();

  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Ready for a new document; forgets buffered input.
  void Reset();
  // The next token; false with the error recorded.
  bool GetToken(Token& t);
  Driver::EncodedCharReader* GetDriver() const { return r_; }
  // Open containers of the current document.
  unsigned Depth() const { return depth_; }

 private:
  // Strings and numbers are read whole by their own loops, so only the
  // states between items remain.
  enum States : unsigned {
    WAITING_QUOTES_FOR_NAME = 0,  // after '{' or ',' in an object
    WAITING_COLON = 3,
    WAITING_VALUE_TYPE = 4,  // at the start, after '[', ':' or ',' in an array
    WAITING_COMMA = 7,
    END_OF_DATA = 8,  // document complete, or failed
  };

  bool Parse(Token& t);
  // Inline for printable ASCII, the bulk of a document's structure; the
  // rest (put-back character, other bytes, the end) out of line.
  bool Next(char& c) {
    if (!has_pending_ && r_->GetPlainChar(c)) return true;
    return NextSlow(c);
  }
  bool NextSlow(char& c);
  bool Fail(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool ReadString(char* Out, unsigned Capacity, unsigned& Length, const char* What);
  bool ReadEscape(char& c);
  bool ReadHex4(unsigned& v);
  bool ReadNumber(char First, Token& t);
  bool ReadLiteral(const char* Rest, const char* Error);
  bool Open(Tokens Kind, Token& t);
  bool Close(Tokens Kind, Token& t);
  // Delivers the value in t as a pair or element, by the innermost
  // container.
  void DeliverValue(Token& t);
  void AfterItem();
  bool InObject() const { return depth_ > 0 && stack_[depth_ - 1] == OPEN_OBJECT; }

  std::unique_ptr<Driver::EncodedCharReader> owned_;
  Driver::EncodedCharReader* r_;
  States state_ = WAITING_VALUE_TYPE;
  // Set right after '{' or '[': an immediate close is an empty container.
  bool just_opened_ = false;
  // The character that ended a number, to be read again.
  bool has_pending_ = false;
  char pending_ = 0;
  // Name of the member whose value comes next.
  char name_[MAX_NAME + 1] = {};
  unsigned name_length_ = 0;
  Tokens stack_[MAX_NESTING] = {};
  unsigned depth_ = 0;
};

}  // namespace VXB::JSON

#endif  // VXB_COMMON_JSON_READER_H_
