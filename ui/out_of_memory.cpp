#include "ui/out_of_memory.h"

#include "ui/texts.h"
#include "ui/window_state.h"

namespace kx {

LRESULT OnOutOfMemory(HWND window, UINT message) {
    switch (message) {
        case WM_CREATE:
            return -1;  // the window is not made; the program ends as when creation fails
        case WM_PAINT:
            // The paint guard has ended the paint on the way out; validating keeps a window
            // that cannot paint from being asked again and again.
            ::ValidateRect(window, nullptr);
            return 0;
        default:
            break;
    }
    if (StatusLine != nullptr)
        ::SetWindowTextW(StatusLine, Text(TextId::OutOfMemory));
    return 0;
}

}  // namespace kx
