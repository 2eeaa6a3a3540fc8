// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation run: outcomes of typed formulas and whole formula texts, the result text, and
// runs into a kept outcome that end exactly as fresh ones.
#include "calculation/calculation.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "calculation/seven_digits.h"
#include "evaluator/num_lib.h"

namespace numerella {
namespace {

using Kind = CalculationOutcome::Kind;

std::string Show(const std::vector<Value>& values) {
  std::string out;
  for (const Value& v : values) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, v ? "%a" : "-", v.value_or(0));
    out += (out.empty() ? "" : " ") + std::string(buffer);
  }
  return out;
}

// Every field of an outcome, for comparing two outcomes as a whole.
std::string Describe(const CalculationOutcome& o) {
  const CompiledProgram& p = o.program;
  return std::to_string(static_cast<int>(o.kind)) + " [" + o.result_text + "] [" + o.message +
         "] [" + o.compile_text + "] " + std::to_string(p.VarCount) + " " +
         std::to_string(p.ParCount) + " " + std::to_string(p.LastOperand) + " " +
         std::to_string(p.CompileFlag) + " {" + Show(p.ValueTable) + "} {" +
         ProgramCodes(p.Program) + "} {" + ProgramCodes(p.OperandMap) + "} " + Show({o.value}) +
         " {" + Show(o.registers) + "}";
}

TEST(ResultText, Formats) {
  const std::string stars = "**************";
  const std::pair<Value, std::string> cases[] = {
      // clang-format off
      {0.5, ".5"},           {-0.25, "-.25"},     {-2, "-2"},          {98, "98"},
      {1.0 / 3, ".3333333"}, {1e-10, "1E-10"},    {1234567, "1234567"}, {1e7, "1E+07"},
      {0.0001, ".0001"},     {-0.0, "0"},         {Value(), "0"},      {1e-50, "0"},
      {1e39, stars},         {-1e39, stars},      {NAN, stars},       {INFINITY, stars},
      {123456789, "1.234568E+08"}, {0.00001234, "1.234E-05"}, {3.4e38, "3.4E+38"}, {2.0000001, "2"},
      // Seven digits rounded half to even from the exact single-precision value.
      {12345675, "1.234568E+07"}, {12345665, "1.234566E+07"}, {9999999.5, "1E+07"},
      {0.3, ".3"}, {2.5e-5, "2.5E-05"}, {0.000123456789, ".0001234568"}, {-999999.94, "-999999.9"},
      {std::numeric_limits<float>::max(), "3.402823E+38"}, {1.17549435e-38, "1.175494E-38"},
      {1.4e-45, "1.401298E-45"},  // the smallest subnormal
      // clang-format on
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(ResultText(value), text) << text;
}

// The seven digits agree with the library's general formatter at seven digits (printf's
// "%.7g") on single-precision values across the whole range, both signs, subnormals included.
TEST(ResultText, SevenDigitsAsTheLibraryWritesThem) {
  for (std::uint64_t bits = 1; bits < 0x7F800000; bits += 9973) {
    for (const std::uint32_t sign : {0u, 0x80000000u}) {
      const std::uint32_t pattern = static_cast<std::uint32_t>(bits) | sign;
      float value = 0;
      std::memcpy(&value, &pattern, sizeof value);
      char expected[32], written[32];
      char* end = std::to_chars(expected, expected + sizeof expected, static_cast<double>(value),
                                std::chars_format::general, 7)
                      .ptr;
      ASSERT_EQ(std::string(written, WriteSevenDigits(value, written)),
                std::string(expected, static_cast<std::size_t>(end - expected)))
          << std::hex << pattern;
    }
  }
}

TEST(Calculation, OutcomesOfTypedFormulas) {
  const struct {
    const char* formula;
    bool listing;
    Kind kind;
    const char* shown;    // result text or message
    const char* program;  // numeric form
    const char* registers;
  } cases[] = {
      // clang-format off
      {"2*(3+4)^2", false, Kind::kResult, "98", "4 1 2 | 1 1 3 | 2 0 1 | 108 1 0",
       "0x1.88p+6 0x1.88p+5 0x1p+2 0x1p+1"},
      {"SQR(16)+1", false, Kind::kResult, "5", "11 1 0 | 4 0 1 | 108 1 0", "0x1.4p+2 0x1p+0"},
      {"3,4", false, Kind::kResult, "3", "108 2 0 1", "0x1.8p+1 0x1p+2"},
      {"1/0", false, Kind::kEvalFailed, "Errore di Esecuzione", "3 0 1 | 108 1 0",
       "0x1p+0 0x0p+0"},
      {"2*", false, Kind::kCompileFailed, "***Errori di Compilazione", "", ""},
      {"2*", true, Kind::kCompileFailed,
       "*** Controllo della Funzione\r* ERR. Scrittura dell'Espressione Errata\r", "", ""},
      {"   ", true, Kind::kBlank, "", "", ""},
      // clang-format on
  };
  Compiler compiler;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    const CalculationOutcome o = RunFormula(compiler, c.formula, c.listing);
    EXPECT_EQ(o.kind, c.kind);
    EXPECT_EQ(o.kind == Kind::kResult ? o.result_text : o.message, c.shown);
    EXPECT_EQ(ProgramCodes(o.program.Program), c.program);
    EXPECT_EQ(Show(o.registers), c.registers);
    EXPECT_EQ(o.compile_text, c.kind == Kind::kBlank ? "" : std::string("y@ @ @ @") + c.formula);
  }
}

