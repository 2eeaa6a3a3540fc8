// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded compilations: every output of one compilation as a row of named fields, and tables
// of such rows kept in files (gzip-compressed when the name ends in ".gz"). A row is written
// in full, or as a digest in which every field longer than 16 characters is replaced by "#"
// and the 64-bit FNV-1a hash of its full text; the suite and the fuzz targets hold the
// compiler to the recorded rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compiler/compile_formula.h"

namespace numerella::recorded {

// The fields of a row, in order.
inline constexpr std::array<std::string_view, 8> kFields = {
    "CompileFlag", "VarCount/ParCount", "LastOperand",    "Program",
    "OperandMap",  "ValueTable",        "CompileListing", "ErrorSpan"};

using Row = std::vector<std::string>;
using Table = std::unordered_map<std::string, Row>;

// Compiles formula from the same starting point every time: the caller's outputs and a listing
// left from before hold values of their own, so that what a compilation keeps is recorded too.
// ValueTable entries are written with 17 significant digits (bit-exact), "-" when empty;
// ErrorSpan as "offset+length" or "-"; texts with their bytes escaped as in Escape.
Row Compile(Compiler& compiler, std::string_view formula, bool listing, bool full);

std::uint64_t Hash(std::string_view text);

// Printable ASCII stays (a backslash is doubled); carriage return, line feed and tab become
// \r \n \t, every other byte \xNN.
std::string Escape(std::string_view text);

// The id of a corpus case: the hash of its formula and the listing request, "<hex>/<0|1>".
std::string CaseId(std::string_view formula, bool listing);

// "" when the rows are equal, else the first differing field with both values.
std::string FirstDifference(const Row& recorded, const Row& now);

// Reads a table: lines "id<TAB>field<TAB>field...", lines starting with "#" skipped. A missing
// file gives an empty table.
Table ReadTable(const std::string& path);
// Writes the rows in their order under a header line naming the columns.
bool WriteTable(const std::string& path, std::string_view header,
                const std::vector<std::pair<std::string, Row>>& rows);

}  // namespace numerella::recorded
