// The built-in categories, in Chinese and in English: the same seven categories with the same
// extensions in the same order, only the names differ.
#pragma once

#include <cstddef>

#include "filters/filter_category.h"

namespace kx {

// The seven defaults named in Chinese (chinese) or in English. Safe during static
// initialisation: it reads constant data only.
CategoryList DefaultCategories(bool chinese);

// FilterCategories = the defaults in the interface language (UseChinese). Leaves
// SelectedCategory alone and writes no file. UI thread only.
void LoadDefaultCategories();

// Gives the English name to every category that is exactly a Chinese default (same Chinese
// name, same extensions in the same order); every other category, including one the user
// changed, is left as it is. Returns how many were renamed.
std::size_t TranslateChineseDefaults(CategoryList* categories);

}  // namespace kx
