// The texts the main window builds from numbers and names: the language rule, the title after
// a search, the status line and the column titles with their sort arrows.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// GetUserDefaultUILanguage's value: Chinese when its primary language (low 10 bits) is
// LANG_CHINESE, whatever the sublanguage (mainland, Taiwan, Hong Kong, Singapore, Macao).
bool IsChineseUiLanguage(unsigned short languageId);

// Bounded as the window's fixed buffers are: 128 units for titles, 256 for the status line.
constexpr std::size_t kTitleCapacity = 128;
constexpr std::size_t kStatusCapacity = 256;

// The title for a result list: idle when it is empty, the box is empty and it is not a
// re-sort; else the matches title with shownCount.
std::wstring ResultTitle(std::int64_t totalHits, std::int64_t shownCount, bool searchBoxEmpty,
                         bool resorted);

// Empty when the list is empty; else the filter name and the count that passes it.
std::wstring StatusText(std::int64_t totalHits, const std::wstring& categoryName,
                        std::int64_t shownCount);

// The title of column 0 to 5, with " ↑" or " ↓" when it is the sorted column.
std::wstring ColumnTitle(int column, int sortColumn, bool ascending);

}  // namespace kx
