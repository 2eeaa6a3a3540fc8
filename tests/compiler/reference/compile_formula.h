// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler as it was before the single-pass rewrite, kept beside the tests so that the
// differential test and the fuzzers can check that both give the same outputs for every input.
// Not part of the product; remove together with the differential test.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "compiler/compiled_program.h"

namespace numerella::reference {

namespace compile_detail {
struct GeneratorStorage;
struct GeneratorStorageDeleter {
  void operator()(GeneratorStorage* storage) const;
};
using GeneratorStoragePtr = std::unique_ptr<GeneratorStorage, GeneratorStorageDeleter>;
GeneratorStoragePtr NewGeneratorStorage();
}  // namespace compile_detail

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
  // Working memory of the program generation, reused from one compilation to the next.
  compile_detail::GeneratorStoragePtr storage_ = compile_detail::NewGeneratorStorage();
};

}  // namespace numerella::reference
