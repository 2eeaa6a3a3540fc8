// SPDX-License-Identifier: GPL-3.0-or-later
// The numerical library under the gamma function and the probability distributions: the
// logarithm of the gamma function, the regularized incomplete gamma and beta functions and the
// complementary error function. Every routine computes with checked arithmetic (Real): any
// division by zero, overflow or logarithm out of domain makes the routine return a failed
// value, which fails the evaluator step that called it. No routine keeps state or allocates.
#pragma once

#include "evaluator/machine.h"
#include "evaluator/real.h"

namespace numerella::num_lib {

// The notice given when an iteration stops at its bound without meeting its tolerance. The
// title is the same whichever function was being computed.
inline constexpr char kNoticeText[] = "Errori nel Calcolo della Funzione";
inline constexpr char kNoticeTitle[] = "D_X2";

// Relative tolerance of the series and continued fractions.
inline constexpr double kTolerance = 3e-7;
// Iterations of the continued fraction of the upper incomplete gamma function.
inline constexpr int kFractionIterations = 100;
// Iteration bound of the gamma series and the beta continued fraction. The series needs about
// 3.5 * sqrt(a) terms when x is close to a large a, so the bound carries it to a of about
// 2e8; the beta fraction needs far fewer and stays within the bound past a = b = 1e12. A call
// that runs the whole bound costs about half a millisecond (series) to a millisecond (beta).
inline constexpr int kSeriesIterations = 50000;
// Floor of the magnitudes of the Lentz recurrence, which keeps its divisions finite.
inline constexpr double kTiny = 1e-30;

// ln(gamma(x)) by a six-term series, meant for x > 0. There is no reflection: 0 and the
// negative whole numbers fail, other negative arguments may fail or give about ln|gamma(x)|.
Real LnGamma(Real x);

// Q(a, x) = 1 - P(a, x), the regularized upper incomplete gamma function; 0 for x < 0 or a <= 0.
Real GammaQ(Real a, Real x, NoticeSink* notices);
// P(a, x) by its series, and Q(a, x) by its continued fraction. Both store LnGamma(a) in gln.
// A call that stops at its iteration bound gives one notice and returns its last value.
Real GammaSeries(Real a, Real x, Real& gln, NoticeSink* notices);
Real GammaFraction(Real a, Real x, Real& gln, NoticeSink* notices);

// The regularized incomplete beta function I_x(a, b) for 0 <= x <= 1. Outside [0, 1] the
// result is empty, which counts as 0: the routine returns 0.
Real BetaI(Real a, Real b, Real x, NoticeSink* notices);
// The continued fraction of BetaI by the modified Lentz method.
Real BetaFraction(Real a, Real b, Real x, NoticeSink* notices);

// The complementary error function by a five-term rational approximation (absolute error
// below about 1.5e-7).
Real Erfc(Real x);

}  // namespace numerella::num_lib
