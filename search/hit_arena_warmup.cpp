#include "search/hit_arena_warmup.h"

#include <exception>
#include <new>
#include <thread>

#include "common/process_state.h"
#include "search/search_run.h"
#include "search/search_state.h"

namespace kx {

std::size_t WarmHitArena(const SearchEngine& engine) {
    try {
        ScanOptions options;
        options.countCategories = false;
        return MatchVolumes(engine, std::u16string(), SearchGeneration.load(), options).size();
    } catch (const std::bad_alloc&) {
        // Only the head start is lost: the first keystroke allocates as it would have.
        return 0;
    }
}

void StartHitArenaWarmup(const SearchEngine& engine) {
    if (sizeof(void*) < 8)
        return;
    // Counted before the start, so that a waiter never sees 0 while it is starting.
    WorkerThreadsRunning.fetch_add(1);
    try {
        std::thread([&engine] {
            WarmHitArena(engine);
            WorkerThreadsRunning.fetch_sub(1);
        }).detach();
    } catch (const std::exception&) {
        WorkerThreadsRunning.fetch_sub(1);  // no thread to be had, or no memory for one
    }
}

}  // namespace kx
