#include "platform/page_memory.h"

#include <sys/mman.h>

namespace kx {

void* AllocatePages(std::size_t bytes) {
    void* block =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void FreePages(void* block, std::size_t bytes) {
    if (block != nullptr)
        ::munmap(block, bytes);
}

}  // namespace kx
