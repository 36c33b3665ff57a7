#include "vxp/argentina/code_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"
#include "vxp/argentina/name_index.h"

namespace VXP::Argentina::RG3561 {

namespace {

// The largest number a decimal text may stand for and still be looked up as
// a code: all 32 bits set means "no value", and anything larger cannot be a
// code, so such texts are compared with the names instead.
constexpr std::uint64_t kLargestCode = 0xFFFFFFFEu;

// Reads a text made only of digits (the empty text gives 0). Returns false
// when the text holds any other character or the number is above
// kLargestCode; the digits are never allowed to wrap into a small number.
bool ReadDecimal(std::string_view Text, std::uint32_t& Value) {
  std::uint64_t v = 0;
  for (char c : Text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > kLargestCode) return false;
  }
  Value = static_cast<std::uint32_t>(v);
  return true;
}

// The scope of the table names in the index; a code's scope is its table's
// position in Detail::kCodeTables.
constexpr std::uint16_t kTableNames = 0xFFFF;

// Every code name by its table, and every table name.
constexpr NameIndex<1024> MakeCodeIndex() {
  NameIndex<1024> index;
  for (std::size_t t = 0; t < std::size(Detail::kCodeTables); ++t) {
    const CodeTable& table = Detail::kCodeTables[t];
    index.Add(kTableNames, table.Name, static_cast<std::uint16_t>(t));
    for (std::size_t i = 0; i < table.Codes.size(); ++i) {
      index.Add(static_cast<std::uint16_t>(t), table.Codes[i].Name, static_cast<std::uint16_t>(i));
    }
  }
  return index;
}
constexpr NameIndex<1024> kCodeIndex = MakeCodeIndex();
static_assert(kCodeIndex.Sound(), "code names unique within a table, table names unique");
static_assert(kCodeIndex.Count() == 333 + 41);

// The position of a listed table in Detail::kCodeTables, or -1 for a
// descriptor made elsewhere.
int PositionOf(const CodeTable& Table) {
  const CodeTable* first = std::begin(Detail::kCodeTables);
  const CodeTable* last = std::end(Detail::kCodeTables);
  if (std::less<const CodeTable*>()(&Table, first) || !std::less<const CodeTable*>()(&Table, last))
    return -1;
  return static_cast<int>(&Table - first);
}

}  // namespace

const CodeTable* FindCodeTable(std::string_view Name) {
  const NameSlot* s = kCodeIndex.Find(kTableNames, Name);
  return s != nullptr ? &Detail::kCodeTables[s->Number] : nullptr;
}

const CodeEntry* FindCodeByValue(const CodeTable& Table, std::uint32_t Value) {
  // The codes ascend.
  const auto it = std::lower_bound(Table.Codes.begin(), Table.Codes.end(), Value,
                                   [](const CodeEntry& e, std::uint32_t v) { return e.Value < v; });
  return it != Table.Codes.end() && it->Value == Value ? &*it : nullptr;
}

const CodeEntry* FindCodeByText(const CodeTable& Table, std::string_view Text) {
  for (const CodeEntry& entry : Table.Codes) {
    if (Text == entry.Text) return &entry;
  }
  return nullptr;
}

const CodeEntry* FindCodeByName(const CodeTable& Table, std::string_view Name) {
  const int t = PositionOf(Table);
  if (t >= 0) {
    const NameSlot* s = kCodeIndex.Find(static_cast<std::uint16_t>(t), Name);
    return s != nullptr ? &Table.Codes[s->Number] : nullptr;
  }
  for (const CodeEntry& entry : Table.Codes) {
    if (EqualsIgnoringCase(entry.Name, Name)) return &entry;
  }
  return nullptr;
}

const char* CodeToString(const CodeTable& Table, std::uint32_t Value, bool Symbolic) {
  const CodeEntry* entry = FindCodeByValue(Table, Value);
  if (entry == nullptr) return nullptr;
  return Symbolic ? entry->Name : entry->Text;
}

bool CodeFromString(const CodeTable& Table, const char* Text, std::uint32_t& Value) {
  if (Text == nullptr) return false;
  const std::string_view text(Text, std::strlen(Text));
  const CodeEntry* entry = nullptr;
  if (Table.Family == CodeFamily::DECIMAL) {
    std::uint32_t number = 0;
    if (ReadDecimal(text, number)) {
      // A number is a code or nothing: the names are not consulted.
      entry = FindCodeByValue(Table, number);
    } else {
      entry = FindCodeByName(Table, text);
    }
  } else {
    if (text.size() == 1) {
      entry = FindCodeByText(Table, text);
    } else if (text.size() > 1) {
      entry = FindCodeByName(Table, text);
    }
  }
  if (entry == nullptr) return false;
  Value = entry->Value;
  return true;
}

const char* NormalizeCode(const CodeTable& Table, const char* Text, bool Symbolic) {
  std::uint32_t value = 0;
  if (!CodeFromString(Table, Text, value)) return Text;
  return CodeToString(Table, value, Symbolic);
}

}  // namespace VXP::Argentina::RG3561
