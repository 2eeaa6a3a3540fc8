// SPDX-License-Identifier: GPL-3.0-or-later
// A checked double: any operation whose result is not a finite double yields NaN, and NaN
// propagates through every later operation. A step of the evaluator fails exactly when the
// value it computed is NaN, so an overflow inside a formula (1 / (1 / 0), EXP(-EXP(1000)))
// fails its step instead of being absorbed into a finite result.
#pragma once

#include <cmath>
#include <limits>

namespace numerella {

class Real {
 public:
  constexpr Real() = default;
  constexpr Real(double v) : v_(v) {}  // NOLINT: numbers convert implicitly

  static Real Failed() { return Real(std::numeric_limits<double>::quiet_NaN()); }
  // Whether a double is a finite number (not infinite, not NaN).
  static bool Finite(double v) { return std::fabs(v) <= std::numeric_limits<double>::max(); }
  // Wraps a computed double, turning infinities into failure.
  static Real Of(double v) { return Finite(v) ? Real(v) : Failed(); }

  bool ok() const { return Finite(v_); }
  double value() const { return v_; }

  friend Real operator+(Real a, Real b) { return Of(a.v_ + b.v_); }
  friend Real operator-(Real a, Real b) { return Of(a.v_ - b.v_); }
  friend Real operator*(Real a, Real b) { return Of(a.v_ * b.v_); }
  friend Real operator/(Real a, Real b) { return b.v_ == 0 ? Failed() : Of(a.v_ / b.v_); }
  friend Real operator-(Real a) { return Real(-a.v_); }
  Real& operator+=(Real b) { return *this = *this + b; }
  Real& operator-=(Real b) { return *this = *this - b; }
  Real& operator*=(Real b) { return *this = *this * b; }
  Real& operator/=(Real b) { return *this = *this / b; }

  // Comparisons read the plain double; a failed value compares false with everything.
  friend bool operator<(Real a, Real b) { return a.v_ < b.v_; }
  friend bool operator>(Real a, Real b) { return a.v_ > b.v_; }
  friend bool operator<=(Real a, Real b) { return a.v_ <= b.v_; }
  friend bool operator>=(Real a, Real b) { return a.v_ >= b.v_; }
  friend bool operator==(Real a, Real b) { return a.v_ == b.v_; }

 private:
  double v_ = 0;
};

// Checked elementary functions.
inline Real Abs(Real x) { return Real(std::fabs(x.value())); }
inline Real Sqrt(Real x) { return x < 0 ? Real::Failed() : Real::Of(std::sqrt(x.value())); }
inline Real Exp(Real x) { return Real::Of(std::exp(x.value())); }
inline Real Log(Real x) { return x > 0 ? Real::Of(std::log(x.value())) : Real::Failed(); }
inline Real Atan(Real x) { return Real::Of(std::atan(x.value())); }
inline Real Sin(Real x) { return Real::Of(std::sin(x.value())); }
inline Real Cos(Real x) { return Real::Of(std::cos(x.value())); }
inline Real Tan(Real x) { return Real::Of(std::tan(x.value())); }
inline Real Floor(Real x) { return Real::Of(std::floor(x.value())); }

// Power: a negative base needs a whole exponent, a zero base a non-negative one.
inline Real Pow(Real base, Real exponent) {
  double b = base.value(), e = exponent.value();
  if (!base.ok() || !exponent.ok()) return Real::Failed();
  if (b < 0 && std::floor(e) != e) return Real::Failed();
  if (b == 0 && e < 0) return Real::Failed();
  return Real::Of(std::pow(b, e));
}

}  // namespace numerella
