// The results list's context menu, opened by a right-button release in the main window's
// client area.
#pragma once

#include <windows.h>

namespace kx {

// Selects the row under the point (if any), shows the menu at the cursor and runs the chosen
// command. No lock is held while the menu or a message box is open.
LRESULT OnListRightButtonUp(HWND window, LPARAM lParam);

}  // namespace kx
