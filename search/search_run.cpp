#include "search/search_run.h"

#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "common/messages.h"
#include "common/process_state.h"
#include "search/hit_arena.h"
#include "search/search_sources.h"
#include "search/search_state.h"
#include "search/worker_thread.h"

namespace kx {

namespace {

// Thread entry. An allocation failure ends this search like an overtaken
// one, publishing nothing, instead of terminating the process from a detached thread; the
// hit arrays kept for later searches are given back, since memory is what is short.
void SearchThread(SearchEngine& engine, const ScanRequest& request) {
    try {
        RunSearch(engine, request);
    } catch (const std::bad_alloc&) {
        OutOfMemoryFailures.fetch_add(1);
        HitArenaOf(engine)->LetGo();
    }
}

}  // namespace

bool StartSearch(const std::u16string& query) {
    return StartSearch(SearchEngineInUse(), query);
}

bool StartSearch(SearchEngine& engine, const std::u16string& query) {
    const std::uint64_t generation = SearchGeneration.fetch_add(1) + 1;
    if (query.empty()) {
        SharedResults previous;
        std::lock_guard<std::mutex> guard(ResultsLock);
        previous = std::move(CurrentResults);
        CurrentResults = std::make_shared<ResultList>();
        SortColumn.store(-1);
        PostToWindow(MainWindow.load(), WM_SEARCH_DONE, generation, 0);
        return true;
    }
    ScanRequest request;
    request.query = query;
    request.generation = generation;
    // Clamped by the scan, against the category list it classifies with.
    request.category = Sources().selectedCategory();
    return StartCountedWorker(
        [&engine, request = std::move(request)] { SearchThread(engine, request); });
}

void RunSearch(SearchEngine& engine, const ScanRequest& request) {
    SharedResults published;
    {
        // The list shown now, for typing ahead; held only while scanning.
        const SharedResults shown = TakeCurrentResults();
        ScanRequest scan = request;
        scan.previous = shown.get();
        published = std::make_shared<ResultList>(MatchVolumes(engine, scan));
    }
    SharedResults previous;
    {
        std::lock_guard<std::mutex> guard(ResultsLock);
        // Checked under the lock, so no list is published after a newer search or sort
        // published its own.
        if (SearchGeneration.load() != request.generation || ExitRequested.load())
            return;
        previous = std::move(CurrentResults);
        CurrentResults = std::move(published);
        SortColumn.store(-1);
    }
    PostToWindow(MainWindow.load(), WM_SEARCH_DONE, request.generation, 0);
    // The old list, possibly millions of hits, is freed here outside ResultsLock (unless
    // someone else still holds it).
}

}  // namespace kx
