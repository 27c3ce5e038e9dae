#include "search/sort_detail_loader.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "common/process_state.h"
#include "search/details.h"
#include "search/parallel_blocks.h"
#include "search/search_state.h"

namespace kx {

namespace {

constexpr std::size_t kLoadChunk = 256;

enum ChunkState : std::uint8_t { kUnclaimed, kClaimed, kLoaded };

}  // namespace

ParallelDetailLoader::ParallelDetailLoader(const ResultList& list,
                                           const std::vector<HitDetails*>& slots,
                                           std::uint64_t generation)
    : list_(list),
      slots_(slots),
      generation_(generation),
      states_((slots.size() + kLoadChunk - 1) / kLoadChunk) {
    for (auto& state : states_)
        state.store(kUnclaimed, std::memory_order_relaxed);
}

ParallelDetailLoader::~ParallelDetailLoader() {
    stop_.store(true);
    for (std::thread& helper : helpers_)
        helper.join();
}

void ParallelDetailLoader::StartHelpers() {
    const std::size_t wanted = std::min(WorkerCount(), states_.size());
    try {
        for (std::size_t i = 1; i < wanted; ++i)
            helpers_.emplace_back([this] { HelperLoop(); });
    } catch (const std::system_error&) {
        // Fewer helpers; the sort thread loads what they do not.
    } catch (const std::bad_alloc&) {
    }
}

bool ParallelDetailLoader::EnsureLoaded(std::size_t i) {
    const std::size_t chunk = i / kLoadChunk;
    if (i % kLoadChunk == 0 && Claim(chunk))
        LoadChunk(chunk);
    while (states_[chunk].load(std::memory_order_acquire) != kLoaded) {
        if (!StillWanted(generation_) || failed_.load())
            return false;
        std::this_thread::yield();
    }
    return StillWanted(generation_) && !failed_.load();
}

bool ParallelDetailLoader::Claim(std::size_t chunk) {
    std::uint8_t expected = kUnclaimed;
    return states_[chunk].compare_exchange_strong(expected, kClaimed);
}

void ParallelDetailLoader::LoadChunk(std::size_t chunk) {
    const std::size_t end = std::min(slots_.size(), (chunk + 1) * kLoadChunk);
    try {
        for (std::size_t i = chunk * kLoadChunk; i < end; ++i) {
            if (!StillWanted(generation_) || stop_.load(std::memory_order_relaxed))
                return;  // left claimed: the sort is over
            LoadDetails(list_.Hit(i), *slots_[i]);
        }
    } catch (const std::bad_alloc&) {
        failed_.store(true);
        return;
    }
    states_[chunk].store(kLoaded, std::memory_order_release);
}

void ParallelDetailLoader::HelperLoop() {
    for (;;) {
        const std::size_t chunk = cursor_.fetch_add(1);
        if (chunk >= states_.size() || stop_.load() || !StillWanted(generation_))
            return;
        if (Claim(chunk))
            LoadChunk(chunk);
    }
}

}  // namespace kx
