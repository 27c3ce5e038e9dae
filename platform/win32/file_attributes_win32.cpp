#include <windows.h>

#include "platform/file_attributes.h"
#include "platform/win32/wide_string.h"

namespace kx {

namespace {

std::uint64_t ToUint64(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

bool GetFileAttributeData(const std::u16string& path, FileAttributeData* data) {
    std::wstring wide;
    if (!ToWidePath(path, &wide))
        return false;
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &info))
        return false;
    data->size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                           info.nFileSizeLow);
    data->lastWriteTime = ToUint64(info.ftLastWriteTime);
    data->creationTime = ToUint64(info.ftCreationTime);
    data->isDirectory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

}  // namespace kx
