// SPDX-License-Identifier: GPL-3.0-or-later
// Tables of test cases kept as text files: one case a line, fields separated by tabs; empty
// lines and lines that start with "#" are skipped.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace numerella::table {

using Row = std::vector<std::string>;

// The rows of a text in the form of a table.
inline std::vector<Row> Parse(const std::string& text) {
  std::vector<Row> rows;
  for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    if (end == start || text[start] == '#') continue;
    Row& row = rows.emplace_back();
    for (std::size_t from = start, tab = start; tab != end; from = tab + 1) {
      tab = std::min(text.find('\t', from), end);
      row.emplace_back(text, from, tab - from);
    }
  }
  return rows;
}

// The rows of a table file; none when the file cannot be read.
inline std::vector<Row> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Parse(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

// A text written with escapes: \r \n \t \\ and \xNN stand for their bytes, and {unit*n} for the
// unit written n times (the count follows the last "*").
inline std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{') {
      const std::size_t close = text.find('}', i);
      const std::size_t star = text.rfind('*', close);
      const std::string unit = Unescape(text.substr(i + 1, star - i - 1));
      for (long n = std::atol(std::string(text.substr(star + 1)).c_str()); n > 0; --n) out += unit;
      i = close;
    } else if (text[i] == '\\' && text[i + 1] == 'x') {
      out += static_cast<char>(std::strtol(std::string(text.substr(i + 2, 2)).c_str(), 0, 16));
      i += 3;
    } else if (text[i] == '\\') {
      const char c = text[++i];
      out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Values separated by blanks: "-" for an empty one, else a number as strtod reads it
// (decimal, hexadecimal, inf, nan).
inline std::vector<std::optional<double>> Values(const std::string& text) {
  std::vector<std::optional<double>> out;
  for (const char* p = text.c_str(); *p != '\0';) {
    char* end = nullptr;
    if (*p == ' ') {
      ++p;
    } else if (*p == '-' && (p[1] == ' ' || p[1] == '\0')) {
      out.emplace_back();
      ++p;
    } else {
      out.emplace_back(std::strtod(p, &end));
      p = end == p ? p + 1 : end;
    }
  }
  return out;
}

// Values exact to the bit: "-" for an empty one, hexadecimal otherwise.
inline std::string Show(const std::vector<std::optional<double>>& values) {
  std::string out;
  for (const auto& v : values) {
    char text[40] = "-";
    if (v) std::snprintf(text, sizeof text, "%a", *v);
    out.append(out.empty() ? "" : " ").append(text);
  }
  return out;
}

}  // namespace numerella::table
