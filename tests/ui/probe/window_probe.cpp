// A console program that looks into the running Kestrix window from outside, for
// scripts/ui-tests.sh: the texts of the controls that X11 cannot see (Wine's child windows are
// not X windows), the tag buttons' places and marks, and the client area's
// place on the screen. It also closes or resizes the window, and scrolls it one line down
// as the scroll bar's arrow does (a real click on the arrow repeats when the machine is slow).
//
//   window_probe.exe state | close | resize WIDTH HEIGHT | linedown
//
// "state" prints one "key=value" line per fact, UTF-8, line feeds inside texts as "\n".
// Exit code 0, or 1 when no window of class KESTRIXWND exists.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr int kSearchEditId = 101;
constexpr int kStatusId = 103;
constexpr int kFirstTagId = 200;
constexpr int kMaxTags = 64;

std::string Utf8(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'\n')
            escaped += L"\\n";
        else
            escaped += c;
    }
    if (escaped.empty())
        return std::string();
    const int size = ::WideCharToMultiByte(
        CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()),
                          bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// WM_GETTEXT, not GetWindowTextW: for a window of another process the latter returns the
// window's caption, which an edit control does not keep its text in.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

void Line(const char* key, const std::string& value) {
    std::printf("%s=%s\n", key, value.c_str());
}

void PrintState(HWND main) {
    Line("title", Utf8(TextOf(main)));
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const HWND main = ::FindWindowW(L"KESTRIXWND", nullptr);
    if (main == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    const std::wstring command = argc > 1 ? argv[1] : L"state";
    if (command == L"close") {
        ::PostMessageW(main, WM_CLOSE, 0, 0);
    } else if (command == L"linedown") {
        ::PostMessageW(main, WM_VSCROLL, SB_LINEDOWN, 0);
    } else if (command == L"resize" && argc > 3) {
        ::SetWindowPos(main, nullptr, 0, 0, std::wcstol(argv[2], nullptr, 10),
                       std::wcstol(argv[3], nullptr, 10), SWP_NOMOVE | SWP_NOZORDER);
    } else {
        PrintState(main);
    }
    std::fflush(stdout);
    return 0;
}
