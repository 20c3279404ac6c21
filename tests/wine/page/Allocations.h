// This program's operator new, counted and able to fail: out of memory on demand, and a
// count that shows what an unload frees.
#pragma once

#include <windows.h>

namespace tessaline::testing {

LONG LiveAllocations();

// While refused, every operator new throws std::bad_alloc.
class RefusedAllocations {
public:
    RefusedAllocations();
    ~RefusedAllocations();
    RefusedAllocations(const RefusedAllocations&) = delete;
    RefusedAllocations& operator=(const RefusedAllocations&) = delete;
};

}  // namespace tessaline::testing
