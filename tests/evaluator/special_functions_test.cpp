// LNGAM, GAM, P, Q and A through the whole road: typed formula, compiler, evaluator, result
// text. Also holds the road helpers that the distribution tests share.
#include <gtest/gtest.h>

#include <cmath>

#include "evaluator/calculation.h"
#include "evaluator/num_lib.h"
#include "formula_road.h"

namespace numerella::testing {

Road RunTyped(const std::string& formula) {
  struct Counter : NoticeSink {
    void Notice(std::string_view text, std::string_view title) override {
      EXPECT_EQ(text, num_lib::kNoticeText);
      EXPECT_EQ(title, num_lib::kNoticeTitle);
      ++count;
    }
    int count = 0;
  } counter;
  Compiler compiler;
  const CalculationOutcome out = RunFormula(compiler, formula, true, &counter);
  EXPECT_NE(out.kind, CalculationOutcome::Kind::kCompileFailed) << formula << out.message;
  return {out.kind == CalculationOutcome::Kind::kEvalFailed, out.value.value_or(0), out.result_text,
          counter.count};
}

void CheckRoad(std::span<const RoadCase> cases) {
  for (const RoadCase& c : cases) {
    SCOPED_TRACE(c.formula);
    const Road r = RunTyped(c.formula);
    EXPECT_EQ(r.notices, 0);
    ASSERT_EQ(r.failed, std::isnan(c.value));
    if (r.failed) continue;
    EXPECT_NEAR(r.value, c.value, std::fabs(c.value) * c.rel);
    EXPECT_EQ(r.text, c.text);
  }
}

void CheckSameValue(std::span<const SamePair> pairs) {
  for (const SamePair& p : pairs) {
    SCOPED_TRACE(::testing::Message() << p.first << " = " << p.second);
    const Road a = RunTyped(p.first), b = RunTyped(p.second);
    ASSERT_FALSE(a.failed || b.failed);
    if (p.tolerance == 0) {
      EXPECT_DOUBLE_EQ(a.value, b.value);
    } else {
      EXPECT_NEAR(a.value, b.value, p.tolerance);
    }
  }
}

namespace {

// LNGAM(1) and LNGAM(2) are known to three digits only; GAM rounds whole arguments.
TEST(SpecialFunctions, ValuesAndFailures) {
  // clang-format off
  const RoadCase cases[] = {
      {"LNGAM(1)", -3.41e-11, "-3.413625E-11", 5e-3},
      {"LNGAM(2)", -7.82e-11, "-7.818812E-11", 5e-3},
      {"LNGAM(5)", 3.17805383019, "3.178054"},        {"LNGAM(0.5)", 0.57236494291, ".5723649"},
      {"LNGAM(-1.5)", 0.86004701, ".860047", 1e-8},   {"GAM(0.5)", 1.77245385089, "1.772454"},
      {"GAM(1)", 1, "1", 0},  {"GAM(2)", 1, "1", 0},  {"GAM(5)", 24, "24", 0},
      {"GAM(10)", 362880, "362880", 0},               {"GAM(4.5)", 11.6317283966, "11.63173", 1e-8},
      {"P(0)", 0.5000000005, ".5"},                   {"Q(0)", 0.4999999995, ".5"},
      {"P(1.96)", 0.9750021739, ".9750022"},          {"Q(1.96)", 0.02499782611, ".02499783"},
      {"A(1)", 0.6826894723, ".6826895"},             {"A(-1)", 0.6826894723, ".6826895"},
      {"A(1.96)", 0.9500043478, ".9500043"},          {"A(0)", 1.000000083e-9, "1E-09"},
      {"2*GAM(3)+LNGAM(1)", 4, "4", 1e-10},
      {"GAM(172)", NAN},    {"GAM(0)", NAN},      {"GAM(-0.5)", NAN},   {"LNGAM(0)", NAN},
      {"LNGAM(-1)", NAN},   {"LNGAM(-3)", NAN},   {"LNGAM(-0.5)", NAN}, {"LNGAM(-2.5)", NAN},
      {"LNGAM(-7.5)", NAN}};
  // clang-format on
  CheckRoad(cases);
}

TEST(SpecialFunctions, Symmetries) {
  const SamePair pairs[] = {
      {"A(-0.3)", "A(0.3)"},          {"A(-2.5)", "A(2.5)"}, {"P(-1.2)", "Q(1.2)"},
      {"Q(-0.7)", "P(0.7)"},          {"P(2)+Q(2)", "1"},    {"A(1.5)", "P(1.5)-P(-1.5)"},
      {"GAM(1.5)", "EXP(LNGAM(1.5))"}};
  CheckSameValue(pairs);
}

TEST(SpecialFunctions, GammaOfWholeNumbersIsAFactorial) {
  double factorial = 1;
  for (int n = 1; n <= 12; factorial *= n++) {
    EXPECT_EQ(RunTyped("GAM(" + std::to_string(n) + ")").value, factorial) << n;
  }
}

}  // namespace
}  // namespace numerella::testing
