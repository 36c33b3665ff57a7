// The command table and the layout choice of content-dependent answers.
#include "vxp/argentina/catalogo_rg3561.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"
#include "vxp/argentina/name_index.h"

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

// Scopes of the field index: a command's request, its fixed answer, or the
// k-th layout choice of its content-dependent answer.
constexpr std::uint16_t RequestScope(unsigned Byte) { return static_cast<std::uint16_t>(Byte); }
constexpr std::uint16_t FixedAnswerScope(unsigned Byte) {
  return static_cast<std::uint16_t>(0x100 | Byte);
}
constexpr std::uint16_t ChoiceScope(unsigned Byte, std::size_t k) {
  return static_cast<std::uint16_t>(((2 + k) << 8) | Byte);
}

template <std::size_t N>
constexpr void AddLayout(NameIndex<N>& Index, std::uint16_t Scope, Layout Fields) {
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    Index.Add(Scope, Fields[i].Name, static_cast<std::uint16_t>(i));
  }
}

// Every field name of every layout, by its scope.
constexpr NameIndex<2048> MakeFieldIndex() {
  NameIndex<2048> index;
  for (const CommandDescription& c : kCommands) {
    AddLayout(index, RequestScope(c.Command), c.Request);
    if (!c.Answer.ByContent()) {
      AddLayout(index, FixedAnswerScope(c.Command), c.Answer.Fixed);
      continue;
    }
    for (std::size_t k = 0; k < c.Answer.Choices.size(); ++k) {
      AddLayout(index, ChoiceScope(c.Command, k), c.Answer.Choices[k].Fields);
    }
  }
  return index;
}
constexpr NameIndex<2048> kFieldIndex = MakeFieldIndex();
static_assert(kFieldIndex.Sound(), "field names unique within each layout");
static_assert(kFieldIndex.Count() > 165);

// The document names of the commands, numbered by their rows.
constexpr NameIndex<256> MakeCommandIndex() {
  NameIndex<256> index;
  for (std::size_t i = 0; i < std::size(kCommands); ++i) {
    index.Add(0, kCommands[i].Name, static_cast<std::uint16_t>(i));
  }
  return index;
}
constexpr NameIndex<256> kCommandIndex = MakeCommandIndex();
static_assert(kCommandIndex.Sound(), "command names unique");
static_assert(kCommandIndex.Count() == std::size(kCommands));

// Whether a text of field 0 names the code: either of its text forms, ASCII
// case ignored.
bool Names(const CodeTable& Table, std::uint32_t Code, std::string_view Text) {
  const CodeEntry* e = FindCodeByValue(Table, Code);
  if (e == nullptr) return false;
  return EqualsIgnoringCase(Text, e->Text) || EqualsIgnoringCase(Text, e->Name);
}

// The position among Answer.Choices of the layout a text of field 0
// chooses; Choices.size() when it chooses none.
std::size_t ChoiceFor(const AnswerDescription& Answer, const char* Field0) {
  std::size_t k = 0;
  if (Field0 != nullptr) {
    for (; k < Answer.Choices.size(); ++k) {
      if (Names(*Answer.Deciding, Answer.Choices[k].Code, Field0)) break;
    }
  } else {
    k = Answer.Choices.size();
  }
  return k;
}

bool Found(const NameSlot* Slot, unsigned int& nField) {
  if (Slot == nullptr) return false;
  nField = Slot->Number;
  return true;
}

}  // namespace

std::span<const CommandDescription> AllCommands() { return kCommands; }

const CommandDescription* FindCommand(Comandos Cmd) {
  const std::uint8_t i = kIndex[static_cast<std::uint8_t>(Cmd)];
  return i == 0 ? nullptr : &kCommands[i - 1];
}

const CommandDescription* FindCommandByName(const char* Name) {
  const NameSlot* s = kCommandIndex.Find(0, Name);
  return s != nullptr ? &kCommands[s->Number] : nullptr;
}

bool FindRequestField(Comandos Cmd, const char* Name, unsigned int& nField) {
  return Found(kFieldIndex.Find(RequestScope(Cmd), Name), nField);
}

bool FindAnswerField(Comandos Cmd, const char* Field0, const char* Name, unsigned int& nField) {
  const CommandDescription* c = FindCommand(Cmd);
  if (c == nullptr || Name == nullptr) return false;
  const AnswerDescription& a = c->Answer;
  if (!a.ByContent()) return Found(kFieldIndex.Find(FixedAnswerScope(Cmd), Name), nField);
  if (EqualsIgnoringCase(Name, a.Field0->Name)) {
    nField = 0;
    return true;
  }
  const std::size_t k = ChoiceFor(a, Field0);
  if (k == a.Choices.size()) return false;
  return Found(kFieldIndex.Find(ChoiceScope(Cmd, k), Name), nField);
}

Layout AnswerLayoutFor(const AnswerDescription& Answer, const char* Field0) {
  if (!Answer.ByContent()) return Answer.Fixed;
  const std::size_t k = ChoiceFor(Answer, Field0);
  return k < Answer.Choices.size() ? Answer.Choices[k].Fields : Layout(Answer.Field0, 1);
}

Layout AnswerLayoutForCode(const AnswerDescription& Answer, std::uint32_t Code) {
  if (!Answer.ByContent()) return Answer.Fixed;
  for (const LayoutChoice& c : Answer.Choices) {
    if (c.Code == Code) return c.Fields;
  }
  return Layout(Answer.Field0, 1);
}

}  // namespace VXP::Argentina::RG3561
