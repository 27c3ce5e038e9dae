#include <windows.h>

#include "platform/window_post.h"

namespace kx {

bool PostToWindow(WindowHandle window, unsigned message, std::uintptr_t wParam,
                  std::intptr_t lParam) {
    // A null window would post to the calling worker's own thread queue, which nobody reads:
    // the post would "succeed" and whatever lParam owns would leak.
    if (window == nullptr)
        return false;
    return ::PostMessageW(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                          static_cast<LPARAM>(lParam)) != FALSE;
}

}  // namespace kx
