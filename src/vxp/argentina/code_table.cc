#include "vxp/argentina/code_table.h"

#include <cstring>

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

}  // namespace

const CodeTable* FindCodeTable(std::string_view Name) {
  for (const CodeTable* table : AllCodeTables()) {
    if (EqualsIgnoringCase(table->Name, Name)) return table;
  }
  return nullptr;
}

const CodeEntry* FindCodeByValue(const CodeTable& Table, std::uint32_t Value) {
  for (const CodeEntry& entry : Table.Codes) {
    if (entry.Value == Value) return &entry;
  }
  return nullptr;
}

const CodeEntry* FindCodeByText(const CodeTable& Table, std::string_view Text) {
  for (const CodeEntry& entry : Table.Codes) {
    if (Text == entry.Text) return &entry;
  }
  return nullptr;
}

const CodeEntry* FindCodeByName(const CodeTable& Table, std::string_view Name) {
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
