// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler against its table of cases (cases.tsv), and the written forms of programs
// (programs.tsv) with their reading back.
#include <gtest/gtest.h>

#include <random>

#include "compilation_record.h"
#include "table.h"

namespace numerella::recorded {
namespace {

// Every output with the listing asked for, the listing without; the rest does not depend on it.
TEST(Compiler, Cases) {
  constexpr const char* kColumns[] = {"flag",    "var/par",           "last operand",
                                      "program", "operand map",       "value table",
                                      "listing", "listing not asked", "span"};
  Compiler compiler;
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/cases.tsv")) {
    ASSERT_EQ(row.size(), 10u) << row[0];
    SCOPED_TRACE(row[0].substr(0, 80));
    const std::string formula = table::Unescape(row[0]);
    Row now = Outputs(compiler, formula, true);
    const Row quiet = Outputs(compiler, formula, false);
    for (std::size_t i = 0; i < now.size(); ++i) {
      EXPECT_TRUE(i == 6 || quiet[i] == now[i]) << kFields[i] << " without the listing";
    }
    now[3] = ProgramText(*ProgramFromText(now[3]));
    now.insert(now.begin() + 7, quiet[6]);
    for (std::size_t i = 0; i < now.size(); ++i) {
      const std::string& cell = row[i + 1];
      EXPECT_TRUE(cell == Escape(now[i]) || cell == Digest(now[i]))
          << kColumns[i] << ": table " << cell << ", now " << Escape(now[i]).substr(0, 400);
    }
  }
  // A place before the part asked about is not inside it.
  CompiledProgram p;
  compiler.CompileFormula("y@1@ @ @2", p);
  EXPECT_EQ(compiler.ErrorSpanFrom(2), (TextSpan{0, 1}));
  EXPECT_EQ(compiler.ErrorSpanFrom(3), std::nullopt);
}

// A program's codes and its readable text, or "refused" and a text that names no program.
TEST(Contract, WrittenForms) {
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/programs.tsv")) {
    ASSERT_EQ(row.size(), 2u) << row[0];
    const std::optional<std::string> program = ProgramFromText(row[0]);
    const std::optional<std::string> from_text = ProgramFromText(row[1]);
    if (row[0] == "refused") {
      EXPECT_EQ(from_text, std::nullopt) << row[1];
      continue;
    }
    ASSERT_TRUE(program.has_value()) << row[0];
    EXPECT_EQ(ProgramCodes(*program), row[0]);
    EXPECT_EQ(ProgramText(*program), row[1]);
    EXPECT_EQ(from_text, program) << row[1];
  }
  // Any byte text survives both forms.
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string program;
    for (int k = static_cast<int>(rng() % 24); k > 0; --k) {
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
  for (const char* name : {"D_B", "SUM", "SIN", "P", "D_P"}) {  // SIN in ASIN, P in D_P
    EXPECT_EQ(ShowsFunction(kWrongCount, kIntrinsics[FunctionNumber(name)]),
              std::string(name) == "D_P")
        << name;
  }
}

}  // namespace
}  // namespace numerella::recorded
