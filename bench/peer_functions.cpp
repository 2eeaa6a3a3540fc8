// SPDX-License-Identifier: GPL-3.0-or-later
#include "peer_functions.h"

#include <muParser.h>

#include <cmath>

namespace numerella::bench {
namespace {

double Gam(double x) { return std::tgamma(x); }
double NormalCdf(double x, double m, double s) {
  return 0.5 * std::erfc(-(x - m) / (std::fabs(s) * std::sqrt(2.0)));
}
double BinomialDensity(double k, double n, double p) {
  return std::exp(std::lgamma(n + 1) - std::lgamma(k + 1) - std::lgamma(n - k + 1) +
                  k * std::log(p) + (n - k) * std::log1p(-p));
}
// Student's t distribution function for a whole number of degrees of freedom, by the
// classical finite series.
double StudentCdf(double t, double df) {
  const int n = static_cast<int>(df);
  const double theta = std::atan(t / std::sqrt(df));
  const double c = std::cos(theta), s = std::sin(theta);
  double sum = 0, term = n % 2 ? c : 1;
  for (int k = n % 2 ? 3 : 2; k <= n - 1; k += 2) {
    sum += term;
    term *= c * c * (k - 1) / k;
  }
  sum += n > 1 ? term : 0;
  const double a = n % 2 ? (2 / M_PI) * (theta + (n > 1 ? s * (sum) : 0)) : s * sum;
  return 0.5 + 0.5 * a;
}
double Std(const double* v, int n) {
  double mean = 0;
  for (int i = 0; i < n; ++i) mean += v[i];
  mean /= n;
  double s = 0;
  for (int i = 0; i < n; ++i) s += (v[i] - mean) * (v[i] - mean);
  return std::sqrt(s / (n - 1));
}

}  // namespace

void DefinePeerFunctions(mu::Parser& parser) {
  parser.DefineFun("gam", Gam);
  parser.DefineFun("c_n", NormalCdf);
  parser.DefineFun("d_b", BinomialDensity);
  parser.DefineFun("c_t", StudentCdf);
  parser.DefineFun("std", Std);
}

}  // namespace numerella::bench
