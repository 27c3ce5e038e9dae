// What the window does when a message handler ran out of memory: the handler's work is given
// up, what was drawn stays drawn, and a click or key that could not be carried out says so.
#pragma once

#include <windows.h>

namespace kx {

// The result for the window procedure to return for `message`.
LRESULT OnOutOfMemory(HWND window, UINT message);

}  // namespace kx
