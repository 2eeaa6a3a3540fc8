// SPDX-License-Identifier: GPL-3.0-or-later
// The declared names of a formula and a lookup of whole four-character slots that no choice of
// names can slow down. The slots are spread over buckets by the top bits of a scrambled form of
// their four characters and sorted within each bucket; a lookup goes straight to its bucket and
// searches it by halving. Names chosen so that they all share one bucket cost no more than a
// sort and a binary search over all slots.
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
  // The scrambled key in the high half, the slot number in the low half: by bucket, and within
  // a bucket by scrambled key, then by slot.
  std::vector<std::uint64_t> entries_;
  std::vector<std::uint64_t> spare_;  // room for the sorting passes
  // starts_[b]: the first entry whose scrambled key has b as its top bits; one more at the end.
  std::vector<std::uint32_t> starts_;
  int bucket_bits_ = 0;
  mutable std::uint64_t probes_ = 0;
};

}  // namespace numerella::compile_detail
