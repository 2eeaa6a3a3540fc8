// The evaluator: executes a compiled Program over the register array.
#pragma once

#include <string>
#include <vector>

#include "compiler/compiled_program.h"
#include "evaluator/machine.h"

namespace numerella {

// Runs program over operand_values (updated in place) and returns the value of the last
// instruction. eval_error is set to -1 when any step failed, else 0. Notices go to notices
// when it is not null.
Value Evaluate(const std::string& program, std::vector<Value>& operand_values, int& eval_error,
               NoticeSink* notices = nullptr);

}  // namespace numerella
