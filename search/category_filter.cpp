#include "search/category_filter.h"

#include "filters/filter_category.h"
#include "filters/match_category.h"

namespace kx {

std::int32_t CategoryOrAll(std::int32_t category) {
    return CategoryIndexOrAll(category);
}

std::int32_t SelectedCategoryOrAll() {
    return SelectedCategoryIndex();
}

std::shared_ptr<const CategoryList> ScanCategories() {
    return FilterCategoriesSnapshot();
}

bool RecordPassesCategory(const FileTable& table, const FileRecord& record, std::int32_t category) {
    if (category == 0)
        return true;
    if (record.IsDirectory())
        return false;
    // The snapshot, not FilterCategories: it stays whole whichever thread asks.
    const auto categories = FilterCategoriesSnapshot();
    return MatchCategory(table.NameText(record), category, *categories);
}

}  // namespace kx
