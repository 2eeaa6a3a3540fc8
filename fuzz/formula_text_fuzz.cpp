// A whole five-section formula text, compiled as it is and evaluated when it compiles.
#include <cstdint>
#include <string>

#include "calculation/calculation.h"
#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace numerella;
  static Compiler compiler;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CalculationOutcome o = RunCompileText(compiler, text, size % 2 == 0, {{1, 2.5}, {2, -1}});
  fuzz::CheckCompiled(o.program);
  if (o.kind == CalculationOutcome::Kind::kResult) fuzz::CheckResultText(o.result_text);
  return 0;
}
