// SPDX-License-Identifier: GPL-3.0-or-later
// The replaced operator new and delete, in a file of their own so that no caller sees them
// inlined. The library's other forms (arrays, nothrow) call these.
#include "allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace numerella {
std::uint64_t Allocations() { return g_allocations.load(); }
}  // namespace numerella
