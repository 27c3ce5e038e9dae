#include "tests/platform/temp_directory.h"

#include <atomic>
#include <stdexcept>

#include "platform/win32/wide_string.h"

namespace kx::testing {

namespace {

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempDirectory::TempDirectory() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error("GetTempPathW failed");
    std::wstring path = std::wstring(base) + L"kx-platform-test-" +
                        std::to_wstring(::GetCurrentProcessId()) + L"-" +
                        std::to_wstring(counter++);
    RemoveTree(path);
    if (!::CreateDirectoryW(path.c_str(), nullptr))
        throw std::runtime_error("CreateDirectoryW failed for the test directory");
    path_ = FromWide(path);
}

TempDirectory::~TempDirectory() {
    RemoveTree(ToWide(path_));
}

}  // namespace kx::testing
