// The 41 code tables of the RG3561 command set: document types, VAT
// conditions, payment forms, units of measure (namespace AFIP), cashier
// operations (ECR) and the controller's own command options (Vardex_Funcs).
//
// The tables are stated once, in code_tables_rg3561.inc; everything here is
// built from those lines. Each table is an enumeration whose values are the
// codes, a constant descriptor `N::TTable` over its rows and, for every
// table `T` of namespace `N`:
//   const char* N::ToString(T value, bool Symbolic);  // name or packet text,
//                                                      // null if not listed
//   bool N::FromString(const char* text, T& value);    // either form
// Both are thin wrappers over the generic engine of code_table.h, which the
// field descriptions use directly through the descriptors (FindCodeTable,
// NormalizeCode). The parsing rules of the two families are described there.
//
// Thread safety: constant data and pure functions; safe from any thread.
#ifndef VXP_ARGENTINA_ENUMS_COMANDOS_FISCALES_RG3561_H_
#define VXP_ARGENTINA_ENUMS_COMANDOS_FISCALES_RG3561_H_

#include <cstdint>

#include "vxp/argentina/code_table.h"

// The code of a character-family row: the code of its one character.
#define VXP_RG3561_CHARACTER_CODE(Text) \
  static_cast<std::uint32_t>(static_cast<unsigned char>(Text[0]))

namespace VXP::Argentina::RG3561 {

// The enumerations: one enumerator per code, valued by the code.
#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family) \
  namespace Namespace {                                \
  enum class Name : std::uint32_t {
#define VXP_RG3561_DECIMAL(Enumerator, Code, Text) Enumerator = Code,
#define VXP_RG3561_CHARACTER(Enumerator, Character, Text) \
  Enumerator = VXP_RG3561_CHARACTER_CODE(Character),
#define VXP_RG3561_END_TABLE \
  }                          \
  ;                          \
  }
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
#undef VXP_RG3561_DECIMAL
#undef VXP_RG3561_CHARACTER
#undef VXP_RG3561_END_TABLE

namespace Detail {

// The rows of each table, {code, packet text, name} in ascending code order.
#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family) \
  namespace Namespace##_Rows {                         \
    inline constexpr CodeEntry Name[] = {
#define VXP_RG3561_DECIMAL(Enumerator, Code, Text) {Code, #Code, Text},
#define VXP_RG3561_CHARACTER(Enumerator, Character, Text) \
  {VXP_RG3561_CHARACTER_CODE(Character), Character, Text},
#define VXP_RG3561_END_TABLE \
  }                          \
  ;                          \
  }
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
#undef VXP_RG3561_DECIMAL
#undef VXP_RG3561_CHARACTER
#undef VXP_RG3561_END_TABLE

// The passes below look at the tables only.
#define VXP_RG3561_DECIMAL(Enumerator, Code, Text)
#define VXP_RG3561_CHARACTER(Enumerator, Character, Text)
#define VXP_RG3561_END_TABLE

// Every table's position in kCodeTables.
enum CodeTableIndex : unsigned {
#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family) Namespace##_##Name,
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
  CODE_TABLE_COUNT
};

// Every table's descriptor, in the listing order.
inline constexpr CodeTable kCodeTables[] = {
#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family) \
  {#Namespace, #Name, CodeFamily::Family, Namespace##_Rows::Name},
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
};

}  // namespace Detail

// The descriptors by name, and the typed conversions: code to text (name
// when Symbolic, else packet text; null for a value that is not in the
// table); text to code (either form; false leaves `value` untouched).
#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family)                                             \
  namespace Namespace {                                                                            \
  inline constexpr const CodeTable& Name##Table = Detail::kCodeTables[Detail::Namespace##_##Name]; \
  inline const char* ToString(Name value, bool Symbolic) {                                         \
    return CodeToString(Name##Table, static_cast<std::uint32_t>(value), Symbolic);                 \
  }                                                                                                \
  inline bool FromString(const char* text, Name& value) {                                          \
    return FromStringAs(Name##Table, text, value);                                                 \
  }                                                                                                \
  }                                                                                                \
  template <>                                                                                      \
  struct CodeTableOf<Namespace::Name> {                                                            \
    static constexpr const CodeTable& Table = Namespace::Name##Table;                              \
  };
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
#undef VXP_RG3561_DECIMAL
#undef VXP_RG3561_CHARACTER
#undef VXP_RG3561_END_TABLE

}  // namespace VXP::Argentina::RG3561

#endif  // VXP_ARGENTINA_ENUMS_COMANDOS_FISCALES_RG3561_H_
