// The blocks a scan cuts the volumes into, a block per scan worker, and the arrays each
// writes its hits into, lent by the engine's arena and joined into the list in block order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/category_classifier.h"
#include "search/hit_arena.h"

namespace kx {

// Below this many records (or earlier hits) a volume is scanned in one block: starting a
// thread costs more than scanning it.
constexpr std::size_t kParallelAbove = 1u << 16;

// A scan reserves room for every hit it may find up front: room never written costs address
// space only, and no array grows (and is copied and faulted in again) while a letter finds
// millions of hits. A 32-bit process, short of address space, does so for the list's array
// alone (which the arena keeps for the next broad letter) and lets its block arrays grow.
constexpr bool kReserveBlockRoom = sizeof(void*) >= 8;

// One contiguous piece of a volume's scan: records [begin, end) or, typing ahead, the earlier
// hits at positions [begin, end) of the previous list. Its arrays are lent by the arena.
struct Block {
    bool typingAhead = false;
    std::size_t begin = 0;
    std::size_t end = 0;
    HitVector hits;
    HitVector narrowed;
    std::array<std::uint64_t, CategoryClassifier::kMaxCategories> counts{};
};

// The arrays of one scan: the list's own, which the first block writes straight into (so that
// its hits are never copied), and the arena's block arrays for the other blocks.
struct ScanArrays {
    HitArray list;
    HitArena::BlockLease lease;
};

// [begin, end) cut into a block per scan worker (one when it is small), each with its arrays.
void AddBlocks(std::vector<Block>& blocks, ScanArrays& arrays, bool typingAhead, std::size_t begin,
               std::size_t end);

// The blocks' arrays back where they came from, the list's holding the first block's hits.
void ReturnBlocks(std::vector<Block>& blocks, ScanArrays& arrays);

// The hits of the blocks after the first appended to the first's, which is the list's array, in
// block order, which is record order.
void JoinHits(std::vector<Block>& blocks);

// Every block's hits of the narrowed category in block order, in an array of the arena.
HitArray JoinNarrowed(const std::vector<Block>& blocks, HitArena& arena);

}  // namespace kx
