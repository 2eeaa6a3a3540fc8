// SPDX-License-Identifier: GPL-3.0-or-later
// The screen-free half of a calculation run: compile a typed formula, bind the registers,
// evaluate, and make the result text. The window and the command-line evaluator both use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_formula.h"
#include "evaluator/machine.h"

namespace numerella {

// A typed formula is compiled as the expression of a formula text whose head and declaration
// sections are empty: this head, then the formula exactly as typed.
inline constexpr std::string_view kTypedFormulaHead = "y@ @ @ @";

// The longest typed formula that can compile: the expression section's limit.
inline constexpr std::size_t kLongestTypedFormula = Compiler::kMaxSectionLength;

// The compile text of a typed formula.
std::string CompileTextOf(std::string_view formula);

struct CalculationOutcome {
  enum class Kind {
    kBlank,          // the formula is empty or only blanks: nothing happens
    kResult,         // result_text holds the text to show
    kCompileFailed,  // message holds the listing to show (or "***Errori di Compilazione")
    kEvalFailed,     // the evaluation failed: "Errore di Esecuzione" is to be shown
  };
  Kind kind = Kind::kBlank;
  std::string result_text;
  std::string message;
  std::string compile_text;  // the whole formula text handed to the compiler (blank: empty)
  // After a failed compilation, where its first error lies (see Compiler::ErrorSpan) in the
  // text that was run: the typed formula, or the whole formula text. Nothing when the error
  // has no place there.
  std::optional<TextSpan> error_place;
  CompiledProgram program;  // what the compiler returned
  Value value;              // the evaluated value (meaningful for kResult)
  std::vector<Value> registers;
};

// Runs one typed formula: the compile text is kTypedFormulaHead + formula. With listing set
// the compiler is asked for its check listing.
CalculationOutcome RunFormula(Compiler& compiler, std::string_view formula, bool listing,
                              NoticeSink* notices = nullptr);

// Compiles a whole five-section formula text as it is and, when that succeeds, stores the
// given values into the ValueTable entries they name (entries beyond the table are ignored),
// binds the registers and evaluates. A failed compilation with a blank listing gets the
// listing "***Errori di Compilazione". There is no blank-formula check here.
struct Binding {
  int index;
  double value;
};

// The bindings of the declared variables and parameters of a formula text that values name
// (a name declared twice binds its first declaration); names not declared bind nothing. The
// declarations are found in the sections as the compiler finds them.
struct NamedValue {
  std::string name;
  double value;
};
std::vector<Binding> BindingsByName(std::string_view compile_text,
                                    const std::vector<NamedValue>& values);
CalculationOutcome RunCompileText(Compiler& compiler, std::string_view compile_text, bool listing,
                                  const std::vector<Binding>& bindings,
                                  NoticeSink* notices = nullptr);

// The text shown for a result: single precision, at most 7 significant digits, no zero before
// the point, "**************" beyond single precision or when not a number.
std::string ResultText(Value result);
// The same into a text kept by the caller.
void WriteResultText(Value result, std::string& text);

// The same runs into an outcome kept by the caller, whose memory they reuse: once the outcome
// has seen formulas of a size, this layer allocates nothing more for them. The outcome ends
// exactly as the one the forms above return.
void RunFormula(Compiler& compiler, std::string_view formula, bool listing, NoticeSink* notices,
                CalculationOutcome& out);
void RunCompileText(Compiler& compiler, std::string_view compile_text, bool listing,
                    const std::vector<Binding>& bindings, NoticeSink* notices,
                    CalculationOutcome& out);

// Runs formulas with a compiler of its own, one at a time (a window, or one thread): each run
// reuses the memory of the one before, and its outcome stays until the next run.
class Calculator {
 public:
  const CalculationOutcome& RunTyped(std::string_view formula, bool listing,
                                     NoticeSink* notices = nullptr) {
    RunFormula(compiler_, formula, listing, notices, outcome_);
    return outcome_;
  }
  const CalculationOutcome& RunWhole(std::string_view compile_text, bool listing,
                                     const std::vector<Binding>& bindings,
                                     NoticeSink* notices = nullptr) {
    RunCompileText(compiler_, compile_text, listing, bindings, notices, outcome_);
    return outcome_;
  }
  // The check listing of the last compilation, or the generic text that replaced it.
  const std::string& CompileListing() const { return compiler_.CompileListing(); }

 private:
  Compiler compiler_;
  CalculationOutcome outcome_;
};

inline constexpr char kCompileErrorsText[] = "***Errori di Compilazione";
inline constexpr char kEvalErrorText[] = "Errore di Esecuzione";

}  // namespace numerella
