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
    std::vector<HitVector>& hitsOfBlock = arrays.lease.hitsOfBlock();
    std::vector<HitVector>& narrowedOfBlock = arrays.lease.narrowedOfBlock();
    for (std::size_t p = 0; p < parts; ++p) {
        const std::size_t b = blocks.size();
        if (b >= hitsOfBlock.size())
            hitsOfBlock.resize(b + 1);
        if (b >= narrowedOfBlock.size())
            narrowedOfBlock.resize(b + 1);
        Block& block = blocks.emplace_back();
        block.typingAhead = typingAhead;
        block.begin = begin + length * p / parts;
        block.end = begin + length * (p + 1) / parts;
        block.hits = std::move(b == 0 ? arrays.list.vector() : hitsOfBlock[b]);
        block.narrowed = std::move(narrowedOfBlock[b]);
        // A block can hit each record (or earlier hit) it reads.
        if (kReserveBlockRoom || typingAhead) {
            if (b > 0)
                block.hits.reserve(block.end - block.begin);
            block.narrowed.reserve(block.end - block.begin);
        }
    }
}

void ReturnBlocks(std::vector<Block>& blocks, ScanArrays& arrays) {
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        (b == 0 ? arrays.list.vector() : arrays.lease.hitsOfBlock()[b]) = std::move(blocks[b].hits);
        arrays.lease.narrowedOfBlock()[b] = std::move(blocks[b].narrowed);
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
