// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler against its recorded outputs (recordings/): every case as a digest, the
// readable subset in full.
#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

#include "compilation_record.h"
#include "formula_sets.h"

namespace numerella::recorded {
namespace {

void ExpectAsRecorded(const std::string& file, bool full) {
  const Table table = ReadTable(std::string(NUMERELLA_RECORDINGS) + "/" + file);
  ASSERT_FALSE(table.empty()) << "cannot read " << file;
  Compiler compiler;
  std::unordered_set<std::string> checked;
  int failures = 0;
  for (const FormulaCase& c : RecordedCases(NUMERELLA_FUZZ_CORPUS)) {
    if ((full && !InReadableSubset(c.id)) || !checked.insert(c.id).second) continue;
    const auto found = table.find(c.id);
    const Row now = Compile(compiler, c.formula, c.listing, full);
    std::string difference = "no recording";
    if (found != table.end() && full) {
      Row recorded = found->second;
      difference =
          recorded.front() != Escape(c.formula) ? "another formula: " + recorded.front() : "";
      recorded.erase(recorded.begin());
      if (difference.empty()) difference = FirstDifference(recorded, now);
    } else if (found != table.end()) {
      difference = FirstDifference(found->second, now);
    }
    if (difference.empty() || ++failures > 10) continue;
    std::string outputs;
    const Row in_full = Compile(compiler, c.formula, c.listing, true);
    for (std::size_t i = 0; i < in_full.size(); ++i) {
      outputs.append("\n  ").append(kFields[i]).append(": ").append(in_full[i].substr(0, 300));
    }
    ADD_FAILURE() << c.id << ": " << difference << "\nformula (" << c.formula.size()
                  << " bytes): " << Escape(c.formula.substr(0, 300)) << "\noutputs now:" << outputs;
  }
  EXPECT_EQ(checked.size(), table.size()) << "recordings of cases that are gone";
  EXPECT_EQ(failures, 0) << "when the change of outputs is intended, run record_compilations "
                            "and review the difference";
}

TEST(RecordedCompilations, EveryCase) { ExpectAsRecorded("compilations.tsv.gz", false); }

TEST(RecordedCompilations, ReadableSubsetInFull) { ExpectAsRecorded("readable.tsv", true); }

}  // namespace
}  // namespace numerella::recorded
