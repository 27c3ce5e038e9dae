// The Win32 file operations behind the filter configuration, in a fresh temporary directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/file_attributes.h"
#include "platform/file_system.h"
#include "platform/win32/wide_string.h"
#include "tests/platform/temp_directory.h"

namespace kx {
namespace {

using testing::TempDirectory;

bool Exists(const std::u16string& path) {
    return ::GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Read(const std::u16string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, &bytes, 1u << 30));
    return bytes;
}

// Every byte value, 0 and CR/LF included: the operations must not translate anything.
std::string AllByteValues(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    return bytes;
}

TEST(FileSystemBasics, BackslashSeparatesComponents) {
    EXPECT_EQ(PathSeparator(), u'\\');
}

TEST(FileSystemBasics, DocumentsFolderExistsAndHasNoTrailingSeparator) {
    const std::u16string documents = GetDocumentsFolder();
    ASSERT_FALSE(documents.empty());
    EXPECT_NE(documents.back(), u'\\');
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(documents, &data));
    EXPECT_TRUE(data.isDirectory);
}

TEST(DirectoryCreation, NewDirectoryThenAlreadyExists) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"Kestrix");
    bool alreadyExists = true;
    EXPECT_TRUE(CreateDirectoryAt(path, &alreadyExists));
    EXPECT_FALSE(alreadyExists);
    EXPECT_FALSE(CreateDirectoryAt(path, &alreadyExists));
    EXPECT_TRUE(alreadyExists);
}

TEST(DirectoryCreation, FileOfThatNameIsNotAnExistingDirectory) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"config");
    ASSERT_TRUE(WriteWholeFile(path, "not a directory"));
    bool alreadyExists = true;
    EXPECT_FALSE(CreateDirectoryAt(path, &alreadyExists));
    EXPECT_FALSE(alreadyExists);
}

TEST(DirectoryCreation, MissingParentFailsWithoutExisting) {
    TempDirectory temp;
    bool alreadyExists = true;
    EXPECT_FALSE(CreateDirectoryAt(temp.Child(u"missing\\child"), &alreadyExists));
    EXPECT_FALSE(alreadyExists);
}

TEST(DirectoryCreation, CallerMayIgnoreWhetherItExisted) {
    TempDirectory temp;
    EXPECT_TRUE(CreateDirectoryAt(temp.Child(u"other"), nullptr));
    EXPECT_FALSE(CreateDirectoryAt(temp.Child(u"other"), nullptr));
}

TEST(WholeFiles, WriteThenReadGivesTheSameBytes) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"filters.ini");
    // Larger than one read or write piece, and not a multiple of any.
    const std::string bytes = AllByteValues((3u << 20) + 17);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    EXPECT_EQ(Read(path), bytes);
}

TEST(WholeFiles, EmptyFileReadsAsEmpty) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"empty.ini");
    ASSERT_TRUE(WriteWholeFile(path, ""));
    std::string bytes = "stale";
    ASSERT_TRUE(ReadWholeFile(path, &bytes, 0));
    EXPECT_EQ(bytes, "");
}

TEST(WholeFiles, WritingReplacesTheWholeOldContent) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"filters.ini");
    ASSERT_TRUE(WriteWholeFile(path, std::string(5000, 'x')));
    ASSERT_TRUE(WriteWholeFile(path, "short"));
    EXPECT_EQ(Read(path), "short");
}

TEST(WholeFiles, FileAboveTheLimitIsRefusedAndLeavesTheOutputAlone) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"big.ini");
    ASSERT_TRUE(WriteWholeFile(path, std::string(1001, 'a')));
    std::string bytes = "kept";
    EXPECT_FALSE(ReadWholeFile(path, &bytes, 1000));
    EXPECT_EQ(bytes, "kept");
    EXPECT_TRUE(ReadWholeFile(path, &bytes, 1001));
    EXPECT_EQ(bytes.size(), 1001u);
}

TEST(WholeFiles, MissingFileOrDirectoryCannotBeRead) {
    TempDirectory temp;
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(temp.Child(u"absent.ini"), &bytes, 100));
    EXPECT_FALSE(ReadWholeFile(temp.Path(), &bytes, 100));
    EXPECT_FALSE(WriteWholeFile(temp.Child(u"absent\\x.ini"), "data"));
}

TEST(WholeFiles, FileOpenInAnotherProgramCanStillBeRead) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"open.ini");
    ASSERT_TRUE(WriteWholeFile(path, "shared"));
    const HANDLE editor =
        ::CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Read(path), "shared");
    ::CloseHandle(editor);
}

