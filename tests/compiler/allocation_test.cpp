// SPDX-License-Identifier: GPL-3.0-or-later
// Compiling allocates nothing once the compiler's working memory (and the caller's program) has
// grown to the formulas compiled: every allocation of this program is counted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "allocation_count.h"
#include "compiler/compile_formula.h"

namespace numerella {
namespace {

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  while (times-- > 0) out += unit;
  return out;
}

// Typed formulas of up to 100 operands: successes, every kind of error, long texts.
std::vector<std::string> Formulas() {
  std::vector<std::string> typed = {
      "2*(3+4)^2",
      "SIN(0.5)^2+COS(0.5)^2",
      "-3^2+8/2/2",
      "C_N(1.96,0,1)",
      "D_B(3,10,0.3)+C_T(2.015,5)",
      "SUM(1,2,3,4,5,6,7,8,9,10)",
      "AVG(STD(1,2,3),GAM(5))",
      Repeat("1+", 99) + "1",
      Repeat("2*", 99) + "2",
      Repeat("SIN(", 99) + "1" + Repeat(")", 99),
      Repeat("(", 1) + Repeat("1,", 99) + "1)",
      Repeat("(", 200) + "1" + Repeat(")", 200),
      std::string("1").append(3000, ' ') + "+2",
      std::string("0.").append(500, '0') + "1*2",
      // errors: names, numbers, parentheses, syntax, argument counts, too many operands
      "x+1",
      "alpha*2",
      "1.5.2+1E999",
      "2*(3+4",
      "(1+2))",
      "2*-3",
      "LOG()",
      "ABS(1,2)",
      "SIN(ABS(1,2),3)+lngam(1,2,3)",
      Repeat("1+", 100) + "1",
      Repeat("x+", 99) + "x",
      Repeat("1.1.,", 99) + "1",
      std::string("xsin(1)+sqrt(16)+").append(200, 'a'),
      "#5",
      "##99(5)",
  };
  std::vector<std::string> out;
  for (const std::string& t : typed) out.push_back(std::string("y@ @ @ @") + t);
  return out;
}

TEST(CompilerAllocationTest, SteadyStateCompilationsAllocateNothing) {
  const std::vector<std::string> formulas = Formulas();
  Compiler compiler;
  CompiledProgram program;
  const auto compile_all = [&] {
    for (int round = 0; round < 2; ++round) {
      for (const std::string& formula : formulas) {
        for (int request : {0, -1}) {  // without and with the listing
          program.CompileFlag = request;
          compiler.CompileFormula(formula, program);
        }
      }
    }
  };
  compile_all();  // the working memory grows to the largest formula of the set
  const std::uint64_t before = Allocations();
  compile_all();
  EXPECT_EQ(Allocations() - before, 0u);
}

TEST(CompilerAllocationTest, CountingSeesAllocations) {
  // The counter itself works: a fresh compiler and program allocate.
  const std::uint64_t before = Allocations();
  Compiler compiler;
  CompiledProgram program;
  compiler.CompileFormula(std::string("y@ @ @ @") + Repeat("1+", 99) + "1", program);
  EXPECT_GT(Allocations() - before, 0u);
}

}  // namespace
}  // namespace numerella
