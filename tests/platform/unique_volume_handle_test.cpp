// The owner of a volume handle, over the real device \\.\C:. Whether a raw handle is still
// open shows in the error of a control code sent through it: a closed one answers
// ERROR_INVALID_HANDLE, an open one anything else (under Wine, ERROR_NOT_SUPPORTED).
#include <gtest/gtest.h>

#include <utility>

#include "platform/usn_layout.h"
#include "platform/volume_io.h"
#include "platform/windows_errors.h"

namespace kx {
namespace {

bool IsOpen(VolumeHandle handle) {
    UsnJournalDataV0 journal{};
    std::uint32_t bytes = 0;
    return SendVolumeControl(handle, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &journal, sizeof journal,
                             &bytes) != kErrorInvalidHandle;
}

UniqueVolumeHandle OpenDriveC() {
    UniqueVolumeHandle volume(OpenVolume(u"\\\\.\\C:"));
    EXPECT_TRUE(volume.valid());
    return volume;
}

TEST(UniqueVolumeHandle, NullAndInvalidHandleValueAreBothEmpty) {
    for (const VolumeHandle invalid : {kInvalidVolumeHandle, VolumeHandle{0}}) {
        UniqueVolumeHandle volume(invalid);
        EXPECT_FALSE(volume);
        EXPECT_EQ(volume.get(), kInvalidVolumeHandle) << invalid;
        volume.reset(invalid);
        EXPECT_FALSE(volume.valid());
        EXPECT_EQ(volume.release(), kInvalidVolumeHandle);
    }
    EXPECT_EQ(UniqueVolumeHandle().get(), kInvalidVolumeHandle);
}

TEST(UniqueVolumeHandle, ClosesTheVolumeWhenDestroyedOrReset) {
    VolumeHandle raw = kInvalidVolumeHandle;
    {
        const UniqueVolumeHandle volume = OpenDriveC();
        raw = volume.get();
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    UniqueVolumeHandle volume = OpenDriveC();
    raw = volume.get();
    volume.reset(OpenVolume(u"\\\\.\\C:"));
    EXPECT_FALSE(IsOpen(raw)) << "the volume it held before";
    EXPECT_TRUE(IsOpen(volume.get()));
}

TEST(UniqueVolumeHandle, AMoveHandsTheVolumeOverAndClosesWhatTheTargetHeld) {
    UniqueVolumeHandle first = OpenDriveC();
    const VolumeHandle firstRaw = first.get();
    UniqueVolumeHandle second(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(second.get(), firstRaw);

    UniqueVolumeHandle third = OpenDriveC();
    const VolumeHandle thirdRaw = third.get();
    third = std::move(second);
    EXPECT_FALSE(IsOpen(thirdRaw));
    EXPECT_EQ(third.get(), firstRaw);
    EXPECT_TRUE(IsOpen(firstRaw));
}

TEST(UniqueVolumeHandle, ReleaseGivesTheVolumeBackOpen) {
    UniqueVolumeHandle volume = OpenDriveC();
    const VolumeHandle raw = volume.release();
    EXPECT_FALSE(volume.valid());
    volume.reset();
    EXPECT_TRUE(IsOpen(raw));
    CloseVolume(raw);
    EXPECT_FALSE(IsOpen(raw));
}

}  // namespace
}  // namespace kx
