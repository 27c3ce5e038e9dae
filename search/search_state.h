// Process-wide search state shared by the window and the search and sort workers.
//
// Locks: ResultsLock and VisibleLock are never held together. VisibleLock may be held while a
// volume's `lock` is taken shared, never the reverse. A worker never holds ResultsLock while it
// takes a volume's lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "common/process_state.h"
#include "index/search_engine.h"
#include "platform/window_post.h"
#include "search/match_item.h"

namespace kx {

// The unfiltered result of the last search or sort that completed while current; null until
// the first one completes.
extern SharedResults CurrentResults;
extern std::mutex ResultsLock;

// CurrentResults narrowed to VisibleCategory; null means it must be rebuilt. Used on the UI
// thread only; its items are rewritten only under VisibleLock.
extern SharedResults VisibleResults;
extern std::int32_t VisibleCategory;
extern std::mutex VisibleLock;

// Rows of the visible list: written when VisibleResults is rebuilt and by the window when a
// new result list arrives, read by the list view.
extern std::atomic<std::int64_t> DisplayedCount;

// Column of the last sort request (1 to 5), -1 for none. Atomic because the UI thread reads
// it for the header arrow while a search worker resets it; written under ResultsLock, so a
// worker's "still current, reset the arrow" cannot interleave with a header click.
extern std::atomic<std::int32_t> SortColumn;
// Direction of the last sort request; a new search leaves it alone.
extern std::atomic<bool> SortAscending;

// Where the workers post their messages; set by the UI once the main window exists.
extern std::atomic<WindowHandle> MainWindow;

// Search and sort threads started and not yet ended. The workers are detached and never
// joined; tests wait for this to reach 0 before they tear down the volumes a worker may read.
extern std::atomic<int> WorkerThreadsRunning;

// The engine StartSearch scans: TheSearchEngine() unless a test chose another.
SearchEngine& SearchEngineInUse();
// Test hook: null restores TheSearchEngine().
void UseSearchEngineForTesting(SearchEngine* engine);

// True while work started for `generation` is still wanted: no newer search or header click
// and no exit since.
inline bool StillWanted(std::uint64_t generation) {
    return SearchGeneration.load() == generation && !ExitRequested.load();
}

// A reference to CurrentResults taken under ResultsLock (null before the first search).
SharedResults TakeCurrentResults();

}  // namespace kx
