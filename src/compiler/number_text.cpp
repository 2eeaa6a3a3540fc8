// SPDX-License-Identifier: GPL-3.0-or-later
#include "compiler/number_text.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace numerella::compile_detail {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the mantissa at the start of text (digits with at most one "."), or 0 when it
// holds no digit.
std::size_t MantissaLength(std::string_view text) {
  std::size_t i = 0;
  bool dot = false;
  bool digit = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digit = true;
    } else if (text[i] == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
  }
  return digit ? i : 0;
}

// Length of an exponent part ("E" or "e", optional sign, at least one digit) at the start of
// text, or 0 when there is none.
std::size_t ExponentLength(std::string_view text) {
  if (text.empty() || (text[0] != 'E' && text[0] != 'e')) return 0;
  std::size_t i = 1;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t digits_start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i > digits_start ? i : 0;
}

// For a number that does not fit a double: whether it is too large (rather than too small).
// Its decimal magnitude is the place of the first nonzero digit plus the exponent.
bool TooLarge(std::string_view unsigned_number) {
  const std::size_t exponent_at = unsigned_number.find_first_of("Ee");
  const std::string_view mantissa = unsigned_number.substr(0, exponent_at);
  long long exponent = 0;
  if (exponent_at != std::string_view::npos) {
    std::string_view digits = unsigned_number.substr(exponent_at + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    for (char c : digits) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (c - '0');
    }
    if (negative) exponent = -exponent;
  }
  const std::size_t dot = mantissa.find('.');
  const long long integer_digits =
      static_cast<long long>(dot == std::string_view::npos ? mantissa.size() : dot);
  long long first_nonzero = 0;  // index among the digits, the "." skipped
  for (char c : mantissa) {
    if (c == '.') continue;
    if (c != '0') break;
    ++first_nonzero;
  }
  return integer_digits - first_nonzero + exponent > 0;
}

// The powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Most literals are digits with at most one "." and no exponent, 15 digits at most: the digits
// make a whole number below 2^53, and one division by an exact power of ten rounds it
// correctly, to the same double that a full decimal reading gives. Returns false for anything
// else.
bool ReadShortDecimal(std::string_view text, double& value) {
  std::uint64_t digits = 0;
  int count = 0;
  int fraction = 0;
  bool dot = false;
  for (char c : text) {
    if (IsDigit(c)) {
      if (++count > 15) return false;
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      fraction += dot;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      return false;
    }
  }
  if (count == 0) return false;
  value = static_cast<double>(digits) / kExactPowersOfTen[fraction];
  return true;
}

}  // namespace

LiteralReading ReadLiteral(std::string_view text) {
  LiteralReading literal;
  if (ReadShortDecimal(text, literal.reading.value)) {
    literal.valid = true;
    return literal;
  }
  const std::size_t mantissa = MantissaLength(text);
  if (mantissa == 0) return literal;
  if (mantissa < text.size() && ExponentLength(text.substr(mantissa)) != text.size() - mantissa) {
    return literal;
  }
  literal.valid = true;
  literal.reading = ReadDecimal(text);
  return literal;
}

DecimalReading ReadDecimal(std::string_view number) {
  bool negative = false;
  if (!number.empty() && (number[0] == '+' || number[0] == '-')) {
    negative = number[0] == '-';
    number.remove_prefix(1);
  }
  DecimalReading reading;
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    reading.overflow = TooLarge(number);
    value = reading.overflow ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    value = 0;
  }
  reading.value = negative ? -value : value;
  return reading;
}

DecimalReading ReadLeadingNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  text.remove_prefix(first);
  std::size_t length = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  const std::size_t mantissa = MantissaLength(text.substr(length));
  if (mantissa == 0) return {};
  length += mantissa;
  length += ExponentLength(text.substr(length));
  return ReadDecimal(text.substr(0, length));
}

}  // namespace numerella::compile_detail
