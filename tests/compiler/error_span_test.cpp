// SPDX-License-Identifier: GPL-3.0-or-later
// Where a failed compilation's first error lies: the part of the formula that the first error
// line is about, and that the calculator selects for the user.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "compiler/compile_formula.h"

namespace numerella {
namespace {

constexpr std::size_t kTypedStart = 8;  // after "y@ @ @ @"

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  while (times-- > 0) out += unit;
  return out;
}

std::optional<TextSpan> Span(std::size_t offset, std::size_t length) {
  return TextSpan{offset, length};
}

// A typed text and its error span inside it.
TEST(ErrorSpanTest, TypedTexts) {
  const struct {
    std::string typed;
    std::optional<TextSpan> span;
  } cases[] = {
      // clang-format off
      {"2*(3+4)^2", std::nullopt},
      // Operands: undefined, too long, bad numbers, wherever they stand.
      {"x+1", Span(0, 1)}, {"1+alpha", Span(2, 5)}, {"1+1.5.2", Span(2, 5)}, {"1e999", Span(0, 5)},
      {"SIN(1)+x", Span(7, 1)}, {"-x", Span(1, 1)}, {"2(3)", Span(0, 3)}, {"1 .5.", Span(0, 5)},
      {"xsin(1)", Span(0, 6)}, {"sqrt(16)", Span(0, 7)},
      // The first error comes first in the listing too: the parenthesis count before operands.
      {"x+(1", Span(2, 1)}, {"((1)", Span(0, 1)}, {"(1+2))", Span(5, 1)}, {"1)+2)", Span(1, 1)},
      {"x+y", Span(0, 1)},
      // Where the syntax check stops; an expression that ends too early shows its last symbol.
      {"2*-3", Span(2, 1)}, {"LOG()", Span(4, 1)}, {"1,,2", Span(2, 1)}, {"(1))+(2", Span(3, 1)},
      {"1+", Span(1, 1)}, {"SIN", Span(0, 3)}, {"2 *  ", Span(2, 1)}, {"#5", Span(0, 1)},
      {"##07", Span(0, 4)}, {"", Span(0, 0)}, {"   ", Span(3, 0)}, {"-", Span(0, 1)},
      {Repeat("1+", 100) + "1", Span(200, 1)},
      // A call with the wrong argument count, from its name to its ")", innermost first.
      {"ABS(1,2)", Span(0, 8)}, {"SIN(ABS(1,2),3)", Span(4, 8)}, {" abs ( 1 , 2 ) ", Span(1, 13)},
      {"##00(1,2)", Span(0, 9)}, {"SUM(1)+D_B(1,2)", Span(7, 8)},
      // clang-format on
  };
  Compiler compiler;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    for (bool listing : {false, true}) {
      CompiledProgram p;
      p.CompileFlag = listing ? -1 : 0;
      compiler.CompileFormula("y@ @ @ @" + c.typed, p);
      EXPECT_EQ(compiler.ErrorSpanFrom(kTypedStart), c.span);
    }
  }
}

// Declaration errors are placed in the whole formula; so are expression errors after them.
TEST(ErrorSpanTest, WholeFormulas) {
  const std::string variables = [] {
    std::string out = "v000";  // v000 .. v250
    for (int i = 1; i <= 250; ++i) out += ",v" + std::to_string(1000 + i).substr(1);
    return out;
  }();
  const struct {
    std::string formula;
    std::optional<TextSpan> span;
  } cases[] = {
      // clang-format off
      {"y@x,1b,alpha@x@k/2.5@x+k", Span(7, 5)},  // the long name is listed first
      {"y@ 1 b @@@1", Span(3, 3)},                // blanks inside a name are part of its place
      {"y@a,,b@@@1", Span(4, 0)},                 // an empty name: before the second ","
      {"y@a,@@@1", Span(4, 0)},
      {"y@ab$c@@@1", Span(4, 1)},                 // the bad character itself
      {"y@x,y@y@@1", Span(4, 1)},                 // the variable that a parameter repeats
      {"y@abc@@ab,abc/1,2@1", Span(10, 3)},       // the constant that repeats a variable
      {"y@@@k/2@k+z", Span(10, 1)},
      {"y@" + variables + "@@@1+2+3+4+5+6", Span(2 + variables.size() + 3 + 8, 1)},  // slot 256
      {"head@@@@@", Span(8, 1)},                  // "@" belongs to the expression
      {"y@a" + std::string(32767, ' ') + "@@@1", Span(2, 32768)},
      {"y@@@/" + std::string(32767, '1') + "@1", Span(4, 32768)},
      {"@@@", std::nullopt},
      {"y@ @ @ @" + Repeat("(", 16379) + "1" + Repeat(")", 16379), std::nullopt},  // 16-bit limit
      // clang-format on
  };
  Compiler compiler;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula.substr(0, 40));
    CompiledProgram p;
    compiler.CompileFormula(c.formula, p);
    EXPECT_EQ(p.CompileFlag, -1);
    EXPECT_EQ(compiler.ErrorSpan(), c.span);
  }
  // The span of an error before the typed text is not inside it.
  CompiledProgram p;
  compiler.CompileFormula("y@1@ @ @2", p);
  EXPECT_EQ(compiler.ErrorSpanFrom(kTypedStart), std::nullopt);
  EXPECT_EQ(compiler.ErrorSpan(), Span(2, 1));
  // A successful compilation clears the span of the one before.
  compiler.CompileFormula("y@ @ @ @1", p);
  EXPECT_EQ(compiler.ErrorSpan(), std::nullopt);
}

}  // namespace
}  // namespace numerella
