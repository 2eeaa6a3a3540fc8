// SPDX-License-Identifier: GPL-3.0-or-later
// The names and argument counts of the intrinsic functions, by function number.
#pragma once

#include <string_view>

namespace numerella::reference::compile_detail {

// 32 slots of five characters, each a name right-aligned with leading blanks; slot f holds the
// name of function number f.
inline constexpr std::string_view kFunctionTable =
    "  ABS  SQR  EXP  LOG"
    " ASIN ACOS ATAN  SIN  COS  TAN"
    "  SGNLNGAM  GAM"
    "  SUM  AVG  STD"
    "  D_B  C_B  D_P  C_P"
    "  D_N  C_N D_X2 C_X2"
    "  D_T  C_T  D_F  C_F"
    "    P    Q    A"
    "  INT";

inline constexpr int kFunctionSlotWidth = 5;
inline constexpr int kFunctionCount =
    (static_cast<int>(kFunctionTable.size()) - 1) / kFunctionSlotWidth + 1;

// Character f is the expected argument count of function f; "0" means any count.
inline constexpr std::string_view kArgCountTable = "11111111111110003322332222331111";

// Function number of the whole expression, which is treated as a call with any count.
inline constexpr int kWholeExpression = 98;

static_assert(kFunctionCount == 32 && kArgCountTable.size() == 32);

// The five-character slot of function f, leading blanks included ("  ABS", "LNGAM").
constexpr std::string_view FunctionSlot(int f) {
  return kFunctionTable.substr(f * kFunctionSlotWidth, kFunctionSlotWidth);
}

// The name of function f without its leading blanks.
constexpr std::string_view FunctionName(int f) {
  const std::string_view slot = FunctionSlot(f);
  return slot.substr(slot.find_first_not_of(' '));
}

}  // namespace numerella::reference::compile_detail
