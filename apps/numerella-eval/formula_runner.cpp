// SPDX-License-Identifier: GPL-3.0-or-later
// One formula through the engine: the bindings of --let, the plain and the JSON output.
#include "formula_runner.h"

#include "json_output.h"

namespace numerella::cli {

const CalculationOutcome& FormulaRunner::Compute(std::string_view formula) {
  notices_.Clear();
  if (options_.whole_formula) {
    return calculator_.RunWhole(formula, options_.listing, BindingsByName(formula, options_.lets),
                                &notices_);
  }
  return calculator_.RunTyped(formula, options_.listing, &notices_);
}

// What the window shows, with the listing's carriage returns as line ends, ended by exactly
// one line end, and with --program a line with the program; each notice is a line
// "title: text" on standard error.
void FormulaRunner::AppendPlain(const CalculationOutcome& outcome, std::string& out,
                                std::string& err) {
  for (std::size_t i = 0; i < notices_.titles.size(); ++i) {
    err += notices_.titles[i];
    err += ": ";
    err += notices_.texts[i];
    err += '\n';
  }
  const std::size_t start = out.size();
  if (outcome.kind == CalculationOutcome::Kind::kResult) {
    out += outcome.result_text;
  } else if (outcome.kind != CalculationOutcome::Kind::kBlank) {
    out += outcome.message;
  }
  for (std::size_t i = start; i < out.size(); ++i) {
    if (out[i] == '\r') out[i] = '\n';
  }
  if (out.size() == start || out.back() != '\n') out += '\n';
  if (options_.program) {
    out += ProgramText(outcome.program.Program);
    out += '\n';
  }
}

void FormulaRunner::AppendJson(const CalculationOutcome& outcome,
                               std::optional<TextSpan> error_position, std::string& out) {
  std::optional<std::string> program_text;
  if (options_.program) program_text = ProgramText(outcome.program.Program);
  AppendJsonRest(out, {outcome, calculator_.CompileListing(), notices_.texts, error_position,
                       std::move(program_text)});
}

bool FormulaRunner::Run(std::string_view formula, std::string& out, std::string& err) {
  const CalculationOutcome& outcome = Compute(formula);
  if (options_.json) {
    out += kJsonInputOpen;
    AppendJsonEscaped(out, formula);
    AppendJson(outcome, outcome.error_place, out);
  } else {
    AppendPlain(outcome, out, err);
  }
  return !Failed(outcome);
}

bool FormulaRunner::RunJsonRest(std::string_view stand_in, std::string& out,
                                const std::function<TextSpan(TextSpan)>& to_input) {
  const CalculationOutcome& outcome = Compute(stand_in);
  std::optional<TextSpan> error_position = outcome.error_place;
  if (error_position) error_position = to_input(*error_position);
  AppendJson(outcome, error_position, out);
  return !Failed(outcome);
}

}  // namespace numerella::cli
