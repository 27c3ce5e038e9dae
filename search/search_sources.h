// What the search side takes from outside itself: the filter categories and the selected one
// (from the filter subsystem) and a file's attributes (from the platform). The program uses the
// real ones; the search tests put stand-ins in their place through this one structure, so that
// no function is swapped behind the linker's back and a new one cannot slip past the stand-ins.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "filters/filter_category.h"
#include "platform/file_attributes.h"

namespace kx {

struct SearchSources {
    // SelectedCategory as the user left it; it may lie past the end of the list.
    std::int32_t (*selectedCategory)();
    // A snapshot of the category list, whole and unchanging whichever thread holds it.
    std::shared_ptr<const CategoryList> (*categories)();
    // GetFileAttributesExW(path, GetFileExInfoStandard); false when the file cannot be queried.
    bool (*fileAttributes)(const std::u16string& path, FileAttributeData* data);
};

// The sources in use: the program's own unless a test chose others.
const SearchSources& Sources();

// Test hook: null restores the program's own. Set before any search runs.
void UseSearchSourcesForTesting(const SearchSources* sources);

}  // namespace kx
