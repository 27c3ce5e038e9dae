// The results list's context menu as data: its entries in order, which are grayed, and what a
// returned command does. The window builds and dispatches the menu from this.
#pragma once

#include <vector>

#include "ui/texts.h"

namespace kx {

struct ContextMenuEntry {
    bool separator = false;
    int command = 0;  // IDM_*; 0 for a separator
    TextId text = TextId::Count;
    bool grayed = false;
};

// IDM_OPEN, IDM_OPEN_FOLDER, separator, IDM_DELETE, IDM_RUN_AS_ADMIN, IDM_COPY_PATH,
// IDM_PROPERTIES, separator, IDM_OPEN_FILTER_FOLDER, IDM_RESET_FILTERS. The six file commands
// are grayed when the click hit no row; the two filter commands never are.
std::vector<ContextMenuEntry> ContextMenuEntries(bool rowHit);

enum class ContextAction {
    None,
    Open,
    OpenFolder,
    Delete,
    RunAsAdmin,
    CopyPath,
    Properties,
    OpenFilterFolder,
    ResetFilters
};

// What the menu's return value asks for. A file command without a hit row is None: a grayed
// item cannot be chosen, but the answer must not depend on the menu having enforced that.
ContextAction ContextActionFor(int command, bool rowHit);

}  // namespace kx
