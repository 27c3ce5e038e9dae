#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "filters/default_categories.h"
#include "filters/match_category.h"
#include "tests/filters/filter_test_support.h"

namespace kx {
namespace {

constexpr std::int32_t kAll = 0, kDocuments = 1, kImages = 2, kArchives = 3;

class MatchCategoryTest : public testing::FilterStateTest {
  protected:
    void SetUp() override {
        FilterStateTest::SetUp();
        SetFilterCategories(DefaultCategories(false));
    }
};

TEST_F(MatchCategoryTest, ExtensionIsComparedWithAsciiCaseFolded) {
    EXPECT_TRUE(MatchCategory(u"PHOTO.JPG", kImages));
    EXPECT_TRUE(MatchCategory(u"notes.Md", kDocuments));
    EXPECT_FALSE(MatchCategory(u"PHOTO.JPG", kDocuments));
}

TEST_F(MatchCategoryTest, OnlyTheTextAfterTheLastDotCounts) {
    EXPECT_TRUE(MatchCategory(u"archive.TAR.GZ", kArchives));
    EXPECT_FALSE(MatchCategory(u"report.pdf.bak", kDocuments));
    EXPECT_FALSE(MatchCategory(u"photo.jpgx", kImages));  // no prefix match
    EXPECT_FALSE(MatchCategory(u"photo.jp", kImages));
}

TEST_F(MatchCategoryTest, NamesWithoutAnExtensionPassOnlyCategoryZero) {
    EXPECT_FALSE(MatchCategory(u"README", kDocuments));
    EXPECT_TRUE(MatchCategory(u"README", kAll));
    EXPECT_FALSE(MatchCategory(u"", kDocuments));
}

TEST_F(MatchCategoryTest, DotFilesAndTrailingDotsAreWholeExtensions) {
    SetFilterCategories({{u"All", {}}, {u"Git", {u".gitignore"}}, {u"Dot", {u"."}}});
    EXPECT_TRUE(MatchCategory(u".gitignore", 1));
    EXPECT_TRUE(MatchCategory(u"name.", 2));
    EXPECT_FALSE(MatchCategory(u"name.", 1));
    EXPECT_FALSE(MatchCategory(u"name.txt", 2));
}

TEST_F(MatchCategoryTest, NonAsciiCapitalsAreNotFolded) {
    SetFilterCategories({{u"All", {}}, {u"Umlaut", {u".\u00E4b"}}, {u"Capital", {u".\u00C4b"}}});
    EXPECT_FALSE(MatchCategory(u"x.\u00C4B", 1));
    EXPECT_TRUE(MatchCategory(u"x.\u00C4B", 2));
}

TEST_F(MatchCategoryTest, CategoryZeroPassesEverythingAndAnEmptyListNothing) {
    SetFilterCategories({{u"All", {u".txt"}}, {u"Empty", {}}});
    EXPECT_TRUE(MatchCategory(u"photo.jpg", 0));
    EXPECT_FALSE(MatchCategory(u"photo.jpg", 1));
}

TEST_F(MatchCategoryTest, IndexPastAShortenedListFallsBackToAllFiles) {
    SelectedCategory = 6;
    EXPECT_EQ(SelectedCategoryIndex(), 6);
    SetFilterCategories({{u"All Files", {}}, {u"Text", {u".txt"}}});
    EXPECT_EQ(SelectedCategoryIndex(), 0);
    EXPECT_EQ(CategoryIndexOrAll(-1), 0);
    EXPECT_EQ(CategoryIndexOrAll(1), 1);
    EXPECT_TRUE(MatchCategory(u"folder", 6));
    EXPECT_TRUE(MatchCategory(u"photo.jpg", -3));
}

TEST_F(MatchCategoryTest, SnapshotsStayUsableWhileTheListIsReplaced) {
    std::atomic<bool> stop{false};
    std::atomic<int> mismatches{0};
    std::thread reader([&] {
        while (!stop.load()) {
            // Either list gives a consistent answer: Images in the defaults, all files past
            // the end of the one-entry list.
            const auto snapshot = FilterCategoriesSnapshot();
            if (!MatchCategory(u"a.png", kImages, *snapshot))
                mismatches.fetch_add(1);
            if (snapshot->size() > 2 && MatchCategory(u"a.txt", kImages, *snapshot))
                mismatches.fetch_add(1);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        if (i % 2 == 0)
            SetFilterCategories({{u"All", {}}});
        else
            LoadDefaultCategories();
    }
    stop.store(true);
    reader.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace kx
