// The results list painted in the lower part of the main window: painting, scrolling and the
// mouse. MainWndProc routes the list's messages here.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kx {

// Between BeginPaint and EndPaint: draws into the back buffer and copies it to paintDC.
void PaintResultsList(HDC paintDC);

// The vertical scroll bar, in rows, from DisplayedCount, ClientHeight and ScrollOffset.
void UpdateScrollBar();
// Clamps offset and, when it changes ScrollOffset, applies it and repaints the list.
void SetScrollPosition(std::int64_t offset);
// The list area below the tag bar: header and rows.
void InvalidateListArea(bool erase);

LRESULT OnVScroll(WPARAM wParam);
LRESULT OnMouseWheel(WPARAM wParam);
LRESULT OnListButtonDown(HWND window, LPARAM lParam);
LRESULT OnListButtonUp();
LRESULT OnListDoubleClick(HWND window, LPARAM lParam);
LRESULT OnListMouseMove(HWND window, LPARAM lParam);
LRESULT OnListMouseLeave();
// The window is being hidden: its tip goes, and the hovered cell is forgotten, so that the
// first mouse move after the window is shown again brings the tip back even over that cell.
void OnListHidden();
LRESULT OnListCaptureChanged(HWND window, LPARAM lParam);
LRESULT OnListSetCursor(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace kx
