// SPDX-License-Identifier: GPL-3.0-or-later
// Translating a checked marked expression into the instruction codes of the program.
#pragma once

#include <string>
#include <string_view>

#include "reference/compile_formula.h"
#include "reference/compile_text.h"

namespace numerella::reference::compile_detail {

// Emits one operator instruction per operator and one call instruction per function call,
// innermost group first (the group closed by the leftmost ")"); inside a group each argument
// is reduced by precedence ("^", then "*" "/", then "+" "-"), each level left to right.
// Checks the argument count of every intrinsic call. The marked text must have passed
// CheckSyntax; anything else ends the generation with a failure.
void GenerateProgram(std::string_view marked, std::string& program, Findings& findings,
                     GeneratorStorage& storage);

}  // namespace numerella::reference::compile_detail
