#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/file_system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_string.h"

namespace kx {

namespace {

// ReadFile and WriteFile move at most a DWORD per call; smaller pieces also keep a reader of
// a growing file from asking for more memory than the limit allows.
constexpr DWORD kChunkBytes = 1u << 20;

bool ToPathOrFail(const std::u16string& path, std::wstring* wide) {
    if (ToWidePath(path, wide))
        return true;
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::u16string GetDocumentsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
        return {};
    buffer[MAX_PATH - 1] = L'\0';
    std::u16string folder = FromWide(buffer);
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/'))
        folder.pop_back();
    return folder;
}

char16_t PathSeparator() {
    return u'\\';
}

bool CreateDirectoryAt(const std::u16string& path, bool* alreadyExists) {
    if (alreadyExists != nullptr)
        *alreadyExists = false;
    std::wstring wide;
    if (!ToPathOrFail(path, &wide))
        return false;
    if (::CreateDirectoryW(wide.c_str(), nullptr))
        return true;
    // ERROR_ALREADY_EXISTS also comes when a *file* has that name; a caller told "the
    // directory is there" would then fail on every file it puts inside.
    if (::GetLastError() == ERROR_ALREADY_EXISTS && alreadyExists != nullptr)
        *alreadyExists = IsDirectory(wide);
    return false;
}

bool CopyFileOver(const std::u16string& from, const std::u16string& to) {
    std::wstring source, target;
    if (!ToPathOrFail(from, &source) || !ToPathOrFail(to, &target))
        return false;
    return ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool ReplaceFileWith(const std::u16string& from, const std::u16string& to) {
    std::wstring source, target;
    if (!ToPathOrFail(from, &source) || !ToPathOrFail(to, &target))
        return false;
    // WRITE_THROUGH: the call returns only once the rename is on disk, so a crash right after
    // leaves either the old file or the new one, never neither.
    return ::MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool DeleteFileAt(const std::u16string& path) {
    std::wstring wide;
    if (!ToPathOrFail(path, &wide))
        return false;
    return ::DeleteFileW(wide.c_str()) != FALSE;
}

bool ReadFileUntilError(const std::u16string& path, std::string* bytes, std::uint64_t maxBytes,
                        bool* complete) {
    std::wstring wide;
    if (!ToPathOrFail(path, &wide))
        return false;
    // Shared for writing and deleting too: the user may have the file open in an editor.
    UniqueFileHandle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return false;
    const std::uint64_t expected = static_cast<std::uint64_t>(size.QuadPart);
    const std::uint64_t limit = std::min<std::uint64_t>(maxBytes, bytes->max_size() - 1);
    std::string content;
    content.reserve(static_cast<std::size_t>(std::min(expected, limit)) + 1);
    // Read to the end rather than to the size seen above: the file may change meanwhile, and
    // the limit must hold for what is actually read.
    for (;;) {
        const std::size_t offset = content.size();
        const std::uint64_t room = limit - offset;
        const std::uint64_t rest = offset < expected ? expected - offset + 1 : 1;
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(
            {std::uint64_t{kChunkBytes}, room + 1, std::max<std::uint64_t>(rest, 4096)}));
        content.resize(offset + want);
        DWORD got = 0;
        if (!::ReadFile(file.get(), &content[offset], want, &got, nullptr)) {
            content.resize(offset);
            *complete = false;
            *bytes = std::move(content);
            return true;
        }
        content.resize(offset + got);
        if (got == 0)
            break;
        if (content.size() > limit)
            return false;
    }
    *complete = true;
    *bytes = std::move(content);
    return true;
}

bool ReadWholeFile(const std::u16string& path, std::string* bytes, std::uint64_t maxBytes) {
    std::string content;
    bool complete = false;
    if (!ReadFileUntilError(path, &content, maxBytes, &complete) || !complete)
        return false;
    *bytes = std::move(content);
    return true;
}

bool WriteWholeFile(const std::u16string& path, const std::string& bytes) {
    std::wstring wide;
    if (!ToPathOrFail(path, &wide))
        return false;
    UniqueFileHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(kChunkBytes, bytes.size() - written));
        DWORD done = 0;
        if (!::WriteFile(file.get(), bytes.data() + written, want, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    if (!::FlushFileBuffers(file.get()))
        return false;
    // A delayed write error can surface only when the handle is closed.
    return ::CloseHandle(file.release()) != FALSE;
}

}  // namespace kx
