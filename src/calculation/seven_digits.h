// SPDX-License-Identifier: GPL-3.0-or-later
// A single-precision value written with seven significant digits.
#pragma once

namespace numerella {

// Writes value (finite, not 0) as printf's "%.7g" does in the "C" locale: rounded half to even
// from its exact binary value to seven significant digits, fixed notation for decimal
// exponents -4 to 6 and "e+dd" notation otherwise, trailing zeros dropped. Returns the end of
// what was written; buffer must hold 16 characters.
char* WriteSevenDigits(float value, char* buffer);

}  // namespace numerella
