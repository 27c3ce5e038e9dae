// The main window as the tests see it: its title, controls and tag buttons, and its hover tip.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/ui/probe/probe_support.h"
#include "ui/control_ids.h"

namespace kx::probe {

namespace {

constexpr int kSearchEditId = kx::IDC_SEARCH_EDIT;
constexpr int kStatusId = kx::IDC_STATUS;
constexpr int kFirstTagId = kx::IDC_TAG_BASE;
constexpr int kMaxTags = 64;

}  // namespace

void PrintState(HWND main) {
    Line("title", Utf8(TextOf(main)));
    Line("visible", ::IsWindowVisible(main) ? "1" : "0");
    Line("foreground", ::GetForegroundWindow() == main ? "1" : "0");
    Line("iconic", ::IsIconic(main) ? "1" : "0");
    const HWND edit = ::GetDlgItem(main, kSearchEditId);
    Line("search", Utf8(TextOf(edit)));
    Line("search_enabled", ::IsWindowEnabled(edit) ? "1" : "0");
    Line("status", Utf8(TextOf(::GetDlgItem(main, kStatusId))));
    POINT origin{0, 0};
    ::ClientToScreen(main, &origin);
    RECT client{};
    ::GetClientRect(main, &client);
    std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right, client.bottom);
    for (int k = 0; k < kMaxTags; ++k) {
        const HWND tag = ::GetDlgItem(main, kFirstTagId + k);
        if (tag == nullptr)
            break;
        RECT rect{};
        ::GetWindowRect(tag, &rect);
        POINT topLeft{rect.left, rect.top};
        ::ScreenToClient(main, &topLeft);
        const LONG_PTR style = ::GetWindowLongPtrW(tag, GWL_STYLE);
        std::printf("tag%d=%ld,%ld,%ld,%ld visible=%d marked=%d caption=%s\n", k, topLeft.x,
                    topLeft.y, rect.right - rect.left, rect.bottom - rect.top,
                    ::IsWindowVisible(tag) ? 1 : 0, (style & BS_DEFPUSHBUTTON) ? 1 : 0,
                    Utf8(TextOf(tag)).c_str());
    }
}

// The hover tip is an owned popup of class tooltips_class32; Wine's control answers
// WM_GETTEXT with the text it shows.
int PrintTip(HWND main) {
    const HWND tip = FindTopLevel(main, L"tooltips_class32", nullptr);
    Line("tip_visible", tip != nullptr ? "1" : "0");
    Line("tip_text", tip != nullptr ? Utf8(TextOf(tip)) : std::string());
    return 0;
}

}  // namespace kx::probe
