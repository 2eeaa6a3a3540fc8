// SPDX-License-Identifier: GPL-3.0-or-later
// Turning the expression of a formula into its marked form: operands become "@@" + ordinal,
// function names "##" + function number; then the order of the marks is checked.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reference/compile_text.h"
#include "reference/declarations.h"

namespace numerella::reference::compile_detail {

// The largest slot number an operand code can hold.
inline constexpr int kMaxSlot = 255;

struct MarkedExpression {
  std::string text;                    // "##98(" ... ")": the whole expression as one call
  int last_ordinal = -1;               // ordinal of the last operand (number of operands - 1)
  std::vector<double> literal_values;  // the value of each numeric literal, in order
};

// Blanks removed, the whole enclosed in "(" ")", unary "+" after "(" or "," dropped and
// unary "-" there turned into "0-".
std::string NormalForm(std::string_view expression);

// Replaces each intrinsic function name that stands right before a "(" (any case) by "##"
// and its two-digit number. Longer names win over names they end with (ASIN over SIN).
std::string MarkFunctions(std::string_view text);

// Checks the parentheses, marks the expression and gives every operand its slot code in
// operand_map. Errors go to findings; scanning always runs to the end.
MarkedExpression MarkExpression(std::string_view expression, const Declarations& declarations,
                                std::string& operand_map, Findings& findings);

// Checks the order of the symbols of a marked expression, and that every ")" closes an
// earlier "(". Adds at most one line; returns whether the text is well formed.
bool CheckSyntax(std::string_view marked, Findings& findings);

// Whether text holds, at position at, the given mark character twice and then two digits.
bool IsMarkAt(std::string_view text, std::size_t at, char mark);

}  // namespace numerella::reference::compile_detail
