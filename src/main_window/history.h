// SPDX-License-Identifier: GPL-3.0-or-later
// The history of calculations: ten rows of formula and result text, oldest first, and the walk
// through their formulas with Up and Down. Texts are 8-bit byte strings (Latin-1 in the
// window). No Qt: the window shows the rows and forwards the keys.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace numerella {

inline constexpr int kHistoryRows = 10;

struct HistoryRow {
  std::string formula;
  std::string result;

  friend bool operator==(const HistoryRow&, const HistoryRow&) = default;
};
using History = std::array<HistoryRow, kHistoryRows>;

class CalculationHistory {
 public:
  // Every row holds one blank as formula and as result, as a new window shows them.
  CalculationHistory();

  const History& Rows() const { return rows_; }

  // A successful run: every row moves up by one and the oldest is lost; the newest row takes
  // the formula and the result without their leading and trailing blanks. Ends a walk.
  void Push(std::string_view formula, std::string_view result);
  // The rows of a calculation file that was read, as they are. Ends a walk.
  void Load(const History& rows);

  // The walk. A walk begins with the first recall and keeps what the expression box held then
  // (typed, in whatever encoding the caller uses) as the draft; it ends when the user edits
  // the expression, and with Push and Load.
  //
  // Double-click on a row: true when its formula is to be put into the expression box (the
  // row is not blank).
  bool Recall(int row, std::string_view typed);
  // Up (older) or Down: the row whose formula is to be put into the expression box, the next
  // one with a formula that differs from shown (the box's text without its surrounding
  // whitespace; repeating it would look as if the key did nothing). Down past the newest row
  // gives kHistoryRows: the draft goes back into the box and the walk ends. Nothing when the
  // key does nothing.
  std::optional<int> Step(bool older, std::string_view shown, std::string_view typed);
  void EndWalk() { walk_row_ = kHistoryRows; }
  const std::string& Draft() const { return draft_; }

 private:
  void Visit(int row, std::string_view typed);

  History rows_;
  int walk_row_ = kHistoryRows;  // the row shown by the walk; kHistoryRows when none is
  std::string draft_;
};

}  // namespace numerella
