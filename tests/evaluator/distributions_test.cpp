// The twelve distribution functions through the whole road: their values, the arguments that
// fail, the sign symmetries, large arguments, and the notices of non-converging iterations.
#include <gtest/gtest.h>

#include <cmath>

#include "formula_road.h"

namespace numerella::testing {
namespace {

// A negative standard deviation counts as its absolute value: D_N(1,0,-1) = D_N(1,0,1).
TEST(Distributions, ValuesAndFailures) {
  // clang-format off
  const RoadCase cases[] = {
      {"D_B(2,5,0.5)", 0.3125, ".3125"},              {"D_B(3,10,0.3)", 0.2668279320, ".2668279"},
      {"D_B(0,5,0)", 1, "1"},                         {"C_B(2,5,0.5)", 0.5, ".5"},
      {"C_B(0,5,0.5)", 0.03125, ".03125"},            {"C_B(5,5,0.5)", 1, "1", 0},
      {"C_B(3,10,0.3)", 0.6496107184, ".6496107"},    {"C_B(2,5,3)", 0, "0", 0},
      {"D_P(2,3)", 0.2240418077, ".2240418"},         {"D_P(0,0)", 1, "1", 0},
      {"D_P(2,0)", 0, "0", 0},                        {"C_P(2,3)", 0.4231901027, ".4231901"},
      {"C_P(5,0)", 1, "1", 0},                        {"D_N(0,0,1)", 0.3989423, ".3989423", 0},
      {"D_N(1,0,1)", 0.2419707364, ".2419707"},       {"D_N(1,0,-1)", 0.2419707364, ".2419707"},
      {"C_N(1.96,0,1)", 0.9750021739, ".9750022"},    {"C_N(0,0,1)", 0.5000000005, ".5"},
      {"C_N(1,0,-1)", 0.8413447362, ".8413447"},      {"D_X2(0,2)", 0.5, ".5"},
      {"D_X2(2,2)", 0.1839397206, ".1839397"},        {"D_X2(3,4)", 0.1673476201, ".1673476"},
      {"C_X2(0,3)", 0, "0", 0},                       {"C_X2(3.84,1)", 0.9499564689, ".9499565"},
      {"C_X2(2,2)", 0.6321205488, ".6321205"},        {"D_T(0,1)", 0.3183098889, ".3183099"},
      {"D_T(1,5)", 0.2196797992, ".2196798"},         {"C_T(0,5)", 0.4999999874, ".5"},
      {"C_T(2.015,5)", 0.9499969158, ".9499969"},     {"C_T(-2.015,5)", 0.05000308419, ".05000309"},
      {"C_T(1,1)", 0.7500000090, ".75"},              {"D_F(1,2,2)", 0.25, ".25"},
      {"D_F(0,2,2)", 0.99999999999, "1"},             {"C_F(1,2,2)", 0.5, ".5"},
      {"C_F(3,4,10)", 0.9276767777, ".9276768"},
      {"D_B(2,5,1)", NAN},  {"D_B(2,5,-1.5)", NAN}, {"D_B(7,5,0.5)", NAN}, {"C_B(7,5,0.5)", NAN},
      {"D_N(1,0,0)", NAN},  {"C_N(1,0,0)", NAN},    {"D_T(1,0)", NAN},     {"C_T(1,0)", NAN},
      {"D_F(1,0,2)", NAN},  {"D_F(1,2,0)", NAN},    {"C_F(1,0,2)", NAN},   {"C_F(1,2,0)", NAN},
      {"D_X2(1,0)", NAN},   {"D_N(0,0,1E-310)", NAN}};
  // clang-format on
  CheckRoad(cases);
}

// Sign symmetries hold exactly; identities between distributions to the iterations' tolerance.
TEST(Distributions, SymmetriesAndIdentities) {
  // clang-format off
  const SamePair pairs[] = {
      {"D_B(-2,-5,-0.5)", "D_B(2,5,0.5)"}, {"C_B(-3,-10,-0.3)", "C_B(3,10,0.3)"},
      {"D_P(-2,-3)", "D_P(2,3)"},           {"C_P(-2,-3)", "C_P(2,3)"},
      {"D_N(-1,0,1)", "D_N(1,0,1)"},        {"D_N(0.5,0,-2)", "D_N(0.5,0,2)"},
      {"C_N(-1,0,1)", "1-C_N(1,0,1)"},      {"C_N(0.3,0,-2)", "C_N(0.3,0,2)"},
      {"D_X2(-2,2)", "D_X2(2,2)"},          {"C_X2(-3,-4)", "C_X2(3,4)"},
      {"D_T(-1,-5)", "D_T(1,5)"},           {"C_T(-1.5,7)", "1-C_T(1.5,7)"},
      {"D_F(-1.5,-3,-4)", "D_F(1.5,3,4)"},  {"C_F(-1.5,-3,-4)", "C_F(1.5,3,4)"},
      {"C_N(1.3,0.5,2)", "P(0.4)"},         {"D_N(2.5,0.5,2)*2", "D_N(1,0,1)"},
      {"C_F(2.25,1,6)", "2*C_T(1.5,6)-1", 1e-7},  {"C_X2(3,2)", "1-EXP(-1.5)", 1e-7},
      {"C_B(2,5,0.5)", "SUM(D_B(0,5,0.5),D_B(1,5,0.5),D_B(2,5,0.5))", 1e-9},
      {"C_P(3,2.5)", "SUM(D_P(0,2.5),D_P(1,2.5),D_P(2,2.5),D_P(3,2.5))", 1e-6}};
  // clang-format on
  CheckSameValue(pairs);
}

// The series and beta fractions of these need more than 100 iterations; the true values are
// met to within the tolerances given.
TEST(Distributions, LargeArguments) {
  // clang-format off
  const RoadCase cases[] = {
      {"C_X2(20000,20000)", 0.50133, ".5013267", 2e-5},
      {"C_X2(2000,2000)", 0.50420524418, ".5042043", 4e-6},
      {"C_P(100000,100000)", 0.500841043099, ".5008515", 4e-5},
      {"C_B(50000,100000,0.5)", 0.501261563107, ".5012615", 2e-7},
      {"C_F(1,200000,200000)", 0.5, ".4999999", 2e-7},
      {"C_F(1.005,200000,200000)", 0.867627536426, ".8676276", 2e-7},
      {"C_T(2,1000000)", 0.977249733074, ".9772497", 2e-8},
      {"C_T(-1.7,1000000)", 0.0445656182452, ".04456562", 2e-8}};
  // clang-format on
  CheckRoad(cases);
}

// One notice per iteration that stops at its bound; the evaluation goes on with the value
// reached and does not fail.
TEST(Distributions, NoticesOfNonConvergence) {
  struct Case {
    const char* formula;
    double value, tolerance;
    int notices;
  };
  const Case cases[] = {{"C_X2(20003,20000)", 0.5073, 1e-4, 1},
                        {"C_P(9999,10001.5)", 0.4927, 1e-4, 1},
                        {"C_P(4999,5001.5)", 0.4897, 1e-4, 0},
                        {"C_X2(20003,20000)+C_X2(20003,20000)", 1.0146, 2e-4, 2},
                        {"C_X2(1E9,1E9)", 0.5, 0.05, 1},
                        {"C_F(1,2E14,2E14)", 0.5, 0.2, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    const Road r = RunTyped(c.formula);
    EXPECT_FALSE(r.failed);
    EXPECT_NEAR(r.value, c.value, c.tolerance);
    EXPECT_EQ(r.notices, c.notices);
  }
}

}  // namespace
}  // namespace numerella::testing
