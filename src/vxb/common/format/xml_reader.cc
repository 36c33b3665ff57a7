// XML pull parser over an encoded character reader.
#include "vxb/common/format/xml_reader.h"

#include <cstring>

#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/runtime/error.h"

namespace VXB::XML {

namespace {

// Context of the end of the input and of a close tag with nothing open.
constexpr const char* kParseContext = "bool VXB::XML::Reader::Parse(VXB::XML::XML_TOKEN&)";

unsigned Code(char c) { return static_cast<unsigned char>(c); }

bool InvalidChar(const char* Format, char c) {
  return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_CHAR, Format, Code(c));
}

}  // namespace

Reader::Reader(Driver::EncodedCharReader* r) : r_(r) {
  if (r_->GetCharsetFrom() != ASCII::NO_CHARSET) named_charset_ = r_->GetCharsetFrom();
  r_->SetEntities(ASCII::XML_ENTITIES);
  Reset();
}

Reader::Reader(Driver::Generic* g)
    : r_(nullptr),
      own_reader_(std::make_unique<Driver::EncodedCharReaderFromGeneric>(
          g, ASCII::NO_CHARSET, ASCII::CP437, ASCII::XML_ENTITIES)) {
  r_ = own_reader_.get();
  Reset();
}

Reader::~Reader() = default;

void Reader::Reset() {
  state_ = BASE_STATE;
  tag_count_ = 0;
  in_header_ = false;
  cur_token_ = XMLNONE;
  last_parsed_ = XMLNONE;
  at_start_ = true;
  element_seen_ = false;
  declaration_seen_ = false;
  has_pending_char_ = false;
  failed_ = false;
  ClearBuffer();
  r_->Reset();
  r_->SetCharsetFrom(named_charset_ != ASCII::NO_CHARSET ? named_charset_ : ASCII::UTF8);
  charset_named_ = named_charset_ != ASCII::NO_CHARSET;
  named_charset_ = ASCII::NO_CHARSET;
}

ASCII::Charsets Reader::GetEncoding() const { return r_->GetCharsetFrom(); }

void Reader::SetEncoding(ASCII::Charsets c) {
  named_charset_ = c;
  charset_named_ = c != ASCII::NO_CHARSET;
  r_->SetCharsetFrom(c != ASCII::NO_CHARSET ? c : ASCII::UTF8);
}

void Reader::ClearBuffer() {
  text_len_ = 0;
  piece_start_ = 0;
  text_[0] = 0;
  text_all_space_ = true;
  text_all_blank_ = true;
  n_attrs_ = 0;
  attrs_[0] = Attribute();
}

bool Reader::PutText(char c) {
  if (text_len_ >= MAX_BUFFER) {
    return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_CHAR,
                                      "Texto de m\xA0s de %u caracteres", MAX_BUFFER);
  }
  text_[text_len_++] = c;
  return true;
}

bool Reader::ReadChar(char& c) {
  if (has_pending_char_) {
    has_pending_char_ = false;
    c = pending_char_;
    return true;
  }
  if (r_->GetChar(c)) return true;
  return VXB::Error::SetWithContext(VXB::Error::XML_EOF, "%s", kParseContext);
}

bool Reader::ReadBOM() {
  const ASCII::Charsets previous = r_->GetCharsetFrom();
  r_->SetCharsetFrom(ASCII::NO_CHARSET);
  char b = 0;
  if (!r_->GetChar(b)) {
    r_->SetCharsetFrom(previous);
    return VXB::Error::SetWithContext(VXB::Error::XML_EOF, "Leyendo BOM");
  }
  const unsigned u = Code(b);
  if (u == 0xEF || u == 0xFE || u == 0xFF || u == 0) {
    char b2 = 0;
    char b3 = 0;
    const bool ok = r_->GetChar(b2) && Code(b2) == 0xBB && r_->GetChar(b3) && Code(b3) == 0xBF;
    if (!ok) {
      r_->SetCharsetFrom(previous);
      return VXB::Error::SetWithContext(VXB::Error::XML_BAD_ENCODING, "BOM no soportado");
    }
    r_->SetCharsetFrom(ASCII::UTF8);
    return true;
  }
  // Not a byte-order mark: the byte is the first character. Only ASCII can
  // start a document, and ASCII reads the same in every set.
  r_->SetCharsetFrom(previous);
  has_pending_char_ = true;
  pending_char_ = b;
  return true;
}

