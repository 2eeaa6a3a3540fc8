// SPDX-License-Identifier: GPL-3.0-or-later
// Parts of the compiler on their own: the table of declared names, the reading of literals, and
// the one-pass reading of usual expressions against the general reading.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <random>

#include "compiler/declarations.h"
#include "compiler/expression_reading.h"
#include "compiler/name_table.h"
#include "compiler/number_text.h"
#include "table.h"

namespace numerella::compile_detail {
namespace {

// Lookups agree with a scan of the slots, in a number of probes that grows with the logarithm of
// the names, also for names that hash tables keyed by the four bytes handle worst: keys equal
// modulo a table size, keys that differ in one byte, one name repeated, few names in random order.
TEST(NameTable, LookupsAgreeWithAScanAndStayLogarithmic) {
  std::mt19937 random(11);
  std::vector<std::string> sets(4);
  const auto Slot = [](std::uint32_t key) { return std::string(reinterpret_cast<char*>(&key), 4); };
  for (std::uint32_t k = 0; k < 16384; ++k) {
    sets[0] += Slot(0x21212121u + k * 30727u);
    sets[1] += Slot(0x20202061u + ((k % 200) << 8));
    sets[2] += "a   ";
    if (k < 3000) sets[3] += Slot(0x20202041u + random() % 40 + ((random() % 3) << 24));
  }
  sets.push_back("");
  sets.push_back("b   a   b   a   c   a   ");
  NameTable table;
  for (const std::string& packed : sets) {
    table.Build(packed);
    const int count = static_cast<int>(packed.size() / kNameWidth);
    const std::uint64_t bound = static_cast<std::uint64_t>(std::log2(count + 1)) + 1;
    for (int k = 0; k < 400; ++k) {
      const std::uint32_t key = count == 0
                                    ? 0x20202061u
                                    : SlotKey(packed.data() + (random() % count) * kNameWidth) +
                                          static_cast<std::uint32_t>(random() % 3) - 1;
      const int first = 1 + static_cast<int>(random() % (count + 1));
      const int last = static_cast<int>(random() % (count + 2));
      int scan = 0;
      for (int slot = std::min(last, count); slot >= first; --slot) {
        if (SlotKey(packed.data() + (slot - 1) * kNameWidth) == key) scan = slot;
      }
      const std::uint64_t before = table.probes();
      ASSERT_EQ(table.FirstSlot(key, first, last), scan) << count << ": " << first << ".." << last;
      EXPECT_LE(table.probes() - before, bound);
    }
  }
}

// Plain decimals of 1 to 17 digits read to the double that a full decimal reading gives.
TEST(NumberText, PlainDecimalsReadAsAFullReading) {
  std::mt19937 random(5);
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 17);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;
    std::string text;
    for (int k = 0; k <= digits; ++k) {
      text.append(k == point ? "." : "").append(k < digits ? 1 : 0, '0' + random() % 10);
    }
    const LiteralReading literal = ReadLiteral(text);
    double full = -1;
    std::from_chars(text.data(), text.data() + text.size(), full);
    ASSERT_TRUE(literal.valid && !literal.reading.overflow) << text;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(literal.reading.value),
              std::bit_cast<std::uint64_t>(full))
        << text;
  }
}

// Both readings of an expression at offset 8 of its formula, after empty declarations.
class PlainReading : public ::testing::Test {
 protected:
  PlainReading() {
    std::string listing;
    Findings findings(false, listing);
    ReadDeclarations({" ", " ", " "}, {2, 4, 6}, declarations_, findings);
  }

  // Whether the one-pass reading takes the expression; what it takes must read as the general
  // reading (with the listing asked for, so that it runs) reads it.
  bool Check(std::string_view expression) {
    std::string map = "kept", general_map, listing;
    if (!ReadPlainExpression(expression, 8, declarations_, work_, map)) {
      EXPECT_EQ(map, "kept") << expression;
      return false;
    }
    const std::string plain = Describe(map.substr(4));
    Findings findings(true, listing);
    ReadExpression(expression, 8, declarations_, work_, general_map, findings);
    EXPECT_FALSE(findings.failed()) << expression;
    EXPECT_EQ(plain, Describe(general_map)) << expression;
    return true;
  }

  std::string Describe(const std::string& map) const {
    std::string out = map + " | " + std::to_string(work_.last_ordinal) + " |";
    for (const double v : work_.literal_values) out += " " + table::Show({v});
    for (const Symbol& s : work_.symbol_list()) {
      for (const long n : {long{s.kind}, long{s.code}, long{s.level}, long{s.number},
                           long{s.where.begin}, long{s.where.end}}) {
        out += " " + std::to_string(n);
      }
    }
    return out;
  }

  Declarations declarations_;
  ExpressionWork work_;
};

TEST_F(PlainReading, TakesUsualExpressionsAndLeavesTheRest) {
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/plain.tsv")) {
    EXPECT_EQ(Check(table::Unescape(row[0])), row.at(1) == "1") << row[0];
  }
}

// Random expressions over pieces of usual formulas and mistakes, mostly balanced.
TEST_F(PlainReading, AgreesWithTheGeneralReadingOnRandomExpressions) {
  const char* const pieces[] = {
      "1",  "23", ".5",    "4.",     "6E2",  "7e-1", "8E+", "9.0E1", "0",    "+",   "-",
      "*",  "/",  "^",     "(",      ")",    ",",    " ",   "  ",    "SIN(", "sin", "cos (",
      "P(", "A(", "D_X2(", "LNGAM(", "SUM(", "GAM(", "E",   "x",     "#",    "_",   "2("};
  std::mt19937 random(20261207);
  int taken = 0;
  for (int n = 0; n < 20000; ++n) {
    std::string expression;
    for (int k = 1 + static_cast<int>(random() % 12); k > 0; --k) {
      expression += pieces[random() % std::size(pieces)];
    }
    long depth = 0;
    for (char c : expression) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (random() % 4 != 0) {
      expression.append(std::max(depth, 0L), ')').insert(0, std::max(-depth, 0L), '(');
    }
    taken += Check(expression);
  }
  EXPECT_GT(taken, 2000);  // enough of them for the comparison to mean something
}

}  // namespace
}  // namespace numerella::compile_detail
