#include "search/hit_pool_warmup.h"

#include <algorithm>
#include <exception>
#include <new>
#include <shared_mutex>
#include <thread>

#include "common/process_state.h"
#include "index/volume_index.h"
#include "search/hit_buffer_pool.h"
#include "search/match_item.h"
#include "search/parallel_blocks.h"

namespace kx {

namespace {

// Written a step at a time, so that a closing program is not held up by it.
constexpr std::size_t kItemsPerStep = std::size_t{1} << 18;

// False when the program began closing part-way.
bool Write(HitVector& hits, std::size_t items) {
    hits.reserve(items);
    while (hits.size() < items) {
        if (ExitRequested.load(std::memory_order_relaxed))
            return false;
        hits.resize(std::min(items, hits.size() + kItemsPerStep));
    }
    return true;
}

}  // namespace

std::size_t WarmHitPool(std::size_t records, std::size_t workers) {
    if (records == 0 || workers == 0)
        return 0;
    std::size_t pooled = 0;
    try {
        // With the room a table keeps for the journal's appends: an array one record short of
        // a whole scan would be passed over.
        const std::size_t perBlock = RecordRoomFor(records / workers + 1);
        for (std::size_t k = 0; k < workers; ++k) {
            const std::size_t items = k == 0 ? RecordRoomFor(records) : perBlock;
            if (HitPoolBytes() + items * sizeof(MatchItem) > HitPoolKeepsBytes())
                break;
            HitVector hits;
            const bool written = Write(hits, items);
            pooled += hits.size() * sizeof(MatchItem);
            ReturnHitVector(std::move(hits));
            if (!written)
                break;
        }
    } catch (const std::bad_alloc&) {
        // Only the head start is lost: the first keystroke allocates as it would have.
    }
    return pooled;
}

std::size_t ReadyRecordCount(const SearchEngine& engine) {
    // The volume list is complete and unchanging once the engine is ready.
    if (!engine.ready.load())
        return 0;
    std::size_t records = 0;
    for (const auto& volume : engine.volumes) {
        std::shared_lock<SrwLock> hold(volume->lock);
        records += volume->table.Size();
    }
    return records;
}

void StartHitPoolWarmup(const SearchEngine& engine) {
    if (sizeof(void*) < 8)
        return;
    const std::size_t records = ReadyRecordCount(engine);
    if (records == 0)
        return;
    try {
        std::thread(WarmHitPool, records, WorkerCount()).detach();
    } catch (const std::exception&) {
        // No thread to be had, or no memory for one.
    }
}

}  // namespace kx
