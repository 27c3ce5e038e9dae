#include "search/sort_worker.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/parallel_blocks.h"
#include "search/search_run.h"

#include <random>
#include "tests/search/message_log.h"
#include "tests/search/stand_ins.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

using Names = std::vector<std::u16string>;

class Sorting : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        StandInClearFiles();
        StandInOnQuery = nullptr;
        volume = &test.AddVolume(u"C:");
        UseSearchEngineForTesting(&test.engine);
    }
    void TearDown() override {
        WaitForWorkers();
        StandInOnQuery = nullptr;
        StandInClearFiles();
        SearchStateTest::TearDown();
    }

    void File(const std::u16string& name, std::int64_t size, std::uint64_t written = 0,
              std::uint64_t created = 0) {
        StandInSetFile(u"C:\\" + name, {size, written, created, false});
        AddFile(*volume, name);
    }

    // Searches and waits for the list; returns its generation.
    std::uint64_t Search(const std::u16string& query) {
        EXPECT_TRUE(StartSearch(query));
        const std::uint64_t generation = CurrentGeneration();
        EXPECT_TRUE(log.WaitFor(WM_SEARCH_DONE, generation));
        log.Clear();
        return generation;
    }

    // Clicks a column title and waits for the sorted list.
    Names Sort(std::int32_t column) {
        EXPECT_TRUE(StartSort(column));
        const std::uint64_t generation = CurrentGeneration();
        EXPECT_TRUE(log.WaitFor(WM_SEARCH_DONE, generation));
        WaitForWorkers();
        return NamesOf(*TakeCurrentResults());
    }

    std::vector<std::u16string> ProgressTexts() {
        std::vector<std::u16string> texts;
        for (const PostedMessage& posted : log.MessagesOf(WM_SORT_PROGRESS))
            texts.push_back(posted.text);
        return texts;
    }

    // At the first hit, every 5000 after it and at the last.
    static Names ProgressOf12000() {
        const std::u16string prefix = u"正在提取硬盘属性并排序中... (已处理 ";
        return Names{prefix + u"1 / 12000)", prefix + u"5001 / 12000)", prefix + u"10001 / 12000)",
                     prefix + u"12000 / 12000)"};
    }

    TestEngine test;
    VolumeIndex* volume = nullptr;
    MessageLog log;
};

TEST_F(Sorting, HeaderClicksSetColumnAndDirectionAtOnce) {
    const std::uint64_t before = CurrentGeneration();
    EXPECT_FALSE(StartSort(kColumnRowNumber));
    EXPECT_EQ(CurrentGeneration(), before) << "the row-number title ignores clicks";
    EXPECT_EQ(SortColumn.load(), -1);

    ASSERT_TRUE(StartSort(kColumnSize));
    EXPECT_EQ(SortColumn.load(), kColumnSize);
    EXPECT_TRUE(SortAscending.load());
    ASSERT_TRUE(StartSort(kColumnSize));
    EXPECT_FALSE(SortAscending.load());
    ASSERT_TRUE(StartSort(kColumnName));
    EXPECT_EQ(SortColumn.load(), kColumnName);
    EXPECT_TRUE(SortAscending.load());
    EXPECT_EQ(CurrentGeneration(), before + 3);
    WaitForWorkers();
    EXPECT_TRUE(log.Messages().empty()) << "nothing to sort before any search";
}

TEST_F(Sorting, EmptyListPostsNothing) {
    Search(u"");
    ASSERT_TRUE(StartSort(kColumnName));
    WaitForWorkers();
    EXPECT_TRUE(log.Messages().empty());
}

TEST_F(Sorting, OneHitPostsOneProgressTextAndTheResult) {
    File(u"only.txt", 1);
    Search(u"only");
    EXPECT_EQ(Sort(kColumnSize), (Names{u"only.txt"}));
    const std::vector<PostedMessage> posted = log.Messages();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, WM_SORT_PROGRESS);
    EXPECT_EQ(posted[0].text, u"正在提取硬盘属性并排序中... (已处理 1 / 1)");
    EXPECT_EQ(posted[1].message, WM_SEARCH_DONE);
    EXPECT_EQ(posted[1].lParam, 1);
}

