// SPDX-License-Identifier: GPL-3.0-or-later
// The one way a fuzz target reports a broken invariant: a message and an abort, which libFuzzer
// records as a finding with its input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace numerella::fuzz {

inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace numerella::fuzz
