// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the recorded compilations after an intended change of the compiler's outputs:
// compilations.tsv.gz holds every case as a digest row, readable.tsv the readable subset in
// full after its formula. Usage: record_compilations [folder] (the source folder by default).
#include <cstdio>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "compilation_record.h"
#include "formula_sets.h"

int main(int argc, char** argv) {
  using namespace numerella::recorded;
  const std::string folder = argc > 1 ? argv[1] : NUMERELLA_RECORDINGS;
  numerella::Compiler compiler;
  std::vector<std::pair<std::string, Row>> digests;
  std::vector<std::pair<std::string, Row>> readable;
  std::unordered_set<std::string> seen;
  for (const FormulaCase& c : RecordedCases(NUMERELLA_FUZZ_CORPUS)) {
    if (!seen.insert(c.id).second) continue;
    digests.emplace_back(c.id, Compile(compiler, c.formula, c.listing, false));
    if (InReadableSubset(c.id)) {
      Row row = Compile(compiler, c.formula, c.listing, true);
      row.insert(row.begin(), Escape(c.formula));
      readable.emplace_back(c.id, std::move(row));
    }
  }
  std::string header = "id";
  for (const auto field : kFields) header.append("\t").append(field);
  if (!WriteTable(folder + "/compilations.tsv.gz", header, digests) ||
      !WriteTable(folder + "/readable.tsv", "id\tformula" + header.substr(2), readable)) {
    std::fprintf(stderr, "cannot write the recordings into %s\n", folder.c_str());
    return 1;
  }
  std::printf("%zu cases recorded, %zu of them in full\n", digests.size(), readable.size());
  return 0;
}
