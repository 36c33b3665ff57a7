// XML writer over an encoded string writer.
#include "vxb/common/format/xml_writer.h"

#include <cstdio>
#include <cstring>

#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/runtime/error.h"

namespace VXB::XML {

namespace {

constexpr unsigned kFormatBufferSize = 2048;

bool Underflow() {
  return VXB::Error::SetWithContext(VXB::Error::XML_TAG_UNDERFLOW, "XML::Writer::Close");
}

}  // namespace

Writer::Writer(Driver::EncodedStringWriter* d) : target_(d) {}

Writer::Writer(Driver::Generic* g)
    : target_(nullptr),
      own_target_(std::make_unique<Driver::EncodedStringWriterFromGeneric>(
          g, ASCII::CP437, ASCII::LATIN1, ASCII::NO_ENTITIES)) {
  target_ = own_target_.get();
}

Writer::~Writer() = default;

void Writer::Reset() {
  tab_ = 0;
  tag_ = 0;
  last_action_ = XMLNONE;
}

bool Writer::SetWhitespaceCompression(bool b) {
  const bool previous = whitespace_compression_;
  whitespace_compression_ = b;
  return previous;
}

void Writer::SetBufferSize(unsigned n) { target_->SetBufferSize(n); }

ASCII::Charsets Writer::GetEncoding() const { return target_->GetCharsetTo(); }

void Writer::SetEncoding(ASCII::Charsets c) {
  target_->SetCharsetTo(c == ASCII::UTF8 ? ASCII::UTF8 : ASCII::LATIN1);
}

bool Writer::CheckNames(const char* TagName, const Attribute* Attributes) {
  if (!IsValidName(TagName)) {
    return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_IDENTIFIER, "%.100s",
                                      TagName != nullptr ? TagName : "(null)");
  }
  for (const Attribute* a = Attributes; a != nullptr && a->Name != nullptr; ++a) {
    if (!IsValidName(a->Name)) {
      return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_IDENTIFIER, "%.100s", a->Name);
    }
  }
  return true;
}

bool Writer::PutMarkup(const char* s) {
  target_->SetEntities(ASCII::NO_ENTITIES);
  target_->Convert(true);
  return target_->Print(s);
}

bool Writer::Declaration() {
  if (target_->GetCharsetTo() != ASCII::UTF8) target_->SetCharsetTo(ASCII::LATIN1);
  return PutMarkup("<?xml version=\"1.0\" encoding=\"") &&
         PutMarkup(ASCII::ToString(target_->GetCharsetTo())) && PutMarkup("\"?>");
}

bool Writer::NewLine() {
  if (whitespace_compression_) return true;
  char line[MAX_TABS + 2];
  const unsigned tabs = tab_ < MAX_TABS ? tab_ : MAX_TABS;
  line[0] = '\n';
  std::memset(line + 1, '\t', tabs);
  line[tabs + 1] = 0;
  return PutMarkup(line);
}

bool Writer::PutEscaped(const char* s, bool InAttribute) {
  // Pieces of plain characters go through the target's escaping; the
  // characters a parser would not read back as written go as references.
  char piece[512];
  unsigned n = 0;
  auto flush = [&]() {
    if (n == 0) return true;
    piece[n] = 0;
    n = 0;
    target_->SetEntities(ASCII::XML_ENTITIES);
    target_->Convert(true);
    return target_->Print(piece);
  };
  for (const char* p = s; *p != 0; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    const char* reference = nullptr;
    if (c == '\r') reference = "&#13;";
    if (InAttribute && c == '\t') reference = "&#9;";
    if (InAttribute && c == '\n') reference = "&#10;";
    if (reference != nullptr) {
      if (!flush() || !PutMarkup(reference)) return false;
      continue;
    }
    piece[n++] = (c < 0x20 && c != '\t' && c != '\n') ? '?' : static_cast<char>(c);
    if (n == sizeof(piece) - 1 && !flush()) return false;
  }
  return flush();
}

