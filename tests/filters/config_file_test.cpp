#include <gtest/gtest.h>

#include <filesystem>

#include "filters/config_file.h"
#include "filters/config_startup.h"
#include "filters/config_writer.h"
#include "filters/default_categories.h"
#include "tests/filters/filter_test_support.h"

#if !defined(_WIN32)
#include "platform/posix/read_fault.h"
#endif

namespace kx {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

class FilterStartupTest : public testing::ScratchFolderTest {
  protected:
    void Start() { InitFilterConfigIn(Utf8ToUtf16(Root().u8string())); }
    std::string Defaults(bool chinese) { return FormatFilterConfig(DefaultCategories(chinese)); }
};

TEST_F(FilterStartupTest, FirstStartWritesTheDefaultsAndNoBackup) {
    UseChinese = false;
    Start();
    EXPECT_EQ(FilterCategories, DefaultCategories(false));
    EXPECT_EQ(Read("filters.ini"), Defaults(false));
    EXPECT_FALSE(Exists("filters.bak"));
    EXPECT_FALSE(Exists("filters.ini.tmp"));

    Start();  // the second start loads the file and backs it up
    EXPECT_EQ(Read("filters.bak"), Defaults(false));
}

TEST_F(FilterStartupTest, ALoadedFileIsUsedAsWrittenAndCopiedToTheBackup) {
    UseChinese = false;
    const std::string custom = "# mine\nCode=cpp,h\nbroken line\n";
    Write("filters.ini", custom);
    Start();
    EXPECT_EQ(FilterCategories, (CategoryList{{u"Code", {u".cpp", u".h"}}}));
    EXPECT_EQ(Read("filters.ini"), custom);  // invalid lines stay in the file
    EXPECT_EQ(Read("filters.bak"), custom);
}

TEST_F(FilterStartupTest, AnUnusableFileIsReplacedByTheBackupsCategories) {
    UseChinese = false;
    Write("filters.bak", "Old=.x");
    for (const std::string& unusable :
         {std::string("# only\n\n  \r\n"), std::string(), std::string("\xFE\xFF\x00=", 4)}) {
        Write("filters.ini", unusable);
        Start();
        EXPECT_EQ(FilterCategories, (CategoryList{{u"Old", {u".x"}}}));
        EXPECT_EQ(Read("filters.ini"), kBom + "Old=.x\r\n");
        EXPECT_EQ(Read("filters.bak"), "Old=.x");  // not refreshed in this branch
    }
}

TEST_F(FilterStartupTest, WithoutAUsableBackupTheDefaultsAreWritten) {
    UseChinese = true;
    Write("filters.ini", "# nothing\n");
    Write("filters.bak", "no category here\n");
    Start();
    EXPECT_EQ(FilterCategories, BuiltinCategoryTable);
    EXPECT_EQ(Read("filters.ini"), Defaults(true));
}

TEST_F(FilterStartupTest, EnglishInterfaceRenamesChineseDefaultsButKeepsTheUsersLines) {
    UseChinese = false;
    Write("filters.ini", Defaults(true) + "Code=.cpp\r\n图片=.png\r\n");
    Start();
    CategoryList expected = DefaultCategories(false);
    expected.push_back({u"Code", {u".cpp"}});
    expected.push_back({u"图片", {u".png"}});  // not the default Images list: left alone
    EXPECT_EQ(FilterCategories, expected);
    EXPECT_EQ(Read("filters.ini"), FormatFilterConfig(expected));
    EXPECT_EQ(Read("filters.bak"), FormatFilterConfig(expected));
}

TEST_F(FilterStartupTest, ChineseInterfaceKeepsAnEnglishFileAndEnglishKeepsOtherFiles) {
    UseChinese = true;
    Write("filters.ini", Defaults(false));
    Start();
    EXPECT_EQ(FilterCategories, DefaultCategories(false));

    UseChinese = false;  // Chinese names, but not starting with the Chinese "all files"
    const std::string file = "文档=.doc\r\n所有文件=\r\n";
    Write("filters.ini", file);
    Start();
    EXPECT_EQ(FilterCategories, (CategoryList{{u"文档", {u".doc"}}, {u"所有文件", {}}}));
    EXPECT_EQ(Read("filters.ini"), file);
}

class FilterSaveTest : public testing::ScratchFolderTest {};

TEST_F(FilterSaveTest, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    Write("filters.ini", "Old=.x\r\n");
    EXPECT_TRUE(SaveFilterConfig(Path("filters.ini"), {{u"New", {u".y"}}}));
    EXPECT_EQ(Read("filters.ini"), kBom + "New=.y\r\n");
    EXPECT_FALSE(Exists("filters.ini.tmp"));
}

TEST_F(FilterSaveTest, AFailedWriteIsReportedAndKeepsTheOldFile) {
    Write("filters.ini", "Old=.x\r\n");
    std::filesystem::create_directory(Root() / "filters.ini.tmp");  // cannot be written
    EXPECT_FALSE(SaveFilterConfig(Path("filters.ini"), {{u"New", {u".y"}}}));
    EXPECT_EQ(Read("filters.ini"), "Old=.x\r\n");
    EXPECT_FALSE(SaveFilterConfig(Path("missing/filters.ini"), {{u"New", {}}}));
}

TEST_F(FilterSaveTest, LoadingAMissingOrEmptyFileLeavesTheListAlone) {
    CategoryList list{{u"kept", {}}};
    EXPECT_FALSE(LoadFilterConfig(Path("absent.ini"), &list));
    Write("empty.ini", kBom);
    EXPECT_FALSE(LoadFilterConfig(Path("empty.ini"), &list));
    EXPECT_EQ(list, (CategoryList{{u"kept", {}}}));
}

#if !defined(_WIN32)
// Only the POSIX file layer can be made to fail a read part-way.
class FilterReadErrorTest : public testing::ScratchFolderTest {
  protected:
    void TearDown() override {
        SetReadFaultAfter(kNoReadFault);
        ScratchFolderTest::TearDown();
    }
    CategoryList LoadFailingAfter(std::uint64_t bytes, bool* loaded) {
        CategoryList list{{u"kept", {}}};
        SetReadFaultAfter(bytes);
        *loaded = LoadFilterConfig(Path("filters.ini"), &list);
        SetReadFaultAfter(kNoReadFault);
        return list;
    }

