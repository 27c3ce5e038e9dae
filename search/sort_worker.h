// Re-sorting the current hits by a column on a worker thread, started by a click on a column
// title.
#pragma once

#include <cstdint>

namespace kx {

// What the header click hands the sort thread; the thread owns it.
struct SortRequest {
    std::uint64_t generation = 0;  // SearchGeneration after the click incremented it
    std::int32_t column = 0;       // 1 to 5
    std::int32_t category = 0;     // selected at the click; the sorted list is narrowed to it
};

// UI thread, for a click on the title of column (0 to 5). Column 0 and unknown columns do
// nothing. Otherwise the same column again flips SortAscending, another column becomes
// SortColumn ascending; a new generation is drawn and a detached SortWorker started. When the
// thread cannot be started, SortColumn and SortAscending get their previous values back, so the
// arrow does not promise a sort that never comes, and false is returned.
bool StartSort(std::int32_t column);

// Body of the sort thread: copies CurrentResults, loads the details the column needs while
// posting WM_SORT_PROGRESS, sorts the copy and, if still current, publishes it and posts
// WM_SEARCH_DONE with lParam 1. An empty, missing or outdated list posts nothing.
void SortWorker(const SortRequest& request);

}  // namespace kx
