// Bit words of the RG3561 command set: the fiscal and printer status words
// that come with every answer, the auxiliary status word of ConsultarEstado
// and the text attributes of the text-printing commands.
//
// Bits are numbered from 1 at the least significant bit. A word has two text
// forms:
//  - packet form: the value in upper-case hexadecimal, one digit per four
//    bits, zero-padded ("0C", "2001");
//  - symbolic form: the names of the set bits in ascending order, joined by
//    one blank; spare bits contribute nothing; no named bit set gives "".
// Parsing (FromString) accepts either form: a text of at most one digit per
// four bits, all hexadecimal digits (either case, the empty text included),
// replaces the word; any other text is read as blank-separated names, each
// known name adding its bit (unknown tokens, and tokens too long to be a
// name, are skipped). The parse fails when the text is not empty and the
// word is 0 afterwards.
//
// Every word is described by a constant `BitWordTable`; the four word
// classes, the `BitField<T>` adapters and the field normalisation are thin
// layers over the generic functions declared here.
//
// Returned texts of both forms live in the calling thread's rotating pools
// (one per form): a text stays intact while 31 further texts of the same
// form are made on that thread. A symbolic text longer than 127 characters
// (a word with many bits set) is given a run of 128-byte slices instead of
// one, never cut, and counts as that many texts towards the rotation.
//
// Thread safety: words are plain values owned by their users; the tables
// are constant and the text pools are per thread, so everything may run
// concurrently on different threads. Nothing records an error or logs; only
// GetBitField allocates.
#ifndef VXP_ARGENTINA_BITS_COMANDOS_FISCALES_RG3561_H_
#define VXP_ARGENTINA_BITS_COMANDOS_FISCALES_RG3561_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "vxb/common/base/types.h"

namespace VXP {

// A bit word of any class, handled by name (see GetBitField). Bit numbers
// (1 to the word's width) are taken and given by Test, Set, ToStringBit and
// FromStringBit; SetBits and GetBits take and give the whole word.
// Not thread-safe: one object belongs to one user at a time.
class BitFieldInterface {
 public:
  using MaxType = std::uint64_t;

  virtual ~BitFieldInterface() = default;

  // Replaces the word by `Value` truncated to the word's width.
  virtual void SetBits(MaxType Value) = 0;
  virtual MaxType GetBits() const = 0;
  // 8 or 16.
  virtual unsigned int GetNumberOfBits() const = 0;
  // The class identifier ("Fiscal", "Impresora", ...).
  virtual const char* GetID() const = 0;
  // Whether bit n is set; false for 0 and for numbers above the width.
  virtual bool Test(MaxType n) const = 0;
  // Sets or clears bit n; nothing for 0 and for numbers above the width.
  virtual void Set(MaxType n, bool On) = 0;
  // The name of bit n; null for a spare or out-of-range number.
  virtual const char* ToStringBit(MaxType n) const = 0;
  // The bit number of a name (ASCII case ignored), or 0.
  virtual MaxType FromStringBit(const char* Name) const = 0;
  // The word's text in the selected form (rotating per-thread pool).
  virtual const char* ToString(bool Symbolic) const = 0;
  // Parses a text into the word; success is not reported.
  virtual void FromString(const char* Text) = 0;
};

}  // namespace VXP