void Reader::ResolveEntity(char& c, bool& decoded) {
  decoded = false;
  char x = 0;
  if (r_->GetEntity(x)) {
    c = x;
    decoded = true;
  }
}

bool Reader::Put(char c) {
  if (text_len_ >= sizeof(text_)) {
    return VXB::Error::SetWithContext(VXB::Error::XML_ATTRIBUTE_OVERFLOW,
                                      "Tag de m\xA0s de %u caracteres", MAX_BUFFER);
  }
  text_[text_len_++] = c;
  return true;
}

bool Reader::PutNameChar(char c) {
  if (text_len_ - piece_start_ >= MAX_NAME_LEN) {
    text_[text_len_] = 0;
    return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_IDENTIFIER,
                                      "Nombre de m\xA0s de %u caracteres: %.40s...", MAX_NAME_LEN,
                                      text_ + piece_start_);
  }
  return Put(c);
}

bool Reader::EndPiece() {
  if (!Put(0)) return false;
  piece_start_ = text_len_;
  return true;
}

bool Reader::EndAttributes() {
  attrs_[n_attrs_] = Attribute();
  return true;
}

bool Reader::CheckNesting() {
  if (tag_count_ < MAX_NESTING) return true;
  return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH,
                                    "M\xA0s de %u elementos anidados", MAX_NESTING);
}

bool Reader::EndDeclaration() {
  for (unsigned i = 0; i < n_attrs_ && !charset_named_; ++i) {
    if (std::strcmp(attrs_[i].Name, "encoding") != 0) continue;
    ASCII::Charsets c = ASCII::NO_CHARSET;
    if (!ASCII::FromString(attrs_[i].Value, c)) {
      return VXB::Error::SetWithContext(VXB::Error::XML_BAD_ENCODING, "%s", attrs_[i].Value);
    }
    r_->SetCharsetFrom(c);
  }
  declaration_seen_ = true;
  return true;
}

// The machine reads one character at a time; each group of states below has a
// function of its own, so that one kind of markup can be read (and changed)
// without the others. A function returns false on a failure (recorded) and
// sets t when the character completes a token.
bool Reader::Parse(XML_TOKEN& t) {
  ClearBuffer();
  if (at_start_) {
    at_start_ = false;
    if (!ReadBOM()) return false;
  }
  t = XMLNONE;
  while (t == XMLNONE) {
    char c = 0;
    if (!ReadChar(c) || !Consume(c, t)) return false;
  }
  return true;
}

bool Reader::Consume(char c, XML_TOKEN& t) {
  switch (state_) {
    case BASE_STATE:
      return InText(c, t);
    case IN_TAG:
      return InTagStart(c);
    case IN_TAG_NAME:
      return InTagName(c, t);
    case AFTER_TAG_NAME:
    case ATTR_END:
      return BetweenAttributes(c, t);
    case IN_ATTR_NAME:
    case AFTER_ATTR_NAME:
    case AFTER_ATTR_NAME_2:
    case IN_ATTR_VALUE_APOS:
    case IN_ATTR_VALUE_QUOT:
      return InAttribute(c);
    case AFTER_SLASH:
      return AfterSlash(c, t);
    case IN_CLOSE_TAG:
    case IN_CLOSE_TAG_NAME:
    case AFTER_CLOSE_TAG_NAME:
      return InCloseTag(c, t);
    case HEAD_START_1:
    case HEAD_START_2:
    case HEAD_START_3:
    case IN_HEAD:
    case HEAD_END:
      return InDeclaration(c);
    case COMMENT_BEGIN_1:
    case COMMENT_BEGIN_2:
    case IN_COMMENT:
    case COMMENT_END_1:
    case COMMENT_END_2:
    case IN_DOC_TYPE:
      return InComment(c);
    case CDATA_BEGIN:
    case IN_CDATA:
    case CDATA_END_1:
    case CDATA_END_2:
      return InCData(c);
  }
  return true;
}

