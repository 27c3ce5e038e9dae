#include <windows.h>

#include "platform/page_memory.h"

namespace kx {

void* AllocatePages(std::size_t bytes) {
    return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreePages(void* block, std::size_t) {
    if (block != nullptr)
        ::VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace kx
