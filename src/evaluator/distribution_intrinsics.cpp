// SPDX-License-Identifier: GPL-3.0-or-later
// The densities (D_) and distribution functions (C_) of the binomial, Poisson, normal,
// chi-square, Student's t and Fisher's F distributions. Counts, probabilities, Poisson means,
// degrees of freedom and the standard deviation are taken as absolute values; non-whole
// values give the continuous extensions through ln gamma. Each statement that assigns is one
// step of the failure rule: a failing step leaves its target unchanged and the next runs.
//
// Every function ends with a check that fails the evaluation (its result is then never shown)
// when a size argument lies outside the range where the arithmetic keeps the seven digits
// shown, and every distribution function also when its result is no probability.
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

// The accurate ranges of the size arguments, found against a high-precision reference
// (tools/distribution_reference.py): inside them the relative error of the results at central
// arguments stays below 1e-6; past them it grows with the size, at first slowly, then to
// meaningless values (outside [0, 1] for the probabilities).
//
// Large counts, means and degrees of freedom: ln gamma of arguments near 1e9 is about 2e10,
// and the differences of such values keep only about six digits. Error past 1e8: D_B and C_B
// at n = 1e9 2e-6, D_P at m = 5e8 2e-6, D_X2 at n = 1e9 2e-6, D_T at n = 1e9 3e-6, C_T at n = 1e9
// 2e-5, D_F at n1 = n2 = 1e9 2.5e-6.
constexpr double kMaxSize = 1e8;
// The gamma series of C_P and C_X2 stops on a tolerance of 3e-7 per term, and the terms it
// drops add up to more as the shape parameter grows: 7e-7 at a mean of 300, 1.1e-6 at 500,
// 2e-5 at 1e5. The bound keeps the shape at or below 250 (C_X2 takes half its degrees of
// freedom).
constexpr double kMaxPoissonMean = 250;
constexpr double kMaxChiSquareFreedom = 500;
// C_F subtracts the ln gamma of both halves of its degrees of freedom from that of their sum,
// and its small results magnify that error: 3e-6 at n1 = 1e7 with n2 = 0.001, 4e-6 at
// n1 = 1e8 with n2 = 0.01, 1e-5 at n2 = 1e-6 whatever n1.
constexpr double kMinFisherFreedom = 1e-3;
constexpr double kMaxFisherFreedom = 1e6;
// Tiny degrees of freedom: ln gamma forms x - 1 + 1, whose rounding near 1 (1e-16) is an
// error of about 1e-16 / x relative to x: 9e-5 at 1e-12, 6e-9 at 1e-8.
constexpr double kMinFreedom = 1e-8;

// Fails the evaluation when a size is outside [low, high].
void RequireWithin(Machine& m, Real size, double low, double high) {
  if (size < low || size > high) m.Fail();
}

// Fails the evaluation when the result would show below 0 or above 1. Values above 1 by less
// than single precision shows (ln gamma's own error, 3e-11 at 1) still show as 1.
void RequireProbability(Machine& m) {
  if (m.x < 0 || static_cast<float>(m.x) > 1.0f) m.Fail();
}

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
  RequireWithin(m, m.N, 0, kMaxSize);
  RequireProbability(m);
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
  RequireWithin(m, m.N, 0, kMaxSize);
  RequireProbability(m);
}

void FnDP(Machine& m) {
  m.Assign(m.K, Abs(m.X()));
  m.Assign(m.M, Abs(m.Arg(1)));
  if (m.M == 0) {
    m.SetX(m.K == 0 ? 1 : 0);
  } else {
    m.SetX(Exp((m.K * Log(m.M) - LnGamma(m.K + 1)) - m.M));
  }
  RequireWithin(m, m.M, 0, kMaxSize);
  RequireProbability(m);
}

void FnCP(Machine& m) {
  m.Assign(m.K, Abs(m.X()));
  m.Assign(m.M, Abs(m.Arg(1)));
  if (m.M == 0) {
    m.SetX(1);
  } else {
    m.SetX(GammaQ(m.K + 1, m.M, m.notices));
  }
  RequireWithin(m, m.M, 0, kMaxPoissonMean);
  RequireProbability(m);
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
  RequireProbability(m);
}

// At x = 0 the density is taken at the nudge instead.
void FnDX2(Machine& m) {
  ChiSquareArguments(m);
  if (m.X() == 0) m.SetX(kNudge);
  m.SetX(Exp((m.K * Log(m.X()) - LnGamma(m.K)) - m.X()) * (0.5 / m.X()));
  RequireWithin(m, m.K * 2, kMinFreedom, kMaxSize);
}

void FnCX2(Machine& m) {
  ChiSquareArguments(m);
  m.SetX(Real(1) - GammaQ(m.K, m.X(), m.notices));
  // No degrees of freedom put all the mass at 0, which GammaQ gives exactly.
  if (m.K != 0) RequireWithin(m, m.K * 2, kMinFreedom, kMaxChiSquareFreedom);
  RequireProbability(m);
}

void FnDT(Machine& m) {
  m.Assign(m.K, Abs(m.Arg(1)));
  m.Assign(m.H, m.K / 2);
  m.SetX(m.X() * m.X());
  m.Assign(m.L, (LnGamma(m.H + 0.5) - LnGamma(m.H)) - (m.H + 0.5) * Log(m.X() / m.K + 1));
  m.SetX(Exp(m.L) / Sqrt(m.K * kPi7));
  RequireWithin(m, m.K, kMinFreedom, kMaxSize);
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
  RequireWithin(m, m.H * 2, kMinFreedom, kMaxSize);
  RequireProbability(m);
}

void FnDF(Machine& m) {
  FisherArguments(m);
  m.Assign(m.L, LnGamma(m.HA + m.HB) - LnGamma(m.HA) - LnGamma(m.HB) + m.HA * Log(m.R));
  m.SetX(m.L + (m.HA - 1) * Log(m.X()) - (m.HA + m.HB) * Log(m.X() * m.R + 1));
  m.SetX(Exp(m.X()));
  RequireWithin(m, m.HA * 2, kMinFreedom, kMaxSize);
  RequireWithin(m, m.HB * 2, kMinFreedom, kMaxSize);
}

void FnCF(Machine& m) {
  FisherArguments(m);
  m.SetX(Real(1) - BetaI(m.HB, m.HA, Real(1) / (m.X() * m.R + 1), m.notices));
  RequireWithin(m, m.HA * 2, kMinFisherFreedom, kMaxFisherFreedom);
  RequireWithin(m, m.HB * 2, kMinFisherFreedom, kMaxFisherFreedom);
  RequireProbability(m);
}

}  // namespace numerella
