// The two conversion tables between the internal character set (laid out as
// code page 850) and Latin-1, built at compile time from the code page's
// character list and the replacements for what each side lacks.
//
// Index the tables with an unsigned byte (VXB::Byte), never with a plain
// char: a negative char would read outside the table. The helpers at the end
// do the cast.
#ifndef VXB_COMMON_CHARSET_TABLES_H_
#define VXB_COMMON_CHARSET_TABLES_H_

#include <array>
#include <cstdint>

#include "vxb/common/base/types.h"

namespace VXB::ASCII {
namespace CharsetTablesDetail {

// Unicode code points of the internal bytes 0x80..0xFF (code page 850).
inline constexpr std::array<std::uint16_t, 128> UPPER_HALF = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // B0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // D0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // E0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  // E8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  // F8
};

struct Replacement {
  Byte From;
  Byte To;
};

// Internal characters that Latin-1 lacks (box drawing, shading, and a few
// letters) and the nearest Latin-1 byte for each. 0x9F (f with hook) goes to
// 0x83, where Windows-1252 readers find it.
inline constexpr Replacement LATIN1_SUBSTITUTES[] = {
    {0xB0, 0xA6}, {0xB1, 0xA6}, {0xB2, 0xA6}, {0xB3, 0xA6}, {0xB4, 0xA6}, {0xB9, 0xA6},
    {0xBA, 0xA6}, {0xCC, 0xA6}, {0xDB, 0xA6}, {0xFE, 0xA6}, {0xBB, 0x2B}, {0xBC, 0x2B},
    {0xBF, 0x2B}, {0xC0, 0x2B}, {0xC3, 0x2B}, {0xC5, 0x2B}, {0xC8, 0x2B}, {0xC9, 0x2B},
    {0xCE, 0x2B}, {0xD9, 0x2B}, {0xDA, 0x2B}, {0xC1, 0x2D}, {0xC2, 0x2D}, {0xC4, 0x2D},
    {0xCA, 0x2D}, {0xCB, 0x2D}, {0xCD, 0x2D}, {0x9F, 0x83}, {0xD5, 0x69}, {0xDC, 0x5F},
    {0xDF, 0xAF}, {0xF2, 0x3D},
};

// Control codes that the internal set shows as symbols Latin-1 has
// (sun/currency sign, pilcrow, section sign).
inline constexpr Replacement LATIN1_CONTROL_SYMBOLS[] = {
    {0x0F, 0xA4},
    {0x14, 0xB6},
    {0x15, 0xA7},
};

// Latin-1 bytes 0x80..0x9F, read as Windows-1252 characters, and the
// internal byte that stands for each.
inline constexpr Replacement WINDOWS_1252_SUBSTITUTES[32] = {
    {0x80, 0x3F}, {0x81, 0x3F}, {0x82, 0x27}, {0x83, 0x9F}, {0x84, 0x22}, {0x85, 0x2E},
    {0x86, 0xC5}, {0x87, 0xCE}, {0x88, 0x5E}, {0x89, 0x25}, {0x8A, 0x53}, {0x8B, 0x3C},
    {0x8C, 0x4F}, {0x8D, 0x3F}, {0x8E, 0x5A}, {0x8F, 0x3F}, {0x90, 0x3F}, {0x91, 0x27},
    {0x92, 0x27}, {0x93, 0x22}, {0x94, 0x22}, {0x95, 0x07}, {0x96, 0x2D}, {0x97, 0x2D},
    {0x98, 0x7E}, {0x99, 0x54}, {0x9A, 0x73}, {0x9B, 0x3E}, {0x9C, 0x6F}, {0x9D, 0x3F},
    {0x9E, 0x7A}, {0x9F, 0x59},
};

// Unicode code points of IBM code page 437's bytes 0x80..0xFF: the set a
// request names "IBM437" or "cp437", which differs from the internal layout
// (850) in its symbols, box drawing and Greek letters.
inline constexpr std::array<std::uint16_t, 128> IBM437_UPPER_HALF = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

struct CodePointByte {
  std::uint16_t CodePoint;
  Byte Value;
};

// Windows-1252's characters outside Latin-1, with their byte: a curly quote
// or a dash sent in UTF-8 becomes what the same character sent in
// windows-1252 becomes.
inline constexpr CodePointByte WINDOWS_1252_CODE_POINTS[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

// ISO-8859-15's bytes that differ from Latin-1, with their code points.
inline constexpr CodePointByte ISO_8859_15_CODE_POINTS[] = {
    {0x20AC, 0xA4}, {0x0160, 0xA6}, {0x0161, 0xA8}, {0x017D, 0xB4},
    {0x017E, 0xB8}, {0x0152, 0xBC}, {0x0153, 0xBD}, {0x0178, 0xBE},
};

constexpr std::array<Byte, 256> MakeLatin1ByCP437() {
  std::array<Byte, 256> t{};
  for (unsigned b = 0; b < 0x80; ++b) t[b] = static_cast<Byte>(b);
  for (unsigned b = 0x80; b < 0x100; ++b) {
    std::uint16_t cp = UPPER_HALF[b - 0x80];
    // Characters Latin-1 lacks are filled from LATIN1_SUBSTITUTES below;
    // '?' marks any that the list would miss (checked by the static_assert).
    t[b] = cp < 0x100 ? static_cast<Byte>(cp) : Byte{'?'};
  }
  for (const Replacement& r : LATIN1_SUBSTITUTES) t[r.From] = r.To;
  for (const Replacement& r : LATIN1_CONTROL_SYMBOLS) t[r.From] = r.To;
  return t;
}

constexpr std::array<Byte, 256> MakeCP437ByLatin1() {
  std::array<Byte, 256> t{};
  for (unsigned b = 0; b < 0x80; ++b) t[b] = static_cast<Byte>(b);
  for (const Replacement& r : WINDOWS_1252_SUBSTITUTES) t[r.From] = r.To;
  for (unsigned l = 0xA0; l < 0x100; ++l) {
    t[l] = '?';
    for (unsigned b = 0x80; b < 0x100; ++b) {
      if (UPPER_HALF[b - 0x80] == l) {
        t[l] = static_cast<Byte>(b);
        break;
      }
    }
  }
  return t;
}

// True when every upper-half character outside Latin-1 has a substitute.
constexpr bool EverySubstituteListed() {
  unsigned missing = 0;
  for (unsigned b = 0x80; b < 0x100; ++b) {
    if (UPPER_HALF[b - 0x80] < 0x100) continue;
    bool found = false;
    for (const Replacement& r : LATIN1_SUBSTITUTES) found = found || r.From == b;
    if (!found) ++missing;
  }
  return missing == 0 && sizeof(LATIN1_SUBSTITUTES) / sizeof(LATIN1_SUBSTITUTES[0]) == 32;
}

static_assert(EverySubstituteListed(), "each character Latin-1 lacks needs a substitute");

}  // namespace CharsetTablesDetail

// Internal byte -> Latin-1 byte.
inline constexpr std::array<Byte, 256> Latin1ByCP437 = CharsetTablesDetail::MakeLatin1ByCP437();
// Latin-1 byte -> internal byte.
inline constexpr std::array<Byte, 256> CP437ByLatin1 = CharsetTablesDetail::MakeCP437ByLatin1();

// The internal byte of a Unicode code point: the character itself where the
// internal set has it, the substitute windows-1252's byte for the same
// character gets (a curly quote becomes a straight one), else '?'.
constexpr Byte InternalOfCodePoint(std::uint32_t cp) {
  if (cp < 0x100) return CP437ByLatin1[cp];
  for (unsigned b = 0x80; b < 0x100; ++b) {
    if (CharsetTablesDetail::UPPER_HALF[b - 0x80] == cp) return static_cast<Byte>(b);
  }
  for (const CharsetTablesDetail::CodePointByte& w :
       CharsetTablesDetail::WINDOWS_1252_CODE_POINTS) {
    if (w.CodePoint == cp) return CP437ByLatin1[w.Value];
  }
  return '?';
}

// The code point of an internal byte (code page 850's character).
constexpr std::uint32_t CodePointOfInternal(Byte b) {
  return b < 0x80 ? b : CharsetTablesDetail::UPPER_HALF[b - 0x80];
}

namespace CharsetTablesDetail {

constexpr std::array<Byte, 256> MakeInternalByIBM437() {
  std::array<Byte, 256> t{};
  for (unsigned b = 0; b < 0x80; ++b) t[b] = static_cast<Byte>(b);
  for (unsigned b = 0x80; b < 0x100; ++b) t[b] = InternalOfCodePoint(IBM437_UPPER_HALF[b - 0x80]);
  return t;
}

constexpr std::array<Byte, 256> MakeIBM437ByInternal() {
  std::array<Byte, 256> t{};
  for (unsigned b = 0; b < 0x80; ++b) t[b] = static_cast<Byte>(b);
  for (unsigned b = 0x80; b < 0x100; ++b) {
    t[b] = '?';
    for (unsigned i = 0; i < 0x80; ++i) {
      if (IBM437_UPPER_HALF[i] == UPPER_HALF[b - 0x80]) t[b] = static_cast<Byte>(0x80 + i);
    }
  }
  return t;
}

constexpr std::array<Byte, 256> MakeInternalByISO885915() {
  std::array<Byte, 256> t = CP437ByLatin1;
  for (const CodePointByte& d : ISO_8859_15_CODE_POINTS)
    t[d.Value] = InternalOfCodePoint(d.CodePoint);
  return t;
}

constexpr std::array<Byte, 256> MakeISO885915ByInternal() {
  std::array<Byte, 256> t = Latin1ByCP437;
  // Latin-1 characters that ISO-8859-15 replaced have no byte there.
  for (unsigned b = 0x80; b < 0x100; ++b) {
    for (const CodePointByte& d : ISO_8859_15_CODE_POINTS) {
      if (t[b] == d.Value) t[b] = '?';
    }
  }
  return t;
}

}  // namespace CharsetTablesDetail

// IBM437 byte -> internal byte, and back ('?' where the other side lacks
// the character).
inline constexpr std::array<Byte, 256> InternalByIBM437 =
    CharsetTablesDetail::MakeInternalByIBM437();
inline constexpr std::array<Byte, 256> IBM437ByInternal =
    CharsetTablesDetail::MakeIBM437ByInternal();
// ISO-8859-15 byte -> internal byte, and back.
inline constexpr std::array<Byte, 256> InternalByISO885915 =
    CharsetTablesDetail::MakeInternalByISO885915();
inline constexpr std::array<Byte, 256> ISO885915ByInternal =
    CharsetTablesDetail::MakeISO885915ByInternal();

static_assert(InternalByIBM437[0x82] == 0x82 && InternalByIBM437[0x9B] == 0xBD, "e acute, cent");
static_assert(InternalOfCodePoint(0x2019) == '\'' && InternalOfCodePoint(0x20AC) == '?', "quote");

static_assert(Latin1ByCP437[0xA4] == 0xF1 && CP437ByLatin1[0xF1] == 0xA4, "n with tilde");
static_assert(Latin1ByCP437[0x0F] == 0xA4 && CP437ByLatin1[0xA4] == 0xCF, "currency sign");

// Table look-ups for a char of either signedness.
constexpr char Latin1Of(char c) { return static_cast<char>(Latin1ByCP437[static_cast<Byte>(c)]); }
constexpr char InternalOfLatin1(char c) {
  return static_cast<char>(CP437ByLatin1[static_cast<Byte>(c)]);
}

}  // namespace VXB::ASCII

#endif  // VXB_COMMON_CHARSET_TABLES_H_
