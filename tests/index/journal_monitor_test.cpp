// The journal monitor following a simulated volume end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <shared_mutex>

#include "platform/usn_layout.h"
#include "platform/windows_errors.h"
#include "tests/support/eventually.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

class JournalMonitor : public SimulatedMachine {
  protected:
    void SetUp() override {
        SimulatedMachine::SetUp();
        simVolume = sim::AddNtfsDrive('C');
        docs = simVolume->AddEntryQuietly(kRootDirectoryFrn, u"docs", FILE_ATTRIBUTE_DIRECTORY_BIT);
        report = simVolume->AddEntryQuietly(docs, u"report.txt", FILE_ATTRIBUTE_ARCHIVE_BIT, 100);
        volume = BuildFast(u"C:");
    }
    void TearDown() override {
        volume.reset();
        SimulatedMachine::TearDown();
    }

    // The live record that carries frn, as a search would see it.
    std::optional<LiveFile> Live(std::uint64_t frn) {
        std::shared_lock<SrwLock> guard(volume->lock);
        return LiveFileOf(*volume, frn);
    }
    std::u16string PathOf(std::uint64_t frn) {
        std::shared_lock<SrwLock> guard(volume->lock);
        return BuildFullPath(*volume, *volume->table.NewestRecordOf(frn));
    }
    // Waits until the monitor has read everything the journal holds now.
    bool CaughtUp() {
        const std::int64_t target = simVolume->NextUsn();
        return Eventually([&] {
            std::shared_lock<SrwLock> guard(volume->lock);
            return volume->nextUsn >= target;
        });
    }
    std::size_t LiveRecords() {
        std::shared_lock<SrwLock> guard(volume->lock);
        return LiveCount(*volume);
    }

    std::shared_ptr<sim::SimVolume> simVolume;
    std::uint64_t docs = 0;
    std::uint64_t report = 0;
    std::unique_ptr<VolumeIndex> volume;
};

TEST_F(JournalMonitor, ACreatedFileAppearsOnce) {
    const std::size_t before = LiveRecords();
    const std::uint64_t created = simVolume->CreateFile(docs, u"new.txt", 10);
    ASSERT_TRUE(CaughtUp());
    ASSERT_TRUE(Live(created));
    EXPECT_EQ(Live(created)->name, u"new.txt");
    EXPECT_EQ(LiveRecords(), before + 1) << "create, extend and close are one file";
}

TEST_F(JournalMonitor, ARenamedFileKeepsOneRecordUnderItsNewName) {
    const std::size_t before = LiveRecords();
    simVolume->Rename(report, u"Report.TXT");
    ASSERT_TRUE(CaughtUp());
    EXPECT_EQ(Live(report)->name, u"Report.TXT");
    EXPECT_EQ(LiveRecords(), before);
}

TEST_F(JournalMonitor, AMovedFileHasItsNewParent) {
    const std::uint64_t archive = simVolume->CreateDirectory(kRootDirectoryFrn, u"archive");
    simVolume->Move(report, archive);
    ASSERT_TRUE(CaughtUp());
    EXPECT_EQ(PathOf(report), u"C:\\archive\\report.txt");
}

TEST_F(JournalMonitor, ADeletedFileLeavesTheLiveRecords) {
    simVolume->Delete(report);
    ASSERT_TRUE(CaughtUp());
    EXPECT_FALSE(Live(report));
}

TEST_F(JournalMonitor, TemporaryFilesLeaveNoGhosts) {
    const std::size_t before = LiveRecords();
    const std::uint64_t temporary = simVolume->CreateTemporaryFile(docs, u"~$report.tmp");
    const std::uint64_t renamed = simVolume->CreateThenRenameBeforeClose(docs, u"a.tmp", u"b.docx");
    ASSERT_TRUE(CaughtUp());
    EXPECT_FALSE(Live(temporary));
    ASSERT_TRUE(Live(renamed));
    EXPECT_EQ(Live(renamed)->name, u"b.docx");
    EXPECT_EQ(LiveRecords(), before + 1);
}

TEST_F(JournalMonitor, CompactsOnceMoreThanTenThousandRecordsAreDead) {
    std::vector<std::uint64_t> files;
    for (int i = 0; i < 10001; ++i)
        files.push_back(simVolume->CreateFile(docs, u"f", 0));
    ASSERT_TRUE(CaughtUp());
    for (int i = 0; i < 10000; ++i)
        simVolume->Delete(files[i]);
    ASSERT_TRUE(CaughtUp());
    {
        std::shared_lock<SrwLock> guard(volume->lock);
        EXPECT_EQ(volume->table.DeadRecordsHeld(), 10000u)
            << "exactly ten thousand triggers nothing";
    }
    simVolume->Delete(files[10000]);
    ASSERT_TRUE(CaughtUp());
    ASSERT_TRUE(Eventually([&] {
        std::shared_lock<SrwLock> guard(volume->lock);
        return volume->table.DeadRecordsHeld() == 0;
    }));
    std::shared_lock<SrwLock> guard(volume->lock);
    EXPECT_EQ(volume->table.Size(), LiveCount(*volume));
}

