#include "Allocations.h"

#include <cstdlib>
#include <new>

namespace tessaline::testing {
namespace {
LONG g_live = 0;
LONG g_refused = 0;
}  // namespace

LONG LiveAllocations() { return InterlockedCompareExchange(&g_live, 0, 0); }
RefusedAllocations::RefusedAllocations() { InterlockedExchange(&g_refused, 1); }
RefusedAllocations::~RefusedAllocations() { InterlockedExchange(&g_refused, 0); }

}  // namespace tessaline::testing

void* operator new(std::size_t size) {
    using namespace tessaline::testing;
    void* p = InterlockedCompareExchange(&g_refused, 0, 0) != 0 ? nullptr : std::malloc(size != 0 ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    InterlockedIncrement(&g_live);
    return p;
}

void operator delete(void* p) noexcept {
    if (p == nullptr)
        return;
    InterlockedDecrement(&tessaline::testing::g_live);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
