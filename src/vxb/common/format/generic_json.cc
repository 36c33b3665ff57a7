// The JSON adapters of the token stream.
#include "vxb/common/format/generic_json.h"

#include <cstring>

#include "vxb/common/runtime/error.h"

namespace VXB::GenericDataFormat::JSON {

namespace {

using JsonToken = ::VXB::JSON::Reader::Token;

void CopyName(char* To, const char* From) {
  std::size_t n = std::strlen(From);
  if (n > MAX_NAME) n = MAX_NAME;
  std::memcpy(To, From, n);
  To[n] = 0;
}

}  // namespace

// Reader.

Reader::Reader(::VXB::JSON::Reader* r) : r_(r) {}

ASCII::Charsets Reader::GetEncoding() const { return r_->GetDriver()->GetCharsetFrom(); }

void Reader::Reset() {
  GenericDataFormat::Reader::Reset();
  pending_token_ = false;
  root_consumed_ = false;
  depth_ = 0;
  r_->Reset();
}

bool Reader::ReadJsonToken() {
  if (r_->GetToken(tok_)) return true;
  if (Error::GetCurrent().Error == Error::JSON_EOF)
    Error::SetWithContext(Error::IO_EOF_REACHED, "GenericDataFormat::JSON");
  return false;
}

bool Reader::ConsumeRootClose(const char* Context) {
  if (depth_ != 0) return true;
  if (!r_->GetToken(tok_)) {
    if (Error::GetCurrent().Error == Error::JSON_EOF)
      Error::SetWithContext(Error::IO_EOF_REACHED, "%s", Context);
    return false;
  }
  pending_token_ = tok_.Type != ::VXB::JSON::Reader::CLOSE_OBJECT;
  return true;
}

bool Reader::DoGetToken(Token& t) {
  for (;;) {
    if (pending_token_)
      pending_token_ = false;
    else if (!ReadJsonToken())
      return false;

    switch (tok_.Type) {
      case ::VXB::JSON::Reader::OPEN_OBJECT: {
        char name[MAX_NAME + 1];
        std::memcpy(name, tok_.Name, tok_.NameLength + 1);
        // A first member "class" names the object.
        if (!ReadJsonToken()) return false;
        if (tok_.Type == ::VXB::JSON::Reader::PAIR &&
            std::strcmp(tok_.Name, JSON_OBJECT_NAME) == 0) {
          if (tok_.ValueLength > MAX_NAME)
            return Error::SetWithContext(Error::JSON_SYNTAX_ERROR,
                                         "Nombre de clase de m\xA0s de %u caracteres", MAX_NAME);
          std::memcpy(name, tok_.Value, tok_.ValueLength + 1);
        } else {
          pending_token_ = true;
        }
        if (depth_ == 0 && !root_consumed_) {
          root_consumed_ = true;
          continue;
        }
        if (depth_ > 0) {
          Structure& parent = context_[depth_ - 1];
          if (name[0] == 0)
            std::memcpy(name, parent.LastName, sizeof(name));
          else
            std::memcpy(parent.LastName, name, sizeof(name));
        }
        if (depth_ >= MAX_NESTING)
          return Error::SetWithContext(Error::JSON_SYNTAX_ERROR,
                                       "Anidamiento de m\xA0s de %u niveles", MAX_NESTING);
        Structure& s = context_[depth_++];
        std::memcpy(s.Name, name, sizeof(name));
        s.LastName[0] = 0;
        t.Set(Token::OPEN_OBJECT, name);
        return true;
      }
      case ::VXB::JSON::Reader::CLOSE_OBJECT:
      case ::VXB::JSON::Reader::CLOSE_ARRAY: {
        bool object = tok_.Type == ::VXB::JSON::Reader::CLOSE_OBJECT;
        t.Set(object ? Token::CLOSE_OBJECT : Token::CLOSE_ARRAY,
              depth_ > 0 ? context_[depth_ - 1].Name : "");
        if (depth_ > 0) --depth_;
        if (!ConsumeRootClose(object ? "JSON (waiting root close after close object)"
                                     : "JSON (waiting root close after close array)"))
          return false;
        return true;
      }
      case ::VXB::JSON::Reader::OPEN_ARRAY: {
        if (depth_ >= MAX_NESTING)
          return Error::SetWithContext(Error::JSON_SYNTAX_ERROR,
                                       "Anidamiento de m\xA0s de %u niveles", MAX_NESTING);
        Structure& s = context_[depth_++];
        std::memcpy(s.Name, tok_.Name, tok_.NameLength + 1);
        s.LastName[0] = 0;
        t.Set(Token::OPEN_ARRAY, {tok_.Name, tok_.NameLength});
        return true;
      }
      case ::VXB::JSON::Reader::PAIR:
        t.Set(Token::NAME_VALUE, {tok_.Name, tok_.NameLength}, {tok_.Value, tok_.ValueLength});
        return true;
      case ::VXB::JSON::Reader::ELEMENT:
        t.Set(Token::ARRAY_ELEMENT, depth_ > 0 ? context_[depth_ - 1].Name : "",
              {tok_.Value, tok_.ValueLength});
        return true;
    }
    return Error::SetWithContext(Error::JSON_SYNTAX_ERROR, "GenericDataFormat::JSON");
  }
}

// Writer.

Writer::Writer(::VXB::JSON::Writer* w) : w_(w) {}

ASCII::Charsets Writer::GetEncoding() const { return w_->GetDriver()->GetCharsetTo(); }

void Writer::Reset() {
  depth_ = 0;
  all_closed_ = false;
  w_->Reset();
}

bool Writer::Push(bool IsObject) {
  if (depth_ >= MAX_NESTING)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "JSON: anidamiento de m\xA0s de %u niveles",
                                 MAX_NESTING);
  Structure& s = context_[depth_++];
  s.LastName[0] = 0;
  s.IsObject = IsObject;
  return true;
}

