// The JSON reader's state machine.
#include "vxb/common/format/json_reader.h"

#include <array>
#include <cstdarg>
#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset.h"

namespace VXB::JSON {

namespace {

constexpr const char* EOF_CONTEXT = "bool VXB::JSON::Reader::Parse(VXB::JSON::Reader::Token&)";

// The characters that end a run of plain string text.
constexpr auto MakeStringStops() {
  std::array<bool, 128> stops{};
  stops['"'] = true;
  stops['\\'] = true;
  return stops;
}
constexpr std::array<bool, 128> STRING_STOPS_TABLE = MakeStringStops();
const bool* const STRING_STOPS = STRING_STOPS_TABLE.data();

bool IsSpace(char c) { return c == ' ' || (c >= 9 && c <= 13); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberChar(char c) {
  return IsDigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}

// An optional minus, digits and points holding at least one digit, and an
// optional exponent: e or E, an optional sign and digits.
bool IsValidNumber(const char* s, bool& HasFraction) {
  HasFraction = false;
  if (*s == '-') ++s;
  bool digits = false;
  for (; IsDigit(*s) || *s == '.'; ++s) {
    if (*s == '.')
      HasFraction = true;
    else
      digits = true;
  }
  if (!digits) return false;
  if (*s == 'e' || *s == 'E') {
    HasFraction = true;
    ++s;
    if (*s == '+' || *s == '-') ++s;
    if (!IsDigit(*s)) return false;
    while (IsDigit(*s)) ++s;
  }
  return *s == 0;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Reader::Reader(Driver::EncodedCharReader* r) : r_(r) {
  r_->SetCharsetFrom(ASCII::UTF8);
  r_->SetEntities(ASCII::NO_ENTITIES);
  Reset();
}

Reader::Reader(Driver::Generic* g)
    : owned_(std::make_unique<Driver::EncodedCharReaderFromGeneric>(g, ASCII::UTF8, ASCII::CP437,
                                                                    ASCII::NO_ENTITIES)),
      r_(owned_.get()) {
  Reset();
}

Reader::~Reader() = default;

void Reader::Reset() {
  state_ = WAITING_VALUE_TYPE;
  just_opened_ = false;
  has_pending_ = false;
  name_[0] = 0;
  name_length_ = 0;
  depth_ = 0;
  r_->Reset();
}

bool Reader::GetToken(Token& t) {
  t.Name[0] = 0;
  t.NameLength = 0;
  t.Value[0] = 0;
  t.ValueLength = 0;
  t.ValueType = STRING;
  if (state_ == END_OF_DATA) return Error::SetWithContext(Error::JSON_EOF, "%s", EOF_CONTEXT);
  if (Parse(t)) return true;
  state_ = END_OF_DATA;  // nothing more from a failed document
  return false;
}

bool Reader::NextSlow(char& c) {
  if (has_pending_) {
    has_pending_ = false;
    c = pending_;
    return true;
  }
  if (r_->GetChar(c)) return true;
  return Error::SetWithContext(Error::JSON_EOF, "%s", EOF_CONTEXT);
}

bool Reader::Fail(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  Error::vSet(Error::JSON_SYNTAX_ERROR, Format, args);
  va_end(args);
  return false;
}

bool Reader::Parse(Token& t) {
  char c;
  for (;;) {
    if (!Next(c)) return false;
    if (IsSpace(c)) continue;
    switch (state_) {
      case WAITING_QUOTES_FOR_NAME:
        if (c == '"') {
          if (!ReadString(name_, MAX_NAME, name_length_, "Nombre")) return false;
          state_ = WAITING_COLON;
          continue;
        }
        if (c == '}' && just_opened_) return Close(OPEN_OBJECT, t);
        return Fail("Esperando nombre de objeto llega %c", c);
      case WAITING_COLON:
        if (c != ':') return Fail("Esperando ':' llega %c", c);
        state_ = WAITING_VALUE_TYPE;
        just_opened_ = false;
        continue;
      case WAITING_VALUE_TYPE:
        switch (c) {
          case '{':
            return Open(OPEN_OBJECT, t);
          case '[':
            return Open(OPEN_ARRAY, t);
          case '"':
            if (!ReadString(t.Value, MAX_VALUE, t.ValueLength, "Valor")) return false;
            t.ValueType = STRING;
            DeliverValue(t);
            return true;
          case 't':
            if (!ReadLiteral("rue", "Error esperando 'true'")) return false;
            t.ValueLength = static_cast<unsigned>(std::strlen(ASCII::ToString(true)));
            std::memcpy(t.Value, ASCII::ToString(true), t.ValueLength + 1);
            t.ValueType = BOOLEAN;
            DeliverValue(t);
            return true;
          case 'f':
            if (!ReadLiteral("alse", "Error esperando 'false'")) return false;
            t.ValueLength = static_cast<unsigned>(std::strlen(ASCII::ToString(false)));
            std::memcpy(t.Value, ASCII::ToString(false), t.ValueLength + 1);
            t.ValueType = BOOLEAN;
            DeliverValue(t);
            return true;
          case 'n':
            if (!ReadLiteral("ull", "Error esperando 'null'")) return false;
            t.ValueType = EMPTY;
            DeliverValue(t);
            return true;
          case ']':
            // Only an empty array; "[1,]" and a member without a value
            // are errors.
            if (just_opened_ && depth_ > 0 && !InObject()) return Close(OPEN_ARRAY, t);
            return Fail("Esperando tipo llega %c", c);
          default:
            if (IsDigit(c) || c == '-' || c == '.') {
              if (!ReadNumber(c, t)) return false;
              DeliverValue(t);
              return true;
            }
            return Fail("Esperando tipo llega %c", c);
        }
      case WAITING_COMMA:
        if (c == ',') {
          state_ = InObject() ? WAITING_QUOTES_FOR_NAME : WAITING_VALUE_TYPE;
          just_opened_ = false;
          continue;
        }
        if (c == '}') return Close(OPEN_OBJECT, t);
        if (c == ']') return Close(OPEN_ARRAY, t);
        return Fail("Esperando separaci\xA2n llega %c", c);
      case END_OF_DATA:
        return Error::SetWithContext(Error::JSON_EOF, "%s", EOF_CONTEXT);
    }
  }
}

bool Reader::ReadString(char* Out, unsigned Capacity, unsigned& Length, const char* What) {
  Length = 0;
  Out[0] = 0;
  for (;;) {
    // Plain text in bulk; quotation marks, escapes and anything else one
    // character at a time.
    if (!has_pending_) Length += r_->GetPlainRun(Out + Length, Capacity - Length, STRING_STOPS);
    char c;
    if (!Next(c)) return false;
    if (c == '"') break;
    if (c == '\\' && !ReadEscape(c)) return false;
    if (Length >= Capacity) {
      Out[Length] = 0;
      return Fail("%s de m\xA0s de %u caracteres", What, Capacity);
    }
    Out[Length++] = c;
  }
  Out[Length] = 0;
  return true;
}

bool Reader::ReadHex4(unsigned& v) {
  v = 0;
  for (int i = 0; i < 4; ++i) {
    char c;
    if (!Next(c)) return false;
    int d = HexValue(c);
    if (d < 0) return Fail("Escape unicode inv\xA0lido (%c)", c);
    v = v * 16 + static_cast<unsigned>(d);
  }
  return true;
}

bool Reader::ReadEscape(char& c) {
  if (!Next(c)) return false;
  switch (c) {
    case '"':
    case '\\':
    case '/':
      return true;
    case 'b':
      c = '\b';
      return true;
    case 'f':
      c = '\f';
      return true;
    case 'n':
      c = '\n';
      return true;
    case 'r':
      c = '\r';
      return true;
    case 't':
      c = '\t';
      return true;
    case 'u':
      break;
    default:
      return Fail("Escape inv\xA0lido \\%c", c);
  }
  unsigned v;
  if (!ReadHex4(v)) return false;
  if (v >= 0xDC00 && v <= 0xDFFF) return Fail("Escape unicode inv\xA0lido (\\u%04X)", v);
  if (v >= 0xD800 && v <= 0xDBFF) {
    // A high surrogate must be followed by its low half; the pair is one
    // character beyond Latin-1.
    char b1, b2;
    if (!Next(b1) || !Next(b2)) return false;
    if (b1 != '\\' || b2 != 'u') return Fail("Escape unicode inv\xA0lido (\\u%04X)", v);
    unsigned low;
    if (!ReadHex4(low)) return false;
    if (low < 0xDC00 || low > 0xDFFF) return Fail("Escape unicode inv\xA0lido (\\u%04X)", low);
    c = '?';
    return true;
  }
  if (v == 0) return Fail("Escape unicode nulo");
  // The same character as the same text sent as UTF-8 bytes.
  c = ASCII::FromCodePoint(v);
  return true;
}

bool Reader::ReadNumber(char First, Token& t) {
  t.Value[0] = First;
  t.ValueLength = 1;
  char c;
  for (;;) {
    if (!Next(c)) return false;
    if (!IsNumberChar(c)) break;
    if (t.ValueLength >= MAX_VALUE) return Fail("Valor de m\xA0s de %u caracteres", MAX_VALUE);
    t.Value[t.ValueLength++] = c;
  }
  t.Value[t.ValueLength] = 0;
  if (!IsSpace(c) && c != ',' && c != '}' && c != ']')
    return Fail("Esperando n\xA3mero llega %c", c);
  bool fraction;
  if (!IsValidNumber(t.Value, fraction)) return Fail("N\xA3mero inv\xA0lido %s", t.Value);
  t.ValueType = fraction ? FIXED : INTEGER;
  // The character after the number is read again as a separator or close.
  has_pending_ = true;
  pending_ = c;
  return true;
}

bool Reader::ReadLiteral(const char* Rest, const char* Message) {
  for (; *Rest != 0; ++Rest) {
    char c;
    if (!Next(c)) return false;
    if (c != *Rest) return Fail("%s", Message);
  }
  return true;
}

bool Reader::Open(Tokens Kind, Token& t) {
  if (depth_ >= MAX_NESTING) return Fail("Anidamiento de m\xA0s de %u niveles", MAX_NESTING);
  t.Type = Kind;
  if (InObject()) {
    std::memcpy(t.Name, name_, name_length_ + 1);
    t.NameLength = name_length_;
  }
  stack_[depth_++] = Kind;
  state_ = Kind == OPEN_OBJECT ? WAITING_QUOTES_FOR_NAME : WAITING_VALUE_TYPE;
  just_opened_ = true;
  return true;
}

bool Reader::Close(Tokens Kind, Token& t) {
  if (depth_ == 0 || stack_[depth_ - 1] != Kind)
    return Fail(Kind == OPEN_OBJECT ? "Cierre de objeto inesperado" : "Cierre de array inesperado");
  --depth_;
  t.Type = Kind == OPEN_OBJECT ? CLOSE_OBJECT : CLOSE_ARRAY;
  just_opened_ = false;
  AfterItem();
  return true;
}

void Reader::DeliverValue(Token& t) {
  if (depth_ == 0 || InObject()) {
    t.Type = PAIR;
    std::memcpy(t.Name, name_, name_length_ + 1);
    t.NameLength = name_length_;
  } else {
    t.Type = ELEMENT;
  }
  just_opened_ = false;
  AfterItem();
}

void Reader::AfterItem() {
  // The outermost container's close completes the document; nothing after
  // it is read.
  state_ = depth_ == 0 ? END_OF_DATA : WAITING_COMMA;
  if (depth_ == 0) has_pending_ = false;
}

}  // namespace VXB::JSON
