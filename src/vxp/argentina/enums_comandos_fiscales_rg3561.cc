// Compile-time checks of the code tables and the list of them. The rows are
// built from code_tables_rg3561.inc, so the enumerations and the tables
// cannot drift apart; every table is checked here for the invariants the
// parsing rules rely on (see IsSoundTable).
#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"

#include <array>
#include <string_view>

namespace VXP::Argentina::RG3561 {

namespace {

constexpr bool IsAsciiLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Whether `Text` is `Value` in decimal without leading zeros.
constexpr bool IsDecimalText(std::uint32_t Value, std::string_view Text) {
  char digits[10] = {};
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + Value % 10);
    Value /= 10;
  } while (Value != 0);
  if (Text.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (Text[i] != digits[n - 1 - i]) return false;
  }
  return true;
}

// The invariants of a table: codes strictly ascending; each packet text is
// the code's decimal number (decimal family) or the one printable ASCII
// character whose code it is (character family); names are words of ASCII
// letters and digits, longer than one character (so that no name can be
// mistaken for a one-character code) and unique ignoring case.
constexpr bool IsSoundTable(const CodeTable& Table) {
  const CodeFamily Family = Table.Family;
  const std::span<const CodeEntry> Rows = Table.Codes;
  const std::size_t N = Rows.size();
  for (std::size_t i = 0; i < N; ++i) {
    const CodeEntry& row = Rows[i];
    if (i > 0 && Rows[i - 1].Value >= row.Value) return false;
    const std::string_view text(row.Text);
    if (Family == CodeFamily::DECIMAL) {
      if (!IsDecimalText(row.Value, text)) return false;
    } else {
      if (text.size() != 1 || row.Value < 32 || row.Value > 126) return false;
      if (static_cast<unsigned char>(text[0]) != row.Value) return false;
    }
    const std::string_view name(row.Name);
    if (name.size() < 2) return false;
    for (char c : name) {
      if (!IsAsciiLetterOrDigit(c)) return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (EqualsIgnoringCase(Rows[j].Name, name)) return false;
    }
  }
  return N > 0;
}

#define VXP_RG3561_CODE_TABLE(Namespace, Name, Family) \
  static_assert(IsSoundTable(Namespace::Name##Table), #Namespace "::" #Name);
#define VXP_RG3561_DECIMAL(Enumerator, Code, Text)
#define VXP_RG3561_CHARACTER(Enumerator, Character, Text)
#define VXP_RG3561_END_TABLE
#include "vxp/argentina/code_tables_rg3561.inc"
#undef VXP_RG3561_CODE_TABLE
#undef VXP_RG3561_DECIMAL
#undef VXP_RG3561_CHARACTER
#undef VXP_RG3561_END_TABLE

constexpr std::array<const CodeTable*, Detail::CODE_TABLE_COUNT> MakeAllTables() {
  std::array<const CodeTable*, Detail::CODE_TABLE_COUNT> all{};
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = &Detail::kCodeTables[i];
  return all;
}
constexpr std::array<const CodeTable*, Detail::CODE_TABLE_COUNT> kAllTables = MakeAllTables();
static_assert(kAllTables.size() == 41);

}  // namespace

std::span<const CodeTable* const> AllCodeTables() { return kAllTables; }

}  // namespace VXP::Argentina::RG3561
