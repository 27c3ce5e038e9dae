// Turning a query into the published hit list: StartSearch on the UI thread, RunSearch on a
// detached worker per non-empty query, MatchVolumes as the scan itself.
#pragma once

#include <cstdint>
#include <string>

#include "index/search_engine.h"
#include "search/match_item.h"

namespace kx {

// What StartSearch hands its worker; the worker owns it.
struct SearchRequest {
    std::u16string query;
    std::uint64_t generation = 0;
};

// UI thread only. Draws a new generation; an empty query publishes an empty list and posts
// WM_SEARCH_DONE at once, any other starts a detached worker that scans SearchEngineInUse().
// When no thread can be started, nothing is published (the generation still moved on, so no
// older search publishes either). Returns false in that case.
bool StartSearch(const std::u16string& query);
bool StartSearch(SearchEngine& engine, const std::u16string& query);

// Body of the search worker: scan, then publish as CurrentResults and post WM_SEARCH_DONE if
// the request is still current.
void RunSearch(SearchEngine& engine, const SearchRequest& request);

// Every live record of every volume whose folded name contains the folded query, in volume
// order and then record order. Empty when the engine is not ready, on exit, or once the
// generation is no longer current.
ResultList MatchVolumes(const SearchEngine& engine, const std::u16string& query,
                        std::uint64_t generation);

}  // namespace kx
