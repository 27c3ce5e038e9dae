// An owned block of zeroed pages from the system (platform/page_memory.h), for the large arrays
// of a table. Allocating it honours the test builds' allocation-failure switch.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

#include "common/allocation_failure.h"
#include "platform/page_memory.h"

namespace kx {

class ZeroedBlock {
  public:
    ZeroedBlock() = default;
    // Throws std::bad_alloc when the system has no such block.
    explicit ZeroedBlock(std::size_t bytes) : bytes_(bytes) {
        block_ = LargeAllocationShouldFail(bytes) ? nullptr : AllocatePages(bytes);
        if (block_ == nullptr)
            throw std::bad_alloc();
    }
    ZeroedBlock(ZeroedBlock&& other) noexcept
        : block_(std::exchange(other.block_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}
    ZeroedBlock& operator=(ZeroedBlock&& other) noexcept {
        if (this != &other) {
            FreePages(block_, bytes_);
            block_ = std::exchange(other.block_, nullptr);
            bytes_ = std::exchange(other.bytes_, 0);
        }
        return *this;
    }
    ZeroedBlock(const ZeroedBlock&) = delete;
    ZeroedBlock& operator=(const ZeroedBlock&) = delete;
    ~ZeroedBlock() { FreePages(block_, bytes_); }

    void* get() const { return block_; }

  private:
    void* block_ = nullptr;
    std::size_t bytes_ = 0;
};

}  // namespace kx
