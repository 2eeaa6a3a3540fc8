// SPDX-License-Identifier: GPL-3.0-or-later
// CompileFormula: splits the formula into its sections, checks the declarations and the
// expression, and translates the expression into the register program.
#include "compiler/compile_formula.h"

#include <array>

#include "compiler/compile_text.h"
#include "compiler/declarations.h"
#include "compiler/expression_reading.h"
#include "compiler/number_text.h"
#include "compiler/program_generation.h"

namespace numerella {
namespace compile_detail {

// Every list the compiler works with, kept from one compilation to the next.
struct Workspace {
  Declarations declarations;
  ExpressionWork expression;
  GeneratorWork generator;
};

void WorkspaceDeleter::operator()(Workspace* workspace) const { delete workspace; }

namespace {

// The first section after the head that is too long, or 0.
std::size_t TooLongSection(const FormulaSections& sections) {
  for (std::size_t k = 1; k < sections.size(); ++k) {
    if (sections[k].size() > Compiler::kMaxSectionLength) return k;
  }
  return 0;
}

// Fills the value table: every slot empty, then each declared constant and each literal.
void FillValueTable(const Declarations& d, const ExpressionWork& e, std::vector<Value>& table) {
  const int slot_count = d.slot_count() + static_cast<int>(e.literal_values.size());
  table.assign(static_cast<std::size_t>(slot_count) + 1, Value());
  std::size_t index = static_cast<std::size_t>(d.var_count + d.par_count) + 1;
  for (std::string_view text : d.const_values) table[index++] = ReadLeadingNumber(text).value;
  for (double value : e.literal_values) table[index++] = value;
}

}  // namespace
}  // namespace compile_detail

std::optional<FormulaSections> SplitFormulaSections(std::string_view formula) {
  FormulaSections sections;
  for (std::size_t k = 0; k + 1 < sections.size(); ++k) {
    const std::size_t at = formula.find('@');
    if (at == std::string_view::npos) return std::nullopt;
    sections[k] = formula.substr(0, at);
    formula.remove_prefix(at + 1);
  }
  sections.back() = formula;
  return sections;
}

Compiler::Compiler() : work_(new compile_detail::Workspace) {
  // Room for typical formulas, so that even the first compilations need no more memory.
  work_->expression.text.reserve(256);
  work_->expression.at.reserve(256);
  work_->expression.symbols.reserve(256);
  work_->expression.literal_values.reserve(compile_detail::kMaxOperands);
  listing_.reserve(256);
}

void Compiler::CompileFormula(std::string_view formula, CompiledProgram& program) {
  using compile_detail::CheckSyntax, compile_detail::Declarations, compile_detail::ExpressionWork,
      compile_detail::FillValueTable, compile_detail::Findings, compile_detail::GenerateProgram,
      compile_detail::ReadDeclarations, compile_detail::ReadExpression, compile_detail::Span,
      compile_detail::TooLongSection;
  const bool listing_wanted = program.CompileFlag != 0;
  program.CompileFlag = 0;
  program.OperandMap.clear();
  Findings findings(listing_wanted, listing_);
  const auto offset_of = [&](std::string_view part) {
    return static_cast<std::uint32_t>(part.data() - formula.data());
  };

  const std::optional<FormulaSections> split_sections = SplitFormulaSections(formula);
  const bool split = split_sections.has_value();
  const FormulaSections sections = split_sections.value_or(FormulaSections{});
  const std::size_t too_long = split ? TooLongSection(sections) : 0;
  if (!split || too_long != 0) {
    // The formula cannot be read at all: nothing but the reason is listed.
    program.VarCount = 0;
    program.ParCount = 0;
    listing_.clear();
    Span where{0, 0};
    if (split)
      where = {
          offset_of(sections[too_long]),
          offset_of(sections[too_long]) + static_cast<std::uint32_t>(sections[too_long].size())};
    if (findings.Error(where)) {
      findings.Line({split ? "* ERR. Espressione piu` Lunga di 32767 Caratteri"
                           : "* ERR. Mancano i Separatori @ della Formula"});
    }
    program.CompileFlag = -1;
    error_span_ = split ? findings.first_error() : std::nullopt;
    return;
  }

  if (listing_wanted) listing_ = "*** Controllo Sintattico delle Variabili...\r";
  Declarations& declarations = work_->declarations;
  ReadDeclarations({sections[1], sections[2], sections[3]},
                   {offset_of(sections[1]), offset_of(sections[2]), offset_of(sections[3])},
                   declarations, findings);
  program.VarCount = declarations.var_count;
  program.ParCount = declarations.par_count;

  ExpressionWork& expression = work_->expression;
  ReadExpression(sections[4], offset_of(sections[4]), declarations, expression, program.OperandMap,
                 findings);
  if (!findings.failed()) CheckSyntax(expression, findings);
  if (!findings.failed()) {
    FillValueTable(declarations, expression, program.ValueTable);
    program.LastOperand = expression.last_ordinal;
    GenerateProgram(expression.symbol_list(), program.Program, findings, work_->generator);
  }
  // Otherwise the value table, the last operand and the program keep what the caller put there.
  program.CompileFlag = findings.failed() ? -1 : 0;
  error_span_ = findings.first_error();
}

}  // namespace numerella
