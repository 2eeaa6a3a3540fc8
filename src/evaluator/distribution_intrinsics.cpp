// SPDX-License-Identifier: GPL-3.0-or-later
// The densities (D_) and distribution functions (C_) of the binomial, Poisson, normal,
// chi-square, Student's t and Fisher's F distributions. Counts, probabilities, Poisson means,
// degrees of freedom and the standard deviation are taken as absolute values; non-whole
// values give the continuous extensions through ln gamma. Each statement that assigns is one
// step of the failure rule: a failing step leaves its target unchanged and the next runs.
#include "evaluator/intrinsics.h"
#include "evaluator/num_lib.h"

namespace numerella {
namespace {

using num_lib::BetaI;
using num_lib::Erfc;
using num_lib::GammaQ;
using num_lib::LnGamma;

// Added to probabilities and to arguments to keep their logarithms finite.
constexpr double kNudge = 1e-15;
// 1 / sqrt(2 pi) cut to seven decimals.
constexpr double kInvSqrtTwoPi7 = 0.3989423;

// K := |k|, N := |n|, P := |p| + nudge: the common start of the binomial functions.
void BinomialArguments(Machine& m) {
  m.Assign(m.K, Abs(m.X()));
  m.Assign(m.N, Abs(m.Arg(1)));
  m.Assign(m.P, Abs(m.Arg(2)) + kNudge);
}

// x := |x / 2|, K := |n / 2|: the common start of the chi-square functions.
void ChiSquareArguments(Machine& m) {
  m.SetX(Abs(m.X() / 2));
  m.Assign(m.K, Abs(m.Arg(1) / 2));
}

// HA := |n1| / 2, HB := |n2| / 2, R := n1 / n2, x := |x| + nudge: the start of the F functions.
void FisherArguments(Machine& m) {
  m.Assign(m.HA, Abs(m.Arg(1)) / 2);
  m.Assign(m.HB, Abs(m.Arg(2)) / 2);
  m.Assign(m.R, m.HA / m.HB);
  m.SetX(Abs(m.X()) + kNudge);
}

}  // namespace

void FnDB(Machine& m) {
  BinomialArguments(m);
  m.Assign(m.Q, Real(1) - m.P);
  m.Assign(m.L, LnGamma(m.N + 1) - LnGamma(m.N - m.K + 1) - LnGamma(m.K + 1));
  m.Assign(m.L, m.L + m.K * Log(m.P) + (m.N - m.K) * Log(m.Q));
  m.SetX(Exp(m.L));
}

// A probability above 1 counts as 1.
void FnCB(Machine& m) {
  BinomialArguments(m);
  if (m.P > 1) m.Assign(m.P, 1);
  if (m.K == 0) {
    m.SetX(Pow(Real(1) - m.P, m.N));
  } else if (m.N == m.K) {
    m.SetX(1);
  } else {
    m.SetX(Real(1) - BetaI(m.K + 1, m.N - m.K, m.P, m.notices));
  }
}

void FnDP(Machine& m) {
  m.Assign(m.K, Abs(m.X()));
  m.Assign(m.M, Abs(m.Arg(1)));
  if (m.M == 0) {
    m.SetX(m.K == 0 ? 1 : 0);
  } else {
    m.SetX(Exp((m.K * Log(m.M) - LnGamma(m.K + 1)) - m.M));
  }
}

void FnCP(Machine& m) {
  m.Assign(m.K, Abs(m.X()));
  m.Assign(m.M, Abs(m.Arg(1)));
  if (m.M == 0) {
    m.SetX(1);
  } else {
    m.SetX(GammaQ(m.K + 1, m.M, m.notices));
  }
}

// The standard deviation is taken as |s|, so its sign does not matter; s = 0 fails.
void FnDN(Machine& m) {
  m.Assign(m.M, m.Arg(1));
  m.Assign(m.S, Abs(m.Arg(2)));
  m.Assign(m.M, (m.X() - m.M) / m.S);
  m.SetX(Exp((-m.M * m.M) / 2) * (kInvSqrtTwoPi7 / m.S));
}

void FnCN(Machine& m) {
  m.SetX((m.X() - m.Arg(1)) / Abs(m.Arg(2)));
  m.SetX(Erfc(m.X() / Sqrt(2)) / 2);
  m.SetX(Real(1) - m.X());
}

// At x = 0 the density is taken at the nudge instead.
void FnDX2(Machine& m) {
  ChiSquareArguments(m);
  if (m.X() == 0) m.SetX(kNudge);
  m.SetX(Exp((m.K * Log(m.X()) - LnGamma(m.K)) - m.X()) * (0.5 / m.X()));
}

void FnCX2(Machine& m) {
  ChiSquareArguments(m);
  m.SetX(Real(1) - GammaQ(m.K, m.X(), m.notices));
}

void FnDT(Machine& m) {
  m.Assign(m.K, Abs(m.Arg(1)));
  m.Assign(m.H, m.K / 2);
  m.SetX(m.X() * m.X());
  m.Assign(m.L, (LnGamma(m.H + 0.5) - LnGamma(m.H)) - (m.H + 0.5) * Log(m.X() / m.K + 1));
  m.SetX(Exp(m.L) / Sqrt(m.K * kPi7));
}

// The lower tail I_{n/(n+x^2)}(n/2, 1/2) / 2, reflected for positive x.
void FnCT(Machine& m) {
  m.Assign(m.HA, 0.5);
  m.Assign(m.H, Abs(m.Arg(1)) / 2);
  m.Assign(m.R, m.HA / m.H);
  m.Assign(m.S, m.X());
  m.SetX(m.X() * m.X() + kNudge);
  m.SetX(BetaI(m.H, m.HA, Real(1) / (m.X() * m.R + 1), m.notices) / 2);
  if (m.S > 0) m.SetX(Real(1) - m.X());
}

void FnDF(Machine& m) {
  FisherArguments(m);
  m.Assign(m.L, LnGamma(m.HA + m.HB) - LnGamma(m.HA) - LnGamma(m.HB) + m.HA * Log(m.R));
  m.SetX(m.L + (m.HA - 1) * Log(m.X()) - (m.HA + m.HB) * Log(m.X() * m.R + 1));
  m.SetX(Exp(m.X()));
}

void FnCF(Machine& m) {
  FisherArguments(m);
  m.SetX(Real(1) - BetaI(m.HB, m.HA, Real(1) / (m.X() * m.R + 1), m.notices));
}

}  // namespace numerella