// Between tags: text, or layout outside the root element.
bool Reader::InText(char c, XML_TOKEN& t) {
  if (c == '<') {
    if (text_len_ > 0) return TextBeforeMarkup(t);
    state_ = IN_TAG;
    return true;
  }
  if (tag_count_ == 0) {
    if (IsWhitespace(c)) return true;
    return VXB::Error::SetWithContext(VXB::Error::XML_UNEXPECTED_TEXT, "ASCII %xh", Code(c));
  }
  bool decoded = false;
  if (c == '&') ResolveEntity(c, decoded);
  if (decoded || !IsWhitespace(c)) text_all_space_ = false;
  if (decoded || c != ' ') text_all_blank_ = false;
  return PutText(c);
}

// A '<' after some text: one or two characters more tell whether the text
// ends here (a tag, a comment) or goes on (a CDATA section), and whether
// blanks alone are a value or layout.
bool Reader::TextBeforeMarkup(XML_TOKEN& t) {
  char next = 0;
  if (!ReadChar(next)) return false;
  if (next == '!') {
    char after = 0;
    if (!ReadChar(after)) return false;
    if (after == '[') {
      // A CDATA section goes on with the same text.
      cdata_matched_ = 1;
      state_ = CDATA_BEGIN;
      return true;
    }
    // A comment or a declaration: the text so far is a piece.
    has_pending_char_ = true;
    pending_char_ = after;
    state_ = COMMENT_BEGIN_1;
    if (!text_all_space_) {
      text_[text_len_] = 0;
      last_parsed_ = t = XMLTEXT;
      return true;
    }
    ClearBuffer();
    return true;
  }
  // Blanks alone are a value when they are the whole content of
  // an element: the open tag came last and its close tag follows.
  if (!text_all_space_ || (text_all_blank_ && last_parsed_ == XMLOPEN && next == '/')) {
    if (next == '/') {
      state_ = IN_CLOSE_TAG;
    } else {
      state_ = IN_TAG;
      has_pending_char_ = true;
      pending_char_ = next;
    }
    text_[text_len_] = 0;
    last_parsed_ = t = XMLTEXT;
    return true;
  }
  has_pending_char_ = true;
  pending_char_ = next;
  ClearBuffer();
  state_ = IN_TAG;
  return true;
}

// The character after '<'.
bool Reader::InTagStart(char c) {
  if (c == '?') {
    if (element_seen_ || declaration_seen_) return InvalidChar("En encabezado: %x", c);
    state_ = HEAD_START_1;
    return true;
  }
  if (c == '!') {
    state_ = COMMENT_BEGIN_1;
    return true;
  }
  if (c == '/') {
    state_ = IN_CLOSE_TAG;
    return true;
  }
  bool decoded = false;
  if (c == '&') ResolveEntity(c, decoded);
  if (!IsNameStartChar(c)) return InvalidChar("En nombre de tag: %x", c);
  if (!CheckNesting() || !PutNameChar(c)) return false;
  state_ = IN_TAG_NAME;
  return true;
}

bool Reader::InTagName(char c, XML_TOKEN& t) {
  if (c == '?')
    return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_CHAR, "? fuera de encabezado");
  if (c == '/' || c == '>' || IsWhitespace(c)) {
    if (!EndPiece()) return false;
    if (c == '/') {
      state_ = AFTER_SLASH;
      return true;
    }
    if (IsWhitespace(c)) {
      state_ = AFTER_TAG_NAME;
      return true;
    }
    return OpenTagEnds(t);
  }
  bool decoded = false;
  if (c == '&') ResolveEntity(c, decoded);
  if (!IsNameChar(c)) return InvalidChar("En nombre de tag: %x", c);
  return PutNameChar(c);
}

// The '>' of an open tag: the tag is delivered and its element is open.
bool Reader::OpenTagEnds(XML_TOKEN& t) {
  EndAttributes();
  ++tag_count_;
  element_seen_ = true;
  state_ = BASE_STATE;
  last_parsed_ = t = XMLOPEN;
  return true;
}

