#include "filters/config_file.h"

#include <utility>

#include "filters/config_parser.h"
#include "filters/config_writer.h"
#include "platform/file_system.h"

namespace kx {

std::u16string GetConfigDir() {
    const char16_t separator = PathSeparator();
    const std::u16string documents = GetDocumentsFolder();
    if (documents.empty())
        return std::u16string(u".") + separator + u"config";
    const std::u16string kestrix = documents + separator + u"Kestrix";
    const std::u16string config = kestrix + separator + u"config";
    bool alreadyExists = false;
    CreateDirectoryAt(kestrix, &alreadyExists);
    CreateDirectoryAt(config, &alreadyExists);
    return config;
}

std::u16string GetFilterIniPath() {
    return GetConfigDir() + PathSeparator() + u"filters.ini";
}

std::u16string GetFilterBakPath() {
    return GetConfigDir() + PathSeparator() + u"filters.bak";
}

bool LoadFilterConfig(const std::u16string& path, CategoryList* categories) {
    std::string bytes;
    bool complete = false;
    if (!ReadFileUntilError(path, &bytes, kMaxFilterConfigBytes, &complete))
        return false;
    CategoryList loaded;
    if (!ParseFilterConfig(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                           &loaded, complete ? ReadEnd::kEndOfFile : ReadEnd::kCutShortByError) ||
        loaded.empty())
        return false;
    *categories = std::move(loaded);
    return true;
}

bool SaveFilterConfig(const std::u16string& path, const CategoryList& categories) {
    // Same folder, so that the rename stays on one volume and can replace the file atomically.
    const std::u16string temporary = path + u".tmp";
    if (!WriteWholeFile(temporary, FormatFilterConfig(categories))) {
        DeleteFileAt(temporary);
        return false;
    }
    if (!ReplaceFileWith(temporary, path)) {
        DeleteFileAt(temporary);
        return false;
    }
    return true;
}

bool SaveFilterConfig(const std::u16string& path) {
    return SaveFilterConfig(path, FilterCategories);
}

}  // namespace kx
