// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and checking the declaration sections of a formula: variables, parameters, constants.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_text.h"
#include "compiler/name_table.h"

namespace numerella::compile_detail {

// One declaration section with its blanks removed. Where a character of it was written is
// worked out only for the first error, which is the only one whose place is kept.
struct NameSection {
  std::string text;
  std::string_view written;  // the section as written
  std::uint32_t offset = 0;  // where it starts in the formula

  void Read(std::string_view section, std::uint32_t section_offset);
  // The part of the formula that holds text[begin, end) (blanks inside it included); for an
  // empty part, the place where text[begin] stands.
  Span SpanOf(std::size_t begin, std::size_t end) const;
};

// One declared name: text[begin, begin + length) of section number section (0 variables,
// 1 parameters, 2 constants).
struct DeclaredName {
  std::uint32_t begin;
  std::uint32_t length;
  std::uint32_t section;
};

// What the declarations hand on to the expression; kept by the compiler between compilations
// so that its lists keep their memory.
struct Declarations {
  int var_count = 0;
  int par_count = 0;
  int const_count = 0;
  // Packed names of variables, parameters and constants: four characters per slot,
  // left-aligned, blank-padded; slot k (from 1) starts at 4 * (k - 1).
  std::string names;
  std::vector<DeclaredName> declared;          // per slot
  std::vector<std::string_view> const_values;  // per declared constant: its value text
  NameTable table;                             // the slots, for lookups of whole slots
  NameSection sections[3];                     // variables, parameters, constants

  int slot_count() const { return var_count + par_count + const_count; }
};

// Reads the three declaration sections (given with their offsets in the formula), adds their
// check lines to the listing and empties the listing after each section as long as nothing
// failed.
void ReadDeclarations(const std::string_view (&sections)[3], const std::uint32_t (&offsets)[3],
                      Declarations& d, Findings& findings);

}  // namespace numerella::compile_detail
