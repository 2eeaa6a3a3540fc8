// SPDX-License-Identifier: GPL-3.0-or-later
// The contract: the tables of the instruction set, instruction reading, and the written forms
// of a program with their reading back.
#include "compiler/compiled_program.h"

#include <gtest/gtest.h>

#include <random>

namespace numerella {
namespace {

std::string Bytes(std::initializer_list<int> codes) {
  std::string out;
  for (int c : codes) out += static_cast<char>(c);
  return out;
}

TEST(Contract, TablesAgreeWithTheInstructionSet) {
  // The codes the compiler's marked text and the evaluator's dispatch rely on.
  EXPECT_EQ(CallCode(FunctionNumber("ABS")), 10);
  EXPECT_EQ(CallCode(FunctionNumber("INT")), 41);
  EXPECT_EQ(CallCode(kWholeExpressionFunction), 108);
  EXPECT_EQ(FunctionOfCode(kOpNegation), 99);
  const struct {
    const char* name;
    int number;
    int arguments;
  } functions[] = {
      {"SQR", 1, 1},          {"LNGAM", 11, 1}, {"SUM", 13, kAnyCount},
      {"STD", 15, kAnyCount}, {"D_B", 16, 3},   {"C_P", 19, 2},
      {"D_X2", 22, 2},        {"C_F", 27, 3},   {"A", 30, 1},
      {"sum", -1, 0},         {"", -1, 0},      {"LNGA", -1, 0},
  };
  for (const auto& f : functions) {
    SCOPED_TRACE(f.name);
    ASSERT_EQ(FunctionNumber(f.name), f.number);
    if (f.number >= 0) {
      EXPECT_EQ(kIntrinsics[f.number].arguments, f.arguments);
    }
  }
  EXPECT_TRUE(ArgumentCountFits(13, 1) && ArgumentCountFits(13, 200));
  EXPECT_FALSE(ArgumentCountFits(13, 0) || ArgumentCountFits(16, 2) || ArgumentCountFits(16, 4));
  EXPECT_TRUE(CallCountFits(kOpWholeExpression, 2) && !CallCountFits(kOpWholeExpression, 0));
}

TEST(Contract, InstructionsAreReadAsTheEvaluatorReadsThem) {
  const struct {
    const char* name;
    std::string program;
    std::size_t at;
    std::size_t length;
    int count;
    bool complete;
  } cases[] = {
      {"operator", Bytes({4, 1, 2}), 0, 3, 2, true},
      {"call of three", Bytes({23, 3, 0, 1, 2, 108, 1, 0}), 0, 5, 3, true},
      {"whole expression after it", Bytes({23, 3, 0, 1, 2, 108, 1, 0}), 5, 3, 1, true},
      {"operator cut short", Bytes({4, 0}), 0, 2, 2, false},
      {"call cut short", Bytes({23, 3, 0, 1}), 0, 4, 3, false},
      {"call without its count", Bytes({23}), 0, 1, 0, false},
      {"call of no argument: three codes", Bytes({23, 0, 5, 9}), 0, 3, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Instruction in = InstructionAt(c.program, c.at);
    EXPECT_EQ(in.length, c.length);
    EXPECT_EQ(in.count, c.count);
    EXPECT_EQ(in.complete, c.complete);
  }
  const std::string call = Bytes({23, 3, 7, 8, 9});
  const Instruction in = InstructionAt(call, 0);
  EXPECT_EQ(RegisterOf(call, in, 0), 7);
  EXPECT_EQ(RegisterOf(call, in, 2), 9);
}

TEST(Contract, WrittenFormsOfAProgram) {
  const struct {
    std::string program;
    const char* codes;
    const char* text;
  } cases[] = {
      // 2*(3+4)^2 and SQR(16)+1, as the compiler writes them.
      {Bytes({4, 1, 2, 1, 1, 3, 2, 0, 1, 108, 1, 0}), "4 1 2 | 1 1 3 | 2 0 1 | 108 1 0",
       "ADD r1 r2 | POW r1 r3 | MUL r0 r1 | EXPR r0"},
      {Bytes({11, 1, 0, 4, 0, 1, 108, 1, 0}), "11 1 0 | 4 0 1 | 108 1 0",
       "CALL SQR r0 | ADD r0 r1 | EXPR r0"},
      {Bytes({3, 0, 1, 5, 2, 3, 26, 3, 4, 5, 6, 108, 2, 0, 1}),
       "3 0 1 | 5 2 3 | 26 3 4 5 6 | 108 2 0 1",
       "DIV r0 r1 | SUB r2 r3 | CALL D_B r4 r5 r6 | EXPR r0 r1"},
      {Bytes({109, 1, 0, 7, 0, 1, 50, 1, 0}), "109 1 0 | 7 0 1 | 50 1 0",
       "NEG r0 | OP7 r0 r1 | CALL #50 r0"},
      {Bytes({0, 0, 0}), "0 0 0", "OP0 r0 r0"},
      // Cut short by the end, or a call of no argument (three codes, as the evaluator reads it).
      {Bytes({4, 1, 2, 4, 0}), "4 1 2 | 4 0", "ADD r1 r2 | ? 4 0"},
      {Bytes({23, 0, 5, 108, 1, 0}), "23 0 5 | 108 1 0", "? 23 0 5 | EXPR r0"},
      {Bytes({23, 3, 0, 1}), "23 3 0 1", "? 23 3 0 1"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codes);
    EXPECT_EQ(ProgramCodes(c.program), c.codes);
    EXPECT_EQ(ProgramText(c.program), c.text);
    EXPECT_EQ(ProgramFromText(c.codes), c.program);
    EXPECT_EQ(ProgramFromText(c.text), c.program);
  }
  // Words that name nothing, registers beyond one code, operators with a wrong register count.
  for (const char* bad : {"ADD r1", "ADD r1 r2 r3", "CALL SQRT r0", "CALL SUM", "r0", "256",
                          "FOO r1 r2", "ADD r1 r256", "CALL #x r0", "-1"}) {
    EXPECT_EQ(ProgramFromText(bad), std::nullopt) << bad;
  }
  // Any byte text survives both forms.
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string program;
    const int length = static_cast<int>(rng() % 24);
    for (int k = 0; k < length; ++k) {
      program += static_cast<char>(rng() % 4 == 0 ? rng() % 256 : rng() % 12);
    }
    ASSERT_EQ(ProgramFromText(ProgramCodes(program)), program) << ProgramCodes(program);
    ASSERT_EQ(ProgramFromText(ProgramText(program)), program) << ProgramText(program);
  }
}

TEST(Contract, ReferenceTextsShowTheFunctionsWithTheirArguments) {
  constexpr const char* kWholeCard[] = {
      "ABS(x) SQR(x) EXP(x) LOG(x) ASIN(x) ACOS(x) ATAN(x) SIN(x) COS(x) TAN(x) SGN(x)",
      "LNGAM(x) GAM(x) SUM(X1,...Xn) AVG(a,b,...) STD(X1,X2,...Xn)",
      "D_B(k,n,p) C_B(k,n,p) D_P(n,m) C_P(n,m) D_N(x,m,s) C_N(x,m,s) D_X2(x,n) C_X2(x,n)",
      "D_T(x,n) C_T(x,n) D_F(x,n1,n2) C_F(x,n1,n2) P(x) Q(x) A(x) INT(x)",
  };
  static_assert(ShowsEveryFunctionBut(kWholeCard, ""));
  EXPECT_FALSE(ShowsEveryFunctionBut(kWholeCard, "SQR"));  // shown although said to be left out
  constexpr const char* kWrongCount[] = {"D_B(k,n)", "SUM(x)", "ASIN(x)", "D_P(n,m)"};
  EXPECT_FALSE(ShowsFunction(kWrongCount, kIntrinsics[FunctionNumber("D_B")]));
  EXPECT_FALSE(ShowsFunction(kWrongCount, kIntrinsics[FunctionNumber("SUM")]));  // no "..."
  EXPECT_FALSE(ShowsFunction(kWrongCount, kIntrinsics[FunctionNumber("SIN")]));  // inside ASIN
  EXPECT_FALSE(ShowsFunction(kWrongCount, kIntrinsics[FunctionNumber("P")]));    // inside D_P
  EXPECT_TRUE(ShowsFunction(kWrongCount, kIntrinsics[FunctionNumber("D_P")]));
}

}  // namespace
}  // namespace numerella
