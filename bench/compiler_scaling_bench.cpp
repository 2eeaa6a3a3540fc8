// SPDX-License-Identifier: GPL-3.0-or-later
// Compile time of worst-case formula shapes at growing lengths, up to the 32767-character
// limit and just beyond it: typed expressions and declaration sections. Near-linear growth is
// the goal.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

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

// Joins names with a separator as long as the text stays within length characters.
std::string Join(const std::vector<std::string>& names, std::size_t from, char separator,
                 std::size_t length) {
  std::string s;
  for (std::size_t i = from; i < names.size(); ++i) {
    if (s.size() + (s.empty() ? 0 : 1) + names[i].size() > length) break;
    if (!s.empty()) s += separator;
    s += names[i];
  }
  return s;
}

bool AllowedInNames(unsigned char c) {
  return c > ' ' && c != ',' && c != '@' && c != '/' && c != '-' && c != '#' && c != '(' &&
         c != ')' && c != '^' && c != '*' && c != '+' && c != '.' && !(c >= '0' && c <= '9');
}

// Names of four characters whose bytes, read as one number, are all multiples of the bucket
// count that a standard hash map keyed by that number settles on for this many names: in such
// a map every one of them lands in the same bucket.
std::vector<std::string> CollidingNames(std::size_t count) {
  std::unordered_map<std::uint32_t, int> sizing;
  for (std::uint32_t k = 0; k < count; ++k) sizing.emplace(k, 0);
  const std::uint64_t step = sizing.bucket_count();
  std::vector<std::string> names;
  for (std::uint64_t key = step; key <= 0xFFFFFFFFu && names.size() < count; key += step) {
    const auto key32 = static_cast<std::uint32_t>(key);
    char bytes[4];
    std::memcpy(bytes, &key32, 4);
    bool allowed = true;
    for (char b : bytes) allowed = allowed && AllowedInNames(static_cast<unsigned char>(b));
    if (allowed) names.emplace_back(bytes, 4);
  }
  return names;
}

// Distinct names of four capital letters.
std::vector<std::string> PlainNames(std::size_t count) {
  std::vector<std::string> names;
  for (std::size_t k = 0; k < count; ++k) {
    std::string name(4, 'A');
    for (std::size_t i = 0, rest = k; i < 4; ++i, rest /= 26)
      name[3 - i] = static_cast<char>('A' + rest % 26);
    names.push_back(name);
  }
  return names;
}

// Three declaration sections of n characters each, and an expression of their names.
std::string Declared(const std::vector<std::string>& names, std::size_t n) {
  const std::size_t per_section = (n + 1) / 5;
  return "y@" + Join(names, 0, ',', n) + "@" + Join(names, per_section, ',', n) + "@" +
         Join(names, 2 * per_section, ',', n) + "@" + Join(names, 0, '+', n);
}

std::string Typed(const std::string& expression) { return std::string("y@ @ @ @") + expression; }

std::string Make(int shape, std::size_t n) {
  switch (shape) {
    case 0: {  // deep nesting ((((1))))
      // Balanced at every length: an even length gets one trailing blank.
      const std::size_t depth = (n - 1) / 2;
      return Typed(std::string(depth, '(') + "1" + std::string(depth, ')') +
                   std::string(n - 1 - 2 * depth, ' '));
    }
    case 1:
      return Typed(Shape("(", '+', "1)", n));  // a run of unary signs
    case 2:
      return Typed(Shape("1", ' ', "+1", n));  // a long run of blanks
    case 3:
      return Typed(Repeat("SINCOSTANLOG", n - 3) + "(1)");  // a chain of function names
    case 4: {                                               // 100 operands, long names
      const std::size_t width = n / 100 - 1;
      std::string s;
      for (int i = 0; i < 100; ++i)
        s.append(i ? "+" : "").append(width, static_cast<char>('A' + i % 26));
      return Typed(s);
    }
    case 5:
      return Typed(Repeat("1+*(", n));  // errors everywhere
    case 6:
      return Typed(Repeat("1+", n - 1) + "1");  // plain sums, up to the limit
    case 7:
      return Declared(CollidingNames(3 * ((n + 1) / 5)), n);  // names that collide
    case 8:
      return Declared(PlainNames(3 * ((n + 1) / 5)), n);  // many distinct names
    case 9:
      return "y@" + std::string(n, ',') + "@@@1";  // empty names, each listed
    case 10: {                                     // constants and their values
      const std::vector<std::string> names = PlainNames(n / 10);
      const std::string list = Join(names, 0, ',', n / 2);
      const std::string values = Repeat("1.5,", n - list.size() - 1);
      return "y@@@" + list + "/" + values + "@" + Join(names, 0, '+', 300);
    }
    default:
      return "";
  }
}

const char* const kShapeNames[] = {
    "nesting",        "unary_signs",          "blanks",    "function_names",
    "long_names",     "errors_listed",        "operators", "colliding_declared_names",
    "declared_names", "empty_declared_names", "constants"};
constexpr int kShapes = sizeof kShapeNames / sizeof kShapeNames[0];

// Shapes whose errors are worth listing: the listing is asked for. The colliding names are
// compiled as numerella-eval --formula does, without the listing, so that the lookups rather
// than the listing of their invalid characters are measured.
bool Listed(int shape) { return shape == 5 || shape >= 8; }

void BM_CompileShape(benchmark::State& state) {
  const int shape = static_cast<int>(state.range(0));
  const std::string text = Make(shape, static_cast<std::size_t>(state.range(1)));
  Compiler compiler;
  for (auto _ : state) {
    CompiledProgram p;
    p.ValueTable.assign(2, Value());
    p.CompileFlag = Listed(shape) ? -1 : 0;
    compiler.CompileFormula(text, p);
    benchmark::DoNotOptimize(p.CompileFlag);
  }
  state.SetLabel(kShapeNames[shape]);
  state.counters["chars"] = static_cast<double>(state.range(1));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int shape = 0; shape < kShapes; ++shape) {
    for (int n : {1024, 4096, 16384, 32767, 40000}) b->Args({shape, n});
  }
}

BENCHMARK(BM_CompileShape)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace numerella::bench

BENCHMARK_MAIN();
