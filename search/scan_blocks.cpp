#include "search/scan_blocks.h"

#include "search/match_item.h"
#include "search/parallel_blocks.h"

namespace kx {

void AddBlocks(std::vector<Block>& blocks, ScanArrays& arrays, bool typingAhead, std::size_t begin,
               std::size_t end) {
    if (begin >= end)
        return;
    const std::size_t length = end - begin;
    const std::size_t parts = length >= kParallelAbove ? WorkerCount() : 1;
    std::vector<HitVector>& kept = arrays.lease.hits();
    std::vector<HitVector>& keptNarrowed = arrays.lease.narrowed();
    for (std::size_t p = 0; p < parts; ++p) {
        const std::size_t b = blocks.size();
        if (b >= keptNarrowed.size())
            keptNarrowed.resize(b + 1);
        if (b > 0 && b - 1 >= kept.size())
            kept.resize(b);
        Block& block = blocks.emplace_back();
        block.typingAhead = typingAhead;
        block.begin = begin + length * p / parts;
        block.end = begin + length * (p + 1) / parts;
        block.narrowed = std::move(keptNarrowed[b]);
        if (b == 0)
            block.hits = std::move(arrays.list.vector());
        else
            block.hits = std::move(kept[b - 1]);
        // A block can hit each record (or earlier hit) it reads.
        if (kReserveRoom || typingAhead) {
            if (b > 0)
                block.hits.reserve(block.end - block.begin);
            block.narrowed.reserve(block.end - block.begin);
        }
    }
}

void ReturnBlocks(std::vector<Block>& blocks, ScanArrays& arrays) {
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (b == 0)
            arrays.list.vector() = std::move(blocks[b].hits);
        else
            arrays.lease.hits()[b - 1] = std::move(blocks[b].hits);
        arrays.lease.narrowed()[b] = std::move(blocks[b].narrowed);
    }
}

void JoinHits(std::vector<Block>& blocks) {
    if (blocks.empty())
        return;
    HitVector& list = blocks.front().hits;
    std::size_t total = 0;
    for (const Block& block : blocks)
        total += block.hits.size();
    list.reserve(total);
    for (std::size_t b = 1; b < blocks.size(); ++b)
        list.insert(list.end(), blocks[b].hits.begin(), blocks[b].hits.end());
}

HitArray JoinNarrowed(const std::vector<Block>& blocks, HitArena& arena) {
    std::size_t total = 0;
    for (const Block& block : blocks)
        total += block.narrowed.size();
    HitArray narrowed = arena.TakeList(total);
    for (const Block& block : blocks)
        narrowed.vector().insert(narrowed.vector().end(), block.narrowed.begin(),
                                 block.narrowed.end());
    return narrowed;
}

}  // namespace kx
