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
    // The selected filter category when the search started (choosing a tag always starts a
    // search): the worker narrows the list to it, so the window never walks the hits.
    std::int32_t category = 0;
};

// What a scan may use beyond the query.
struct ScanOptions {
    // Also make the list narrowed to this category (0: none).
    std::int32_t category = 0;
    // The list shown now: when the new query extends its query, only its hits and the records
    // appended since its scan are looked at. Null for a scan of everything.
    const ResultList* previous = nullptr;
    // Count the hits of every category as they are found (the warm-up, which only writes the
    // arrays, does not).
    bool countCategories = true;
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
// order and then record order, with the hits counted per filter category. Empty when the
// engine is not ready, on exit, or once the generation is no longer current. Throws
// std::bad_alloc when memory runs out; nothing is kept then.
ResultList MatchVolumes(const SearchEngine& engine, const std::u16string& query,
                        std::uint64_t generation);
ResultList MatchVolumes(const SearchEngine& engine, const std::u16string& query,
                        std::uint64_t generation, const ScanOptions& options);

}  // namespace kx
