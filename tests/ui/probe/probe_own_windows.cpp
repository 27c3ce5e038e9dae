// Windows of the probe's own: a replica of a popup menu in the program's fonts, and a window
// in front of everything, for screenshots to compare with the program's.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/ui/probe/probe_support.h"

namespace kx::probe {

namespace {

HMENU ReplicaMenu = nullptr;
int ReplicaItems = 0;
constexpr UINT_PTR kPrintTimer = 1;
constexpr UINT_PTR kEndTimer = 2;
constexpr UINT kPrintDelay = 300;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER)
        return ::DefWindowProcW(window, message, wParam, lParam);
    ::KillTimer(window, wParam);
    if (wParam == kPrintTimer) {
        for (int k = 0; k < ReplicaItems; ++k) {
            RECT rect{};
            ::GetMenuItemRect(nullptr, ReplicaMenu, static_cast<UINT>(k), &rect);
            const std::string key = "item" + std::to_string(k);
            PrintRect(key.c_str(), rect);
        }
        std::fflush(stdout);
    } else if (ReplicaMenu != nullptr) {
        ::EndMenu();
    } else {
        ::PostQuitMessage(0);
    }
    return 0;
}

HWND CreateProbeWindow(DWORD style, const wchar_t* title, HCURSOR cursor = nullptr) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ProbeWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = L"KestrixProbe";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, L"KestrixProbe", title, style, 600, 100, 300, 200, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

}  // namespace

int ShowReplicaMenu(int count, wchar_t** args) {  // X Y MS ITEM...
    if (count < 4)
        return 2;
    const HWND owner = CreateProbeWindow(WS_POPUP, L"");
    ReplicaMenu = ::CreatePopupMenu();
    for (int k = 3; k < count; ++k) {
        if (std::wcscmp(args[k], L"-") == 0)
            ::AppendMenuW(ReplicaMenu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(ReplicaMenu, MF_STRING, static_cast<UINT_PTR>(k), args[k]);
    }
    ReplicaItems = count - 3;
    ::SetTimer(owner, kPrintTimer, kPrintDelay, nullptr);
    ::SetTimer(owner, kEndTimer, std::wcstoul(args[2], nullptr, 10), nullptr);
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(ReplicaMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                     std::wcstol(args[0], nullptr, 10), std::wcstol(args[1], nullptr, 10), 0, owner,
                     nullptr);
    ::DestroyMenu(ReplicaMenu);
    return 0;
}

int ShowFrontWindow(const wchar_t* milliseconds, const wchar_t* cursorName) {
    // A system cursor over the window, for the tests to see how Wine draws it on the display.
    HCURSOR cursor = nullptr;
    if (cursorName != nullptr && std::wcscmp(cursorName, L"sizewe") == 0)
        cursor = ::LoadCursorW(nullptr, IDC_SIZEWE);
    else if (cursorName != nullptr && std::wcscmp(cursorName, L"arrow") == 0)
        cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    const HWND window =
        CreateProbeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Kestrix probe front", cursor);
    ::SetForegroundWindow(window);
    ::SetTimer(window, kEndTimer, std::wcstoul(milliseconds, nullptr, 10), nullptr);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}

}  // namespace kx::probe
