// Running out of memory while searching or sorting: each large allocation of the worker (and
// of its helper threads) is made to fail in turn. The worker must end having published
// nothing, so that the list shown before stays, and count the failure.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "common/allocation_failure.h"
#include "common/process_state.h"
#include "index/search_engine.h"
#include "platform/sim/simulated_drives.h"
#include "platform/usn_layout.h"
#include "search/compare_match_items.h"
#include "search/hit_arena.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/sort_worker.h"
#include "search/visible_results.h"

namespace kx {
namespace {

constexpr int kFiles = 20000;
constexpr std::uint64_t kMostAllocations = 200;

void WaitForWorkers() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (WorkerThreadsRunning.load() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(WorkerThreadsRunning.load(), 0);
}

class WorkerOutOfMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        ExitRequested.store(false);
        sim::ResetDrives();
        auto drive = sim::AddNtfsDrive('C');
        drive->ReserveEntries(kFiles);
        for (int i = 0; i < kFiles; ++i) {
            const std::u16string name = u"file" + std::u16string(1, u'a' + i % 26) + u".txt";
            drive->AddEntryQuietly(kRootDirectoryFrn, name, FILE_ATTRIBUTE_ARCHIVE_BIT, kFiles - i);
        }
        engine.volumes.push_back(std::make_unique<VolumeIndex>());
        ASSERT_TRUE(engine.volumes.back()->BuildTable(u"C:", false));
        engine.ready.store(true);
        UseSearchEngineForTesting(&engine);
        // The list on show before anything runs out.
        ASSERT_TRUE(StartSearch(engine, u"file"));
        WaitForWorkers();
        shown = TakeCurrentResults();
        ASSERT_TRUE(shown);
        ASSERT_EQ(shown->size(), static_cast<std::size_t>(kFiles));
    }
    void TearDown() override {
        FailNthLargeAllocation(0);
        WaitForWorkers();
        UseSearchEngineForTesting(nullptr);
        {
            std::lock_guard<std::mutex> guard(ResultsLock);
            CurrentResults.reset();
        }
        DropVisibleResults();
        shown.reset();
        engine.volumes.clear();
        sim::ResetDrives();
    }

    // Fails each large allocation of `start` in turn; every failed run must leave `shown`
    // current. Returns how many failed before one ran through.
    std::uint64_t FailEachAllocation(const std::function<bool()>& start) {
        for (std::uint64_t n = 1; n < kMostAllocations; ++n) {
            // Arrays kept from earlier runs would spare the worker its allocations.
            HitArenaOf(engine)->LetGo();
            const std::uint64_t failuresBefore = OutOfMemoryFailures.load();
            FailNthLargeAllocation(n);
            EXPECT_TRUE(start());
            WaitForWorkers();
            const bool failed = !LargeAllocationFailureArmed();
            FailNthLargeAllocation(0);
            const SharedResults current = TakeCurrentResults();
            if (!failed) {
                EXPECT_NE(current, shown);
                EXPECT_EQ(current->size(), static_cast<std::size_t>(kFiles));
                return n - 1;
            }
            EXPECT_EQ(current, shown) << "allocation " << n;
            EXPECT_EQ(OutOfMemoryFailures.load(), failuresBefore + 1) << "allocation " << n;
        }
        ADD_FAILURE() << "the worker never got past its allocations";
        return 0;
    }

    SearchEngine engine;
    SharedResults shown;
};

TEST_F(WorkerOutOfMemory, SearchPublishesNothing) {
    EXPECT_GE(FailEachAllocation([&] { return StartSearch(engine, u"txt"); }), 1u);
}

TEST_F(WorkerOutOfMemory, NameSortPublishesNothing) {
    EXPECT_GE(FailEachAllocation([] {
                  SortColumn.store(-1);
                  return StartSort(kColumnName);
              }),
              2u);
}

// The size sort loads every hit's details on helper threads as well.
TEST_F(WorkerOutOfMemory, SizeSortPublishesNothing) {
    EXPECT_GE(FailEachAllocation([] {
                  SortColumn.store(-1);
                  return StartSort(kColumnSize);
              }),
              2u);
}

}  // namespace
}  // namespace kx
