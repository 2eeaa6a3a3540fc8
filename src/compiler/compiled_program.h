// The compiled program: what the compiler hands to the calculation run and the evaluator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace numerella {

// A value slot: a double, or nothing (empty). Empty counts as 0 in every computation.
using Value = std::optional<double>;

struct CompiledProgram {
  int VarCount = 0;               // number of declared variables
  int ParCount = 0;               // number of declared parameters
  std::vector<Value> ValueTable;  // indices 0 .. N, one per name slot; entry 0 unused
  int LastOperand = 0;            // number of operands minus 1
  std::string Program;            // instruction codes, one byte each (0 allowed)
  std::string OperandMap;         // per operand: its ValueTable index, one byte each
  int CompileFlag = 0;            // in: nonzero asks for the listing; out: 0 ok, -1 errors
};

// Reads byte i of a code text as 0 .. 255.
inline int CodeAt(const std::string& codes, std::size_t i) {
  return static_cast<std::uint8_t>(codes[i]);
}

}  // namespace numerella
