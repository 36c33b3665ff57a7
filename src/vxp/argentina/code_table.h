// Generic engine over the constant code tables of the RG3561 command set.
//
// A code table maps between a code (a 32-bit number), the text that stands
// for it in a packet field and the name that stands for it in a JSON or XML
// document. Every table is a constant `CodeTable` descriptor over a constant
// array of `CodeEntry` rows in ascending code order; the typed enumerations
// and their ToString/FromString overloads are thin wrappers over the
// functions declared here.
//
// Two families differ in how a code is written in a packet:
//  - DECIMAL: the packet text is the code in decimal without leading zeros.
//    A text made only of digits (the empty text included) is read as a
//    number; a number that is not in the table fails without looking at the
//    names. A number of 4294967295 or more (it cannot be a code) and any
//    other text are compared with the names, ASCII case ignored.
//  - CHARACTER: the code is the character code of a single ASCII character
//    and the packet text is that character. A one-character text is compared
//    with the codes exactly (case matters); a longer text with the names,
//    ASCII case ignored; the empty text fails.
//
// Thread safety: everything here is constant data and pure functions; any
// function may run on any thread at any time. Nothing allocates, records an
// error or logs. Returned texts are string literals with static lifetime.
#ifndef VXP_ARGENTINA_CODE_TABLE_H_
#define VXP_ARGENTINA_CODE_TABLE_H_

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "vxb/common/base/ascii.h"

namespace VXP::Argentina::RG3561 {

enum class CodeFamily : std::uint8_t {
  DECIMAL,    // packet text: the code in decimal ("0", "7", "910")
  CHARACTER,  // packet text: the one character whose code it is ("T")
};

// One code of a table.
struct CodeEntry {
  std::uint32_t Value;  // the code
  const char* Text;     // its packet text
  const char* Name;     // its name in documents
};

// One code table.
struct CodeTable {
  const char* Namespace;  // "AFIP", "ECR" or "Vardex_Funcs"
  const char* Name;       // the enumeration's name, e.g. "TiposComprobante"
  CodeFamily Family;
  std::span<const CodeEntry> Codes;  // ascending by Value
};

// ASCII-case-insensitive equality of whole texts: A-Z equal a-z, every other
// byte must be equal.
using VXB::ASCII::EqualsIgnoringCase;

// All 41 tables, in the order AFIP, ECR, Vardex_Funcs and within each
// namespace alphabetically (the catalogue listing order).
std::span<const CodeTable* const> AllCodeTables();

// The table whose enumeration name is `Name` (ASCII case ignored), or null.
const CodeTable* FindCodeTable(std::string_view Name);

// Row lookups; null when absent.
const CodeEntry* FindCodeByValue(const CodeTable& Table, std::uint32_t Value);
// Exact comparison with the packet texts.
const CodeEntry* FindCodeByText(const CodeTable& Table, std::string_view Text);
// Comparison with the names, ASCII case ignored.
const CodeEntry* FindCodeByName(const CodeTable& Table, std::string_view Name);

// The name (Symbolic) or packet text of a code; null for a code that is not
// in the table.
const char* CodeToString(const CodeTable& Table, std::uint32_t Value, bool Symbolic);

// Parses either text form by the rules of the table's family. On success
// stores the code in `Value` and returns true; on failure returns false and
// leaves `Value` untouched. A null text fails.
bool CodeFromString(const CodeTable& Table, const char* Text, std::uint32_t& Value);

// The normalisation of an ENUM field value: parses `Text` with the table
// and returns the code's text in the selected form; when it does not parse,
// returns `Text` itself (the very pointer, null included).
const char* NormalizeCode(const CodeTable& Table, const char* Text, bool Symbolic);

// CodeFromString into a table's enumeration type.
template <typename E>
bool FromStringAs(const CodeTable& Table, const char* Text, E& Value) {
  std::uint32_t v = 0;
  if (!CodeFromString(Table, Text, v)) return false;
  Value = static_cast<E>(v);
  return true;
}

// Maps each table enumeration to its descriptor; specialised next to every
// enumeration.
template <typename E>
struct CodeTableOf;

template <typename E>
concept CodeEnum = requires {
  { CodeTableOf<E>::Table } -> std::convertible_to<const CodeTable&>;
};

}  // namespace VXP::Argentina::RG3561

#endif  // VXP_ARGENTINA_CODE_TABLE_H_
