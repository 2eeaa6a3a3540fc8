// SPDX-License-Identifier: GPL-3.0-or-later
// Checks shared by the fuzz targets: what every compilation and every result text must obey.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "compilation_record.h"
#include "compiler/compile_formula.h"
#include "compiler/compiled_program.h"
#include "require.h"

namespace numerella::fuzz {

// A successful compilation: operand map within the value table, one code per operand, and a
// program of whole instructions whose registers all exist.
inline void CheckCompiled(const CompiledProgram& p) {
  Require(p.CompileFlag == 0 || p.CompileFlag == -1, "compile flag is 0 or -1");
  if (p.CompileFlag != 0) return;
  Require(p.Program.size() <= kMaxProgramLength, "the program fits the evaluator's 16-bit length");
  Require(p.LastOperand >= 0, "last operand not negative");
  Require(p.OperandMap.size() == static_cast<std::size_t>(p.LastOperand) + 1,
          "one operand map code per operand");
  for (std::size_t i = 0; i < p.OperandMap.size(); ++i) {
    const std::size_t code = CodeAt(p.OperandMap, i);
    Require(code >= 1 && code < p.ValueTable.size(), "operand map code within the value table");
  }
  const int registers = p.LastOperand + 1;
  for (std::size_t at = 0; at < p.Program.size();) {
    const Instruction in = InstructionAt(p.Program, at);
    if (!in.complete) std::fprintf(stderr, "program: %s\n", ProgramText(p.Program).c_str());
    Require(in.complete, "instruction complete, a call with an argument");
    for (int k = 0; k < in.count; ++k) {
      Require(RegisterOf(p.Program, in, k) < registers, "registers exist");
    }
    const int f = FunctionOfCode(in.code);
    if (!IsOperatorCode(in.code) && f < kFunctionCount) {
      Require(ArgumentCountFits(f, in.count), "a call carries its function's argument count");
    }
    at += in.length;
  }
}

// A formula with recorded outputs (the compiler fuzz corpora are recorded) compiles to them.
inline void CheckRecorded(std::string_view formula, bool listing) {
  static const recorded::Table table =
      recorded::ReadTable(NUMERELLA_RECORDINGS "/compilations.tsv.gz");
  static Compiler compiler;
  Require(!table.empty(), "the recorded compilations are read");
  const auto found = table.find(recorded::CaseId(formula, listing));
  if (found == table.end()) return;
  const std::string difference = recorded::FirstDifference(
      found->second, recorded::Compile(compiler, formula, listing, false));
  if (!difference.empty()) std::fprintf(stderr, "%s\n", difference.c_str());
  Require(difference.empty(), "the recorded outputs");
}

// The error span of the last compilation: inside the formula, only after a failure, and given
// for every failure whose listing names an error.
inline void CheckErrorSpan(const Compiler& compiler, std::size_t formula_size, int flag,
                           bool listing) {
  const std::optional<TextSpan>& span = compiler.ErrorSpan();
  if (span) {
    Require(flag == -1, "an error span only after a failure");
    Require(span->offset <= formula_size && span->length <= formula_size - span->offset,
            "the error span lies inside the formula");
  }
  const std::string& text = compiler.CompileListing();
  const bool error_listed =
      text.find("* ERR.") != std::string::npos || text.find("* Nome ") != std::string::npos;
  if (listing && flag == -1 && error_listed && text.find("Separatori") == std::string::npos) {
    Require(span.has_value(), "a listed error has a place");
  }
}

// A result text: fourteen asterisks, or a number of at most 7 significant digits.
inline void CheckResultText(const std::string& t) {
  if (t == "**************") return;
  Require(!t.empty() && t.size() <= 13, "result text length");
  std::size_t i = t[0] == '-' ? 1 : 0;
  int digits = 0;
  bool point = false;
  for (; i < t.size() && t[i] != 'E'; ++i) {
    if (t[i] == '.') {
      Require(!point, "one decimal point");
      point = true;
    } else {
      Require(t[i] >= '0' && t[i] <= '9', "digits only");
      // Zeros before the first other digit only place the point (.0009676713).
      if (digits > 0 || t[i] != '0') ++digits;
    }
  }
  Require(digits <= 7 && (digits >= 1 || t == "0"), "one to seven significant digits");
  Require(t.rfind("0.", 0) != 0 && t.rfind("-0.", 0) != 0, "no zero before the point");
  if (i < t.size()) {
    Require(t.size() - i == 4 && (t[i + 1] == '+' || t[i + 1] == '-'), "exponent E+dd");
  }
}

}  // namespace numerella::fuzz
