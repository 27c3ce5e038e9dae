// The background start-up over a simulated machine's drives.
#include "index/search_engine.h"

#include <gtest/gtest.h>

#include "common/messages.h"
#include "platform/usn_layout.h"
#include "tests/support/message_recorder.h"
#include "tests/support/simulated_machine.h"

namespace kx::testing {
namespace {

class Startup : public SimulatedMachine {
  protected:
    // Runs the discovery to its end and returns the wParam of its WM_INDEX_READY.
    std::optional<std::uintptr_t> RunStartup() {
        engine.InitBackground(recorder.Window());
        const auto message = recorder.WaitFor(WM_INDEX_READY, std::chrono::seconds(30));
        if (!message)
            return std::nullopt;
        EXPECT_EQ(message->lParam, 0);
        return message->wParam;
    }
    std::vector<std::u16string> Drives() {
        std::lock_guard<std::mutex> guard(engine.volumesMutex);
        std::vector<std::u16string> drives;
        for (const auto& volume : engine.volumes)
            drives.push_back(volume->rootPath);
        return drives;
    }
    void TearDown() override {
        for (auto& volume : engine.volumes)
            volume->StopMonitor();
        engine.volumes.clear();
        SimulatedMachine::TearDown();
    }
    MessageRecorder recorder;
    SearchEngine engine;
};

TEST_F(Startup, AMachineWithoutNtfsReportsNothingIndexed) {
    sim::AddOtherDrive('C', u"FAT32");
    sim::AddUnreadyDrive('E');
    EXPECT_EQ(RunStartup(), 1u);
    EXPECT_FALSE(engine.ready.load());
    EXPECT_TRUE(engine.volumes.empty());
}

TEST_F(Startup, OnlyAFileSystemNamedExactlyNtfsIsIndexed) {
    sim::AddOtherDrive('C', u"ntfs");
    sim::AddOtherDrive('D', u"NTFS ");
    sim::AddOtherDrive('E', u"NTF");
    sim::AddNtfsDrive('F');
    EXPECT_EQ(RunStartup(), 0u);
    EXPECT_TRUE(engine.ready.load());
    EXPECT_EQ(Drives(), std::vector<std::u16string>{u"F:"});
}

TEST_F(Startup, ADriveThatCannotBeOpenedIsDropped) {
    sim::AddNtfsDrive('C')->SetAccessDenied(true);
    sim::AddNtfsDrive('D');
    EXPECT_EQ(RunStartup(), 0u);
    EXPECT_EQ(Drives(), std::vector<std::u16string>{u"D:"});
}

TEST_F(Startup, WithoutAdministratorRightsNothingIsIndexed) {
    sim::AddNtfsDrive('C')->SetAccessDenied(true);
    EXPECT_EQ(RunStartup(), 1u);
    EXPECT_FALSE(engine.ready.load());
}

TEST_F(Startup, VolumesComeInTheOrderTheirBuildsFinished) {
    // C: is large enough to take clearly longer than Z:.
    auto large = sim::AddNtfsDrive('C');
    large->ReserveEntries(300000);
    for (int i = 0; i < 300000; ++i)
        large->AddEntryQuietly(kRootDirectoryFrn, u"file.bin", FILE_ATTRIBUTE_ARCHIVE_BIT);
    sim::AddNtfsDrive('Z');
    EXPECT_EQ(RunStartup(), 0u);
    EXPECT_EQ(Drives(), (std::vector<std::u16string>{u"Z:", u"C:"}));
}

TEST_F(Startup, EveryPresentLetterFromAToZIsTried) {
    sim::AddNtfsDrive('A');
    sim::AddNtfsDrive('M');
    sim::AddNtfsDrive('Z');
    EXPECT_EQ(RunStartup(), 0u);
    auto drives = Drives();
    std::sort(drives.begin(), drives.end());
    EXPECT_EQ(drives, (std::vector<std::u16string>{u"A:", u"M:", u"Z:"}));
}

TEST_F(Startup, NothingIsPostedWhenTheProgramIsExiting) {
    sim::AddNtfsDrive('C');
    ExitRequested.store(true);
    DiscoverVolumes(engine, recorder.Window());
    EXPECT_FALSE(recorder.WaitFor(WM_INDEX_READY, std::chrono::milliseconds(200)));
    EXPECT_FALSE(engine.ready.load());
}

}  // namespace
}  // namespace kx::testing
