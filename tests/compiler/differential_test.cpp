// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler against the previous one, side by side: the fuzz corpora and a generated set of
// formulas (declarations, errors of every kind, listing on and off, long texts) must compile
// to the same outputs, byte for byte.
#include "reference/differential.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "compiler/compiled_program.h"
#include "formula_sets.h"

namespace numerella {
namespace {

using reference::CompareCompilers;
using reference::DifferentialCount;

class DifferentialTest : public ::testing::Test {
 protected:
  void Compare(const std::string& formula, bool listing) {
    const std::string difference = CompareCompilers(product_, previous_, formula, listing, count_);
    if (!difference.empty() && ++failures_ <= 10) {
      ADD_FAILURE() << difference << "\nformula (" << formula.size()
                    << " bytes): " << formula.substr(0, 300) << "\nlisting: " << listing;
    }
  }
  void Report(const char* what) {
    EXPECT_EQ(failures_, 0);
    std::cout << what << ": " << count_.compared << " compilations compared in full, "
              << count_.beyond_limit << " past the working-text limit; " << count_.succeeded
              << " of the compared compilations succeeded\n";
  }

  Compiler product_;
  reference::Compiler previous_;
  DifferentialCount count_;
  int failures_ = 0;
};

TEST_F(DifferentialTest, RecordedCases) {
  for (const auto& c : recorded::RecordedCases(NUMERELLA_FUZZ_CORPUS))
    Compare(c.formula, c.listing);
  EXPECT_GT(count_.beyond_limit, 0);
  Report("recorded cases");
}

}  // namespace
}  // namespace numerella
