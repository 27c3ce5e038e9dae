// State of the results list: column widths, scrolling, selection, the hovered cell and a
// column drag. UI thread only; lives for the run, nothing is saved.
#pragma once

#include <cstdint>

#include "ui/list_geometry.h"

namespace kx {

extern ColumnWidthArray ColumnWidths;
// Pixels scrolled from the top of the list; not always a multiple of the row height.
extern std::int64_t ScrollOffset;
// Index into the visible list, -1 for none.
extern std::int64_t SelectedRow;
// The cell whose text the hover tip shows, -1 for none.
extern std::int64_t HoverRow;
extern int HoverColumn;

// The right edge of a column being dragged with the mouse captured.
struct ColumnDrag {
    bool active = false;
    int column = -1;
    int startX = 0;
    int startWidth = 0;
};
extern ColumnDrag ResizingColumn;

}  // namespace kx
