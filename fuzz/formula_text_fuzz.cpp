// SPDX-License-Identifier: GPL-3.0-or-later
// A whole five-section formula text, compiled as it is and evaluated when it compiles.
#include <cstdint>
#include <string>

#include "calculation/calculation.h"
#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace numerella;
  static Compiler compiler;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool listing = size % 2 == 0;
  const CalculationOutcome o = RunCompileText(compiler, text, listing, {{1, 2.5}, {2, -1}});
  fuzz::CheckCompiled(o.program);
  fuzz::CheckErrorSpan(compiler, text.size(), o.program.CompileFlag, listing);
  fuzz::CheckRecorded(text, listing);
  if (o.kind == CalculationOutcome::Kind::kResult) fuzz::CheckResultText(o.result_text);
  return 0;
}
