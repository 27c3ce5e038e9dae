#include <algorithm>
#include <new>

#include "search/search_run.h"
#include "search/worker_thread.h"
#include "tests/search/message_log.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

class SearchRun : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        VolumeIndex& volume = test.AddVolume(u"C:");
        for (int i = 0; i < 5000; ++i)
            AddFile(volume, i % 2 == 0 ? u"even.txt" : u"odd.txt");
        UseSearchEngineForTesting(&test.engine);
    }

    TestEngine test;
    MessageLog log;
};

TEST_F(SearchRun, EmptyQueryPublishesAnEmptyListAtOnceWithoutAThread) {
    SortColumn.store(3);
    ASSERT_TRUE(StartSearch(u""));
    const std::uint64_t generation = CurrentGeneration();
    // Posted before StartSearch returned: no worker involved.
    const std::vector<PostedMessage> posted = log.Messages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_SEARCH_DONE);
    EXPECT_EQ(posted[0].wParam, generation);
    EXPECT_EQ(posted[0].lParam, 0);
    EXPECT_EQ(WorkerThreadsRunning.load(), 0);
    const SharedResults current = TakeCurrentResults();
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(current->items.empty());
    EXPECT_EQ(SortColumn.load(), -1);
}

TEST_F(SearchRun, PublishesTheHitsAndResetsTheSortColumnButNotTheDirection) {
    SortColumn.store(2);
    SortAscending.store(false);
    ASSERT_TRUE(StartSearch(u"ODD"));
    const std::uint64_t generation = CurrentGeneration();
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, generation));
    const SharedResults current = TakeCurrentResults();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->items.size(), 2500u);
    EXPECT_EQ(SortColumn.load(), -1);
    EXPECT_FALSE(SortAscending.load());
    EXPECT_EQ(log.MessagesOf(WM_SEARCH_DONE)[0].lParam, 0);
}

TEST_F(SearchRun, QueryBeforeTheIndexIsReadyPublishesAnEmptyList) {
    test.engine.ready.store(false);
    ASSERT_TRUE(StartSearch(u"even"));
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, CurrentGeneration()));
    const SharedResults current = TakeCurrentResults();
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(current->items.empty());
}

TEST_F(SearchRun, OnlyTheNewestOfManyQuickQueriesPublishes) {
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(StartSearch(i % 2 == 0 ? u"even" : u"odd"));
    ASSERT_TRUE(StartSearch(u"txt"));
    const std::uint64_t newest = CurrentGeneration();
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, newest));
    WaitForWorkers();
    // A query that finished before the next one started may have published; none published
    // twice, and whatever was posted late, the newest list is the current one.
    std::vector<std::uintptr_t> generations;
    for (const PostedMessage& m : log.MessagesOf(WM_SEARCH_DONE))
        generations.push_back(m.wParam);
    std::sort(generations.begin(), generations.end());
    EXPECT_EQ(std::adjacent_find(generations.begin(), generations.end()), generations.end());
    EXPECT_EQ(generations.back(), newest);
    EXPECT_EQ(TakeCurrentResults()->items.size(), 5000u);
}

TEST_F(SearchRun, OvertakenWorkerLeavesTheCurrentListAlone) {
    ASSERT_TRUE(StartSearch(u"even"));
    const std::uint64_t first = CurrentGeneration();
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, first));
    const SharedResults published = TakeCurrentResults();

    // A worker whose generation is already outdated when it publishes.
    ScanRequest outdated{u"odd", first};
    SearchGeneration.fetch_add(1);
    RunSearch(test.engine, outdated);
    EXPECT_EQ(TakeCurrentResults(), published);
    EXPECT_EQ(log.MessagesOf(WM_SEARCH_DONE).size(), 1u);
}

TEST_F(SearchRun, NothingIsPublishedOnceExitIsRequested) {
    ExitRequested.store(true);
    ASSERT_TRUE(StartSearch(u"even"));
    WaitForWorkers();
    EXPECT_EQ(TakeCurrentResults(), nullptr);
    EXPECT_TRUE(log.Messages().empty());
}

// A worker that cannot be started for want of memory (here its own move runs out, as the
// thread's start-up state may) is not counted: a waiter for the workers would wait for ever.
TEST(StartCountedWorker, AWorkerThatCannotStartForWantOfMemoryIsNotCounted) {
    struct OutOfMemoryOnMove {
        OutOfMemoryOnMove() = default;
        OutOfMemoryOnMove(OutOfMemoryOnMove&&) { throw std::bad_alloc(); }
        void operator()() const {}
    };
    const int before = WorkerThreadsRunning.load();
    EXPECT_FALSE(StartCountedWorker(OutOfMemoryOnMove{}));
    EXPECT_EQ(WorkerThreadsRunning.load(), before);
}

}  // namespace
}  // namespace kx::testing
