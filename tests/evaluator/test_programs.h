// Builds programs and register arrays for evaluator tests from lists of codes.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "compiler/compiled_program.h"

namespace numerella::testing {

inline std::string Codes(std::initializer_list<int> codes) {
  std::string out;
  for (int c : codes) out += static_cast<char>(c);
  return out;
}

// Registers holding the given numbers.
inline std::vector<Value> Registers(std::initializer_list<double> values) {
  return std::vector<Value>(values.begin(), values.end());
}

}  // namespace numerella::testing
