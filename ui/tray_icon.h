// The notification-area icon of the main window and its menu (show, about, exit).
#pragma once

#include <windows.h>

namespace kx {

// Creation and destruction steps. A shell that refuses the icon is not reported: the window
// works without it.
void AddTrayIcon(HWND window);
void RemoveTrayIcon();

// WM_TRAY_NOTIFY: lParam's low word is the mouse message over the icon.
void OnTrayNotify(HWND window, LPARAM lParam);

}  // namespace kx
