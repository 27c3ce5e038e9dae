// A switch that makes one chosen large allocation fail, so that tests can drive every path
// that meets an allocation failure (a build, a journal batch, a search, a sort, kxquery)
// without having to exhaust the machine's memory. Off unless armed; costs one relaxed atomic
// load per large allocation when off.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

// Only allocations at least this large count: they are the ones that fail first when memory
// runs short (tables, hit arrays, name chunks), and small ones stay reliable for the test
// framework itself.
constexpr std::size_t kLargeAllocationBytes = 65536;

// The n-th large allocation from now fails, once; every other succeeds. 0 disarms.
void FailNthLargeAllocation(std::uint64_t n);

// True while the armed failure has not happened yet.
bool LargeAllocationFailureArmed();

// Asked by every allocator that honours the switch (the name pool's chunks, and the test
// builds' replacement operator new) before it allocates `bytes`.
bool LargeAllocationShouldFail(std::size_t bytes);

}  // namespace kx
