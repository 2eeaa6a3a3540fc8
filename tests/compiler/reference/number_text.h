// SPDX-License-Identifier: GPL-3.0-or-later
// Reading decimal numbers from formula texts ("." as the decimal point, whatever the locale).
#pragma once

#include <string_view>

namespace numerella::reference::compile_detail {

// A numeric literal of an expression (already in upper case): digits with at most one ".",
// at least one digit, then optionally "E", an optional sign and at least one digit.
bool IsValidLiteral(std::string_view text);

struct DecimalReading {
  double value = 0;       // +-infinity when the number is too large for a double
  bool overflow = false;  // the number is too large; too small numbers read as 0
};

// Reads a text that is exactly a decimal number: optional sign, digits with at most one ".",
// at least one digit, optional exponent ("E" or "e", optional sign, digits).
DecimalReading ReadDecimal(std::string_view number);

// The value of a declared constant: leading blanks are skipped, then the longest leading part
// that reads as a decimal number is read; a text without such a part reads as 0.
DecimalReading ReadLeadingNumber(std::string_view text);

}  // namespace numerella::reference::compile_detail
