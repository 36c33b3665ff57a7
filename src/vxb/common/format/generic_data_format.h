// The format-neutral view of a command document: a Reader delivers a
// document as a stream of tokens (open/close object, open/close array,
// name-value pair, array element) and a Writer accepts the same operations
// and produces a document. Command processing and the document-to-packet
// conversion are written once against these classes; one adapter per
// format (JSON, XML) implements them over that format's reader or writer.
//
// The same token stream in both formats (a command object Cmd holding the
// value Texto = Hola and the list Lista of a and b):
//
//   tokens                   JSON                          XML
//   OPEN_OBJECT Cmd          {"Cmd": {                     <Cmd>
//   NAME_VALUE Texto=Hola      "Texto": "Hola",              <Texto>Hola</Texto>
//   OPEN_ARRAY Lista           "Lista": [                    <Lista type="list">
//   ARRAY_ELEMENT Lista=a        "a",                          <Lista>a</Lista>
//   ARRAY_ELEMENT Lista=b        "b"                           <Lista>b</Lista>
//   CLOSE_ARRAY Lista          ]                             </Lista>
//   CLOSE_OBJECT Cmd         }}                            </Cmd>
//
// An object inside a JSON array carries its name in a first member named
// "class" (JSON_OBJECT_NAME); an XML element is an array when its first
// attribute is type="list" (XML_TAG_TYPE, XML_ARRAY_TYPE).
//
// Limits: names hold at most MAX_NAME characters and values MAX_VALUE; the
// format readers refuse longer ones with a syntax error rather than cut
// them. Documents nest at most MAX_NESTING containers deep; the format
// readers refuse deeper ones.
//
// Failures are recorded in the calling thread's error record (VXB::Error)
// and the operation returns false. The end of the input inside a document
// is IO_EOF_REACHED; the format readers' syntax errors pass through.
//
// Thread safety: a reader or writer object is used by one thread at a time,
// one document at a time.
#ifndef VXB_COMMON_GENERIC_DATA_FORMAT_H_
#define VXB_COMMON_GENERIC_DATA_FORMAT_H_

#include <memory>
#include <string_view>

#include "vxb/common/base/fixed.h"
#include "vxb/common/base/types.h"
#include "vxb/common/text/charset.h"

namespace VXB::Driver {
class EncodedCharReader;
class EncodedStringWriter;
}  // namespace VXB::Driver

namespace VXB::GenericDataFormat {

inline constexpr unsigned MAX_NAME = 100;
inline constexpr unsigned MAX_VALUE = 2048;
// Containers a document may nest; a reader refuses level MAX_NESTING + 1.
inline constexpr unsigned MAX_NESTING = 30;

// The JSON member that carries the name of an object inside an array.
inline constexpr const char* JSON_OBJECT_NAME = "class";
// The XML attribute, and its value, that make an element an array.
inline constexpr const char* XML_TAG_TYPE = "type";
inline constexpr const char* XML_ARRAY_TYPE = "list";

// One unit of a document. Name and Value are always zero-terminated; Value
// is empty for the open and close tokens.
struct Token {
  enum Types : unsigned {
    OPEN_OBJECT = 0,
    CLOSE_OBJECT = 1,
    OPEN_ARRAY = 2,
    CLOSE_ARRAY = 3,
    NAME_VALUE = 4,
    ARRAY_ELEMENT = 5,
  };

  // Both texts start empty (without clearing the whole buffers).
  Token() {
    Name[0] = 0;
    Value[0] = 0;
  }

  Types Type = OPEN_OBJECT;
  char Name[MAX_NAME + 1];
  char Value[MAX_VALUE + 1];

  // Copy the text; false (and the field left empty) when it is longer than
  // the field holds. Nothing is ever cut.
  bool SetName(std::string_view s);
  bool SetValue(std::string_view s);
  // Type, name and value at once; false when a text does not fit.
  bool Set(Types t, std::string_view name, std::string_view value = {});
};

// "OPEN_OBJECT", "CLOSE_OBJECT", ...; "UNKNOWN" for other values.
const char* ToString(Token::Types t);

// What readers and writers have in common.
class Common {
 public:
  virtual ~Common() = default;

