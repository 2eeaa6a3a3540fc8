// SPDX-License-Identifier: GPL-3.0-or-later
// A list of four-character name slots with a lookup of whole slots.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace numerella::reference::compile_detail {

inline constexpr int kNameWidth = 4;

// Names are kept left-aligned in slots of four characters, padded with blanks. A name is found
// only when a whole slot equals it: text that runs across two neighbouring slots never counts.
class NameSlots {
 public:
  // Appends the slots of a packed text (its length a multiple of four).
  void AppendPacked(std::string_view packed) {
    for (std::size_t at = 0; at + kNameWidth <= packed.size(); at += kNameWidth) {
      AppendSlot(packed.substr(at, kNameWidth));
    }
  }
  // Appends one slot holding a four-character text.
  void AppendSlot(std::string_view slot) {
    ++count_;
    first_.emplace(Key(slot), count_);
  }
  // Appends a slot that no name can find.
  void AppendHiddenSlot() { ++count_; }

  // The 1-based number of the first slot equal to the four-character text, or 0.
  int Find(std::string_view slot) const {
    const auto it = first_.find(Key(slot));
    return it == first_.end() ? 0 : it->second;
  }
  int count() const { return count_; }

 private:
  static std::uint32_t Key(std::string_view slot) {
    std::uint32_t key = 0;
    std::memcpy(&key, slot.data(), kNameWidth);
    return key;
  }

  std::unordered_map<std::uint32_t, int> first_;
  int count_ = 0;
};

}  // namespace numerella::reference::compile_detail
