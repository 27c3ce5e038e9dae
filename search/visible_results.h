// The current hits narrowed to the selected filter category, built once and cached for the
// list view, the context menu and the file actions; and the counts of hits per category.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/match_item.h"

namespace kx {

// UI thread only. Never null: an empty list before the first search (then nothing is cached
// and DisplayedCount is left alone). For category 0 it is the current list itself; for another
// it is the narrowed list the worker made alongside, unless a volume was renumbered or the
// categories were reset since, when it is built here. A hit that is gone (its file left its
// volume's table after a compaction or rebuild) passes only category 0.
SharedResults GetVisibleResults();

// Drops the cached list (under VisibleLock); the next GetVisibleResults rebuilds it. Called by
// the tag bar when a tag is chosen, and by ShowNewResults.
void DropVisibleResults();

// The window's part of a current WM_SEARCH_DONE: drops the cached list and sets DisplayedCount
// to the rows the new one will have in the selected category, from the scan's counts, so that
// the scroll bar is right before the first paint builds the list. Returns those rows. UI
// thread only.
std::int64_t ShowNewResults(const SharedResults& results);

// The details of rows [first, end) of a list as loaded so far (copies, taken under
// VisibleLock); rows never loaded come back empty.
std::vector<HitDetails> LoadedDetailsOf(const SharedResults& list, std::size_t first,
                                        std::size_t end);
// Loads the details of rows [first, end) outside every lock and writes them back under
// VisibleLock if the list is still the visible one, so each hit is queried once. Returns them.
std::vector<HitDetails> LoadRowDetails(const SharedResults& list, std::size_t first,
                                       std::size_t end);
// Writes details loaded on private copies back into the list, under VisibleLock, if that list
// is still the visible one. loaded[k] belongs to row first + k.
void StoreLoadedDetails(const SharedResults& painted, std::size_t first,
                        const std::vector<HitDetails>& loaded);

// Hits of list that pass category (clamped to the category list: past its end counts as 0).
// skipDead also leaves out hits whose record has been marked dead since the search (the tag
// counts do, the hit count of the title does not). Reads the counts the scan took and walks
// only the hits of volumes whose journal changed what they could affect since; UI thread only.
std::uint64_t CountHits(const ResultList& list, std::int32_t category, bool skipDead);

// The same by walking every hit: what CountHits answers, with no help from the scan.
std::size_t CountHitsInCategory(const ResultList& list, std::int32_t category, bool skipDead);

// True when a volume of the list was compacted or rebuilt since the list was made, so that
// positions may name other records now.
bool RenumberedSince(const ResultList& list);

}  // namespace kx
