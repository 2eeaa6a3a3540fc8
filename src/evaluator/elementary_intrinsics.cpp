// SPDX-License-Identifier: GPL-3.0-or-later
// The elementary and aggregate functions.
#include "evaluator/intrinsics.h"

namespace numerella {
namespace {

Real SignOf(Real x) { return x < 0 ? Real(-1) : Real(1); }

}  // namespace

void FnAbs(Machine& m) { m.SetX(Abs(m.X())); }
void FnSqr(Machine& m) { m.SetX(Sqrt(m.X())); }
void FnExp(Machine& m) { m.SetX(Exp(m.X())); }
void FnLog(Machine& m) { m.SetX(Log(m.X())); }
void FnAtan(Machine& m) { m.SetX(Atan(m.X())); }
void FnSin(Machine& m) { m.SetX(Sin(m.X())); }
void FnCos(Machine& m) { m.SetX(Cos(m.X())); }
void FnTan(Machine& m) { m.SetX(Tan(m.X())); }
void FnInt(Machine& m) { m.SetX(Floor(m.X())); }

// Arguments outside [-1, 1] are clamped to the nearest end rather than rejected.
void FnAsin(Machine& m) {
  if (Abs(m.X()) > 1) m.SetX(SignOf(m.X()));
  const Real x = m.X();
  if (Abs(x) == 1) {
    m.SetX(SignOf(x) * kPi7 / 2);
  } else {
    m.SetX(Atan(x / Sqrt(Real(1) - x * x)));
  }
}

void FnAcos(Machine& m) {
  FnAsin(m);
  m.SetX(Real(kPi7) / 2 - m.X());
}

// SGN never yields 0: zero counts as positive.
void FnSgn(Machine& m) {
  if (m.X() == 0) m.SetX(1);
  m.SetX(m.X() < 0 ? Real(-1) : Real(1));
}

void FnSum(Machine& m) {
  for (int j = 1; j <= m.n - 1; ++j) m.SetX(m.X() + m.Arg(j));
}

void FnAvg(Machine& m) {
  FnSum(m);
  m.SetX(m.X() / m.n);
}

// Sample standard deviation (divisor n - 1) from the deviations about the mean: the mean is
// formed first and refined by the mean residual, then the squared deviations are summed.
// Unlike a sum of squares minus n times the squared mean, this cannot cancel below zero, so
// equal values give exactly 0.
void FnStd(Machine& m) {
  const int n = m.n;
  m.Assign(m.M, m.X());
  for (int j = 1; j <= n - 1; ++j) m.Assign(m.M, m.M + m.Arg(j));
  m.Assign(m.M, m.M / n);
  m.Assign(m.H, m.X() - m.M);
  for (int j = 1; j <= n - 1; ++j) m.Assign(m.H, m.H + (m.Arg(j) - m.M));
  m.Assign(m.M, m.M + m.H / n);
  m.Assign(m.y, m.X() - m.M);
  m.Assign(m.S, m.y * m.y);
  for (int j = 1; j <= n - 1; ++j) {
    m.Assign(m.y, m.Arg(j) - m.M);
    m.Assign(m.S, m.S + m.y * m.y);
  }
  m.SetX(Sqrt(m.S / (n - 1)));
}

}  // namespace numerella
