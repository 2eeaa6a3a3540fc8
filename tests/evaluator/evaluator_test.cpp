// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluator: the instruction loop (the tight one and the checked one), the 32 intrinsic
// functions through the whole road (typed formula, compiler, evaluator, result text) and the
// numerical routines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>

#include "allocation_count.h"
#include "calculation/calculation.h"
#include "evaluator/evaluate.h"
#include "evaluator/num_lib.h"

namespace numerella::num_lib {
namespace {

// Values as text, exact to the bit: "-" for empty, hexadecimal doubles otherwise.
std::string Show(const std::vector<Value>& values) {
  std::string out;
  for (const Value& v : values) {
    char buffer[40];
    if (v) {
      std::snprintf(buffer, sizeof buffer, "%a", *v);
    } else {
      std::snprintf(buffer, sizeof buffer, "-");
    }
    out += (out.empty() ? "" : " ") + std::string(buffer);
  }
  return out;
}

std::string Program(const std::string& text) {
  const std::optional<std::string> program = ProgramFromText(text);
  EXPECT_TRUE(program.has_value()) << text;
  return program.value_or("");
}

const Value kEmpty;
const double kInf = INFINITY;

// Every case states the whole outcome: error flag, returned value and every register after the
// run, failed runs included, since a failed evaluation leaves them exactly so.
TEST(Evaluate, ValueErrorAndRegisters) {
  std::string longest;  // 32766 codes: the most whole instructions within the limit
  for (int i = 0; i < 10922; ++i) longest += "ADD r0 r1 | ";
  const double lngam2 = LnGamma(2).value();
  const struct {
    const char* name;
    std::string program;  // in the readable or the numeric form of the contract
    std::vector<Value> registers;
    bool error;
    Value result;
    std::vector<Value> after;
  } cases[] = {
      // clang-format off
      {"2*(3+4)^2", "ADD r1 r2 | POW r1 r3 | MUL r0 r1 | EXPR r0", {2, 3, 4, 2}, false, 98,
       {98, 49, 4, 2}},
      {"SQR(16)+1", "CALL SQR r0 | ADD r0 r1 | EXPR r0", {16, 1}, false, 5, {5, 1}},
      {"list keeps first", "EXPR r0 r1", {3, 4}, false, 3, {3, 4}},
      {"later arguments of the whole expression are ignored", "EXPR r1 r0", {3, 4}, false, 4,
       {3, 4}},
      {"empty", "", {1}, false, kEmpty, {1}},
      {"power", "POW r0 r1", {2, 10}, false, 1024, {1024, 10}},
      {"negative base", "POW r0 r1", {-8, 3}, false, -512, {-512, 3}},
      {"negation", "NEG r0", {5}, false, -5, {-5}},
      {"negative base, fraction", "POW r0 r1", {-8, 0.5}, true, -8, {-8, 0.5}},
      {"zero to negative", "POW r0 r1", {0, -1}, true, 0, {0, -1}},
      {"overflow", "POW r0 r1", {10, 400}, true, 10, {10, 400}},
      {"1/0 fails, the next step reads the unchanged register", "DIV r0 r1 | ADD r0 r2",
       {1, 0, 5}, true, 6, {6, 0, 5}},
      {"zero by zero", "DIV r0 r1", {0, 0}, true, 0, {0, 0}},
      {"an overflow is not absorbed by a division", "DIV r1 r2 | DIV r0 r1", {1, 1, 0}, true, 1,
       {1, 1, 0}},
      {"a failed step of a function keeps its value", "CALL SQR r0 | ADD r0 r1", {-4, 1}, true,
       -3, {-3, 1}},
      {"unknown codes pass", "OP7 r0 r1 | CALL #50 r0", {3, 4}, false, 3, {3, 4}},
      // Programs no compiler writes: the checked loop takes them as they come.
      {"register out of range: the second operand stays 0", "ADD r0 r9", {1}, true, 1, {1}},
      {"truncated", "? 4 0", {1}, true, 1, {1}},
      {"call past the end: the missing argument is 0", "? 23 3 0 1", {1, 2}, true, 3, {3, 2}},
      {"a call without its count keeps the count before", "CALL SUM r0 r1 r2 | ? 23",
       {1, 2, 3}, true, 6, {6, 2, 3}},
      {"the checked loop takes over with the machine as it is",
       "ADD r0 r1 | ADD r0 r9 | MUL r0 r1", {1, 2}, true, 10, {10, 2}},
      {"infinity is not fetched", "ADD r0 r1", {1.0, kInf}, true, 1, {1, kInf}},
      {"nan is not fetched, the empty current value is stored", "EXPR r0", {NAN}, true, kEmpty,
       {kEmpty}},
      // Empty registers count as 0, and an empty result stays empty.
      {"empty register", "ADD r0 r1", {kEmpty, 2.0}, false, 2, {2, 2}},
      {"empty result", "EXPR r0", {kEmpty}, false, kEmpty, {kEmpty}},
      {"a failed fetch keeps the value of the step before", "ADD r0 r1 | EXPR r7", {4, 5}, true,
       9, {9, 5}},
      // LNGAM and GAM keep their argument in the second-operand cell, where an operator whose
      // second fetch fails finds it.
      {"LNGAM's argument in the second operand", "CALL LNGAM r0 | ADD r0 r1", {2, kInf}, true,
       lngam2 + 2, {lngam2 + 2, kInf}},
      {"GAM's argument in the second operand", "CALL GAM r0 | SUB r0 r1", {3, NAN}, true, -1,
       {-1, NAN}},
      {"longest program", longest, {1, 1}, false, 10923, {10923, 1}},
      {"beyond the limit, nothing runs", longest + "ADD r0 r1", {1, 1}, true, kEmpty, {1, 1}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string program = Program(c.program);
    std::vector<Value> regs = c.registers;
    int error = 99;
    const Value result = Evaluate(program, regs, error);
    EXPECT_EQ(error != 0, c.error);
    EXPECT_EQ(Show({result}), Show({c.result}));
    EXPECT_EQ(Show(regs), Show(c.after));
  }
}

// The tight loop and the checked loop agree to the bit on every program: whole ones over
// finite registers (the tight loop's), and all the others, where the tight loop stops and the
// checked one takes over.
TEST(Evaluate, TightAndCheckedLoopsAgree) {
  struct Counter : NoticeSink {
    void Notice(std::string_view, std::string_view) override { ++count; }
    int count = 0;
  };
  std::mt19937_64 rng(2024);
  const double pool[] = {0,   1,   -1,  0.5,  -0.5, 2,   3,    10,  100, 1e308, -1e308, 1e-310,
                         170, 172, 0.3, 1.96, 5,    1.5, -2.5, 1e9, 7,   0.999, 20000};
  auto number = [&] {
    const std::size_t k = rng() % 40;
    return k < std::size(pool) ? pool[k] : std::uniform_real_distribution<double>(-6, 6)(rng);
  };
  for (int round = 0; round < 20000; ++round) {
    const int count = 1 + static_cast<int>(rng() % 8);
    const int kind = static_cast<int>(rng() % 8);  // 0: any bytes, 1: odd registers, 2: a tail
    std::vector<Value> regs(count);
    for (Value& r : regs) {
      r = number();
      const int odd = kind == 1 ? static_cast<int>(rng() % 6) : 5;
      if (odd == 0) r.reset();
      if (odd == 1) r = kInf;
      if (odd == 2) r = NAN;
    }
    std::string program;
    auto reg = [&] { return static_cast<char>(rng() % count); };
    for (int k = 1 + static_cast<int>(rng() % 6); k > 0; --k) {
      if (kind == 0) {
        for (int b = static_cast<int>(rng() % 5); b > 0; --b) {
          program += static_cast<char>(rng() % 3 == 0 ? rng() % 256 : rng() % 12);
        }
      } else if (rng() % 2 == 0) {
        program += {static_cast<char>(1 + rng() % 5), reg(), reg()};
      } else {
        const int f = static_cast<int>(rng() % (kFunctionCount + 4));
        const int code =
            f < kFunctionCount ? CallCode(f) : (f % 2 != 0 ? kOpWholeExpression : kOpNegation);
        const int wanted = f < kFunctionCount ? kIntrinsics[f].arguments : kAnyCount;
        const int n = wanted != kAnyCount ? wanted : 1 + static_cast<int>(rng() % 4);
        program += {static_cast<char>(code), static_cast<char>(n)};
        for (int j = 0; j < n; ++j) program += reg();
      }
    }
    if (kind == 2) program += {static_cast<char>(rng() % 12), reg()};
    std::vector<Value> fast = regs, checked = regs;
    Counter fast_notices, checked_notices;
    int fast_error = 0, checked_error = 0;
    const Value a = Evaluate(program, fast, fast_error, &fast_notices);
    const Value b = EvaluateChecked(program, checked, checked_error, &checked_notices);
    ASSERT_EQ(Show({a}) + " | " + Show(fast), Show({b}) + " | " + Show(checked))
        << ProgramText(program) << " over " << Show(regs);
    ASSERT_EQ(fast_error, checked_error) << ProgramText(program);
    ASSERT_EQ(fast_notices.count, checked_notices.count) << ProgramText(program);
  }
}

TEST(Evaluate, AllocatesNothing) {
  const std::string program =
      Program("CALL D_B r0 r1 r2 | CALL SUM r0 r3 r4 r5 | ADD r0 r6 | EXPR r0");
  const std::string odd = Program("CALL SUM r0 r1 r2 | ? 23");
  std::vector<Value> regs = {3, 10, 0.3, 1, 2, 3, 4}, more = {1, 2, 3};
  int error = 0;
  const std::uint64_t before = Allocations();
  Evaluate(program, regs, error);
  Evaluate(odd, more, error);
  EXPECT_EQ(Allocations() - before, 0u);
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
      {"C_B(50000,100000,0.5)", 0.501261563107, ".5012615", 2e-7},
      {"C_F(1,200000,200000)", 0.5, ".4999999", 2e-7},
      {"C_F(1.005,200000,200000)", 0.867627536426, ".8676276", 2e-7},
      {"C_T(2,1000000)", 0.977249733074, ".9772497", 2e-8},
      {"C_T(-1.7,1000000)", 0.0445656182452, ".04456562", 2e-8},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    const Road r = RunTyped(c.formula);
    ASSERT_FALSE(std::isnan(r.value));
    EXPECT_NEAR(r.value, c.value, std::fabs(c.value) * c.rel);
    if (c.text != nullptr) {
      EXPECT_EQ(r.text, c.text);
    }
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

// The distribution table (tools/distribution_reference.py writes it): per formula the exact
// double it gives, or "error", and the notices given on the way.
TEST(Intrinsics, DistributionTable) {
  std::ifstream table(NUMERELLA_DISTRIBUTION_TABLE);
  ASSERT_TRUE(table.is_open());
  std::string formula, expected, notices, rest;
  int rows = 0;
  while (std::getline(table, formula, '\t') && std::getline(table, expected, '\t') &&
         std::getline(table, notices, '\t') && std::getline(table, rest)) {
    if (formula[0] == '#') continue;
    const Road r = RunTyped(formula);
    const std::string got = std::isnan(r.value) ? "error" : Show({r.value});
    const bool error = expected == "error";
    EXPECT_EQ(got, error ? expected : Show({std::strtod(expected.c_str(), nullptr)})) << formula;
    EXPECT_EQ(r.notices, std::stoi(notices)) << formula;
    ++rows;
  }
  EXPECT_GT(rows, 200);
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
