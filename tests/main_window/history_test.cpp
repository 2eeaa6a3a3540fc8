// SPDX-License-Identifier: GPL-3.0-or-later
// The history without a window: the walks in history_walks.tsv, each line one action on a
// history and an expression box, and what the box or a row holds afterwards.
#include "main_window/history.h"

#include <gtest/gtest.h>

#include "table.h"

namespace numerella {
namespace {

TEST(CalculationHistory, Walks) {
  CalculationHistory history;
  std::string box;  // what the expression box holds
  const std::vector<table::Row> rows = table::Read(NUMERELLA_HISTORY_WALKS);
  ASSERT_GT(rows.size(), 40u);
  for (table::Row f : rows) {
    f.resize(3);
    const std::string &action = f[0], &argument = f[1], &expected = f[2];
    SCOPED_TRACE(action + " " + argument + " " + expected);
    const std::size_t first = box.find_first_not_of(" \t");
    const std::string shown = first == std::string::npos
                                  ? ""
                                  : box.substr(first, box.find_last_not_of(" \t") + 1 - first);
    std::optional<int> row;
    if (action == "new") history = CalculationHistory(), box.clear();
    if (action == "type") box = argument, history.EndWalk();  // the user edits the box
    if (action == "push") history.Push(box, argument);        // a run of the box with this result
    if (action == "load") {  // formulas of rows 0 .. 9, results "r"
      History loaded;
      std::vector<std::string> formulas(1);
      for (const char c : argument) c == '|' ? formulas.emplace_back() : formulas.back() += c;
      for (std::size_t i = 0; i < loaded.size(); ++i)
        loaded[i] = {i < formulas.size() ? formulas[i] : "", "r"};
      history.Load(loaded);
    }
    if (action == "click" && history.Recall(std::stoi(argument), box)) row = std::stoi(argument);
    if (action == "up" || action == "down") row = history.Step(action == "up", shown, box);
    if (row) box = *row == kHistoryRows ? history.Draft() : history.Rows()[*row].formula;
    std::string found = box;
    if (action == "row") {  // row number: formula=result
      const HistoryRow& r = history.Rows()[std::stoi(argument)];
      found = r.formula + "=" + r.result;
    }
    if (action == "up" || action == "down" || action == "click" || action == "row") {
      EXPECT_EQ(found, expected);
    }
  }
}

}  // namespace
}  // namespace numerella
