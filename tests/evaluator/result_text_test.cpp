// The text shown for a result.
#include <gtest/gtest.h>

#include <limits>

#include "evaluator/calculation.h"

namespace numerella {
namespace {

TEST(ResultText, Formats) {
  const struct {
    Value value;
    const char* text;
  } cases[] = {
      {0.5, ".5"},
      {-0.25, "-.25"},
      {-2, "-2"},
      {1.0 / 3, ".3333333"},
      {123456789, "1.234568E+08"},
      {1e-10, "1E-10"},
      {1234567, "1234567"},
      {1e7, "1E+07"},
      {0.0001, ".0001"},
      {0.00001234, "1.234E-05"},
      {98, "98"},
      {-0.0, "0"},
      {Value(), "0"},
      {1e39, "**************"},
      {-1e39, "**************"},
      {std::numeric_limits<double>::quiet_NaN(), "**************"},
      {std::numeric_limits<double>::infinity(), "**************"},
      {3.4e38, "3.4E+38"},
      {1e-50, "0"},
      {2.0000001, "2"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResultText(c.value), c.text) << c.text;
}

}  // namespace
}  // namespace numerella
