// The elementary and aggregate functions, run as call instructions over registers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evaluator/evaluate.h"
#include "test_programs.h"

namespace numerella {
namespace {

enum Code { kAbs = 10, kSqr, kExp, kLog, kAsin, kAcos, kAtan, kSin, kCos, kTan, kSgn };
constexpr int kSum = 23, kAvg = 24, kStd = 25, kInt = 41;

struct FnCase {
  int code;
  std::vector<double> args;
  double expected;  // NAN: the call must fail
  double tolerance = 0;
};

// Runs "code n 0 1 .. n-1" over registers holding args.
void Check(const FnCase& c) {
  std::string program{static_cast<char>(c.code), static_cast<char>(c.args.size())};
  for (std::size_t j = 0; j < c.args.size(); ++j) program += static_cast<char>(j);
  std::vector<Value> regs(c.args.begin(), c.args.end());
  int error = 0;
  const Value v = Evaluate(program, regs, error);
  SCOPED_TRACE(::testing::Message() << "code " << c.code << " first arg " << c.args[0]);
  if (std::isnan(c.expected)) {
    EXPECT_NE(error, 0);
    return;
  }
  ASSERT_EQ(error, 0);
  if (c.tolerance == 0) {
    EXPECT_DOUBLE_EQ(v.value_or(0), c.expected);
  } else {
    EXPECT_NEAR(v.value_or(0), c.expected, c.tolerance);
  }
}

TEST(ElementaryFunctions, Values) {
  const FnCase cases[] = {
      {kAsin, {1}, 1.5707963},          {kAsin, {2}, 1.5707963},
      {kAsin, {-3}, -1.5707963},        {kAsin, {0.5}, 0.5235987755982989},
      {kAcos, {1}, 0},                  {kAcos, {-1}, 3.1415926},
      {kAcos, {0.5}, 1.047197524, 1e-9}, {kAcos, {0}, 1.5707963},
      {kSgn, {0}, 1},                   {kSgn, {-0.001}, -1},
      {kSgn, {7}, 1},                   {kInt, {-0.5}, -1},
      {kInt, {3}, 3},                   {kInt, {2.7}, 2},
      {kInt, {-2.3}, -3},               {kAbs, {-4.5}, 4.5},
      {kSqr, {16}, 4},                  {kExp, {-1000}, 0},
      {kLog, {std::exp(2.0)}, 2},       {kAtan, {1}, std::atan(1.0)},
      {kSin, {0.5}, std::sin(0.5)},     {kCos, {0.5}, std::cos(0.5)},
      {kTan, {0.5}, std::tan(0.5)},
  };
  for (const FnCase& c : cases) Check(c);
}

TEST(ElementaryFunctions, Failures) {
  const FnCase cases[] = {
      {kSqr, {-1}, NAN}, {kLog, {0}, NAN}, {kLog, {-2}, NAN}, {kExp, {710}, NAN},
  };
  for (const FnCase& c : cases) Check(c);
}

TEST(AggregateFunctions, Values) {
  const FnCase cases[] = {
      {kSum, {1, 2, 3}, 6},
      {kAvg, {1, 2, 3, 4}, 2.5},
      {kSum, {5}, 5},
      {kAvg, {5}, 5},
      {kStd, {1, 2, 3, 4}, 1.2909944487358056},
      {kStd, {2, 4, 4, 4, 5, 5, 7, 9}, 2.138089935299395},
      // Equal values give exactly 0, including those whose sum of squares cancels badly.
      {kStd, {0.1, 0.1, 0.1}, 0},
      {kStd, {0.3, 0.3, 0.3}, 0},
      {kStd, {1.1, 1.1}, 0},
      {kStd, {1e8, 1e8 + 1, 1e8 + 2}, 1},
      {kStd, {5}, NAN},
      {kSum, {1e308, 1e308}, NAN},
  };
  for (const FnCase& c : cases) Check(c);
}

}  // namespace
}  // namespace numerella
