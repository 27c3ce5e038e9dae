// The filter rule as the search side applies it, with the category index kept inside the
// category list: after a reset shortens the list, an index past its end counts as category 0.
#pragma once

#include <cstdint>

#include <memory>

#include "filters/filter_category.h"
#include "index/file_table.h"

namespace kx {

// category, or 0 when it lies outside the category list. UI thread only.
std::int32_t CategoryOrAll(std::int32_t category);

// CategoryOrAll(SelectedCategory).
std::int32_t SelectedCategoryOrAll();

// Category 0 passes every record; any other passes files (not directories) whose name, as
// reported, has an extension of the category. The record's volume lock is held by the caller.
bool RecordPassesCategory(const FileTable& table, const FileRecord& record, std::int32_t category);

// The category list that RecordPassesCategory applies, for the scan to classify hits against
// while it counts them; any thread. A reset publishes a new list, which is how counts taken
// for the old one are told apart.
std::shared_ptr<const CategoryList> ScanCategories();

}  // namespace kx
