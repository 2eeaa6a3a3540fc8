// SPDX-License-Identifier: GPL-3.0-or-later
// The number of allocations this program has made so far (operator new is replaced to count).
#pragma once

#include <cstdint>

namespace numerella::bench {
std::uint64_t Allocations();
}
