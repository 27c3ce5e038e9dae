#include "ui/tray_icon.h"

#include <shellapi.h>

#include "common/messages.h"
#include "resources/product.h"
#include "ui/about_box.h"
#include "ui/bounded_copy.h"
#include "ui/control_ids.h"
#include "ui/gdi_resources.h"
#include "ui/texts.h"
#include "ui/window_visibility.h"

namespace kx {

namespace {

constexpr UINT kTrayIconId = 1;
constexpr int kTrayIconSize = 16;

// Process-wide: the shell identifies the icon by window and id, so NIM_DELETE reuses it.
NOTIFYICONDATAW TrayIconData{};
// Only the icon loaded from the module is owned; the system's fallback icon is shared.
UniqueIcon OwnedTrayIcon;

HICON LoadTrayIcon() {
    OwnedTrayIcon.reset(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KESTRIX), IMAGE_ICON,
                     kTrayIconSize, kTrayIconSize, LR_DEFAULTCOLOR)));
    if (OwnedTrayIcon)
        return OwnedTrayIcon.get();
    return ::LoadIconW(nullptr, IDI_APPLICATION);
}

UniqueMenu BuildTrayMenu() {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return menu;
    ::AppendMenuW(menu.get(), MF_STRING, IDM_TRAY_SHOW, Text(TextId::TrayShowWindow));
    ::AppendMenuW(menu.get(), MF_STRING, IDM_TRAY_ABOUT, Text(TextId::TrayAbout));
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, IDM_TRAY_EXIT, Text(TextId::TrayExit));
    return menu;
}

// The menu is destroyed before the chosen command runs, so none of it stays alive under the
// modal About box.
int TrackTrayMenu(HWND window) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const UniqueMenu menu = BuildTrayMenu();
    if (!menu)
        return 0;
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(window);
    const int choice = static_cast<int>(::TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr));
    // Documented quirk of menus opened from the notification area: without a message after
    // the menu the next one opened may close at once.
    ::PostMessageW(window, WM_NULL, 0, 0);
    return choice;
}

void OnTrayRightButtonUp(HWND window) {
    switch (TrackTrayMenu(window)) {
        case IDM_TRAY_SHOW:
            ShowMainWindow(window);
            break;
        case IDM_TRAY_ABOUT:
            ShowAboutBox(window);
            break;
        case IDM_TRAY_EXIT:
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace

void AddTrayIcon(HWND window) {
    TrayIconData = NOTIFYICONDATAW{};
    TrayIconData.cbSize = sizeof(TrayIconData);
    TrayIconData.hWnd = window;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
    TrayIconData.hIcon = LoadTrayIcon();
    CopyTruncated(Text(TextId::TrayTip), TrayIconData.szTip);
    ::Shell_NotifyIconW(NIM_ADD, &TrayIconData);
}

void RemoveTrayIcon() {
    // Asked even when the add failed: deleting an icon the shell does not have is harmless.
    if (TrayIconData.hWnd != nullptr)
        ::Shell_NotifyIconW(NIM_DELETE, &TrayIconData);
    TrayIconData.hIcon = nullptr;
    OwnedTrayIcon.reset();
}

void OnTrayNotify(HWND window, LPARAM lParam) {
    switch (LOWORD(lParam)) {
        case WM_RBUTTONUP:
            OnTrayRightButtonUp(window);
            break;
        case WM_LBUTTONDBLCLK:
            ShowMainWindow(window);
            break;
        default:
            break;
    }
}

}  // namespace kx
