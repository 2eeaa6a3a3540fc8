// The declared names of a formula and a lookup of whole four-character slots that no choice of
// names can slow down: the slots are sorted once by their text (a radix sort, linear in their
// number) and every lookup is a binary search.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace numerella::compile_detail {

inline constexpr int kNameWidth = 4;

// The four characters of a slot as one number; two slots are equal when their keys are.
inline std::uint32_t SlotKey(const char* slot) {
  std::uint32_t key = 0;
  std::memcpy(&key, slot, kNameWidth);
  return key;
}

class NameTable {
 public:
  // Takes the slots of a packed text (four characters each, slot k at 4 * (k - 1)) and sorts
  // them. Slot numbers start at 1.
  void Build(std::string_view packed);

  // The smallest slot number in [first, last] whose four characters equal key, or 0.
  int FirstSlot(std::uint32_t key, int first, int last) const;

  // Comparisons made by FirstSlot since the last Build: lets tests bound the lookup cost.
  std::uint64_t probes() const { return probes_; }

 private:
  // key in the high half, slot number in the low half: sorted by key, then by slot.
  std::vector<std::uint64_t> entries_;
  std::vector<std::uint64_t> scratch_;
  mutable std::uint64_t probes_ = 0;
};

}  // namespace numerella::compile_detail
