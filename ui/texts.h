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
    TrayTip,
    TrayShowWindow,
    TrayAbout,
    TrayExit,
    AboutCaption,
    AboutProductLine,
    AboutBrandLine,
    AboutWebsiteLabel,  // followed by the web address
    AboutVersionLine,
    // The file actions' message boxes; "...Format" texts hold one %lu, the system error code.
    InfoCaption,
    ErrorCaption,
    SuccessCaption,
    SelectFileFirst,
    NoFilePath,
    OpenFailedFormat,
    DeleteQuestion,  // followed by the path
    DeleteCaption,
    FileDeleted,
    DeleteFailedFormat,
    RunAsFailedFormat,
    PathCopied,
    ClipboardMemoryFailed,
    ClipboardOpenFailed,
    ClipboardSetFailed,
    PropertiesFailedFormat,
    // The results list's context menu.
    MenuOpen,
    MenuOpenFolder,
    MenuDelete,
    MenuRunAsAdmin,
    MenuCopyPath,
    MenuProperties,
    MenuOpenFilterFolder,
    MenuResetFilters,
    // The reset question: Chinese under both languages.
    ResetFiltersQuestion,
    ResetFiltersCaption,
    // The status line, when a click or a key could not be carried out for lack of memory.
    OutOfMemory,
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
