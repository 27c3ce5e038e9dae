#include "filters/config_startup.h"

#include <utility>

#include "common/process_state.h"
#include "filters/config_file.h"
#include "filters/default_categories.h"
#include "platform/file_system.h"

namespace kx {

void InitFilterConfig() {
    InitFilterConfigIn(GetConfigDir());
}

void InitFilterConfigIn(const std::u16string& configDir) {
    const std::u16string iniPath = configDir + PathSeparator() + u"filters.ini";
    const std::u16string bakPath = configDir + PathSeparator() + u"filters.bak";

    CategoryList loaded;
    if (LoadFilterConfig(iniPath, &loaded)) {
        // Renaming only the untouched defaults keeps every line the user added or changed; a
        // file that starts with the Chinese "all files" but holds nothing to rename is not
        // rewritten at all.
        const bool holdsChineseDefaults = !UseChinese && loaded.front().name == u"所有文件";
        const bool renamed = holdsChineseDefaults && TranslateChineseDefaults(&loaded) != 0;
        SetFilterCategories(std::move(loaded));
        if (renamed)
            SaveFilterConfig(iniPath);
        CopyFileOver(iniPath, bakPath);
        return;
    }

    if (LoadFilterConfig(bakPath, &loaded))
        SetFilterCategories(std::move(loaded));
    else
        LoadDefaultCategories();
    SaveFilterConfig(iniPath);
}

bool RestoreDefaultFilterConfig() {
    LoadDefaultCategories();
    return SaveFilterConfig(GetFilterIniPath());
}

}  // namespace kx
