// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded compilations: every output of one compilation as a row of fields, and tables of such
// rows kept in files (gzip-compressed when the name ends in ".gz"). A row is written in full, or
// as a digest in which every field longer than 16 characters is replaced by "#" and a 32-bit
// hash of its text; the suite and the fuzz targets hold the compiler to the recorded rows.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compiler/compile_formula.h"

namespace numerella::recorded {

inline constexpr std::array<std::string_view, 8> kFields = {
    "CompileFlag", "VarCount/ParCount", "LastOperand",    "Program",
    "OperandMap",  "ValueTable",        "CompileListing", "ErrorSpan"};

using Row = std::vector<std::string>;
using Table = std::unordered_map<std::string, Row>;

// Compiles formula from the same starting point every time (outputs and a listing left from
// before that hold marks), so that what a compilation keeps shows. The fields as they are: the
// program's codes, ValueTable with 17 digits ("-" when empty), ErrorSpan "offset+length" or "-".
Row Outputs(Compiler& compiler, std::string_view formula, bool listing);
// The same escaped, and in the digest form unless full.
Row Compile(Compiler& compiler, std::string_view formula, bool listing, bool full);
std::string Digest(std::string_view field);

// Printable ASCII stays (a backslash is doubled); carriage return, line feed and tab become
// \r \n \t, every other byte \xNN.
std::string Escape(std::string_view text);

// The id of a corpus case: the hash of its formula and the listing request, "<hex>/<0|1>".
std::string CaseId(std::string_view formula, bool listing);

// "" when the rows are equal, else the first differing field with both values.
std::string FirstDifference(const Row& recorded, const Row& now);

// Reads a table: lines "id<TAB>field<TAB>field..."; a missing file gives an empty table.
Table ReadTable(const std::string& path);
// Writes the rows in their order under a header line naming the columns.
bool WriteTable(const std::string& path, std::string_view header,
                const std::vector<std::pair<std::string, Row>>& rows);

// The recorded cases with their rows now, in recording order: every case as a digest, or the
// readable subset (the first 50 generated formulas) in full after its formula. The cases: the
// compiler fuzz corpora in the forms their targets compile (id CaseId), generated formula n
// ("g<n>/<listing>") and the worst shapes of every pass at and around the limits ("l<n>/...").
std::vector<std::pair<std::string, Row>> RecordedRows(bool full);

}  // namespace numerella::recorded
