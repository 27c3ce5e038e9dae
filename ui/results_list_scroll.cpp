// Vertical scrolling of the results list by the scroll bar and the mouse wheel.
#include "search/search_state.h"
#include "ui/list_view_state.h"
#include "ui/results_list.h"
#include "ui/window_state.h"

namespace kx {

namespace {

ScrollRequest RequestOf(WORD code) {
    switch (code) {
        case SB_LINEUP:
            return ScrollRequest::LineUp;
        case SB_LINEDOWN:
            return ScrollRequest::LineDown;
        case SB_PAGEUP:
            return ScrollRequest::PageUp;
        case SB_PAGEDOWN:
            return ScrollRequest::PageDown;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            return ScrollRequest::Thumb;
        default:
            return ScrollRequest::Other;
    }
}

}  // namespace

void InvalidateListArea(bool erase) {
    const RECT area{0, kListTop, ClientWidth, ClientHeight};
    ::InvalidateRect(MainWindowHandle, &area, erase ? TRUE : FALSE);
}

void UpdateScrollBar() {
    const ScrollBarValues values = ScrollBarFor(DisplayedCount.load(), ClientHeight, ScrollOffset);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = values.maximum;
    info.nPage = static_cast<UINT>(values.page);
    info.nPos = values.position;
    ::SetScrollInfo(MainWindowHandle, SB_VERT, &info, TRUE);
}

void SetScrollPosition(std::int64_t offset) {
    const std::int64_t clamped = ClampScrollOffset(offset, DisplayedCount.load(), ClientHeight);
    if (clamped == ScrollOffset)
        return;
    ScrollOffset = clamped;
    UpdateScrollBar();
    InvalidateListArea(false);
}

LRESULT OnVScroll(WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    ::GetScrollInfo(MainWindowHandle, SB_VERT, &info);
    SetScrollPosition(ScrollRequestTarget(RequestOf(LOWORD(wParam)), ScrollOffset,
                                          static_cast<int>(info.nPage), info.nTrackPos));
    return 0;
}

LRESULT OnMouseWheel(WPARAM wParam) {
    SetScrollPosition(WheelTarget(ScrollOffset, GET_WHEEL_DELTA_WPARAM(wParam)));
    return 0;
}

}  // namespace kx
