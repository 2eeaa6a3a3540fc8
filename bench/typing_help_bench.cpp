// SPDX-License-Identifier: GPL-3.0-or-later
// The work of one keystroke in the expression box, without the screen: run the formula for
// its preview (or find its first error), the names to complete and the call the cursor is in.
// Formulas of 20, 1,000 and 32,767 characters; at each length one that compiles and evaluates
// (at most 100 numbers, so long ones are spread with blanks) and one that does not (1+1+...,
// past the 100-operand limit, or a name the compiler does not know). Two texts that differ in
// their last character take turns, as a key typed and then another.
#include <benchmark/benchmark.h>

#include <string>

#include "main_window/formula_help.h"

namespace numerella::bench {
namespace {

// Terms "ABS(SIN(COS(0.5)))" joined by "+", with blanks after each "+" so that the text is
// length characters long, ending in a digit.
std::string Compiling(std::size_t length) {
  const std::string term = "ABS(SIN(COS(0.5)))";
  const std::size_t terms = std::max<std::size_t>(1, std::min<std::size_t>(90, length / 40));
  std::string text = term;
  const std::size_t fixed = terms * term.size() + (terms - 1) + 2;  // and the final "+1"
  const std::size_t blanks = length > fixed ? (length - fixed) / terms : 0;
  for (std::size_t k = 1; k < terms; ++k) text += "+" + std::string(blanks, ' ') + term;
  text += "+";
  text += std::string(length > text.size() + 1 ? length - text.size() - 1 : 0, ' ');
  return text + "1";
}

std::string Failing(std::size_t length) {
  std::string text;
  while (text.size() + 2 < length) text += "1+";
  return text + (text.size() + 1 < length ? "1x" : "x");
}

void Keystroke(benchmark::State& state, std::string (*shape)(std::size_t)) {
  const auto length = static_cast<std::size_t>(state.range(0));
  std::string texts[2] = {shape(length), shape(length)};
  texts[1].back() = texts[1].back() == '1' ? '2' : 'y';
  FormulaPreview preview;
  std::size_t turn = 0;
  for (auto _ : state) {
    const std::string& text = texts[turn++ % 2];
    preview.Update(text);
    benchmark::DoNotOptimize(CompleteName(text, text.size()));
    benchmark::DoNotOptimize(CallAt(text, text.size()));
    benchmark::DoNotOptimize(preview.Result().size());
  }
  state.SetLabel(std::to_string(texts[0].size()) + " chars, " +
                 (preview.Result().empty() ? "no preview" : "preview " + preview.Result()));
}

void BM_KeystrokeCompiling(benchmark::State& state) { Keystroke(state, Compiling); }
void BM_KeystrokeFailing(benchmark::State& state) { Keystroke(state, Failing); }

BENCHMARK(BM_KeystrokeCompiling)->Arg(20)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeFailing)->Arg(20)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace numerella::bench

BENCHMARK_MAIN();
