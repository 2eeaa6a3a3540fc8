// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation run: outcomes of typed formulas and whole formula texts (cases.tsv), runs into
// a kept outcome that end exactly as fresh ones, and the result text (results.tsv).
#include "calculation/calculation.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "calculation/seven_digits.h"
#include "table.h"

namespace numerella {
namespace {

using table::Show;

std::string Describe(const CalculationOutcome& o) {
  constexpr const char* kKinds[] = {"blank", "result", "compile failed", "eval failed"};
  const std::string shown = o.kind == CalculationOutcome::Kind::kResult ? o.result_text : o.message;
  std::string out = kKinds[static_cast<int>(o.kind)] + std::string("\t");
  for (const char c : shown) out += c == '\r' ? std::string("\\r") : std::string(1, c);
  return out + "\t" + ProgramCodes(o.program.Program) + "\t" + Show(o.program.ValueTable) + "\t" +
         Show(o.registers) + "\t" + Show({o.value});
}

// Each row is run fresh and into the outcome of the rows before it.
TEST(Calculation, Runs) {
  Compiler fresh_compiler, kept_compiler;
  CalculationOutcome kept;
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/cases.tsv")) {
    ASSERT_EQ(row.size(), 10u) << row[0];
    const std::string text = table::Unescape(row[0]);
    const bool listing = row[2] == "1";
    std::vector<Binding> bindings;
    for (const char* p = row[3].c_str(); *p != '\0';) {
      char* end = nullptr;
      const int index = static_cast<int>(std::strtol(p, &end, 10));
      bindings.push_back({index, std::strtod(end + 1, &end)});
      p = end + (*end == ' ');
    }
    CalculationOutcome fresh;
    if (row[1] == "1") {
      fresh = RunCompileText(fresh_compiler, text, listing, bindings);
      RunCompileText(kept_compiler, text, listing, bindings, nullptr, kept);
    } else {
      fresh = RunFormula(fresh_compiler, text, listing);
      RunFormula(kept_compiler, text, listing, nullptr, kept);
      EXPECT_EQ(fresh.compile_text, row[4] == "blank" ? "" : "y@ @ @ @" + text);
    }
    EXPECT_EQ(Describe(fresh), row[4] + "\t" + row[5] + "\t" + row[6] + "\t" +
                                   Show(table::Values(row[7])) + "\t" +
                                   Show(table::Values(row[8])) + "\t" + Show(table::Values(row[9])))
        << row[0];
    EXPECT_EQ(Describe(kept) + kept.compile_text + kept_compiler.CompileListing(),
              Describe(fresh) + fresh.compile_text + fresh_compiler.CompileListing())
        << row[0];
  }
}

TEST(ResultText, Formats) {
  for (const table::Row& row : table::Read(NUMERELLA_TABLES "/results.tsv")) {
    EXPECT_EQ(ResultText(table::Values(row[0]).at(0)), row.at(1)) << row[0];
  }
}

// The seven digits agree with the library's general formatter at seven digits on
// single-precision values across the whole range, both signs, subnormals included.
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
      ASSERT_EQ(std::string(written, WriteSevenDigits(value, written)), std::string(expected, end))
          << std::hex << pattern;
    }
  }
}

}  // namespace
}  // namespace numerella
