#include "compiler/name_table.h"

#include <array>

namespace numerella::compile_detail {
namespace {

// A one-to-one scrambling of the 32-bit key: equal keys stay equal, and names that differ only
// in their last characters spread over the whole range.
std::uint32_t Scramble(std::uint32_t key) {
  key *= 0x9E3779B1u;
  return key ^ (key >> 15);
}

}  // namespace

void NameTable::Build(std::string_view packed) {
  probes_ = 0;
  entries_.clear();
  const std::size_t count = packed.size() / kNameWidth;
  if (count == 0) return;  // FirstSlot finds nothing in an empty table
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint64_t key = Scramble(SlotKey(packed.data() + k * kNameWidth));
    entries_.push_back(key << 32 | (k + 1));
  }
  // Least significant byte of the key first; each pass is stable, so equal keys stay in slot
  // order. A byte that is the same in every entry needs no pass.
  std::uint64_t varying = 0;
  for (std::uint64_t e : entries_) varying |= e ^ entries_[0];
  scratch_.resize(entries_.size());
  for (int shift = 32; shift < 64; shift += 8) {
    if (((varying >> shift) & 0xFF) == 0) continue;
    std::array<std::size_t, 257> starts{};
    for (std::uint64_t e : entries_) ++starts[((e >> shift) & 0xFF) + 1];
    for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
    for (std::uint64_t e : entries_) scratch_[starts[(e >> shift) & 0xFF]++] = e;
    entries_.swap(scratch_);
  }
  // About one entry per bucket.
  bucket_bits_ = 0;
  while (bucket_bits_ < 16 && (std::size_t{1} << bucket_bits_) < count) ++bucket_bits_;
  starts_.assign((std::size_t{1} << bucket_bits_) + 1, static_cast<std::uint32_t>(count));
  std::size_t bucket = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t own = bucket_bits_ == 0 ? 0 : (entries_[i] >> 32) >> (32 - bucket_bits_);
    while (bucket <= own) starts_[bucket++] = static_cast<std::uint32_t>(i);
  }
}

int NameTable::FirstSlot(std::uint32_t key, int first, int last) const {
  if (first > last || entries_.empty()) return 0;
  const std::uint64_t scrambled = Scramble(key);
  const std::uint64_t wanted = scrambled << 32 | static_cast<std::uint32_t>(first);
  const std::size_t bucket = bucket_bits_ == 0 ? 0 : scrambled >> (32 - bucket_bits_);
  // The first entry of the bucket not below wanted.
  std::size_t low = starts_[bucket];
  std::size_t high = starts_[bucket + 1];
  while (low < high) {
    ++probes_;
    const std::size_t middle = low + (high - low) / 2;
    if (entries_[middle] < wanted) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == entries_.size() || entries_[low] >> 32 != scrambled) return 0;
  const int slot = static_cast<int>(entries_[low] & 0xFFFFFFFF);
  return slot <= last ? slot : 0;
}

}  // namespace numerella::compile_detail
