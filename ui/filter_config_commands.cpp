#include "ui/filter_config_commands.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "filters/config_file.h"
#include "filters/config_startup.h"
#include "filters/tag_bar.h"
#include "platform/win32/wide_string.h"
#include "ui/texts.h"
#include "ui/window_state.h"

namespace kx {

void OpenFilterConfigFolder() {
    const std::wstring folder = ToWide(GetConfigDir());
    ::ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ResetFilterTags() {
    if (::MessageBoxW(MainWindowHandle, Text(TextId::ResetFiltersQuestion),
                      Text(TextId::ResetFiltersCaption), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // A file that cannot be written is not reported: the defaults are in use either way.
    RestoreDefaultFilterConfig();
    RefreshTagCounts();
}

}  // namespace kx
