// The global operator new and delete of the test builds (the unit tests, kxquery and the
// simulator build of the window), which honour the allocation-failure switch. Never part of
// the product. Backed by malloc and free, so that under the sanitizers, which intercept
// those, every allocation is still checked and pairs up with its release.
//
// KX_FAIL_LARGE_ALLOCATION=n in the environment arms the switch at start-up, so that a test
// can make a whole program meet an allocation failure at each point in turn.
#include <cstdlib>
#include <new>

#include "common/allocation_failure.h"

namespace {

void* Allocate(std::size_t bytes) noexcept {
    if (kx::LargeAllocationShouldFail(bytes))
        return nullptr;
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void* AllocateOrThrow(std::size_t bytes) {
    void* block = Allocate(bytes);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

struct ArmFromEnvironment {
    ArmFromEnvironment() {
        if (const char* n = std::getenv("KX_FAIL_LARGE_ALLOCATION"))
            kx::FailNthLargeAllocation(std::strtoull(n, nullptr, 10));
    }
} armFromEnvironment;

}  // namespace

void* operator new(std::size_t bytes) {
    return AllocateOrThrow(bytes);
}
void* operator new[](std::size_t bytes) {
    return AllocateOrThrow(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return Allocate(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    return Allocate(bytes);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