namespace VXP::Argentina::RG3561 {

// One named bit of a word.
struct BitEntry {
  unsigned int Bit;  // 1 = least significant
  const char* Name;
};

// One word class: its identifier, width and named bits (ascending).
struct BitWordTable {
  const char* ID;
  unsigned int NumberOfBits;  // 8 or 16
  std::span<const BitEntry> Names;
};

// The four word tables in the order Fiscal, Impresora, AtributosDeTexto,
// EstadoAuxiliar.
std::span<const BitWordTable* const> AllBitWords();

// The table whose identifier is `Name` (ASCII case ignored), or null.
const BitWordTable* FindBitWord(std::string_view Name);

// The name of bit `Bit`; null for 0, spare bits and numbers above the width.
const char* BitWordBitName(const BitWordTable& Word, std::uint64_t Bit);
// The number of the bit called `Name` (ASCII case ignored); 0 for any other
// text, null included.
unsigned int BitWordFromBitName(const BitWordTable& Word, std::string_view Name);

// The text of `Value` (truncated to the width) in the selected form.
const char* BitWordToString(const BitWordTable& Word, std::uint64_t Value, bool Symbolic);

// Parses `Text` into `Value` by the rules above: hexadecimal replaces the
// value, names add to it. Returns false when `Text` is not empty and the
// value is 0 afterwards; a null text is false and leaves `Value` untouched.
bool BitWordFromString(const BitWordTable& Word, const char* Text, std::uint64_t& Value);

// The normalisation of a BITFIELD field value: parses `Text` into an
// all-clear word and returns its text in the selected form; when the parse
// fails, returns `Text` itself (the very pointer, null included).
const char* NormalizeBits(const BitWordTable& Word, const char* Text, bool Symbolic);

// Common body of the word classes: a plain value whose storage is the word
// itself. `BitsT` is the class's enumeration of bit numbers.
template <typename Int, typename BitsT, const BitWordTable& kTable>
class BitWordValue {
 public:
  using Integer = Int;
  using Bits = BitsT;

  constexpr BitWordValue() = default;
  constexpr explicit BitWordValue(Integer Value) : value_(Value) {}

  constexpr Integer ToInteger() const { return value_; }

  static constexpr unsigned int GetNumberOfBits() { return sizeof(Integer) * 8; }
  static const char* GetID() { return kTable.ID; }

  // The mask of bit b; 0 for b = 0 and for b above the width.
  static constexpr Integer Bit(Bits b) {
    const auto n = static_cast<unsigned int>(b);
    if (n == 0 || n > GetNumberOfBits()) return 0;
    return static_cast<Integer>(1u << (n - 1));
  }
  constexpr bool Test(Bits b) const { return (value_ & Bit(b)) != 0; }
  constexpr void Set(Bits b, bool On) {
    value_ = static_cast<Integer>(On ? (value_ | Bit(b)) : (value_ & ~Bit(b)));
  }

  static const char* BitName(Bits b) {
    return BitWordBitName(kTable, static_cast<unsigned int>(b));
  }
  static Bits FromBitName(const char* s) {
    return static_cast<Bits>(s == nullptr ? 0u : BitWordFromBitName(kTable, s));
  }

  const char* ToString(bool Symbolic) const { return BitWordToString(kTable, value_, Symbolic); }
  bool FromString(const char* s) {
    std::uint64_t v = value_;
    const bool ok = BitWordFromString(kTable, s, v);
    value_ = static_cast<Integer>(v);
    return ok;
  }

