// Conversions between the program's UTF-16 strings and UTF-8 bytes. Invalid input never
// throws: unpaired surrogates and malformed UTF-8 become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace kx {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);

}  // namespace kx