bool Writer::OpenObject(const char* Name) {
  if (all_closed_) return true;
  if (depth_ >= MAX_NESTING) return Push(true);
  if (depth_ == 0 && !w_->OpenObject(nullptr)) return false;
  if (depth_ > 0 && !context_[depth_ - 1].IsObject) {
    Structure& array = context_[depth_ - 1];
    const char* name = Name != nullptr ? Name : "";
    if (!w_->OpenObject(nullptr)) return false;
    if (std::strcmp(name, array.LastName) != 0) {
      if (!w_->Pair(JSON_OBJECT_NAME, name)) return false;
      CopyName(array.LastName, name);
    }
  } else if (!w_->OpenObject(Name)) {
    return false;
  }
  return Push(true);
}

bool Writer::Close(bool IsObject) {
  if (all_closed_) return true;
  if (depth_ == 0 || context_[depth_ - 1].IsObject != IsObject)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "JSON: cierre sin %s abierto",
                                 IsObject ? "objeto" : "array");
  --depth_;
  if (!(IsObject ? w_->CloseObject() : w_->CloseArray())) return false;
  if (depth_ > 0) return true;
  all_closed_ = true;
  return w_->CloseObject();
}

bool Writer::CloseObject() { return Close(true); }
bool Writer::CloseArray() { return Close(false); }

bool Writer::InObject() {
  if (depth_ > 0 && context_[depth_ - 1].IsObject) return true;
  return Error::SetWithContext(Error::IO_PARAM_ERROR, "JSON: valor fuera de un objeto");
}

bool Writer::NameValue(const char* Name, const char* Value) {
  return all_closed_ || (InObject() && w_->Pair(Name, Value));
}

bool Writer::NameValue(const char* Name, bool Value) {
  return all_closed_ || (InObject() && w_->Pair(Name, Value));
}

bool Writer::NameNumber(const char* Name, const char* Text) {
  return all_closed_ || (InObject() && w_->PairNumber(Name, Text));
}

bool Writer::OpenArray(const char* Name) {
  if (all_closed_) return true;
  if (depth_ >= MAX_NESTING) return Push(false);
  if (depth_ == 0 && !w_->OpenObject(nullptr)) return false;
  bool member = depth_ == 0 || context_[depth_ - 1].IsObject;
  if (!w_->OpenArray(member ? Name : nullptr)) return false;
  return Push(false);
}

bool Writer::ArrayElement(const char* Value) {
  if (all_closed_) return true;
  if (depth_ == 0 || context_[depth_ - 1].IsObject)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "JSON: elemento fuera de un array");
  return w_->Element(Value);
}

}  // namespace VXB::GenericDataFormat::JSON
