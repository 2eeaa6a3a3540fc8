// SPDX-License-Identifier: GPL-3.0-or-later
// What the reading of an expression needs to know about characters and function names.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "compiler/compile_text.h"
#include "compiler/compiled_program.h"

namespace numerella::compile_detail {

// What the reading needs to know about a character, looked up in one table.
enum CharClass : std::uint8_t {
  kStandsAlone = 1,   // the operators and "#(),": a symbol of its own where an operand could start
  kEndsOperand = 2,   // the operators that are no sign, ")" and ",": end an operand ("+" and
                      // "-" depend on what precedes them)
  kStartsNumber = 4,  // ".0123456789"
  kSign = 8,          // the operators that may stand as a sign: "+-"
  kLetterOrDigit = 16,
};

struct CharInfo {
  std::uint8_t classes = 0;
  std::uint8_t code = 0;   // an operator's instruction code, 0 for any other character
  std::uint8_t level = 0;  // an operator's precedence level
};

// The operator characters and their classes come from the operator table.
inline constexpr std::array<CharInfo, 256> kChars = [] {
  std::array<CharInfo, 256> chars{};
  const auto mark = [&](std::string_view set, std::uint8_t c) {
    for (char ch : set) chars[static_cast<unsigned char>(ch)].classes |= c;
  };
  mark("#(),", kStandsAlone);
  mark("),", kEndsOperand);
  mark(".0123456789", kStartsNumber);
  mark("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", kLetterOrDigit);
  for (const OperatorInfo& op : kOperators) {
    CharInfo& info = chars[static_cast<unsigned char>(op.symbol)];
    info.classes |= kStandsAlone | (op.sign ? kSign : kEndsOperand);
    info.code = static_cast<std::uint8_t>(op.code);
    info.level = static_cast<std::uint8_t>(op.level);
  }
  return chars;
}();

constexpr bool Is(char c, CharClass c_class) {
  return (kChars[static_cast<unsigned char>(c)].classes & c_class) != 0;
}

// The function whose name the text ends with, compared in upper case; the first in the table
// when several do (a longer name comes before the shorter names it ends with). Nothing when
// none does.
inline const IntrinsicInfo* FunctionEnding(std::string_view text) {
  if (text.empty()) return nullptr;
  const char last = UpperLatin1(text.back());
  for (const IntrinsicInfo& f : kIntrinsics) {
    if (f.name.back() != last || f.name.size() > text.size()) continue;
    const std::size_t start = text.size() - f.name.size();
    bool same = true;
    for (std::size_t k = 0; k < f.name.size() && same; ++k) {
      same = UpperLatin1(text[start + k]) == f.name[k];
    }
    if (same) return &f;
  }
  return nullptr;
}

}  // namespace numerella::compile_detail
