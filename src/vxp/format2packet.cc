// Document-to-packet conversion and back.
#include "vxp/format2packet.h"

#include <array>
#include <cstring>
#include <memory>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/text/fields.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/vxp_errno.h"
#include "vxp/vxp_translations.h"

namespace VXP {

namespace {

namespace RG3561 = Argentina::RG3561;
using VXB::GenericDataFormat::Token;

// The bytes that frame packets, by value.
constexpr std::array<bool, 256> MakeControlBytes() {
  std::array<bool, 256> t{};
  for (unsigned c : {VXB::ASCII::STX, VXB::ASCII::ETX, VXB::ASCII::ACK, VXB::ASCII::NAK,
                     VXB::ASCII::DC2, VXB::ASCII::DC4, VXB::ASCII::ESC, VXB::ASCII::FS})
    t[c] = true;
  return t;
}
constexpr std::array<bool, 256> CONTROL_BYTES = MakeControlBytes();

constexpr unsigned COMMAND_NAME_SIZE = 50;
constexpr unsigned TYPE_NAME_SIZE = 100;

void Trace(VXB::Debug::Debugger* d, const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
void Trace(VXB::Debug::Debugger* d, const char* Format, ...) {
  if (d == nullptr) return;
  va_list args;
  va_start(args, Format);
  d->vPrint(Format, args);
  va_end(args);
}

const char* SequenceMemberName() {
  const char* name = Translations::Get(Translations::PROTOCOL::SEQUENCE_NUMBER);
  return name != nullptr ? name : SEQUENCE_MEMBER;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Digits only, blanks around them ignored; the all-ones "no value" and
// anything larger are refused.
bool ParseSequence(const char* Text, unsigned& Value) {
  while (IsBlank(*Text)) ++Text;
  const char* end = Text + std::strlen(Text);
  while (end > Text && IsBlank(end[-1])) --end;
  if (end == Text) return false;
  std::uint64_t v = 0;
  for (const char* p = Text; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<unsigned>(*p - '0');
    if (v >= 0xFFFFFFFFull) return false;
  }
  Value = static_cast<unsigned>(v);
  return true;
}

struct Conversion {
  VXB::GenericDataFormat::Reader* r;
  VardexDataContainer& Data;
  unsigned& Sequence;
  bool& SequenceGiven;
  VXB::Debug::Debugger* Debugger;
  RG3561::Comandos Cmd;
  char CommandName[COMMAND_NAME_SIZE];
  Token tok;

  bool HandleField(const char* Name, const char* Value);
  bool ReadList(const char* Name);
  bool Run();
};

bool Conversion::HandleField(const char* Name, const char* Value) {
  if (VXB::ASCII::EqualsIgnoringCase(Name, SequenceMemberName())) {
    unsigned v = 0;
    if (!ParseSequence(Value, v))
      return VXB::Error::SetWithContext(Error::PROTOCOL_INVALID_SEQUENCE, "%s: [%s]",
                                        SequenceMemberName(), Value);
    Sequence = v;
    SequenceGiven = true;
    return true;
  }
  unsigned n = 0;
  if (!RG3561::NumeroCampoIn(Cmd, Name, n)) {
    Trace(Debugger, "Campo %s desconocido para comando %s", Name, CommandName);
    return true;
  }
  const char* packet = "";
  if (Value[0] != 0 || RG3561::ValorPorDefectoCampoIn(Cmd, n, true) == nullptr)
    packet = RG3561::ValorCampoIn(Cmd, n, Value, false);
  if (packet == nullptr) packet = Value;
  const char* p = packet;
  for (; *p != 0; ++p) {
    if (CONTROL_BYTES[static_cast<unsigned char>(*p)])
      return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                        "Car\xA0"
                                        "cter de control %s en %s::%s",
                                        VXB::ASCII::ToString(*p), CommandName, Name);
  }
  if (static_cast<std::size_t>(p - packet) > VXB::Fields::MAX_FIELD)
    return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                      "Valor de m\xA0s de %u caracteres en %s::%s",
                                      VXB::Fields::MAX_FIELD, CommandName, Name);
  // An empty value beyond the last field reports false but is stored.
  if (!Data.SetFieldText(n, std::string_view(packet, static_cast<std::size_t>(p - packet))) &&
      (packet[0] != 0 || Data.GetNumberOfFields() <= n))
    return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                      "Campo %s::%s no cabe en el paquete", CommandName, Name);
  Trace(Debugger, "\t%s: [%s]", Name, packet);
  return true;
}

bool Conversion::ReadList(const char* ListName) {
  char name[VXB::GenericDataFormat::MAX_NAME + 1];
  std::memcpy(name, ListName, std::strlen(ListName) + 1);
  unsigned n = 0;
  if (!RG3561::NumeroCampoIn(Cmd, name, n)) {
    // Its elements then arrive as stray tokens and end the request.
    Trace(Debugger, "Campo %s desconocido para comando %s", name, CommandName);
    return true;
  }
  char type_name[TYPE_NAME_SIZE] = {};
  if (RG3561::TipoCampoIn(Cmd, n, type_name, TYPE_NAME_SIZE) != BITFIELD)
    return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                      "Campo de lista inesperado (%s::%s)", CommandName, name);
  std::unique_ptr<BitFieldInterface> word(RG3561::GetBitField(type_name));
  if (word == nullptr)
    return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                      "Tipo %s para %s::%s es desconocido", type_name, CommandName,
                                      name);
  for (;;) {
    // The end of the document inside the list is a failure: the reader's
    // error stands.
    if (!r->GetToken(tok)) return false;
    if (tok.Type == Token::CLOSE_ARRAY) break;
    if (tok.Type != Token::ARRAY_ELEMENT)
      return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                        "Token inesperado leyendo campos de %s::%s", CommandName,
                                        name);
    BitFieldInterface::MaxType bit = word->FromStringBit(tok.Value);
    if (bit != 0) word->Set(bit, true);
  }
  char value[VXB::GenericDataFormat::MAX_VALUE + 1];
  const char* text = word->ToString(false);
  std::size_t length = std::strlen(text);
  if (length > VXB::GenericDataFormat::MAX_VALUE) length = VXB::GenericDataFormat::MAX_VALUE;
  std::memcpy(value, text, length);
  value[length] = 0;
  word.reset();
  return HandleField(name, value);
}

