// SPDX-License-Identifier: GPL-3.0-or-later
// The screen-free half of a calculation run: compile a typed formula, bind the registers,
// evaluate, and make the result text. The window and the command-line evaluator both use it.
#pragma once

#include <string>
#include <string_view>

#include "compiler/compile_formula.h"
#include "evaluator/machine.h"

namespace numerella {

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
  CompiledProgram program;   // what the compiler returned
  Value value;               // the evaluated value (meaningful for kResult)
  std::vector<Value> registers;
};

// Runs one typed formula: the compile text is "y@ @ @ @" + formula. With listing set the
// compiler is asked for its check listing.
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

inline constexpr char kCompileErrorsText[] = "***Errori di Compilazione";
inline constexpr char kEvalErrorText[] = "Errore di Esecuzione";

}  // namespace numerella
