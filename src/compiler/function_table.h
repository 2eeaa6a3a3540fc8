// The function names and argument counts as the compiler's marking and listing use them, read
// from the table of the contract (compiled_program.h).
#pragma once

#include <array>
#include <string_view>

#include "compiler/compiled_program.h"

namespace numerella::compile_detail {

using numerella::kFunctionCount;

inline constexpr int kFunctionSlotWidth = static_cast<int>(kMaxFunctionNameLength);

// 32 slots of five characters, each a name right-aligned with leading blanks; slot f holds the
// name of function number f.
inline constexpr std::array<char, kFunctionCount * kFunctionSlotWidth> kFunctionSlots = [] {
  std::array<char, kFunctionCount * kFunctionSlotWidth> slots{};
  for (int f = 0; f < kFunctionCount; ++f) {
    const std::string_view name = kIntrinsics[f].name;
    const int blanks = kFunctionSlotWidth - static_cast<int>(name.size());
    for (int k = 0; k < kFunctionSlotWidth; ++k) {
      slots[f * kFunctionSlotWidth + k] = k < blanks ? ' ' : name[k - blanks];
    }
  }
  return slots;
}();

// Character f is the expected argument count of function f; "0" means any count.
inline constexpr std::array<char, kFunctionCount> kArgCountTable = [] {
  std::array<char, kFunctionCount> counts{};
  for (int f = 0; f < kFunctionCount; ++f) counts[f] = static_cast<char>('0' + kIntrinsics[f].arguments);
  return counts;
}();

// Function number of the whole expression, which is treated as a call with any count.
inline constexpr int kWholeExpression = kWholeExpressionFunction;

// The five-character slot of function f, leading blanks included ("  ABS", "LNGAM").
constexpr std::string_view FunctionSlot(int f) {
  return std::string_view(kFunctionSlots.data() + f * kFunctionSlotWidth, kFunctionSlotWidth);
}

// The name of function f without its leading blanks.
constexpr std::string_view FunctionName(int f) { return kIntrinsics[f].name; }

static_assert(FunctionSlot(11) == "LNGAM" && FunctionSlot(0) == "  ABS" && kArgCountTable[16] == '3');

}  // namespace numerella::compile_detail
