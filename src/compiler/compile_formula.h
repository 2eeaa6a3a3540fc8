// The expression compiler: translates a five-section formula text into a CompiledProgram.
#pragma once

#include <string>
#include <string_view>

#include "compiler/compiled_program.h"

namespace numerella {

class Compiler {
 public:
  // Compiles one formula. program.CompileFlag carries the listing request in and the
  // outcome (0 or -1) out. Outputs that are not written on a failure keep the caller's values.
  void CompileFormula(std::string_view formula, CompiledProgram& program);

  // The check listing of the last compilation: lines ended by a carriage return.
  const std::string& CompileListing() const { return listing_; }
  void SetCompileListing(std::string text) { listing_ = std::move(text); }

 private:
  std::string listing_;
};

}  // namespace numerella