TEST(FileMoves, ReplaceMovesOverAnExistingFile) {
    TempDirectory temp;
    const std::u16string target = temp.Child(u"filters.ini");
    const std::u16string fresh = temp.Child(u"filters.tmp");
    ASSERT_TRUE(WriteWholeFile(target, "old"));
    ASSERT_TRUE(WriteWholeFile(fresh, "new"));
    ASSERT_TRUE(ReplaceFileWith(fresh, target));
    EXPECT_EQ(Read(target), "new");
    EXPECT_FALSE(Exists(fresh));
}

TEST(FileMoves, ReplaceOfAMissingSourceKeepsTheTarget) {
    TempDirectory temp;
    const std::u16string target = temp.Child(u"filters.ini");
    ASSERT_TRUE(WriteWholeFile(target, "old"));
    EXPECT_FALSE(ReplaceFileWith(temp.Child(u"absent.tmp"), target));
    EXPECT_EQ(Read(target), "old");
}

TEST(FileMoves, CopyOverwritesAndKeepsTheSource) {
    TempDirectory temp;
    const std::u16string source = temp.Child(u"filters.ini");
    const std::u16string backup = temp.Child(u"filters.bak");
    ASSERT_TRUE(WriteWholeFile(source, "current"));
    ASSERT_TRUE(WriteWholeFile(backup, "older backup, longer"));
    ASSERT_TRUE(CopyFileOver(source, backup));
    EXPECT_EQ(Read(backup), "current");
    EXPECT_EQ(Read(source), "current");
    EXPECT_FALSE(CopyFileOver(temp.Child(u"absent.ini"), backup));
    EXPECT_EQ(Read(backup), "current");
}

TEST(FileMoves, DeleteRemovesOnlyFiles) {
    TempDirectory temp;
    const std::u16string path = temp.Child(u"gone.ini");
    ASSERT_TRUE(WriteWholeFile(path, "x"));
    EXPECT_TRUE(DeleteFileAt(path));
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(DeleteFileAt(path));
    EXPECT_FALSE(DeleteFileAt(temp.Path()));
    EXPECT_TRUE(Exists(temp.Path()));
}

TEST(NonAsciiNames, ChineseNamesWorkInEveryOperation) {
    TempDirectory temp;
    const std::u16string folder = temp.Child(u"配置");
    ASSERT_TRUE(CreateDirectoryAt(folder, nullptr));
    const std::u16string file = folder + u"\\中文.txt";
    const std::u16string copy = folder + u"\\副本 ü é.txt";
    const std::u16string emoji = folder + u"\\\U0001F600.txt";  // a surrogate pair
    const std::string content = "\xEF\xBB\xBF文档=.doc";
    ASSERT_TRUE(WriteWholeFile(file, content));
    ASSERT_TRUE(CopyFileOver(file, copy));
    ASSERT_TRUE(ReplaceFileWith(copy, emoji));
    EXPECT_EQ(Read(emoji), content);
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(emoji, &data));
    EXPECT_EQ(data.size, static_cast<std::int64_t>(content.size()));
    EXPECT_TRUE(DeleteFileAt(file));
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(Exists(emoji));
}

// A 0 code unit ends the string for the API: without the check, the operations would act on
// another file than the one named.
TEST(EmbeddedZero, PathsWithAZeroNameNoFile) {
    TempDirectory temp;
    const std::u16string victim = temp.Child(u"victim.ini");
    ASSERT_TRUE(WriteWholeFile(victim, "precious"));
    const std::u16string tricky = victim + std::u16string(1, u'\0') + u".tmp";
    std::string bytes;
    EXPECT_FALSE(DeleteFileAt(tricky));
    EXPECT_FALSE(WriteWholeFile(tricky, "overwritten"));
    EXPECT_FALSE(ReadWholeFile(tricky, &bytes, 100));
    EXPECT_FALSE(CopyFileOver(temp.Child(u"absent"), tricky));
    EXPECT_FALSE(ReplaceFileWith(tricky, temp.Child(u"moved.ini")));
    EXPECT_FALSE(CreateDirectoryAt(tricky, nullptr));
    FileAttributeData data;
    EXPECT_FALSE(GetFileAttributeData(tricky, &data));
    EXPECT_EQ(Read(victim), "precious");
}

}  // namespace
}  // namespace kx
