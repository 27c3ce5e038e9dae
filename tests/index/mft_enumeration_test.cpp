// Filling a table from a simulated volume's MFT.
#include <gtest/gtest.h>

#include <set>
#include <shared_mutex>

#include "platform/usn_layout.h"
#include "platform/windows_errors.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

using MftEnumeration = SimulatedMachine;

std::set<std::u16string> LivePaths(const VolumeIndex& volume) {
    std::shared_lock<SrwLock> guard(volume.lock);
    std::set<std::u16string> paths;
    for (const FileRecord& record : volume.table) {
        if (!record.IsDead())
            paths.insert(BuildFullPath(volume, record));
    }
    return paths;
}

// Enough files that the MFT takes several 1 MiB replies.
std::shared_ptr<sim::SimVolume> ManyFiles(char letter, int count) {
    auto simVolume = sim::AddNtfsDrive(letter);
    const std::uint64_t dir =
        simVolume->AddEntryQuietly(kRootDirectoryFrn, u"many", FILE_ATTRIBUTE_DIRECTORY_BIT);
    for (int i = 0; i < count; ++i) {
        simVolume->AddEntryQuietly(
            dir, u"file_" + std::u16string(1, u'a' + i % 26) + std::u16string(i % 7 + 1, u'x'),
            FILE_ATTRIBUTE_ARCHIVE_BIT);
    }
    return simVolume;
}

TEST_F(MftEnumeration, ReadsEveryEntryAcrossManyReplies) {
    auto simVolume = ManyFiles('C', 40000);
    const std::size_t entries = simVolume->LiveEntries().size();
    auto volume = BuildFast(u"C:");
    EXPECT_GT(simVolume->ControlCallCount(), 4u) << "the MFT should take several replies";
    std::size_t live = 0;
    std::set<std::uint64_t> frns;
    for (const FileRecord& record : volume->table) {
        live += record.IsDead() ? 0 : 1;
        frns.insert(record.frn);
    }
    EXPECT_EQ(frns.size(), volume->table.Size()) << "no entry read twice";
    EXPECT_EQ(live, entries);
    EXPECT_EQ(volume->table.MapSize(), volume->table.Size());
    EXPECT_TRUE(volume->monitorActive.load());
}

TEST_F(MftEnumeration, RebuildsFullPathsFromParentLinks) {
    auto simVolume = sim::AddNtfsDrive('D');
    const std::uint64_t windows =
        simVolume->AddEntryQuietly(kRootDirectoryFrn, u"Windows", FILE_ATTRIBUTE_DIRECTORY_BIT);
    simVolume->AddEntryQuietly(windows, u"notepad.exe", FILE_ATTRIBUTE_ARCHIVE_BIT);
    auto volume = BuildFast(u"D:");
    const auto paths = LivePaths(*volume);
    EXPECT_EQ(paths.count(u"D:\\Windows\\notepad.exe"), 1u);
    EXPECT_EQ(paths.count(u"D:\\Windows"), 1u);
}

TEST_F(MftEnumeration, AFailedFirstRequestLeavesAnEmptyTableButStillSucceeds) {
    auto simVolume = ManyFiles('C', 10);
    simVolume->InjectFault({FSCTL_ENUM_USN_DATA, 1, kErrorAccessDenied, 0, 0, {}});
    auto volume = BuildFast(u"C:");
    EXPECT_TRUE(volume->table.Size() == 0);
    EXPECT_TRUE(volume->monitorActive.load());
}

TEST_F(MftEnumeration, AReplyOfOnlyItsHeaderAddsNothingAndTheEnumerationGoesOn) {
    auto simVolume = ManyFiles('C', 40000);
    const std::size_t entries = simVolume->LiveEntries().size();
    simVolume->InjectFault({FSCTL_ENUM_USN_DATA, 2, 0, 8, 0, {}});
    auto volume = BuildFast(u"C:");
    EXPECT_GT(volume->table.Size(), 0u);
    EXPECT_LT(volume->table.Size(), entries) << "the second reply's records were cut off";
    EXPECT_GT(volume->table.Size(), entries / 2) << "replies after it were read";
}

TEST_F(MftEnumeration, AMalformedRecordDropsTheRestOfItsReplyOnly) {
    auto simVolume = ManyFiles('C', 40000);
    const std::size_t entries = simVolume->LiveEntries().size();
    // The first record of the second reply gets RecordLength 0.
    simVolume->InjectFault({FSCTL_ENUM_USN_DATA, 2, 0, 0, 8, {0, 0, 0, 0}});
    auto volume = BuildFast(u"C:");
    EXPECT_LT(volume->table.Size(), entries);
    EXPECT_GT(volume->table.Size(), entries / 2);
}

TEST_F(MftEnumeration, ARecordRunningPastItsReplyIsNotRead) {
    auto simVolume = ManyFiles('C', 100);
    const std::size_t entries = simVolume->LiveEntries().size();
    // The reply cut 40 bytes into its third record: that record's length runs past the end.
    simVolume->InjectFault({FSCTL_ENUM_USN_DATA, 1, 0, 8 + 3 * 80 + 40, 0, {}});
    auto volume = BuildFast(u"C:");
    EXPECT_GE(volume->table.Size(), 1u);
    EXPECT_LT(volume->table.Size(), entries);
    for (const FileRecord& record : volume->table) {
        EXPECT_LE(record.nameLength, 255u) << "no record was read from beyond the reply";
    }
}

TEST_F(MftEnumeration, FailsWhenTheDeviceCannotBeOpened) {
    auto simVolume = ManyFiles('C', 10);
    simVolume->SetAccessDenied(true);
    VolumeIndex volume;
    EXPECT_FALSE(volume.Build(u"C:"));
    EXPECT_FALSE(volume.monitorActive.load());
}

TEST_F(MftEnumeration, FailsWhenTheJournalCannotBeQueried) {
    auto simVolume = ManyFiles('C', 10);
    simVolume->InjectFault({FSCTL_QUERY_USN_JOURNAL, 1, kErrorJournalNotActive, 0, 0, {}});
    VolumeIndex volume;
    EXPECT_FALSE(volume.Build(u"C:"));
    EXPECT_TRUE(volume.volumeHandle.valid()) << "the handle is closed on destruction";
    EXPECT_FALSE(volume.monitorActive.load());
}

TEST_F(MftEnumeration, GivesAVolumeWithoutAJournalOne) {
    auto simVolume = ManyFiles('C', 10);
    ASSERT_FALSE(simVolume->HasJournal());
    auto volume = BuildFast(u"C:");
    EXPECT_TRUE(simVolume->HasJournal());
    EXPECT_EQ(volume->journalId, simVolume->JournalId());
}

TEST_F(MftEnumeration, ExitDuringTheEnumerationStartsNoMonitor) {
    auto simVolume = ManyFiles('C', 10);
    ExitRequested.store(true);
    VolumeIndex volume;
    EXPECT_TRUE(volume.Build(u"C:"));
    EXPECT_FALSE(volume.monitorActive.load());
    EXPECT_EQ(volume.table.MapSize(), 0u) << "no map is built while exiting";
}

}  // namespace
}  // namespace kx::testing