bool Conversion::Run() {
  if (!r->GetToken(tok)) return false;
  if (tok.Type != Token::OPEN_OBJECT)
    return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR, "%s: se esperaba un objeto",
                                      r->ToString());
  Trace(Debugger, "Comando desde %s (%s): %s", r->ToString(),
        VXB::ASCII::ToString(r->GetEncoding()), tok.Name);
  if (!RG3561::FromString(tok.Name, Cmd))
    return VXB::Error::SetWithContext(Error::INTERFACE_UNRECOGNIZED_COMMAND, "%s", tok.Name);
  std::size_t length = std::strlen(tok.Name);
  if (length >= COMMAND_NAME_SIZE) length = COMMAND_NAME_SIZE - 1;
  std::memcpy(CommandName, tok.Name, length);
  CommandName[length] = 0;
  Trace(Debugger, "Comando [%s]", CommandName);
  if (Debugger != nullptr) Debugger->SetID("%s", CommandName);
  // Emptied in place: the container keeps its separators and its storage.
  Data.Reset();
  Data.SetCommand(static_cast<VXB::Byte>(Cmd));
  Data.SetEncoding(VXB::ASCII::CP437);

  for (;;) {
    // A document that ends or breaks before the command's close is never
    // a command: the reader's error stands.
    if (!r->GetToken(tok)) return false;
    switch (tok.Type) {
      case Token::CLOSE_OBJECT:
        return true;
      case Token::OPEN_OBJECT: {
        char name[VXB::GenericDataFormat::MAX_NAME + 1];
        std::memcpy(name, tok.Name, sizeof(name));
        if (!r->GetToken(tok)) return false;
        if (tok.Type != Token::CLOSE_OBJECT)
          return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                            "Objeto %s inesperado leyendo campos de %s", name,
                                            CommandName);
        if (!HandleField(name, "")) return false;
        break;
      }
      case Token::OPEN_ARRAY:
        if (!ReadList(tok.Name)) return false;
        break;
      case Token::NAME_VALUE:
        if (!HandleField(tok.Name, tok.Value)) return false;
        break;
      default:
        return VXB::Error::SetWithContext(Error::INTERFACE_SYNTAX_ERROR,
                                          "Token inesperado leyendo campos de %s", CommandName);
    }
  }
}

