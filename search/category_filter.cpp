#include "search/category_filter.h"

#include "filters/match_category.h"
#include "search/search_sources.h"

namespace kx {

std::int32_t CategoryOrAll(std::int32_t category) {
    return CategoryOrAll(category, Sources().categories()->size());
}

std::int32_t SelectedCategoryOrAll() {
    return CategoryOrAll(Sources().selectedCategory());
}

std::shared_ptr<const CategoryList> ScanCategories() {
    return Sources().categories();
}

bool RecordPassesCategory(const FileTable& table, const FileRecord& record, std::int32_t category) {
    if (category == 0)
        return true;
    if (record.IsDirectory())
        return false;
    // The snapshot, not FilterCategories: it stays whole whichever thread asks.
    return MatchCategory(table.NameText(record), category, *Sources().categories());
}

}  // namespace kx
