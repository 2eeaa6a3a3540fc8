// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluator: programs on registers (programs.tsv), the tight loop against the checked one,
// the intrinsic functions through the whole road (cases.tsv, distributions.tsv) and the
// numerical routines at their domain edges.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "allocation_count.h"
#include "calculation/calculation.h"
#include "evaluator/evaluate.h"
#include "evaluator/num_lib.h"
#include "table.h"

namespace numerella::num_lib {
namespace {

using table::Show;

struct Counter : NoticeSink {
  void Notice(std::string_view text, std::string_view title) override {
    EXPECT_EQ(std::string(text) + " " + std::string(title),
              "Errori nel Calcolo della Funzione D_X2");
    ++count;
  }
  int count = 0;
};

TEST(Evaluate, Programs) {
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/programs.tsv")) {
    ASSERT_EQ(row.size(), 6u) << row[0];
    const std::optional<std::string> program = ProgramFromText(table::Unescape(row[1]));
    ASSERT_TRUE(program.has_value()) << row[0];
    std::vector<Value> registers = table::Values(row[2]);
    int error = 99;
    const Value result = Evaluate(*program, registers, error);
    EXPECT_EQ(std::to_string(error != 0) + " " + Show({result}) + " | " + Show(registers),
              row[3] + " " + Show(table::Values(row[4])) + " | " + Show(table::Values(row[5])))
        << row[0];
  }
  // Evaluating allocates nothing.
  const std::string program = *ProgramFromText("CALL D_B r0 r1 r2 | CALL SUM r0 r3 r4 r5 | ? 23");
  std::vector<Value> registers = {3, 10, 0.3, 1, 2, 3, 4};
  int error = 0;
  const std::uint64_t before = Allocations();
  Evaluate(program, registers, error);
  EXPECT_EQ(Allocations() - before, 0u);
}

// The tight loop and the checked loop agree to the bit on every program: whole ones over finite
// registers (the tight loop's), and all the others, where the tight loop stops and the checked
// one takes over.
TEST(Evaluate, TightAndCheckedLoopsAgree) {
  std::mt19937_64 rng(2024);
  const double pool[] = {0,   1,   -1,  0.5,  -0.5, 2,   3,    10,  100, 1e308, -1e308, 1e-310,
                         170, 172, 0.3, 1.96, 5,    1.5, -2.5, 1e9, 7,   0.999, 20000};
  for (int round = 0; round < 20000; ++round) {
    const int count = 1 + static_cast<int>(rng() % 8);
    const int kind = static_cast<int>(rng() % 8);  // 0: any bytes, 1: odd registers, 2: a tail
    std::vector<Value> regs(count);
    for (Value& r : regs) {
      const std::size_t k = rng() % 40;
      r = k < std::size(pool) ? pool[k] : std::uniform_real_distribution<double>(-6, 6)(rng);
      const int odd = kind == 1 ? static_cast<int>(rng() % 6) : 5;
      if (odd < 3) r = odd == 0 ? Value() : odd == 1 ? INFINITY : NAN;
    }
    std::string program;
    const auto reg = [&] { return static_cast<char>(rng() % count); };
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
    ASSERT_EQ(Show({a}) + " | " + Show(fast) + " | " + std::to_string(fast_error) + " " +
                  std::to_string(fast_notices.count),
              Show({b}) + " | " + Show(checked) + " | " + std::to_string(checked_error) + " " +
                  std::to_string(checked_notices.count))
        << ProgramText(program) << " over " << Show(regs);
  }
}

// Per formula the exact double it gives, or "error", and the notices given on the way.
TEST(Intrinsics, Tables) {
  Compiler compiler;
  for (const char* file : {NUMERELLA_TABLES "/cases.tsv", NUMERELLA_TABLES "/distributions.tsv"}) {
    const std::vector<table::Row> rows = table::Read(file);
    EXPECT_GT(rows.size(), 100u) << file;
    for (const table::Row& row : rows) {
      Counter notices;
      const CalculationOutcome out = RunFormula(compiler, row[0], false, &notices);
      ASSERT_NE(out.kind, CalculationOutcome::Kind::kCompileFailed) << row[0];
      const bool error = out.kind == CalculationOutcome::Kind::kEvalFailed;
      EXPECT_EQ((error ? "error" : Show({out.value})) + " " + std::to_string(notices.count),
                (row.at(1) == "error" ? "error" : Show(table::Values(row[1]))) + " " + row.at(2))
          << row[0];
    }
  }
}

// The routines on their own at their domain edges (their values are met through the road).
TEST(NumLib, RoutinesAtTheirEdges) {
  Real gln;
  for (double a : {0.5, 1.0, 100.0}) {
    EXPECT_EQ(Show({GammaQ(a, 0, nullptr).value(), GammaQ(a, -1, nullptr).value(),
                    GammaQ(0, a, nullptr).value(), GammaQ(-2, a, nullptr).value(),
                    BetaI(a, 3, 0, nullptr).value(), BetaI(a, 3, 1, nullptr).value(),
                    BetaI(a, 3, -0.1, nullptr).value(), BetaI(a, 3, 1.1, nullptr).value()}),
              "0x1p+0 0x0p+0 0x0p+0 0x0p+0 0x0p+0 0x1p+0 0x0p+0 0x0p+0")
        << a;  // outside [0, 1] BetaI is empty, which counts as 0
  }
  EXPECT_EQ(GammaSeries(4, 0, gln, nullptr).value(), 0);
  EXPECT_NEAR(gln.value(), std::log(6.0), 1e-9);  // ln gamma(a) is handed back all the same
  EXPECT_FALSE(GammaSeries(-1, 0.5, gln, nullptr).ok() ||
               GammaFraction(-1, 0.5, gln, nullptr).ok());
  EXPECT_FALSE(BetaI(0.5, 0, 1, nullptr).ok() || BetaFraction(-1, 2, 0.5, nullptr).ok());
  EXPECT_NEAR(LnGamma(171).value(), std::lgamma(171.0), 1e-7);
  EXPECT_NEAR(Erfc(0).value(), 0.999999999, 1e-15);  // the coefficients' sum, not 1
  for (double x : {0.1, 0.5, 1.0, 1.3859, 2.5, 4.0}) {
    EXPECT_NEAR(Erfc(x).value(), std::erfc(x), 1.5e-7) << x;
    EXPECT_DOUBLE_EQ(Erfc(-x).value(), 2 - Erfc(x).value()) << x;
  }
  EXPECT_EQ(Show({Erfc(40).value(), Erfc(-40).value()}), "0x0p+0 0x1p+1");
}

}  // namespace
}  // namespace numerella::num_lib
