// Running out of memory while indexing: each large allocation of a build or of a journal
// batch is made to fail in turn, and the operation that met it must end cleanly, leaving the
// table it had, instead of ending the process.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <new>
#include <shared_mutex>
#include <string>
#include <thread>

#include "common/allocation_failure.h"
#include "common/process_state.h"
#include "index/journal_monitor.h"
#include "index/volume_index.h"
#include "platform/sim/simulated_drives.h"
#include "platform/usn_layout.h"
#include "tests/support/table_check.h"

namespace kx {
namespace {

using testing::TableFaults;

constexpr int kFiles = 3000;
// More large allocations than any build here makes: the loops below end well before.
constexpr std::uint64_t kMostAllocations = 200;

std::u16string FileName(int i) {
    return u"file" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u".txt";
}

template <typename Condition>
bool WithinSeconds(int seconds, Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class OutOfMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        ExitRequested.store(false);
        sim::ResetDrives();
        drive = sim::AddNtfsDrive('C');
        for (int i = 0; i < kFiles; ++i)
            drive->AddEntryQuietly(kRootDirectoryFrn, FileName(i), FILE_ATTRIBUTE_ARCHIVE_BIT);
    }
    void TearDown() override {
        FailNthLargeAllocation(0);
        sim::ResetDrives();
    }

    static std::size_t LiveRecords(const VolumeIndex& volume) {
        std::shared_lock<SrwLock> guard(volume.lock);
        std::size_t live = 0;
        for (std::size_t i = 0; i < volume.table.Size(); ++i)
            live += volume.table.Record(i).IsDead() ? 0 : 1;
        return live;
    }

    std::shared_ptr<sim::SimVolume> drive;
};

TEST_F(OutOfMemory, FreshBuildFailsAtEveryLargeAllocationAndKeepsNothing) {
    std::uint64_t n = 1;
    for (; n < kMostAllocations; ++n) {
        auto volume = std::make_unique<VolumeIndex>();
        const std::uint64_t failuresBefore = OutOfMemoryFailures.load();
        FailNthLargeAllocation(n);
        const bool built = volume->BuildTable(u"C:", false);
        const bool failed = !LargeAllocationFailureArmed();
        FailNthLargeAllocation(0);
        if (!failed) {
            ASSERT_TRUE(built);
            EXPECT_EQ(LiveRecords(*volume), drive->LiveEntryCount());
            break;
        }
        EXPECT_FALSE(built) << "allocation " << n;
        EXPECT_EQ(volume->table.Size(), 0u) << "allocation " << n;
        EXPECT_EQ(volume->table.Names().ChunkCount(), 0u) << "allocation " << n;
        EXPECT_EQ(OutOfMemoryFailures.load(), failuresBefore + 1) << "allocation " << n;
    }
    // A reply buffer, the record segment and the name chunk at least.
    EXPECT_GE(n, 3u);
    EXPECT_LT(n, kMostAllocations);
}

TEST_F(OutOfMemory, RebuildThatFailsKeepsTheLastTable) {
    VolumeIndex volume;
    ASSERT_TRUE(volume.BuildTable(u"C:", false));
    const std::size_t live = LiveRecords(volume);
    drive->AddEntryQuietly(kRootDirectoryFrn, u"added later.txt", FILE_ATTRIBUTE_ARCHIVE_BIT);
    for (std::uint64_t n = 1; n < kMostAllocations; ++n) {
        const std::uint64_t generation = volume.renumberGeneration.load();
        FailNthLargeAllocation(n);
        const bool rebuilt = volume.BuildTable(u"C:", false);
        const bool failed = !LargeAllocationFailureArmed();
        FailNthLargeAllocation(0);
        if (!failed) {
            EXPECT_TRUE(rebuilt);
            EXPECT_EQ(LiveRecords(volume), live + 1);
            return;
        }
        EXPECT_FALSE(rebuilt) << "allocation " << n;
        EXPECT_EQ(LiveRecords(volume), live) << "allocation " << n;
        EXPECT_EQ(volume.renumberGeneration.load(), generation) << "allocation " << n;
    }
    FAIL() << "the rebuild never got past its allocations";
}

// A journal record whose name needs a new chunk, whose record needs a new segment, or whose
// record number needs a larger map fails before any of it is visible: the map and the records
// are as they were, and a rename does not kill the old name without the new one.
class JournalRecordOutOfMemory : public OutOfMemory {
  protected:
    void SetUp() override {
        OutOfMemory::SetUp();
        volume.table = FileTable(kChunkShift);  // a rebuild keeps the chunk size
        ASSERT_TRUE(volume.BuildTable(u"C:", false));
        std::unique_lock<SrwLock> guard(volume.lock);
        renamedFrn = volume.table.Record(volume.table.Size() - 1).frn;
        renamedIndex = volume.table.IndexOf(renamedFrn);
    }

    // 64 KiB chunks: a name of this many accented units fills more than half of one, so it
    // never fits in a chunk that holds names already.
    static constexpr unsigned kChunkShift = 16;
    static constexpr std::size_t kHalfChunkUnits = 20000;

