#include "filters/filter_category.h"

#include <mutex>
#include <utility>

#include "filters/default_categories.h"

namespace kx {

namespace {

// The definitions below initialise in this order, each from the one before: the table from
// constant data, the list in use from the table, the first snapshot from the list. Nothing
// here depends on another file's static initialisation.
CategoryList CategoryStorage = DefaultCategories(true);

std::mutex SnapshotMutex;
std::shared_ptr<const CategoryList> PublishedSnapshot =
    std::make_shared<const CategoryList>(DefaultCategories(true));

}  // namespace

const CategoryList BuiltinCategoryTable = DefaultCategories(true);
const CategoryList& FilterCategories = CategoryStorage;
std::int32_t SelectedCategory = 0;

void SetFilterCategories(CategoryList categories) {
    auto snapshot = std::make_shared<const CategoryList>(categories);
    CategoryStorage = std::move(categories);
    std::shared_ptr<const CategoryList> previous;  // freed after the mutex is released
    std::lock_guard<std::mutex> guard(SnapshotMutex);
    previous = std::exchange(PublishedSnapshot, std::move(snapshot));
}

std::shared_ptr<const CategoryList> FilterCategoriesSnapshot() {
    std::lock_guard<std::mutex> guard(SnapshotMutex);
    return PublishedSnapshot;
}

std::int32_t CategoryIndexOrAll(std::int32_t index) {
    return CategoryOrAll(index, CategoryStorage.size());
}

std::int32_t SelectedCategoryIndex() {
    return CategoryIndexOrAll(SelectedCategory);
}

}  // namespace kx
