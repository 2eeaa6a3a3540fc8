// The working state of one evaluation, shared by the instruction loop and the intrinsic
// functions. A function is a fixed sequence of steps; each step computes one value with the
// checked arithmetic of Real and hands it to Assign, which stores it when it is finite and
// otherwise abandons the step, leaving the target as it was and marking the evaluation failed.
#pragma once

#include <string_view>
#include <vector>

#include "compiler/compiled_program.h"
#include "evaluator/real.h"

namespace numerella {

// Receives the notices an evaluation gives (for instance a series that did not converge).
// The engine never shows anything itself; the caller decides how a notice reaches the user.
class NoticeSink {
 public:
  virtual ~NoticeSink() = default;
  virtual void Notice(std::string_view text, std::string_view title) = 0;
};

struct Machine {
  Value current;            // the current value: first argument, then the result
  Value second;             // second operand of an operator instruction
  std::vector<Value> args;  // argument list: positions 1 .. n-1 at indices 0 .. n-2
  int n = 0;                // argument count of the call being executed

  // Scratch values of the functions; they persist from instruction to instruction.
  Real K, N, P, Q, M, S, H, HA, HB, R, L, y, B;

  bool eval_error = false;
  NoticeSink* notices = nullptr;  // may be null: notices are then dropped

  // The current value and the arguments as numbers (empty counts as 0).
  Real X() const { return Real(current.value_or(0)); }
  // Argument list position j (1-based); a position outside the list fails the step.
  Real Arg(int j) const {
    if (j < 1 || j > static_cast<int>(args.size())) return Real::Failed();
    return Real(args[j - 1].value_or(0));
  }

  // One step that assigns target := value.
  void Assign(Real& target, Real value) {
    if (value.ok()) {
      target = value;
    } else {
      eval_error = true;
    }
  }
  void Assign(Value& target, Real value) {
    if (value.ok()) {
      target = value.value();
    } else {
      eval_error = true;
    }
  }
  // One step that assigns the current value.
  void SetX(Real value) { Assign(current, value); }
  // Records a failing step that assigns nothing.
  void Fail() { eval_error = true; }

  void Notify(std::string_view text, std::string_view title) {
    if (notices != nullptr) notices->Notice(text, title);
  }
};

// An intrinsic function: transforms machine.current using machine.args and the scratch values.
using Intrinsic = void (*)(Machine&);

}  // namespace numerella
