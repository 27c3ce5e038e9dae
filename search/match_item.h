// One hit of a search and the shared list of hits in hit order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "index/volume_index.h"

namespace kx {

// A hit names its record by position, which a compaction or rebuild of the volume renumbers.
// It therefore also remembers the record's frn and the volume's renumberGeneration at the time
// of the search, so that every later read can tell whether the position still names this file
// and, if not, find the file again by frn (see hit_record.h).
struct MatchItem {
    VolumeIndex* volume = nullptr;  // owned by the SearchEngine for the life of the process
    std::uint64_t recordIndex = 0;
    bool detailsLoaded = false;
    std::u16string fullPath;
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME
    std::uint64_t creationTime = 0;   // FILETIME
    std::u16string sizeText;
    std::u16string modifiedText;
    std::u16string createdText;
    std::uint8_t filledMask = 0;

    std::uint64_t frn = 0;
    std::uint64_t renumberGeneration = 0;
};

// Filled completely before it is published and never changed afterwards, except the items of
// VisibleResults, which the list view rewrites under VisibleLock.
struct ResultList {
    std::vector<MatchItem> items;
};

// Shared among the window, the workers and the visible-list cache; the last holder frees it.
using SharedResults = std::shared_ptr<ResultList>;

}  // namespace kx
