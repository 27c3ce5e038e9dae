// Fetching a hit's full path, size and times on demand, cached per file in its volume.
#pragma once

#include "search/match_item.h"

namespace kx {

// Fills item's path, size, times and their texts, once: an item with detailsLoaded set is left
// as it is. Any thread; the caller makes sure nobody else uses the same item meanwhile (an item
// of VisibleResults only under VisibleLock, otherwise a private copy).
//
// The path is that of the newest record carrying the hit's frn, so a file renamed since the
// search shows its new name. A file the file system cannot query gets size 0 and times 0 but
// keeps its path; a hit whose file left the table gets an empty path, size 0 and times 0, and
// nothing is cached for it.
void LoadDetails(MatchItem& item);

}  // namespace kx
