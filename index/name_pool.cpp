#include "index/name_pool.h"

#include <cstring>
#include <new>

namespace kx {

std::uint64_t NamePool::Room(std::uint64_t bytes, std::uint64_t alignment) {
    std::uint64_t at = (chunkUsed_ + alignment - 1) & ~(alignment - 1);
    if (chunks_.empty() || at + bytes > ChunkBytes()) {
        if (bytes > ChunkBytes() || (chunks_.size() + 1) << chunkShift_ > kOffsetLimit)
            throw std::bad_alloc();
        // Zeroed pages from the system: only the pages that names reach are ever touched, and
        // the slack past its end reads as zeros. Owned before the list grows, so that a failure
        // to grow it frees the chunk.
        ZeroedBlock chunk(static_cast<std::size_t>(ChunkBytes() + kReadSlack));
        chunks_.push_back(std::move(chunk));
        at = 0;
    }
    chunkUsed_ = at + bytes;
    return ((chunks_.size() - 1) << chunkShift_) + at;
}

NamePool::Stored NamePool::Append(const char16_t* name, std::uint16_t length) {
    char16_t any = 0;
    for (std::uint16_t i = 0; i < length; ++i)
        any |= name[i];
    Stored stored;
    stored.wide = any >= 0x80;
    if (stored.wide) {
        stored.offset = Room(2u * length, 2);
        std::memcpy(WritableAt(stored.offset), name, 2u * length);
    } else {
        stored.offset = Room(length, 1);
        auto* bytes = WritableAt(stored.offset);
        for (std::uint16_t i = 0; i < length; ++i)
            bytes[i] = static_cast<std::uint8_t>(name[i]);
    }
    return stored;
}

NamePool::Stored NamePool::AppendStored(const NameView& name) {
    const std::uint64_t bytes = name.wide ? 2u * name.length : name.length;
    Stored stored;
    stored.wide = name.wide;
    stored.offset = Room(bytes, name.wide ? 2 : 1);
    std::memcpy(WritableAt(stored.offset), name.bytes, bytes);
    return stored;
}

void NamePool::Clear() {
    chunks_.clear();
    chunkUsed_ = ChunkBytes();
}

std::uint64_t NamePool::BytesUsed() const {
    return chunks_.empty() ? 0 : ((chunks_.size() - 1) << chunkShift_) + chunkUsed_;
}

}  // namespace kx
