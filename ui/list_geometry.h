// Geometry of the results list painted in the lower part of the main window: fixed positions,
// fixed row height, and the arithmetic that maps points to rows, columns and resize handles
// and scroll requests to offsets. No window system here, so all of it is tested natively.
#pragma once

#include <array>
#include <cstdint>

namespace kx {

constexpr int kListTop = 160;       // top of the header band and of the invalidated list area
constexpr int kHeaderBottom = 202;  // line under the header; top of row 0 when not scrolled
constexpr int kRowHeight = 36;
constexpr int kColumnCount = 6;
constexpr int kLastColumn = kColumnCount - 1;  // Path: takes what the others leave

constexpr int kMinColumnWidth = 30;       // by dragging
constexpr int kMinLastColumnWidth = 200;  // may then run past the right edge
constexpr int kResizeHandleReach = 8;     // pixels either side of a column's right edge

constexpr int kWheelNotch = 120;       // WHEEL_DELTA
constexpr int kWheelStepPixels = 100;  // per notch, deliberately not a whole number of rows

using ColumnWidthArray = std::array<int, kColumnCount>;
constexpr ColumnWidthArray kInitialColumnWidths{60, 250, 120, 160, 160, 400};

// Left x of column j: the sum of the widths before it.
int ColumnLeft(const ColumnWidthArray& widths, int column);

// The first column whose right edge lies right of x; -1 when x lies right of all columns.
int ColumnAt(const ColumnWidthArray& widths, int x);

// The column 0 to 4 whose right edge is within reach of x, tried from 0 upwards, when y lies
// in the header band (kListTop to kHeaderBottom - 1); else -1. The last column has no handle.
int ResizeHandleAt(const ColumnWidthArray& widths, int x, int y);

// The last column gets clientWidth minus the others, but at least kMinLastColumnWidth.
void RecomputeLastColumn(ColumnWidthArray& widths, int clientWidth);

// Width of a dragged column for a pointer at x (signed: the drag is captured and may leave
// the window to the left).
int DraggedColumnWidth(int startWidth, int startX, int x);

// The row under a point with y at or below kHeaderBottom, or -1 when it names no row of a
// list of rowCount rows.
std::int64_t RowAt(std::int64_t scrollOffset, int y, std::int64_t rowCount);

// Rows first to end - 1 can be seen; row first starts at firstTop, which lies above
// kHeaderBottom when the list is scrolled by part of a row.
struct VisibleRowRange {
    std::int64_t first = 0;
    std::int64_t end = 0;
    int firstTop = kHeaderBottom;
};
VisibleRowRange VisibleRows(std::int64_t scrollOffset, int clientHeight, std::int64_t rowCount);

// Whole rows that fit below the header; never negative.
int RowsPerPage(int clientHeight);

// What the vertical scroll bar shows, in rows: range 0 to maximum, a page, a position.
struct ScrollBarValues {
    int maximum = -1;  // rowCount - 1: -1 for an empty list
    int page = 0;
    int position = 0;
};
ScrollBarValues ScrollBarFor(std::int64_t rowCount, int clientHeight, std::int64_t scrollOffset);

// The largest offset at which the last row still ends at the bottom edge, and p clamped to
// 0 to that offset.
std::int64_t LargestScrollOffset(std::int64_t rowCount, int clientHeight);
std::int64_t ClampScrollOffset(std::int64_t p, std::int64_t rowCount, int clientHeight);

// The scroll bar requests, without the window system's numbering.
enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, Thumb, Other };

// The unclamped offset a request asks for. Every request moves to a row boundary, so "Other"
// (top, bottom, end of scroll) aligns a wheel-scrolled list to the row at its top.
std::int64_t ScrollRequestTarget(ScrollRequest request, std::int64_t scrollOffset, int page,
                                 int trackPosition);

// The unclamped offset after a wheel turn of delta (multiples of kWheelNotch a notch,
// positive away from the user); a part of a notch moves nothing.
std::int64_t WheelTarget(std::int64_t scrollOffset, int delta);

}  // namespace kx
