// SPDX-License-Identifier: GPL-3.0-or-later
// Tables of test cases kept as tab-separated text: the first line names the columns, every
// further line is one case; empty lines and lines starting with # are left out. Unescape reads
// a cell's escapes: \n \r \t \\, \s a space, \e nothing (an empty word), \xHH any byte, and
// \(N*TEXT\) for TEXT written N times.
#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace numerella::test {

struct Row {
  std::string where;  // file:line, for the messages of a failing case
  std::map<std::string, std::string> cells;
  const std::string& operator[](const std::string& column) const { return cells.at(column); }
};
inline void PrintTo(const Row& row, std::ostream* os) { *os << row.where; }

inline std::vector<Row> ReadTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<Row> rows;
  std::vector<std::string> columns;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (text.empty() || text[0] == '#') continue;
    std::vector<std::string> cells;
    std::istringstream split(text + "\t");
    for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
    if (columns.empty()) {
      columns = cells;
      continue;
    }
    Row& row =
        rows.emplace_back(Row{path.substr(path.rfind('/') + 1) + ":" + std::to_string(line), {}});
    for (std::size_t k = 0; k < columns.size(); ++k)
      row.cells[columns[k]] = k < cells.size() ? cells[k] : "";
  }
  return rows;
}

inline std::string Unescape(std::string_view cell) {
  std::string out;
  for (std::size_t i = 0; i < cell.size(); ++i) {
    const char c = i + 1 < cell.size() && cell[i] == '\\' ? cell[++i] : '\0';
    if (c == '(') {
      const std::size_t star = cell.find('*', i), end = cell.find("\\)", star);
      const std::string part = Unescape(cell.substr(star + 1, end - star - 1));
      for (long n = std::stol(std::string(cell.substr(i + 1, star - i - 1))); n > 0; --n)
        out += part;
      i = end + 1;
    } else if (c == 'x') {
      out += static_cast<char>(std::stoi(std::string(cell.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else if (c != 'e') {
      const std::size_t plain = std::string_view("nrts").find(c);
      out += c == '\0' ? cell[i] : plain != std::string_view::npos ? "\n\r\t "[plain] : c;
    }
  }
  return out;
}

// The words of a cell, separated by spaces, each unescaped.
inline std::vector<std::string> Words(const std::string& cell) {
  std::vector<std::string> words;
  std::istringstream in(cell);
  for (std::string word; in >> word;) words.push_back(Unescape(word));
  return words;
}

}  // namespace numerella::test
