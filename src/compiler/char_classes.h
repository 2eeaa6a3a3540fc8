// SPDX-License-Identifier: GPL-3.0-or-later
// What the reading of an expression needs to know about a character, looked up in one table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "compiler/compiled_program.h"

namespace numerella::compile_detail {

// What the reading needs to know about a character, looked up in one table.
enum CharClass : std::uint8_t {
  kStandsAlone = 1,   // "-#()^*/+,": a symbol of its own where an operand could start
  kEndsOperand = 2,   // "^)*/,": ends an operand ("+" and "-" depend on what precedes them)
  kStartsNumber = 4,  // ".0123456789"
  kSign = 8,          // "+-"
  kLetterOrDigit = 16,
};

struct CharInfo {
  std::uint8_t classes = 0;
  std::uint8_t code = 0;   // an operator's instruction code
  std::uint8_t level = 0;  // an operator's precedence level
};

inline constexpr std::array<CharInfo, 256> kChars = [] {
  std::array<CharInfo, 256> chars{};
  const auto mark = [&](std::string_view set, std::uint8_t c) {
    for (char ch : set) chars[static_cast<unsigned char>(ch)].classes |= c;
  };
  mark("-#()^*/+,", kStandsAlone);
  mark("^)*/,", kEndsOperand);
  mark(".0123456789", kStartsNumber);
  mark("+-", kSign);
  mark("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", kLetterOrDigit);
  for (const OperatorInfo& op : kOperators) {
    chars[static_cast<unsigned char>(op.symbol)].code = static_cast<std::uint8_t>(op.code);
    chars[static_cast<unsigned char>(op.symbol)].level = static_cast<std::uint8_t>(op.level);
  }
  return chars;
}();

constexpr bool Is(char c, CharClass c_class) {
  return (kChars[static_cast<unsigned char>(c)].classes & c_class) != 0;
}

}  // namespace numerella::compile_detail
