// Turning a query into the published hit list: StartSearch on the UI thread, RunSearch on a
// detached worker per non-empty query, MatchVolumes (match_volumes.h) as the scan itself.
#pragma once

#include <cstdint>
#include <string>

#include "index/search_engine.h"
#include "search/match_volumes.h"

namespace kx {

// UI thread only. Draws a new generation; an empty query publishes an empty list and posts
// WM_SEARCH_DONE at once, any other starts a detached worker that scans SearchEngineInUse().
// When no thread can be started, nothing is published (the generation still moved on, so no
// older search publishes either). Returns false in that case.
bool StartSearch(const std::u16string& query);
bool StartSearch(SearchEngine& engine, const std::u16string& query);

// Body of the search worker: scan, then publish as CurrentResults and post WM_SEARCH_DONE if
// the request is still current.
void RunSearch(SearchEngine& engine, const ScanRequest& request);

}  // namespace kx
