#include "ui/window_titles.h"

#include <gtest/gtest.h>

#include <string>

#include "common/process_state.h"
#include "tests/ui/in_language.h"
#include "ui/texts.h"

namespace kx {
namespace {

TEST(UiLanguage, EveryChineseSublanguageAndNothingElse) {
    EXPECT_TRUE(IsChineseUiLanguage(0x0804));   // mainland
    EXPECT_TRUE(IsChineseUiLanguage(0x0404));   // Taiwan
    EXPECT_TRUE(IsChineseUiLanguage(0x0C04));   // Hong Kong
    EXPECT_TRUE(IsChineseUiLanguage(0x1004));   // Singapore
    EXPECT_TRUE(IsChineseUiLanguage(0x1404));   // Macao
    EXPECT_FALSE(IsChineseUiLanguage(0x0411));  // Japanese
    EXPECT_FALSE(IsChineseUiLanguage(0x0409));  // English
    EXPECT_FALSE(IsChineseUiLanguage(0x0412));  // Korean
}

TEST(ResultTitles, IdleOnlyForAnEmptyListFromAnEmptyBoxThatIsNotAResort) {
    InLanguage english(false);
    EXPECT_EQ(ResultTitle(0, 0, true, false), L"Kestrix - Ready · https://kestrix.app");
    EXPECT_EQ(ResultTitle(0, 0, false, false), L"Kestrix - 0 matches · https://kestrix.app");
    EXPECT_EQ(ResultTitle(0, 0, true, true), L"Kestrix - 0 matches · https://kestrix.app");
    EXPECT_EQ(ResultTitle(12, 3, false, false), L"Kestrix - 3 matches · https://kestrix.app");
}

TEST(ResultTitles, ChineseIdleTitleHasTwoBlanksAfterTheDash) {
    InLanguage chinese(true);
    EXPECT_EQ(ResultTitle(0, 0, true, false), L"Kestrix 极速搜索 -  https://kestrix.app");
    EXPECT_EQ(std::wstring(Text(TextId::ReadyTitle)), L"Kestrix 极速搜索 - https://kestrix.app");
    EXPECT_EQ(ResultTitle(5, 5, false, false), L"Kestrix 极速搜索 - 共命中 5 个文件");
}

TEST(StatusLine, EmptyForNoHitsElseFilterNameAndShownCount) {
    InLanguage english(false);
    EXPECT_EQ(StatusText(0, L"Documents", 0), L"");
    EXPECT_EQ(StatusText(41, L"Documents", 40), L"Filter: Documents | Matches: 40");
    InLanguage chinese(true);
    EXPECT_EQ(StatusText(41, L"文档", 40), L"筛选: 文档 | 命中: 40 个");
}

TEST(StatusLine, AVeryLongCategoryNameIsCutNotDropped) {
    InLanguage english(false);
    const std::wstring status = StatusText(1, std::wstring(5000, L'x'), 1);
    EXPECT_EQ(status.rfind(L"Filter: xxx", 0), 0u);
    EXPECT_NE(status.find(L"| Matches: 1"), std::wstring::npos);
}

TEST(ColumnTitles, ArrowOnlyOnTheSortedColumn) {
    InLanguage english(false);
    EXPECT_EQ(ColumnTitle(2, 2, true), L"Size \u2191");
    EXPECT_EQ(ColumnTitle(2, 2, false), L"Size \u2193");
    EXPECT_EQ(ColumnTitle(2, 1, true), L"Size");
    EXPECT_EQ(ColumnTitle(0, -1, true), L"#");
    InLanguage chinese(true);
    EXPECT_EQ(ColumnTitle(5, 5, true), L"路径 \u2191");
}

TEST(Texts, EveryTextExistsInBothLanguages) {
    for (int id = 0; id < static_cast<int>(TextId::Count); ++id) {
        EXPECT_NE(std::wstring(TextIn(static_cast<TextId>(id), true)), L"") << id;
        EXPECT_NE(std::wstring(TextIn(static_cast<TextId>(id), false)), L"") << id;
    }
}

}  // namespace
}  // namespace kx
