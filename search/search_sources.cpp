#include "search/search_sources.h"

#include <atomic>

namespace kx {

namespace {

std::int32_t SelectedCategoryAsLeft() {
    return SelectedCategory;
}

const SearchSources kProgramSources{SelectedCategoryAsLeft, FilterCategoriesSnapshot,
                                    GetFileAttributeData};

std::atomic<const SearchSources*> chosen{nullptr};

}  // namespace

const SearchSources& Sources() {
    const SearchSources* sources = chosen.load(std::memory_order_acquire);
    return sources != nullptr ? *sources : kProgramSources;
}

void UseSearchSourcesForTesting(const SearchSources* sources) {
    chosen.store(sources, std::memory_order_release);
}

}  // namespace kx