// After a tag's name or an attribute's value, in a tag or in the XML
// declaration (whose attributes are read like a tag's).
bool Reader::BetweenAttributes(char c, XML_TOKEN& t) {
  if (c == '?') {
    if (!in_header_)
      return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_CHAR, "? fuera de encabezado");
    in_header_ = false;
    state_ = HEAD_END;
    return true;
  }
  if (IsWhitespace(c)) {
    state_ = AFTER_TAG_NAME;
    return true;
  }
  if (c == '/' || c == '>') {
    if (in_header_) return InvalidChar("En encabezado: %x", c);
    if (c == '/') {
      state_ = AFTER_SLASH;
      return true;
    }
    return OpenTagEnds(t);
  }
  if (state_ == ATTR_END) return InvalidChar("Despu\x82s de atributo: %x", c);
  bool decoded = false;
  if (c == '&') ResolveEntity(c, decoded);
  if (!IsNameStartChar(c)) return InvalidChar("En atributo: ASCII %xh", c);
  if (n_attrs_ >= MAX_ATTRS) {
    return VXB::Error::SetWithContext(VXB::Error::XML_ATTRIBUTE_OVERFLOW, "M\xA0ximo: %u",
                                      MAX_ATTRS);
  }
  piece_start_ = text_len_;
  attrs_[n_attrs_].Name = text_ + text_len_;
  if (!PutNameChar(c)) return false;
  state_ = IN_ATTR_NAME;
  return true;
}

// An attribute's name, its '=' and its quoted value.
bool Reader::InAttribute(char c) {
  bool decoded = false;
  switch (state_) {
    case IN_ATTR_NAME:
      if (IsWhitespace(c) || c == '=') {
        if (!EndPiece()) return false;
        state_ = c == '=' ? AFTER_ATTR_NAME_2 : AFTER_ATTR_NAME;
        return true;
      }
      if (c == '&') ResolveEntity(c, decoded);
      if (!IsNameChar(c)) return InvalidChar("En atributo: %x", c);
      return PutNameChar(c);

    case AFTER_ATTR_NAME:
      if (IsWhitespace(c)) return true;
      if (c != '=') return InvalidChar("En atributo: %x", c);
      state_ = AFTER_ATTR_NAME_2;
      return true;

    case AFTER_ATTR_NAME_2:
      if (IsWhitespace(c)) return true;
      if (c != '\'' && c != '"') return InvalidChar("En atributo: %x", c);
      state_ = c == '\'' ? IN_ATTR_VALUE_APOS : IN_ATTR_VALUE_QUOT;
      attrs_[n_attrs_].Value = text_ + text_len_;
      return true;

    default:  // IN_ATTR_VALUE_APOS, IN_ATTR_VALUE_QUOT
      if (c == (state_ == IN_ATTR_VALUE_APOS ? '\'' : '"')) {
        if (!EndPiece()) return false;
        ++n_attrs_;
        attrs_[n_attrs_] = Attribute();
        state_ = ATTR_END;
        return true;
      }
      if (c == '&') ResolveEntity(c, decoded);
      return Put(c);
  }
}

// The '>' of an empty-element tag: its element opens and closes at once.
bool Reader::AfterSlash(char c, XML_TOKEN& t) {
  if (c != '>') return InvalidChar("En cierre de tag: %x", c);
  EndAttributes();
  element_seen_ = true;
  state_ = BASE_STATE;
  last_parsed_ = t = XMLEMPTY;
  return true;
}

// After "</": the name, blanks, and the '>'.
bool Reader::InCloseTag(char c, XML_TOKEN& t) {
  bool decoded = false;
  if (state_ == IN_CLOSE_TAG) {
    if (tag_count_ == 0) {
      return VXB::Error::SetWithContext(VXB::Error::XML_TAG_UNDERFLOW, "%s", kParseContext);
    }
    if (c == '&') ResolveEntity(c, decoded);
    if (!IsNameStartChar(c)) return InvalidChar("En nombre de tag: %x", c);
    if (!PutNameChar(c)) return false;
    state_ = IN_CLOSE_TAG_NAME;
    return true;
  }
  if (c == '>') {
    if (state_ == IN_CLOSE_TAG_NAME && !EndPiece()) return false;
    --tag_count_;
    state_ = BASE_STATE;
    last_parsed_ = t = XMLCLOSE;
    return true;
  }
  if (IsWhitespace(c)) {
    if (state_ == IN_CLOSE_TAG_NAME && !EndPiece()) return false;
    state_ = AFTER_CLOSE_TAG_NAME;
    return true;
  }
  if (state_ == AFTER_CLOSE_TAG_NAME) return InvalidChar("En cierre de tag: %x", c);
  if (c == '&') ResolveEntity(c, decoded);
  if (!IsNameChar(c)) return InvalidChar("En nombre de tag: %x", c);
  return PutNameChar(c);
}

