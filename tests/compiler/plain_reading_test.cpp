// SPDX-License-Identifier: GPL-3.0-or-later
// The one-pass reading of usual expressions against the general reading (working text, then
// its scan): whenever the one-pass reading takes an expression, both give the same symbols
// with the same places, the same operand codes and the same literal values.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "compiler/declarations.h"
#include "compiler/expression_reading.h"

namespace numerella::compile_detail {
namespace {

struct Reading {
  std::vector<Symbol> symbols;
  std::string operand_map;
  std::vector<double> literal_values;
  int last_ordinal = 0;
};

// The reading of an expression that starts at offset 8 of its formula (after "y@ @ @ @").
class ReadingPair {
 public:
  ReadingPair() {
    std::string listing;
    Findings findings(false, listing);
    ReadDeclarations({" ", " ", " "}, {2, 4, 6}, declarations_, findings);
  }

  // The one-pass reading, or nothing when it does not take the expression.
  std::optional<Reading> Plain(std::string_view expression) {
    std::string map = "kept";
    if (!ReadPlainExpression(expression, 8, declarations_, work_, map)) {
      EXPECT_EQ(map, "kept") << "operand codes left behind: " << expression;
      return std::nullopt;
    }
    return Collect(map.substr(4));
  }

  // The general reading, with the listing asked for so that the one-pass reading is not used.
  // Nothing when it finds an error.
  std::optional<Reading> General(std::string_view expression) {
    std::string listing;
    Findings findings(true, listing);
    std::string map;
    ReadExpression(expression, 8, declarations_, work_, map, findings);
    if (findings.failed()) return std::nullopt;
    return Collect(map);
  }

 private:
  Reading Collect(const std::string& map) const {
    const auto symbols = work_.symbol_list();
    return {{symbols.begin(), symbols.end()}, map, work_.literal_values, work_.last_ordinal};
  }

  Declarations declarations_;
  ExpressionWork work_;
};

bool SameSymbols(const std::vector<Symbol>& a, const std::vector<Symbol>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].kind != b[k].kind || a[k].code != b[k].code || a[k].level != b[k].level ||
        a[k].number != b[k].number || a[k].where.begin != b[k].where.begin ||
        a[k].where.end != b[k].where.end) {
      return false;
    }
  }
  return true;
}

// Checks one expression; returns whether the one-pass reading took it.
bool Check(ReadingPair& pair, const std::string& expression) {
  const std::optional<Reading> plain = pair.Plain(expression);
  if (!plain) return false;
  const std::optional<Reading> general = pair.General(expression);
  EXPECT_TRUE(general.has_value())
      << "taken, but the general reading finds an error: " << expression;
  if (!general) return true;
  EXPECT_TRUE(SameSymbols(plain->symbols, general->symbols)) << expression;
  EXPECT_EQ(plain->operand_map, general->operand_map) << expression;
  EXPECT_EQ(plain->literal_values, general->literal_values) << expression;
  EXPECT_EQ(plain->last_ordinal, general->last_ordinal) << expression;
  return true;
}

TEST(PlainReadingTest, TakesUsualExpressionsAndLeavesTheRest) {
  const struct {
    const char* expression;
    bool taken;
  } cases[] = {
      {"2*(3+4)^2", true},
      {" - 3 ^ 2 + 8 / 2 / 2 ", true},
      {"sin(0.5)^2+Cos (0.5)^2", true},
      {"D_B(3,10,0.3)+C_T(2.015,5)", true},
      {"AVG(STD(1,2,3),GAM(5))", true},
      {"D_X2(1,2)+c_x2(3,4)", true},
      {"LNGAM(2)+ASIN(.5)+P(1)+A(-1)", true},
      {"1E+3*2.5e-2", true},
      {"(+-1,-2)", true},
      {"2*-3", true},   // the general reading lists no error here: the syntax check does
      {")(", true},     // balanced counts: the order is the syntax check's to judge
      {"SUM()", true},  // likewise the argument count
      {"1 2", false},   // one operand "12" for the general reading
      {"1E 3", false},
      {"2 (3)", false},  // the operand "2(3"
      {"2SIN(1)", false},
      {"XSIN(1)", false},  // SIN is marked, X stays before it
      {"PA(1)", false},
      {"SIN 1", false},  // a name that is not a call
      {"x+1", false},
      {"((1)", false},
      {"1.2.3", false},
      {"1E999", false},
      {"##05(1)", false},
      {"@@00", false},
      {"\xe9(1)", false},
      {"C_(1)", false},
  };
  ReadingPair pair;
  for (const auto& c : cases) {
    EXPECT_EQ(Check(pair, c.expression), c.taken) << c.expression;
  }
}

// Random expressions over the characters and names of usual formulas, with blanks, signs,
// exponents and mistakes mixed in: every one that the one-pass reading takes must read as the
// general reading reads it.
TEST(PlainReadingTest, AgreesWithTheGeneralReadingOnRandomExpressions) {
  const std::vector<std::string> pieces = {
      "1",  "23", ".5",    "4.",     "6E2",  "7e-1", "8E+", "9.0E1", "0",    "+",   "-",
      "*",  "/",  "^",     "(",      ")",    ",",    " ",   "  ",    "SIN(", "sin", "cos (",
      "P(", "A(", "D_X2(", "LNGAM(", "SUM(", "GAM(", "E",   "x",     "#",    "_",   "2("};
  std::mt19937 random(20261207);
  ReadingPair pair;
  int taken = 0;
  const int count = 20000;
  for (int n = 0; n < count; ++n) {
    std::string expression;
    const int length = 1 + static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) expression += pieces[random() % pieces.size()];
    // Mostly balanced, as typed formulas are.
    long depth = 0;
    for (char c : expression) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (random() % 4 != 0) {
      expression.append(depth > 0 ? depth : 0, ')');
      expression.insert(0, depth < 0 ? -depth : 0, '(');
    }
    taken += Check(pair, expression);
  }
  // Enough of them are taken for the comparison to mean something.
  EXPECT_GT(taken, count / 10);
}

TEST(PlainReadingTest, LongExpressionsGoToTheGeneralReading) {
  ReadingPair pair;
  const std::string at_limit = "1" + std::string(kMaxPlainLength - 1, ' ');
  EXPECT_TRUE(pair.Plain(at_limit).has_value());
  EXPECT_FALSE(pair.Plain(at_limit + " ").has_value());
}

}  // namespace
}  // namespace numerella::compile_detail
