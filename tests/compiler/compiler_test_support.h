// Helpers shared by the compiler tests: compiling a typed text and running the operator part
// of a program.
#pragma once

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_formula.h"

namespace numerella::testing_support {

inline std::string Codes(std::initializer_list<int> codes) {
  std::string out;
  for (int c : codes) out.push_back(static_cast<char>(c));
  return out;
}

inline std::vector<int> CodeList(const std::string& codes) {
  std::vector<int> out;
  for (std::size_t i = 0; i < codes.size(); ++i) out.push_back(CodeAt(codes, i));
  return out;
}

// Compiles a whole formula; listing asks for the check listing.
inline CompiledProgram Compile(Compiler& compiler, std::string_view formula, bool listing) {
  CompiledProgram p;
  p.CompileFlag = listing ? -1 : 0;
  compiler.CompileFormula(formula, p);
  return p;
}

// The formula the calculation run builds around a typed text.
inline std::string Typed(std::string_view text) { return "y@ @ @ @" + std::string(text); }

// Runs the operator instructions (codes 1 to 5) and the whole-expression instruction of a
// compiled program over its registers; returns the value of the last instruction.
inline double RunOperators(const CompiledProgram& p) {
  std::vector<double> r(p.LastOperand + 1);
  for (std::size_t j = 0; j < r.size(); ++j) {
    r[j] = p.ValueTable[CodeAt(p.OperandMap, j)].value_or(0);
  }
  double last = 0;
  for (std::size_t i = 0; i < p.Program.size();) {
    const int op = CodeAt(p.Program, i);
    if (op >= 10) {
      const int n = CodeAt(p.Program, i + 1);
      last = r[CodeAt(p.Program, i + 2)];
      i += 2 + n;
      continue;
    }
    double& left = r[CodeAt(p.Program, i + 1)];
    const double right = r[CodeAt(p.Program, i + 2)];
    switch (op) {
      case 1: left = std::pow(left, right); break;
      case 2: left *= right; break;
      case 3: left /= right; break;
      case 4: left += right; break;
      default: left -= right; break;
    }
    last = left;
    i += 3;
  }
  return last;
}

}  // namespace numerella::testing_support
