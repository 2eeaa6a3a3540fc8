// SPDX-License-Identifier: GPL-3.0-or-later
// The history rows and the walk through them.
#include "main_window/history.h"

namespace numerella {
namespace {

// The whitespace of Latin-1 text, as the window's text controls trim it.
constexpr bool IsWhitespace(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte == ' ' || (byte >= '\t' && byte <= '\r') || byte == 0x85 || byte == 0xA0;
}

std::string_view TrimWhitespace(std::string_view text) {
  while (!text.empty() && IsWhitespace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhitespace(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

CalculationHistory::CalculationHistory() { rows_.fill({" ", " "}); }

void CalculationHistory::Push(std::string_view formula, std::string_view result) {
  for (int i = 0; i + 1 < kHistoryRows; ++i) rows_[i] = std::move(rows_[i + 1]);
  rows_.back() = {std::string(TrimBlanks(formula)), std::string(TrimBlanks(result))};
  EndWalk();
}

void CalculationHistory::Load(const History& rows) {
  rows_ = rows;
  EndWalk();
}

void CalculationHistory::Visit(int row, std::string_view typed) {
  if (walk_row_ == kHistoryRows) draft_.assign(typed);
  walk_row_ = row;
}

bool CalculationHistory::Recall(int row, std::string_view typed) {
  if (TrimWhitespace(rows_[row].formula).empty()) return false;
  Visit(row, typed);
  return true;
}

std::optional<int> CalculationHistory::Step(bool older, std::string_view shown,
                                            std::string_view typed) {
  if (walk_row_ == kHistoryRows && !older) return std::nullopt;  // nothing below the newest
  const int step = older ? -1 : 1;
  for (int row = walk_row_ + step; row >= 0 && row < kHistoryRows; row += step) {
    const std::string_view formula = TrimWhitespace(rows_[row].formula);
    if (formula.empty() || formula == shown) continue;
    Visit(row, typed);
    return row;
  }
  if (older) return std::nullopt;
  EndWalk();  // past the newest row: back to what was being typed
  return kHistoryRows;
}

}  // namespace numerella
