#include "ui/texts.h"

#include <cstddef>
#include <iterator>

#include "common/process_state.h"
#include "resources/product.h"

namespace kx {

namespace {

struct TextPair {
    TextId id;
    const wchar_t* chinese;
    const wchar_t* english;
};

#define KX_WIDE_WEB_ADDRESS L"" KX_PRODUCT_WEB_ADDRESS

// In the order of TextId; the id beside each pair lets a static check catch a slip.
constexpr TextPair kTexts[] = {
    {TextId::InitializingTitle, L"初始化中...", L"Initializing..."},
    {TextId::IndexingTitle, L"正在初始化全盘索引 (请耐心等待，需要管理员权限)...",
     L"Building full-disk index (please wait, requires administrator privileges)..."},
    {TextId::ReadyTitle, L"Kestrix 极速搜索 - " KX_WIDE_WEB_ADDRESS,
     L"Kestrix - Ready · " KX_WIDE_WEB_ADDRESS},
    // Two blanks after the dash in Chinese, unlike the ready title.
    {TextId::IdleTitle, L"Kestrix 极速搜索 -  " KX_WIDE_WEB_ADDRESS,
     L"Kestrix - Ready · " KX_WIDE_WEB_ADDRESS},
    {TextId::MatchesTitleFormat, L"Kestrix 极速搜索 - 共命中 %lld 个文件",
     L"Kestrix - %lld matches · " KX_WIDE_WEB_ADDRESS},
    {TextId::NoticeCaption, L"Kestrix 提示", L"Kestrix Notice"},
    {TextId::AdministratorRequired,
     L"Kestrix 需要以管理员身份运行，才能访问磁盘 USN 日志并进行全盘极速搜索。\n\n"
     L"请右键单击程序图标，选择“以管理员身份运行”。",
     L"Kestrix must be run as Administrator to access disk USN journals for full-disk fast "
     L"search.\n\nPlease right-click the program icon and choose \"Run as administrator\"."},
    {TextId::NoNtfsVolume,
     L"Kestrix 未检测到任何使用 NTFS 文件系统的本地磁盘，\n或当前系统不支持 USN MFT 日志接口。"
     L"\n\nKestrix 依赖 NTFS MFT 才能进行全盘极速搜索。\n"
     L"请确认至少有一个 NTFS 分区，或在兼容的 Windows 版本上运行。",
     L"Kestrix did not detect any local NTFS volumes,\nor this system does not support the NTFS "
     L"USN/MFT APIs.\n\nKestrix relies on NTFS MFT to perform full-disk fast search.\nPlease "
     L"ensure you have at least one NTFS partition or run on a compatible Windows version."},
    {TextId::StatusFormat, L"筛选: %ls | 命中: %lld 个", L"Filter: %ls | Matches: %lld"},
    {TextId::ColumnRowNumber, L"行号", L"#"},
    {TextId::ColumnName, L"名称", L"Name"},
    {TextId::ColumnSize, L"大小", L"Size"},
    {TextId::ColumnModified, L"修改时间", L"Modified"},
    {TextId::ColumnCreated, L"创建时间", L"Created"},
    {TextId::ColumnPath, L"路径", L"Path"},
    {TextId::TrayTip, L"Kestrix 极速搜索 - ALT+Z 显示/隐藏", L"Kestrix - ALT+Z Show/Hide"},
    {TextId::TrayShowWindow, L"显示窗口", L"Show Window"},
    {TextId::TrayAbout, L"查看信息", L"About / Info"},
    {TextId::TrayExit, L"退出 Kestrix", L"Exit Kestrix"},
    {TextId::AboutCaption, L"关于 Kestrix", L"About Kestrix"},
    {TextId::AboutProductLine, L"产品名称: Kestrix 极速搜索", L"Product: Kestrix Fast Search"},
    {TextId::AboutBrandLine, L"官网名称: Kestrix", L"Brand: Kestrix"},
    {TextId::AboutWebsiteLabel, L"官网地址: ", L"Website: "},
    {TextId::AboutVersionLine, L"版本号: " KX_PRODUCT_VERSION_TEXT,
     L"Version: " KX_PRODUCT_VERSION_TEXT},
    {TextId::InfoCaption, L"提示", L"Info"},
    {TextId::ErrorCaption, L"错误", L"Error"},
    {TextId::SuccessCaption, L"成功", L"Success"},
    {TextId::SelectFileFirst, L"请先选择一个文件", L"Please select a file first"},
    {TextId::NoFilePath, L"无法获取文件路径", L"Failed to get file path"},
    // Full-width comma (U+FF0C), then the ASCII colon and one blank before the code.
    {TextId::OpenFailedFormat, L"无法打开文件，错误代码: %lu", L"Failed to open file, error: %lu"},
    {TextId::DeleteQuestion, L"确定要删除以下文件吗？\n\n",
     L"Are you sure you want to delete this file?\n\n"},
    {TextId::DeleteCaption, L"确认删除", L"Confirm delete"},
    {TextId::FileDeleted, L"文件已删除", L"File deleted"},
    {TextId::DeleteFailedFormat, L"删除失败，错误代码: %lu", L"Failed to delete file, error: %lu"},
    {TextId::RunAsFailedFormat, L"无法以管理员身份运行，错误代码: %lu",
     L"Failed to run as administrator, error: %lu"},
    {TextId::PathCopied, L"文件路径已复制到剪贴板", L"File path copied to clipboard"},
    {TextId::ClipboardMemoryFailed, L"无法分配剪贴板内存", L"Failed to allocate clipboard memory"},
    {TextId::ClipboardOpenFailed, L"无法打开剪贴板", L"Failed to open clipboard"},
    {TextId::ClipboardSetFailed, L"无法设置剪贴板数据", L"Failed to set clipboard data"},
    {TextId::PropertiesFailedFormat, L"无法打开属性对话框，错误代码: %lu",
     L"Failed to open properties dialog, error: %lu"},
    {TextId::MenuOpen, L"打开文件/目录", L"Open File/Folder"},
    {TextId::MenuOpenFolder, L"打开文件所在位置", L"Open Containing Folder"},
    {TextId::MenuDelete, L"删除文件", L"Delete File"},
    {TextId::MenuRunAsAdmin, L"以管理员身份运行", L"Run as Administrator"},
    {TextId::MenuCopyPath, L"复制文件路径", L"Copy File Path"},
    {TextId::MenuProperties, L"属性", L"Properties"},
    {TextId::MenuOpenFilterFolder, L"打开筛选配置目录", L"Open Filter Config Folder"},
    {TextId::MenuResetFilters, L"恢复默认筛选标签", L"Reset Filter Tags to Defaults"},
    {TextId::ResetFiltersQuestion, L"确定要恢复默认筛选标签吗？\n这将覆盖当前自定义配置。",
     L"确定要恢复默认筛选标签吗？\n这将覆盖当前自定义配置。"},
    {TextId::ResetFiltersCaption, L"确认", L"确认"},
    {TextId::OutOfMemory, L"内存不足，操作未能完成",
     L"Out of memory: the action could not be completed"},
};

#undef KX_WIDE_WEB_ADDRESS

constexpr bool TableInIdOrder() {
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        if (static_cast<std::size_t>(kTexts[i].id) != i)
            return false;
    }
    return std::size(kTexts) == static_cast<std::size_t>(TextId::Count);
}
static_assert(TableInIdOrder(), "kTexts must list every TextId once, in order");

}  // namespace

const wchar_t* TextIn(TextId id, bool chinese) {
    const std::size_t index = static_cast<std::size_t>(id);
    if (index >= std::size(kTexts))
        return L"";
    return chinese ? kTexts[index].chinese : kTexts[index].english;
}

const wchar_t* Text(TextId id) {
    return TextIn(id, UseChinese);
}

}  // namespace kx