bool Writer::PutTag(const char* TagName, const Attribute* Attributes, bool IsEmpty) {
  if (last_action_ == XMLOPEN) ++tab_;
  if (last_action_ != XMLTEXT && !NewLine()) return false;
  last_action_ = IsEmpty ? XMLEMPTY : XMLOPEN;
  if (!PutMarkup("<") || !PutMarkup(TagName)) return false;
  for (const Attribute* a = Attributes; a != nullptr && a->Name != nullptr; ++a) {
    if (!PutMarkup(" ") || !PutMarkup(a->Name) || !PutMarkup("=\"") ||
        !PutEscaped(a->Value != nullptr ? a->Value : "", true) || !PutMarkup("\"")) {
      return false;
    }
  }
  return PutMarkup(IsEmpty ? "/>" : ">");
}

bool Writer::Open(const char* TagName, const Attribute* Attributes) {
  if (!CheckNames(TagName, Attributes)) return false;
  if (tag_ >= MAX_OPEN) {
    return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH,
                                      "M\xA0s de %u elementos abiertos (%s)", MAX_OPEN, TagName);
  }
  if (tag_ == 0 && !Declaration()) return false;
  std::strcpy(tag_names_[tag_], TagName);  // fits: CheckNames bounds the length
  ++tag_;
  return PutTag(TagName, Attributes, false);
}

bool Writer::Empty(const char* TagName, const Attribute* Attributes) {
  if (!CheckNames(TagName, Attributes)) return false;
  if (tag_ == 0) {
    if (!Declaration() || !PutTag(TagName, Attributes, true)) return false;
    return target_->Flush(Constants::WAIT_FOREVER);
  }
  return PutTag(TagName, Attributes, true);
}

bool Writer::Close() {
  if (tag_ == 0) return Underflow();
  --tag_;
  if ((last_action_ == XMLCLOSE || last_action_ == XMLEMPTY) && tab_ > 0) --tab_;
  if (last_action_ != XMLTEXT && !NewLine()) return false;
  last_action_ = XMLCLOSE;
  if (!PutMarkup("</") || !PutMarkup(tag_names_[tag_]) || !PutMarkup(">")) return false;
  if (tag_ == 0) return target_->Flush(Constants::WAIT_FOREVER);
  return true;
}

bool Writer::PutText(const char* s) {
  last_action_ = XMLTEXT;
  return PutEscaped(s != nullptr ? s : "", false);
}

bool Writer::Text(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  const bool ok = vText(Format, args);
  va_end(args);
  return ok;
}

bool Writer::vText(const char* Format, va_list Args) {
  if (Format == nullptr) return PutText("");
  if (!format_buffer_) format_buffer_ = std::make_unique<char[]>(kFormatBufferSize);
  va_list copy;
  va_copy(copy, Args);
  const int needed = std::vsnprintf(format_buffer_.get(), kFormatBufferSize, Format, Args);
  bool ok;
  if (needed < 0) {
    ok = VXB::Error::SetWithContext(VXB::Error::IO_FORMAT_ERROR, "XML::Writer::Text");
  } else if (static_cast<unsigned>(needed) < kFormatBufferSize) {
    ok = PutText(format_buffer_.get());
  } else {
    // A long text gets a buffer of its own: values are never cut.
    auto big = std::make_unique<char[]>(static_cast<unsigned>(needed) + 1);
    std::vsnprintf(big.get(), static_cast<unsigned>(needed) + 1, Format, copy);
    ok = PutText(big.get());
  }
  va_end(copy);
  return ok;
}

bool Writer::InnerXML(const char* XMLText) {
  last_action_ = XMLTEXT;
  return PutMarkup(XMLText != nullptr ? XMLText : "");
}

bool Writer::Field(const char* Name, const char* Value) {
  return Open(Name) && PutText(Value) && Close();
}

}  // namespace VXB::XML
