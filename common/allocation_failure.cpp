#include "common/allocation_failure.h"

#include <atomic>

namespace kx {

namespace {

// Large allocations still to come before the one that fails, counting it; 0 when disarmed.
std::atomic<std::uint64_t> largeAllocationsUntilFailure{0};

}  // namespace

void FailNthLargeAllocation(std::uint64_t n) {
    largeAllocationsUntilFailure.store(n);
}

bool LargeAllocationFailureArmed() {
    return largeAllocationsUntilFailure.load() != 0;
}

bool LargeAllocationShouldFail(std::size_t bytes) {
    if (bytes < kLargeAllocationBytes)
        return false;
    std::uint64_t remaining = largeAllocationsUntilFailure.load(std::memory_order_relaxed);
    // Several threads allocate at once: exactly one of them takes the count from 1 to 0.
    while (remaining != 0) {
        if (largeAllocationsUntilFailure.compare_exchange_weak(remaining, remaining - 1))
            return remaining == 1;
    }
    return false;
}

}  // namespace kx
