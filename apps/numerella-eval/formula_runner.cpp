// SPDX-License-Identifier: GPL-3.0-or-later
// One formula through the engine: the bindings of --let, the plain and the JSON output.
#include "formula_runner.h"

#include "json_output.h"

namespace numerella::cli {
namespace {

// A typed formula is compiled as "y@ @ @ @" followed by it.
constexpr std::size_t kTypedTextStart = sizeof "y@ @ @ @" - 1;

// The names declared in a section of a formula text (2 variables, 3 parameters). The
// sections are found as the first "@" of what is left, as the compiler finds them.
std::vector<std::string> DeclaredNames(std::string_view text, int section) {
  for (int s = 1; s < section; ++s) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos) return {};
    text.remove_prefix(at + 1);
  }
  std::string names(text.substr(0, text.find('@')));
  std::erase(names, ' ');
  std::vector<std::string> out;
  if (names.empty()) return out;
  std::size_t start = 0;
  for (std::size_t comma; (comma = names.find(',', start)) != std::string::npos;
       start = comma + 1) {
    out.push_back(names.substr(start, comma - start));
  }
  out.push_back(names.substr(start));
  return out;
}

// ValueTable indices of the declared variables and parameters that the lets name.
std::vector<Binding> Bindings(std::string_view text, const std::vector<Let>& lets) {
  std::vector<Binding> out;
  if (lets.empty()) return out;
  std::vector<std::string> slots = DeclaredNames(text, 2);
  const std::vector<std::string> parameters = DeclaredNames(text, 3);
  slots.insert(slots.end(), parameters.begin(), parameters.end());
  for (const Let& let : lets) {
    for (std::size_t k = 0; k < slots.size(); ++k) {
      if (slots[k] == let.name) {
        out.push_back({static_cast<int>(k) + 1, let.value});
        break;
      }
    }
  }
  return out;
}

}  // namespace

const CalculationOutcome& FormulaRunner::Compute(std::string_view formula) {
  notices_.Clear();
  if (options_.whole_formula) {
    RunCompileText(compiler_, formula, options_.listing, Bindings(formula, options_.lets),
                   &notices_, outcome_);
  } else {
    RunFormula(compiler_, formula, options_.listing, &notices_, outcome_);
  }
  return outcome_;
}

std::optional<TextSpan> FormulaRunner::ErrorPosition(const CalculationOutcome& outcome) const {
  if (outcome.kind != CalculationOutcome::Kind::kCompileFailed) return std::nullopt;
  return options_.whole_formula ? compiler_.ErrorSpan() : compiler_.ErrorSpanFrom(kTypedTextStart);
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
  AppendJsonRest(out, {outcome, compiler_.CompileListing(), notices_.texts, error_position,
                       std::move(program_text)});
}

bool FormulaRunner::Run(std::string_view formula, std::string& out, std::string& err) {
  const CalculationOutcome& outcome = Compute(formula);
  if (options_.json) {
    out += kJsonInputOpen;
    AppendJsonEscaped(out, formula);
    AppendJson(outcome, ErrorPosition(outcome), out);
  } else {
    AppendPlain(outcome, out, err);
  }
  return !Failed(outcome);
}

bool FormulaRunner::RunJsonRest(std::string_view stand_in, std::string& out,
                                const std::function<TextSpan(TextSpan)>& to_input) {
  const CalculationOutcome& outcome = Compute(stand_in);
  std::optional<TextSpan> error_position = ErrorPosition(outcome);
  if (error_position) error_position = to_input(*error_position);
  AppendJson(outcome, error_position, out);
  return !Failed(outcome);
}

}  // namespace numerella::cli