    void Apply(std::uint32_t reason, std::uint64_t frn, const std::u16string& name) {
        UsnRecordView change;
        change.frn = frn;
        change.parentFrn = kRootDirectoryFrn;
        change.reason = reason;
        change.fileAttributes = FILE_ATTRIBUTE_ARCHIVE_BIT;
        change.name = name.data();
        change.nameLength = static_cast<std::uint16_t>(name.size());
        std::unique_lock<SrwLock> guard(volume.lock);
        ApplyJournalRecord(volume, change);
    }

    void ExpectUnchanged(std::size_t recordCount) {
        std::shared_lock<SrwLock> guard(volume.lock);
        EXPECT_EQ(volume.table.Size(), recordCount);
        EXPECT_EQ(volume.table.DeadRecordsHeld(), 0u);
        EXPECT_EQ(volume.table.IndexOf(renamedFrn), renamedIndex);
        EXPECT_FALSE(volume.table.Record(renamedIndex).IsDead());
        EXPECT_EQ(volume.table.IndexOf(kNewFrn), FileTable::kAbsent);
        EXPECT_EQ(volume.table.IndexOf(kFarFrn), FileTable::kAbsent);
    }

    static constexpr std::uint64_t kNewFrn = 0x0001000000100000ull;
    // A record number within the map's reach but past its table.
    static constexpr std::uint64_t kFarFrn = MakeFileReference(70000, 1);
    VolumeIndex volume;
    std::uint64_t renamedFrn = 0;
    std::uint64_t renamedIndex = 0;
};

TEST_F(JournalRecordOutOfMemory, RenameWhoseNameNeedsANewChunk) {
    const std::size_t count = volume.table.Size();
    FailNthLargeAllocation(1);
    EXPECT_THROW(
        Apply(USN_REASON_RENAME_NEW_NAME, renamedFrn, std::u16string(kHalfChunkUnits, u'\u00e9')),
        std::bad_alloc);
    ExpectUnchanged(count);
}

TEST_F(JournalRecordOutOfMemory, CreationWhoseRecordNeedsANewSegment) {
    for (std::uint64_t i = volume.table.Size(); i < kSegmentRecords; ++i)
        Apply(USN_REASON_FILE_CREATE, MakeFileReference(100 + i, 1), u"filler");
    const std::size_t count = volume.table.Size();
    ASSERT_EQ(count, kSegmentRecords);
    FailNthLargeAllocation(1);
    EXPECT_THROW(Apply(USN_REASON_FILE_CREATE, kNewFrn, u"new.txt"), std::bad_alloc);
    ExpectUnchanged(count);
}

TEST_F(JournalRecordOutOfMemory, CreationWhoseRecordNumberNeedsALargerMap) {
    const std::size_t count = volume.table.Size();
    FailNthLargeAllocation(1);
    EXPECT_THROW(Apply(USN_REASON_FILE_CREATE, kFarFrn, u"far.txt"), std::bad_alloc);
    ExpectUnchanged(count);
    // The slot the failed record took is used again, its letter pairs in its run or not.
    Apply(USN_REASON_FILE_CREATE, kFarFrn, u"far.txt");
    std::shared_lock<SrwLock> guard(volume.lock);
    EXPECT_EQ(volume.table.IndexOf(kFarFrn), count);
    EXPECT_EQ(TableFaults(volume.table), "");
}

// The monitor meets the failure in a batch, waits its error pause like after a lost journal,
// then rebuilds from the MFT, which brings back the change it could not apply.
TEST_F(OutOfMemory, MonitorRebuildsAfterTheErrorPauseWhenABatchRunsOut) {
    constexpr auto kErrorPause = std::chrono::milliseconds(300);
    VolumeIndex volume;
    volume.monitorTimings = {std::chrono::milliseconds(2), kErrorPause};
    volume.table = FileTable(16);  // 64 KiB chunks, which a rebuild keeps
    ASSERT_TRUE(volume.Build(u"C:"));
    // A first change seen: the monitor is past allocating its own read buffer.
    const std::uint64_t first = drive->CreateFile(kRootDirectoryFrn, u"first.txt");
    ASSERT_TRUE(WithinSeconds(5, [&] {
        std::shared_lock<SrwLock> guard(volume.lock);
        return volume.table.IndexOf(first) != FileTable::kAbsent;
    }));
    const std::uint64_t generation = volume.renumberGeneration.load();
    const std::uint64_t failuresBefore = OutOfMemoryFailures.load();
    // The simulator's own allocations for the change must not be the one that fails: the
    // monitor is held off (a read already being served is given time to end) until the change
    // is made and the failure armed.
    drive->SetHeld(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Too long for what is left of the chunk that holds the other names.
    const std::uint64_t second =
        drive->CreateFile(kRootDirectoryFrn, std::u16string(20000, u'\u00e9'));
    FailNthLargeAllocation(1);
    const auto changed = std::chrono::steady_clock::now();
    drive->SetHeld(false);
    ASSERT_TRUE(WithinSeconds(5, [&] { return volume.renumberGeneration.load() != generation; }));
    EXPECT_GE(std::chrono::steady_clock::now() - changed, kErrorPause);
    EXPECT_EQ(OutOfMemoryFailures.load(), failuresBefore + 1);
    std::shared_lock<SrwLock> guard(volume.lock);
    EXPECT_NE(volume.table.IndexOf(second), FileTable::kAbsent);
}

}  // namespace
}  // namespace kx
