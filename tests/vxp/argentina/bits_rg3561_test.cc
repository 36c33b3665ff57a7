#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace VXP::Argentina::RG3561 {
namespace {

using Estado::Fiscal;
using Estado::Impresora;
using Vardex_Funcs::AtributosDeTexto;
using Vardex_Funcs::EstadoAuxiliar;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Transcribed from the status word listings: bit number and name of every
// named bit; all others are spare.
struct Named {
  unsigned bit;
  const char* name;
};
struct WordListing {
  const char* id;
  unsigned bits;
  std::vector<Named> named;
};
const WordListing kListings[] = {
    {"Fiscal",
     16,
     {{1, "ErrorMemoriaFiscal"},
      {2, "ErrorMemoriaTrabajo"},
      {3, "ErrorMemoriaAuditoria"},
      {4, "ErrorGeneral"},
      {5, "ErrorParametro"},
      {6, "ErrorEstado"},
      {7, "ErrorAritmetico"},
      {8, "MemoriaFiscalLlena"},
      {9, "MemoriaFiscalCasiLlena"},
      {10, "MemoriaFiscalInicializada"},
      {13, "DocumentoFiscalAbierto"},
      {14, "DocumentoAbierto"},
      {16, "ErrorEjecucion"}}},
    {"Impresora",
     16,
     {{1, "ImpresoraOcupada"},
      {3, "ErrorImpresora"},
      {4, "ImpresoraOffLine"},
      {5, "FaltaPapelJournal"},
      {6, "FaltaPapelReceipt"},
      {9, "TapaAbierta"},
      {15, "CajonAbierto"},
      {16, "OrLogico"}}},
    {"AtributosDeTexto",
     8,
     {{1, "BorradoTexto"}, {2, "DobleAncho"}, {3, "Centrado"}, {4, "Negrita"}}},
    {"EstadoAuxiliar",
     16,
     {{1, "MemoriaAuditoriaLlena"},
      {2, "MemoriaAuditoriaCasiLlena"},
      {3, "DatosClienteAlmacenados"},
      {4, "CodigoBarrasAlmacenado"},
      {5, "ModoEntrenamiento"},
      {6, "UltimoComprobanteFueCancelado"},
      {7, "CajeroActivo"}}},
};

const char* ListedName(const WordListing& w, std::uint64_t bit) {
  for (const Named& n : w.named) {
    if (n.bit == bit) return n.name;
  }
  return nullptr;
}

std::unique_ptr<BitFieldInterface> Make(const char* name) {
  return std::unique_ptr<BitFieldInterface>(GetBitField(name));
}

TEST(BitWordsTest, CatalogueListsTheFourWordsInOrder) {
  const auto all = AllBitWords();
  ASSERT_EQ(all.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_STREQ(all[i]->ID, kListings[i].id);
    EXPECT_EQ(all[i]->NumberOfBits, kListings[i].bits);
    ASSERT_EQ(all[i]->Names.size(), kListings[i].named.size());
    for (std::size_t j = 0; j < all[i]->Names.size(); ++j) {
      EXPECT_EQ(all[i]->Names[j].Bit, kListings[i].named[j].bit);
      EXPECT_STREQ(all[i]->Names[j].Name, kListings[i].named[j].name);
    }
  }
}

// Every bit number of every word through the adapter: name, number from the
// name in any case, Test and Set, and the neutral answers outside 1..width.
TEST(BitWordsTest, EveryBitByNumberAndName) {
  for (const WordListing& w : kListings) {
    SCOPED_TRACE(w.id);
    auto f = Make(w.id);
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->GetID(), w.id);
    EXPECT_EQ(f->GetNumberOfBits(), w.bits);
    for (std::uint64_t n = 0; n <= w.bits + 2; ++n) {
      SCOPED_TRACE(n);
      const char* listed = (n >= 1 && n <= w.bits) ? ListedName(w, n) : nullptr;
      if (listed) {
        EXPECT_STREQ(f->ToStringBit(n), listed);
        EXPECT_EQ(f->FromStringBit(listed), n);
        EXPECT_EQ(f->FromStringBit(Upper(listed).c_str()), n);
        EXPECT_EQ(f->FromStringBit(Lower(listed).c_str()), n);
      } else {
        EXPECT_EQ(f->ToStringBit(n), nullptr);
      }
      f->SetBits(0);
      f->Set(n, true);
      const bool real = n >= 1 && n <= w.bits;
      EXPECT_EQ(f->GetBits(), real ? (std::uint64_t{1} << (n - 1)) : 0u);
      EXPECT_EQ(f->Test(n), real);
      f->SetBits(~std::uint64_t{0});
      f->Set(n, false);
      const std::uint64_t all = (std::uint64_t{1} << w.bits) - 1;
      EXPECT_EQ(f->GetBits(), real ? all & ~(std::uint64_t{1} << (n - 1)) : all);
    }
    // Numbers that a narrowing to 32 or 8 bits would turn into bit 1.
    for (std::uint64_t n : {0x100000001ull, 0x101ull, 0xFFFFFFFFFFFFFFFFull}) {
      f->SetBits(0);
      f->Set(n, true);
      EXPECT_EQ(f->GetBits(), 0u) << n;
      f->SetBits(1);
      EXPECT_FALSE(f->Test(n)) << n;
      EXPECT_EQ(f->ToStringBit(n), nullptr) << n;
    }
    EXPECT_EQ(f->FromStringBit("x"), 0u);
    EXPECT_EQ(f->FromStringBit(""), 0u);
    EXPECT_EQ(f->FromStringBit(nullptr), 0u);
  }
}

