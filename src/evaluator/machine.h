// SPDX-License-Identifier: GPL-3.0-or-later
// The working state of one evaluation, shared by the instruction loop and the intrinsic
// functions. A function is a fixed sequence of steps; each step computes one value with the
// checked arithmetic of Real and hands it to Assign, which stores it when it is finite and
// otherwise abandons the step, leaving the target as it was and marking the evaluation failed.
// Every value the machine holds is a finite double: fetches refuse anything else.
#pragma once

#include <string_view>

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

// A call names at most 255 registers: its first argument and 254 more.
inline constexpr int kMaxListArguments = 254;

struct Machine {
  double x = 0;         // the current value: first argument, then the result
  bool x_empty = true;  // the current value is empty (x is then 0)
  double second = 0;    // second operand of an operator; also the cell B of LNGAM and GAM
  int n = 0;            // argument count of the call being executed
  int list_size = 0;    // positions of the argument list: 1 .. list_size

  // Scratch values of the functions; they persist from instruction to instruction.
  Real K, N, P, Q, M, S, H, HA, HB, R, L, y;

  bool eval_error = false;
  NoticeSink* notices = nullptr;  // may be null: notices are then dropped

  // Argument list position j at index j - 1; only the first list_size entries are meaningful.
  double list[kMaxListArguments];

  // The current value as a number (empty counts as 0).
  Real X() const { return Real(x); }
  // Argument list position j (1-based); a position outside the list fails the step.
  Real Arg(int j) const {
    if (j < 1 || j > list_size) return Real::Failed();
    return Real(list[j - 1]);
  }

  // One step that assigns target := value.
  void Assign(Real& target, Real value) {
    if (value.ok()) {
      target = value;
    } else {
      eval_error = true;
    }
  }
  void Assign(double& target, Real value) {
    if (value.ok()) {
      target = value.value();
    } else {
      eval_error = true;
    }
  }
  // One step that assigns the current value.
  void SetX(Real value) { SetX(value.value()); }
  void SetX(double value) {
    if (Real::Finite(value)) {
      x = value;
      x_empty = false;
    } else {
      eval_error = true;
    }
  }
  // Records a failing step that assigns nothing.
  void Fail() { eval_error = true; }

  void Notify(std::string_view text, std::string_view title) {
    if (notices != nullptr) notices->Notice(text, title);
  }
};

// An intrinsic function: transforms machine.x using the argument list and the scratch values.
using Intrinsic = void (*)(Machine&);

}  // namespace numerella
