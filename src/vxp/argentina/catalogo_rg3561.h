// The RG3561 catalogue as constant data, and the read-only view of it that
// listings and checks walk.
//
// Every command has one row: its byte, its document name, the layout of its
// request fields and a description of its answer. A layout is a constant
// array of field rows (name, type, code table or bit word, stored default).
// An answer is either one fixed layout or, for the answers whose layout
// depends on their field 0, a deciding code table and one layout per deciding
// code; a deciding code without a layout of its own leaves field 0 alone.
//
// The field-description operations of conversion_comandos_fiscales_rg3561.h
// are a small engine over these rows.
//
// Thread safety: constant data; every function may run on any thread.
#ifndef VXP_ARGENTINA_CATALOGO_RG3561_H_
#define VXP_ARGENTINA_CATALOGO_RG3561_H_

#include <cstdint>
#include <span>

#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/code_table.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"

namespace VXP::Argentina::RG3561 {

// What a coded field's values belong to: a code table, a bit word, or
// nothing for the other types.
struct TableRef {
  constexpr TableRef() = default;
  constexpr TableRef(const CodeTable* t) : Codes(t) {}    // NOLINT: implicit on purpose
  constexpr TableRef(const BitWordTable* w) : Bits(w) {}  // NOLINT: implicit on purpose
  // The name a type query reports: the table's enumeration name or the
  // word's identifier; null for neither.
  constexpr const char* Name() const {
    return Codes != nullptr ? Codes->Name : Bits != nullptr ? Bits->ID : nullptr;
  }
  const CodeTable* Codes = nullptr;
  const BitWordTable* Bits = nullptr;
};

// The stored default of a field that must be given.
inline constexpr const char* MANDATORY = nullptr;

struct FieldDescription {
  const char* Name;
  Types Type;
  TableRef Table;       // set exactly for ENUM and BITFIELD
  const char* Default;  // packet text of the default; MANDATORY (null) for none
};

using Layout = std::span<const FieldDescription>;

// One layout of a content-dependent answer: chosen when field 0 equals
// either text form of Code (ASCII case ignored).
struct LayoutChoice {
  std::uint32_t Code;
  Layout Fields;
};

struct AnswerDescription {
  // A fixed answer: its layout. Empty for a command without answer fields
  // and for a content-dependent answer.
  Layout Fixed;
  // A content-dependent answer: field 0 is always Field0; the other fields
  // come from the first of Choices (tried in order) whose code field 0
  // names. Null Field0 for a fixed answer.
  const FieldDescription* Field0 = nullptr;
  const CodeTable* Deciding = nullptr;
  std::span<const LayoutChoice> Choices;

  constexpr bool ByContent() const { return Field0 != nullptr; }
  constexpr bool HasFields() const { return ByContent() || !Fixed.empty(); }
};

struct CommandDescription {
  Comandos Command;
  const char* Name;
  Layout Request;
  AnswerDescription Answer;
};

// All 76 commands in ascending order of their byte.
std::span<const CommandDescription> AllCommands();
// The command's row, or null for a byte that is no command.
const CommandDescription* FindCommand(Comandos Cmd);

// The row of the command whose document name is Name (ASCII case ignored,
// whole names only), or null; a null Name is no name.
const CommandDescription* FindCommandByName(const char* Name);

// The number of the field called Name (ASCII case ignored, whole names
// only) in the request of Cmd, or in the layout its answer takes for a
// given text of field 0 (see AnswerLayoutFor). False, nField untouched,
// when there is none. Hashed lookups: the cost does not grow with the
// number of fields.
bool FindRequestField(Comandos Cmd, const char* Name, unsigned int& nField);
bool FindAnswerField(Comandos Cmd, const char* Field0, const char* Name, unsigned int& nField);

// The layout of an answer for a given text of its field 0: the fixed layout,
// or the layout the text chooses, or field 0 alone when it chooses none
// (for a content-dependent answer). Empty for a command without answer fields.
Layout AnswerLayoutFor(const AnswerDescription& Answer, const char* Field0);

// The layout a content-dependent answer takes for the deciding code Code:
// field 0 followed by the chosen fields, or field 0 alone.
Layout AnswerLayoutForCode(const AnswerDescription& Answer, std::uint32_t Code);

}  // namespace VXP::Argentina::RG3561

#endif  // VXP_ARGENTINA_CATALOGO_RG3561_H_
