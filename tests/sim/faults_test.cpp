// Injected faults and a removed volume, as the program's error paths need them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "platform/windows_errors.h"
#include "tests/sim/sim_replies.h"
#include "tests/support/volume_builder.h"

namespace kx::testing {
namespace {

class Faults : public ::testing::Test {
  protected:
    void SetUp() override {
        AddTree(volume, {u"alpha", u"beta", u"gamma"});
        CreateJournal(volume);
    }
    sim::SimVolume volume;
};

TEST_F(Faults, TheNthMatchingCallFailsOnceWithTheGivenError) {
    volume.InjectFault({FSCTL_ENUM_USN_DATA, 2, kErrorNotReady, 0, 0, {}});
    ReadJournal(volume, 0);  // another code: not counted
    EXPECT_EQ(Enum(volume, 0).error, 0u);
    EXPECT_EQ(Enum(volume, 0).error, kErrorNotReady);
    EXPECT_EQ(Enum(volume, 0).error, 0u);
}

TEST_F(Faults, CodeZeroMatchesEveryControlCode) {
    volume.InjectFault({0, 1, kErrorAccessDenied, 0, 0, {}});
    EXPECT_EQ(ReadJournal(volume, 0).error, kErrorAccessDenied);
    EXPECT_EQ(ReadJournal(volume, 0).error, 0u);
}

TEST_F(Faults, FaultsDueOnTheSameCallFireOneAfterTheOther) {
    volume.InjectFault({0, 1, kErrorNotReady, 0, 0, {}});
    volume.InjectFault({0, 1, kErrorAccessDenied, 0, 0, {}});
    EXPECT_EQ(Enum(volume, 0).error, kErrorNotReady);
    EXPECT_EQ(Enum(volume, 0).error, kErrorAccessDenied);
    EXPECT_EQ(Enum(volume, 0).error, 0u);
}

TEST_F(Faults, ATruncatedReplyEndsInsideARecord) {
    volume.InjectFault({FSCTL_ENUM_USN_DATA, 1, 0, 8 + 64 + 20, 0, {}});
    const Reply reply = Enum(volume, 0);
    EXPECT_EQ(reply.error, 0u);
    EXPECT_EQ(reply.bytes, 8u + 64 + 20);
    EXPECT_EQ(reply.records.size(), 1u);
    EXPECT_TRUE(reply.malformed) << "the second record runs past the reply";
}

TEST_F(Faults, APatchCanZeroARecordLengthOrPushANamePastItsRecord) {
    volume.InjectFault({FSCTL_ENUM_USN_DATA, 1, 0, 0, 8, {0, 0, 0, 0}});
    Reply reply = Enum(volume, 0);
    EXPECT_TRUE(reply.records.empty());
    EXPECT_TRUE(reply.malformed);
    // FileNameLength of the second record: 200 bytes in a 72-byte record.
    volume.InjectFault({FSCTL_ENUM_USN_DATA, 1, 0, 0, 8 + 72 + 56, {200, 0}});
    reply = Enum(volume, 0);
    EXPECT_EQ(reply.records.size(), 1u);
    EXPECT_TRUE(reply.malformed);
}

TEST_F(Faults, APatchPastAnEmptyReplyLengthensIt) {
    volume.InjectFault({FSCTL_READ_USN_JOURNAL, 1, 0, 0, 8, {0, 0, 0, 0}});
    const Reply reply = ReadJournal(volume, volume.NextUsn());
    EXPECT_EQ(reply.bytes, 12u);
    EXPECT_TRUE(reply.malformed);
}

TEST_F(Faults, ACallThatFailsByItselfUsesADamageFaultUp) {
    volume.InjectFault({FSCTL_ENUM_USN_DATA, 1, 0, 8, 0, {}});
    EXPECT_EQ(Enum(volume, 1000).error, kErrorHandleEof);
    EXPECT_EQ(Enum(volume, 0).records.size(), 3u);
}

TEST_F(Faults, ARemovedVolumeFailsEveryCallAndCountsIt) {
    const std::uint32_t before = volume.ControlCallCount();
    volume.SetRemoved(true);
    EXPECT_EQ(Enum(volume, 0).error, kErrorDeviceNotConnected);
    EXPECT_EQ(ReadJournal(volume, 0).error, kErrorDeviceNotConnected);
    std::uint32_t error = 0;
    UsnJournalDataV0 data{};
    std::uint32_t bytes = 0;
    error = volume.Control(FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof(data), &bytes);
    EXPECT_EQ(error, kErrorDeviceNotConnected);
    EXPECT_EQ(volume.ControlCallCount(), before + 3);
    volume.SetRemoved(false);
    EXPECT_EQ(Enum(volume, 0).error, 0u);
}

TEST_F(Faults, AHeldVolumeServesNoCallUntilReleasedButTakesChanges) {
    volume.SetHeld(true);
    std::future<Reply> pending = std::async(std::launch::async, [this] { return Enum(volume, 0); });
    EXPECT_EQ(pending.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    const std::uint32_t calls = volume.ControlCallCount();
    volume.CreateFile(kRootDirectoryFrn, u"made while held");
    volume.SetHeld(false);
    const Reply reply = pending.get();
    EXPECT_EQ(reply.error, 0u);
    EXPECT_TRUE(std::any_of(reply.records.begin(), reply.records.end(), [](const Record& record) {
        return record.name == u"made while held";
    })) << "the waiting call is served as the volume stands when it is released";
    EXPECT_EQ(volume.ControlCallCount(), calls + 1);
}

}  // namespace
}  // namespace kx::testing