TEST(BitWordsTest, ClassMasksAndValues) {
  EXPECT_EQ(Fiscal::Bit(Fiscal::BIT_ERROR_MEMORIA_FISCAL), 0x0001);
  EXPECT_EQ(Fiscal::Bit(Fiscal::BIT_DOCUMENTO_ABIERTO), 0x2000);
  EXPECT_EQ(Fiscal::Bit(Fiscal::BIT_ERROR_EJECUCION), 0x8000);
  EXPECT_EQ(Impresora::Bit(Impresora::BIT_TAPA_ABIERTA), 0x0100);
  EXPECT_EQ(Impresora::Bit(Impresora::BIT_CAJON_ABIERTO), 0x4000);
  EXPECT_EQ(AtributosDeTexto::Bit(AtributosDeTexto::BIT_NEGRITA), 0x08);
  EXPECT_EQ(EstadoAuxiliar::Bit(EstadoAuxiliar::BIT_CAJERO_ACTIVO), 0x0040);
  EXPECT_EQ(Fiscal::Bit(Fiscal::Bits(0)), 0);
  EXPECT_EQ(Fiscal::Bit(Fiscal::Bits(17)), 0);
  EXPECT_EQ(Fiscal::Bit(Fiscal::Bits(33)), 0);
  EXPECT_EQ(AtributosDeTexto::Bit(AtributosDeTexto::Bits(9)), 0);

  Fiscal f;
  EXPECT_EQ(f.ToInteger(), 0);
  f.Set(Fiscal::Bits(0), true);
  EXPECT_EQ(f.ToInteger(), 0);
  EXPECT_FALSE(f.Test(Fiscal::Bits(0)));
  f = 0x2001;
  EXPECT_TRUE(f.Test(Fiscal::BIT_DOCUMENTO_ABIERTO));
  f.Set(Fiscal::BIT_DOCUMENTO_ABIERTO, false);
  EXPECT_EQ(f.ToInteger(), 0x0001);
  EXPECT_EQ(EstadoAuxiliar(0x0041).ToInteger(), 0x0041);
  EXPECT_EQ(Fiscal::FromBitName("errorGENERAL"), Fiscal::BIT_ERROR_GENERAL);
  EXPECT_EQ(Fiscal::FromBitName("Negrita"), Fiscal::Bits(0));
  EXPECT_EQ(Fiscal::FromBitName(nullptr), Fiscal::Bits(0));
  EXPECT_STREQ(Impresora::BitName(Impresora::BIT_OR_LOGICO), "OrLogico");
  EXPECT_EQ(Impresora::BitName(Impresora::Bits(2)), nullptr);
  EXPECT_STREQ(Fiscal::GetID(), "Fiscal");
  EXPECT_EQ(AtributosDeTexto::GetNumberOfBits(), 8u);
}

TEST(BitWordsTest, BothTextForms) {
  EXPECT_STREQ(Fiscal(0x2001).ToString(false), "2001");
  EXPECT_STREQ(Fiscal(0x2001).ToString(true), "ErrorMemoriaFiscal DocumentoAbierto");
  EXPECT_STREQ(Impresora(0).ToString(false), "0000");
  EXPECT_STREQ(Impresora(0).ToString(true), "");
  EXPECT_STREQ(Impresora(0x0003).ToString(false), "0003");
  EXPECT_STREQ(Impresora(0x0003).ToString(true), "ImpresoraOcupada");
  EXPECT_STREQ(Impresora(0xC000).ToString(true), "CajonAbierto OrLogico");
  EXPECT_STREQ(Impresora(0xABCD).ToString(false), "ABCD");
  EXPECT_STREQ(AtributosDeTexto(0x0C).ToString(false), "0C");
  EXPECT_STREQ(AtributosDeTexto(0x0C).ToString(true), "Centrado Negrita");
  EXPECT_STREQ(AtributosDeTexto(0xF0).ToString(true), "");
  EXPECT_STREQ(AtributosDeTexto(0xF0).ToString(false), "F0");
  EXPECT_STREQ(EstadoAuxiliar(0x0041).ToString(true), "MemoriaAuditoriaLlena CajeroActivo");
}

