#include "ui/context_menu_items.h"

#include "ui/control_ids.h"

namespace kx {

namespace {

struct CommandAction {
    int command;
    TextId text;
    ContextAction action;
    bool needsRow;
};

constexpr CommandAction kCommands[] = {
    {IDM_OPEN, TextId::MenuOpen, ContextAction::Open, true},
    {IDM_OPEN_FOLDER, TextId::MenuOpenFolder, ContextAction::OpenFolder, true},
    {IDM_DELETE, TextId::MenuDelete, ContextAction::Delete, true},
    {IDM_RUN_AS_ADMIN, TextId::MenuRunAsAdmin, ContextAction::RunAsAdmin, true},
    {IDM_COPY_PATH, TextId::MenuCopyPath, ContextAction::CopyPath, true},
    {IDM_PROPERTIES, TextId::MenuProperties, ContextAction::Properties, true},
    {IDM_OPEN_FILTER_FOLDER, TextId::MenuOpenFilterFolder, ContextAction::OpenFilterFolder, false},
    {IDM_RESET_FILTERS, TextId::MenuResetFilters, ContextAction::ResetFilters, false},
};

// Separators go before these commands.
bool StartsGroup(int command) {
    return command == IDM_DELETE || command == IDM_OPEN_FILTER_FOLDER;
}

}  // namespace

std::vector<ContextMenuEntry> ContextMenuEntries(bool rowHit) {
    std::vector<ContextMenuEntry> entries;
    for (const CommandAction& command : kCommands) {
        if (StartsGroup(command.command))
            entries.push_back(ContextMenuEntry{true, 0, TextId::Count, false});
        entries.push_back(
            ContextMenuEntry{false, command.command, command.text, command.needsRow && !rowHit});
    }
    return entries;
}

ContextAction ContextActionFor(int command, bool rowHit) {
    for (const CommandAction& entry : kCommands) {
        if (entry.command == command)
            return entry.needsRow && !rowHit ? ContextAction::None : entry.action;
    }
    return ContextAction::None;
}

}  // namespace kx
