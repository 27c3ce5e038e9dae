#include "ui/list_geometry.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(ListColumns, StartSideBySideFromZero) {
    const ColumnWidthArray widths = kInitialColumnWidths;
    EXPECT_EQ(ColumnLeft(widths, 0), 0);
    EXPECT_EQ(ColumnLeft(widths, 2), 310);
    EXPECT_EQ(ColumnLeft(widths, 5), 750);
    EXPECT_EQ(ColumnAt(widths, 59), 0);
    EXPECT_EQ(ColumnAt(widths, 60), 1);
    EXPECT_EQ(ColumnAt(widths, 1149), 5);
    EXPECT_EQ(ColumnAt(widths, 1150), -1);  // right of all columns
}

TEST(ListColumns, LastColumnTakesTheRestButAtLeast200) {
    ColumnWidthArray widths = kInitialColumnWidths;
    RecomputeLastColumn(widths, 1184);
    EXPECT_EQ(widths[5], 434);
    RecomputeLastColumn(widths, 800);
    EXPECT_EQ(widths[5], 200);  // runs past the right edge
}

TEST(ListColumns, ResizeHandleWithinEightPixelsOfAnEdgeInTheHeaderOnly) {
    const ColumnWidthArray widths = kInitialColumnWidths;
    EXPECT_EQ(ResizeHandleAt(widths, 310 - 8, 180), 1);  // Name|Size boundary: Name drags
    EXPECT_EQ(ResizeHandleAt(widths, 310 + 8, 180), 1);
    EXPECT_EQ(ResizeHandleAt(widths, 310 + 9, 180), -1);
    EXPECT_EQ(ResizeHandleAt(widths, 310, 159), -1);
    EXPECT_EQ(ResizeHandleAt(widths, 310, 160), 1);
    EXPECT_EQ(ResizeHandleAt(widths, 310, 201), 1);
    EXPECT_EQ(ResizeHandleAt(widths, 310, 202), -1);
    EXPECT_EQ(ResizeHandleAt(widths, 1150, 180), -1);  // the last column has no handle
}

TEST(ListColumns, ResizeHandleOfNarrowColumnsPrefersTheLeftOne) {
    ColumnWidthArray widths = kInitialColumnWidths;
    widths[1] = 10;  // edges of columns 0 and 1 are 10 pixels apart
    EXPECT_EQ(ResizeHandleAt(widths, 65, 180), 0);
}

TEST(ListColumns, DraggedWidthNeverBelow30AndFollowsALeftwardPointer) {
    EXPECT_EQ(DraggedColumnWidth(250, 310, 410), 350);
    EXPECT_EQ(DraggedColumnWidth(250, 310, 60), 30);
    EXPECT_EQ(DraggedColumnWidth(250, 310, -500), 30);  // captured, left of the window
}

TEST(ListRows, HitTestByArithmetic) {
    EXPECT_EQ(RowAt(0, 201, 10), -1);  // header
    EXPECT_EQ(RowAt(0, 202, 10), 0);
    EXPECT_EQ(RowAt(0, 237, 10), 0);
    EXPECT_EQ(RowAt(0, 238, 10), 1);
    EXPECT_EQ(RowAt(100, 202, 10), 2);           // partly scrolled
    EXPECT_EQ(RowAt(0, 202 + 36 * 10, 10), -1);  // below the last row
    EXPECT_EQ(RowAt(0, 300, 0), -1);             // empty list
}

TEST(ListRows, VisibleRangeIsWhatFitsPlusTwo) {
    const VisibleRowRange top = VisibleRows(0, 723, 1000000);
    EXPECT_EQ(top.first, 0);
    EXPECT_EQ(top.firstTop, 202);
    EXPECT_EQ(top.end, (723 - 202) / 36 + 2);
    const VisibleRowRange scrolled = VisibleRows(100, 723, 1000000);
    EXPECT_EQ(scrolled.first, 2);
    EXPECT_EQ(scrolled.firstTop, 174);  // starts above the header line
    const VisibleRowRange shortList = VisibleRows(0, 723, 3);
    EXPECT_EQ(shortList.end, 3);
    const VisibleRowRange low = VisibleRows(0, 170, 10);
    EXPECT_GE(low.end, low.first);
}

TEST(ListScrolling, ScrollBarRangeAndPageInRows) {
    // 10 rows, room for 5.
    const int height = 202 + 5 * 36;
    const ScrollBarValues values = ScrollBarFor(10, height, 0);
    EXPECT_EQ(values.maximum, 9);
    EXPECT_EQ(values.page, 5);
    EXPECT_EQ(ScrollBarFor(0, height, 0).maximum, -1);
    EXPECT_EQ(ScrollBarFor(5000000000LL, height, 0).maximum, 2147483647);
    EXPECT_EQ(ScrollBarFor(10, 150, 0).page, 0);  // never negative
}

TEST(ListScrolling, OffsetsClampBetweenZeroAndTheLastFullPage) {
    const int height = 202 + 5 * 36;
    EXPECT_EQ(LargestScrollOffset(10, height), 10 * 36 - 5 * 36);
    EXPECT_EQ(ClampScrollOffset(100000, 10, height), 180);
    EXPECT_EQ(ClampScrollOffset(-5, 10, height), 0);
    EXPECT_EQ(ClampScrollOffset(50, 3, height), 0);  // everything fits
}

TEST(ListScrolling, WheelNotchMoves100PixelsAndLineDownRealignsToRows) {
    const std::int64_t afterNotch = WheelTarget(0, -120);
    EXPECT_EQ(afterNotch, 100);
    EXPECT_EQ(ScrollRequestTarget(ScrollRequest::LineDown, afterNotch, 5, 0), 108);
    EXPECT_EQ(WheelTarget(100, 119), 100);  // part of a notch moves nothing
    EXPECT_EQ(WheelTarget(100, -119), 100);
    EXPECT_EQ(WheelTarget(300, 240), 100);
}

TEST(ListScrolling, BarRequestsMoveByRowsAndPages) {
    EXPECT_EQ(ScrollRequestTarget(ScrollRequest::LineUp, 100, 5, 0), 36);
    EXPECT_EQ(ScrollRequestTarget(ScrollRequest::PageDown, 100, 5, 0), 7 * 36);
    EXPECT_EQ(ScrollRequestTarget(ScrollRequest::PageUp, 100, 5, 0), -3 * 36);  // clamped later
    EXPECT_EQ(ScrollRequestTarget(ScrollRequest::Thumb, 100, 5, 7), 7 * 36);
    EXPECT_EQ(ScrollRequestTarget(ScrollRequest::Other, 100, 5, 0), 72);
}

}  // namespace
}  // namespace kx
