// Random file names for tests that hold the table and the scan to a plain reference.
#pragma once

#include <iterator>
#include <random>
#include <string>

namespace kx::testing {

// Names from a small alphabet, so that queries of two or three letters hit often, with the
// extensions the stand-in categories know in both cases, and some without a dot. One name in
// five is stored in UTF-16: it holds an accented letter in either case, a CJK unit or a
// surrogate pair, alone or among ASCII units; a few are one unit or 255 units long.
inline std::u16string RandomName(std::mt19937& random) {
    static const std::u16string letters = u"abcAB_e ";
    static const std::u16string wide[] = {u"\u00e9", u"\u00c9", u"\u6587", u"\U0001F600"};
    static const std::u16string extensions[] = {u".txt", u".DOC", u".jpg", u".Png",
                                                u".zip", u"",     u".",    u".txt.jpg"};
    if (random() % 50 == 0)
        return std::u16string(1, letters[random() % letters.size()]);
    std::u16string name;
    const std::size_t length = random() % 100 == 0 ? 255 : 1 + random() % 9;
    while (name.size() < length) {
        if (random() % 20 == 0)
            name += wide[random() % std::size(wide)];
        else
            name += letters[random() % letters.size()];
    }
    name += extensions[random() % std::size(extensions)];
    return name.substr(0, 255);
}

}  // namespace kx::testing
