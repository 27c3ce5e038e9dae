#include "index/name_pool.h"

#include <new>

#include "common/allocation_failure.h"
#include "common/ascii_fold.h"

namespace kx {

const char16_t* NamePool::Append(const char16_t* name, std::uint16_t length) {
    const std::uint64_t need = 2 * static_cast<std::uint64_t>(length) + 2;
    if (chunkUsed + need > chunkCapacity) {
        // calloc: a fresh chunk comes from the kernel already zeroed, so only the pages that
        // names actually reach are ever touched.
        const std::uint64_t units = chunkCapacity + kReadSlack;
        auto* chunk = LargeAllocationShouldFail(units * sizeof(char16_t))
                          ? nullptr
                          : static_cast<char16_t*>(std::calloc(units, sizeof(char16_t)));
        if (chunk == nullptr)
            throw std::bad_alloc();
        // Owned before the list grows, so that a failure to grow it frees the chunk.
        std::unique_ptr<char16_t[], FreeChunk> owned(chunk);
        chunks.push_back(std::move(owned));
        chunkUsed = 0;
    }
    char16_t* dst = chunks.back().get() + chunkUsed;
    char16_t* folded = dst + length + 1;
    for (std::uint16_t i = 0; i < length; ++i) {
        const char16_t c = name[i];
        dst[i] = c;
        folded[i] = FoldAscii(c);
    }
    dst[length] = 0;
    folded[length] = 0;
    chunkUsed += need;
    return dst;
}

void NamePool::Clear() {
    chunks.clear();
    chunkUsed = chunkCapacity;
}

}  // namespace kx