// "<?xml", then the declaration's attributes (read as a tag's), then "?>".
bool Reader::InDeclaration(char c) {
  switch (state_) {
    case HEAD_START_1:
    case HEAD_START_2:
    case HEAD_START_3: {
      const char expected = state_ == HEAD_START_1 ? 'x' : state_ == HEAD_START_2 ? 'm' : 'l';
      if (c != expected) return InvalidChar("En encabezado: %x", c);
      if (state_ == HEAD_START_1) in_header_ = true;
      state_ = state_ == HEAD_START_1   ? HEAD_START_2
               : state_ == HEAD_START_2 ? HEAD_START_3
                                        : IN_HEAD;
      return true;
    }

    case IN_HEAD:
      if (!IsWhitespace(c)) return InvalidChar("En encabezado: %x", c);
      state_ = AFTER_TAG_NAME;
      return true;

    default:  // HEAD_END
      if (c != '>') return InvalidChar("En cierre de encabezado: %x", c);
      EndAttributes();
      if (!EndDeclaration()) return false;
      ClearBuffer();
      state_ = BASE_STATE;
      return true;
  }
}

// "<!": a comment, skipped up to "-->", or a document type declaration,
// skipped up to the first '>'.
bool Reader::InComment(char c) {
  switch (state_) {
    case COMMENT_BEGIN_1:
      if (c == 'D') {
        state_ = IN_DOC_TYPE;
      } else if (c == '-') {
        state_ = COMMENT_BEGIN_2;
      } else if (c == '[') {
        cdata_matched_ = 1;
        state_ = CDATA_BEGIN;
      } else {
        return InvalidChar("En comentario: %x", c);
      }
      return true;

    case COMMENT_BEGIN_2:
      if (c != '-') return InvalidChar("En comentario: %x", c);
      state_ = IN_COMMENT;
      return true;

    case IN_COMMENT:
      if (c == '-') state_ = COMMENT_END_1;
      return true;

    case COMMENT_END_1:
      state_ = c == '-' ? COMMENT_END_2 : IN_COMMENT;
      return true;

    case COMMENT_END_2:
      if (c == '>') {
        ClearBuffer();
        state_ = BASE_STATE;
      } else {
        state_ = IN_COMMENT;
      }
      return true;

    default:  // IN_DOC_TYPE
      if (c == '>') {
        ClearBuffer();
        state_ = BASE_STATE;
      }
      return true;
  }
}

// <![CDATA[ ... ]]>: only inside an element; its characters are text as
// written, and never layout.
bool Reader::InCData(char c) {
  switch (state_) {
    case CDATA_BEGIN: {
      static constexpr char kOpen[] = "[CDATA[";
      if (c != kOpen[cdata_matched_]) return InvalidChar("En CDATA: %x", c);
      if (++cdata_matched_ == sizeof(kOpen) - 1) {
        if (tag_count_ == 0) return InvalidChar("CDATA fuera de elemento: %x", c);
        text_all_space_ = false;
        text_all_blank_ = false;
        state_ = IN_CDATA;
      }
      return true;
    }

    case IN_CDATA:
      if (c == ']') {
        state_ = CDATA_END_1;
        return true;
      }
      return PutText(c);

    case CDATA_END_1:
      if (c == ']') {
        state_ = CDATA_END_2;
        return true;
      }
      if (!PutText(']') || !PutText(c)) return false;
      state_ = IN_CDATA;
      return true;

    default:  // CDATA_END_2
      if (c == '>') {
        state_ = BASE_STATE;  // the text goes on until the next markup
      } else if (c == ']') {
        if (!PutText(']')) return false;
      } else {
        if (!PutText(']') || !PutText(']') || !PutText(c)) return false;
        state_ = IN_CDATA;
      }
      return true;
  }
}

bool Reader::ParseNext() {
  if (cur_token_ != XMLNONE) return true;
  // A document that failed stays failed: parsing on from a broken state
  // would deliver tokens that were never written.
  if (failed_) return VXB::Error::Set(failure_);
  XML_TOKEN t = XMLNONE;
  if (!Parse(t)) {
    failed_ = true;
    failure_ = VXB::Error::GetCurrent();
    return false;
  }
  cur_token_ = t;
  return true;
}

