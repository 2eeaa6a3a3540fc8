// SPDX-License-Identifier: GPL-3.0-or-later
// Translating the checked symbols of an expression into the instruction codes of the program.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "compiler/compile_text.h"
#include "compiler/expression_reading.h"

namespace numerella::compile_detail {

// A run of adjacent operand marks, kept as a linked list so that joining runs costs nothing.
// A plain parenthesised list leaves such a run behind; an operator uses the last mark of the
// run on its left and consumes the first mark of the run on its right.
struct MarkRun {
  int head = -1;
  int tail = -1;
  int size = 0;
};

// An operand (or run) of the argument being built, with the operator written before it.
struct Item {
  MarkRun marks;
  std::uint8_t code = 0;   // the operator's instruction code; 0 for none
  std::uint8_t level = 0;  // the operator's precedence level
  bool separator = false;  // stands between two arguments of a group
};

// A "(" that is still open: a call of function f (f >= 0) or a plain group (f = -1).
struct OpenGroup {
  int function = -1;
  Item before;               // the operator that stands before the group in its parent
  std::uint32_t call_begin;  // where the call's function name was written
  std::size_t item_base = 0;
};

// The generator's lists, kept by the compiler between compilations.
struct GeneratorWork {
  std::string codes;          // the program as it is written
  std::vector<int> ordinals;  // per mark: its operand ordinal
  std::vector<int> next;      // per mark: the next mark of its run
  std::vector<Item> items;
  std::vector<OpenGroup> groups;
};

// Emits one operator instruction per operator and one call instruction per function call,
// innermost group first (the group closed by the leftmost ")"); inside a group each argument
// is reduced by precedence ("^", then "*" "/", then "+" "-"), each level left to right.
// Checks the argument count of every intrinsic call. The symbols must have passed CheckSyntax;
// anything else ends the generation with a failure.
void GenerateProgram(std::span<const Symbol> symbols, std::string& program, Findings& findings,
                     GeneratorWork& work);

}  // namespace numerella::compile_detail