 protected:
  Integer value_ = 0;
};

// One enumerator of a bit list below.
#define VXP_RG3561_BIT_ENUMERATOR(Enumerator, Bit, Name) Enumerator = Bit,

namespace Estado {

// The named bits of the word: (enumerator, bit, name), the one list the
// enumeration and the name table are both made from.
#define VXP_RG3561_FISCAL_BITS(X)                                     \
  X(BIT_ERROR_MEMORIA_FISCAL, 1, "ErrorMemoriaFiscal")                \
  X(BIT_ERROR_MEMORIA_TRABAJO, 2, "ErrorMemoriaTrabajo")              \
  X(BIT_ERROR_MEMORIA_AUDITORIA, 3, "ErrorMemoriaAuditoria")          \
  X(BIT_ERROR_GENERAL, 4, "ErrorGeneral")                             \
  X(BIT_ERROR_PARAMETRO, 5, "ErrorParametro")                         \
  X(BIT_ERROR_ESTADO, 6, "ErrorEstado")                               \
  X(BIT_ERROR_ARITMETICO, 7, "ErrorAritmetico")                       \
  X(BIT_MEMORIA_FISCAL_LLENA, 8, "MemoriaFiscalLlena")                \
  X(BIT_MEMORIA_FISCAL_CASI_LLENA, 9, "MemoriaFiscalCasiLlena")       \
  X(BIT_MEMORIA_FISCAL_INICIALIZADA, 10, "MemoriaFiscalInicializada") \
  /* 11, 12 spare */                                                  \
  X(BIT_DOCUMENTO_FISCAL_ABIERTO, 13, "DocumentoFiscalAbierto")       \
  X(BIT_DOCUMENTO_ABIERTO, 14, "DocumentoAbierto")                    \
  /* 15 spare */                                                      \
  X(BIT_ERROR_EJECUCION, 16, "ErrorEjecucion")
enum class FiscalBit : unsigned int { VXP_RG3561_FISCAL_BITS(VXP_RG3561_BIT_ENUMERATOR) };
extern const BitWordTable FiscalTable;

// The fiscal status word of every answer (16 bits, identifier "Fiscal").
class Fiscal : public BitWordValue<VXB::Types::uint16, FiscalBit, FiscalTable> {
 public:
  using enum FiscalBit;
  using BitWordValue::BitWordValue;
  constexpr Fiscal& operator=(Integer Value) {
    value_ = Value;
    return *this;
  }
};

// The named bits of the word: (enumerator, bit, name), the one list the
// enumeration and the name table are both made from.
#define VXP_RG3561_IMPRESORA_BITS(X)                 \
  X(BIT_IMPRESORA_OCUPADA, 1, "ImpresoraOcupada")    \
  /* 2 spare */                                      \
  X(BIT_ERROR_IMPRESORA, 3, "ErrorImpresora")        \
  X(BIT_IMPRESORA_OFF_LINE, 4, "ImpresoraOffLine")   \
  X(BIT_FALTA_PAPEL_JOURNAL, 5, "FaltaPapelJournal") \
  X(BIT_FALTA_PAPEL_RECEIPT, 6, "FaltaPapelReceipt") \
  /* 7, 8 spare */                                   \
  X(BIT_TAPA_ABIERTA, 9, "TapaAbierta")              \
  /* 10 to 14 spare */                               \
  X(BIT_CAJON_ABIERTO, 15, "CajonAbierto")           \
  X(BIT_OR_LOGICO, 16, "OrLogico")
enum class ImpresoraBit : unsigned int { VXP_RG3561_IMPRESORA_BITS(VXP_RG3561_BIT_ENUMERATOR) };
extern const BitWordTable ImpresoraTable;

// The printer status word of every answer (16 bits, identifier "Impresora").
class Impresora : public BitWordValue<VXB::Types::uint16, ImpresoraBit, ImpresoraTable> {
 public:
  using enum ImpresoraBit;
  using BitWordValue::BitWordValue;
  constexpr Impresora& operator=(Integer Value) {
    value_ = Value;
    return *this;
  }
};

}  // namespace Estado

namespace Vardex_Funcs {

// The named bits of the word: (enumerator, bit, name), the one list the
// enumeration and the name table are both made from.
#define VXP_RG3561_ATRIBUTOS_DE_TEXTO_BITS(X) \
  X(BIT_BORRADO_TEXTO, 1, "BorradoTexto")     \
  X(BIT_DOBLE_ANCHO, 2, "DobleAncho")         \
  X(BIT_CENTRADO, 3, "Centrado")              \
  X(BIT_NEGRITA, 4, "Negrita")                \
  /* 5 to 8 spare */
enum class AtributosDeTextoBit : unsigned int {
  VXP_RG3561_ATRIBUTOS_DE_TEXTO_BITS(VXP_RG3561_BIT_ENUMERATOR)
};
extern const BitWordTable AtributosDeTextoTable;

// The attributes of a printed text line (8 bits, identifier
// "AtributosDeTexto").
class AtributosDeTexto
    : public BitWordValue<VXB::Types::uint8, AtributosDeTextoBit, AtributosDeTextoTable> {
 public:
  using enum AtributosDeTextoBit;
  using BitWordValue::BitWordValue;
  constexpr AtributosDeTexto& operator=(Integer Value) {
    value_ = Value;
    return *this;
  }
};

// The named bits of the word: (enumerator, bit, name), the one list the
// enumeration and the name table are both made from.
#define VXP_RG3561_ESTADO_AUXILIAR_BITS(X)                                    \
  X(BIT_MEMORIA_AUDITORIA_LLENA, 1, "MemoriaAuditoriaLlena")                  \
  X(BIT_MEMORIA_AUDITORIA_CASI_LLENA, 2, "MemoriaAuditoriaCasiLlena")         \
  X(BIT_DATOS_CLIENTE_ALMACENADOS, 3, "DatosClienteAlmacenados")              \
  X(BIT_CODIGO_BARRAS_ALMACENADO, 4, "CodigoBarrasAlmacenado")                \
  X(BIT_MODO_ENTRENAMIENTO, 5, "ModoEntrenamiento")                           \
  X(BIT_ULTIMO_COMPROBANTE_FUE_CANCELADO, 6, "UltimoComprobanteFueCancelado") \
  X(BIT_CAJERO_ACTIVO, 7, "CajeroActivo")                                     \
  /* 8 to 16 spare */
enum class EstadoAuxiliarBit : unsigned int {
  VXP_RG3561_ESTADO_AUXILIAR_BITS(VXP_RG3561_BIT_ENUMERATOR)
};
extern const BitWordTable EstadoAuxiliarTable;

// The auxiliary status word of ConsultarEstado (16 bits, identifier
// "EstadoAuxiliar").
class EstadoAuxiliar
    : public BitWordValue<VXB::Types::uint16, EstadoAuxiliarBit, EstadoAuxiliarTable> {
 public:
  using enum EstadoAuxiliarBit;
  using BitWordValue::BitWordValue;
  constexpr EstadoAuxiliar& operator=(Integer Value) {
    value_ = Value;
    return *this;
  }
};

}  // namespace Vardex_Funcs

// Creates an all-clear word of the class whose identifier is `Name` (ASCII
// case ignored: "Fiscal", "Impresora", "AtributosDeTexto", "EstadoAuxiliar")
// wrapped in an adapter that owns it. The caller owns the result and deletes
// it through the virtual destructor. Null for any other name (or when memory
// runs out).
BitFieldInterface* GetBitField(const char* Name);

}  // namespace VXP::Argentina::RG3561

