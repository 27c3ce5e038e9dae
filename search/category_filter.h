// The filter rule as the search side applies it, with the category index kept inside the
// category list: after a reset shortens the list, an index past its end counts as category 0.
#pragma once

#include <cstdint>

#include "index/file_record.h"

namespace kx {

// category, or 0 when it lies outside the category list. UI thread only.
std::int32_t CategoryOrAll(std::int32_t category);

// CategoryOrAll(SelectedCategory).
std::int32_t SelectedCategoryOrAll();

// Category 0 passes every record; any other passes files (not directories) whose name, as
// reported, has an extension of the category. The record's volume lock is held by the caller.
bool RecordPassesCategory(const FileRecord& record, std::int32_t category);

}  // namespace kx
