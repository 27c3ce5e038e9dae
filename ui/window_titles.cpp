#include "ui/window_titles.h"

#include <cwchar>

#include "ui/list_geometry.h"
#include "ui/texts.h"

namespace kx {

namespace {

constexpr unsigned short kPrimaryLanguageMask = 0x3FF;
constexpr unsigned short kLanguageChinese = 0x04;

constexpr TextId kColumnTitles[kColumnCount] = {TextId::ColumnRowNumber, TextId::ColumnName,
                                                TextId::ColumnSize,      TextId::ColumnModified,
                                                TextId::ColumnCreated,   TextId::ColumnPath};

}  // namespace

bool IsChineseUiLanguage(unsigned short languageId) {
    return (languageId & kPrimaryLanguageMask) == kLanguageChinese;
}

std::wstring ResultTitle(std::int64_t totalHits, std::int64_t shownCount, bool searchBoxEmpty,
                         bool resorted) {
    if (totalHits == 0 && searchBoxEmpty && !resorted)
        return Text(TextId::IdleTitle);
    wchar_t title[kTitleCapacity];
    std::swprintf(title, kTitleCapacity, Text(TextId::MatchesTitleFormat),
                  static_cast<long long>(shownCount));
    return title;
}

std::wstring StatusText(std::int64_t totalHits, const std::wstring& categoryName,
                        std::int64_t shownCount) {
    if (totalHits == 0)
        return std::wstring();
    wchar_t status[kStatusCapacity];
    // A name too long for the line is cut rather than losing the whole text: swprintf
    // writes nothing useful once the result would overflow.
    const std::wstring name = categoryName.substr(0, kStatusCapacity / 2);
    std::swprintf(status, kStatusCapacity, Text(TextId::StatusFormat), name.c_str(),
                  static_cast<long long>(shownCount));
    return status;
}

std::wstring ColumnTitle(int column, int sortColumn, bool ascending) {
    if (column < 0 || column >= kColumnCount)
        return std::wstring();
    std::wstring title = Text(kColumnTitles[column]);
    if (column == sortColumn)
        title += ascending ? kSortAscendingMark : kSortDescendingMark;
    return title;
}

}  // namespace kx
