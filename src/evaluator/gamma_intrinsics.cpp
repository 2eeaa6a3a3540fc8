// SPDX-License-Identifier: GPL-3.0-or-later
// The gamma function, its logarithm and the standard normal functions P, Q and A. Each
// statement that assigns is one step of the failure rule: a failing step leaves its target
// unchanged and the next step still runs.
#include "evaluator/intrinsics.h"
#include "evaluator/num_lib.h"

namespace numerella {
namespace {

// Q(x), the upper tail of the standard normal distribution, into the current value.
void StandardNormalUpperTail(Machine& m) { m.SetX(num_lib::Erfc(m.X() / Sqrt(2)) / 2); }

}  // namespace

// B is the machine's second-operand cell: an operator instruction after the call finds the
// argument there when the fetch of its second operand fails.
void FnLnGam(Machine& m) {
  m.Assign(m.second, m.X());
  m.SetX(num_lib::LnGamma(m.X()));
}

// Whole arguments are rounded to the nearest whole number, so GAM(n) is exactly (n - 1)!.
void FnGam(Machine& m) {
  m.Assign(m.second, m.X());
  m.SetX(num_lib::LnGamma(m.X()));
  m.SetX(Exp(m.X()));
  if (Floor(m.second) == m.second) m.SetX(Floor(m.X() + 0.5));
}

void FnP(Machine& m) {
  StandardNormalUpperTail(m);
  m.SetX(Real(1) - m.X());
}

void FnQ(Machine& m) { StandardNormalUpperTail(m); }

// The probability of [-|x|, |x|]: 1 - 2 Q(|x|).
void FnA(Machine& m) {
  StandardNormalUpperTail(m);
  if (m.X() > 0.5) m.SetX(Real(1) - m.X());
  m.SetX(Real(1) - 2 * m.X());
}

}  // namespace numerella