bool Reader::GetToken(Token& t) {
  if (!ParseNext()) return false;
  t.Type = cur_token_;
  const std::size_t n = cur_token_ == XMLTEXT ? text_len_ : ::strnlen(text_, sizeof(text_) - 1);
  std::memcpy(t.Value, text_, n);
  t.Value[n] = 0;
  t.Attributes = (cur_token_ == XMLOPEN || cur_token_ == XMLEMPTY) ? attrs_ : nullptr;
  if (cur_token_ == XMLEMPTY) {
    t.Type = XMLOPEN;
    cur_token_ = XMLCLOSE;  // its close tag, with the same name, comes next
  } else {
    cur_token_ = XMLNONE;
  }
  return true;
}

bool Reader::IsTag() {
  if (!ParseNext()) return false;
  if (cur_token_ == XMLOPEN || cur_token_ == XMLEMPTY) return true;
  return VXB::Error::SetWithContext(VXB::Error::XML_NO_OPEN_TAG, "IsTag");
}

bool Reader::PeekTag(const char*& Name, const Attribute*& Attrs) {
  if (!ParseNext()) return false;
  if (cur_token_ != XMLOPEN && cur_token_ != XMLEMPTY) {
    return VXB::Error::SetWithContext(VXB::Error::XML_NO_OPEN_TAG, "PeekTag");
  }
  Name = text_;
  Attrs = attrs_;
  return true;
}

bool Reader::GetOpenTag(const char*& Name, const Attribute*& Attrs) {
  if (!ParseNext()) return false;
  if (cur_token_ != XMLOPEN && cur_token_ != XMLEMPTY) {
    return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, "%s esperando apertura",
                                      ToString(cur_token_));
  }
  Name = text_;
  Attrs = attrs_;
  cur_token_ = cur_token_ == XMLEMPTY ? XMLCLOSE : XMLNONE;
  return true;
}

bool Reader::GetCloseTag(const char*& Name) {
  if (!ParseNext()) return false;
  if (cur_token_ != XMLCLOSE) {
    return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, "%s esperando cierre",
                                      ToString(cur_token_));
  }
  Name = text_;
  cur_token_ = XMLNONE;
  return true;
}

bool Reader::GetText(const char*& Text) {
  if (!ParseNext()) return false;
  if (cur_token_ != XMLTEXT) {
    return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, "%s esperando texto",
                                      ToString(cur_token_));
  }
  Text = text_;
  cur_token_ = XMLNONE;
  return true;
}

bool Reader::GetField(const char*& FieldName, const char*& Value) {
  if (!field_name_) {
    field_name_ = std::make_unique<char[]>(MAX_NAME_LEN + 1);
    field_text_ = std::make_unique<char[]>(MAX_TEXT);
  }
  for (;;) {
    const char* name = nullptr;
    const Attribute* attrs = nullptr;
    if (!IsTag() || !GetOpenTag(name, attrs)) return false;
    const std::size_t name_length = ::strnlen(name, MAX_NAME_LEN);
    std::memcpy(field_name_.get(), name, name_length);
    field_name_[name_length] = 0;
    if (!ParseNext()) return false;
    if (cur_token_ == XMLOPEN || cur_token_ == XMLEMPTY) {
      // An element holding elements: skip it whole, iteratively.
      unsigned depth = 1;
      while (depth > 0) {
        if (!ParseNext()) return false;
        if (cur_token_ == XMLOPEN) ++depth;
        if (cur_token_ == XMLCLOSE) --depth;
        cur_token_ = XMLNONE;
      }
      continue;
    }
    field_text_[0] = 0;
    if (cur_token_ == XMLTEXT) {
      const std::size_t n = text_len_ < MAX_TEXT - 1 ? text_len_ : MAX_TEXT - 1;
      std::memcpy(field_text_.get(), text_, n);
      field_text_[n] = 0;
      cur_token_ = XMLNONE;
    }
    const char* close = nullptr;
    if (!GetCloseTag(close)) return false;
    if (std::strcmp(close, field_name_.get()) != 0) {
      return VXB::Error::SetWithContext(VXB::Error::XML_TAG_MISMATCH, "Tag: %s, se esperaba %s",
                                        close, field_name_.get());
    }
    FieldName = field_name_.get();
    Value = field_text_.get();
    return true;
  }
}

}  // namespace VXB::XML
