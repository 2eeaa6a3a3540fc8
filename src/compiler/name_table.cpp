#include "compiler/name_table.h"

#include <array>

namespace numerella::compile_detail {

void NameTable::Build(std::string_view packed) {
  probes_ = 0;
  entries_.clear();
  const std::size_t count = packed.size() / kNameWidth;
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint64_t key = SlotKey(packed.data() + k * kNameWidth);
    entries_.push_back(key << 32 | (k + 1));
  }
  // Least significant byte of the key first; each pass is stable, so equal keys stay in slot
  // order. A byte that is the same in every entry (often the blank padding) needs no pass.
  scratch_.resize(entries_.size());
  for (int shift = 32; shift < 64; shift += 8) {
    std::array<std::size_t, 257> starts{};
    for (std::uint64_t e : entries_) ++starts[((e >> shift) & 0xFF) + 1];
    if (starts[((entries_.empty() ? 0 : entries_[0] >> shift) & 0xFF) + 1] == entries_.size()) {
      continue;
    }
    for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
    for (std::uint64_t e : entries_) scratch_[starts[(e >> shift) & 0xFF]++] = e;
    entries_.swap(scratch_);
  }
}

int NameTable::FirstSlot(std::uint32_t key, int first, int last) const {
  if (first > last) return 0;
  const std::uint64_t wanted = static_cast<std::uint64_t>(key) << 32 | static_cast<std::uint32_t>(first);
  // The first entry not below wanted.
  std::size_t low = 0;
  std::size_t high = entries_.size();
  while (low < high) {
    ++probes_;
    const std::size_t middle = low + (high - low) / 2;
    if (entries_[middle] < wanted) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == entries_.size() || entries_[low] >> 32 != key) return 0;
  const int slot = static_cast<int>(entries_[low] & 0xFFFFFFFF);
  return slot <= last ? slot : 0;
}

}  // namespace numerella::compile_detail
