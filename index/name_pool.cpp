#include "index/name_pool.h"

#include <new>

#include "common/ascii_fold.h"

namespace kx {

const char16_t* NamePool::Append(const char16_t* name, std::uint16_t length) {
    const std::uint64_t need = 2 * static_cast<std::uint64_t>(length) + 2;
    if (chunkUsed + need > chunkCapacity) {
        // calloc: a fresh chunk comes from the kernel already zeroed, so only the pages that
        // names actually reach are ever touched.
        auto* chunk =
            static_cast<char16_t*>(std::calloc(chunkCapacity + kReadSlack, sizeof(char16_t)));
        if (chunk == nullptr)
            throw std::bad_alloc();
        chunks.emplace_back(chunk);
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
