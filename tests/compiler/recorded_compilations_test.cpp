// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler against its recorded outputs (recordings/): every case as a digest, the
// readable subset in full after its formula.
#include <gtest/gtest.h>

#include "compilation_record.h"

namespace numerella::recorded {
namespace {

void ExpectAsRecorded(const std::string& file, bool full) {
  const Table table = ReadTable(std::string(NUMERELLA_RECORDINGS) + "/" + file);
  ASSERT_FALSE(table.empty()) << "cannot read " << file;
  const auto rows = RecordedRows(full);
  int failures = 0;
  for (const auto& [id, row] : rows) {
    const auto found = table.find(id);
    const std::string difference =
        found == table.end() ? "no recording" : FirstDifference(found->second, row);
    if (!difference.empty() && ++failures <= 10) ADD_FAILURE() << id << ": " << difference;
  }
  EXPECT_EQ(rows.size(), table.size()) << "recordings of cases that are gone";
  EXPECT_EQ(failures, 0) << "when the change of outputs is intended, run record_compilations "
                            "and review the difference";
}

TEST(RecordedCompilations, EveryCase) { ExpectAsRecorded("compilations.tsv.gz", false); }

TEST(RecordedCompilations, ReadableSubsetInFull) { ExpectAsRecorded("readable.tsv", true); }

}  // namespace
}  // namespace numerella::recorded
