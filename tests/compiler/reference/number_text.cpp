// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference/number_text.h"

#include <charconv>
#include <limits>
#include <string>

namespace numerella::reference::compile_detail {
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

}  // namespace

bool IsValidLiteral(std::string_view text) {
  const std::size_t mantissa = MantissaLength(text);
  if (mantissa == 0) return false;
  if (mantissa == text.size()) return true;
  const std::string_view rest = text.substr(mantissa);
  return rest[0] == 'E' && ExponentLength(rest) == rest.size();
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

}  // namespace numerella::reference::compile_detail
