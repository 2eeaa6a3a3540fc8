// SPDX-License-Identifier: GPL-3.0-or-later
// Compiling allocates nothing once the compiler's working memory (and the caller's program) has
// grown to the formulas compiled: every allocation of this program is counted.
#include <gtest/gtest.h>

#include "allocation_count.h"
#include "compiler/compile_formula.h"
#include "table.h"

namespace numerella {
namespace {

TEST(CompilerAllocation, SteadyStateCompilationsAllocateNothing) {
  // The formulas of the table of cases: successes, every kind of error, the longest texts.
  std::vector<std::string> formulas;
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/cases.tsv")) {
    formulas.push_back(table::Unescape(row[0]));
  }
  Compiler compiler;
  CompiledProgram program;
  // The first round grows the working memory to the largest formula (the counter sees that);
  // the third allocates nothing.
  for (int round = 0; round < 3; ++round) {
    const std::uint64_t before = Allocations();
    for (const std::string& formula : formulas) {
      for (int request : {0, -1}) {  // without and with the listing
        program.CompileFlag = request;
        compiler.CompileFormula(formula, program);
      }
    }
    EXPECT_TRUE(round == 1 || (Allocations() == before) == (round == 2)) << round;
  }
}

}  // namespace
}  // namespace numerella
