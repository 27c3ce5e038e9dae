// What the main window does with the messages that worker threads post to it.
#include <cwchar>
#include <memory>

#include "common/messages.h"
#include "common/process_state.h"
#include "filters/filter_category.h"
#include "filters/tag_bar.h"
#include "platform/win32/wide_string.h"
#include "search/format_texts.h"
#include "search/hit_arena_warmup.h"
#include "search/search_state.h"
#include "search/visible_results.h"
#include "ui/list_view_state.h"
#include "ui/main_window.h"
#include "ui/results_list.h"
#include "ui/search_edit.h"
#include "ui/texts.h"
#include "ui/window_state.h"
#include "ui/window_titles.h"

namespace kx {

namespace {

constexpr std::size_t kMessageBoxCapacity = 512;

// wParam is as wide as a pointer, so on 32-bit Windows a posted generation arrives cut to its
// low 32 bits: compare at that width, or every message would look stale after 2^32 searches.
bool IsCurrentGeneration(WPARAM generation) {
    return static_cast<WPARAM>(SearchGeneration.load()) == generation;
}

std::wstring SelectedCategoryName() {
    const std::int32_t index = SelectedCategoryIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= FilterCategories.size())
        return std::wstring();
    return ToWide(FilterCategories[static_cast<std::size_t>(index)].name);
}

}  // namespace

void OnIndexReady(HWND window, WPARAM nothingIndexed) {
    if (nothingIndexed == 1) {
        wchar_t text[kMessageBoxCapacity];
        std::swprintf(text, kMessageBoxCapacity, L"%ls", Text(TextId::NoNtfsVolume));
        ::MessageBoxW(window, text, Text(TextId::NoticeCaption), MB_ICONERROR);
        ::ExitProcess(1);
    }
    ::SetWindowTextW(window, Text(TextId::ReadyTitle));
    StartHitArenaWarmup(SearchEngineInUse());
    ::EnableWindow(SearchEdit, TRUE);
    ::SetFocus(SearchEdit);
}

void OnSearchDone(WPARAM generation, LPARAM resorted) {
    if (!IsCurrentGeneration(generation))
        return;
    const SharedResults results = TakeCurrentResults();
    // Numbers the worker counted while it scanned: nothing here walks the hits.
    const std::int64_t total = results ? static_cast<std::int64_t>(results->size()) : 0;
    const std::int64_t shown = ShowNewResults(results);

    const bool isResort = resorted == 1;
    const std::wstring title = ResultTitle(total, shown, ReadSearchText().empty(), isResort);
    ::SetWindowTextW(MainWindowHandle, title.c_str());
    const std::wstring status = StatusText(total, SelectedCategoryName(), shown);
    ::SetWindowTextW(StatusLine, status.c_str());
    RefreshTagCounts();
    if (!isResort) {
        ScrollOffset = 0;
        SelectedRow = -1;
    }
    UpdateScrollBar();
    InvalidateListArea(true);
}

void OnSortProgress(HWND window, WPARAM generation, LPARAM text) {
    // Ownership came with the message: freed on every path, stale or not.
    const std::unique_ptr<char16_t[]> progress(reinterpret_cast<char16_t*>(text));
    if (!progress || !IsCurrentGeneration(generation))
        return;
    // A newer text of the sort already waiting replaces this one at once: setting the title
    // for each of a thousand texts a second would only keep this thread from painting the list.
    MSG newer;
    if (::PeekMessageW(&newer, window, WM_SORT_PROGRESS, WM_SORT_PROGRESS, PM_NOREMOVE) &&
        newer.wParam == generation)
        return;
    // Copied, bounded by the array's size, into the API's character type.
    wchar_t title[kProgressTextCapacity];
    std::size_t length = 0;
    while (length + 1 < kProgressTextCapacity && progress[length] != u'\0') {
        title[length] = static_cast<wchar_t>(progress[length]);
        ++length;
    }
    title[length] = L'\0';
    ::SetWindowTextW(window, title);
}

}  // namespace kx