TEST(Calculation, WholeFormulaTexts) {
  Compiler compiler;
  // Bound variables and parameters; bindings outside the value table are ignored.
  CalculationOutcome o = RunCompileText(compiler, "y@x@k@@x*10+k", false, {{1, 4}, {2, 2}, {9, 1}});
  EXPECT_EQ(o.result_text, "42");
  EXPECT_EQ(Show(o.program.ValueTable), "- 0x1p+2 0x1p+1 0x1.4p+3");
  // The constant 1E400 is no finite number: its fetch fails, and the operator adds what the
  // second-operand cell holds, which is LNGAM's argument.
  o = RunCompileText(compiler, "y@@@a/1E400@LNGAM(2)+a", false, {});
  EXPECT_EQ(o.kind, Kind::kEvalFailed);
  const double expected = num_lib::LnGamma(2).value() + 2;
  EXPECT_EQ(Show({o.value}), Show({expected}));
  EXPECT_EQ(Show(o.registers), Show({expected, INFINITY}));
}

// A run into a kept outcome ends exactly as a fresh run, whatever the outcome held before.
TEST(Calculation, KeptOutcomeEndsAsAFreshOne) {
  const std::string long_sum = [] {
    std::string f = "1";
    for (int i = 0; i < 99; ++i) f += "+2";
    return f;
  }();
  const struct {
    std::string text;
    bool whole;  // a whole formula text rather than a typed one
    bool listing;
  } runs[] = {
      {long_sum, false, true},
      {"2*", false, true},
      {"7", false, false},
      {"", false, true},
      {"y@x@@@x+1", true, false},
      {"1/0", false, false},
      {"C_T(2.015,5)", false, false},
      {"@@", true, true},
      {"SUM(1,2,3)", false, true},
      {long_sum, false, false},
      {"STD(5)", false, false},
      {"  ", false, false},
  };
  Compiler fresh_compiler, kept_compiler;
  CalculationOutcome kept;
  for (const auto& r : runs) {
    SCOPED_TRACE(r.text);
    CalculationOutcome fresh;
    if (r.whole) {
      fresh = RunCompileText(fresh_compiler, r.text, r.listing, {{1, 5}});
      RunCompileText(kept_compiler, r.text, r.listing, {{1, 5}}, nullptr, kept);
    } else {
      fresh = RunFormula(fresh_compiler, r.text, r.listing);
      RunFormula(kept_compiler, r.text, r.listing, nullptr, kept);
    }
    EXPECT_EQ(Describe(kept), Describe(fresh));
    EXPECT_EQ(kept_compiler.CompileListing(), fresh_compiler.CompileListing());
  }
}

}  // namespace
}  // namespace numerella
