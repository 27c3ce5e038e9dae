// GetFileAttributeData on real files: size and both times as Windows stores them.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_attributes.h"
#include "platform/file_system.h"
#include "platform/win32/wide_string.h"
#include "tests/platform/running_under_wine.h"
#include "tests/platform/temp_directory.h"

namespace kx {
namespace {

using testing::TempDirectory;

FILETIME ToFileTime(std::uint64_t value) {
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// 2001-02-03 04:05:06 UTC and 2024-11-30 23:59:58 UTC, as FILETIME ticks.
constexpr std::uint64_t kCreated = 126256467060000000ull;
constexpr std::uint64_t kWritten = 133774847980000000ull;

TEST(FileAttributes, SizeAndTimesOfAFile) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"report.docx");
    ASSERT_TRUE(WriteWholeFile(path, std::string(70000, 'z')));
    FILETIME storedCreation{};
    {
        const HANDLE file =
            ::CreateFileW(ToWide(path).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                          nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const FILETIME created = ToFileTime(kCreated);
        const FILETIME written = ToFileTime(kWritten);
        EXPECT_TRUE(::SetFileTime(file, &created, nullptr, &written));
        EXPECT_TRUE(::GetFileTime(file, &storedCreation, nullptr, nullptr));
        ::CloseHandle(file);
    }
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(path, &data));
    EXPECT_EQ(data.size, 70000);
    EXPECT_FALSE(data.isDirectory);
    EXPECT_EQ(data.lastWriteTime, kWritten);
    EXPECT_EQ(data.creationTime, (static_cast<std::uint64_t>(storedCreation.dwHighDateTime) << 32) |
                                     storedCreation.dwLowDateTime);
    // Wine keeps files on a Unix file system, whose creation time cannot be set.
    if (!testing::RunningUnderWine()) {
        EXPECT_EQ(data.creationTime, kCreated);
    }
}

TEST(FileAttributes, SizeAbove4GiBIsNotCutTo32Bits) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"sparse.bin");
    const HANDLE file = ::CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = (5ll << 30) + 3;
    const bool sized = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    if (!sized)
        GTEST_SKIP() << "this file system cannot hold a 5 GiB file";
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(path, &data));
    EXPECT_EQ(data.size, (5ll << 30) + 3);
}

TEST(FileAttributes, DirectoryIsMarked) {
    TempDirectory temp;
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(temp.Path(), &data));
    EXPECT_TRUE(data.isDirectory);
}

TEST(FileAttributes, MissingFileLeavesTheDataAlone) {
    TempDirectory temp;
    FileAttributeData data;
    data.size = 42;
    EXPECT_FALSE(GetFileAttributeData(temp.Child(u"deleted since indexing.txt"), &data));
    EXPECT_EQ(data.size, 42);
}

}  // namespace
}  // namespace kx
