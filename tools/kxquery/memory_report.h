// What the index costs: the drives built one after another, each build measured by the
// process's resident size before and after it, beside the bytes each structure of its table
// uses.
#pragma once

#include <string>

#include "index/search_engine.h"

namespace kx::query {

// Builds every NTFS drive in drive-letter order, one at a time so that each one's memory can be
// told apart, and hands them to the engine, marking it ready. Returns true when at least one
// was built, with *report holding a line per built drive.
bool IndexDrivesMeasuringMemory(SearchEngine& engine, std::string* report);

}  // namespace kx::query
