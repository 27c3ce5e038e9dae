#include "filters/tag_bar.h"

#include <algorithm>

#include "filters/filter_category.h"
#include "filters/tag_bar_layout.h"
#include "platform/win32/wide_string.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/visible_results.h"
#include "ui/control_ids.h"
#include "ui/gdi_resources.h"
#include "ui/search_edit.h"
#include "ui/window_state.h"

namespace kx {

std::vector<HWND> TagButtons;

namespace {

constexpr int kCaptionCapacity = 512;
constexpr UINT kRedrawFrame = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED;

std::wstring CaptionOf(HWND button) {
    wchar_t caption[kCaptionCapacity] = {};
    const int length = ::GetWindowTextW(button, caption, kCaptionCapacity);
    return std::wstring(caption, static_cast<std::size_t>(std::max(length, 0)));
}

// The whole caption as one run, line feed and count included.
int MeasureCaption(HWND button) {
    const std::wstring caption = CaptionOf(button);
    WindowDC dc(button);
    SelectGuard font(dc.get(), TagFont.get());
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    return extent.cx;
}

std::uint64_t CountForCategory(std::size_t category) {
    // A fresh reference per category: a search may publish between two of them, and each is
    // counted on the list that was current when its turn came.
    const SharedResults results = TakeCurrentResults();
    if (!results || results->empty())
        return 0;
    if (category == 0)
        return results->size();
    return CountHits(*results, static_cast<std::int32_t>(category), true);
}

}  // namespace

void CreateTagBar(HWND mainWindow) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    for (std::size_t k = 0; k < FilterCategories.size(); ++k) {
        const int index = static_cast<int>(k);
        const std::wstring name = ToWide(FilterCategories[k].name);
        const HWND button = ::CreateWindowExW(
            0, L"BUTTON", name.c_str(), WS_CHILD | WS_VISIBLE | BS_FLAT,
            kTagRowLeft + kTagInitialStep * index, kTagInitialTop, kTagInitialWidth,
            kTagButtonHeight, mainWindow,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TAG_BASE + index)), instance, nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(TagFont.get()), TRUE);
        const LONG_PTR extended = ::GetWindowLongPtrW(button, GWL_EXSTYLE);
        ::SetWindowLongPtrW(button, GWL_EXSTYLE, extended | WS_EX_COMPOSITED);
        TagButtons.push_back(button);
    }
}

void LayoutTagBar() {
    std::vector<int> measured;
    measured.reserve(TagButtons.size());
    for (HWND button : TagButtons)
        measured.push_back(MeasureCaption(button));
    const std::vector<TagPlacement> placements = LayoutTags(measured, ClientWidth);
    for (std::size_t k = 0; k < TagButtons.size(); ++k) {
        const TagPlacement& place = placements[k];
        if (place.visible) {
            // Every button repaints whole at its new place: under Wine the pixels a moved
            // button's old place held, copied along, leave pieces of earlier captions and
            // borders on the screen, and a button this small costs nothing to repaint.
            ::SetWindowPos(TagButtons[k], nullptr, place.x, place.y, place.width, kTagButtonHeight,
                           SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOCOPYBITS);
        } else {
            ::SetWindowPos(TagButtons[k], nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER);
        }
    }
}

void RefreshTagCounts() {
    const std::size_t count = std::min(FilterCategories.size(), TagButtons.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring caption =
            ToWide(TagCaption(FilterCategories[i].name, CountForCategory(i)));
        ::SetWindowTextW(TagButtons[i], caption.c_str());
        ::SetWindowPos(TagButtons[i], nullptr, 0, 0, 0, 0, kRedrawFrame);
    }
    LayoutTagBar();
}

void SelectTag(int category) {
    SelectedCategory = category;
    for (std::size_t i = 0; i < TagButtons.size(); ++i) {
        const LONG_PTR style = ::GetWindowLongPtrW(TagButtons[i], GWL_STYLE);
        const LONG_PTR marked = static_cast<int>(i) == category
                                    ? (style | BS_DEFPUSHBUTTON)
                                    : (style & ~static_cast<LONG_PTR>(BS_DEFPUSHBUTTON));
        ::SetWindowLongPtrW(TagButtons[i], GWL_STYLE, marked);
        ::SetWindowPos(TagButtons[i], nullptr, 0, 0, 0, 0, kRedrawFrame);
    }
    DropVisibleResults();
    StartSearch(ReadSearchText());
}

}  // namespace kx
