// The command table and the layout choice of content-dependent answers.
#include "vxp/argentina/catalogo_rg3561.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"

namespace VXP::Argentina::RG3561 {

namespace {

// The code tables and bit words that fields refer to, by their names.
namespace T {
#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family) \
  constexpr const CodeTable* Name = &Namespace::Name##Table;
#define VXP_RG3561_DECIMAL(Enumerator, Code, Text)
#define VXP_RG3561_CHARACTER(Enumerator, Character, Text)
#define VXP_RG3561_END_TABLE
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
#undef VXP_RG3561_DECIMAL
#undef VXP_RG3561_CHARACTER
#undef VXP_RG3561_END_TABLE

constexpr const BitWordTable* AtributosDeTexto = &Vardex_Funcs::AtributosDeTextoTable;
constexpr const BitWordTable* EstadoAuxiliar = &Vardex_Funcs::EstadoAuxiliarTable;
}  // namespace T

constexpr TableRef NONE{};

#include "vxp/argentina/answer_fields_rg3561.inc"
#include "vxp/argentina/request_fields_rg3561.inc"

constexpr AnswerDescription NO_ANSWER{};

using Answer::Fixed;

// One row per command, in ascending order of the command byte: command,
// document name, request fields, answer; built from the command set.
#define VXP_RG3561_REQUEST_OF_REQUEST(Name) Request::Name
#define VXP_RG3561_REQUEST_OF_NO_REQUEST(Name) \
  Layout {}
#define VXP_RG3561_ANSWER_OF_FIXED(Layout) Fixed(Answer::Layout)
#define VXP_RG3561_ANSWER_OF_BY_CONTENT(Description) Answer::Description
#define VXP_RG3561_ANSWER_OF_NO_ANSWER NO_ANSWER
#define VXP_RG3561_COMMAND_ROW(A, Name, Enumerator, Byte, Request, Answer) \
  {Enumerator, #Name, VXP_RG3561_REQUEST_OF_##Request(Name), VXP_RG3561_ANSWER_OF_##Answer},
constexpr CommandDescription kCommands[] = {VXP_RG3561_COMMANDS(VXP_RG3561_COMMAND_ROW, )};
#undef VXP_RG3561_COMMAND_ROW
#undef VXP_RG3561_REQUEST_OF_REQUEST
#undef VXP_RG3561_REQUEST_OF_NO_REQUEST
#undef VXP_RG3561_ANSWER_OF_FIXED
#undef VXP_RG3561_ANSWER_OF_BY_CONTENT
#undef VXP_RG3561_ANSWER_OF_NO_ANSWER

// Checks of the data's shape that need no reading of its contents.

constexpr bool StrictlyAscending() {
  for (std::size_t i = 1; i < std::size(kCommands); ++i) {
    if (kCommands[i - 1].Command >= kCommands[i].Command) return false;
  }
  return true;
}
static_assert(std::size(kCommands) == 76);
static_assert(StrictlyAscending(), "one row per command byte, in ascending order");

constexpr std::size_t CountRequestFields() {
  std::size_t n = 0;
  for (const CommandDescription& c : kCommands) n += c.Request.size();
  return n;
}
static_assert(CountRequestFields() == 165);

// Command byte -> row index + 1 (0: no command).
constexpr std::array<std::uint8_t, 256> MakeIndex() {
  std::array<std::uint8_t, 256> index{};
  for (std::size_t i = 0; i < std::size(kCommands); ++i) {
    index[kCommands[i].Command] = static_cast<std::uint8_t>(i + 1);
  }
  return index;
}
constexpr std::array<std::uint8_t, 256> kIndex = MakeIndex();

// Whether a text of field 0 names the code: either of its text forms, ASCII
// case ignored.
bool Names(const CodeTable& Table, std::uint32_t Code, std::string_view Text) {
  const CodeEntry* e = FindCodeByValue(Table, Code);
  if (e == nullptr) return false;
  return EqualsIgnoringCase(Text, e->Text) || EqualsIgnoringCase(Text, e->Name);
}

}  // namespace

std::span<const CommandDescription> AllCommands() { return kCommands; }

const CommandDescription* FindCommand(Comandos Cmd) {
  const std::uint8_t i = kIndex[static_cast<std::uint8_t>(Cmd)];
  return i == 0 ? nullptr : &kCommands[i - 1];
}

Layout AnswerLayoutFor(const AnswerDescription& Answer, const char* Field0) {
  if (!Answer.ByContent()) return Answer.Fixed;
  if (Field0 != nullptr) {
    for (const LayoutChoice& c : Answer.Choices) {
      if (Names(*Answer.Deciding, c.Code, Field0)) return c.Fields;
    }
  }
  return Layout(Answer.Field0, 1);
}

Layout AnswerLayoutForCode(const AnswerDescription& Answer, std::uint32_t Code) {
  if (!Answer.ByContent()) return Answer.Fixed;
  for (const LayoutChoice& c : Answer.Choices) {
    if (c.Code == Code) return c.Fields;
  }
  return Layout(Answer.Field0, 1);
}

}  // namespace VXP::Argentina::RG3561
