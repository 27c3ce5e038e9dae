// Keys against the comparisons they stand for: two keys that differ must order their values as
// the comparison does, and equal keys must say whether the texts are equal or go on.
#include "search/sort_keys.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "search/compare_match_items.h"

namespace kx::testing {
namespace {

int KeyOrder(const SortEntry& a, const SortEntry& b) {
    if (a.high != b.high)
        return a.high < b.high ? -1 : 1;
    return a.low != b.low ? (a.low < b.low ? -1 : 1) : 0;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(SortKeys, TextKeysOrderAsTheTextComparisonOrEndInATieThatSaysWhetherTextsGoOn) {
    // Units on both sides of every boundary of the code: the end, 1, A to Z and their folds,
    // 0x7D to 0x80, 0xFF, 0x100 and far beyond, in texts around the key's length.
    const char16_t units[] = {0x01, u'0', u'A', u'Z', u'_', u'a',  u'z',   0x7D,
                              0x7E, 0x7F, 0x80, 0xE9, 0xFF, 0x100, 0x4E2D, 0xFFFF};
    std::mt19937 random(11);
    const auto text = [&] {
        std::u16string made = random() % 2 ? u"shared_prefix" : u"";
        for (std::size_t k = random() % 14; k > 0; --k)
            made += units[random() % 16];
        return made;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::u16string a = text();
        std::u16string b = random() % 3 ? text() : a;
        if (!b.empty() && random() % 2)
            b.back() = units[random() % 16];  // equal but for the last unit
        SortEntry ka, kb;
        SetTextKey(a.data(), a.size(), ka);
        SetTextKey(b.data(), b.size(), kb);
        const int expected = Sign(CompareFoldedText(a, b));
        const int got = KeyOrder(ka, kb);
        if (got != 0) {
            ASSERT_EQ(got, expected) << "keys that differ order their texts";
        } else if (!TextGoesOn(ka)) {
            ASSERT_EQ(expected, 0) << "an equal key that ends is an equal text";
        }
    }
}

TEST(SortKeys, NumberKeysOrderByKindThenSignedValue) {
    const std::int64_t values[] = {std::numeric_limits<std::int64_t>::min(),
                                   -2,
                                   -1,
                                   0,
                                   1,
                                   2,
                                   1023,
                                   1024,
                                   std::int64_t{1} << 40,
                                   std::numeric_limits<std::int64_t>::max()};
    for (std::int64_t a : values) {
        for (std::int64_t b : values) {
            for (int kinds = 0; kinds < 4; ++kinds) {
                const bool firstA = kinds & 1, firstB = kinds & 2;
                SortEntry ka, kb;
                SetNumberKey(a, firstA, ka);
                SetNumberKey(b, firstB, kb);
                const int expected =
                    firstA != firstB ? (firstA ? -1 : 1) : (a < b ? -1 : (a > b ? 1 : 0));
                EXPECT_EQ(KeyOrder(ka, kb), expected) << a << " " << b << " " << kinds;
            }
        }
    }
    SortEntry early, late;
    SetTimeKey(1, early);
    SetTimeKey(~std::uint64_t{0}, late);
    EXPECT_LT(KeyOrder(early, late), 0) << "file times compare unsigned";
}

}  // namespace
}  // namespace kx::testing
