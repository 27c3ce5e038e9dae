#include "search/search_run.h"
#include "tests/search/stand_ins.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

using Names = std::vector<std::u16string>;

class VisibleList : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        SelectCategory(0);
        SetCategoryCount(7);
        volume = &test.AddVolume(u"C:");
        AddFile(*volume, u"report.TXT");
        AddFile(*volume, u"reports.docx", true);  // a directory named like a document
        AddFile(*volume, u"report.txt.jpg");
        AddFile(*volume, u"report");
        AddFile(*volume, u"report.doc");
    }
    void TearDown() override {
        SelectCategory(0);
        SetCategoryCount(7);
        SearchStateTest::TearDown();
    }

    void Publish(const std::u16string& query) {
        auto list =
            std::make_shared<ResultList>(MatchVolumes(test.engine, {query, CurrentGeneration()}));
        std::lock_guard<std::mutex> guard(ResultsLock);
        CurrentResults = list;
    }

    TestEngine test;
    VolumeIndex* volume = nullptr;
};

TEST_F(VisibleList, BeforeAnySearchIsEmptyAndLeavesTheCountAlone) {
    DisplayedCount.store(42);
    const SharedResults visible = GetVisibleResults();
    ASSERT_NE(visible, nullptr);
    EXPECT_TRUE(visible->items.empty());
    EXPECT_EQ(DisplayedCount.load(), 42);
    EXPECT_NE(GetVisibleResults(), visible) << "nothing is cached before a search";
}

TEST_F(VisibleList, AllFilesKeepsEveryHitDirectoriesIncluded) {
    Publish(u"report");
    const SharedResults visible = GetVisibleResults();
    EXPECT_EQ(NamesOf(*visible), NamesOf(*TakeCurrentResults()));
    EXPECT_EQ(visible->items.size(), 5u);
    EXPECT_EQ(DisplayedCount.load(), 5);
}

TEST_F(VisibleList, OtherCategoriesKeepOnlyFilesWithTheirExtensionsInOrder) {
    // reports.docx, a directory, is left out of Documents.
    Publish(u"report");
    SelectCategory(1);
    EXPECT_EQ(NamesOf(*GetVisibleResults()), (Names{u"report.TXT", u"report.doc"}));
    EXPECT_EQ(DisplayedCount.load(), 2);
    SelectCategory(2);
    EXPECT_EQ(NamesOf(*GetVisibleResults()), (Names{u"report.txt.jpg"}));
}

TEST_F(VisibleList, CachedUntilDroppedOrTheCategoryChanges) {
    Publish(u"report");
    SelectCategory(1);
    const SharedResults first = GetVisibleResults();
    EXPECT_EQ(GetVisibleResults(), first);
    DropVisibleResults();
    const SharedResults second = GetVisibleResults();
    EXPECT_NE(second, first);
    SelectCategory(2);
    EXPECT_NE(GetVisibleResults(), second);
    SelectCategory(0);
    EXPECT_EQ(GetVisibleResults(), TakeCurrentResults()) << "all files: the list itself, no copy";
}

TEST_F(VisibleList, CategoryPastAShortenedListCountsAsAllFiles) {
    Publish(u"report");
    SelectCategory(6);
    EXPECT_TRUE(GetVisibleResults()->items.empty());
    SetCategoryCount(3);  // a reset left fewer categories; the selection still says 6
    EXPECT_EQ(GetVisibleResults()->items.size(), 5u);
}

TEST_F(VisibleList, HitWhoseFileLeftTheTablePassesOnlyAllFiles) {
    Publish(u"report");
    // Delete report.doc and enough others that a compaction renumbers every record.
    const std::uint64_t doc = TakeCurrentResults()->Hit(TakeCurrentResults()->size() - 1).frn;
    Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, doc, kRootDirectoryFrn, u"");
    for (int i = 0; i < 10001; ++i) {
        const std::uint64_t frn = AddFile(*volume, u"filler");
        Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, frn, kRootDirectoryFrn, u"");
    }
    volume->Compact();
    ASSERT_LT(volume->table.Size(), 6u);

    SelectCategory(1);
    EXPECT_EQ(NamesOf(*GetVisibleResults()), (Names{u"report.TXT"}));
    SelectCategory(0);
    EXPECT_EQ(GetVisibleResults()->items.size(), 5u);
    EXPECT_EQ(CountHitsInCategory(*TakeCurrentResults(), 0, true), 4u);
    EXPECT_EQ(CountHitsInCategory(*TakeCurrentResults(), 1, false), 1u);
}

TEST_F(VisibleList, CountsLeaveOutRecordsDeadSinceTheSearchOnlyWhenAsked) {
    Publish(u"report");
    const std::uint64_t txt = TakeCurrentResults()->Hit(0).frn;
    Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, txt, kRootDirectoryFrn, u"");
    const SharedResults held = TakeCurrentResults();
    const ResultList& current = *held;
    EXPECT_EQ(CountHitsInCategory(current, 1, false), 2u);
    EXPECT_EQ(CountHitsInCategory(current, 1, true), 1u);
    EXPECT_EQ(CountHitsInCategory(current, 0, true), 4u);
    EXPECT_EQ(CountHitsInCategory(current, 99, false), 5u) << "past the list counts as 0";
}

}  // namespace
}  // namespace kx::testing
