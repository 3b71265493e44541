// SPDX-License-Identifier: GPL-3.0-or-later
// Running out of memory on purpose: while a limit is set, every single
// allocation larger than it throws std::bad_alloc, as new does when the
// system has no more. Small allocations go on, so the code that reports
// the failure can still run.
#pragma once

#include <cstddef>

namespace zelvo::testing {

class AllocationLimit {
public:
    explicit AllocationLimit(std::size_t largest);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;
};

}  // namespace zelvo::testing
