// Hiding instead of minimising, and the ALT+Z hotkey that hides and shows the main window.
#pragma once

#include <windows.h>

namespace kx {

// Creation and destruction steps. A hotkey already held by another program is not reported:
// ALT+Z then simply does nothing.
void RegisterToggleHotkey(HWND window);
void UnregisterToggleHotkey(HWND window);

// Shows the window and brings it to the front.
void ShowMainWindow(HWND window);

// True when the message was handled (the procedure returns 0), false for default processing.
bool OnSysCommand(HWND window, WPARAM command);
bool OnHotkey(HWND window, WPARAM id);

}  // namespace kx
