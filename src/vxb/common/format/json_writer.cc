// The JSON writer's layout: commas, line feeds and indentation.
#include "vxb/common/format/json_writer.h"

#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"

namespace VXB::JSON {

namespace {

bool IsNoValue(const char* Text) {
  return Text == nullptr || std::strcmp(Text, ASCII::INVALID_VALUE_REPRESENTATION) == 0;
}

constexpr const char TABS[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
static_assert(sizeof(TABS) - 1 == Writer::MAX_INDENTATION);

}  // namespace

Writer::Writer(Driver::EncodedStringWriter* d) : target_(d) {
  target_->SetCharsetTo(ASCII::UTF8);
  Reset();
}

Writer::Writer(Driver::Generic* g)
    : owned_(std::make_unique<Driver::EncodedStringWriterFromGeneric>(g, ASCII::CP437, ASCII::UTF8,
                                                                      ASCII::NO_ENTITIES)),
      target_(owned_.get()) {
  Reset();
}

Writer::~Writer() = default;

void Writer::Reset() {
  nesting_ = 0;
  for (ContextInfo& c : context_) c = ContextInfo();
}

bool Writer::SetWhitespaceCompression(bool b) {
  bool previous = compression_;
  compression_ = b;
  return previous;
}

bool Writer::Put(const char* s) {
  target_->SetEntities(ASCII::NO_ENTITIES);
  return target_->Print(s);
}

bool Writer::PutQuoted(const char* s) {
  if (!Put("\"")) return false;
  target_->SetEntities(ASCII::JSON_ENTITIES);
  target_->Convert(true);
  bool ok = target_->Print(s);
  target_->SetEntities(ASCII::NO_ENTITIES);
  return ok && Put("\"");
}

bool Writer::PutIndentation() {
  if (compression_ || nesting_ == 0) return true;
  unsigned n = nesting_ < MAX_INDENTATION ? nesting_ : MAX_INDENTATION;
  return Put(TABS + (MAX_INDENTATION - n));
}

bool Writer::PutLineFeed() { return compression_ || Put("\n"); }

bool Writer::Open(ContainerType Type, const char* Name) {
  if (nesting_ >= MAX_DEPTH)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "JSON: anidamiento de m\xA0s de %u niveles",
                                 MAX_DEPTH);
  ContextInfo& current = context_[nesting_];
  if (current.Items && !Put(",")) return false;
  if ((Type == ARRAY || nesting_ > 0) && !PutLineFeed()) return false;
  if (Name != nullptr && nesting_ > 0 && current.Type == OBJECT) {
    if (!PutIndentation() || !PutQuoted(Name) || !Put(":") || !PutLineFeed()) return false;
  }
  if (!PutIndentation() || !Put(Type == OBJECT ? "{" : "[")) return false;
  ++nesting_;
  context_[nesting_] = ContextInfo{Type, false};
  return true;
}

bool Writer::Close(ContainerType Type) {
  if (nesting_ == 0 || context_[nesting_].Type != Type)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "JSON: cierre sin %s abierto",
                                 Type == OBJECT ? "objeto" : "array");
  context_[nesting_] = ContextInfo();
  --nesting_;
  context_[nesting_].Items = true;
  if (!PutLineFeed() || !PutIndentation() || !Put(Type == OBJECT ? "}" : "]")) return false;
  if (nesting_ > 0) return true;
  context_[0] = ContextInfo();
  return target_->Flush(Constants::WAIT_FOREVER);
}

bool Writer::OpenObject(const char* Name) { return Open(OBJECT, Name); }
bool Writer::OpenArray(const char* Name) { return Open(ARRAY, Name); }
bool Writer::CloseObject() { return Close(OBJECT); }
bool Writer::CloseArray() { return Close(ARRAY); }

bool Writer::BeginMember(const char* Name) {
  ContextInfo& current = context_[nesting_];
  if (current.Items && !Put(",")) return false;
  if (!PutLineFeed() || !PutIndentation() || !PutQuoted(Name != nullptr ? Name : "") ||
      !Put(compression_ ? ":" : ": "))
    return false;
  current.Items = true;
  return true;
}

bool Writer::BeginElement(bool Quoted) {
  ContextInfo& current = context_[nesting_];
  bool ok;
  if (current.Items)
    ok = Put(compression_ ? "," : ", ");
  else
    ok = !Quoted || (PutLineFeed() && PutIndentation());
  current.Items = true;
  return ok;
}

bool Writer::PutNumber(const char* Text) {
  return IsNoValue(Text) ? PutQuoted(ASCII::INVALID_VALUE_REPRESENTATION) : Put(Text);
}

bool Writer::Pair(const char* Name, const char* Value) {
  if (!BeginMember(Name)) return false;
  return Value == nullptr ? Put("null") : PutQuoted(Value);
}

bool Writer::PairNumber(const char* Name, const char* Text) {
  return BeginMember(Name) && PutNumber(Text);
}

bool Writer::Pair(const char* Name, Types::uint64 Value) {
  return PairNumber(Name, ASCII::ToString(Value));
}
bool Writer::Pair(const char* Name, Types::uint32 Value) {
  return PairNumber(Name, ASCII::ToString(Value));
}
bool Writer::Pair(const char* Name, Types::int64 Value) {
  return PairNumber(Name, ASCII::ToString(Value));
}
bool Writer::Pair(const char* Name, Types::int32 Value) {
  return PairNumber(Name, ASCII::ToString(Value));
}
bool Writer::Pair(const char* Name, const Types::fixed& Value) {
  return PairNumber(Name, Value.ToString(true));
}
bool Writer::Pair(const char* Name, bool Value) {
  return BeginMember(Name) && Put(Value ? "true" : "false");
}

bool Writer::Element(const char* Value) {
  if (!BeginElement(true)) return false;
  return Value == nullptr ? Put("null") : PutQuoted(Value);
}

bool Writer::ElementNumber(const char* Text) {
  return BeginElement(IsNoValue(Text)) && PutNumber(Text);
}

bool Writer::Element(bool Value) { return BeginElement(false) && Put(Value ? "true" : "false"); }

}  // namespace VXB::JSON
