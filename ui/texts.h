// Every user-visible text of the window, each a Chinese and an English literal kept side by
// side in texts.cpp and looked up by name. The Chinese one is shown when UseChinese is set.
#pragma once

namespace kx {

enum class TextId {
    InitializingTitle,
    IndexingTitle,
    ReadyTitle,
    IdleTitle,
    MatchesTitleFormat,  // %lld: hits that pass the selected category
    NoticeCaption,
    AdministratorRequired,
    NoNtfsVolume,
    StatusFormat,  // %ls: category name, %lld: hits that pass it
    ColumnRowNumber,
    ColumnName,
    ColumnSize,
    ColumnModified,
    ColumnCreated,
    ColumnPath,
    Count
};

// In the interface language (UseChinese).
const wchar_t* Text(TextId id);
// In the given language, whatever UseChinese says.
const wchar_t* TextIn(TextId id, bool chinese);

// Appended to the title of the sorted column; the same in both languages.
constexpr const wchar_t* kSortAscendingMark = L" \u2191";
constexpr const wchar_t* kSortDescendingMark = L" \u2193";

}  // namespace kx
