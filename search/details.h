// Fetching a hit's full path, size and times on demand, cached per file in its volume.
#pragma once

#include "search/match_item.h"

namespace kx {

// Fills the hit's path, size, times and their texts into details, once: details with
// detailsLoaded set are left as they are. Any thread; the caller makes sure nobody else uses
// the same details meanwhile (those of VisibleResults only under VisibleLock, otherwise a
// private copy).
//
// The path is that of the newest record carrying the hit's frn, so a file renamed since the
// search shows its new name. A file the file system cannot query gets size 0 and times 0 but
// keeps its path; a hit whose file left the table gets an empty path, size 0 and times 0, and
// nothing is cached for it.
void LoadDetails(const HitRef& hit, HitDetails& details);

}  // namespace kx
