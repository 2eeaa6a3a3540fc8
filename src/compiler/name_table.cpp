// SPDX-License-Identifier: GPL-3.0-or-later
#include "compiler/name_table.h"

#include <algorithm>

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
  // About four entries per bucket: short searches in a small index.
  bucket_bits_ = 0;
  while (bucket_bits_ < 14 && (std::size_t{4} << bucket_bits_) < count) ++bucket_bits_;
  const std::size_t buckets = std::size_t{1} << bucket_bits_;
  const auto bucket_of = [&](std::uint64_t entry) {
    return bucket_bits_ == 0 ? 0 : static_cast<std::size_t>((entry >> 32) >> (32 - bucket_bits_));
  };
  entries_.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint64_t key = Scramble(SlotKey(packed.data() + k * kNameWidth));
    entries_[k] = key << 32 | (k + 1);
  }
  // Spread the slots over their buckets, keeping slot order within each: two counting passes
  // over the low and then the high half of the bucket bits, so that each pass writes to at most
  // 128 places at a time and stays in the cache however many names there are.
  starts_.assign(buckets + 1, 0);
  if (bucket_bits_ > 0) {
    spare_.resize(count);
    const int low_bits = bucket_bits_ / 2;
    for (const auto& [shift, bits] :
         {std::pair{0, low_bits}, {low_bits, bucket_bits_ - low_bits}}) {
      const std::size_t digit_mask = (std::size_t{1} << bits) - 1;
      std::uint32_t next[129] = {};
      for (std::uint64_t e : entries_) ++next[((bucket_of(e) >> shift) & digit_mask) + 1];
      for (std::size_t b = 1; b <= digit_mask + 1; ++b) next[b] += next[b - 1];
      for (std::uint64_t e : entries_) spare_[next[(bucket_of(e) >> shift) & digit_mask]++] = e;
      entries_.swap(spare_);
    }
  }
  for (std::uint64_t e : entries_) ++starts_[bucket_of(e) + 1];
  for (std::size_t b = 1; b <= buckets; ++b) starts_[b] += starts_[b - 1];
  // Then order each bucket by key and slot. Buckets hold a few slots unless the names were
  // chosen to share one; a large bucket is sorted in n log n, so no choice of names makes the
  // table quadratic.
  for (std::size_t b = 0; b < buckets; ++b) {
    const auto first = entries_.begin() + starts_[b];
    const auto last = entries_.begin() + starts_[b + 1];
    if (last - first <= 16) {
      for (auto i = first + (first != last); i < last; ++i) {
        const std::uint64_t e = *i;
        auto j = i;
        for (; j > first && *(j - 1) > e; --j) *j = *(j - 1);
        *j = e;
      }
    } else if (!std::is_sorted(first, last)) {  // equal names are in order already
      std::sort(first, last);
    }
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
