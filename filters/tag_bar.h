// The filter tag bar: one push button per category between the search box and the status
// line, showing the category's hit count; a click selects the category and searches again.
#pragma once

#include <windows.h>

#include <vector>

namespace kx {

// Button k belongs to category k and has the control id IDC_TAG_BASE + k. Filled once with
// the main window; it never grows or shrinks afterwards, even when a reset changes the
// number of categories.
extern std::vector<HWND> TagButtons;

// One button per entry of FilterCategories, in a provisional row until the first layout.
void CreateTagBar(HWND mainWindow);

// Sizes each button to its caption and places it in the first or second row, hiding those
// that fit in neither; shows again those that fit after the window was widened.
void LayoutTagBar();

// Captions with the counts of the current hits, then a new layout. Buttons exist only for
// the categories the window was created with: a longer list after a reset counts only as
// far as there are buttons.
void RefreshTagCounts();

// Selects the category, marks its button, drops the cached visible list and runs the search
// again with the box's text, empty or not.
void SelectTag(int category);

}  // namespace kx