TEST_F(Sorting, NameSortOf12000HitsReportsFourTimesAndLoadsNoDetails) {
    for (int i = 0; i < 12000; ++i) {
        const std::u16string digits = std::u16string(1, u'a' + (i * 7) % 26) + u"_hit";
        AddFile(*volume, digits);
    }
    Search(u"_hit");
    const int queries = StandInQueries.load();
    const Names sorted = Sort(kColumnName);
    EXPECT_EQ(StandInQueries.load(), queries) << "sorting by name asks the file system nothing";
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));

    EXPECT_EQ(ProgressTexts(), ProgressOf12000());
    const std::vector<PostedMessage> done = log.MessagesOf(WM_SEARCH_DONE);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].lParam, 1);
    EXPECT_EQ(log.Messages().back().message, WM_SEARCH_DONE);
    EXPECT_TRUE(TakeCurrentResults()->details->entries.empty());
}

TEST_F(Sorting, EveryColumnInBothDirections) {
    File(u"b_mid.txt", 500, 300, 10);
    File(u"A_small.txt", 5, 200, 30);
    AddFile(*volume, u"c_dir", true);
    File(u"C_big.txt", 9000, 100, 20);
    AddFile(*volume, u"d_unreadable.txt");  // missing from the attribute data: size 0, time 0
    Search(u"_");

    EXPECT_EQ(Sort(kColumnName),
              (Names{u"A_small.txt", u"b_mid.txt", u"C_big.txt", u"c_dir", u"d_unreadable.txt"}));
    EXPECT_EQ(Sort(kColumnName),
              (Names{u"d_unreadable.txt", u"c_dir", u"C_big.txt", u"b_mid.txt", u"A_small.txt"}));
    EXPECT_EQ(Sort(kColumnSize),
              (Names{u"c_dir", u"d_unreadable.txt", u"A_small.txt", u"b_mid.txt", u"C_big.txt"}));
    EXPECT_EQ(Sort(kColumnSize),
              (Names{u"C_big.txt", u"b_mid.txt", u"A_small.txt", u"d_unreadable.txt", u"c_dir"}));
    // The directory is not in the attribute data either: its times are 0 like the unreadable
    // file's, and equal keys have no order, so only the readable files are checked in order.
    Names modified = Sort(kColumnModified);
    EXPECT_EQ(Names(modified.begin() + 2, modified.end()),
              (Names{u"C_big.txt", u"A_small.txt", u"b_mid.txt"}));
    modified = Sort(kColumnModified);
    EXPECT_EQ(Names(modified.begin(), modified.begin() + 3),
              (Names{u"b_mid.txt", u"A_small.txt", u"C_big.txt"}));
    Names created = Sort(kColumnCreated);
    EXPECT_EQ(Names(created.begin() + 2, created.end()),
              (Names{u"b_mid.txt", u"C_big.txt", u"A_small.txt"}));
    created = Sort(kColumnCreated);
    EXPECT_EQ(Names(created.begin(), created.begin() + 3),
              (Names{u"A_small.txt", u"C_big.txt", u"b_mid.txt"}));
    EXPECT_EQ(Sort(kColumnPath),
              (Names{u"A_small.txt", u"b_mid.txt", u"C_big.txt", u"c_dir", u"d_unreadable.txt"}));
    EXPECT_EQ(Sort(kColumnPath),
              (Names{u"d_unreadable.txt", u"c_dir", u"C_big.txt", u"b_mid.txt", u"A_small.txt"}));
    const SharedResults sorted = TakeCurrentResults();
    for (const MatchItem& item : sorted->items) {
        const auto loaded = sorted->details->entries.find(DetailsKeyOf(item));
        EXPECT_TRUE(loaded != sorted->details->entries.end() && loaded->second.detailsLoaded)
            << "the sorted list keeps the details it loaded";
    }
}

TEST_F(Sorting, NewSearchDuringTheDetailLoopStopsTheSortWithinOneHit) {
    for (int i = 0; i < 2000; ++i)
        File(u"many" + std::u16string(1, u'a' + i % 26) + u".bin", i);
    Search(u"many");
    const SharedResults searched = TakeCurrentResults();
    std::atomic<int> queriesAfter{-1};
    std::atomic<bool> searchedAgain{false};
    StandInOnQuery = [&](const std::u16string&) {
        if (!searchedAgain.exchange(true))
            StartSearch(u"");  // as if the user typed while the sort loads details
        else
            queriesAfter.fetch_add(1);
    };
    // Drawn before the click: the sort may reach its first query, and the search it starts
    // draw the next generation, before this thread runs again.
    const std::uint64_t sortGeneration = CurrentGeneration() + 1;
    ASSERT_TRUE(StartSort(kColumnSize));
    WaitForWorkers();
    // The details are loaded on every core: each loading thread finishes at most the hit it
    // was on when the search started.
    EXPECT_LT(queriesAfter.load(), static_cast<int>(WorkerCount()))
        << "no more than one hit per loading thread after the search started";
    EXPECT_FALSE(log.WaitFor(WM_SEARCH_DONE, sortGeneration, std::chrono::milliseconds(0)));
    const SharedResults current = TakeCurrentResults();
    ASSERT_NE(current, nullptr);
    EXPECT_NE(current, searched);
    EXPECT_TRUE(current->items.empty()) << "the new search's list is current";
}

