// The hover tip that shows a cell's full text: one tracking tool of the tooltip control,
// owned by the main window.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// The tooltip control, or null when it cannot be created (then no tip is ever shown).
HWND CreateHoverTip(HWND owner);

// Shows text at the screen point, replacing any shown tip; an empty text only hides it.
void ShowHoverTip(const std::wstring& text, POINT screenPoint);
void HideHoverTip();

}  // namespace kx
