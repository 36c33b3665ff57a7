// Token stream adapters over the XML reader and writer.
#include "vxb/common/format/xml_generic.h"

#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"

namespace VXB::GenericDataFormat::XML {

namespace {

bool Mismatch(const char* Format, const char* a, const char* b) {
  return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, Format, a, b);
}

bool TooDeep() {
  return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, "M\xA0s de %u niveles anidados",
                                    MAX_NESTING);
}

bool CopyName(char* Field, const char* Name) {
  const std::size_t n = Name != nullptr ? std::strlen(Name) : 0;
  if (n > MAX_NAME) {
    return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_IDENTIFIER, "%.100s...", Name);
  }
  std::memcpy(Field, Name != nullptr ? Name : "", n);
  Field[n] = 0;
  return true;
}

bool Deliver(Token& t, Token::Types Type, const char* Name, const char* Value) {
  if (t.Set(Type, Name, Value)) return true;
  return VXB::Error::SetWithContext(VXB::Error::XML_INVALID_CHAR,
                                    "Texto de m\xA0s de %u caracteres", MAX_VALUE);
}

bool IsListTag(const VXB::XML::Attribute* a) {
  return a != nullptr && a[0].Name != nullptr && std::strcmp(a[0].Name, XML_TAG_TYPE) == 0 &&
         a[0].Value != nullptr && std::strcmp(a[0].Value, XML_ARRAY_TYPE) == 0;
}

}  // namespace

// Reader.

Reader::Reader(VXB::XML::Reader* r) : r_(r) {}

Reader::~Reader() = default;

void Reader::Reset() {
  GenericDataFormat::Reader::Reset();
  token_pending_ = false;
  failed_ = false;
  depth_ = 1;
  context_[0] = Structure();
  r_->Reset();
}

bool Reader::Next(unsigned& slot) {
  if (token_pending_) {
    token_pending_ = false;
    slot = pending_slot_;
    return true;
  }
  if (r_->GetToken(tokens_[slot])) return true;
  if (VXB::Error::GetCurrent().Error == VXB::Error::XML_EOF) {
    VXB::Error::SetWithContext(VXB::Error::IO_EOF_REACHED, "GenericDataFormat<XML>");
  }
  return false;
}

bool Reader::Push(const char* Name, bool IsArray) {
  if (depth_ >= MAX_NESTING + 1) return TooDeep();
  if (!CopyName(context_[depth_].Name, Name)) return false;
  context_[depth_].IsArray = IsArray;
  ++depth_;
  return true;
}

bool Reader::DoGetToken(Token& t) {
  if (failed_) return VXB::Error::Set(failure_);
  if (ReadToken(t)) return true;
  failed_ = true;
  failure_ = VXB::Error::GetCurrent();
  return false;
}

