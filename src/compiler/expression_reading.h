// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the expression of a formula: its working text (blanks removed, enclosed in
// parentheses, unary signs rewritten, function names before "(" replaced by their marks), then
// one pass over that text into the list of symbols that the syntax check and the program
// generation share. Every operand gets its ordinal and its value slot on the way.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_text.h"
#include "compiler/declarations.h"

namespace numerella::compile_detail {

// The largest slot number an operand code can hold.
inline constexpr int kMaxSlot = 255;
// Operand ordinals have two digits in the marked form: at most 100 operands.
inline constexpr int kMaxOperands = 100;
// Counts and positions inside the compiler are 16-bit signed.
inline constexpr std::size_t kMaxWorkingLength = 32767;

// One symbol of the marked expression. The first symbol is the call of the whole expression
// (function 98), the second its "(", the last its ")".
struct Symbol {
  enum Kind : std::uint8_t { kOpen, kClose, kComma, kOperator, kFunction, kOperand, kStray };
  Kind kind;
  std::uint8_t code = 0;     // operator: its instruction code
  std::uint8_t level = 0;    // operator: its precedence level (0 binds tightest)
  std::uint16_t number = 0;  // function: its number; operand: its ordinal
  Span where;                // what the user wrote for it (empty for what the compiler added)
};

// The expression's working memory, kept by the compiler between compilations. The text, its
// offsets and the symbols are written through pointers into room that only grows; their
// lengths say how much of it this compilation wrote.
struct ExpressionWork {
  std::string text;               // the working text with function marks
  std::vector<std::uint32_t> at;  // per character of text: its formula offset
  std::size_t text_length = 0;
  std::vector<Symbol> symbols;
  std::size_t symbol_count = 0;
  std::vector<double> literal_values;  // the value of each numeric literal, in order
  // Per ordinal below 100, written as the operands are read: the operand's slot when it is a
  // literal, else 0.
  std::array<int, kMaxOperands> literal_slot{};
  std::string upper;      // a literal in upper case, for its listing line
  int last_ordinal = -1;  // ordinal of the last operand (number of operands - 1)

  std::string_view marked() const { return {text.data(), text_length}; }
  std::span<const Symbol> symbol_list() const { return {symbols.data(), symbol_count}; }
};

// Checks the parentheses, builds the working text and reads it into symbols, giving every
// operand its slot code in operand_map. Errors go to findings; reading always runs to the end.
// A working text longer than kMaxWorkingLength in any of its forms fails the compilation
// without a line of its own.
void ReadExpression(std::string_view expression, std::uint32_t offset, const Declarations& d,
                    ExpressionWork& work, std::string& operand_map, Findings& findings);

// The longest expression that ReadPlainExpression takes: within it no form of the working text
// can reach kMaxWorkingLength (each typed character gives at most seven marked ones).
inline constexpr std::size_t kMaxPlainLength = 4096;

// The usual expression read in one pass over the typed text: numbers, operators, parentheses,
// commas and calls of functions named as in the table. Gives exactly what ReadExpression gives
// (symbols, operand codes, literal values and ordinals) and returns true; returns false when
// the text holds anything else (a name, a blank inside an operand, a number that does not
// read, unbalanced parentheses, more than 255 slots, more than kMaxPlainLength characters),
// leaving the operand codes as they were for the general reading. Adds no listing lines: the
// caller uses it only when no listing is wanted.
bool ReadPlainExpression(std::string_view expression, std::uint32_t offset, const Declarations& d,
                         ExpressionWork& work, std::string& operand_map);

// Checks the order of the symbols, and that every ")" closes an earlier "(". Adds at most one
// line; returns whether the expression is well formed.
bool CheckSyntax(const ExpressionWork& work, Findings& findings);

}  // namespace numerella::compile_detail
