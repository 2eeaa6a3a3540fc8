// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and checking the declaration sections of a formula: variables, parameters, constants.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reference/compile_text.h"

namespace numerella::reference::compile_detail {

struct Declarations {
  int var_count = 0;
  int par_count = 0;
  int const_count = 0;
  // Packed names: four characters per slot, left-aligned, blank-padded.
  std::string var_names;
  std::string par_names;
  std::string const_names;
  // The value text of each declared constant, in order (empty when none was written).
  std::vector<std::string> const_values;
};

// Reads the three declaration sections, adds their check lines to the listing and empties the
// listing after each section as long as nothing failed.
Declarations ReadDeclarations(std::string_view variables, std::string_view parameters,
                              std::string_view constants, Findings& findings);

// Packs the comma-separated names into slots of the given width; longer names are cut, with an
// error line.
std::string PackNames(std::string_view list, int width, Findings& findings);

// Checks slots 0 .. count-1 of a packed list; lists each name as in error or O.K.
void CheckNames(std::string_view packed, int count, int width, Findings& findings);

}  // namespace numerella::reference::compile_detail