bool Reader::ReadToken(Token& t) {
  unsigned slot = 0;
  if (!Next(slot)) return false;
  const VXB::XML::Reader::Token& tok = tokens_[slot];
  switch (tok.Type) {
    case VXB::XML::XMLTEXT:
      return Mismatch("Unexpected text token (%.100s after %s)", tok.Value, Top().Name);

    case VXB::XML::XMLCLOSE: {
      if (depth_ <= 1 || std::strcmp(tok.Value, Top().Name) != 0) {
        return Mismatch("Open/Close mismatch (<%s></%s>)", Top().Name, tok.Value);
      }
      const bool is_array = Top().IsArray;
      if (!Deliver(t, is_array ? Token::CLOSE_ARRAY : Token::CLOSE_OBJECT, Top().Name, "")) {
        return false;
      }
      --depth_;
      return true;
    }

    case VXB::XML::XMLOPEN: {
      const bool in_array = Top().IsArray;
      if (in_array && std::strcmp(tok.Value, Top().Name) != 0) {
        return Mismatch("List element mismatch (<%s> in <%s>)", tok.Value, Top().Name);
      }
      if (IsListTag(tok.Attributes)) {
        if (!Push(tok.Value, true)) return false;
        return Deliver(t, Token::OPEN_ARRAY, tok.Value, "");
      }
      unsigned next_slot = 1 - slot;
      if (!Next(next_slot)) return false;
      const VXB::XML::Reader::Token& next = tokens_[next_slot];
      if (next.Type == VXB::XML::XMLTEXT) {
        // An element holding text: one value, then its own close tag.
        unsigned close_slot = 2;
        if (!Next(close_slot)) return false;
        const VXB::XML::Reader::Token& close = tokens_[close_slot];
        if (close.Type != VXB::XML::XMLCLOSE || std::strcmp(close.Value, tok.Value) != 0) {
          return Mismatch(
              "Open/close tag mismatch (<%s></%s>)", tok.Value,
              close.Type == VXB::XML::XMLCLOSE ? close.Value : VXB::XML::ToString(close.Type));
        }
        if (in_array) return Deliver(t, Token::ARRAY_ELEMENT, Top().Name, next.Value);
        return Deliver(t, Token::NAME_VALUE, tok.Value, next.Value);
      }
      if (in_array) {
        // <L/> in a list is an empty element; anything else in it is not
        // an element of the list.
        if (next.Type == VXB::XML::XMLCLOSE && std::strcmp(next.Value, tok.Value) == 0) {
          return Deliver(t, Token::ARRAY_ELEMENT, Top().Name, "");
        }
        return Mismatch("Unexpected object in list (<%s> in <%s>)", tok.Value, Top().Name);
      }
      // Child elements or no content: an object; the token read ahead stays.
      if (!Push(tok.Value, false)) return false;
      token_pending_ = true;
      pending_slot_ = next_slot;
      return Deliver(t, Token::OPEN_OBJECT, tok.Value, "");
    }

    default:
      return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH, "GetToken");
  }
}

// Writer.

Writer::Writer(VXB::XML::Writer* w) : w_(w) {}

Writer::~Writer() = default;

void Writer::Reset() {
  depth_ = 0;
  w_->Reset();
}

bool Writer::Push(const char* Name, bool IsArray) {
  if (depth_ >= MAX_NESTING) return TooDeep();
  if (!CopyName(context_[depth_].Name, Name)) return false;
  context_[depth_].IsArray = IsArray;
  ++depth_;
  return true;
}

bool Writer::Pop() {
  if (depth_ == 0) {
    return VXB::Error::SetWithContext(VXB::Error::XML_TAG_UNDERFLOW, "GenericDataFormat<XML>");
  }
  --depth_;
  return true;
}

bool Writer::OpenObject(const char* Name) {
  if (!Push(Name, false)) return false;
  if (w_->Open(Name)) return true;
  --depth_;
  return false;
}

bool Writer::NameValue(const char* Name, const char* Value) {
  if (Value == nullptr) return w_->Open(Name) && w_->Close();
  return w_->Field(Name, Value);
}

bool Writer::NameValue(const char* Name, bool Value) {
  return w_->Field(Name, ASCII::ToString(Value));
}

bool Writer::NameNumber(const char* Name, const char* Text) { return w_->Field(Name, Text); }

bool Writer::CloseObject() { return Pop() && w_->Close(); }

bool Writer::CloseArray() { return Pop() && w_->Close(); }

bool Writer::OpenArray(const char* Name) {
  static const VXB::XML::Attribute kList[] = {{XML_TAG_TYPE, XML_ARRAY_TYPE}, {}};
  if (!Push(Name, true)) return false;
  if (w_->Open(Name, kList)) return true;
  --depth_;
  return false;
}

bool Writer::ArrayElement(const char* Value) {
  if (depth_ == 0 || !context_[depth_ - 1].IsArray) {
    return VXB::Error::SetWithContext(VXB::Error::XML_TOKEN_MISMATCH,
                                      "ArrayElement fuera de lista");
  }
  return w_->Field(context_[depth_ - 1].Name, Value != nullptr ? Value : "");
}

}  // namespace VXB::GenericDataFormat::XML
