// The program's open popup menu and the message boxes it owns: what they show, and keys and
// button presses sent to them.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/ui/probe/probe_support.h"

namespace kx::probe {

namespace {

constexpr UINT kMenuGetHandle = 0x01E1;  // MN_GETHMENU

}  // namespace

int PrintMenu(HWND main) {
    const HWND menuWindow = FindTopLevel(main, L"#32768", nullptr);
    if (menuWindow == nullptr) {
        std::printf("no menu\n");
        return 1;
    }
    RECT place{};
    ::GetWindowRect(menuWindow, &place);
    PrintRect("menu", place);
    const HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, kMenuGetHandle, 0, 0));
    const int count = menu != nullptr ? ::GetMenuItemCount(menu) : -1;
    std::printf("menu_items=%d\n", count);
    for (int k = 0; k < count; ++k) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(k), TRUE, &item);
        RECT rect{};
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(k), &rect);
        const char* kind = (item.fType & MFT_SEPARATOR) ? "separator"
                           : (item.fState & MFS_GRAYED) ? "grayed"
                                                        : "enabled";
        std::printf("menu_item%d=%u %s %ld,%ld,%ld,%ld %s\n", k, item.wID, kind, rect.left,
                    rect.top, rect.right - rect.left, rect.bottom - rect.top, Utf8(text).c_str());
    }
    return 0;
}

int PostMenuKeys(HWND main, int count, wchar_t** keys) {
    const HWND menuWindow = FindTopLevel(main, L"#32768", nullptr);
    if (menuWindow == nullptr)
        return 1;
    for (int k = 0; k < count; ++k) {
        const WPARAM key = std::wcstoul(keys[k], nullptr, 0);
        ::PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
        ::PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000001);
        ::Sleep(100);
    }
    return 0;
}

namespace {

BOOL CALLBACK PrintStaticText(HWND child, LPARAM) {
    wchar_t className[64] = {};
    ::GetClassNameW(child, className, 64);
    const std::wstring text = TextOf(child);
    if (_wcsicmp(className, L"Static") == 0 && !text.empty())
        Line("box_text", Utf8(text));
    return TRUE;
}

struct BoxParts {
    std::string buttons;  // ids in child order, comma-separated
    RECT icon{};          // screen rectangle of the icon, empty when there is none
};

BOOL CALLBACK CollectBoxParts(HWND child, LPARAM context) {
    auto* parts = reinterpret_cast<BoxParts*>(context);
    wchar_t className[64] = {};
    ::GetClassNameW(child, className, 64);
    if (_wcsicmp(className, L"Button") == 0 && ::IsWindowVisible(child)) {
        if (!parts->buttons.empty())
            parts->buttons += ',';
        parts->buttons += std::to_string(::GetDlgCtrlID(child));
    } else if (_wcsicmp(className, L"Static") == 0 &&
               (::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        ::GetWindowRect(child, &parts->icon);
    }
    return TRUE;
}

}  // namespace

int PrintBox(HWND main, bool pressOk) {
    const HWND box = FindTopLevel(main, L"#32770", main);
    if (box == nullptr) {
        std::printf("no box\n");
        return 1;
    }
    const HWND ok = ::GetDlgItem(box, IDOK);
    if (pressOk) {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        return 0;
    }
    Line("box_caption", Utf8(TextOf(box)));
    ::EnumChildWindows(box, &PrintStaticText, 0);
    RECT rect{};
    ::GetWindowRect(ok, &rect);
    PrintRect("box_ok", rect);
    Line("box_ok_text", Utf8(TextOf(ok)));
    BoxParts parts;
    ::EnumChildWindows(box, &CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
    Line("box_buttons", parts.buttons);
    PrintRect("box_icon", parts.icon);
    return 0;
}

int PressBoxButton(HWND main, int id) {
    const HWND box = FindTopLevel(main, L"#32770", main);
    if (box == nullptr)
        return 1;
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
    return 0;
}

}  // namespace kx::probe
