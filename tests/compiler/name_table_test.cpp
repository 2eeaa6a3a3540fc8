// SPDX-License-Identifier: GPL-3.0-or-later
// The table of declared names: the first slot of a name within a range of slots, found with a
// bounded number of comparisons whatever the names are.
#include "compiler/name_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace numerella::compile_detail {
namespace {

// The first slot in [first, last] that holds key, by looking at every slot.
int FirstSlotByScan(const std::string& packed, std::uint32_t key, int first, int last) {
  for (int slot = first; slot <= last; ++slot) {
    if (SlotKey(packed.data() + (slot - 1) * kNameWidth) == key) return slot;
  }
  return 0;
}

std::string Slot(std::uint32_t key) {
  std::string out(kNameWidth, ' ');
  std::memcpy(out.data(), &key, kNameWidth);
  return out;
}

// Name sets that hash tables keyed by the four bytes handle worst: keys that are all equal
// modulo a table size (the previous compiler spent seconds on them), keys that differ in one
// byte only, and one name repeated.
std::vector<std::string> HardSets() {
  std::string colliding;
  std::string one_byte;
  std::string repeated;
  for (std::uint32_t k = 0; k < 16384; ++k) {
    colliding += Slot(0x21212121u + k * 30727u);
    one_byte += Slot(0x20202061u + ((k % 200) << 8));
    repeated += "a   ";
  }
  return {colliding, one_byte, repeated};
}

TEST(NameTableTest, LookupsAgreeWithAScanAndStayLogarithmic) {
  std::mt19937 random(11);
  std::vector<std::string> sets = HardSets();
  std::string mixed;  // few distinct names, many repeats, in random order
  for (int k = 0; k < 3000; ++k)
    mixed += Slot(0x20202041u + random() % 40 + ((random() % 3) << 24));
  sets.push_back(mixed);
  sets.push_back("");
  NameTable table;
  for (const std::string& packed : sets) {
    SCOPED_TRACE(packed.size() / kNameWidth);
    table.Build(packed);
    const int count = static_cast<int>(packed.size() / kNameWidth);
    const std::uint64_t bound = static_cast<std::uint64_t>(std::log2(count + 1)) + 1;
    int lookups = 0;
    for (int k = 0; k < 400; ++k) {
      // Names of the set and names next to them, over random ranges of slots.
      const std::uint32_t key = count == 0
                                    ? 0x20202061u
                                    : SlotKey(packed.data() + (random() % count) * kNameWidth) +
                                          static_cast<std::uint32_t>(random() % 3) - 1;
      const int first = 1 + static_cast<int>(random() % (count + 1));
      const int last = static_cast<int>(random() % (count + 2));
      const std::uint64_t before = table.probes();
      ASSERT_EQ(table.FirstSlot(key, first, last), FirstSlotByScan(packed, key, first, last))
          << first << ".." << last;
      EXPECT_LE(table.probes() - before, bound);
      ++lookups;
    }
    EXPECT_LE(table.probes(), bound * lookups);
  }
}

TEST(NameTableTest, EqualNamesKeepTheirOrder) {
  NameTable table;
  table.Build("b   a   b   a   c   a   ");
  const std::uint32_t a = SlotKey("a   ");
  EXPECT_EQ(table.FirstSlot(a, 1, 6), 2);
  EXPECT_EQ(table.FirstSlot(a, 3, 6), 4);
  EXPECT_EQ(table.FirstSlot(a, 5, 6), 6);
  EXPECT_EQ(table.FirstSlot(a, 5, 5), 0);
  EXPECT_EQ(table.FirstSlot(SlotKey("c   "), 1, 4), 0);
  EXPECT_EQ(table.FirstSlot(SlotKey("d   "), 1, 6), 0);
  // A rebuilt table forgets the names before.
  table.Build("c   ");
  EXPECT_EQ(table.FirstSlot(a, 1, 1), 0);
  EXPECT_EQ(table.FirstSlot(SlotKey("c   "), 1, 1), 1);
}

}  // namespace
}  // namespace numerella::compile_detail