  // The format's name: "JSON" or "XML".
  virtual const char* ToString() const = 0;
  // Reader: the character set the input is read in. Writer: the set the
  // output is written in.
  virtual ASCII::Charsets GetEncoding() const = 0;
  virtual void SetEncoding(ASCII::Charsets c) = 0;
  // Forgets the current document; call before each document.
  virtual void Reset() = 0;
};

// Delivers a document as tokens. Adapters implement DoGetToken; GetToken
// and PeekToken add one token of look-ahead on top of it.
class Reader : public Common {
 public:
  Reader();
  ~Reader() override;

  // The next token. False at the end of the document or on an error, which
  // is recorded (IO_EOF_REACHED at the end of the input, the format's own
  // number for a syntax error).
  virtual bool GetToken(Token& t);
  // The next token without consuming it; the following GetToken or
  // PeekToken delivers it again.
  virtual bool PeekToken(Token& t);
  // The character reader the document is read from.
  virtual Driver::EncodedCharReader* GetDriver() const = 0;

  // Forgets a peeked token. Adapters that override Reset call this too.
  void Reset() override;

 protected:
  // The format-specific reading of the next token.
  virtual bool DoGetToken(Token& t) = 0;

 private:
  bool is_token_peeked_ = false;
  std::unique_ptr<Token> token_peeked_;  // created at the first peek
};

// Produces a document from the token operations. Each operation returns
// false when the output could not be written (the document is then
// incomplete) or the call does not fit the open containers.
//
// The integer and decimal overloads of NameValue format the number and hand
// its text to NameNumber, so an adapter implements the number layout of its
// format once (adapters overriding some NameValue overloads add
// "using Writer::NameValue;" to keep the others visible). Integers are
// written in decimal; an unsigned 32-bit or
// 64-bit value with all bits set is "no value" and its text is "-"; the
// decimal types drop trailing zeros and an invalid number's text is "-".
class Writer : public Common {
 public:
  // Sets whether the output is written without line feeds and indentation;
  // returns the previous setting.
  virtual bool SetWhitespaceCompression(bool b) = 0;
  // The string writer the document is written to.
  virtual Driver::EncodedStringWriter* GetDriver() const = 0;

  virtual bool OpenObject(const char* Name) = 0;
  // A text value; Value null is "no value" (JSON null, an empty element in
  // XML).
  virtual bool NameValue(const char* Name, const char* Value) = 0;
  virtual bool NameValue(const char* Name, Types::uint64 Value);
  virtual bool NameValue(const char* Name, Types::uint32 Value);
  virtual bool NameValue(const char* Name, Types::uint16 Value);
  virtual bool NameValue(const char* Name, Types::uint8 Value);
  virtual bool NameValue(const char* Name, Types::int64 Value);
  virtual bool NameValue(const char* Name, Types::int32 Value);
  virtual bool NameValue(const char* Name, std::int16_t Value);
  virtual bool NameValue(const char* Name, std::int8_t Value);
  virtual bool NameValue(const char* Name, const Types::fixed& Value);
  virtual bool NameValue(const char* Name, const Types::big_number& Value);
  virtual bool NameValue(const char* Name, const Types::huge_number& Value);
  virtual bool NameValue(const char* Name, bool Value) = 0;
  virtual bool CloseObject() = 0;
  virtual bool OpenArray(const char* Name) = 0;
  virtual bool ArrayElement(const char* Value) = 0;
  virtual bool CloseArray() = 0;

 protected:
  // A member holding the number whose decimal text is Text ("-" for no
  // value or an invalid number).
  virtual bool NameNumber(const char* Name, const char* Text) = 0;
};

}  // namespace VXB::GenericDataFormat

#endif  // VXB_COMMON_GENERIC_DATA_FORMAT_H_