TEST_F(JournalMonitor, ADeletedJournalLeadsToARebuildWithANewJournal) {
    const std::uint64_t oldJournal = volume->journalId;
    // Written without a journal record: only a fresh read of the MFT can find it.
    const std::uint64_t created =
        simVolume->AddEntryQuietly(docs, u"while-away.txt", FILE_ATTRIBUTE_ARCHIVE_BIT);
    simVolume->DeleteJournal();
    ASSERT_TRUE(Eventually([&] { return Live(created).has_value(); }));
    EXPECT_TRUE(simVolume->HasJournal());
    EXPECT_NE(simVolume->JournalId(), oldJournal);
    // And it goes on following the new journal.
    const std::uint64_t later = simVolume->CreateFile(docs, u"later.txt");
    EXPECT_TRUE(Eventually([&] { return Live(later).has_value(); }));
}

TEST_F(JournalMonitor, AJournalThatWrappedPastTheReaderLeadsToARebuild) {
    // A reader at USN 0 means "from the first record", so move it past the start first.
    simVolume->CreateFile(docs, u"first.txt");
    ASSERT_TRUE(CaughtUp());
    volume->StopMonitor();
    simVolume->SetJournalMaximumSize(4096);
    for (int i = 0; i < 200; ++i)
        simVolume->CreateFile(docs, u"churn.bin");
    ASSERT_GT(simVolume->FirstUsn(), volume->nextUsn);
    const std::uint64_t generation = volume->renumberGeneration;
    volume->monitorActive.store(true);
    volume->monitorThread = std::thread(MonitorJournal, std::ref(*volume));
    ASSERT_TRUE(Eventually([&] {
        std::shared_lock<SrwLock> guard(volume->lock);
        return volume->renumberGeneration != generation;
    }));
    EXPECT_EQ(LiveRecords(), simVolume->LiveEntries().size());
}

TEST_F(JournalMonitor, ARemovedDriveEndsTheMonitorAndKeepsTheLastState) {
    const std::size_t before = LiveRecords();
    sim::RemoveDrive('C');
    volume->monitorThread.join();  // it ends by itself
    EXPECT_TRUE(volume->monitorActive.load()) << "nothing may start a second monitor";
    EXPECT_EQ(LiveRecords(), before);
}

TEST_F(JournalMonitor, OtherReadErrorsAreRetried) {
    simVolume->InjectFault({FSCTL_READ_USN_JOURNAL, 1, kErrorNotReady, 0, 0, {}});
    const std::uint64_t created = simVolume->CreateFile(docs, u"after-error.txt");
    EXPECT_TRUE(Eventually([&] { return Live(created).has_value(); }));
}

TEST_F(JournalMonitor, AMalformedReplyIsCutShortAndReadingGoesOn) {
    simVolume->InjectFault({FSCTL_READ_USN_JOURNAL, 1, 0, 0, 8, {0, 0, 0, 0}});
    simVolume->CreateFile(docs, u"lost.txt");
    ASSERT_TRUE(CaughtUp());
    const std::uint64_t later = simVolume->CreateFile(docs, u"later.txt");
    EXPECT_TRUE(Eventually([&] { return Live(later).has_value(); }));
}

TEST_F(JournalMonitor, ADamagedReplyLeadsToARebuildThatKeepsTheChangesAfterTheDamage) {
    ASSERT_TRUE(CaughtUp());
    volume->StopMonitor();
    // All in one reply, whose first record is damaged: nothing after it can be located.
    const std::uint64_t created = simVolume->CreateFile(docs, u"after-damage.txt");
    simVolume->Delete(report);
    simVolume->InjectFault({FSCTL_READ_USN_JOURNAL, 1, 0, 0, 8, {0, 0, 0, 0}});
    const std::uint64_t generation = volume->renumberGeneration;
    volume->monitorActive.store(true);
    volume->monitorThread = std::thread(MonitorJournal, std::ref(*volume));

    EXPECT_TRUE(Eventually([&] { return Live(created) && !Live(report); }));
    {
        std::shared_lock<SrwLock> guard(volume->lock);
        EXPECT_NE(volume->renumberGeneration, generation) << "rebuilt, not read again";
    }
    EXPECT_EQ(LiveRecords(), simVolume->LiveEntries().size());
    // It goes on following the journal from where the rebuild left it.
    const std::uint64_t later = simVolume->CreateFile(docs, u"later.txt");
    EXPECT_TRUE(Eventually([&] { return Live(later).has_value(); }));
}

TEST_F(JournalMonitor, AReplyOfOnlyItsHeaderLeavesTheNextUsnAlone) {
    ASSERT_TRUE(CaughtUp());
    const std::int64_t before = volume->nextUsn;
    // An empty reply whose header claims a far-away USN must not move the reader.
    const std::int64_t bogus = before + 1000000;
    std::vector<std::uint8_t> bytes(8);
    std::memcpy(bytes.data(), &bogus, 8);
    simVolume->InjectFault({FSCTL_READ_USN_JOURNAL, 1, 0, 0, 0, bytes});
    const auto calls = simVolume->ControlCallCount();
    ASSERT_TRUE(Eventually([&] { return simVolume->ControlCallCount() > calls + 2; }));
    std::shared_lock<SrwLock> guard(volume->lock);
    EXPECT_EQ(volume->nextUsn, before);
}

TEST_F(JournalMonitor, AStopRequestEndsItsSleepAtOnce) {
    sim::AddNtfsDrive('D');
    VolumeIndex slow;
    slow.monitorTimings.afterRead = std::chrono::minutes(10);
    ASSERT_TRUE(slow.Build(u"D:"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto start = std::chrono::steady_clock::now();
    slow.StopMonitor();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace kx::testing
