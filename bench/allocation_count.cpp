// SPDX-License-Identifier: GPL-3.0-or-later
// Replaces the global operator new and delete with ones that count every allocation. Kept in
// a file of its own, so that no caller sees the replacement inlined.
#include "allocation_count.h"

#include <cstdlib>
#include <new>

namespace {
std::uint64_t g_allocations = 0;
}

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace numerella::bench {
std::uint64_t Allocations() { return g_allocations; }
}  // namespace numerella::bench
