// SPDX-License-Identifier: GPL-3.0-or-later
// The numerical library: ln gamma, incomplete gamma and beta functions, complementary error
// function. The order of every sum and product is kept as written, since the results are
// expected to the last printed digit.
#include "evaluator/num_lib.h"

#include <array>

namespace numerella::num_lib {
namespace {

constexpr std::array<double, 6> kGammaCoefficients = {
    76.18009173, -86.50532033, 24.01409822, -1.231739516, 0.00120858003, -0.00000536382,
};
constexpr double kSqrtTwoPi = 2.50662827465;

// The rational approximation of erfc: t = 1 / (1 + p z), erfc(z) ~ poly(t) * exp(-z^2).
constexpr double kErfcP = 0.3275911;
constexpr std::array<double, 5> kErfcCoefficients = {
    0.254829592, -0.284496736, 1.421413741, -1.453152027, 1.061405429,
};

void NotifyBoundReached(NoticeSink* notices) {
  if (notices != nullptr) notices->Notice(kNoticeText, kNoticeTitle);
}

// Raises the Lentz recurrence's denominators to the smallest magnitude, always positive.
Real Floored(Real v) { return Abs(v) < kTiny ? Real(kTiny) : v; }

// One half-step of the Lentz recurrence for the coefficient aa: updates c and d, whose
// product is the factor of this half-step.
void LentzStep(Real aa, Real& c, Real& d) {
  d = Floored(Real(1) + aa * d);
  c = Floored(Real(1) + aa / c);
  d = Real(1) / d;
}

}  // namespace

Real LnGamma(Real x) {
  Real y = x - 1;
  Real t = y + 5.5;
  t = (y + 0.5) * Log(t) - t;
  Real s = 1;
  for (double c : kGammaCoefficients) {
    y = y + 1;
    s = s + Real(c) / y;
  }
  return t + Log(Real(kSqrtTwoPi) * s);
}

Real GammaQ(Real a, Real x, NoticeSink* notices) {
  if (x < 0 || a <= 0) return 0;
  Real gln;
  if (x < a + 1) return Real(1) - GammaSeries(a, x, gln, notices);
  return GammaFraction(a, x, gln, notices);
}

Real GammaSeries(Real a, Real x, Real& gln, NoticeSink* notices) {
  gln = LnGamma(a);
  if (!gln.ok()) return Real::Failed();
  if (x <= 0) return 0;
  Real ap = a;
  Real sum = Real(1) / a;
  Real del = sum;
  bool converged = false;
  for (int n = 1; n <= kSeriesIterations; ++n) {
    ap = ap + 1;
    del = (del * x) / ap;
    sum = sum + del;
    if (!sum.ok()) return Real::Failed();
    if (Abs(del) < Abs(sum) * kTolerance) {
      converged = true;
      break;
    }
  }
  if (!converged) NotifyBoundReached(notices);
  return sum * Exp((-x + a * Log(x)) - gln);
}

Real GammaFraction(Real a, Real x, Real& gln, NoticeSink* notices) {
  gln = LnGamma(a);
  if (!gln.ok()) return Real::Failed();
  Real gold = 0, g = 0;
  Real a0 = 1, a1 = x, b0 = 0, b1 = 1, fac = 1;
  bool converged = false;
  for (int n = 1; n <= kFractionIterations; ++n) {
    const Real ana = Real(n) - a;
    a0 = (a1 + a0 * ana) * fac;
    b0 = (b1 + b0 * ana) * fac;
    const Real anf = Real(n) * fac;
    a1 = x * a0 + anf * a1;
    b1 = x * b0 + anf * b1;
    if (!a1.ok() || !b1.ok()) return Real::Failed();
    if (a1 != 0) {
      fac = Real(1) / a1;
      g = b1 * fac;
      const Real change = (g - gold) / g;
      if (!change.ok()) return Real::Failed();
      if (Abs(change) < kTolerance) {
        converged = true;
        break;
      }
      gold = g;
    }
  }
  if (!converged) NotifyBoundReached(notices);
  return Exp((-x + a * Log(x)) - gln) * g;
}

Real BetaI(Real a, Real b, Real x, NoticeSink* notices) {
  if (x < 0 || x > 1) return 0;  // empty, which counts as 0
  Real bt = 0;
  if (x != 0 && x != 1) {
    bt = Exp(LnGamma(a + b) - LnGamma(a) - LnGamma(b) + a * Log(x) + b * Log(Real(1) - x));
  }
  if (x < (a + 1) / (a + b + 2)) return bt * BetaFraction(a, b, x, notices) / a;
  return Real(1) - bt * BetaFraction(b, a, Real(1) - x, notices) / b;
}

Real BetaFraction(Real a, Real b, Real x, NoticeSink* notices) {
  const Real qab = a + b, qap = a + 1, qam = a - 1;
  Real c = 1;
  Real d = Real(1) / Floored(Real(1) - qab * x / qap);
  Real h = d;
  for (int m = 1; m <= kSeriesIterations; ++m) {
    const Real m2 = 2 * m;
    Real aa = Real(m) * (b - m) * x / ((qam + m2) * (a + m2));
    LentzStep(aa, c, d);
    h = h * d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    LentzStep(aa, c, d);
    const Real del = d * c;
    h = h * del;
    if (!h.ok()) return Real::Failed();
    if (Abs(del - 1) < kTolerance) return h;
  }
  NotifyBoundReached(notices);
  return h;
}

Real Erfc(Real x) {
  const Real z = Abs(x);
  const Real t = Real(1) / (Real(1) + kErfcP * z);
  const Real t2 = t * t;
  const Real t3 = t * t2;
  const Real t4 = t2 * t2;
  const Real t5 = t * t4;
  const Real poly = Real(kErfcCoefficients[0]) * t + kErfcCoefficients[1] * t2 +
                    kErfcCoefficients[2] * t3 + kErfcCoefficients[3] * t4 +
                    kErfcCoefficients[4] * t5;
  const Real r = poly * Exp(-z * z);
  return x >= 0 ? r : Real(2) - r;
}

}  // namespace numerella::num_lib
