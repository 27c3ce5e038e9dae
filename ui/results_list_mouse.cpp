// The mouse over the results list: selection, double-click, sorting by a column title,
// dragging a column's right edge, the resize cursor and the hover tip.
#include <windowsx.h>

#include <mutex>
#include <string>

#include "platform/win32/wide_string.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/search_state.h"
#include "search/sort_worker.h"
#include "search/visible_results.h"
#include "ui/column_text.h"
#include "ui/file_actions.h"
#include "ui/hover_tip.h"
#include "ui/list_view_state.h"
#include "ui/results_list.h"
#include "ui/window_state.h"

namespace kx {

namespace {

// Button messages carry the point as two unsigned 16-bit values.
POINT UnsignedPoint(LPARAM lParam) {
    return POINT{LOWORD(lParam), HIWORD(lParam)};
}

std::int64_t VisibleRowCount() {
    return static_cast<std::int64_t>(GetVisibleResults()->size());
}

void InvalidateWindow(HWND window) {
    ::InvalidateRect(window, nullptr, FALSE);
}

void StartColumnDrag(HWND window, int column, int x) {
    ResizingColumn.active = true;
    ResizingColumn.column = column;
    ResizingColumn.startX = x;
    ResizingColumn.startWidth = ColumnWidths[static_cast<std::size_t>(column)];
    ::SetCapture(window);
}

void EndColumnDrag() {
    ResizingColumn.active = false;
}

void ClearHover() {
    if (HoverRow == -1 && HoverColumn == -1)
        return;
    HoverRow = -1;
    HoverColumn = -1;
    HideHoverTip();
}

// The row's details are loaded once and kept in the list, so the tip and the paint share them;
// the file system is asked outside every lock.
std::wstring HoverTextOf(std::int64_t row, int column) {
    const SharedResults visible = GetVisibleResults();
    if (row < 0 || static_cast<std::size_t>(row) >= visible->size())
        return std::wstring();
    const std::size_t position = static_cast<std::size_t>(row);
    const HitRef hit = visible->Hit(position);
    // The name needs no details loaded.
    if (column == kColumnName)
        return ToWide(ColumnText(hit, HitDetails{}, column));
    if (column < kColumnSize || column > kColumnPath)
        return std::wstring();
    const HitDetails details = LoadRowDetails(visible, position, position + 1).front();
    return ToWide(ColumnText(hit, details, column));
}

void TrackMouseLeave(HWND window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    track.dwHoverTime = HOVER_DEFAULT;
    ::TrackMouseEvent(&track);
}

void UpdateHover(HWND window, POINT point) {
    const std::int64_t count = VisibleRowCount();
    const std::int64_t row = RowAt(ScrollOffset, point.y, count);
    const int column = ColumnAt(ColumnWidths, point.x);
    if (point.y < kHeaderBottom || count == 0 || row < 0 || column < 0) {
        ClearHover();
    } else if (row != HoverRow || column != HoverColumn) {
        HoverRow = row;
        HoverColumn = column;
        const std::wstring text = HoverTextOf(row, column);
        POINT screen = point;
        ::ClientToScreen(window, &screen);
        ShowHoverTip(text, screen);
    }
    TrackMouseLeave(window);
}

void ContinueColumnDrag(HWND window, LPARAM lParam) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
    const std::size_t column = static_cast<std::size_t>(ResizingColumn.column);
    const int width =
        DraggedColumnWidth(ResizingColumn.startWidth, ResizingColumn.startX, GET_X_LPARAM(lParam));
    if (width == ColumnWidths[column])
        return;
    ColumnWidths[column] = width;
    RecomputeLastColumn(ColumnWidths, ClientWidth);
    InvalidateWindow(window);
}

}  // namespace

LRESULT OnListButtonDown(HWND window, LPARAM lParam) {
    const POINT point = UnsignedPoint(lParam);
    if (point.y < kListTop)
        return 0;
    if (point.y < kHeaderBottom) {
        const int handle = ResizeHandleAt(ColumnWidths, point.x, point.y);
        if (handle >= 0) {
            StartColumnDrag(window, handle, point.x);
            return 0;
        }
        const int column = ColumnAt(ColumnWidths, point.x);
        if (column <= 0)
            return 0;
        // The sort module flips or sets the column, draws the generation and starts the
        // worker; the arrow is repainted at once, before the sorted list arrives.
        StartSort(column);
        InvalidateWindow(window);
        return 0;
    }
    const std::int64_t row = RowAt(ScrollOffset, point.y, VisibleRowCount());
    if (row >= 0) {
        SelectedRow = row;
        InvalidateWindow(window);
    }
    return 0;
}

LRESULT OnListButtonUp() {
    if (ResizingColumn.active) {
        EndColumnDrag();
        ::ReleaseCapture();
    }
    return 0;
}

LRESULT OnListCaptureChanged(HWND window, LPARAM lParam) {
    // Capture taken away mid-drag (another window, a menu): the button-up will never come
    // here, so the drag ends now instead of following the bare pointer.
    if (ResizingColumn.active && reinterpret_cast<HWND>(lParam) != window)
        EndColumnDrag();
    return 0;
}

LRESULT OnListDoubleClick(HWND window, LPARAM lParam) {
    const POINT point = UnsignedPoint(lParam);
    if (point.y < kHeaderBottom)
        return 0;
    const std::int64_t row = RowAt(ScrollOffset, point.y, VisibleRowCount());
    if (row < 0)
        return 0;
    SelectedRow = row;
    InvalidateWindow(window);
    OpenOnDoubleClick();
    return 0;
}

LRESULT OnListMouseMove(HWND window, LPARAM lParam) {
    if (ResizingColumn.active)
        ContinueColumnDrag(window, lParam);
    else
        UpdateHover(window, UnsignedPoint(lParam));
    return 0;
}

LRESULT OnListMouseLeave() {
    ClearHover();
    return 0;
}

void OnListHidden() {
    ClearHover();
}

LRESULT OnListSetCursor(HWND window, WPARAM wParam, LPARAM lParam) {
    if (ResizingColumn.active) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
    }
    // A child control passes the message up first: answering for it would take the text
    // cursor away from the search box.
    if (LOWORD(lParam) != HTCLIENT || reinterpret_cast<HWND>(wParam) != window)
        return ::DefWindowProcW(window, WM_SETCURSOR, wParam, lParam);
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(window, &point);
    const bool onHandle = ResizeHandleAt(ColumnWidths, point.x, point.y) >= 0;
    ::SetCursor(::LoadCursorW(nullptr, onHandle ? IDC_SIZEWE : IDC_ARROW));
    return TRUE;
}

}  // namespace kx
