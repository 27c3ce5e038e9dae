// The store that owns every name of one volume. Names are packed into large chunks instead of
// one allocation per name, once each, in the smallest units that hold them: one byte a unit when
// every unit is below 0x80, else UTF-16. No folded copy is kept: the search folds while it
// compares, which costs a vector OR, and a name read once is half the bytes of one read twice.
// Names are found by a byte offset, which is what a record keeps (4 bytes and 5 bits, not an
// 8-byte pointer).
#pragma once

#include <cstdint>
#include <vector>

#include "index/name_view.h"
#include "index/zeroed_block.h"

namespace kx {

class NamePool {
  public:
    static constexpr unsigned kDefaultChunkShift = 24;  // 16 MiB chunks
    // Zero bytes allocated past the end of every chunk and never written: what a NameView
    // promises may be read past a name's end.
    static constexpr std::uint64_t kReadSlack = NameView::kReadablePastEnd;
    // Offsets have 37 bits.
    static constexpr std::uint64_t kOffsetLimit = std::uint64_t{1} << 37;

    // Small chunks let tests put names at a chunk's very end; a chunk must hold the longest
    // name stored.
    explicit NamePool(unsigned chunkShift = kDefaultChunkShift) : chunkShift_(chunkShift) {}
    NamePool(NamePool&&) = default;
    NamePool& operator=(NamePool&&) = default;

    struct Stored {
        std::uint64_t offset = 0;
        bool wide = false;
    };
    // Stores name[0, length), 8-bit when it can be, never across two chunks. Throws bad_alloc
    // when no chunk can be had. Callers hold the volume's lock exclusively, or own a pool no
    // other thread can see.
    Stored Append(const char16_t* name, std::uint16_t length);
    // Stores a name already in its stored form (compaction's copy).
    Stored AppendStored(const NameView& name);

    NameView View(std::uint64_t offset, std::uint16_t length, bool wide) const {
        return NameView{At(offset), length, wide};
    }
    const std::uint8_t* At(std::uint64_t offset) const {
        return static_cast<const std::uint8_t*>(chunks_[offset >> chunkShift_].get()) +
               (offset & ChunkMask());
    }

    // Frees every chunk; the next name opens a new one.
    void Clear();

    unsigned ChunkShift() const { return chunkShift_; }
    std::uint64_t ChunkBytes() const { return std::uint64_t{1} << chunkShift_; }
    std::size_t ChunkCount() const { return chunks_.size(); }
    // Bytes that names (and the padding before wide ones) take, in chunks that are full or in
    // use; what a chunk never reaches is address space only.
    std::uint64_t BytesUsed() const;

  private:
    std::uint64_t ChunkMask() const { return ChunkBytes() - 1; }
    std::uint8_t* WritableAt(std::uint64_t offset) {
        return static_cast<std::uint8_t*>(chunks_[offset >> chunkShift_].get()) +
               (offset & ChunkMask());
    }
    // `bytes` of room at an offset that is a multiple of `alignment`, opening a chunk if the
    // current one cannot hold them. Returns the offset.
    std::uint64_t Room(std::uint64_t bytes, std::uint64_t alignment);

    std::vector<ZeroedBlock> chunks_;
    unsigned chunkShift_;
    // Equal to the chunk size while empty, so that the first name always opens a chunk.
    std::uint64_t chunkUsed_ = std::uint64_t{1} << chunkShift_;
};

}  // namespace kx
