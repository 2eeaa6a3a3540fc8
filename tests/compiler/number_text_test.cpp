// SPDX-License-Identifier: GPL-3.0-or-later
// Literals of formulas read to the same double as a full decimal reading gives, along the
// short way for plain decimals and the long way for the rest.
#include "compiler/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>

namespace numerella::compile_detail {
namespace {

double FullReading(const std::string& text) {
  double value = -1;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

TEST(NumberTextTest, PlainDecimalsReadAsAFullReading) {
  std::mt19937 random(5);
  for (int i = 0; i < 200000; ++i) {
    // 1 to 17 digits with the point anywhere (or nowhere), leading zeros included.
    const int digits = 1 + static_cast<int>(random() % 17);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;
    std::string text;
    for (int k = 0; k < digits; ++k) {
      if (k == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    if (point == digits) text += '.';
    const LiteralReading literal = ReadLiteral(text);
    ASSERT_TRUE(literal.valid) << text;
    const double full = FullReading(text);
    ASSERT_EQ(std::memcmp(&literal.reading.value, &full, sizeof full), 0) << text;
  }
}

TEST(NumberTextTest, LiteralsAndTheirValues) {
  const struct {
    const char* text;
    bool valid;
    double value;
  } cases[] = {
      {"0", true, 0},
      {"7.", true, 7},
      {".5", true, 0.5},
      {"0.1", true, 0.1},
      {"123456789012345", true, 123456789012345.0},
      {"1234567890123456789", true, 1234567890123456789.0},  // past the short way
      {"1e3", true, 1000},
      {"1E-3", true, 0.001},
      {"2e+2", true, 200},
      {".", false, 0},
      {"1.5.2", false, 0},
      {"1e", false, 0},
      {"1E+", false, 0},
      {"1D5", false, 0},
      {"1e+x", false, 0},
      {"1E999", true, 0},  // valid, but too large: see the overflow flag
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const LiteralReading literal = ReadLiteral(c.text);
    EXPECT_EQ(literal.valid, c.valid);
    if (std::string(c.text) == "1E999") {
      EXPECT_TRUE(literal.reading.overflow);
    } else {
      EXPECT_EQ(literal.reading.value, c.value);
      EXPECT_FALSE(literal.reading.overflow);
    }
  }
}

}  // namespace
}  // namespace numerella::compile_detail
