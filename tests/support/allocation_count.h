// SPDX-License-Identifier: GPL-3.0-or-later
// The number of allocations the program has made so far: linking allocation_count.cpp
// replaces the global operator new with one that counts, so that a test or a benchmark can
// show that a piece of work allocates nothing.
#pragma once

#include <cstdint>

namespace numerella {
std::uint64_t Allocations();
}
