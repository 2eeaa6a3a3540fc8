// SPDX-License-Identifier: GPL-3.0-or-later
// The history without a window: the walks in history_walks.tsv, each line one action on a
// history and an expression box, and what the box or a row holds afterwards.
#include "main_window/history.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace numerella {
namespace {

std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

TEST(CalculationHistory, Walks) {
  std::ifstream file(NUMERELLA_HISTORY_WALKS);
  ASSERT_TRUE(file) << NUMERELLA_HISTORY_WALKS;
  CalculationHistory history;
  std::string box;  // what the expression box holds
  int line_number = 0;
  for (std::string line; std::getline(file, line);) {
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f = Fields(line, '\t');
    f.resize(3);
    const std::string &action = f[0], &argument = f[1], &expected = f[2];
    SCOPED_TRACE(std::to_string(line_number) + ": " + line);
    if (action == "new") {
      history = CalculationHistory();
      box.clear();
    } else if (action == "type") {  // the user edits the box
      box = argument;
      history.EndWalk();
    } else if (action == "push") {  // a run of the box's formula with this result
      history.Push(box, argument);
    } else if (action == "load") {  // formulas of rows 0 .. 9, results "r"
      History rows;
      const std::vector<std::string> formulas = Fields(argument, '|');
      for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = {i < formulas.size() ? formulas[i] : "", "r"};
      }
      history.Load(rows);
    } else if (action == "up" || action == "down" || action == "click") {
      const std::size_t first = box.find_first_not_of(" \t");
      const std::string shown = first == std::string::npos
                                    ? ""
                                    : box.substr(first, box.find_last_not_of(" \t") + 1 - first);
      std::optional<int> row;
      if (action == "click") {
        if (history.Recall(std::stoi(argument), box)) row = std::stoi(argument);
      } else {
        row = history.Step(action == "up", shown, box);
      }
      if (row) box = *row == kHistoryRows ? history.Draft() : history.Rows()[*row].formula;
      EXPECT_EQ(box, expected);
    } else if (action == "row") {  // row number: formula=result
      const HistoryRow& row = history.Rows()[std::stoi(argument)];
      EXPECT_EQ(row.formula + "=" + row.result, expected);
    } else {
      ADD_FAILURE() << "unknown action";
    }
  }
}

}  // namespace
}  // namespace numerella
