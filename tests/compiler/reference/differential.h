// SPDX-License-Identifier: GPL-3.0-or-later
// Compiles one formula with the product's compiler and with the previous one, over the same
// caller values, and compares every output: Program, OperandMap, the bits of ValueTable,
// LastOperand, VarCount, ParCount, CompileFlag and CompileListing (with and without the
// listing request, and over a listing left from before).
//
// The only intended difference is the 16-bit limit of the working text: a formula whose
// expression passes 32,767 characters in one of its working forms fails now, where the
// previous compiler went on. For those formulas the comparison checks what the limit
// promises instead: CompileFlag -1, the same counts and operand codes, the caller's
// ValueTable, LastOperand and Program kept, and a listing that stops where the syntax check
// would have started.
#pragma once

#include <string>
#include <string_view>

#include "compiler/compile_formula.h"
#include "reference/compile_formula.h"

namespace numerella::reference {

struct DifferentialCount {
  long long compared = 0;      // compilations whose outputs were compared in full
  long long beyond_limit = 0;  // compilations past the working-text limit, checked as above
  long long succeeded = 0;     // compared compilations that succeeded (CompileFlag 0)
};

// Compiles formula with both compilers, with the listing asked for or not, and returns a
// description of the first difference ("" when there is none).
std::string CompareCompilers(numerella::Compiler& product, Compiler& previous,
                             std::string_view formula, bool listing, DifferentialCount& count);

// Whether the expression of formula passes the working-text limit in one of its forms, as the
// previous compiler builds them.
bool BeyondWorkingLimit(std::string_view formula);

}  // namespace numerella::reference
