// Where the first error of a failed compilation lies in the formula the user typed.
#pragma once

#include <cstddef>
#include <optional>

namespace numerella {

class Compiler;

// A part of the typed formula: offsets in its Latin-1 characters.
struct FormulaSpan {
  std::size_t start = 0;
  std::size_t length = 0;
};

// The first offending part of the last formula the window compiled (the typed formula behind
// the header "y@ @ @ @"), or nullopt when the compiler named no place in it.
std::optional<FormulaSpan> FirstErrorInFormula(const Compiler& compiler);

}  // namespace numerella
