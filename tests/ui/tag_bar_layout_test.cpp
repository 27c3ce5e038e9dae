#include "filters/tag_bar_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace kx {
namespace {

TEST(TagButtonWidth, CaptionPlusPaddingBetween80And150) {
    EXPECT_EQ(TagButtonWidth(20), 80);  // a two-character name with count 0
    EXPECT_EQ(TagButtonWidth(70), 94);
    EXPECT_EQ(TagButtonWidth(400), 150);  // the text is clipped by the button
}

TEST(TagLayout, WideWindowOneRowFromX15TenApart) {
    const std::vector<TagPlacement> placed = LayoutTags({60, 60, 60, 60, 60, 60, 60}, 1184);
    ASSERT_EQ(placed.size(), 7u);
    int x = 15;
    for (const TagPlacement& tag : placed) {
        EXPECT_TRUE(tag.visible);
        EXPECT_EQ(tag.y, 55);
        EXPECT_EQ(tag.x, x);
        EXPECT_EQ(tag.width, 84);
        x += 84 + 10;
    }
}

TEST(TagLayout, WrapsToASecondRowAndHidesWhatFitsInNeither) {
    // Limit 200 - 15 = 185: two 80-wide buttons per row.
    const std::vector<TagPlacement> placed = LayoutTags({0, 0, 0, 0, 0, 0}, 200);
    EXPECT_EQ(placed[1].x, 105);
    EXPECT_EQ(placed[2].y, 95);
    EXPECT_EQ(placed[2].x, 15);
    EXPECT_TRUE(placed[3].visible);
    EXPECT_FALSE(placed[4].visible);
    EXPECT_FALSE(placed[5].visible);
    EXPECT_EQ(placed[4].width, 0);
}

TEST(TagLayout, ALaterNarrowerButtonTakesRoomAHiddenOneLeft) {
    // Limit 285: one 150-wide button a row; after the second row is full, an 80 still fits.
    const std::vector<TagPlacement> placed = LayoutTags({200, 200, 200, 200, 0}, 300);
    EXPECT_EQ(placed[0].y, 55);
    EXPECT_EQ(placed[1].y, 95);
    EXPECT_FALSE(placed[2].visible);
    EXPECT_FALSE(placed[3].visible);
    EXPECT_TRUE(placed[4].visible);
    EXPECT_EQ(placed[4].x, 15 + 150 + 10);
    EXPECT_EQ(placed[4].y, 95);
}

TEST(TagLayout, TooNarrowForTheFirstButtonPutsItOnTheSecondRow) {
    const std::vector<TagPlacement> placed = LayoutTags({0, 0, 0}, 60);
    EXPECT_TRUE(placed[0].visible);
    EXPECT_EQ(placed[0].y, 95);
    EXPECT_EQ(placed[0].x, 15);
    EXPECT_FALSE(placed[1].visible);
    EXPECT_FALSE(placed[2].visible);
}

TEST(TagCaption, NameLineFeedAndCountInParentheses) {
    EXPECT_EQ(TagCaption(u"文档", 0), u"文档\n(0)");
    EXPECT_EQ(TagCaption(u"All Files", 18446744073709551615ull),
              u"All Files\n(18446744073709551615)");
}

}  // namespace
}  // namespace kx
