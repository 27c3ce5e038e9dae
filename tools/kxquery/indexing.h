// Runs the program's real start-up over the simulated drives and waits for its end.
#pragma once

#include "index/search_engine.h"

namespace kx::query {

// Starts the background indexing of engine and blocks until it posts WM_INDEX_READY.
// Returns true when at least one volume was indexed.
bool IndexAllDrives(SearchEngine& engine);

// Stops every journal monitor, so that the process can end at once.
void StopIndexing(SearchEngine& engine);

}  // namespace kx::query
