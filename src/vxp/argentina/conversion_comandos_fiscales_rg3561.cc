// The field-description operations: a small engine over the constant rows of
// catalogo_rg3561.cc.
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "vxp/argentina/catalogo_rg3561.h"

namespace VXP {

namespace {
constexpr const char* kTypeNames[] = {"UNKNOWN", "STRING", "INTEGER",  "REAL",    "DATE",
                                      "TIME",    "ENUM",   "BITFIELD", "LONGDATE"};
}  // namespace

const char* ToString(Types t) {
  return t < std::size(kTypeNames) ? kTypeNames[t] : kTypeNames[UNKNOWN];
}

bool FromString(const char* s, Types& t) {
  if (s == nullptr) return false;
  for (unsigned i = 0; i < std::size(kTypeNames); ++i) {
    if (Argentina::RG3561::EqualsIgnoringCase(s, kTypeNames[i])) {
      t = static_cast<Types>(i);
      return true;
    }
  }
  return false;
}

}  // namespace VXP

namespace VXP::Argentina::RG3561 {

namespace {

// "Comando" and two upper-case hexadecimal digits, for every byte.
using CodeName = std::array<char, 10>;
constexpr std::array<CodeName, 256> MakeCodeNames() {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::array<CodeName, 256> names{};
  for (unsigned b = 0; b < 256; ++b) {
    CodeName& n = names[b];
    const char prefix[] = "Comando";
    for (unsigned i = 0; i < 7; ++i) n[i] = prefix[i];
    n[7] = kHex[b >> 4];
    n[8] = kHex[b & 0x0F];
    n[9] = '\0';
  }
  return names;
}
constexpr std::array<CodeName, 256> kCodeNames = MakeCodeNames();

// The value in the requested form through the field's own table; the very
// input when the table does not take it, or the field has none.
const char* Normalize(const FieldDescription& f, const char* Text, bool Symbolic) {
  if (f.Type == ENUM && f.Table.Codes != nullptr) {
    return NormalizeCode(*f.Table.Codes, Text, Symbolic);
  }
  if (f.Type == BITFIELD && f.Table.Bits != nullptr) {
    return NormalizeBits(*f.Table.Bits, Text, Symbolic);
  }
  return Text;
}

// The type of f, with the name of its table written into a bounded buffer.
Types TypeOf(const FieldDescription& f, char* TypeName, unsigned int BufferSize) {
  if ((f.Type == ENUM || f.Type == BITFIELD) && TypeName != nullptr && BufferSize > 0) {
    const char* name = f.Table.Name();
    std::snprintf(TypeName, BufferSize, "%s", name != nullptr ? name : "");
  }
  return f.Type;
}

// The request fields of a command; empty for a command without any, or a
// byte that is no command.
Layout RequestOf(Comandos Cmd) {
  const CommandDescription* c = FindCommand(Cmd);
  return c != nullptr ? c->Request : Layout{};
}

// The answer description of a command that has answer fields, or null.
const AnswerDescription* AnswerOf(Comandos Cmd) {
  const CommandDescription* c = FindCommand(Cmd);
  return c != nullptr && c->Answer.HasFields() ? &c->Answer : nullptr;
}

// The layout the answer's own field 0 chooses.
Layout ChosenLayout(const AnswerDescription& a, const VardexDataContainer& CommandData) {
  if (!a.ByContent()) return a.Fixed;
  const char* field0 = CommandData.GetNumberOfFields() > 0 ? CommandData.GetField(0) : nullptr;
  return AnswerLayoutFor(a, field0);
}

// The description of answer field n, or null. Field 0 of a content-dependent
// answer is known without reading the answer.
const FieldDescription* AnswerField(const AnswerDescription& a,
                                    const VardexDataContainer& CommandData, unsigned int n) {
  if (a.ByContent() && n == 0) return a.Field0;
  const Layout l = ChosenLayout(a, CommandData);
  return n < l.size() ? &l[n] : nullptr;
}

}  // namespace

const char* ToString(Comandos Cmd) {
  const CommandDescription* c = FindCommand(Cmd);
  return c != nullptr ? c->Name : nullptr;
}

const char* ToStringOrCode(Comandos Cmd) {
  const char* name = ToString(Cmd);
  return name != nullptr ? name : kCodeNames[static_cast<std::uint8_t>(Cmd)].data();
}

bool FromString(const char* s, Comandos& Cmd) {
  const CommandDescription* c = FindCommandByName(s);
  if (c == nullptr) return false;
  Cmd = c->Command;
  return true;
}

// Request side.

const char* NombreCampoIn(Comandos Cmd, unsigned int nField) {
  const Layout l = RequestOf(Cmd);
  return nField < l.size() ? l[nField].Name : nullptr;
}

bool NumeroCampoIn(Comandos Cmd, const char* FieldName, unsigned int& nField) {
  return FindRequestField(Cmd, FieldName, nField);
}

const char* ValorPorDefectoCampoIn(Comandos Cmd, unsigned int nField, bool Symbolic) {
  const Layout l = RequestOf(Cmd);
  if (nField >= l.size() || l[nField].Default == MANDATORY) return nullptr;
  return Normalize(l[nField], l[nField].Default, Symbolic);
}

const char* ValorCampoIn(Comandos Cmd, unsigned int nField, const char* String, bool Symbolic) {
  const Layout l = RequestOf(Cmd);
  if (l.empty()) return nullptr;
  if (nField >= l.size()) return String;
  return Normalize(l[nField], String, Symbolic);
}

Types TipoCampoIn(Comandos Cmd, unsigned int nField, char* TypeName, unsigned int BufferSize) {
  const Layout l = RequestOf(Cmd);
  return nField < l.size() ? TypeOf(l[nField], TypeName, BufferSize) : UNKNOWN;
}

// Answer side.

namespace Detail {

const char* NombreCampoOut(Comandos Cmd, const VardexDataContainer& CommandData,
                           unsigned int nField) {
  const AnswerDescription* a = AnswerOf(Cmd);
  if (a == nullptr) return nullptr;
  const FieldDescription* f = AnswerField(*a, CommandData, nField);
  return f != nullptr ? f->Name : nullptr;
}

bool NumeroCampoOut(Comandos Cmd, const VardexDataContainer& CommandData, const char* FieldName,
                    unsigned int& nField) {
  const AnswerDescription* a = AnswerOf(Cmd);
  if (a == nullptr || FieldName == nullptr) return false;
  const char* field0 = CommandData.GetNumberOfFields() > 0 ? CommandData.GetField(0) : nullptr;
  return FindAnswerField(Cmd, field0, FieldName, nField);
}

const char* ValorCampoOut(Comandos Cmd, const VardexDataContainer& CommandData, unsigned int nField,
                          const char* String, bool Symbolic) {
  const AnswerDescription* a = AnswerOf(Cmd);
  if (a == nullptr) return nullptr;
  const FieldDescription* f = AnswerField(*a, CommandData, nField);
  return f != nullptr ? Normalize(*f, String, Symbolic) : String;
}

Types TipoCampoOut(Comandos Cmd, const VardexDataContainer& CommandData, unsigned int nField,
                   char* TypeName, unsigned int BufferSize) {
  const AnswerDescription* a = AnswerOf(Cmd);
  if (a == nullptr) return UNKNOWN;
  const FieldDescription* f = AnswerField(*a, CommandData, nField);
  return f != nullptr ? TypeOf(*f, TypeName, BufferSize) : UNKNOWN;
}

}  // namespace Detail

const char* NombreCampoOut(const VardexDataContainer& CommandData, unsigned int nField) {
  return Detail::NombreCampoOut(static_cast<Comandos>(CommandData.GetCommand()), CommandData,
                                nField);
}

bool NumeroCampoOut(const VardexDataContainer& CommandData, const char* FieldName,
                    unsigned int& nField) {
  return Detail::NumeroCampoOut(static_cast<Comandos>(CommandData.GetCommand()), CommandData,
                                FieldName, nField);
}

const char* ValorCampoOut(const VardexDataContainer& CommandData, unsigned int nField,
                          const char* String, bool Symbolic) {
  return Detail::ValorCampoOut(static_cast<Comandos>(CommandData.GetCommand()), CommandData, nField,
                               String, Symbolic);
}

Types TipoCampoOut(const VardexDataContainer& CommandData, unsigned int nField, char* TypeName,
                   unsigned int BufferSize) {
  return Detail::TipoCampoOut(static_cast<Comandos>(CommandData.GetCommand()), CommandData, nField,
                              TypeName, BufferSize);
}

}  // namespace VXP::Argentina::RG3561
