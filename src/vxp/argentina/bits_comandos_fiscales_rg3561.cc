#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"

#include <cstring>
#include <new>

#include "vxb/common/base/ascii.h"
#include "vxb/common/base/circular.h"
#include "vxp/argentina/code_table.h"

namespace VXP::Argentina::RG3561 {

namespace {

// Slices of the symbolic text pool; texts that need more get a run of
// several slices.
constexpr std::size_t kSymbolicSlice = 128;
constexpr std::size_t kSymbolicSlices = 32;
// Slices of the packet text pool: up to four hexadecimal digits and a NUL.
constexpr std::size_t kHexSlice = 8;
constexpr std::size_t kHexSlices = 32;

VXB::CircularChars<kSymbolicSlice, kSymbolicSlices>& SymbolicPool() {
  thread_local VXB::CircularChars<kSymbolicSlice, kSymbolicSlices> pool;
  return pool;
}

VXB::CircularChars<kHexSlice, kHexSlices>& HexPool() {
  thread_local VXB::CircularChars<kHexSlice, kHexSlices> pool;
  return pool;
}

template <std::size_t N>
constexpr bool IsSoundWord(unsigned int NumberOfBits, const BitEntry (&Names)[N]) {
  if (NumberOfBits != 8 && NumberOfBits != 16) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (Names[i].Bit < 1 || Names[i].Bit > NumberOfBits) return false;
    if (i > 0 && Names[i - 1].Bit >= Names[i].Bit) return false;
    const std::string_view name(Names[i].Name);
    if (name.empty()) return false;
    for (char c : name) {
      const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
      if (!ok) return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (EqualsIgnoringCase(Names[j].Name, name)) return false;
    }
  }
  return N > 0;
}

// One row of a word's name table.
#define VXP_RG3561_BIT_ROW(Enumerator, Bit, Name) {Bit, Name},

constexpr BitEntry kFiscal[] = {VXP_RG3561_FISCAL_BITS(VXP_RG3561_BIT_ROW)};
static_assert(IsSoundWord(16, kFiscal));

constexpr BitEntry kImpresora[] = {VXP_RG3561_IMPRESORA_BITS(VXP_RG3561_BIT_ROW)};
static_assert(IsSoundWord(16, kImpresora));

constexpr BitEntry kAtributosDeTexto[] = {VXP_RG3561_ATRIBUTOS_DE_TEXTO_BITS(VXP_RG3561_BIT_ROW)};
static_assert(IsSoundWord(8, kAtributosDeTexto));

constexpr BitEntry kEstadoAuxiliar[] = {VXP_RG3561_ESTADO_AUXILIAR_BITS(VXP_RG3561_BIT_ROW)};
static_assert(IsSoundWord(16, kEstadoAuxiliar));

std::uint64_t Mask(const BitWordTable& Word) {
  return Word.NumberOfBits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << Word.NumberOfBits) - 1;
}

}  // namespace

namespace Estado {
constexpr BitWordTable FiscalTable{"Fiscal", 16, kFiscal};
constexpr BitWordTable ImpresoraTable{"Impresora", 16, kImpresora};
static_assert(Fiscal::GetNumberOfBits() == 16 && sizeof(Fiscal) == 2);
static_assert(Impresora::GetNumberOfBits() == 16 && sizeof(Impresora) == 2);
}  // namespace Estado

namespace Vardex_Funcs {
constexpr BitWordTable AtributosDeTextoTable{"AtributosDeTexto", 8, kAtributosDeTexto};
constexpr BitWordTable EstadoAuxiliarTable{"EstadoAuxiliar", 16, kEstadoAuxiliar};
static_assert(AtributosDeTexto::GetNumberOfBits() == 8 && sizeof(AtributosDeTexto) == 1);
static_assert(EstadoAuxiliar::GetNumberOfBits() == 16 && sizeof(EstadoAuxiliar) == 2);
}  // namespace Vardex_Funcs

namespace {
constexpr const BitWordTable* kAllWords[] = {
    &Estado::FiscalTable,
    &Estado::ImpresoraTable,
    &Vardex_Funcs::AtributosDeTextoTable,
    &Vardex_Funcs::EstadoAuxiliarTable,
};
// A new all-clear word of class T inside a new adapter that owns it.
template <typename T>
BitFieldInterface* MakeBitField() {
  T* word = new (std::nothrow) T();
  if (word == nullptr) return nullptr;
  BitFieldInterface* adapter = new (std::nothrow) BitField<T>(word);
  if (adapter == nullptr) delete word;
  return adapter;
}

}  // namespace

