// Limits of the compiler: operands, slots, section lengths, the separators, and formulas of
// the largest size in shapes that stress every pass.
#include <gtest/gtest.h>

#include <algorithm>

#include "compiler_test_support.h"

namespace numerella {
namespace {

using testing_support::Compile;
using testing_support::Typed;

constexpr char kExpression[] = "*** Controllo della Funzione\r";
constexpr char kTooMany[] = "* ERR. Troppi Nomi e Costanti (al massimo 255)\r";

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out.append(unit);
  return out;
}

// "1+1+...+1" with the given number of operands.
std::string Sum(int operands) { return Repeat("1+", operands - 1) + "1"; }

// Variables v000, v001, ... as a declaration section.
std::string Variables(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i > 0) out.push_back(',');
    out += "v" + std::string(3 - std::to_string(i).size(), '0') + std::to_string(i);
  }
  return out;
}

struct LimitCase {
  const char* label;
  std::string formula;
  int flag;
  std::string listing;  // checked when the flag is -1
};

std::vector<LimitCase> LimitCases() {
  const std::string syntax = std::string(kExpression) + "* ERR. Scrittura dell'Espressione Errata\r";
  const std::string too_long = "* ERR. Espressione piu` Lunga di 32767 Caratteri\r";
  return {
      {"100 operands", Typed(Sum(100)), 0, ""},
      {"101 operands", Typed(Sum(101)), -1, syntax},
      {"slot 255", "y@" + Variables(250) + "@@@" + Sum(5), 0, ""},
      {"slots 256 and 257, listed once", "y@" + Variables(251) + "@@@" + Sum(6), -1,
       kExpression + std::string(kTooMany)},
      {"name in slot 256", "y@" + Variables(256) + "@@@v255", -1,
       kExpression + std::string(kTooMany)},
      {"expression of 32767", Typed("1" + std::string(32766, ' ')), 0, ""},
      {"expression of 32768", Typed("1" + std::string(32767, ' ')), -1, too_long},
      {"variables of 32768", "y@a" + std::string(32767, ' ') + "@@@1", -1, too_long},
      {"constants of 32768", "y@@@k/" + std::string(32766, '1') + "@k", -1, too_long},
      {"long head", std::string(40000, 'h') + "@@@@1", 0, ""},
  };
}

TEST(LimitsTest, OperandsSlotsAndLengths) {
  Compiler compiler;
  for (const LimitCase& c : LimitCases()) {
    SCOPED_TRACE(c.label);
    const CompiledProgram p = Compile(compiler, c.formula, true);
    EXPECT_EQ(p.CompileFlag, c.flag);
    if (c.flag != 0) {
      EXPECT_EQ(compiler.CompileListing(), c.listing);
    }
  }
}

TEST(LimitsTest, FewerThanFourSeparators) {
  Compiler compiler;
  for (const char* formula : {"", "1+2", "y@@@1", "@@@"}) {
    SCOPED_TRACE(formula);
    for (bool listing : {true, false}) {
      CompiledProgram p;
      p.VarCount = p.ParCount = 5;
      p.OperandMap = "old";
      p.ValueTable.assign(2, 1.0);
      p.Program = "keep";
      p.CompileFlag = listing ? -1 : 0;
      compiler.SetCompileListing("previous");
      compiler.CompileFormula(formula, p);
      EXPECT_EQ(p.CompileFlag, -1);
      EXPECT_EQ(p.VarCount, 0);
      EXPECT_EQ(p.ParCount, 0);
      EXPECT_EQ(p.OperandMap, "");
      EXPECT_EQ(p.ValueTable, std::vector<Value>(2, 1.0));
      EXPECT_EQ(p.Program, "keep");
      EXPECT_EQ(compiler.CompileListing(),
                listing ? "* ERR. Mancano i Separatori @ della Formula\r" : "");
    }
  }
}

struct ShapeCase {
  const char* label;
  std::string typed;  // 32767 characters
  int flag;
  std::size_t program_size;  // checked on success
  std::size_t listing_lines;
};

std::vector<ShapeCase> ShapeCases() {
  return {
      {"deep nesting", Repeat("(", 16383) + "1" + Repeat(")", 16383), 0, 3, 1},
      {"unary plus run", Repeat("+", 32766) + "1", 0, 3, 1},
      {"binary plus run", "1" + Repeat("+", 32765) + "1", -1, 0, 2},
      {"function chain", Repeat("SIN(", 6553) + " 1" + Repeat(")", 6553), 0, 3 * 6554, 1},
      {"short function chain", Repeat("P(", 10922) + "1" + Repeat(")", 10922), 0, 3 * 10923, 1},
      {"nested negations", Repeat("(-", 10922) + "1" + Repeat(")", 10922), -1, 0, 2},
      {"undefined names", Repeat("x+", 16383) + "x", -1, 0, 16385},
      {"literals", Sum(16384), -1, 0, 2},
      {"invalid literals", Repeat("1.1.,", 6552) + "1.1.1.1", -1, 0, 6555},
      {"one long name", std::string(32767, 'a'), -1, 0, 3},
      {"stray marks", std::string(32767, '#'), -1, 0, 2},
      {"argument list", "SUM(" + Repeat("(", 16379) + "1" + Repeat(")", 16380) + "...", -1, 0, 2},
  };
}

TEST(LimitsTest, LargestFormulasOfEveryShapeCompile) {
  Compiler compiler;
  for (const ShapeCase& c : ShapeCases()) {
    SCOPED_TRACE(c.label);
    ASSERT_EQ(c.typed.size(), 32767u);
    const CompiledProgram p = Compile(compiler, Typed(c.typed), true);
    EXPECT_EQ(p.CompileFlag, c.flag);
    if (c.flag == 0) {
      EXPECT_EQ(p.Program.size(), c.program_size);
    }
    const std::string& listing = compiler.CompileListing();
    EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\r')),
              c.listing_lines);
  }
}

}  // namespace
}  // namespace numerella
