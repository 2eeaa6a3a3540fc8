// SPDX-License-Identifier: GPL-3.0-or-later
// The number of allocations a program has made so far. Linking allocation_count.cpp replaces
// the global operator new and delete with ones that count, so a test or a benchmark can show
// that a piece of work allocates nothing.
#pragma once

#include <cstdint>

namespace numerella {
std::uint64_t Allocations();
}
