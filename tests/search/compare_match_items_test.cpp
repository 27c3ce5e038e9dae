#include <gtest/gtest.h>

#include "search/compare_match_items.h"

namespace kx {
namespace {

TEST(TextOrder, FoldsOnlyAsciiLettersAndShorterFirst) {
    EXPECT_EQ(CompareFoldedText(u"README.txt", u"readme.TXT"), 0);
    EXPECT_LT(CompareFoldedText(u"a_b", u"aab"), 0) << "underscore before every small letter";
    EXPECT_LT(CompareFoldedText(u"A_B", u"aab"), 0);
    EXPECT_GT(CompareFoldedText(u"Z", u"_"), 0) << "capitals compare in their small form";
    EXPECT_LT(CompareFoldedText(u"abc", u"abcd"), 0);
    EXPECT_GT(CompareFoldedText(u"\u00C4", u"z"), 0);
    EXPECT_LT(CompareFoldedText(u"\u00C4", u"\u00E4"), 0) << "non-ASCII letters are not folded";
}

TEST(HitOrder, SizePutsDirectoriesFirstAscendingAndLastDescending) {
    HitDetails small, big, folder;
    small.size = 10;
    big.size = 20;
    folder.size = 4096;
    SortKey s{&small, false}, b{&big, false}, d{&folder, true};
    EXPECT_TRUE(CompareMatchItems(kColumnSize, true, d, s));
    EXPECT_TRUE(CompareMatchItems(kColumnSize, true, s, b));
    EXPECT_FALSE(CompareMatchItems(kColumnSize, true, b, d));
    EXPECT_TRUE(CompareMatchItems(kColumnSize, false, b, s));
    EXPECT_TRUE(CompareMatchItems(kColumnSize, false, s, d));
    EXPECT_FALSE(CompareMatchItems(kColumnSize, false, d, b));
}

TEST(HitOrder, TimesAndPathsAndUnknownColumns) {
    HitDetails unreadable, old, recent;
    old.lastWriteTime = 100;
    old.creationTime = 0x8000000000000001ull;  // compared unsigned, as CompareFileTime does
    // Made whole before assigning: MinGW GCC 12 at -O3 warns falsely of an overread otherwise.
    old.fullPath = std::u16string(u"C:\\b");
    recent.lastWriteTime = 200;
    recent.creationTime = 5;
    recent.fullPath = std::u16string(u"C:\\A\\z");
    const SortKey u{&unreadable, false}, o{&old, false}, r{&recent, false};
    EXPECT_TRUE(CompareMatchItems(kColumnModified, true, u, o)) << "time 0 first ascending";
    EXPECT_TRUE(CompareMatchItems(kColumnModified, false, o, u)) << "and last descending";
    EXPECT_TRUE(CompareMatchItems(kColumnModified, true, o, r));
    EXPECT_TRUE(CompareMatchItems(kColumnCreated, true, r, o));
    EXPECT_TRUE(CompareMatchItems(kColumnPath, true, r, o));
    EXPECT_TRUE(CompareMatchItems(kColumnPath, false, o, r));
    for (std::int32_t column : {0, 6, -1}) {
        EXPECT_FALSE(CompareMatchItems(column, true, o, r));
        EXPECT_FALSE(CompareMatchItems(column, true, r, o));
    }
}

}  // namespace
}  // namespace kx