std::string JoinedNames(const WordListing& w) {
  std::string s;
  for (const Named& n : w.named) s += (s.empty() ? "" : " ") + std::string(n.name);
  return s;
}

TEST(BitWordsTest, AllBitsSetFitWhole) {
  for (const WordListing& w : kListings) {
    SCOPED_TRACE(w.id);
    auto f = Make(w.id);
    f->SetBits(~std::uint64_t{0});
    const std::string expected = JoinedNames(w);
    const char* text = f->ToString(true);
    EXPECT_EQ(std::string(text), expected);
    // The next texts must not overwrite it.
    f->SetBits(1);
    const char* next = f->ToString(true);
    EXPECT_EQ(std::string(text), expected);
    EXPECT_TRUE(next >= text + expected.size() + 1 || next + std::strlen(next) < text);
  }
  EXPECT_EQ(JoinedNames(kListings[0]).size(), 239u);
  EXPECT_EQ(JoinedNames(kListings[3]).size(), 155u);
  EXPECT_EQ(std::strlen(Fiscal(0xFFFF).ToString(true)), 239u);
  EXPECT_EQ(std::strlen(EstadoAuxiliar(0xFFFF).ToString(true)), 155u);
}

TEST(BitWordsTest, LongTextsAmongShortOnesAllStayIntact) {
  // A long text takes more than one slice; texts made before and after it
  // (within the pool's reach) keep their contents.
  std::vector<std::pair<const char*, std::string>> made;
  for (int i = 0; i < 12; ++i) {
    const std::uint16_t v = static_cast<std::uint16_t>(i % 3 == 0 ? 0xFFFF : 1u << (i % 16));
    const char* t = Fiscal(v).ToString(true);
    made.emplace_back(t, t);
  }
  for (const auto& [p, copy] : made) EXPECT_EQ(std::string(p), copy);
}

TEST(BitWordsTest, SymbolicTextsRotateThroughThirtyTwoSlices) {
  std::vector<const char*> texts;
  std::vector<std::string> copies;
  for (int i = 0; i < 33; ++i) {
    const char* t = AtributosDeTexto(static_cast<std::uint8_t>(i % 15 + 1)).ToString(true);
    texts.push_back(t);
    copies.emplace_back(t);
    if (i == 31) {
      for (int j = 0; j < 32; ++j) EXPECT_EQ(std::string(texts[j]), copies[j]) << j;
    }
  }
  EXPECT_EQ(texts[32], texts[0]);
}

TEST(BitWordsTest, TextsArePerThread) {
  const char* mine = Fiscal(0x0001).ToString(true);
  std::thread other([] {
    for (int i = 0; i < 100; ++i) Fiscal(0xFFFF).ToString(true);
  });
  other.join();
  EXPECT_STREQ(mine, "ErrorMemoriaFiscal");
}

TEST(BitWordsTest, FromStringRules) {
  struct Case {
    const char* text;
    bool ok;
    std::uint8_t value;
  };
  const Case kCases[] = {
      {"0C", true, 0x0C},
      {"c", true, 0x0C},
      {"0c", true, 0x0C},
      {"Centrado Negrita", true, 0x0C},
      {"Negrita Centrado", true, 0x0C},
      {"  negrita    CENTRADO  ", true, 0x0C},
      {"Negrita Subrayado", true, 0x08},
      {"", true, 0x00},
      {"00", true, 0x00},
      {"FF", true, 0xFF},
      {"   ", false, 0x00},
      {"100", false, 0x00},
      {"0x1", false, 0x00},
      {"Subrayado", false, 0x00},
      {"NegritaCentrado", false, 0x00},
      {"Negrita\tCentrado", false, 0x00},
  };
  for (const Case& c : kCases) {
    AtributosDeTexto a;
    EXPECT_EQ(a.FromString(c.text), c.ok) << "'" << c.text << "'";
    EXPECT_EQ(a.ToInteger(), c.value) << "'" << c.text << "'";
  }
  Fiscal f;
  EXPECT_TRUE(f.FromString("ffff"));
  EXPECT_EQ(f.ToInteger(), 0xFFFF);
  Fiscal g;
  EXPECT_FALSE(g.FromString("fffff"));
  EXPECT_EQ(g.ToInteger(), 0);
  EXPECT_FALSE(g.FromString(nullptr));
}

