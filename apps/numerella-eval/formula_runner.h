// SPDX-License-Identifier: GPL-3.0-or-later
// One formula through the engine, and what numerella-eval writes for it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calculation/calculation.h"
#include "options.h"

namespace numerella::cli {

// Collects the notices of one formula.
class NoticeList : public NoticeSink {
 public:
  void Notice(std::string_view text, std::string_view title) override {
    titles.emplace_back(title);
    texts.emplace_back(text);
  }
  void Clear() {
    titles.clear();
    texts.clear();
  }
  std::vector<std::string> titles, texts;
};

// Runs formulas with the options' settings. Each runner has its own calculator, so one runner
// serves one thread.
class FormulaRunner {
 public:
  explicit FormulaRunner(const Options& options) : options_(options) {}

  // Computes one formula and appends what it writes: to out the result line(s) or the JSON
  // object, to err the notices (plain output only). Returns false when the formula did not
  // compile or its evaluation failed.
  bool Run(std::string_view formula, std::string& out, std::string& err);

  // For --json when the input text has already been written after kJsonInputOpen: computes
  // stand_in, a text with the same outcome as the input, and appends the rest of the object;
  // to_input takes a part of stand_in to that part of the input.
  bool RunJsonRest(std::string_view stand_in, std::string& out,
                   const std::function<TextSpan(TextSpan)>& to_input);

 private:
  // Computes one formula; the outcome stays until the next.
  const CalculationOutcome& Compute(std::string_view formula);
  void AppendJson(const CalculationOutcome& outcome, std::optional<TextSpan> error_position,
                  std::string& out);
  void AppendPlain(const CalculationOutcome& outcome, std::string& out, std::string& err);

  const Options& options_;
  Calculator calculator_;
  NoticeList notices_;
};

// Whether an outcome counts as a failure for the exit status.
inline bool Failed(const CalculationOutcome& outcome) {
  return outcome.kind == CalculationOutcome::Kind::kCompileFailed ||
         outcome.kind == CalculationOutcome::Kind::kEvalFailed;
}

}  // namespace numerella::cli
