// SPDX-License-Identifier: GPL-3.0-or-later
#include "allocation_limit.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace zelvo::testing {
namespace {

// Read by the replaced operator new of the whole test program.
std::atomic<std::size_t> largestAllowed{0};  // 0: no limit

}  // namespace

AllocationLimit::AllocationLimit(std::size_t largest) { largestAllowed = largest; }
AllocationLimit::~AllocationLimit() { largestAllowed = 0; }

}  // namespace zelvo::testing

void* operator new(std::size_t size) {
    const std::size_t limit = zelvo::testing::largestAllowed;
    if (limit != 0 && size > limit) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
