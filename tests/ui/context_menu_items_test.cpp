#include "ui/context_menu_items.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/control_ids.h"
#include "ui/texts.h"

namespace kx {
namespace {

std::vector<int> CommandsOf(const std::vector<ContextMenuEntry>& entries) {
    std::vector<int> commands;
    for (const ContextMenuEntry& entry : entries)
        commands.push_back(entry.separator ? 0 : entry.command);
    return commands;
}

TEST(ContextMenu, EightCommandsInTwoSeparatedGroupsWithFixedIds) {
    const std::vector<int> expected = {10001, 10002, 0, 10003, 10004,
                                       10005, 10006, 0, 10007, 10008};
    EXPECT_EQ(CommandsOf(ContextMenuEntries(true)), expected);
    EXPECT_EQ(CommandsOf(ContextMenuEntries(false)), expected);
}

TEST(ContextMenu, WithoutAHitRowOnlyTheFilterCommandsStayEnabled) {
    for (const ContextMenuEntry& entry : ContextMenuEntries(false)) {
        if (entry.separator)
            continue;
        const bool filterCommand =
            entry.command == IDM_OPEN_FILTER_FOLDER || entry.command == IDM_RESET_FILTERS;
        EXPECT_EQ(entry.grayed, !filterCommand) << entry.command;
    }
    for (const ContextMenuEntry& entry : ContextMenuEntries(true))
        EXPECT_FALSE(entry.grayed) << entry.command;
}

TEST(ContextMenu, ItemTextsInBothLanguages) {
    const std::vector<ContextMenuEntry> entries = ContextMenuEntries(true);
    std::vector<std::wstring> english;
    std::vector<std::wstring> chinese;
    for (const ContextMenuEntry& entry : entries) {
        if (entry.separator)
            continue;
        english.push_back(TextIn(entry.text, false));
        chinese.push_back(TextIn(entry.text, true));
    }
    EXPECT_EQ(english, (std::vector<std::wstring>{
                           L"Open File/Folder", L"Open Containing Folder", L"Delete File",
                           L"Run as Administrator", L"Copy File Path", L"Properties",
                           L"Open Filter Config Folder", L"Reset Filter Tags to Defaults"}));
    EXPECT_EQ(chinese, (std::vector<std::wstring>{
                           L"打开文件/目录", L"打开文件所在位置", L"删除文件", L"以管理员身份运行",
                           L"复制文件路径", L"属性", L"打开筛选配置目录", L"恢复默认筛选标签"}));
}

TEST(ContextMenuDispatch, FileCommandsRunOnlyWhenARowWasHit) {
    EXPECT_EQ(ContextActionFor(IDM_OPEN, true), ContextAction::Open);
    EXPECT_EQ(ContextActionFor(IDM_OPEN_FOLDER, true), ContextAction::OpenFolder);
    EXPECT_EQ(ContextActionFor(IDM_DELETE, true), ContextAction::Delete);
    EXPECT_EQ(ContextActionFor(IDM_RUN_AS_ADMIN, true), ContextAction::RunAsAdmin);
    EXPECT_EQ(ContextActionFor(IDM_COPY_PATH, true), ContextAction::CopyPath);
    EXPECT_EQ(ContextActionFor(IDM_PROPERTIES, true), ContextAction::Properties);
    for (int command = IDM_OPEN; command <= IDM_PROPERTIES; ++command)
        EXPECT_EQ(ContextActionFor(command, false), ContextAction::None) << command;
}

TEST(ContextMenuDispatch, FilterCommandsRunWithOrWithoutARow) {
    for (bool rowHit : {true, false}) {
        EXPECT_EQ(ContextActionFor(IDM_OPEN_FILTER_FOLDER, rowHit),
                  ContextAction::OpenFilterFolder);
        EXPECT_EQ(ContextActionFor(IDM_RESET_FILTERS, rowHit), ContextAction::ResetFilters);
    }
}

TEST(ContextMenuDispatch, ADismissedMenuOrAForeignIdDoesNothing) {
    EXPECT_EQ(ContextActionFor(0, true), ContextAction::None);
    EXPECT_EQ(ContextActionFor(IDM_TRAY_EXIT, true), ContextAction::None);
    EXPECT_EQ(ContextActionFor(10009, true), ContextAction::None);
}

}  // namespace
}  // namespace kx