// The name sort compares packed prefixes of the folded names and falls back to the whole name
// on a tie: held here to the comparison itself, on names that share long prefixes, differ only
// in case, hold an underscore or non-ASCII letters, or are prefixes of each other.
TEST_F(Sorting, NameSortOrdersAsTheTextComparisonDoes) {
    std::mt19937 random(3);
    const std::u16string units = u"aAbB_z\u00C4\u00E4.";
    Names names;
    for (int i = 0; i < 4000; ++i) {
        std::u16string name = u"#";
        const std::size_t length = random() % 14;
        for (std::size_t k = 0; k < length; ++k)
            name += units[random() % units.size()];
        names.push_back(name);
        AddFile(*volume, name);
    }
    Search(u"#");
    for (const bool ascending : {true, false}) {
        Names expected = names;
        std::stable_sort(expected.begin(), expected.end(),
                         [ascending](const std::u16string& a, const std::u16string& b) {
                             const int c = CompareFoldedText(a, b);
                             return ascending ? c < 0 : c > 0;
                         });
        const Names sorted = Sort(kColumnName);
        ASSERT_EQ(sorted.size(), expected.size());
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            ASSERT_EQ(CompareFoldedText(sorted[i], expected[i]), 0)
                << "position " << i << (ascending ? " ascending" : " descending");
        }
    }
}

TEST_F(Sorting, DetailSortLoadsEveryHitAndReportsProgressInOrder) {
    std::mt19937 random(5);
    for (int i = 0; i < 12000; ++i)
        File(u"f" + std::u16string(1, u'a' + i % 26) + u".bin", random() % 100000);
    Search(u".bin");
    Sort(kColumnSize);
    EXPECT_EQ(ProgressTexts(), ProgressOf12000());
    const SharedResults sorted = TakeCurrentResults();
    std::int64_t last = -1;
    for (const MatchItem& item : sorted->items) {
        const auto loaded = sorted->details->entries.find(DetailsKeyOf(item));
        ASSERT_TRUE(loaded != sorted->details->entries.end() && loaded->second.detailsLoaded);
        EXPECT_LE(last, loaded->second.size);
        last = loaded->second.size;
    }
}

TEST_F(Sorting, ASecondClickReversesTheListAndAsksTheFileSystemNothing) {
    std::mt19937 random(9);
    for (int i = 0; i < 12000; ++i)
        File(u"g" + std::u16string(1, u'a' + i % 26) + u".bin", random() % 100000);
    Search(u".bin");
    Sort(kColumnSize);
    const SharedResults ascending = TakeCurrentResults();
    log.Clear();
    const int queries = StandInQueries.load();
    Sort(kColumnSize);
    const SharedResults descending = TakeCurrentResults();
    EXPECT_EQ(StandInQueries.load(), queries) << "the details loaded by the first click serve";
    ASSERT_EQ(descending->size(), ascending->size());
    for (std::size_t k = 0; k < ascending->size(); ++k) {
        ASSERT_EQ(DetailsKeyOf(descending->items[k]),
                  DetailsKeyOf(ascending->items[ascending->size() - 1 - k]));
    }
    EXPECT_EQ(ProgressTexts(), ProgressOf12000()) << "the progress texts as for any sort";
    EXPECT_EQ(descending->details, ascending->details) << "one details table, not a copy";
}

TEST_F(Sorting, SortOfAnOutdatedListDoesNothing) {
    File(u"x.txt", 1);
    Search(u"x");
    SortWorker(SortRequest{CurrentGeneration() - 1, kColumnName});
    EXPECT_TRUE(log.Messages().empty());
}

}  // namespace
}  // namespace kx::testing
