// What the arena is for: the same hits whatever the number of scan workers, a keystroke that
// writes no fresh page once a list of its size was made before, and memory that stays bounded
// however many keystrokes, worker counts and list sizes come.
#include "search/hit_arena.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "common/process_state.h"
#include "search/hit_arena_warmup.h"
#include "search/parallel_blocks.h"
#include "search/search_run.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

constexpr std::size_t kWorkerCounts[] = {1, 4, 8, 16};

// 0 where faults cannot be told apart: Windows, and the sanitizers, whose allocators and
// shadow memory fault in pages of their own.
std::uint64_t PageFaults() {
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_minflt);
#endif
}

std::vector<std::uint64_t> FrnsOf(const ResultList& list) {
    std::vector<std::uint64_t> frns;
    for (const MatchItem& item : list.items)
        frns.push_back(item.frn);
    return frns;
}

class Arena : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        // Two volumes, each large enough to be cut into a block per worker; "a" is in most
        // names, "b" in about half.
        for (const char16_t* drive : {u"C:", u"D:"}) {
            VolumeIndex& volume = test.AddVolume(drive);
            for (std::size_t i = 0; i < 200000; ++i) {
                const std::u16string name = i % 2 == 0 ? u"ab.txt" : u"a.doc";
                AddRecord(volume, MakeFileReference(100 + i, 1), kRootDirectoryFrn, name);
            }
        }
    }
    void TearDown() override {
        SetWorkerCount(0);
        SearchStateTest::TearDown();
    }

    ResultList Scan(const std::u16string& query) {
        ScanRequest request;
        request.query = query;
        request.generation = CurrentGeneration();
        request.category = 1;
        return MatchVolumes(test.engine, request);
    }

    TestEngine test;
};

TEST_F(Arena, EveryWorkerCountFindsTheSameHitsInTheSameOrder) {
    SetWorkerCount(1);
    const std::vector<std::uint64_t> serial = FrnsOf(Scan(u"ab"));
    ASSERT_EQ(serial.size(), 200000u);
    for (std::size_t workers : kWorkerCounts) {
        SetWorkerCount(workers);
        const ResultList list = Scan(u"ab");
        EXPECT_EQ(FrnsOf(list), serial) << workers << " workers";
        EXPECT_EQ(list.narrowed->size(), serial.size()) << workers << " workers";
    }
}

TEST_F(Arena, AKeystrokeWritesNoFreshPageOnceAListOfItsSizeWasMade) {
    if (PageFaults() == 0)
        GTEST_SKIP() << "page faults cannot be counted here";
    for (std::size_t workers : kWorkerCounts) {
        SetWorkerCount(workers);
        // As when typing: the list on screen stays until the next one, made meanwhile into the
        // other arrays, replaces it. The first two lists of a size write their arrays.
        ResultList shown = Scan(u"a");
        shown = Scan(u"a");
        // What six scans cost that write no hit at all: their threads' stacks, and under an
        // emulator such as qemu its own pages for each thread.
        std::uint64_t before = PageFaults();
        for (int i = 0; i < 6; ++i)
            Scan(u"no name holds this");
        const std::uint64_t overhead = PageFaults() - before;
        before = PageFaults();
        shown = Scan(u"a");
        shown = Scan(u"b");
        shown = Scan(u"a");
        // A broad list after a narrow one, the box cleared between them, takes an array a
        // broad one wrote before.
        shown = Scan(u"zz");
        shown = ResultList();
        shown = Scan(u"a");
        const std::uint64_t faults = PageFaults() - before;
        // Each list of 200,000 hits or more and its narrowed list write 6 MiB or more, which
        // fresh arrays would fault in at 1,500 faults and more.
        EXPECT_LT(faults, overhead + 5 * 100u) << workers << " workers";
    }
}

TEST_F(Arena, AWarmupOvertakenByAKeystrokeRunsAgainOnceTypingPauses) {
    // A key typed as soon as the index is ready, with no category chosen: its search overtakes
    // the warm-up and takes its array with part of it written. Then the box is cleared and,
    // after the pause, a broad letter comes, which must find an array written whole.
    const auto scan = [this](const char16_t* query) {
        ScanRequest request;
        request.query = query;
        request.generation = CurrentGeneration();
        return MatchVolumes(test.engine, request);
    };
    StartHitArenaWarmup(test.engine);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    SearchGeneration.fetch_add(1);
    ResultList shown = scan(u"zz");
    for (int waited = 0; WorkerThreadsRunning.load() != 0 && waited < 1000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(WorkerThreadsRunning.load(), 0) << "the warm-up never ended";
    shown = ResultList();
    std::uint64_t before = PageFaults();
    scan(u"no name holds this");
    const std::uint64_t overhead = PageFaults() - before;
    before = PageFaults();
    shown = scan(u"a");
    EXPECT_GT(shown.size(), 200000u);
    // 0 where faults cannot be counted; the sequence still runs, under the sanitizers too.
    EXPECT_LT(PageFaults() - before, overhead + 100u);
}

TEST_F(Arena, KeepsAtMostFourListsAndTheBlocksOfOneScanWhateverCameBefore) {
    // Four lists with room for every record, block arrays that together hold each record
    // once for the hits and once for the narrowed lists, and a sort's keys of every record.
    const std::size_t bound =
        (4 + 2) * RecordRoomFor(test.engine.RecordCount()) * sizeof(MatchItem) +
        test.engine.RecordCount() * sizeof(SortEntry);
    HitArena& arena = *HitArenaOf(test.engine);
    for (std::size_t workers : kWorkerCounts) {
        SetWorkerCount(workers);
        arena.LetGo();
        {
            std::vector<ResultList> held;  // lists still on screen or being painted
            for (const std::u16string query : {u"a", u"ab", u"b", u"zz", u"a", u"", u"a"})
                held.push_back(Scan(query));
            EXPECT_GT(WarmHitArena(test.engine), 0u);
        }
        EXPECT_LE(arena.BytesKept(), bound) << workers << " workers";
    }
    arena.LetGo();
    EXPECT_EQ(arena.BytesKept(), 0u);
}

TEST_F(Arena, KeepsItsListsAndSortKeysWithinItsBudgetAndFindsTheSameHits) {
    HitArena& arena = *HitArenaOf(test.engine);
    const std::vector<std::uint64_t> expected = FrnsOf(Scan(u"a"));
    const std::size_t oneList = RecordRoomFor(test.engine.RecordCount()) * sizeof(MatchItem);
    for (const std::size_t budget : {std::size_t{0}, oneList, 3 * oneList, SIZE_MAX}) {
        arena.LetGo();
        arena.SetKeptBudget(budget);
        {
            std::vector<ResultList> held;
            for (const std::u16string query : {u"a", u"b", u"ab", u"", u"a"})
                held.push_back(Scan(query));
            EXPECT_EQ(FrnsOf(held.back()), expected) << budget;
            EXPECT_GT(WarmHitArena(test.engine), 0u);
        }
        // With the block arrays lent out, what stays home is the budgeted lists and keys.
        const HitArena::BlockLease lease = arena.TakeBlocks();
        EXPECT_LE(arena.BytesKept(), budget);
        EXPECT_EQ(arena.BytesKept() > 0, budget > 0) << budget;
    }
}

}  // namespace
}  // namespace kx::testing
