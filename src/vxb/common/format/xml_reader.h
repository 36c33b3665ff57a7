// A small XML pull parser. It reads a document one character at a time
// from an encoded character reader and delivers one token at a time: an
// open tag with its attributes, a text, a close tag, or an empty-element
// tag. It understands a UTF-8 byte-order mark, the XML declaration and its
// encoding, comments, a document type declaration (skipped), attributes in
// single or double quotes, entities in text and attribute values (an
// entity that does not decode stays as written) and CDATA sections (their
// characters are text as written, entities and markup included). It keeps no tree, only the
// number of open elements, and uses one fixed buffer: nothing is allocated
// per token.
//
// Text. Text with any character other than white space is delivered whole,
// its white space included. White space alone is layout and is dropped,
// except when it is the whole content of an element and is made of blanks
// only (<T> </T> gives " "); white space written as a character reference
// is always text, and so is any CDATA section, which joins the text around
// it. Text on both sides of a comment comes as two text tokens. Control characters in text are
// delivered as they are: deciding whether a value may hold them is up to the caller.
//
// Limits, each refused with an error rather than cut: names of more than
// MAX_NAME_LEN characters (XML_INVALID_IDENTIFIER), text of more than
// MAX_BUFFER characters (XML_INVALID_CHAR), a tag whose name and attributes
// do not fit MAX_BUFFER (XML_ATTRIBUTE_OVERFLOW), more than MAX_ATTRS
// attributes (XML_ATTRIBUTE_OVERFLOW), an element nested deeper than
// MAX_NESTING (XML_TOKEN_MISMATCH).
//
// Input character set. Every document starts in UTF-8 unless the caller
// names a set with SetEncoding for it (before or after Reset). A UTF-8
// byte-order mark takes precedence over everything; a set named with
// SetEncoding (the HTTP request's charset) over the declaration's
// encoding, which is then not consulted, as HTTP has it; otherwise the
// declaration's encoding is used. The set does not carry over to the next
// document. An encoding the reader cannot read is refused
// (XML_BAD_ENCODING). The declaration is accepted only once, before the
// first element.
//
// Failures are recorded in the calling thread's error record; the end of
// the input is XML_EOF. After a failure the document is abandoned: every
// further read repeats the failure until Reset().
//
// Thread safety: one thread uses a reader at a time.
#ifndef VXB_COMMON_XML_READER_H_
#define VXB_COMMON_XML_READER_H_

#include <memory>

#include "vxb/common/format/xml_common.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"

namespace VXB::Driver {
class EncodedCharReader;
class Generic;
}  // namespace VXB::Driver

namespace VXB::XML {

class Reader {
 public:
  static constexpr unsigned MAX_ATTRS = 50;
  static constexpr unsigned MAX_BUFFER = 2048;

  enum States : unsigned {
    BASE_STATE = 0,
    IN_TAG = 1,
    IN_TAG_NAME = 2,
    AFTER_TAG_NAME = 3,
    IN_CLOSE_TAG = 4,
    IN_CLOSE_TAG_NAME = 5,
    AFTER_CLOSE_TAG_NAME = 6,
    IN_ATTR_NAME = 7,
    IN_ATTR_VALUE_APOS = 8,
    IN_ATTR_VALUE_QUOT = 9,
    ATTR_END = 10,
    HEAD_END = 11,
    COMMENT_BEGIN_1 = 12,
    COMMENT_BEGIN_2 = 13,
    IN_COMMENT = 14,
    COMMENT_END_1 = 15,
    COMMENT_END_2 = 16,
    HEAD_START_1 = 17,
    HEAD_START_2 = 18,
    HEAD_START_3 = 19,
    IN_HEAD = 20,
    AFTER_SLASH = 21,
    AFTER_ATTR_NAME = 22,
    AFTER_ATTR_NAME_2 = 23,
    IN_DOC_TYPE = 24,
    CDATA_BEGIN = 25,
    IN_CDATA = 26,
    CDATA_END_1 = 27,
    CDATA_END_2 = 28,
  };

  struct Token {
    XML_TOKEN Type = XMLNONE;
    // The text, or the tag name.
    char Value[MAX_TEXT + 1] = {};
    // Open tags: the attribute list (valid until the next token is
    // parsed); null otherwise.
    const Attribute* Attributes = nullptr;
  };

  // Reads from r (not owned). A CharsetFrom of NO_CHARSET becomes UTF8;
  // the entity mode becomes XML_ENTITIES.
  explicit Reader(Driver::EncodedCharReader* r);
  // Reads from g (not owned) through a character reader of its own.
  explicit Reader(Driver::Generic* g);
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  virtual ~Reader();

