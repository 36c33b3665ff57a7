// Writes an XML document element by element into an encoded string writer:
// the XML declaration naming the output character set, open and close tags
// with attributes, empty-element tags and escaped text; indented with tabs,
// one element per line, or compact when whitespace compression is on. The
// writer remembers the names of the open elements, so Close() needs none.
//
// Layout: an element holding only text is one line (open tag, text, close
// tag); each child element goes on its own line one tab deeper than its
// parent; a parent's close tag returns to the parent's indentation. No line
// feed follows the last close tag.
//
// Every byte written is allowed in XML: text and attribute values are
// escaped (& < > " '), a control character becomes '?', a carriage return
// (and, in attribute values, a tab or line feed) is written as a character
// reference so that a parser reads it back unchanged. Names must be XML
// names of at most MAX_NAME_LEN characters (XML_INVALID_IDENTIFIER
// otherwise). Values are written whole, however long.
//
// The output set is UTF-8 or ISO-8859-1; a target set to CP437 or to no set
// is written, and declared, as ISO-8859-1, so that the declaration always
// names the set of the bytes.
//
// Failures return false and are recorded in the calling thread's error
// record. Operations refused because of their arguments (a bad name, an
// Open beyond MAX_OPEN elements, a Close with nothing open) write nothing.
//
// Thread safety: one thread uses a writer at a time.
#ifndef VXB_COMMON_XML_WRITER_H_
#define VXB_COMMON_XML_WRITER_H_

#include <cstdarg>
#include <memory>

#include "vxb/common/base/types.h"
#include "vxb/common/format/xml_common.h"
#include "vxb/common/text/charset.h"

namespace VXB::Driver {
class EncodedStringWriter;
class Generic;
}  // namespace VXB::Driver

namespace VXB::XML {

class Writer {
 public:
  static constexpr unsigned MAX_TAGS = 30;
  // Elements that may be open at once.
  static constexpr unsigned MAX_OPEN = MAX_TAGS - 1;
  static constexpr unsigned MAX_TABS = 30;

  // Writes to d (not owned; its character sets unchanged).
  explicit Writer(Driver::EncodedStringWriter* d);
  // Writes to g (not owned) through a string writer of its own, from CP437
  // to ISO-8859-1.
  explicit Writer(Driver::Generic* g);
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  virtual ~Writer();

  // Abandons an unfinished document: no open element, no indentation.
  void Reset();
  // Sets the compact layout; returns the previous setting.
  bool SetWhitespaceCompression(bool b);
  void SetBufferSize(unsigned n);
  ASCII::Charsets GetEncoding() const;
  // CP437 and NO_CHARSET are taken as LATIN1.
  void SetEncoding(ASCII::Charsets c);
  Driver::EncodedStringWriter* GetDriver() const { return target_; }

  // Opens an element; the first one of a document is preceded by the
  // declaration. False beyond MAX_OPEN open elements.
  bool Open(const char* TagName, const Attribute* Attributes = nullptr);
  // An empty-element tag (a whole document, declaration included, when no
  // element is open).
  bool Empty(const char* TagName, const Attribute* Attributes = nullptr);
  // Closes the innermost element; closing the outermost one flushes the
  // target. False (XML_TAG_UNDERFLOW) when none is open.
  bool Close();
  // printf-style text, escaped.
  bool Text(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool vText(const char* Format, va_list Args);
  // Markup given by the caller, written as it is (as text for the layout).
  bool InnerXML(const char* XMLText);
  // Open(Name), the value as text, Close().
  bool Field(const char* Name, const char* Value);

  unsigned OpenElements() const { return tag_; }

 private:
  bool CheckNames(const char* TagName, const Attribute* Attributes);
  bool Declaration();
  bool NewLine();
  bool PutTag(const char* TagName, const Attribute* Attributes, bool IsEmpty);
  bool PutText(const char* s);
  // Escapes s for text or an attribute value and writes it.
  bool PutEscaped(const char* s, bool InAttribute);
  bool PutMarkup(const char* s);

  bool whitespace_compression_ = false;
  Driver::EncodedStringWriter* target_;
  std::unique_ptr<Driver::EncodedStringWriter> own_target_;
  char tag_names_[MAX_TAGS][MAX_NAME_LEN + 1] = {};
  unsigned tab_ = 0;
  unsigned tag_ = 0;
  XML_TOKEN last_action_ = XMLNONE;
  std::unique_ptr<char[]> format_buffer_;
};

}  // namespace VXB::XML

#endif  // VXB_COMMON_XML_WRITER_H_
