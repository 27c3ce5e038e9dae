#include "tests/ui/probe/probe_support.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace kx::probe {

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

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

void Line(const char* key, const std::string& value) {
    std::printf("%s=%s\n", key, value.c_str());
}

void PrintRect(const char* key, const RECT& rect) {
    std::printf("%s=%ld,%ld,%ld,%ld\n", key, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
}

namespace {

struct TopLevelSearch {
    DWORD process;
    const wchar_t* className;
    HWND owner;  // null: any owner
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (process != search->process || std::wcscmp(className, search->className) != 0 ||
        !::IsWindowVisible(window))
        return TRUE;
    if (search->owner != nullptr && ::GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindTopLevel(HWND main, const wchar_t* className, HWND owner) {
    TopLevelSearch search{0, className, owner, nullptr};
    ::GetWindowThreadProcessId(main, &search.process);
    ::EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintNumber(const std::string& key, long long value) {
    std::printf("%s=%lld\n", key.c_str(), value);
}

void PrintColour(const char* key, COLORREF colour) {
    std::printf("colour.%s=%d,%d,%d\n", key, GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
}

}  // namespace kx::probe
