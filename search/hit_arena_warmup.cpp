#include "search/hit_arena_warmup.h"

#include <chrono>
#include <cstdint>
#include <new>
#include <thread>
#include <vector>

#include "common/process_state.h"
#include "search/hit_arena.h"
#include "search/match_volumes.h"
#include "search/search_state.h"
#include "search/worker_thread.h"

namespace kx {

std::size_t WarmHitArena(const SearchEngine& engine) {
    try {
        ScanRequest request;
        request.generation = SearchGeneration.load();
        request.countCategories = false;
        const std::size_t hits = MatchVolumes(engine, request).size();
        // The key array of the first sort, which would otherwise fault in 16 bytes a hit.
        if (SearchGeneration.load() == request.generation) {
            HitArena& arena = *HitArenaOf(engine);
            std::vector<SortEntry> entries = arena.TakeSortEntries();
            entries.resize(hits);
            arena.GiveBackSortEntries(std::move(entries));
        }
        return hits;
    } catch (const std::bad_alloc&) {
        // Only the head start is lost: the first keystroke allocates as it would have.
        return 0;
    }
}

namespace {

// A user who types as soon as the index is ready overtakes the warm-up, and the first broad
// letter after that would fault its arrays in after all (at ten million names, 20,000 faults
// and 300 ms more under Wine). So an overtaken warm-up runs again once typing pauses; a search
// still scanning then only makes it wait for the scan's arrays.
constexpr int kMostWarmups = 16;
constexpr auto kPause = std::chrono::milliseconds(300);

void WarmUntilDone(const SearchEngine& engine) {
    for (int attempt = 0; attempt < kMostWarmups; ++attempt) {
        const std::uint64_t generation = SearchGeneration.load();
        WarmHitArena(engine);
        if (SearchGeneration.load() == generation)
            return;
        for (std::uint64_t seen = ~generation; seen != SearchGeneration.load();) {
            if (ExitRequested.load())
                return;
            seen = SearchGeneration.load();
            std::this_thread::sleep_for(kPause);
        }
    }
}

}  // namespace

void StartHitArenaWarmup(const SearchEngine& engine) {
    StartCountedWorker([&engine] { WarmUntilDone(engine); });
}

void RestHitArena(const SearchEngine& engine) {
    HitArenaOf(engine)->SetResting(true);
}

void WakeHitArena(const SearchEngine& engine) {
    HitArenaOf(engine)->SetResting(false);
    if (engine.ready.load())
        StartHitArenaWarmup(engine);
}

}  // namespace kx
