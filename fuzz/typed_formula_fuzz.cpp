// SPDX-License-Identifier: GPL-3.0-or-later
// A typed formula through the whole calculation run, with the listing on or off (first byte).
#include <cstdint>
#include <string>

#include "calculation/calculation.h"
#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace numerella;
  static Compiler compiler;
  const bool listing = data[0] & 1;
  const std::string formula(reinterpret_cast<const char*>(data + 1), size - 1);
  const CalculationOutcome o = RunFormula(compiler, formula, listing);
  if (o.kind != CalculationOutcome::Kind::kBlank) {
    fuzz::CheckCompiled(o.program);
    fuzz::CheckErrorSpan(compiler, o.compile_text.size(), o.program.CompileFlag, listing);
    fuzz::CheckRecorded(o.compile_text, listing);
  }
  if (o.kind == CalculationOutcome::Kind::kResult) fuzz::CheckResultText(o.result_text);
  if (o.kind == CalculationOutcome::Kind::kCompileFailed) {
    fuzz::Require(!o.message.empty(), "a failed compilation has a text to show");
  }
  return 0;
}