namespace VXP {

// Adapts a word class to BitFieldInterface. Owns the word given at
// construction (not null) and deletes it on destruction. Bit numbers
// outside 1..width are answered neutrally before they reach the word, so a
// 64-bit number is never narrowed into a valid bit.
template <typename T>
class BitField final : public BitFieldInterface {
 public:
  explicit BitField(T* Word) : t(Word) {}
  BitField(const BitField&) = delete;
  BitField& operator=(const BitField&) = delete;
  ~BitField() override { delete t; }

  void SetBits(MaxType Value) override { *t = static_cast<typename T::Integer>(Value); }
  MaxType GetBits() const override { return t->ToInteger(); }
  unsigned int GetNumberOfBits() const override { return T::GetNumberOfBits(); }
  const char* GetID() const override { return T::GetID(); }
  bool Test(MaxType n) const override { return InRange(n) && t->Test(AsBit(n)); }
  void Set(MaxType n, bool On) override {
    if (InRange(n)) t->Set(AsBit(n), On);
  }
  const char* ToStringBit(MaxType n) const override {
    return InRange(n) ? T::BitName(AsBit(n)) : nullptr;
  }
  MaxType FromStringBit(const char* Name) const override {
    return static_cast<MaxType>(T::FromBitName(Name));
  }
  const char* ToString(bool Symbolic) const override { return t->ToString(Symbolic); }
  void FromString(const char* Text) override { t->FromString(Text); }

 private:
  static bool InRange(MaxType n) { return n >= 1 && n <= T::GetNumberOfBits(); }
  static typename T::Bits AsBit(MaxType n) {
    return static_cast<typename T::Bits>(static_cast<unsigned int>(n));
  }

  T* t;
};

}  // namespace VXP

#endif  // VXP_ARGENTINA_BITS_COMANDOS_FISCALES_RG3561_H_
