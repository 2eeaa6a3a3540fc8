// SPDX-License-Identifier: GPL-3.0-or-later
// CompileFormula: splits the formula into its sections, checks the declarations and the
// expression, and translates the expression into the register program.
#include "reference/compile_formula.h"

#include <array>

#include "reference/compile_text.h"
#include "reference/declarations.h"
#include "reference/expression_marking.h"
#include "reference/number_text.h"
#include "reference/program_generation.h"

namespace numerella::reference {
namespace {

using compile_detail::Findings;

// Counts and positions inside a section are 16-bit, so no section may be longer than this.
constexpr std::size_t kMaxSectionLength = 32767;

// head, variables, parameters, constants, expression
using Sections = std::array<std::string_view, 5>;

// Each separator is the first "@" of what is left; the expression is everything after the
// fourth one. Returns false when there are fewer than four.
bool SplitSections(std::string_view formula, Sections& sections) {
  for (int k = 0; k < 4; ++k) {
    const std::size_t at = formula.find('@');
    if (at == std::string_view::npos) return false;
    sections[k] = formula.substr(0, at);
    formula.remove_prefix(at + 1);
  }
  sections[4] = formula;
  return true;
}

bool SectionTooLong(const Sections& sections) {
  for (std::size_t k = 1; k < sections.size(); ++k) {
    if (sections[k].size() > kMaxSectionLength) return true;
  }
  return false;
}

// Fills the value table: every slot empty, then each declared constant and each literal.
void FillValueTable(const compile_detail::Declarations& d, int slot_count,
                    const std::vector<double>& literal_values, std::vector<Value>& table) {
  table.assign(static_cast<std::size_t>(slot_count) + 1, Value());
  std::size_t index = static_cast<std::size_t>(d.var_count + d.par_count) + 1;
  for (const std::string& text : d.const_values) {
    table[index++] = compile_detail::ReadLeadingNumber(text).value;
  }
  for (double value : literal_values) table[index++] = value;
}

}  // namespace

void Compiler::CompileFormula(std::string_view formula, CompiledProgram& program) {
  const bool listing_wanted = program.CompileFlag != 0;
  program.CompileFlag = 0;
  program.OperandMap.clear();
  Findings findings(listing_wanted, listing_);

  Sections sections;
  const bool split = SplitSections(formula, sections);
  if (!split || SectionTooLong(sections)) {
    // The formula cannot be read at all: nothing but the reason is listed.
    program.VarCount = 0;
    program.ParCount = 0;
    listing_.clear();
    findings.Error({split ? "* ERR. Espressione piu` Lunga di 32767 Caratteri"
                          : "* ERR. Mancano i Separatori @ della Formula"});
    program.CompileFlag = -1;
    return;
  }

  if (listing_wanted) listing_ = "*** Controllo Sintattico delle Variabili...\r";
  const compile_detail::Declarations declarations =
      compile_detail::ReadDeclarations(sections[1], sections[2], sections[3], findings);
  program.VarCount = declarations.var_count;
  program.ParCount = declarations.par_count;

  compile_detail::MarkedExpression marked =
      compile_detail::MarkExpression(sections[4], declarations, program.OperandMap, findings);
  if (!findings.failed()) compile_detail::CheckSyntax(marked.text, findings);
  if (findings.failed()) {
    // The value table, the last operand and the program keep what the caller put there.
    program.CompileFlag = -1;
    return;
  }

  const int slot_count = declarations.var_count + declarations.par_count +
                         declarations.const_count + static_cast<int>(marked.literal_values.size());
  FillValueTable(declarations, slot_count, marked.literal_values, program.ValueTable);
  program.LastOperand = marked.last_ordinal;
  compile_detail::GenerateProgram(marked.text, program.Program, findings, *storage_);
  program.CompileFlag = findings.failed() ? -1 : 0;
}

}  // namespace numerella::reference
