// Painting the results list into the back buffer: rows, grid, header with sort arrows.
#include <algorithm>
#include <cwchar>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/wide_string.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/search_state.h"
#include "search/visible_results.h"
#include "ui/column_text.h"
#include "ui/list_colours.h"
#include "ui/list_view_state.h"
#include "ui/results_list.h"
#include "ui/window_state.h"
#include "ui/window_titles.h"

namespace kx {

namespace {

constexpr int kCellTextInsetX = 15;
constexpr int kCellTextInsetY = 10;
constexpr int kCellClipInset = 10;
constexpr int kHeaderTextTop = 173;
constexpr int kHeaderClipInset = 5;
constexpr int kHeaderSeparatorTop = 170;
constexpr int kHeaderSeparatorBottom = 192;

// List cells are built in 1024 units; a longer path is cut there, the tip shows it whole.
constexpr std::size_t kCellCapacity = 1024;

std::wstring CellText(const HitRef& item, const HitDetails& details, std::int64_t row, int column) {
    std::wstring text;
    if (column == kColumnRowNumber) {
        wchar_t number[32];
        std::swprintf(number, std::size(number), L"%lld", static_cast<long long>(row + 1));
        text = number;
    } else {
        text = ToWide(ColumnText(item, details, column));
    }
    if (text.size() >= kCellCapacity)
        text.resize(kCellCapacity - 1);
    return text;
}

void DrawLine(HDC dc, int x0, int y0, int x1, int y1) {
    ::MoveToEx(dc, x0, y0, nullptr);
    ::LineTo(dc, x1, y1);
}

void DrawClippedText(HDC dc, int x, int y, const RECT& clip, const std::wstring& text) {
    ::ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(text.size()),
                  nullptr);
}

// Details are loaded on private copies outside every list lock, then written back under
// VisibleLock if the painted list is still the visible one, so each hit is queried once.
void PaintRows(HDC dc, const ResultList& list, const std::vector<HitDetails>& shown,
               const VisibleRowRange& range) {
    UniqueBrush oddBrush(::CreateSolidBrush(kOddRowColour));
    UniqueBrush selectedBrush(::CreateSolidBrush(kSelectedRowColour));
    UniqueBrush evenBrush(::CreateSolidBrush(kBackgroundColour));
    ::SetTextColor(dc, kRowTextColour);
    for (std::int64_t i = range.first; i < range.end; ++i) {
        const HitDetails& details = shown[static_cast<std::size_t>(i - range.first)];
        const HitRef item = list.Hit(static_cast<std::size_t>(i));
        const int top = range.firstTop + static_cast<int>(i - range.first) * kRowHeight;
        const int bottom = top + kRowHeight;
        const HBRUSH brush = i == SelectedRow ? selectedBrush.get()
                             : (i % 2 == 1)   ? oddBrush.get()
                                              : evenBrush.get();
        for (int j = 0; j < kColumnCount; ++j) {
            const int x = ColumnLeft(ColumnWidths, j);
            const int width = ColumnWidths[static_cast<std::size_t>(j)];
            const RECT cell{x, top, x + width, bottom};
            ::FillRect(dc, &cell, brush);
            const RECT clip{x + kCellClipInset, top, x + width - kCellClipInset, bottom};
            DrawClippedText(dc, x + kCellTextInsetX, top + kCellTextInsetY, clip,
                            CellText(item, details, i, j));
            if (j > 0)
                DrawLine(dc, x, top, x, bottom);
        }
        DrawLine(dc, 0, bottom, ClientWidth, bottom);
    }
}

void PaintHeader(HDC dc, HBRUSH headerBrush, HPEN gridPen) {
    const RECT band{0, kListTop, ClientWidth, kHeaderBottom};
    ::FillRect(dc, &band, headerBrush);
    {
        UniquePen linePen(::CreatePen(PS_SOLID, 1, kHeaderLineColour));
        ::SelectObject(dc, linePen.get());
        DrawLine(dc, 0, kHeaderBottom, ClientWidth, kHeaderBottom);
        ::SelectObject(dc, gridPen);
    }
    SelectGuard headerFont(dc, HeaderFont.get());
    ::SetTextColor(dc, kHeaderTextColour);
    UniquePen separatorPen(::CreatePen(PS_SOLID, 1, kHeaderSeparatorColour));
    const int sortColumn = SortColumn.load();
    const bool ascending = SortAscending.load();
    for (int j = 0; j < kColumnCount; ++j) {
        const int x = ColumnLeft(ColumnWidths, j);
        const int width = ColumnWidths[static_cast<std::size_t>(j)];
        const RECT clip{x + kHeaderClipInset, kListTop, x + width - kHeaderClipInset,
                        kHeaderBottom};
        DrawClippedText(dc, x + kCellTextInsetX, kHeaderTextTop, clip,
                        ColumnTitle(j, sortColumn, ascending));
        if (j > 0) {
            SelectGuard separator(dc, separatorPen.get());
            DrawLine(dc, x, kHeaderSeparatorTop, x, kHeaderSeparatorBottom);
        }
    }
}

}  // namespace

void PaintResultsList(HDC paintDC) {
    if (ClientHeight - kListTop <= 0)
        return;
    const HDC dc = BackBufferDC.get();

    UniqueBrush whiteBrush(::CreateSolidBrush(kBackgroundColour));
    UniqueBrush headerBrush(::CreateSolidBrush(kHeaderColour));
    UniquePen gridPen(::CreatePen(PS_SOLID, 1, kGridColour));
    const RECT whole{0, 0, ClientWidth, ClientHeight};
    ::FillRect(dc, &whole, whiteBrush.get());
    ::SetBkMode(dc, TRANSPARENT);
    {
        // Released before the brushes and the pen they select are deleted.
        SelectGuard pen(dc, gridPen.get());
        SelectGuard font(dc, StatusFont.get());
        try {
            const SharedResults visible = GetVisibleResults();
            const std::int64_t count = static_cast<std::int64_t>(visible->size());
            const VisibleRowRange range = VisibleRows(ScrollOffset, ClientHeight, count);
            if (range.end > range.first)
                PaintRows(dc, *visible,
                          LoadRowDetails(visible, static_cast<std::size_t>(range.first),
                                         static_cast<std::size_t>(range.end)),
                          range);
        } catch (const std::bad_alloc&) {
            // Out of memory for the list, its details or a cell's text: the rows painted so
            // far are shown with the header, the rest stays blank until the next paint.
        }
        PaintHeader(dc, headerBrush.get(), gridPen.get());
    }
    ::BitBlt(paintDC, 0, 0, ClientWidth, ClientHeight, dc, 0, 0, SRCCOPY);
}

}  // namespace kx
