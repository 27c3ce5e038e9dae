// The scan behind every keystroke: every record of every volume, each volume split into blocks
// that every core scans at once, or, when the new query extends the one before, only that
// query's hits and what was appended since.
#pragma once

#include <cstdint>
#include <string>

#include "index/search_engine.h"
#include "search/match_item.h"

namespace kx {

// One scan's parameters. StartSearch fills one for its worker, which owns it.
struct ScanRequest {
    std::u16string query;
    std::uint64_t generation = 0;
    // Also make the list narrowed to this category: the filter category selected when the
    // search started (choosing a tag always starts a search), so that the window never walks
    // the hits. 0, or a category past the end of the list the scan classifies against: none.
    std::int32_t category = 0;
    // The list shown now: when the new query extends its query, only its hits and the records
    // appended since its scan are looked at. Null for a scan of everything.
    const ResultList* previous = nullptr;
    // Count the hits of every category as they are found (the warm-up, which only writes the
    // arrays, does not).
    bool countCategories = true;
};

// Every live record of every volume whose folded name contains the folded query, in volume
// order and then record order, with the hits counted per filter category. Empty when the
// engine is not ready, on exit, or once the generation is no longer current. Throws
// std::bad_alloc when memory runs out; nothing is kept then.
ResultList MatchVolumes(const SearchEngine& engine, const ScanRequest& request);

}  // namespace kx
