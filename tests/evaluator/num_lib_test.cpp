// The numerical library on its own: closed forms, domain edges, failures and the notices of
// iterations that stop at their bound.
#include "evaluator/num_lib.h"

#include <gtest/gtest.h>

#include <cmath>

namespace numerella::num_lib {
namespace {

struct NoticeCounter : NoticeSink {
  void Notice(std::string_view text, std::string_view title) override {
    EXPECT_EQ(text, kNoticeText);
    EXPECT_EQ(title, kNoticeTitle);
    ++count;
  }
  int count = 0;
};

// Negative arguments have no reflection: some fail, -1.5 gives about ln|gamma(-1.5)|.
TEST(NumLib, LnGamma) {
  const double fails[] = {0, -1, -2, -0.5, -2.5, -5.5};
  for (double x : fails) EXPECT_FALSE(LnGamma(x).ok()) << x;
  EXPECT_NEAR(LnGamma(-1.5).value(), std::lgamma(-1.5), 1e-8);
  EXPECT_NEAR(LnGamma(171).value(), std::lgamma(171.0), 1e-7);
}

// Closed forms on both sides of x = a + 1, where the series gives way to the fraction:
// Q(1, x) = e^-x, Q(3, x) = e^-x (1 + x + x^2/2), Q(1/2, x) = erfc(sqrt x).
TEST(NumLib, GammaQ) {
  auto q3 = [](double x) { return std::exp(-x) * (1 + x + x * x / 2); };
  const double cases[][3] = {{1, 0.5, std::exp(-0.5)},
                             {1, 1.9, std::exp(-1.9)},
                             {1, 2.1, std::exp(-2.1)},
                             {1, 30, std::exp(-30.0)},
                             {3, 3.9, q3(3.9)},
                             {3, 4.1, q3(4.1)},
                             {0.5, 0.2, std::erfc(std::sqrt(0.2))},
                             {0.5, 2, std::erfc(std::sqrt(2.0))}};
  for (const auto& c : cases) EXPECT_NEAR(GammaQ(c[0], c[1], nullptr).value(), c[2], 1e-6 * c[2]);
  for (double a : {0.5, 1.0, 100.0}) {
    EXPECT_DOUBLE_EQ(GammaQ(a, 0, nullptr).value(), 1) << a;
    EXPECT_EQ(GammaQ(a, -1, nullptr).value(), 0) << a;
    EXPECT_EQ(GammaQ(0, a, nullptr).value(), 0) << a;
    EXPECT_EQ(GammaQ(-2, a, nullptr).value(), 0) << a;
  }
  Real gln;
  EXPECT_EQ(GammaSeries(4, 0, gln, nullptr).value(), 0);
  EXPECT_NEAR(gln.value(), std::log(6.0), 1e-9);  // ln gamma(a) is handed back all the same
  EXPECT_FALSE(GammaSeries(-1, 0.5, gln, nullptr).ok());
  EXPECT_FALSE(GammaFraction(-1, 0.5, gln, nullptr).ok());
}

// The gamma fraction stops after 100 iterations; the series and the beta fraction run on to
// their larger bound. Each call that stops at its bound gives exactly one notice.
TEST(NumLib, IterationBoundsAndNotices) {
  struct Case {
    char routine;  // 'f' gamma fraction, 's' gamma series, 'b' BetaI
    double a, b, x;
    int notices;
  };
  const Case cases[] = {{'f', 10000, 0, 10001.5, 1}, {'f', 5000, 0, 5001.5, 0},
                        {'s', 10000, 0, 10000, 0},   {'s', 1e9, 0, 1e9, 1},
                        {'b', 1e5, 1e5, 0.5, 0},     {'b', 1e14, 1e14, 0.5, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.routine << " " << c.a);
    NoticeCounter counter;
    Real gln;
    const Real v = c.routine == 'b'   ? BetaI(c.a, c.b, c.x, &counter)
                   : c.routine == 'f' ? GammaFraction(c.a, c.x, gln, &counter)
                                      : GammaSeries(c.a, c.x, gln, &counter);
    EXPECT_TRUE(v.value() > 0 && v.value() < 1) << v.value();
    EXPECT_EQ(counter.count, c.notices);
  }
  Real gln;
  EXPECT_NEAR(GammaSeries(10000, 10000, gln, nullptr).value(), 0.50133, 1e-5);
  EXPECT_NEAR(BetaI(1e5, 1e5, 0.5, nullptr).value(), 0.5, 1e-6);
}

// I_x(a, 1) = x^a and I_x(1, b) = 1 - (1 - x)^b, with the reflection I_(1-x)(b, a).
TEST(NumLib, BetaI) {
  const double cases[][4] = {{1, 1, 0.3, 0.3},        {1, 1, 0.8, 0.8},
                             {3, 1, 0.5, 0.125},      {2.5, 1, 0.9, std::pow(0.9, 2.5)},
                             {1, 4, 0.2, 1 - 0.4096}, {1, 4, 0.7, 1 - 0.0081}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c[0] << ", " << c[1] << ", " << c[2]);
    EXPECT_NEAR(BetaI(c[0], c[1], c[2], nullptr).value(), c[3], 1e-6);
    EXPECT_NEAR(BetaI(c[1], c[0], 1 - c[2], nullptr).value(), 1 - c[3], 1e-6);
  }
  for (double a : {0.5, 2.0, 7.0}) {
    EXPECT_EQ(BetaI(a, 3, 0, nullptr).value(), 0);
    EXPECT_EQ(BetaI(a, 3, 1, nullptr).value(), 1);
    EXPECT_EQ(BetaI(a, 3, -0.1, nullptr).value(), 0);  // outside [0, 1]: empty, counts as 0
    EXPECT_EQ(BetaI(a, 3, 1.1, nullptr).value(), 0);
  }
  EXPECT_FALSE(BetaI(0.5, 0, 1, nullptr).ok());          // divides by b = 0
  EXPECT_FALSE(BetaFraction(-1, 2, 0.5, nullptr).ok());  // a + 1 = 0
}

TEST(NumLib, Erfc) {
  EXPECT_NEAR(Erfc(0).value(), 0.999999999, 1e-15);  // the coefficients' sum, not 1
  for (double x : {0.1, 0.5, 1.0, 1.3859, 2.5, 4.0}) {
    EXPECT_NEAR(Erfc(x).value(), std::erfc(x), 1.5e-7) << x;
    EXPECT_DOUBLE_EQ(Erfc(-x).value(), 2 - Erfc(x).value()) << x;
  }
  EXPECT_EQ(Erfc(40).value(), 0);  // the exponential underflows without failing
  EXPECT_EQ(Erfc(-40).value(), 2);
}

}  // namespace
}  // namespace numerella::num_lib
