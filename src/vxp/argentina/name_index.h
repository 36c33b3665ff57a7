// A table of names built at compile time and searched by hash: the lookups
// of command names, field names and code names, without walking a list.
//
// Every entry is (scope, name) -> number; a scope is what the name belongs
// to (a command's request, one answer layout, one code table). Names are
// compared with ASCII case ignored, whole texts only. The table is open
// addressing over a power-of-two number of slots; the builder reports a
// name given twice in one scope, or a full table, through Sound(), which
// the users check with static_assert.
//
// Thread safety: constant data once built; lookups may run on any thread.
#ifndef VXP_ARGENTINA_NAME_INDEX_H_
#define VXP_ARGENTINA_NAME_INDEX_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vxb/common/base/ascii.h"

namespace VXP::Argentina::RG3561 {

// The hash of a name in a scope: its length and three of its characters
// (first, middle, last; A-Z folded to a-z), mixed with the scope. Constant
// time whatever the name's length; names that share all four only share a
// probe sequence, the full comparison tells them apart.
constexpr std::uint32_t HashName(std::uint32_t Scope, std::string_view Name) {
  const auto fold = [](char c) -> std::uint32_t {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return static_cast<unsigned char>(c);
  };
  const std::size_t n = Name.size();
  std::uint32_t k = static_cast<std::uint32_t>(n & 0xFF);
  if (n > 0) k |= fold(Name[0]) << 8 | fold(Name[n / 2]) << 16 | fold(Name[n - 1]) << 24;
  std::uint32_t h = (k ^ (Scope * 0x9E3779B1u)) * 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  return h ^ (h >> 16);
}

struct NameSlot {
  const char* Name = nullptr;  // null: a free slot
  std::uint32_t Hash = 0;
  std::uint16_t Scope = 0;
  std::uint16_t Number = 0;
  std::uint16_t Length = 0;
};

template <std::size_t N>
class NameIndex {
  static_assert(N > 0 && (N & (N - 1)) == 0, "a power of two");

 public:
  constexpr void Add(std::uint16_t Scope, const char* Name, std::uint16_t Number) {
    const std::string_view name(Name);
    const std::uint32_t hash = HashName(Scope, name);
    for (std::size_t probe = 0; probe < N; ++probe) {
      NameSlot& s = slots_[(hash + probe) & (N - 1)];
      if (s.Name == nullptr) {
        s = NameSlot{Name, hash, Scope, Number, static_cast<std::uint16_t>(name.size())};
        ++count_;
        return;
      }
      if (s.Scope == Scope && VXB::ASCII::EqualsIgnoringCase(name, s.Name)) break;
    }
    sound_ = false;
  }

  // Sound when no name was refused and at least half the slots are free.
  constexpr bool Sound() const { return sound_ && count_ * 2 <= N; }
  constexpr std::size_t Count() const { return count_; }

  // The entry of Name in Scope, or null (a null Name included).
  constexpr const NameSlot* Find(std::uint16_t Scope, const char* Name) const {
    if (Name == nullptr) return nullptr;
    return Find(Scope, std::string_view(Name));
  }
  constexpr const NameSlot* Find(std::uint16_t Scope, std::string_view Name) const {
    const std::uint32_t hash = HashName(Scope, Name);
    for (std::size_t probe = 0; probe < N; ++probe) {
      const NameSlot& s = slots_[(hash + probe) & (N - 1)];
      if (s.Name == nullptr) return nullptr;
      if (s.Hash != hash || s.Scope != Scope || s.Length != Name.size()) continue;
      // Documents nearly always spell a name as the catalogue does: one
      // block comparison settles those, the letter-by-letter one the rest.
      const std::string_view name(s.Name, s.Length);
      if (name == Name || VXB::ASCII::EqualsIgnoringCase(name, Name)) return &s;
    }
    return nullptr;
  }

 private:
  std::array<NameSlot, N> slots_{};
  std::size_t count_ = 0;
  bool sound_ = true;
};

}  // namespace VXP::Argentina::RG3561

#endif  // VXP_ARGENTINA_NAME_INDEX_H_
