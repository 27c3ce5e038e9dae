// The current hits narrowed to the selected filter category, built once and cached for the
// list view, the context menu and the file actions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/match_item.h"

namespace kx {

// UI thread only. Never null: an empty list before the first search (then nothing is cached
// and DisplayedCount is left alone). A hit that is gone (its file left its volume's table after
// a compaction or rebuild) passes only category 0.
SharedResults GetVisibleResults();

// Drops the cached list (under VisibleLock); the next GetVisibleResults rebuilds it. Called by
// the window on a current WM_SEARCH_DONE and by the tag bar when a tag is chosen.
void DropVisibleResults();

// Writes details loaded on private copies back into the painted list, under VisibleLock, if
// that list is still the visible one. loaded[k] replaces item first + k.
void StoreLoadedDetails(const SharedResults& painted, std::size_t first,
                        const std::vector<MatchItem>& loaded);

// Hits of list that pass category (clamped to the category list: past its end counts as 0).
// skipDead also leaves out hits whose record has been marked dead since the search (the tag
// counts do, the hit count of the title does not).
std::size_t CountHitsInCategory(const ResultList& list, std::int32_t category, bool skipDead);

}  // namespace kx
