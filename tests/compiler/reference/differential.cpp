// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference/differential.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "reference/declarations.h"
#include "reference/expression_marking.h"

namespace numerella::reference {
namespace {

constexpr std::size_t kLimit = 32767;
constexpr char kKeptProgram[] = "keep";
constexpr int kKeptLastOperand = 42;
const std::vector<Value> kKeptValueTable = {9.0, {}, -0.0};

// Outputs filled with values of the caller's own, to see which ones a compilation writes.
CompiledProgram CallerProgram(bool listing) {
  return {7, 7, kKeptValueTable, kKeptLastOperand, kKeptProgram, "old", listing ? -1 : 0};
}

bool SameBits(const std::vector<Value>& a, const std::vector<Value>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].has_value() != b[i].has_value()) return false;
    if (a[i] && std::memcmp(&*a[i], &*b[i], sizeof(double)) != 0) return false;
  }
  return true;
}

std::string Describe(const char* field, const std::string& now, const std::string& before) {
  return std::string(field) + " differs: now \"" + now + "\", before \"" + before + "\"";
}

// The listing lines that only the syntax check and the generation add.
bool OnlyLaterLines(std::string_view rest) {
  while (!rest.empty()) {
    const std::size_t end = rest.find('\r');
    if (end == std::string_view::npos) return false;
    const std::string_view line = rest.substr(0, end);
    const bool later = line == "* ERR. Scrittura dell'Espressione Errata" ||
                       line.find(" Argoment") != std::string_view::npos ||
                       line.find("Nessun Argomento") != std::string_view::npos;
    if (!later) return false;
    rest.remove_prefix(end + 1);
  }
  return true;
}

std::string CompareFull(const CompiledProgram& a, const std::string& listing_a,
                        const CompiledProgram& b, const std::string& listing_b) {
  if (a.CompileFlag != b.CompileFlag) {
    return Describe("CompileFlag", std::to_string(a.CompileFlag), std::to_string(b.CompileFlag));
  }
  if (a.VarCount != b.VarCount || a.ParCount != b.ParCount) {
    return Describe("VarCount/ParCount",
                    std::to_string(a.VarCount) + "/" + std::to_string(a.ParCount),
                    std::to_string(b.VarCount) + "/" + std::to_string(b.ParCount));
  }
  if (a.LastOperand != b.LastOperand) {
    return Describe("LastOperand", std::to_string(a.LastOperand), std::to_string(b.LastOperand));
  }
  if (a.Program != b.Program)
    return Describe("Program", ProgramCodes(a.Program), ProgramCodes(b.Program));
  if (a.OperandMap != b.OperandMap) {
    return Describe("OperandMap", ProgramCodes(a.OperandMap), ProgramCodes(b.OperandMap));
  }
  if (!SameBits(a.ValueTable, b.ValueTable)) {
    return Describe("ValueTable", std::to_string(a.ValueTable.size()) + " entries",
                    std::to_string(b.ValueTable.size()) + " entries");
  }
  if (listing_a != listing_b) return Describe("CompileListing", listing_a, listing_b);
  return "";
}

std::string CompareBeyondLimit(const CompiledProgram& a, const std::string& listing_a,
                               const CompiledProgram& b, const std::string& listing_b) {
  if (a.CompileFlag != -1) return "past the working-text limit, but CompileFlag is not -1";
  if (a.VarCount != b.VarCount || a.ParCount != b.ParCount || a.OperandMap != b.OperandMap) {
    return "past the working-text limit: counts or operand codes differ";
  }
  if (a.Program != kKeptProgram || a.LastOperand != kKeptLastOperand ||
      !SameBits(a.ValueTable, kKeptValueTable)) {
    return "past the working-text limit: the caller's program, last operand or value table changed";
  }
  if (listing_b.compare(0, listing_a.size(), listing_a) != 0 ||
      !OnlyLaterLines(std::string_view(listing_b).substr(listing_a.size()))) {
    return Describe("CompileListing past the working-text limit", listing_a, listing_b);
  }
  return "";
}

}  // namespace

bool BeyondWorkingLimit(std::string_view formula) {
  std::array<std::string_view, 5> sections;
  for (int k = 0; k < 4; ++k) {
    const std::size_t at = formula.find('@');
    if (at == std::string_view::npos) return false;
    sections[k] = formula.substr(0, at);
    formula.remove_prefix(at + 1);
  }
  sections[4] = formula;
  for (int k = 1; k < 5; ++k) {
    if (sections[k].size() > kLimit) return false;  // rejected as too long by both
  }
  std::string listing;
  compile_detail::Findings findings(false, listing);
  const compile_detail::Declarations d =
      compile_detail::ReadDeclarations(sections[1], sections[2], sections[3], findings);
  const std::string normal = compile_detail::NormalForm(sections[4]);
  const std::string functions = compile_detail::MarkFunctions(normal);
  std::string operand_map;
  const std::size_t marked =
      compile_detail::MarkExpression(sections[4], d, operand_map, findings).text.size();
  return std::max({normal.size(), functions.size(), marked}) > kLimit;
}

std::string CompareCompilers(numerella::Compiler& product, Compiler& previous,
                             std::string_view formula, bool listing, DifferentialCount& count) {
  CompiledProgram a = CallerProgram(listing);
  CompiledProgram b = CallerProgram(listing);
  product.SetCompileListing("left from before");
  previous.SetCompileListing("left from before");
  product.CompileFormula(formula, a);
  previous.CompileFormula(formula, b);
  if (BeyondWorkingLimit(formula)) {
    ++count.beyond_limit;
    return CompareBeyondLimit(a, product.CompileListing(), b, previous.CompileListing());
  }
  ++count.compared;
  count.succeeded += b.CompileFlag == 0;
  return CompareFull(a, product.CompileListing(), b, previous.CompileListing());
}

}  // namespace numerella::reference
