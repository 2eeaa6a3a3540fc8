// The evaluator: the instruction loop, the result text, the 32 intrinsic functions through the
// whole road (typed formula, compiler, evaluator, result text) and the numerical routines.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "calculation/calculation.h"
#include "evaluator/evaluate.h"
#include "evaluator/num_lib.h"

namespace numerella::num_lib {
namespace {

TEST(Evaluate, ValueErrorAndRegisters) {
  std::string longest;  // 32766 codes: the most whole instructions within the limit
  for (int i = 0; i < 10922; ++i) longest += "4 0 1 ";
  const struct {
    const char* name;
    std::string codes;  // the program as numbers separated by blanks
    std::vector<Value> registers;
    bool error;
    Value result;                   // checked unless the run fails and this is empty
    std::vector<Value> after = {};  // registers after the run; empty: not checked
  } cases[] = {
      // clang-format off
      {"list keeps first", "108 2 0 1", {3, 4}, false, 3, {3, 4}}, {"empty", "", {1}, false, {}},
      {"power", "1 0 1", {2, 10}, false, 1024}, {"negative base", "1 0 1", {-8, 3}, false, -512},
      {"negative base, fraction", "1 0 1", {-8, 0.5}, true, {}, {-8, 0.5}},
      {"zero to negative", "1 0 1", {0, -1}, true, {}}, {"overflow", "1 0 1", {10, 400}, true, {}},
      {"1/0 fails, the next step reads the unchanged register", "3 0 1 4 0 2", {1, 0, 5}, true, {},
       {6, 0, 5}},
      {"zero by zero", "3 0 1", {0, 0}, true, {}},
      {"an overflow is not absorbed by a division", "3 1 2 3 0 1", {1, 1, 0}, true, {}},
      {"unknown code passes", "7 0 1 50 1 0", {3, 4}, false, 3, {3, 4}},
      {"register out of range", "4 0 9", {1}, true, {}}, {"truncated", "4 0", {1}, true, {}},
      {"call past the end", "23 3 0 1", {1, 2}, true, {}},
      {"infinity", "4 0 1", {1.0, INFINITY}, true, {}}, {"nan", "108 1 0", {NAN}, true, {}},
      // Empty registers count as 0, and an empty result stays empty.
      {"empty register", "4 0 1", {{}, 2.0}, false, 2},
      {"empty result", "108 1 0", {Value()}, false, {}},
      {"a failed fetch keeps the value of the step before", "4 0 1 108 1 7", {4, 5}, true, 9},
      {"longest program", longest, {1, 1}, false, 10923},
      {"beyond the limit, nothing runs", longest + "4 0 1", {1, 1}, true, {}, {1, 1}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.codes);
    std::string program;
    for (int code; in >> code;) program += static_cast<char>(code);
    std::vector<Value> regs = c.registers;
    int error = 99;
    const Value result = Evaluate(program, regs, error);
    EXPECT_EQ(error != 0, c.error);
    EXPECT_EQ(result, c.error && !c.result ? result : c.result);
    EXPECT_EQ(regs, c.after.empty() ? regs : c.after);
  }
}

TEST(ResultText, Formats) {
  const std::string stars = "**************";
  const std::pair<Value, std::string> cases[] = {
      // clang-format off
      {0.5, ".5"},           {-0.25, "-.25"},     {-2, "-2"},          {98, "98"},
      {1.0 / 3, ".3333333"}, {1e-10, "1E-10"},    {1234567, "1234567"}, {1e7, "1E+07"},
      {0.0001, ".0001"},     {-0.0, "0"},         {Value(), "0"},      {1e-50, "0"},
      {1e39, stars},         {-1e39, stars},      {NAN, stars},       {INFINITY, stars},
      {123456789, "1.234568E+08"}, {0.00001234, "1.234E-05"}, {3.4e38, "3.4E+38"}, {2.0000001, "2"},
      // clang-format on
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(ResultText(value), text) << text;
}

struct Road {
  double value;      // the evaluated value; NAN when the evaluation fails
  std::string text;  // the result text the window shows
  int notices;       // notices given during the evaluation
};

Road RunTyped(const std::string& formula) {
  struct Counter : NoticeSink {
    void Notice(std::string_view text, std::string_view title) override {
      EXPECT_EQ(text, "Errori nel Calcolo della Funzione");
      EXPECT_EQ(title, "D_X2");
      ++count;
    }
    int count = 0;
  } counter;
  Compiler compiler;
  const CalculationOutcome out = RunFormula(compiler, formula, true, &counter);
  EXPECT_NE(out.kind, CalculationOutcome::Kind::kCompileFailed) << formula << out.message;
  return {out.kind == CalculationOutcome::Kind::kEvalFailed ? NAN : out.value.value_or(0),
          out.result_text, counter.count};
}

// Formula, value, shown text (nullptr: not checked), relative tolerance and notices given.
TEST(Intrinsics, ValuesTextsFailuresAndSymmetries) {
  const struct {
    const char* formula;
    double value;
    const char* text;
    double rel = 1e-9;
    int notices = 0;
  } cases[] = {
      // clang-format off
      // ASIN and ACOS clamp to +-1 and use 3.1415926 for pi.
      {"ASIN(1)", 1.5707963, "1.570796"},    {"ASIN(2)", 1.5707963, "1.570796"},
      {"ASIN(-3)", -1.5707963, "-1.570796"}, {"ASIN(0.5)", std::asin(0.5), ".5235988"},
      {"ACOS(1)", 0, "0"},                   {"ACOS(-1)", 3.1415926, "3.141593"},
      {"ACOS(0.5)", 1.0471975244, "1.047198"}, {"ACOS(0)", 1.5707963, "1.570796"},
      {"SGN(0)", 1, "1"},  {"SGN(-0.001)", -1, "-1"}, {"SGN(7)", 1, "1"},  {"INT(-0.5)", -1, "-1"},
      {"INT(3)", 3, "3"},   {"INT(2.7)", 2, "2"},      {"INT(-2.3)", -3, "-3"}, {"SQR(16)", 4, "4"},
      {"ABS(-4.5)", 4.5, "4.5"}, {"EXP(-1000)", 0, "0"}, {"LOG(EXP(2))", 2, "2"},
      {"ATAN(1)", std::atan(1.0), ".7853982"}, {"SIN(0.5)", std::sin(0.5), ".4794255"},
      {"COS(0.5)", std::cos(0.5), ".8775826"}, {"TAN(0.5)", std::tan(0.5), ".5463025"},
      {"SUM(1,2,3)", 6, "6"}, {"AVG(1,2,3,4)", 2.5, "2.5"}, {"SUM(5)", 5, "5"}, {"AVG(5)", 5, "5"},
      {"STD(1,2,3,4)", 1.2909944487358056, "1.290994"},
      {"STD(2,4,4,4,5,5,7,9)", 2.138089935299395, "2.13809"},
      // Equal values give exactly 0, including those whose sum of squares cancels badly.
      {"STD(0.1,0.1,0.1)", 0, "0"}, {"STD(0.3,0.3,0.3)", 0, "0"}, {"STD(1.1,1.1)", 0, "0"},
      {"STD(1E8,100000001,100000002)", 1, "1"},
      // LNGAM(1) and LNGAM(2) are known to three digits only; GAM rounds whole arguments.
      {"LNGAM(1)", -3.41e-11, "-3.413625E-11", 5e-3},
      {"LNGAM(2)", -7.82e-11, "-7.818812E-11", 5e-3},
      {"LNGAM(5)", 3.17805383019, "3.178054"},        {"LNGAM(0.5)", 0.57236494291, ".5723649"},
      {"LNGAM(-1.5)", 0.86004701, ".860047", 1e-8},   {"GAM(0.5)", 1.77245385089, "1.772454"},
      {"GAM(1)", 1, "1", 0}, {"GAM(2)", 1, "1", 0},   {"GAM(5)", 24, "24", 0},
      {"GAM(10)", 362880, "362880", 0},               {"GAM(12)", 39916800, "3.99168E+07", 0},
      {"GAM(4.5)", 11.6317283966, "11.63173", 1e-8},  {"2*GAM(3)+LNGAM(1)", 4, "4", 1e-10},
      {"P(0)", 0.5000000005, ".5"},                   {"Q(0)", 0.4999999995, ".5"},
      {"P(1.96)", 0.9750021739, ".9750022"},          {"Q(1.96)", 0.02499782611, ".02499783"},
      {"A(1)", 0.6826894723, ".6826895"},             {"A(-1)", 0.6826894723, ".6826895"},
      {"A(1.96)", 0.9500043478, ".9500043"},          {"A(0)", 1.000000083e-9, "1E-09"},
      {"D_B(2,5,0.5)", 0.3125, ".3125"},              {"D_B(3,10,0.3)", 0.2668279320, ".2668279"},
      {"D_B(0,5,0)", 1, "1"},                         {"C_B(2,5,0.5)", 0.5, ".5"},
      {"C_B(0,5,0.5)", 0.03125, ".03125"},            {"C_B(5,5,0.5)", 1, "1", 0},
      {"C_B(3,10,0.3)", 0.6496107184, ".6496107"},    {"C_B(2,5,3)", 0, "0", 0},
      {"D_P(2,3)", 0.2240418077, ".2240418"},         {"D_P(0,0)", 1, "1", 0},
      {"D_P(2,0)", 0, "0", 0},                        {"C_P(2,3)", 0.4231901027, ".4231901"},
      {"C_P(5,0)", 1, "1", 0},                        {"D_N(0,0,1)", 0.3989423, ".3989423", 0},
      // A negative standard deviation counts as its absolute value.
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
      // Series and beta fractions of more than 100 iterations meet the true values, unnoticed.
      {"C_X2(20000,20000)", 0.50133, ".5013267", 2e-5},
      {"C_X2(2000,2000)", 0.50420524418, ".5042043", 4e-6},
      {"C_P(100000,100000)", 0.500841043099, ".5008515", 4e-5},
      {"C_B(50000,100000,0.5)", 0.501261563107, ".5012615", 2e-7},
      {"C_F(1,200000,200000)", 0.5, ".4999999", 2e-7},
      {"C_F(1.005,200000,200000)", 0.867627536426, ".8676276", 2e-7},
      {"C_T(2,1000000)", 0.977249733074, ".9772497", 2e-8},
      {"C_T(-1.7,1000000)", 0.0445656182452, ".04456562", 2e-8},
      // A notice per iteration stopped at its bound; the evaluation goes on with its value.
      {"C_X2(20003,20000)", 0.5073, nullptr, 2e-4, 1},
      {"C_P(9999,10001.5)", 0.4927, nullptr, 2e-4, 1},  // the gamma fraction at (10000, 10001.5)
      {"C_P(4999,5001.5)", 0.4897, nullptr, 2e-4, 0},
      {"C_X2(20003,20000)+C_X2(20003,20000)", 1.0146, nullptr, 2e-4, 2},
      {"C_X2(1E9,1E9)", 0.5, nullptr, 0.1, 1}, {"C_F(1,2E14,2E14)", 0.5, nullptr, 0.4, 1},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    const Road r = RunTyped(c.formula);
    ASSERT_FALSE(std::isnan(r.value));
    EXPECT_NEAR(r.value, c.value, std::fabs(c.value) * c.rel);
    EXPECT_EQ(r.text, c.text ? c.text : r.text);
    EXPECT_EQ(r.notices, c.notices);
  }
  for (const char* formula :
       {"SQR(-1)",          "LOG(0)",        "LOG(-2)",      "EXP(710)",       "STD(5)",
        "SUM(1E308,1E308)", "GAM(172)",      "GAM(0)",       "GAM(-0.5)",      "LNGAM(0)",
        "LNGAM(-1)",        "LNGAM(-3)",     "LNGAM(-0.5)",  "LNGAM(-2.5)",    "LNGAM(-7.5)",
        "D_B(2,5,1)",       "D_B(2,5,-1.5)", "D_B(7,5,0.5)", "C_B(7,5,0.5)",   "D_N(1,0,0)",
        "C_N(1,0,0)",       "D_T(1,0)",      "C_T(1,0)",     "D_F(1,0,2)",     "D_F(1,2,0)",
        "C_F(1,0,2)",       "C_F(1,2,0)",    "D_X2(1,0)",    "D_N(0,0,1E-310)"}) {
    const Road r = RunTyped(formula);
    EXPECT_TRUE(std::isnan(r.value) && r.notices == 0) << formula;
  }
  // Sign symmetries hold exactly, identities between functions to the iterations' tolerance.
  const struct {
    const char* first;
    const char* second;
    double tolerance = 1e-15;
  } pairs[] = {
      // clang-format off
      {"P(-1.2)", "Q(1.2)"}, {"P(2)+Q(2)", "1"}, {"A(1.5)", "P(1.5)-P(-1.5)"},
      {"GAM(1.5)", "EXP(LNGAM(1.5))"},      {"D_B(-2,-5,-0.5)", "D_B(2,5,0.5)"},
      {"C_B(-3,-10,-0.3)", "C_B(3,10,0.3)"}, {"D_P(-2,-3)", "D_P(2,3)"},
      {"C_P(-2,-3)", "C_P(2,3)"},           {"D_N(-1,0,1)", "D_N(1,0,1)"},
      {"C_N(-1,0,1)", "1-C_N(1,0,1)"},      {"D_X2(-2,2)", "D_X2(2,2)"},
      {"C_X2(-3,-4)", "C_X2(3,4)"},         {"D_T(-1,-5)", "D_T(1,5)"},
      {"C_T(-1.5,7)", "1-C_T(1.5,7)"},      {"D_F(-1.5,-3,-4)", "D_F(1.5,3,4)"},
      {"C_F(-1.5,-3,-4)", "C_F(1.5,3,4)"},
      {"C_N(1.3,0.5,2)", "P(0.4)"},         {"D_N(2.5,0.5,2)*2", "D_N(1,0,1)"},
      {"C_F(2.25,1,6)", "2*C_T(1.5,6)-1", 1e-7},  {"C_X2(3,2)", "1-EXP(-1.5)", 1e-7},
      {"C_B(2,5,0.5)", "SUM(D_B(0,5,0.5),D_B(1,5,0.5),D_B(2,5,0.5))", 1e-9},
      {"C_P(3,2.5)", "SUM(D_P(0,2.5),D_P(1,2.5),D_P(2,2.5),D_P(3,2.5))", 1e-6},
      // clang-format on
  };
  for (const auto& [first, second, tolerance] : pairs) {
    const Road a = RunTyped(first), b = RunTyped(second);
    EXPECT_NEAR(a.value, b.value, tolerance) << first << " = " << second;
  }
}

// The routines on their own at their domain edges (their values are met through the road).
TEST(NumLib, RoutinesAtTheirEdges) {
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
  EXPECT_NEAR(LnGamma(171).value(), std::lgamma(171.0), 1e-7);

  for (double a : {0.5, 2.0, 7.0}) {
    EXPECT_EQ(BetaI(a, 3, 0, nullptr).value(), 0);
    EXPECT_EQ(BetaI(a, 3, 1, nullptr).value(), 1);
    EXPECT_EQ(BetaI(a, 3, -0.1, nullptr).value(), 0);  // outside [0, 1]: empty, counts as 0
    EXPECT_EQ(BetaI(a, 3, 1.1, nullptr).value(), 0);
  }
  EXPECT_FALSE(BetaI(0.5, 0, 1, nullptr).ok());          // divides by b = 0
  EXPECT_FALSE(BetaFraction(-1, 2, 0.5, nullptr).ok());  // a + 1 = 0

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