    const std::string file_ = "A=.a\r\nB=.b1,.b2\r\nC=.c\r\n";
};

TEST_F(FilterReadErrorTest, KeepsTheLinesReadBeforeTheErrorButNotTheOneItCut) {
    Write("filters.ini", file_);
    bool loaded = false;
    EXPECT_EQ(LoadFailingAfter(file_.find(".b2") + 2, &loaded), (CategoryList{{u"A", {u".a"}}}));
    EXPECT_TRUE(loaded);
    EXPECT_EQ(LoadFailingAfter(file_.find("C="), &loaded),
              (CategoryList{{u"A", {u".a"}}, {u"B", {u".b1", u".b2"}}}));
    EXPECT_TRUE(loaded);
    // Nothing whole before the error: nothing loads, and the list stays as it was.
    EXPECT_EQ(LoadFailingAfter(3, &loaded), (CategoryList{{u"kept", {}}}));
    EXPECT_FALSE(loaded);
}

TEST_F(FilterReadErrorTest, AWholePieceOfALongLineReadBeforeTheErrorCounts) {
    // A 1,023-unit piece, then "X=.b,.c" as a piece of its own.
    Write("filters.ini", "Long=." + std::string(1017, 'a') + "X=.b,.c\n");
    bool loaded = false;
    EXPECT_EQ(LoadFailingAfter(1023 + 4, &loaded),
              (CategoryList{{u"Long", {u"." + std::u16string(1017, u'a')}}}));
    EXPECT_EQ(LoadFailingAfter(kNoReadFault, &loaded).back(),
              (FilterCategory{u"X", {u".b", u".c"}}));
}

TEST_F(FilterReadErrorTest, StartUpUsesThePartlyReadFileAndDoesNotOverwriteIt) {
    UseChinese = false;
    Write("filters.ini", file_);
    Write("filters.bak", "Old=.x\r\n");
    SetReadFaultAfter(file_.find("B="));
    InitFilterConfigIn(Utf8ToUtf16(Root().u8string()));
    SetReadFaultAfter(kNoReadFault);
    EXPECT_EQ(FilterCategories, (CategoryList{{u"A", {u".a"}}}));
    EXPECT_EQ(Read("filters.ini"), file_);
}
#endif

}  // namespace
}  // namespace kx
