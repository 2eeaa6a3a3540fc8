// SPDX-License-Identifier: GPL-3.0-or-later
// The usual expression read straight from the typed text: numbers, operators, parentheses,
// commas and function calls. One pass gives the symbols, operand codes and literal values that
// building the working text and scanning it would give; anything that pass would have to treat
// specially sends the expression to the general reading.
#include "compiler/char_classes.h"
#include "compiler/compiled_program.h"
#include "compiler/expression_reading.h"
#include "compiler/number_text.h"

namespace numerella::compile_detail {
namespace {

constexpr bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The characters a function name is made of.
constexpr bool IsNameChar(char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; }

// Whether d, standing after previous in the working text, ends a numeric operand.
constexpr bool EndsNumber(char d, char previous) {
  return Is(d, kEndsOperand) || (Is(d, kSign) && previous != 'E' && previous != 'e');
}

class PlainReader {
 public:
  PlainReader(std::string_view expression, std::uint32_t offset, const Declarations& d,
              ExpressionWork& work, std::string& operand_map)
      : e_(expression), offset_(offset), d_(d), work_(work), operand_map_(operand_map) {
    // Every typed character gives at most two symbols (a "-" that gets its "0"); and the
    // whole expression's call with its two parentheses.
    const std::size_t room = 2 * e_.size() + 3;
    if (work.symbols.size() < room) work.symbols.resize(room);
    out_ = work.symbols.data();
  }

  bool Read() {
    work_.literal_values.clear();
    work_.last_ordinal = -1;
    Put(Symbol::kFunction, kWholeExpressionFunction, offset_, offset_);
    Put(Symbol::kOpen, 0, offset_, offset_);
    char last = '(';  // the last character of the working text
    long long opened = 0;
    long long closed = 0;
    for (std::size_t k = 0; k < e_.size(); ++k) {
      const char c = e_[k];
      const std::uint32_t at = At(k);
      switch (c) {
        case ' ':
          continue;
        case '(':
          ++opened;
          Put(Symbol::kOpen, 0, at, at + 1);
          break;
        case ')':
          ++closed;
          Put(Symbol::kClose, 0, at, at + 1);
          break;
        case ',':
          Put(Symbol::kComma, 0, at, at + 1);
          break;
        default:
          if (kChars[static_cast<unsigned char>(c)].code != 0) {
            // A sign where an operand starts: "+" is dropped, "-" subtracts from 0.
            if (Is(c, kSign) && (last == '(' || last == ',')) {
              if (c == '+') continue;
              if (!Literal("0", at, at + 1)) return false;
            }
            PutOperator(c, at);
            break;
          }
          if (Is(c, kStartsNumber)) {
            if (!Number(k)) return false;
          } else if (IsAsciiLetter(c)) {
            if (!FunctionName(k)) return false;
          } else {
            return false;
          }
          last = e_[k];
          continue;
      }
      last = c;
    }
    if (opened != closed) return false;
    const std::uint32_t end = At(e_.size());
    Put(Symbol::kClose, 0, end, end);
    work_.symbol_count = count_;
    return true;
  }

 private:
  std::uint32_t At(std::size_t k) const { return offset_ + static_cast<std::uint32_t>(k); }

  void Put(Symbol::Kind kind, int number, std::uint32_t begin, std::uint32_t end) {
    out_[count_++] = {kind, 0, 0, static_cast<std::uint16_t>(number), {begin, end}};
  }

  void PutOperator(char c, std::uint32_t at) {
    const CharInfo& info = kChars[static_cast<unsigned char>(c)];
    out_[count_++] = {Symbol::kOperator, info.code, info.level, 0, {at, at + 1}};
  }

  // The numeric operand starting at k; k is left on its last character.
  bool Number(std::size_t& k) {
    std::size_t j = k + 1;
    for (; j < e_.size(); ++j) {
      const char d = e_[j];
      if (EndsNumber(d, e_[j - 1])) break;
      if (d == ' ') {
        // The blanks are dropped: what follows them must end the operand.
        std::size_t next = j + 1;
        while (next < e_.size() && e_[next] == ' ') ++next;
        if (next < e_.size() && !EndsNumber(e_[next], e_[j - 1])) return false;
        break;
      }
      // What is left: a digit, a point, an "E" or the sign of an exponent; anything else
      // does not read as a number.
      if (!IsDigit(d) && d != '.' && d != 'E' && d != 'e' && !Is(d, kSign)) return false;
    }
    if (!Literal(e_.substr(k, j - k), At(k), At(j - 1) + 1)) return false;
    k = j - 1;
    return true;
  }

  // A literal operand in a new slot of its own; false when it does not read as a number or
  // there are no slots left.
  bool Literal(std::string_view text, std::uint32_t begin, std::uint32_t end) {
    const int slot = d_.slot_count() + static_cast<int>(work_.literal_values.size()) + 1;
    if (slot > kMaxSlot) return false;
    const LiteralReading literal = ReadLiteral(text);
    if (!literal.valid || literal.reading.overflow) return false;
    const int ordinal = ++work_.last_ordinal;
    if (ordinal < kMaxOperands) work_.literal_slot[ordinal] = slot;
    operand_map_.push_back(static_cast<char>(slot));
    Put(Symbol::kOperand, ordinal, begin, end);
    work_.literal_values.push_back(literal.reading.value);
    return true;
  }

  // A name starting at k that is a function's, followed by "(": its call. The function is the
  // first in the table whose name ends the name as typed (any case), as in the working text;
  // when that leaves a part of the typed name before it, the name is not plain. k is left on
  // the name's last character.
  bool FunctionName(std::size_t& k) {
    std::size_t j = k;
    while (j < e_.size() && IsNameChar(e_[j])) ++j;
    std::size_t open = j;
    while (open < e_.size() && e_[open] == ' ') ++open;
    if (open == e_.size() || e_[open] != '(') return false;
    const std::string_view name = e_.substr(k, j - k);
    if (!Is(name.back(), kLetterOrDigit)) return false;
    const IntrinsicInfo* f = FunctionEnding(name);
    if (f == nullptr || f->name.size() != name.size()) return false;
    Put(Symbol::kFunction, f->number, At(k), At(j - 1) + 1);
    k = j - 1;
    return true;
  }

  std::string_view e_;
  std::uint32_t offset_;
  const Declarations& d_;
  ExpressionWork& work_;
  std::string& operand_map_;
  Symbol* out_;
  std::size_t count_ = 0;
};

}  // namespace

bool ReadPlainExpression(std::string_view expression, std::uint32_t offset, const Declarations& d,
                         ExpressionWork& work, std::string& operand_map) {
  if (expression.size() > kMaxPlainLength) return false;
  const std::size_t codes = operand_map.size();
  if (PlainReader(expression, offset, d, work, operand_map).Read()) return true;
  operand_map.resize(codes);
  return false;
}

}  // namespace numerella::compile_detail
