// The About box, in the interface language.
#pragma once

#include <windows.h>

namespace kx {

// Modal: returns when the box is closed.
void ShowAboutBox(HWND owner);

}  // namespace kx
