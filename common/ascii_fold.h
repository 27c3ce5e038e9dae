// Case folding used everywhere names are compared without regard to case: only the 26 ASCII
// capitals change. No locale is involved, so the stored folded names and a folded query always
// agree, whatever the user's language.
#pragma once

#include <string>

namespace kx {

constexpr char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

inline std::u16string FoldAscii(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded)
        c = FoldAscii(c);
    return folded;
}

}  // namespace kx
