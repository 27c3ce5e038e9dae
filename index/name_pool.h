// The store that owns every name of one volume. Names are packed into large chunks instead of
// one allocation per name, and each is stored twice, as reported and ASCII-folded, so that a
// search compares against ready-folded text without folding the table per query.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace kx {

struct FreeChunk {
    void operator()(char16_t* chunk) const { std::free(chunk); }
};

class NamePool {
  public:
    static constexpr std::uint64_t kChunkCapacity = 16777216;  // code units, 32 MiB
    // Zero code units allocated past the capacity of every chunk and never written, so that
    // the search may compare a name a vector at a time and read up to this far past its end.
    static constexpr std::uint64_t kReadSlack = 16;

    NamePool() = default;
    NamePool(NamePool&&) = default;
    NamePool& operator=(NamePool&&) = default;

    // Stores name[0, length) followed by 0, its folded copy and 0, never across two chunks.
    // Returns the stored name; the folded copy starts length + 1 code units after it.
    // Callers hold the volume's lock exclusively, or own a pool no other thread can see.
    const char16_t* Append(const char16_t* name, std::uint16_t length);

    // Frees every chunk; the next name opens a new one.
    void Clear();

    std::size_t ChunkCount() const { return chunks.size(); }
    std::uint64_t BytesReserved() const { return chunks.size() * chunkCapacity * 2; }

    std::vector<std::unique_ptr<char16_t[], FreeChunk>> chunks;
    std::uint64_t chunkCapacity = kChunkCapacity;
    // Equal to the capacity while empty, so that the first name always opens a chunk.
    std::uint64_t chunkUsed = kChunkCapacity;
};

}  // namespace kx
