#include <gtest/gtest.h>

#include <string>

#include "resources/product.h"
#include "ui/about_text.h"
#include "ui/bounded_copy.h"
#include "ui/system_command.h"
#include "ui/texts.h"

namespace kx {
namespace {

TEST(AboutText, FourLinesInEnglishEndingWithTheVersion) {
    EXPECT_EQ(AboutText(false),
              L"Product: Kestrix Fast Search\nBrand: Kestrix\nWebsite: https://kestrix.app\n"
              L"Version: " KX_PRODUCT_VERSION_TEXT);
}

TEST(AboutText, FourLinesInChineseWithTheSameWebAddress) {
    EXPECT_EQ(AboutText(true),
              L"产品名称: Kestrix 极速搜索\n官网名称: Kestrix\n官网地址: https://kestrix.app\n"
              L"版本号: " KX_PRODUCT_VERSION_TEXT);
}

TEST(AboutText, FitsItsBufferInBothLanguages) {
    EXPECT_LT(AboutText(false).size(), kAboutTextCapacity);
    EXPECT_LT(AboutText(true).size(), kAboutTextCapacity);
}

TEST(TrayTexts, TipAndMenuItemsInBothLanguages) {
    EXPECT_STREQ(TextIn(TextId::TrayTip, true), L"Kestrix 极速搜索 - ALT+Z 显示/隐藏");
    EXPECT_STREQ(TextIn(TextId::TrayTip, false), L"Kestrix - ALT+Z Show/Hide");
    EXPECT_STREQ(TextIn(TextId::TrayShowWindow, false), L"Show Window");
    EXPECT_STREQ(TextIn(TextId::TrayAbout, false), L"About / Info");
    EXPECT_STREQ(TextIn(TextId::TrayExit, true), L"退出 Kestrix");
    EXPECT_STREQ(TextIn(TextId::AboutCaption, true), L"关于 Kestrix");
    EXPECT_STREQ(TextIn(TextId::AboutCaption, false), L"About Kestrix");
}

// The tip field of NOTIFYICONDATAW holds 128 characters.
constexpr std::size_t kTipField = 128;

TEST(CopyTruncated, ShortTextIsCopiedWhole) {
    wchar_t field[kTipField];
    CopyTruncated(TextIn(TextId::TrayTip, false), field);
    EXPECT_STREQ(field, L"Kestrix - ALT+Z Show/Hide");
}

TEST(CopyTruncated, LongTextIsCutToCapacityMinusOneAndTerminated) {
    const std::wstring longText(300, L'x');
    wchar_t field[kTipField + 1];
    field[kTipField] = L'#';  // guard just past the field
    CopyTruncated(longText.c_str(), field, kTipField);
    EXPECT_EQ(std::wstring(field), std::wstring(kTipField - 1, L'x'));
    EXPECT_EQ(field[kTipField], L'#');
}

TEST(CopyTruncated, TextOfExactlyCapacityLosesItsLastCharacter) {
    wchar_t field[4];
    CopyTruncated(L"abcd", field);
    EXPECT_STREQ(field, L"abc");
    CopyTruncated(L"abc", field);
    EXPECT_STREQ(field, L"abc");
}

TEST(CopyTruncated, NullOrEmptyTextGivesAnEmptyField) {
    wchar_t field[4] = {L'a', L'b', L'c', L'\0'};
    CopyTruncated(nullptr, field);
    EXPECT_STREQ(field, L"");
    wchar_t untouched = L'q';
    CopyTruncated(L"abc", &untouched, 0);
    EXPECT_EQ(untouched, L'q');
}

TEST(MinimizeCommand, LowFourBitsAreIgnored) {
    EXPECT_TRUE(IsMinimizeCommand(0xF020));
    EXPECT_TRUE(IsMinimizeCommand(0xF022));  // the minimise box's click
    EXPECT_TRUE(IsMinimizeCommand(0xF02F));
}

TEST(MinimizeCommand, OtherSystemCommandsAreNotMinimise) {
    EXPECT_FALSE(IsMinimizeCommand(0xF030));   // SC_MAXIMIZE
    EXPECT_FALSE(IsMinimizeCommand(0xF060));   // SC_CLOSE
    EXPECT_FALSE(IsMinimizeCommand(0xF120));   // SC_RESTORE
    EXPECT_FALSE(IsMinimizeCommand(0xF010));   // SC_MOVE
    EXPECT_FALSE(IsMinimizeCommand(0x1F020));  // high bits set: not the same command
}

}  // namespace
}  // namespace kx