TEST(BitWordsTest, NamesAddWhileHexadecimalReplaces) {
  AtributosDeTexto a(0x01);
  EXPECT_TRUE(a.FromString("Negrita"));
  EXPECT_EQ(a.ToInteger(), 0x09);
  EXPECT_TRUE(a.FromString("nothing known"));  // the word is not 0
  EXPECT_EQ(a.ToInteger(), 0x09);
  EXPECT_TRUE(a.FromString("2"));
  EXPECT_EQ(a.ToInteger(), 0x02);
}

TEST(BitWordsTest, OverlongTokensNameNoBit) {
  // A token is never cut into pieces: a long run ending in a name is not
  // that name, and very long texts are handled without overflow.
  AtributosDeTexto a;
  EXPECT_FALSE(a.FromString((std::string(127, 'x') + "Negrita").c_str()));
  EXPECT_EQ(a.ToInteger(), 0);
  EXPECT_FALSE(a.FromString((std::string(120, 'x') + "Negrita").c_str()));
  const std::string huge(100000, 'N');
  EXPECT_FALSE(a.FromString(huge.c_str()));
  EXPECT_TRUE(a.FromString((huge + " Centrado " + huge).c_str()));
  EXPECT_EQ(a.ToInteger(), 0x04);
}

TEST(BitWordsTest, GetBitFieldByEveryAcceptedName) {
  for (const WordListing& w : kListings) {
    for (const std::string& name : {std::string(w.id), Upper(w.id), Lower(w.id)}) {
      auto f = Make(name.c_str());
      ASSERT_NE(f, nullptr) << name;
      EXPECT_STREQ(f->GetID(), w.id);
      EXPECT_EQ(f->GetNumberOfBits(), w.bits);
      EXPECT_EQ(f->GetBits(), 0u);
    }
  }
  auto aux = Make("eStAdOaUxIlIaR");
  ASSERT_NE(aux, nullptr);
  EXPECT_EQ(aux->GetNumberOfBits(), 16u);
  EXPECT_STREQ(aux->GetID(), "EstadoAuxiliar");
  for (const char* bad : {"", "Fisca", "Fiscal ", " Fiscal", "Estado", "EstadoAuxiliarX",
                          "AtributosDeTextos", "TiposComprobante"}) {
    EXPECT_EQ(GetBitField(bad), nullptr) << bad;
  }
  EXPECT_EQ(GetBitField(nullptr), nullptr);
}

TEST(BitWordsTest, AdapterForwardsWholeWords) {
  auto a = Make("AtributosDeTexto");
  a->SetBits(0x1FF);
  EXPECT_EQ(a->GetBits(), 0xFFu);
  a->FromString("centrado negrita");
  EXPECT_EQ(a->GetBits(), 0xFFu) << "names add to the word";
  a->SetBits(0);
  a->FromString("centrado negrita");
  EXPECT_EQ(a->GetBits(), 0x0Cu);
  EXPECT_STREQ(a->ToString(false), "0C");
  EXPECT_STREQ(a->ToString(true), "Centrado Negrita");
  a->FromString("   ");  // rejected: the word stays as it was
  EXPECT_EQ(a->GetBits(), 0x0Cu);

  auto f = Make("Fiscal");
  f->SetBits(0x12001);
  EXPECT_EQ(f->GetBits(), 0x2001u);
  EXPECT_STREQ(f->ToString(false), "2001");
}

TEST(BitWordsTest, NormalizeFieldValues) {
  const BitWordTable* attrs = FindBitWord("atributosdetexto");
  ASSERT_EQ(attrs, &Vardex_Funcs::AtributosDeTextoTable);
  EXPECT_STREQ(NormalizeBits(*attrs, "Negrita Centrado", false), "0C");
  EXPECT_STREQ(NormalizeBits(*attrs, "c", true), "Centrado Negrita");
  EXPECT_STREQ(NormalizeBits(*attrs, "", true), "");
  EXPECT_STREQ(NormalizeBits(*attrs, "", false), "00");
  const char* blanks = "  ";
  EXPECT_EQ(NormalizeBits(*attrs, blanks, false), blanks);
  const char* unknown = "Subrayado";
  EXPECT_EQ(NormalizeBits(*attrs, unknown, true), unknown);
  EXPECT_EQ(NormalizeBits(*attrs, nullptr, true), nullptr);
  EXPECT_EQ(FindBitWord("Fisca"), nullptr);
  EXPECT_EQ(FindBitWord("IMPRESORA"), &Estado::ImpresoraTable);
}

}  // namespace
}  // namespace VXP::Argentina::RG3561
