// Where the configuration lives on POSIX, and the file operations beneath it. The Windows
// Documents folder comes from the shell and cannot be redirected by a test.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "filters/config_file.h"
#include "filters/config_startup.h"
#include "filters/config_writer.h"
#include "filters/default_categories.h"
#include "platform/file_system.h"
#include "tests/filters/filter_test_support.h"

namespace kx {
namespace {

// Points HOME and XDG_CONFIG_HOME into the scratch folder; both are put back afterwards.
class HomeFolderTest : public testing::ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        home_ = Root().string();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name,
                                old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ + "/xdg").c_str(), 1);
        std::filesystem::create_directories(Root() / "xdg");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_)
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
        ScratchFolderTest::TearDown();
    }
    void WriteUserDirs(const std::string& content) { Write("xdg/user-dirs.dirs", content); }
    std::u16string Home(const std::string& rest) const { return Utf8ToUtf16(home_ + rest); }

  private:
    std::string home_;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(HomeFolderTest, DocumentsFolderFollowsTheXdgUserDirectories) {
    WriteUserDirs(
        "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n");
    EXPECT_EQ(GetDocumentsFolder(), Home("/Dokumente"));
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"/srv/My \\\"Docs\\\"\"\n");
    EXPECT_EQ(GetDocumentsFolder(), u"/srv/My \"Docs\"");
}

TEST_F(HomeFolderTest, DocumentsFolderFallsBackToHomeDocuments) {
    EXPECT_EQ(GetDocumentsFolder(), Home("/Documents"));  // no user-dirs.dirs
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"relative/path\"\nXDG_DOCUMENTS_DIR=\"$HOMEX/a\"\n");
    EXPECT_EQ(GetDocumentsFolder(), Home("/Documents"));
}

TEST_F(HomeFolderTest, ConfigFolderIsCreatedUnderDocumentsEachTime) {
    std::filesystem::create_directories(Root() / "Documents");
    const std::u16string expected = Home("/Documents/Kestrix/config");
    EXPECT_EQ(GetConfigDir(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(Root() / "Documents/Kestrix/config"));
    std::filesystem::remove_all(Root() / "Documents/Kestrix");
    EXPECT_EQ(GetFilterIniPath(), expected + u"/filters.ini");
    EXPECT_TRUE(std::filesystem::is_directory(Root() / "Documents/Kestrix/config"));
}

TEST_F(HomeFolderTest, RestoringDefaultsRewritesTheFileAndLeavesTheBackup) {
    std::filesystem::create_directories(Root() / "Documents/Kestrix/config");
    Write("Documents/Kestrix/config/filters.bak", "Mine=.x\n");
    UseChinese = false;
    SetFilterCategories(CategoryList(8, FilterCategory{u"Mine", {u".x"}}));
    SelectedCategory = 7;
    EXPECT_TRUE(RestoreDefaultFilterConfig());
    EXPECT_EQ(FilterCategories, DefaultCategories(false));
    EXPECT_EQ(SelectedCategory, 7);
    EXPECT_EQ(SelectedCategoryIndex(), 0);
    EXPECT_EQ(Read("Documents/Kestrix/config/filters.ini"),
              FormatFilterConfig(DefaultCategories(false)));
    EXPECT_EQ(Read("Documents/Kestrix/config/filters.bak"), "Mine=.x\n");
}

using FileOperationsTest = testing::ScratchFolderTest;

TEST_F(FileOperationsTest, CopyOntoItselfFailsWithoutLosingTheFile) {
    Write("a.ini", "data");
    EXPECT_FALSE(CopyFileOver(Path("a.ini"), Path("a.ini")));
    EXPECT_EQ(Read("a.ini"), "data");
    EXPECT_TRUE(CopyFileOver(Path("a.ini"), Path("b.ini")));
    EXPECT_EQ(Read("b.ini"), "data");
}

TEST_F(FileOperationsTest, ReadingRefusesFilesAboveTheBoundAndNonFiles) {
    Write("a.ini", "12345");
    std::string bytes = "untouched";
    EXPECT_FALSE(ReadWholeFile(Path("a.ini"), &bytes, 4));
    EXPECT_FALSE(ReadWholeFile(Utf8ToUtf16(Root().string()), &bytes, 100));
    EXPECT_FALSE(ReadWholeFile(Path("a.ini") + u'\0' + u"x", &bytes, 100));
    EXPECT_EQ(bytes, "untouched");
    EXPECT_TRUE(ReadWholeFile(Path("a.ini"), &bytes, 5));
    EXPECT_EQ(bytes, "12345");
}

}  // namespace
}  // namespace kx

#endif
