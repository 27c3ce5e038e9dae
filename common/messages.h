// Numbers of the messages that worker threads post to the main window.
#pragma once

namespace kx {

constexpr unsigned kWindowsUserMessageBase = 0x0400;  // WM_USER

// wParam: 1 when no volume could be indexed, 0 when ready. lParam: 0.
constexpr unsigned WM_INDEX_READY = kWindowsUserMessageBase + 1;
// wParam: generation of the search or sort. lParam: 0 new list, 1 same hits re-sorted.
constexpr unsigned WM_SEARCH_DONE = kWindowsUserMessageBase + 2;
// wParam: generation of the sort. lParam: heap array of 128 wide characters, freed by the window.
constexpr unsigned WM_SORT_PROGRESS = kWindowsUserMessageBase + 3;

constexpr unsigned kWindowsAppMessageBase = 0x8000;  // WM_APP
// The notification-area icon's callback. wParam: the icon's id (1). lParam: the mouse message.
constexpr unsigned WM_TRAY_NOTIFY = kWindowsAppMessageBase + 1;

}  // namespace kx
