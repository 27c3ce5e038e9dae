// The wait of a script's query steps: on the table's own journal position, as long as the
// monitor moves, and never past a monitor that stands still.
#include <gtest/gtest.h>

#include <shared_mutex>
#include <thread>

#include "platform/usn_layout.h"
#include "tests/support/simulated_machine.h"
#include "tools/kxquery/journal_catch_up.h"

namespace kx::query {
namespace {

using testing::SimulatedMachine;

class JournalCatchUp : public SimulatedMachine {
  protected:
    void SetUp() override {
        SimulatedMachine::SetUp();
        drive = sim::AddNtfsDrive('C');
        // Pauses long enough that a backlog of a few dozen batches outlasts the patience.
        table = std::make_unique<VolumeIndex>();
        table->monitorTimings = {std::chrono::milliseconds(30), std::chrono::milliseconds(5)};
        ASSERT_TRUE(table->Build(u"C:"));
    }
    void TearDown() override {
        drive->SetHeld(false);  // a held monitor could not be stopped
        table.reset();
        SimulatedMachine::TearDown();
    }

    bool Wait(std::chrono::milliseconds patience) {
        problem.clear();
        return WaitForJournalMonitors({{drive, table.get()}}, patience, &problem);
    }
    bool Live(std::uint64_t frn) {
        std::shared_lock<SrwLock> guard(table->lock);
        const FileRecord* record = table->table.NewestRecordOf(frn);
        return record != nullptr && !record->IsDead();
    }

    std::shared_ptr<sim::SimVolume> drive;
    std::unique_ptr<VolumeIndex> table;
    std::string problem;
};

TEST_F(JournalCatchUp, GivesUpOnAMonitorThatStandsStillAndWaitsOutOneThatMoves) {
    drive->SetHeld(true);
    const std::uint64_t held = drive->CreateFile(kRootDirectoryFrn, u"held.txt", 1);
    EXPECT_FALSE(Wait(std::chrono::milliseconds(200)));
    EXPECT_NE(problem.find("journal monitor of C: made no headway"), std::string::npos) << problem;
    EXPECT_NE(problem.find("bytes of journal not applied"), std::string::npos) << problem;

    // Some two megabytes of journal: over forty batches, each a move that restarts the patience.
    std::vector<std::uint64_t> files;
    for (int i = 0; i < 4500; ++i)
        files.push_back(
            drive->CreateFile(kRootDirectoryFrn, u"backlog-" + std::u16string(40, u'x')));
    drive->SetHeld(false);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Wait(std::chrono::milliseconds(300))) << problem;
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_TRUE(Live(held));
    EXPECT_TRUE(Live(files.back()));
}

TEST_F(JournalCatchUp, ADriveWithoutAJournalWaitsForARebuildThatStartedAfter) {
    drive->SetHeld(true);
    drive->DeleteJournal();
    // Written without a journal record: only the rebuild's read of the MFT finds it.
    const std::uint64_t quiet =
        drive->AddEntryQuietly(kRootDirectoryFrn, u"quiet.txt", FILE_ATTRIBUTE_ARCHIVE_BIT);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        drive->SetHeld(false);
    });
    const bool caughtUp = Wait(std::chrono::seconds(5));
    release.join();
    ASSERT_TRUE(caughtUp) << problem;
    EXPECT_TRUE(Live(quiet));
}

TEST_F(JournalCatchUp, ARemovedDriveIsPassedOver) {
    drive->CreateFile(kRootDirectoryFrn, u"late.txt");
    drive->SetRemoved(true);  // its monitor ends at the next read
    EXPECT_TRUE(Wait(std::chrono::milliseconds(50))) << problem;
}

}  // namespace
}  // namespace kx::query
