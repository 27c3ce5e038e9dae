// The rest of the desktop: the clipboard, the windows of every process, and a file held open
// as another program using it would.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/ui/probe/probe_support.h"

namespace kx::probe {

int PrintClipboard() {
    if (!::OpenClipboard(nullptr)) {
        std::printf("clipboard busy\n");
        return 1;
    }
    const bool unicode = ::IsClipboardFormatAvailable(CF_UNICODETEXT) != 0;
    Line("clipboard_unicode", unicode ? "1" : "0");
    std::wstring text;
    if (const HANDLE data = unicode ? ::GetClipboardData(CF_UNICODETEXT) : nullptr) {
        if (const auto* units = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = units;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    Line("clipboard_text", Utf8(text));
    return 0;
}

namespace {

struct TitleMatch {
    const wchar_t* part;  // null: print every window
    DWORD sparedProcess;  // Kestrix's: its hover tip can carry the same title as a shell window
};

DWORD OwningProcess(HWND window) {
    DWORD process = 0;
    if (window != nullptr)
        ::GetWindowThreadProcessId(window, &process);
    return process;
}

BOOL CALLBACK VisitVisibleWindow(HWND window, LPARAM context) {
    const auto* match = reinterpret_cast<const TitleMatch*>(context);
    if (!::IsWindowVisible(window))
        return TRUE;
    wchar_t className[128] = {};
    ::GetClassNameW(window, className, 128);
    const std::wstring title = TextOf(window);
    if (match->part == nullptr)
        std::printf("window=%s|%s\n", Utf8(className).c_str(), Utf8(title).c_str());
    else if (title.find(match->part) != std::wstring::npos &&
             OwningProcess(window) != match->sparedProcess)
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

int VisitWindows(const wchar_t* titlePart) {
    TitleMatch match{titlePart, OwningProcess(::FindWindowW(L"KESTRIXWND", nullptr))};
    ::EnumWindows(&VisitVisibleWindow, reinterpret_cast<LPARAM>(&match));
    return 0;
}

int HoldFile(const wchar_t* path, const wchar_t* milliseconds) {
    const HANDLE file = ::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot open: %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    ::Sleep(std::wcstoul(milliseconds, nullptr, 10));
    ::CloseHandle(file);
    return 0;
}

}  // namespace kx::probe
