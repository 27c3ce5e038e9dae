// The program's UTF-16 strings (std::u16string) handed to and taken from the W functions of
// the Windows API, whose wchar_t is the same 16-bit code unit under another type.
#pragma once

#include <cwchar>
#include <string>
#include <string_view>

namespace kx {

static_assert(sizeof(wchar_t) == 2, "Windows wide strings are UTF-16");
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// Copies rather than reinterpret_cast: char16_t and wchar_t are distinct types, and reading one
// through the other breaks strict aliasing.
inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// A 0-terminated wide string, as the API returns it into fixed buffers.
inline std::u16string FromWide(const wchar_t* text) {
    return text == nullptr ? std::u16string() : FromWide(std::wstring_view(text));
}

// A path for a W function. False when the path holds a 0 code unit: the API would silently
// act on the part before it (DeleteFileW of "a.txt\0x" deletes a.txt), so such a path names
// no file at all.
inline bool ToWidePath(std::u16string_view path, std::wstring* wide) {
    if (path.find(u'\0') != std::u16string_view::npos)
        return false;
    *wide = ToWide(path);
    return true;
}

}  // namespace kx
