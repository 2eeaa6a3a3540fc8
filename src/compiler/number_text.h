// SPDX-License-Identifier: GPL-3.0-or-later
// Reading decimal numbers from formula texts ("." as the decimal point, whatever the locale).
#pragma once

#include <string_view>

namespace numerella::compile_detail {

struct DecimalReading {
  double value = 0;       // +-infinity when the number is too large for a double
  bool overflow = false;  // the number is too large; too small numbers read as 0
};

struct LiteralReading {
  bool valid = false;      // the text is a number
  DecimalReading reading;  // its value when valid, else 0
};

// A numeric literal of an expression: digits with at most one ".", at least one digit, then
// optionally "E" (either case), an optional sign and at least one digit. Checked and read in
// one go.
LiteralReading ReadLiteral(std::string_view text);

// Reads a text that is exactly a decimal number: optional sign, digits with at most one ".",
// at least one digit, optional exponent ("E" or "e", optional sign, digits).
DecimalReading ReadDecimal(std::string_view number);

// The value of a declared constant: leading blanks are skipped, then the longest leading part
// that reads as a decimal number is read; a text without such a part reads as 0.
DecimalReading ReadLeadingNumber(std::string_view text);

}  // namespace numerella::compile_detail
