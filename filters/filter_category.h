// The filter categories in use, the selected one, and the one rule that keeps both safe to
// read from any thread.
//
// Threads: FilterCategories and SelectedCategory belong to the UI thread. It alone replaces the
// list (SetFilterCategories) and changes the selection (the tag bar), and it reads both without
// a lock. A list is never edited in place; each replacement also publishes an immutable copy
// under a mutex, so a thread other than the UI thread never touches FilterCategories and takes
// FilterCategoriesSnapshot() instead, which stays valid and unchanged however often the UI
// thread replaces the list afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kx {

struct FilterCategory {
    std::u16string name;
    // Each entry begins with "." and holds no ASCII capital; order and duplicates are kept.
    std::vector<std::u16string> extensions;
};

inline bool operator==(const FilterCategory& a, const FilterCategory& b) {
    return a.name == b.name && a.extensions == b.extensions;
}
inline bool operator!=(const FilterCategory& a, const FilterCategory& b) {
    return !(a == b);
}

using CategoryList = std::vector<FilterCategory>;

// The seven Chinese default categories, built when the program is loaded, never changed.
extern const CategoryList BuiltinCategoryTable;

// A copy of BuiltinCategoryTable from program load until start-up replaces it. Read-only here
// so that the list can only change whole, through SetFilterCategories. UI thread only.
extern const CategoryList& FilterCategories;

// Index into FilterCategories; 0 (all files) at start. Only the tag bar writes it, and a
// reset may leave it past the end of a shorter list: read it through SelectedCategoryIndex().
extern std::int32_t SelectedCategory;

// Replaces FilterCategories whole and publishes the new snapshot. UI thread only.
void SetFilterCategories(CategoryList categories);

// The list as last set, for threads other than the UI thread. Never null.
std::shared_ptr<const CategoryList> FilterCategoriesSnapshot();

// category when it names a category of a list of `count` (0 is all files), else 0: a stale
// index after a reset shortened the list counts as "all files" rather than reading past the end.
constexpr std::int32_t CategoryOrAll(std::int32_t category, std::size_t count) {
    return category > 0 && static_cast<std::size_t>(category) < count ? category : 0;
}

// CategoryOrAll(index, FilterCategories.size()). UI thread only.
std::int32_t CategoryIndexOrAll(std::int32_t index);

// CategoryIndexOrAll(SelectedCategory): what the filter, the hit count and the status line use.
std::int32_t SelectedCategoryIndex();

}  // namespace kx
