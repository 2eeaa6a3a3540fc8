// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluator: executes a compiled Program over the register array.
#pragma once

#include <string_view>
#include <vector>

#include "compiler/compiled_program.h"
#include "evaluator/machine.h"

namespace numerella {

// Runs program over operand_values (updated in place) and returns the value of the last
// instruction. eval_error is set to -1 when any step failed, else 0. Notices go to notices
// when it is not null. Allocates nothing.
Value Evaluate(std::string_view program, std::vector<Value>& operand_values, int& eval_error,
               NoticeSink* notices = nullptr);

// The same run, always through the loop that checks every code as it comes (the one Evaluate
// takes for programs that are not whole or registers that are not all finite). For tests that
// hold the two loops to the same results.
Value EvaluateChecked(std::string_view program, std::vector<Value>& operand_values, int& eval_error,
                      NoticeSink* notices = nullptr);

}  // namespace numerella
