#include "ui/context_menu.h"

#include <windowsx.h>

#include "search/visible_results.h"
#include "ui/context_menu_items.h"
#include "ui/file_actions.h"
#include "ui/filter_config_commands.h"
#include "ui/gdi_resources.h"
#include "ui/list_geometry.h"
#include "ui/list_view_state.h"
#include "ui/results_list.h"
#include "ui/texts.h"

namespace kx {

namespace {

// True when y names a row of the visible list, which then becomes the selection.
bool SelectRowAt(int y) {
    const SharedResults list = GetVisibleResults();
    const std::int64_t count = static_cast<std::int64_t>(list->size());
    if (y < kHeaderBottom || count == 0)
        return false;
    const std::int64_t row = RowAt(ScrollOffset, y, count);
    if (row < 0)
        return false;
    SelectedRow = row;
    InvalidateListArea(false);
    return true;
}

UniqueMenu BuildMenu(bool rowHit) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return menu;
    for (const ContextMenuEntry& entry : ContextMenuEntries(rowHit)) {
        if (entry.separator) {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            const UINT flags = MF_STRING | (entry.grayed ? MF_GRAYED : 0u);
            ::AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(entry.command),
                          Text(entry.text));
        }
    }
    return menu;
}

int TrackMenu(HWND window, bool rowHit) {
    const UniqueMenu menu = BuildMenu(rowHit);
    if (!menu)
        return 0;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    return static_cast<int>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                             cursor.y, 0, window, nullptr));
}

void Run(ContextAction action) {
    switch (action) {
        case ContextAction::Open:
            OpenSelected(false);
            break;
        case ContextAction::OpenFolder:
            OpenSelected(true);
            break;
        case ContextAction::Delete:
            DeleteSelected();
            break;
        case ContextAction::RunAsAdmin:
            RunSelectedAsAdmin();
            break;
        case ContextAction::CopyPath:
            CopySelectedPath();
            break;
        case ContextAction::Properties:
            ShowSelectedProperties();
            break;
        case ContextAction::OpenFilterFolder:
            OpenFilterConfigFolder();
            break;
        case ContextAction::ResetFilters:
            ResetFilterTags();
            break;
        case ContextAction::None:
            break;
    }
}

}  // namespace

LRESULT OnListRightButtonUp(HWND window, LPARAM lParam) {
    // Signed: with the mouse captured the point may lie above or left of the client area.
    const bool rowHit = SelectRowAt(GET_Y_LPARAM(lParam));
    // The file commands act on SelectedRow as it is when they run: a result list that arrived
    // while the menu was open has cleared it, and the command then asks for a selection.
    Run(ContextActionFor(TrackMenu(window, rowHit), rowHit));
    return 0;
}

}  // namespace kx
