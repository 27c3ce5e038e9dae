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
