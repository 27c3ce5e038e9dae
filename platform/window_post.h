// The one way workers reach the window system: posting a message to the main window.
#pragma once

#include <cstdint>

namespace kx {

using WindowHandle = void*;  // HWND

// PostMessageW. False when the message could not be posted (the receiver then never frees
// whatever lParam points to, so the caller must).
bool PostToWindow(WindowHandle window, unsigned message, std::uintptr_t wParam,
                  std::intptr_t lParam);

}  // namespace kx
