// The instruction loop: operators, dispatch, the failure rule and the program limits.
#include "evaluator/evaluate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "test_programs.h"

namespace numerella {
namespace {

using testing::Codes;
using testing::Registers;

struct LoopCase {
  const char* name;
  std::string program;
  std::vector<Value> registers;
  Value result;
  bool error;
  std::vector<Value> after;  // registers after the run; empty = not checked
};

class EvaluateLoop : public ::testing::TestWithParam<LoopCase> {};

TEST_P(EvaluateLoop, ComputesValueErrorAndRegisters) {
  const LoopCase& c = GetParam();
  std::vector<Value> regs = c.registers;
  int error = 99;
  const Value result = Evaluate(c.program, regs, error);
  EXPECT_EQ(error != 0, c.error);
  if (!c.error) {
    ASSERT_EQ(result.has_value(), c.result.has_value());
    if (c.result) {
      EXPECT_DOUBLE_EQ(*result, *c.result);
    }
  }
  if (!c.after.empty()) {
    EXPECT_EQ(regs, c.after);
  }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Programs, EvaluateLoop,
    ::testing::Values(
        // 2*(3+4)^2
        LoopCase{"precedence", Codes({4, 1, 2, 1, 1, 3, 2, 0, 1, 108, 1, 0}),
                 Registers({2, 3, 4, 2}), 98, false, Registers({98, 49, 4, 2})},
        // SQR(16)+1
        LoopCase{"call", Codes({11, 1, 0, 4, 0, 1, 108, 1, 0}), Registers({16, 1}), 5, false, {}},
        LoopCase{"list keeps first", Codes({108, 2, 0, 1}), Registers({3, 4}), 3, false,
                 Registers({3, 4})},
        LoopCase{"empty program", "", Registers({1}), Value(), false, {}},
        LoopCase{"power", Codes({1, 0, 1}), Registers({2, 10}), 1024, false, {}},
        LoopCase{"negative base whole exponent", Codes({1, 0, 1}), Registers({-8, 3}), -512, false,
                 {}},
        LoopCase{"negative base fraction", Codes({1, 0, 1}), Registers({-8, 0.5}), {}, true, {}},
        LoopCase{"zero to negative", Codes({1, 0, 1}), Registers({0, -1}), {}, true, {}},
        LoopCase{"power overflow", Codes({1, 0, 1}), Registers({10, 400}), {}, true, {}},
        LoopCase{"subtraction order", Codes({5, 0, 1}), Registers({2, 7}), -5, false, {}},
        LoopCase{"division order", Codes({3, 0, 1}), Registers({1, 4}), 0.25, false, {}},
        // 1/0 fails; the next instruction still runs and reads the unchanged register.
        LoopCase{"division by zero goes on", Codes({3, 0, 1, 4, 0, 2}), Registers({1, 0, 5}), {},
                 true, Registers({6, 0, 5})},
        LoopCase{"zero by zero", Codes({3, 0, 1}), Registers({0, 0}), {}, true, {}},
        // The overflow inside is not absorbed by the division that follows.
        LoopCase{"no absorption", Codes({3, 1, 2, 3, 0, 1}), Registers({1, 1, 0}), {}, true, {}},
        LoopCase{"unknown code passes", Codes({7, 0, 1, 50, 1, 0}), Registers({3, 4}), 3, false,
                 Registers({3, 4})},
        LoopCase{"negation", Codes({109, 1, 0}), Registers({5}), -5, false, {}},
        LoopCase{"sum of one keeps list", Codes({23, 1, 0}), Registers({7}), 7, false, {}},
        LoopCase{"register out of range", Codes({4, 0, 9}), Registers({1}), {}, true, {}},
        LoopCase{"truncated instruction", Codes({4, 0}), Registers({1}), {}, true, {}},
        LoopCase{"call past the end", Codes({23, 3, 0, 1}), Registers({1, 2}), {}, true, {}},
        LoopCase{"non-finite register", Codes({4, 0, 1}), std::vector<Value>{1.0, kInf}, {}, true,
                 {}},
        LoopCase{"nan register", Codes({108, 1, 0}), std::vector<Value>{kNaN}, {}, true, {}}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return n;
    });

TEST(Evaluate, EmptyRegistersCountAsZeroAndPassThroughEmpty) {
  std::vector<Value> regs = {Value(), 2.0};
  int error = 0;
  EXPECT_EQ(Evaluate(Codes({4, 0, 1}), regs, error), Value(2.0));
  std::vector<Value> empty = {Value()};
  EXPECT_EQ(Evaluate(Codes({108, 1, 0}), empty, error), Value());
  EXPECT_EQ(error, 0);
}

TEST(Evaluate, ProgramBeyondLimitRunsNothing) {
  std::string program;
  while (program.size() <= 32767) program += Codes({4, 0, 1});
  std::vector<Value> regs = Registers({1, 1});
  int error = 0;
  EXPECT_EQ(Evaluate(program, regs, error), Value());
  EXPECT_NE(error, 0);
  EXPECT_EQ(regs, Registers({1, 1}));

  program.resize(32766);  // the longest whole number of instructions within the limit
  EXPECT_EQ(Evaluate(program, regs, error), Value(10923.0));
  EXPECT_EQ(error, 0);
}

// A failing step leaves its target as it was: the stale current value of the previous
// instruction is stored when the fetch fails.
TEST(Evaluate, FailedFetchKeepsPreviousCurrentValue) {
  std::vector<Value> regs = Registers({4, 5});
  int error = 0;
  const Value v = Evaluate(Codes({4, 0, 1, 108, 1, 7}), regs, error);
  EXPECT_NE(error, 0);
  EXPECT_EQ(v, Value(9.0));
}

}  // namespace
}  // namespace numerella
