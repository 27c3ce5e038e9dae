#include "ui/file_action_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "common/process_state.h"
#include "tests/ui/in_language.h"
#include "ui/texts.h"

namespace kx {
namespace {

TEST(ErrorCodeTexts, CarryTheCodeInUnsignedDecimal) {
    InLanguage english(false);
    EXPECT_EQ(ErrorCodeText(TextId::DeleteFailedFormat, 5), L"Failed to delete file, error: 5");
    EXPECT_EQ(ErrorCodeText(TextId::OpenFailedFormat, 32), L"Failed to open file, error: 32");
    // A code with the top bit set (an HRESULT-style value) is not shown as negative.
    EXPECT_EQ(ErrorCodeText(TextId::RunAsFailedFormat, 0x80070005ul),
              L"Failed to run as administrator, error: 2147942405");
    EXPECT_EQ(ErrorCodeText(TextId::PropertiesFailedFormat, 0),
              L"Failed to open properties dialog, error: 0");
}

TEST(ErrorCodeTexts, ChineseUseTheFullWidthCommaThenAsciiColonAndBlank) {
    InLanguage chinese(true);
    EXPECT_EQ(ErrorCodeText(TextId::DeleteFailedFormat, 32), L"删除失败\uFF0C错误代码: 32");
    EXPECT_EQ(ErrorCodeText(TextId::OpenFailedFormat, 2), L"无法打开文件\uFF0C错误代码: 2");
    EXPECT_EQ(ErrorCodeText(TextId::RunAsFailedFormat, 1155),
              L"无法以管理员身份运行\uFF0C错误代码: 1155");
    EXPECT_EQ(ErrorCodeText(TextId::PropertiesFailedFormat, 87),
              L"无法打开属性对话框\uFF0C错误代码: 87");
}

TEST(ErrorCodeTexts, StayWithinTheirBuffer) {
    InLanguage english(false);
    const std::wstring text = ErrorCodeText(TextId::DeleteFailedFormat, 4294967295ul);
    EXPECT_EQ(text, L"Failed to delete file, error: 4294967295");
    EXPECT_LT(text.size(), kErrorTextCapacity);
}

TEST(DeleteQuestion, EndsInTwoLineFeedsBeforeThePath) {
    {
        InLanguage english(false);
        EXPECT_EQ(DeleteQuestionText(L"C:\\a b\\c.txt"),
                  L"Are you sure you want to delete this file?\n\nC:\\a b\\c.txt");
    }
    InLanguage chinese(true);
    EXPECT_EQ(DeleteQuestionText(L"C:\\x"), L"确定要删除以下文件吗\uFF1F\n\nC:\\x");
}

TEST(SelectInFolderParameters, QuoteThePathWholeWithBlanksAndCommas) {
    EXPECT_EQ(SelectInFolderParameters(L"C:\\My Files\\a,b.txt"),
              L"/select,\"C:\\My Files\\a,b.txt\"");
    EXPECT_EQ(SelectInFolderParameters(L"C:\\会议记录.docx"), L"/select,\"C:\\会议记录.docx\"");
}

TEST(FileActionTexts, CaptionsAndNoticesInBothLanguages) {
    struct Pair {
        TextId id;
        const wchar_t* chinese;
        const wchar_t* english;
    };
    const Pair pairs[] = {
        {TextId::InfoCaption, L"提示", L"Info"},
        {TextId::ErrorCaption, L"错误", L"Error"},
        {TextId::SuccessCaption, L"成功", L"Success"},
        {TextId::DeleteCaption, L"确认删除", L"Confirm delete"},
        {TextId::SelectFileFirst, L"请先选择一个文件", L"Please select a file first"},
        {TextId::NoFilePath, L"无法获取文件路径", L"Failed to get file path"},
        {TextId::FileDeleted, L"文件已删除", L"File deleted"},
        {TextId::PathCopied, L"文件路径已复制到剪贴板", L"File path copied to clipboard"},
        {TextId::ClipboardMemoryFailed, L"无法分配剪贴板内存",
         L"Failed to allocate clipboard memory"},
        {TextId::ClipboardOpenFailed, L"无法打开剪贴板", L"Failed to open clipboard"},
    };
    for (const Pair& pair : pairs) {
        EXPECT_STREQ(TextIn(pair.id, true), pair.chinese);
        EXPECT_STREQ(TextIn(pair.id, false), pair.english);
    }
}

TEST(ResetQuestion, IsChineseUnderBothLanguages) {
    const wchar_t* question = L"确定要恢复默认筛选标签吗\uFF1F\n这将覆盖当前自定义配置。";
    EXPECT_STREQ(TextIn(TextId::ResetFiltersQuestion, false), question);
    EXPECT_STREQ(TextIn(TextId::ResetFiltersQuestion, true), question);
    EXPECT_STREQ(TextIn(TextId::ResetFiltersCaption, false), L"确认");
    EXPECT_STREQ(TextIn(TextId::ResetFiltersCaption, true), L"确认");
}

}  // namespace
}  // namespace kx
