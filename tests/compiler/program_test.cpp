// Typed texts and the programs they compile to.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "compiler_test_support.h"

namespace numerella {
namespace {

using testing_support::CodeList;
using testing_support::Compile;
using testing_support::RunOperators;
using testing_support::Typed;

struct ProgramCase {
  const char* typed;
  std::vector<int> program;
  std::vector<int> operand_map;  // empty: not checked
  std::optional<double> value;   // checked when the program has operators and 108 only
};

const ProgramCase kPrograms[] = {
    {"2*(3+4)^2", {4, 1, 2, 1, 1, 3, 2, 0, 1, 108, 1, 0}, {1, 2, 3, 4}, 98},
    {"SQR(16)+1", {11, 1, 0, 4, 0, 1, 108, 1, 0}, {1, 2}, {}},
    {"7", {108, 1, 0}, {1}, 7},
    {"3,4", {108, 2, 0, 1}, {1, 2}, 3},
    {"-3^2", {1, 1, 2, 5, 0, 1, 108, 1, 0}, {1, 2, 3}, -9},
    {"(-3)^2", {5, 0, 1, 1, 0, 2, 108, 1, 0}, {}, 9},
    {"2^3^2", {1, 0, 1, 1, 0, 2, 108, 1, 0}, {}, 64},
    {"8-2-1", {5, 0, 1, 5, 0, 2, 108, 1, 0}, {}, 5},
    {"8/2/2", {3, 0, 1, 3, 0, 2, 108, 1, 0}, {}, 2},
    {"1+2*3-4/2", {2, 1, 2, 3, 3, 4, 4, 0, 1, 5, 0, 3, 108, 1, 0}, {}, 5},
    {" 1 +   2 ", {4, 0, 1, 108, 1, 0}, {}, 3},
    {"++1", {108, 1, 0}, {1}, 1},
    {"2,+3,-4", {5, 2, 3, 108, 3, 0, 1, 2}, {1, 2, 3, 4}, 2},
    {"1e-3*2", {2, 0, 1, 108, 1, 0}, {1, 2}, 0.002},
    {".5+1.", {4, 0, 1, 108, 1, 0}, {}, 1.5},
    {"SUM(1,2,3,4)", {23, 4, 0, 1, 2, 3, 108, 1, 0}, {}, {}},
    {"D_N(1,0,1)+ABS(2)", {30, 3, 0, 1, 2, 10, 1, 3, 4, 0, 3, 108, 1, 0}, {}, {}},
    {"D_P((1,2))", {28, 2, 0, 1, 108, 1, 0}, {}, {}},
    // A plain list keeps its first item as value; operators work on its edge items.
    {"(1,2)*3", {2, 1, 2, 108, 2, 0, 1}, {}, 1},
    {"2*(3,4)", {2, 0, 1, 108, 2, 0, 2}, {}, 6},
    // Groups are reduced in the order of their ")": a group inside a later argument comes
    // before the operators of the earlier arguments of its enclosing group.
    {"(1+2,(3+4))", {4, 2, 3, 4, 0, 1, 108, 2, 0, 2}, {}, 3},
    {"1*2,3*(4-5)", {5, 3, 4, 2, 0, 1, 2, 2, 3, 108, 2, 0, 2}, {}, 2},
    {"SUM(1+2,SQR(4))", {11, 1, 2, 4, 0, 1, 23, 2, 0, 2, 108, 1, 0}, {}, {}},
    {"ABS(1)*2,AVG(3,4)^2", {10, 1, 0, 24, 2, 2, 3, 2, 0, 1, 1, 2, 4, 108, 2, 0, 2}, {}, {}},
    {"(1,2*(3+4),5)", {4, 2, 3, 2, 1, 2, 108, 3, 0, 1, 4}, {}, 1},
    // Function names in any case; longer names before the names they end with.
    {"sqr(16)", {11, 1, 0, 108, 1, 0}, {}, {}},
    {"asin(1)+Sin(1)", {14, 1, 0, 17, 1, 1, 4, 0, 1, 108, 1, 0}, {}, {}},
    {"LnGam(1)*gam(2)", {21, 1, 0, 22, 1, 1, 2, 0, 1, 108, 1, 0}, {}, {}},
    {"c_p(1,2)-p(3)", {29, 2, 0, 1, 38, 1, 2, 5, 0, 2, 108, 1, 0}, {}, {}},
    {"d_x2(1,2)/a(1)", {32, 2, 0, 1, 40, 1, 2, 3, 0, 2, 108, 1, 0}, {}, {}},
    {"INT(ATAN(EXP(1)))", {12, 1, 0, 16, 1, 0, 41, 1, 0, 108, 1, 0}, {}, {}},
    // Function marks typed by hand are taken as such.
    {"##07(1)", {17, 1, 0, 108, 1, 0}, {}, {}},
    {"##99(5)", {109, 1, 0, 108, 1, 0}, {}, {}},
    // A name written like a literal's internal name reads that literal's slot.
    {"5+@@00", {4, 0, 1, 108, 1, 0}, {1, 1}, 10},
};

TEST(ProgramTest, TypedTextsCompileToTheirPrograms) {
  Compiler compiler;
  for (const ProgramCase& c : kPrograms) {
    SCOPED_TRACE(c.typed);
    const CompiledProgram p = Compile(compiler, Typed(c.typed), true);
    ASSERT_EQ(p.CompileFlag, 0) << compiler.CompileListing();
    EXPECT_EQ(CodeList(p.Program), c.program);
    EXPECT_EQ(p.LastOperand + 1, static_cast<int>(p.OperandMap.size()));
    if (!c.operand_map.empty()) {
      EXPECT_EQ(CodeList(p.OperandMap), c.operand_map);
    }
    if (c.value) {
      EXPECT_DOUBLE_EQ(RunOperators(p), *c.value);
    }
  }
}

TEST(ProgramTest, SingleNumberFillsOneSlot) {
  Compiler compiler;
  const CompiledProgram p = Compile(compiler, Typed("7"), false);
  ASSERT_EQ(p.CompileFlag, 0);
  EXPECT_EQ(p.LastOperand, 0);
  ASSERT_EQ(p.ValueTable.size(), 2u);
  EXPECT_FALSE(p.ValueTable[0].has_value());
  EXPECT_EQ(p.ValueTable[1], 7.0);
  EXPECT_EQ(p.VarCount, 0);
  EXPECT_EQ(p.ParCount, 0);
}

TEST(ProgramTest, EveryLiteralHasItsOwnSlotAndKeepsFullPrecision) {
  Compiler compiler;
  const CompiledProgram p =
      Compile(compiler, Typed("2*(3+4)^2+0.12345678901234567890123+1E-999"), false);
  ASSERT_EQ(p.CompileFlag, 0);
  const std::vector<Value> expected = {std::nullopt, 2, 3, 4, 2, 0.12345678901234567890123, 0};
  EXPECT_EQ(p.ValueTable, expected);
}

}  // namespace
}  // namespace numerella