// The names of the set bits 1..width of a status word, as array elements.
template <typename Word>
bool WriteStatusWord(VXB::GenericDataFormat::Writer* w, const Word& word, const char* Header,
                     VXB::Debug::Debugger* Debugger) {
  if (!w->OpenArray(Word::GetID())) return false;
  bool first = true;
  for (unsigned bit = 1; bit <= Word::GetNumberOfBits(); ++bit) {
    auto b = static_cast<typename Word::Bits>(bit);
    if (!word.Test(b)) continue;
    if (first) Trace(Debugger, "%s", Header);
    first = false;
    const char* name = Word::BitName(b);
    if (name == nullptr) continue;
    Trace(Debugger, "\t\t%s", name);
    if (!w->ArrayElement(name)) return false;
  }
  return w->CloseArray();
}

}  // namespace

bool IsPacketControlByte(char c) { return CONTROL_BYTES[static_cast<unsigned char>(c)]; }

bool FormatToPacket(VXB::GenericDataFormat::Reader* r, VardexDataContainer& CommandData,
                    unsigned& Sequence, bool& SequenceGiven, VXB::Debug::Debugger* Debugger) {
  SequenceGiven = false;
  Conversion c{r, CommandData, Sequence, SequenceGiven, Debugger, {}, {}, {}};
  return c.Run();
}

bool FormatToPacket(VXB::GenericDataFormat::Reader* r, VardexDataContainer& CommandData,
                    unsigned& Sequence, VXB::Debug::Debugger* Debugger) {
  bool given = false;
  return FormatToPacket(r, CommandData, Sequence, given, Debugger);
}

bool FormatFromPacket(VXB::GenericDataFormat::Writer* w, const VardexDataContainer& Answer,
                      const Argentina::RG3561::Estado::Impresora& EstadoImpresora,
                      const Argentina::RG3561::Estado::Fiscal& EstadoFiscal,
                      VXB::Debug::Debugger* Debugger) {
  const char* status = Translations::Get(Translations::PROTOCOL::STATUS);
  if (!w->OpenObject(status != nullptr ? status : "Estado")) return false;
  if (!WriteStatusWord(w, EstadoImpresora, "\tEstado impresora:", Debugger)) return false;
  if (!WriteStatusWord(w, EstadoFiscal, "\tEstado fiscal:", Debugger)) return false;
  if (!w->CloseObject()) return false;

  for (unsigned n = 0; n < Answer.GetNumberOfFields(); ++n) {
    const char* field_name = RG3561::NombreCampoOut(Answer, n);
    if (field_name == nullptr) continue;
    char type_name[TYPE_NAME_SIZE] = {};
    const char* text = Answer.GetField(n);
    const char* value;
    if (RG3561::TipoCampoOut(Answer, n, type_name, TYPE_NAME_SIZE) == BITFIELD) {
      value = RG3561::ValorCampoOut(Answer, n, text, false);
      std::unique_ptr<BitFieldInterface> word(RG3561::GetBitField(type_name));
      if (word != nullptr) {
        word->FromString(value);
        // A list whose opening or elements cannot be written leaves the
        // document incomplete, which its close reports.
        w->OpenArray(field_name);
        for (unsigned bit = 1; bit <= word->GetNumberOfBits(); ++bit) {
          if (!word->Test(bit)) continue;
          const char* bit_name = word->ToStringBit(bit);
          if (bit_name != nullptr) w->ArrayElement(bit_name);
        }
        word.reset();
        if (!w->CloseArray()) return false;
      }
    } else {
      value = RG3561::ValorCampoOut(Answer, n, text, true);
      if (value == nullptr) value = text;
      if (!w->NameValue(field_name, value)) return false;
    }
    Trace(Debugger, "\t%s: %s", field_name, value != nullptr ? value : "");
  }
  return true;
}

}  // namespace VXP
