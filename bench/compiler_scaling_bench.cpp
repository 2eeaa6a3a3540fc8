// Compile time of worst-case formula shapes at growing lengths, up to the 32767-character
// limit and just beyond it. Near-linear growth is the goal.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compile_formula.h"

namespace numerella::bench {
namespace {

std::string Repeat(const std::string& unit, std::size_t length) {
  std::string s;
  while (s.size() + unit.size() <= length) s += unit;
  return s;
}

// Fills to exactly length characters with a prefix, a repeated middle and a suffix.
std::string Shape(const std::string& head, char fill, const std::string& tail, std::size_t n) {
  return head + std::string(n - head.size() - tail.size(), fill) + tail;
}

std::string Make(int shape, std::size_t n) {
  switch (shape) {
    case 0: {  // deep nesting ((((1))))
      // Balanced at every length: an even length gets one trailing blank.
      const std::size_t depth = (n - 1) / 2;
      return std::string(depth, '(') + "1" + std::string(depth, ')') +
             std::string(n - 1 - 2 * depth, ' ');
    }
    case 1: return Shape("(", '+', "1)", n);                  // a run of unary signs
    case 2: return Shape("1", ' ', "+1", n);                  // a long run of blanks
    case 3: return Repeat("SINCOSTANLOG", n - 3) + "(1)";     // a chain of function names
    case 4: {                                                  // 100 operands, long names
      const std::size_t width = n / 100 - 1;
      std::string s;
      for (int i = 0; i < 100; ++i) s += (i ? "+" : "") + std::string(width, 'A' + i % 26);
      return s;
    }
    case 5: return Repeat("1+*(", n);                         // errors everywhere
    case 6: return Repeat("1+", n - 1) + "1";                 // plain sums, up to the limit
    default: return "";
  }
}

const char* const kShapeNames[] = {"nesting", "unary_signs", "blanks",     "function_names",
                                   "long_names", "errors_listed", "operators"};

void BM_CompileShape(benchmark::State& state) {
  const int shape = static_cast<int>(state.range(0));
  const std::string text = "y@ @ @ @" + Make(shape, static_cast<std::size_t>(state.range(1)));
  Compiler compiler;
  for (auto _ : state) {
    CompiledProgram p;
    p.ValueTable.assign(2, Value());
    p.CompileFlag = shape == 5 ? -1 : 0;
    compiler.CompileFormula(text, p);
    benchmark::DoNotOptimize(p.CompileFlag);
  }
  state.SetLabel(kShapeNames[shape]);
  state.counters["chars"] = static_cast<double>(state.range(1));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int shape = 0; shape < 7; ++shape) {
    for (int n : {1024, 4096, 16384, 32767, 40000}) b->Args({shape, n});
  }
}

BENCHMARK(BM_CompileShape)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace numerella::bench

BENCHMARK_MAIN();
