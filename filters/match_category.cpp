#include "filters/match_category.h"

#include "common/ascii_fold.h"

namespace kx {

bool NameHasExtensionIn(std::u16string_view name, const FilterCategory& category) {
    const std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return false;
    const std::u16string_view extension = name.substr(dot);
    // Entries are stored folded, so folding the extension unit by unit while comparing gives
    // the same answer as comparing a folded copy, without allocating once per hit.
    for (const std::u16string& entry : category.extensions) {
        if (entry.size() != extension.size())
            continue;
        std::size_t i = 0;
        while (i < extension.size() && FoldAscii(extension[i]) == entry[i])
            ++i;
        if (i == extension.size())
            return true;
    }
    return false;
}

bool MatchCategory(std::u16string_view name, std::int32_t index, const CategoryList& categories) {
    if (index <= 0 || static_cast<std::size_t>(index) >= categories.size())
        return true;
    return NameHasExtensionIn(name, categories[static_cast<std::size_t>(index)]);
}

bool MatchCategory(std::u16string_view name, std::int32_t index) {
    return MatchCategory(name, index, FilterCategories);
}

}  // namespace kx