  // Starts a new document: no open element, nothing read ahead, the
  // character reader reset, the input set back to UTF8 (or to the set
  // named with SetEncoding since the previous Reset).
  void Reset();
  // The set the input is read in (after a declaration, the declared one).
  ASCII::Charsets GetEncoding() const;
  // Names the input set of the current or next document. NO_CHARSET (an
  // unknown name) counts as none: UTF8.
  void SetEncoding(ASCII::Charsets c);
  Driver::EncodedCharReader* GetDriver() const { return r_; }

  // The next token. An empty-element tag comes as XMLOPEN followed by its
  // XMLCLOSE at the next call.
  bool GetToken(Token& t);

  // Pull interface. Texts returned point into the reader's buffers and are
  // valid until the next call. A token of the wrong kind is reported and
  // stays current, so that another operation can be tried.
  //
  // True when an open or empty-element tag follows (XML_NO_OPEN_TAG "IsTag"
  // otherwise).
  bool IsTag();
  bool PeekTag(const char*& Name, const Attribute*& Attrs);
  // Consumes an open or empty-element tag (the latter leaves its close tag
  // current). XML_TOKEN_MISMATCH "%s esperando apertura" otherwise.
  bool GetOpenTag(const char*& Name, const Attribute*& Attrs);
  // XML_TOKEN_MISMATCH "%s esperando cierre" / "%s esperando texto".
  bool GetCloseTag(const char*& Name);
  bool GetText(const char*& Text);
  // The next element that holds only text (elements holding elements are
  // skipped whole): its name and text ("" when it has none). A close tag
  // that does not match gives XML_TAG_MISMATCH.
  bool GetField(const char*& FieldName, const char*& Value);

 private:
  // Parses the next token into the buffers.
  bool Parse(XML_TOKEN& t);
  // One character of the machine, by the group its state belongs to. Each
  // returns false on a failure and sets t when the character ends a token.
  bool Consume(char c, XML_TOKEN& t);
  bool InText(char c, XML_TOKEN& t);
  bool TextBeforeMarkup(XML_TOKEN& t);
  bool InTagStart(char c);
  bool InTagName(char c, XML_TOKEN& t);
  bool OpenTagEnds(XML_TOKEN& t);
  bool BetweenAttributes(char c, XML_TOKEN& t);
  bool InAttribute(char c);
  bool AfterSlash(char c, XML_TOKEN& t);
  bool InCloseTag(char c, XML_TOKEN& t);
  bool InDeclaration(char c);
  bool InComment(char c);
  bool InCData(char c);
  bool ParseNext();
  bool ReadChar(char& c);
  bool ReadBOM();
  // Reads the character of an entity after '&' when one decodes.
  void ResolveEntity(char& c, bool& decoded);
  bool Put(char c);
  // Appends c to the text (XML_INVALID_CHAR past MAX_BUFFER).
  bool PutText(char c);
  bool PutNameChar(char c);
  bool EndPiece();
  bool EndAttributes();
  bool EndDeclaration();
  void ClearBuffer();
  bool CheckNesting();

  Driver::EncodedCharReader* r_;
  std::unique_ptr<Driver::EncodedCharReader> own_reader_;

  States state_ = BASE_STATE;
  unsigned tag_count_ = 0;
  bool in_header_ = false;
  XML_TOKEN cur_token_ = XMLNONE;
  // Kind of the last token parsed (for telling layout from content).
  XML_TOKEN last_parsed_ = XMLNONE;
  bool at_start_ = true;
  bool element_seen_ = false;
  bool declaration_seen_ = false;
  ASCII::Charsets named_charset_ = ASCII::NO_CHARSET;
  // A set was named with SetEncoding for the document being read.
  bool charset_named_ = false;
  bool has_pending_char_ = false;
  char pending_char_ = 0;
  // Set by a parse failure, which every later parse repeats until Reset.
  bool failed_ = false;
  VXB::Error::ErrInfo failure_;

  // Text: characters and whether all of them are layout white space.
  // Tags: name, attribute names and values, each zero-terminated.
  char text_[MAX_BUFFER + 1] = {};
  unsigned text_len_ = 0;
  unsigned piece_start_ = 0;
  bool text_all_space_ = true;
  bool text_all_blank_ = true;
  // Characters of "[CDATA[" matched so far after "<!".
  unsigned cdata_matched_ = 0;
  Attribute attrs_[MAX_ATTRS + 1];
  unsigned n_attrs_ = 0;

  std::unique_ptr<char[]> field_name_;
  std::unique_ptr<char[]> field_text_;
};

}  // namespace VXB::XML

#endif  // VXB_COMMON_XML_READER_H_
