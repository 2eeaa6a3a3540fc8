// SPDX-License-Identifier: GPL-3.0-or-later
// The screen-free calculation run: compile, bind the registers through the operand map,
// evaluate, and turn the result into the text the window shows.
#include "calculation/calculation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calculation/seven_digits.h"
#include "evaluator/evaluate.h"

namespace numerella {
namespace {

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

// Back to a fresh outcome, keeping the memory.
void Reset(CalculationOutcome& out) {
  out.kind = CalculationOutcome::Kind::kBlank;
  out.result_text.clear();
  out.message.clear();
  out.compile_text.clear();
  out.error_place.reset();
  CompiledProgram& p = out.program;
  p.VarCount = 0;
  p.ParCount = 0;
  p.ValueTable.clear();
  p.LastOperand = 0;
  p.Program.clear();
  p.OperandMap.clear();
  p.CompileFlag = 0;
  out.value.reset();
  out.registers.clear();
}

// Register i reads the ValueTable entry that code i of the operand map names.
void BindRegisters(const CompiledProgram& program, std::vector<Value>& registers) {
  registers.assign(static_cast<std::size_t>(program.LastOperand) + 1, Value());
  const std::size_t bound = std::min(registers.size(), program.OperandMap.size());
  for (std::size_t i = 0; i < bound; ++i) {
    const std::size_t slot = CodeAt(program.OperandMap, i);
    if (slot < program.ValueTable.size()) registers[i] = program.ValueTable[slot];
  }
}

// Compiles out.compile_text and, when that succeeds, binds, evaluates and formats. The text
// that was run starts at run_start in the compile text.
void CompileAndRun(Compiler& compiler, bool listing, const std::vector<Binding>& bindings,
                   NoticeSink* notices, std::size_t run_start, CalculationOutcome& out) {
  CompiledProgram& p = out.program;
  // Room for the value table of a typical formula, so that the compiler's table does not
  // need a second allocation after the two entries a failed compilation leaves.
  constexpr std::size_t kTypicalSlots = 16;
  p.ValueTable.reserve(kTypicalSlots);
  p.ValueTable.assign(2, Value());
  p.CompileFlag = listing ? -1 : 0;
  compiler.CompileFormula(out.compile_text, p);
  if (p.CompileFlag != 0 || p.LastOperand < 0) {
    out.kind = CalculationOutcome::Kind::kCompileFailed;
    // A blank listing is replaced by the generic text, which then stays the listing.
    if (IsBlank(compiler.CompileListing())) compiler.SetCompileListing(kCompileErrorsText);
    out.message = compiler.CompileListing();
    out.error_place = compiler.ErrorSpanFrom(run_start);
    return;
  }
  for (const Binding& b : bindings) {
    if (b.index > 0 && b.index < static_cast<int>(p.ValueTable.size())) {
      p.ValueTable[b.index] = b.value;
    }
  }
  BindRegisters(p, out.registers);
  int eval_error = 0;
  out.value = Evaluate(p.Program, out.registers, eval_error, notices);
  if (eval_error != 0) {
    out.kind = CalculationOutcome::Kind::kEvalFailed;
    out.message = kEvalErrorText;
    return;
  }
  out.kind = CalculationOutcome::Kind::kResult;
  WriteResultText(out.value, out.result_text);
}

// The names declared in a declaration section, blanks removed, in their order.
std::vector<std::string_view> DeclaredNames(std::string_view section, std::string& unblanked) {
  unblanked.assign(section);
  std::erase(unblanked, ' ');
  std::vector<std::string_view> names;
  if (unblanked.empty()) return names;
  const std::string_view text = unblanked;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos;
       start = comma + 1) {
    names.push_back(text.substr(start, comma - start));
  }
  names.push_back(text.substr(start));
  return names;
}

}  // namespace

std::string CompileTextOf(std::string_view formula) {
  std::string text(kTypedFormulaHead);
  text.append(formula);
  return text;
}

std::vector<Binding> BindingsByName(std::string_view compile_text,
                                    const std::vector<NamedValue>& values) {
  std::vector<Binding> out;
  const std::optional<FormulaSections> sections = SplitFormulaSections(compile_text);
  if (values.empty() || !sections) return out;
  // The ValueTable numbers the variables from 1, then the parameters.
  std::string variable_text, parameter_text;
  std::vector<std::string_view> slots = DeclaredNames((*sections)[1], variable_text);
  const std::vector<std::string_view> parameters = DeclaredNames((*sections)[2], parameter_text);
  slots.insert(slots.end(), parameters.begin(), parameters.end());
  for (const NamedValue& named : values) {
    for (std::size_t k = 0; k < slots.size(); ++k) {
      if (slots[k] == named.name) {
        out.push_back({static_cast<int>(k) + 1, named.value});
        break;
      }
    }
  }
  return out;
}

void RunCompileText(Compiler& compiler, std::string_view compile_text, bool listing,
                    const std::vector<Binding>& bindings, NoticeSink* notices,
                    CalculationOutcome& out) {
  Reset(out);
  out.compile_text.assign(compile_text);
  CompileAndRun(compiler, listing, bindings, notices, 0, out);
}

void RunFormula(Compiler& compiler, std::string_view formula, bool listing, NoticeSink* notices,
                CalculationOutcome& out) {
  Reset(out);
  if (IsBlank(formula)) return;
  out.compile_text.assign(kTypedFormulaHead);
  out.compile_text.append(formula);
  CompileAndRun(compiler, listing, {}, notices, kTypedFormulaHead.size(), out);
}

CalculationOutcome RunCompileText(Compiler& compiler, std::string_view compile_text, bool listing,
                                  const std::vector<Binding>& bindings, NoticeSink* notices) {
  CalculationOutcome out;
  RunCompileText(compiler, compile_text, listing, bindings, notices, out);
  return out;
}

CalculationOutcome RunFormula(Compiler& compiler, std::string_view formula, bool listing,
                              NoticeSink* notices) {
  CalculationOutcome out;
  RunFormula(compiler, formula, listing, notices, out);
  return out;
}

void WriteResultText(Value result, std::string& text) {
  const double v = result.value_or(0);
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) {
    text.assign("**************");
    return;
  }
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) {
    text.assign("**************");
    return;
  }
  if (f == 0) {
    text.assign("0");
    return;
  }
  // Written as printf's %.7g does in the "C" locale, whatever locale the program runs in: the
  // point stays "." under a desktop whose numbers use ",".
  char buffer[16];
  auto length = static_cast<std::size_t>(WriteSevenDigits(f, buffer) - buffer);
  for (std::size_t k = 0; k < length; ++k) {
    if (buffer[k] == 'e') buffer[k] = 'E';
  }
  // No zero before the decimal point: 0.5 is written .5 and -0.25 is written -.25 (the sign
  // moves onto the zero's place).
  const char* first = buffer;
  const std::size_t sign = buffer[0] == '-' ? 1 : 0;
  if (length >= sign + 2 && buffer[sign] == '0' && buffer[sign + 1] == '.') {
    if (sign != 0) buffer[1] = '-';
    ++first;
    --length;
  }
  text.assign(first, length);
}

std::string ResultText(Value result) {
  std::string text;
  WriteResultText(result, text);
  return text;
}

}  // namespace numerella
