// Whether a file name belongs to a filter category, by the extension after its last dot.
#pragma once

#include <cstdint>
#include <string_view>

#include "filters/filter_category.h"

namespace kx {

// The bare name of a file or directory (no path). Index 0, and any index that names no
// category of the list, passes every name; otherwise the name passes when the text from its
// last "." to the end, with A to Z folded, equals one of the category's extensions.
// The first form reads FilterCategories, so it is UI thread only; other threads pass a
// FilterCategoriesSnapshot().
bool MatchCategory(std::u16string_view name, std::int32_t index);
bool MatchCategory(std::u16string_view name, std::int32_t index, const CategoryList& categories);

// The same test against one category's extensions, without the index-0 rule.
bool NameHasExtensionIn(std::u16string_view name, const FilterCategory& category);

}  // namespace kx
