#include "ui/list_geometry.h"

#include <algorithm>
#include <limits>

namespace kx {

int ColumnLeft(const ColumnWidthArray& widths, int column) {
    int left = 0;
    for (int j = 0; j < column && j < kColumnCount; ++j)
        left += widths[static_cast<std::size_t>(j)];
    return left;
}

int ColumnAt(const ColumnWidthArray& widths, int x) {
    int right = 0;
    for (int j = 0; j < kColumnCount; ++j) {
        right += widths[static_cast<std::size_t>(j)];
        if (x < right)
            return j;
    }
    return -1;
}

int ResizeHandleAt(const ColumnWidthArray& widths, int x, int y) {
    if (y < kListTop || y >= kHeaderBottom)
        return -1;
    int right = 0;
    for (int j = 0; j < kLastColumn; ++j) {
        right += widths[static_cast<std::size_t>(j)];
        if (x >= right - kResizeHandleReach && x <= right + kResizeHandleReach)
            return j;
    }
    return -1;
}

void RecomputeLastColumn(ColumnWidthArray& widths, int clientWidth) {
    const int others = ColumnLeft(widths, kLastColumn);
    widths[kLastColumn] = std::max(clientWidth - others, kMinLastColumnWidth);
}

int DraggedColumnWidth(int startWidth, int startX, int x) {
    return std::max(startWidth + (x - startX), kMinColumnWidth);
}

std::int64_t RowAt(std::int64_t scrollOffset, int y, std::int64_t rowCount) {
    if (y < kHeaderBottom)
        return -1;
    const std::int64_t row = (scrollOffset + y - kHeaderBottom) / kRowHeight;
    return row >= 0 && row < rowCount ? row : -1;
}

VisibleRowRange VisibleRows(std::int64_t scrollOffset, int clientHeight, std::int64_t rowCount) {
    VisibleRowRange range;
    range.first = scrollOffset / kRowHeight;
    range.firstTop = static_cast<int>(range.first * kRowHeight - scrollOffset) + kHeaderBottom;
    // Two more than fit: the partly hidden row at the top and the one cut at the bottom.
    const std::int64_t fit = (clientHeight - kHeaderBottom) / kRowHeight + 2;
    range.end = std::min(range.first + std::max<std::int64_t>(fit, 0), rowCount);
    range.end = std::max(range.end, range.first);
    return range;
}

int RowsPerPage(int clientHeight) {
    return std::max((clientHeight - kHeaderBottom) / kRowHeight, 0);
}

ScrollBarValues ScrollBarFor(std::int64_t rowCount, int clientHeight, std::int64_t scrollOffset) {
    constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
    ScrollBarValues values;
    values.maximum = static_cast<int>(std::min(rowCount - 1, kIntMax));
    values.page = RowsPerPage(clientHeight);
    values.position = static_cast<int>(std::min(scrollOffset / kRowHeight, kIntMax));
    return values;
}

std::int64_t LargestScrollOffset(std::int64_t rowCount, int clientHeight) {
    return std::max<std::int64_t>(rowCount * kRowHeight - (clientHeight - kHeaderBottom), 0);
}

std::int64_t ClampScrollOffset(std::int64_t p, std::int64_t rowCount, int clientHeight) {
    return std::min(std::max<std::int64_t>(p, 0), LargestScrollOffset(rowCount, clientHeight));
}

std::int64_t ScrollRequestTarget(ScrollRequest request, std::int64_t scrollOffset, int page,
                                 int trackPosition) {
    const std::int64_t row = scrollOffset / kRowHeight;
    switch (request) {
        case ScrollRequest::LineUp:
            return (row - 1) * kRowHeight;
        case ScrollRequest::LineDown:
            return (row + 1) * kRowHeight;
        case ScrollRequest::PageUp:
            return (row - page) * kRowHeight;
        case ScrollRequest::PageDown:
            return (row + page) * kRowHeight;
        case ScrollRequest::Thumb:
            return static_cast<std::int64_t>(trackPosition) * kRowHeight;
        case ScrollRequest::Other:
            break;
    }
    return row * kRowHeight;
}

std::int64_t WheelTarget(std::int64_t scrollOffset, int delta) {
    // Integer division truncates toward zero, so a partial notch either way moves nothing.
    return scrollOffset - static_cast<std::int64_t>(delta / kWheelNotch) * kWheelStepPixels;
}

}  // namespace kx
