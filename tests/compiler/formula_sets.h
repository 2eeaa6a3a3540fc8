// SPDX-License-Identifier: GPL-3.0-or-later
// The formulas whose compilations are recorded: the compiler fuzz corpora in the forms their
// targets compile, a generated set (declarations, errors of every kind, long texts) and the
// worst shapes of every pass at and around the limits, each with the listing asked for and not.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace numerella::recorded {

struct FormulaCase {
  // "<hash of the formula>/<listing>" for a corpus case, as a fuzz target finds it again;
  // "g<n>/<listing>" for generated formula n, "l<n>/<listing>" for long formula n.
  std::string id;
  std::string formula;
  bool listing = false;
};

// Every case in recording order; corpus holds one folder per fuzz target.
std::vector<FormulaCase> RecordedCases(const std::filesystem::path& corpus);

// The cases recorded in full text as well: the first generated formulas.
bool InReadableSubset(const std::string& id);

}  // namespace numerella::recorded
