// filters.ini and filters.bak: where they live, reading one, and replacing one safely.
#pragma once

#include <cstdint>
#include <string>

#include "filters/filter_category.h"

namespace kx {

// Larger files are refused unread; a category file never comes near it.
constexpr std::uint64_t kMaxFilterConfigBytes = 16u << 20;

// Documents + "Kestrix" + "config", both folders created on the way (existing ones are fine),
// anew at every call. "./config", relative and not created, when there is no Documents folder.
std::u16string GetConfigDir();
std::u16string GetFilterIniPath();  // GetConfigDir() + "filters.ini"
std::u16string GetFilterBakPath();  // GetConfigDir() + "filters.bak"

// True when the file held at least one category line; then *categories is replaced by them.
// Otherwise (missing, unopenable, too large, UTF-16 big-endian, no valid line) false with
// *categories untouched. A read error part-way ends the file there: the lines read before it
// count, the piece of a line that it interrupted does not.
bool LoadFilterConfig(const std::u16string& path, CategoryList* categories);

// Writes categories (FilterCategories by default) to path through a temporary file beside it,
// renamed over path only once it is complete and flushed: an interrupted or failed write
// leaves the previous file as it was. False, with the temporary file removed, on any failure.
bool SaveFilterConfig(const std::u16string& path, const CategoryList& categories);
bool SaveFilterConfig(const std::u16string& path);

}  // namespace kx
