// SPDX-License-Identifier: GPL-3.0-or-later
// Formulas too long to keep. The compiler rejects a section of more than kLongestSection
// bytes whatever it holds, and never reads the head of a formula text, so a short stand-in
// made of the first bytes of each part gives the outcome of the whole line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "compiler/compile_formula.h"

namespace numerella::cli {

// The longest section (each of variables, parameters, constants and expression) that the
// compiler accepts; a typed formula is the expression.
inline constexpr std::size_t kLongestSection = Compiler::kMaxSectionLength;

// The longest input line kept whole: a typed formula of one byte more than the compiler
// accepts, or a formula text whose five parts are each that long.
inline constexpr std::size_t LongestKeptLine(bool whole_formula) {
  return whole_formula ? 5 * (kLongestSection + 1) + 4 : kLongestSection + 1;
}

// Takes a line piece by piece and keeps what decides its outcome.
class LongLine {
 public:
  explicit LongLine(bool whole_formula) : whole_formula_(whole_formula) {}

  void Add(std::string_view bytes);

  // A text of at most LongestKeptLine bytes that compiles and computes as the whole line.
  std::string StandIn() const;

  // The part of the line that a part of the stand-in stands for: offsets move by what was
  // left out before them, and a span that reaches the end of a shortened part reaches the end
  // of the part of the line.
  TextSpan ToInput(TextSpan span) const;

 private:
  // Of each part at most this much is kept: one byte more than any section may hold.
  static constexpr std::size_t kKept = kLongestSection + 1;

  void Keep(std::string_view bytes);

  bool whole_formula_;
  // A typed formula is one part; a formula text has the head, three declaration sections and
  // the expression, which runs to the end of the line, "@" included.
  std::array<std::string, 5> parts_;
  std::array<std::size_t, 5> lengths_{};  // the whole length of each part in the line
  std::size_t part_ = 0;
  bool blank_ = true;       // no byte other than a blank (code 32) so far
  char first_other_ = ' ';  // the first byte that is not a blank
};

}  // namespace numerella::cli
