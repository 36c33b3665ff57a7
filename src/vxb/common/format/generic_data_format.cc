#include "vxb/common/format/generic_data_format.h"

#include <cstring>

#include "vxb/common/base/ascii.h"

namespace VXB::GenericDataFormat {

namespace {

bool CopyBounded(char* field, unsigned capacity, std::string_view s) {
  if (s.size() > capacity) {
    field[0] = 0;
    return false;
  }
  if (!s.empty()) std::memcpy(field, s.data(), s.size());
  field[s.size()] = 0;
  return true;
}

}  // namespace

bool Token::SetName(std::string_view s) { return CopyBounded(Name, MAX_NAME, s); }

bool Token::SetValue(std::string_view s) { return CopyBounded(Value, MAX_VALUE, s); }

bool Token::Set(Types t, std::string_view name, std::string_view value) {
  Type = t;
  bool name_ok = SetName(name);
  bool value_ok = SetValue(value);
  return name_ok && value_ok;
}

const char* ToString(Token::Types t) {
  switch (t) {
    case Token::OPEN_OBJECT:
      return "OPEN_OBJECT";
    case Token::CLOSE_OBJECT:
      return "CLOSE_OBJECT";
    case Token::OPEN_ARRAY:
      return "OPEN_ARRAY";
    case Token::CLOSE_ARRAY:
      return "CLOSE_ARRAY";
    case Token::NAME_VALUE:
      return "NAME_VALUE";
    case Token::ARRAY_ELEMENT:
      return "ARRAY_ELEMENT";
  }
  return "UNKNOWN";
}

Reader::Reader() = default;
Reader::~Reader() = default;

bool Reader::GetToken(Token& t) {
  if (is_token_peeked_) {
    t = *token_peeked_;
    is_token_peeked_ = false;
    return true;
  }
  return DoGetToken(t);
}

bool Reader::PeekToken(Token& t) {
  if (!is_token_peeked_) {
    if (token_peeked_ == nullptr) token_peeked_ = std::make_unique<Token>();
    if (!DoGetToken(*token_peeked_)) return false;
    is_token_peeked_ = true;
  }
  t = *token_peeked_;
  return true;
}

void Reader::Reset() { is_token_peeked_ = false; }

bool Writer::NameValue(const char* Name, Types::uint64 Value) {
  return NameNumber(Name, ASCII::ToString(Value));
}
bool Writer::NameValue(const char* Name, Types::uint32 Value) {
  return NameNumber(Name, ASCII::ToString(Value));
}
bool Writer::NameValue(const char* Name, Types::uint16 Value) {
  return NameNumber(Name, ASCII::ToString(static_cast<std::int32_t>(Value)));
}
bool Writer::NameValue(const char* Name, Types::uint8 Value) {
  return NameNumber(Name, ASCII::ToString(static_cast<std::int32_t>(Value)));
}
bool Writer::NameValue(const char* Name, Types::int64 Value) {
  return NameNumber(Name, ASCII::ToString(Value));
}
bool Writer::NameValue(const char* Name, Types::int32 Value) {
  return NameNumber(Name, ASCII::ToString(Value));
}
bool Writer::NameValue(const char* Name, std::int16_t Value) {
  return NameNumber(Name, ASCII::ToString(static_cast<std::int32_t>(Value)));
}
bool Writer::NameValue(const char* Name, std::int8_t Value) {
  return NameNumber(Name, ASCII::ToString(static_cast<std::int32_t>(Value)));
}
bool Writer::NameValue(const char* Name, const Types::fixed& Value) {
  return NameNumber(Name, Value.ToString(true));
}
bool Writer::NameValue(const char* Name, const Types::big_number& Value) {
  return NameNumber(Name, Value.ToString(true));
}
bool Writer::NameValue(const char* Name, const Types::huge_number& Value) {
  return NameNumber(Name, Value.ToString(true));
}

}  // namespace VXB::GenericDataFormat