std::span<const BitWordTable* const> AllBitWords() { return kAllWords; }

const BitWordTable* FindBitWord(std::string_view Name) {
  for (const BitWordTable* word : kAllWords) {
    if (EqualsIgnoringCase(word->ID, Name)) return word;
  }
  return nullptr;
}

const char* BitWordBitName(const BitWordTable& Word, std::uint64_t Bit) {
  for (const BitEntry& entry : Word.Names) {
    if (entry.Bit == Bit) return entry.Name;
  }
  return nullptr;
}

unsigned int BitWordFromBitName(const BitWordTable& Word, std::string_view Name) {
  for (const BitEntry& entry : Word.Names) {
    if (EqualsIgnoringCase(entry.Name, Name)) return entry.Bit;
  }
  return 0;
}

const char* BitWordToString(const BitWordTable& Word, std::uint64_t Value, bool Symbolic) {
  Value &= Mask(Word);
  if (!Symbolic) {
    const unsigned int digits = Word.NumberOfBits / 4;
    char* out = HexPool().GetBuf(kHexSlice);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned int i = 0; i < digits && i < kHexSlice - 1; ++i) {
      const unsigned int shift = 4 * (digits - 1 - i);
      out[i] = kHex[(Value >> shift) & 0xF];
    }
    out[digits < kHexSlice ? digits : kHexSlice - 1] = '\0';
    return out;
  }
  // Measure first, so that a long list gets a slice it fits in.
  std::size_t needed = 0;
  for (const BitEntry& entry : Word.Names) {
    if ((Value >> (entry.Bit - 1)) & 1) needed += (needed ? 1 : 0) + std::strlen(entry.Name);
  }
  std::size_t size = ((needed + 1 + kSymbolicSlice - 1) / kSymbolicSlice) * kSymbolicSlice;
  char* out = SymbolicPool().GetBufAtMost(size);
  std::size_t used = 0;
  for (const BitEntry& entry : Word.Names) {
    if (((Value >> (entry.Bit - 1)) & 1) == 0) continue;
    const std::size_t length = std::strlen(entry.Name);
    const std::size_t separator = used ? 1 : 0;
    if (used + separator + length + 1 > size) break;  // cannot happen: measured above
    if (separator) out[used++] = ' ';
    std::memcpy(out + used, entry.Name, length);
    used += length;
  }
  out[used] = '\0';
  return out;
}

bool BitWordFromString(const BitWordTable& Word, const char* Text, std::uint64_t& Value) {
  if (Text == nullptr) return false;
  const std::string_view text(Text, std::strlen(Text));
  const std::uint64_t mask = Mask(Word);

  bool hex = text.size() <= Word.NumberOfBits / 4;
  for (std::size_t i = 0; hex && i < text.size(); ++i)
    hex = VXB::ASCII::DigitValue(text[i], 16) >= 0;
  if (hex) {
    std::uint64_t v = 0;
    for (char c : text) v = (v << 4) | static_cast<unsigned>(VXB::ASCII::DigitValue(c, 16));
    Value = v & mask;
    return true;
  }

  // Blank-separated names, each adding its bit. A token is compared whole,
  // however long: one too long to be a name simply names no bit.
  std::uint64_t v = Value & mask;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ' ') ++pos;
    if (pos == start) break;
    const unsigned int bit = BitWordFromBitName(Word, text.substr(start, pos - start));
    if (bit >= 1 && bit <= Word.NumberOfBits) v |= std::uint64_t{1} << (bit - 1);
  }
  Value = v;
  return text.empty() || Value != 0;
}

const char* NormalizeBits(const BitWordTable& Word, const char* Text, bool Symbolic) {
  std::uint64_t value = 0;
  if (!BitWordFromString(Word, Text, value)) return Text;
  return BitWordToString(Word, value, Symbolic);
}

BitFieldInterface* GetBitField(const char* Name) {
  if (Name == nullptr) return nullptr;
  const BitWordTable* word = FindBitWord(Name);
  if (word == &Estado::FiscalTable) return MakeBitField<Estado::Fiscal>();
  if (word == &Estado::ImpresoraTable) return MakeBitField<Estado::Impresora>();
  if (word == &Vardex_Funcs::AtributosDeTextoTable) {
    return MakeBitField<Vardex_Funcs::AtributosDeTexto>();
  }
  if (word == &Vardex_Funcs::EstadoAuxiliarTable) {
    return MakeBitField<Vardex_Funcs::EstadoAuxiliar>();
  }
  return nullptr;
}

}  // namespace VXP::Argentina::RG3561
