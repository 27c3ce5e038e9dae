#include <gtest/gtest.h>

#include "filters/default_categories.h"
#include "tests/filters/filter_test_support.h"

namespace kx {
namespace {

using Extensions = std::vector<std::u16string>;

const Extensions kDocuments = {u".doc",  u".docx", u".pdf",  u".txt", u".xls",
                               u".xlsx", u".ppt",  u".pptx", u".md",  u".csv"};
const Extensions kImages = {u".jpg",  u".jpeg", u".png", u".gif", u".bmp",
                            u".webp", u".ico",  u".svg", u".tif"};
const Extensions kArchives = {u".zip", u".rar", u".7z", u".tar", u".gz", u".iso", u".cab"};
const Extensions kApplications = {u".exe", u".msi", u".bat", u".cmd", u".dll", u".sys", u".ps1"};
const Extensions kVideos = {u".mp4", u".mkv", u".avi", u".mov", u".wmv", u".flv", u".rmvb"};
const Extensions kAudio = {u".mp3", u".wav", u".flac", u".aac", u".ogg", u".m4a"};

const CategoryList kEnglish = {
    {u"All Files", {}},       {u"Documents", kDocuments},       {u"Images", kImages},
    {u"Archives", kArchives}, {u"Applications", kApplications}, {u"Videos", kVideos},
    {u"Audio", kAudio}};
const CategoryList kChinese = {
    {u"所有文件", {}},      {u"文档", kDocuments},        {u"图片", kImages},
    {u"压缩包", kArchives}, {u"应用程序", kApplications}, {u"视频", kVideos},
    {u"音频", kAudio}};

using DefaultCategoriesTest = testing::FilterStateTest;

TEST_F(DefaultCategoriesTest, EnglishInterfaceGetsTheSevenEnglishCategoriesExactly) {
    UseChinese = false;
    LoadDefaultCategories();
    EXPECT_EQ(FilterCategories, kEnglish);
}

TEST_F(DefaultCategoriesTest, ChineseInterfaceGetsTheBuiltinTable) {
    UseChinese = true;
    LoadDefaultCategories();
    EXPECT_EQ(FilterCategories, kChinese);
    EXPECT_EQ(BuiltinCategoryTable, kChinese);
}

TEST(TranslateChineseDefaults, RenamesOnlyUntouchedDefaultsAndKeepsEverythingElse) {
    CategoryList list = kChinese;
    list[2].extensions.push_back(u".heic");       // the user changed Images
    list.push_back({u"Code", {u".cpp", u".h"}});  // and added a category
    EXPECT_EQ(TranslateChineseDefaults(&list), 6u);
    EXPECT_EQ(list[0].name, u"All Files");
    EXPECT_EQ(list[1].name, u"Documents");
    EXPECT_EQ(list[2].name, u"图片");
    EXPECT_EQ(list[6].name, u"Audio");
    EXPECT_EQ(list[7], (FilterCategory{u"Code", {u".cpp", u".h"}}));
}

}  // namespace
}  // namespace kx
