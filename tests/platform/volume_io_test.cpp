// The real volume operations. Under Wine, C: is an NTFS-looking drive whose device opens but
// answers no USN control code; on real Windows the codes may succeed or fail otherwise, so the
// tests hold only what is true on both and record what this system answered.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/usn_layout.h"
#include "platform/volume_io.h"
#include "platform/windows_errors.h"
#include "tests/platform/running_under_wine.h"

namespace kx {
namespace {

constexpr std::uint32_t kDriveC = 1u << 2;

using testing::RunningUnderWine;

TEST(DriveDiscovery, MaskHasDriveCAndNothingBeyondZ) {
    const std::uint32_t mask = GetLogicalDriveMask();
    EXPECT_NE(mask & kDriveC, 0u);
    EXPECT_EQ(mask & ~0x03FFFFFFu, 0u);
}

TEST(DriveDiscovery, DriveCReportsExactlyNtfs) {
    std::u16string name;
    ASSERT_TRUE(GetFileSystemName(u"C:\\", &name));
    EXPECT_EQ(name, u"NTFS");
}

TEST(DriveDiscovery, AbsentOrMalformedRootCannotBeQueried) {
    const std::uint32_t mask = GetLogicalDriveMask();
    int absent = -1;
    for (int i = 25; i >= 3 && absent < 0; --i)
        if ((mask & (1u << i)) == 0)
            absent = i;
    ASSERT_GE(absent, 0) << "every drive letter is in use";
    std::u16string root{static_cast<char16_t>(u'A' + absent), u':', u'\\'};
    std::u16string name = u"untouched";
    EXPECT_FALSE(GetFileSystemName(root, &name));
    EXPECT_EQ(name, u"untouched");
    // A 0 inside the root would otherwise query C:\ and report a drive that was not asked for.
    EXPECT_FALSE(GetFileSystemName(std::u16string(u"C:\\\0Q", 5), &name));
}

class DriveCDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = OpenVolume(u"\\\\.\\C:");
        ASSERT_NE(handle_, kInvalidVolumeHandle);
    }
    void TearDown() override { CloseVolume(handle_); }
    VolumeHandle handle_ = kInvalidVolumeHandle;
};

TEST_F(DriveCDevice, QueryJournalReportsAFailureCodeOrAJournal) {
    UsnJournalDataV0 journal{};
    std::uint32_t bytes = 12345;
    const std::uint32_t error = SendVolumeControl(handle_, FSCTL_QUERY_USN_JOURNAL, nullptr, 0,
                                                  &journal, sizeof journal, &bytes);
    RecordProperty("query_usn_journal_error", static_cast<int>(error));
    std::printf("FSCTL_QUERY_USN_JOURNAL on \\\\.\\C: answered %u\n", error);
    if (error == kErrorSuccess) {
        EXPECT_EQ(bytes, sizeof journal);
    } else {
        EXPECT_LE(bytes, sizeof journal);
    }
    if (RunningUnderWine()) {
        EXPECT_EQ(error, kErrorNotSupported);
    }
}

TEST_F(DriveCDevice, EveryUsnControlCodeFailsUnderWineWithNotSupported) {
    if (!RunningUnderWine())
        GTEST_SKIP() << "real Windows answers these codes";
    MftEnumDataV0 enumData{0, 0, INT64_MAX};
    ReadUsnJournalDataV0 readData{};
    readData.ReasonMask = 0xFFFFFFFFu;
    CreateUsnJournalData createData{256ull << 20, 16ull << 20};
    std::vector<std::uint8_t> reply(64 * 1024);
    struct Call {
        std::uint32_t code;
        const void* input;
        std::uint32_t size;
    };
    const Call calls[] = {
        {FSCTL_ENUM_USN_DATA, &enumData, sizeof enumData},
        {FSCTL_READ_USN_JOURNAL, &readData, sizeof readData},
        {FSCTL_CREATE_USN_JOURNAL, &createData, sizeof createData},
        {FSCTL_QUERY_USN_JOURNAL, nullptr, 0},
    };
    for (const Call& call : calls) {
        std::uint32_t bytes = 99;
        const std::uint32_t error =
            SendVolumeControl(handle_, call.code, call.input, call.size, reply.data(),
                              static_cast<std::uint32_t>(reply.size()), &bytes);
        EXPECT_EQ(error, kErrorNotSupported) << std::hex << "code 0x" << call.code;
        EXPECT_EQ(bytes, 0u) << std::hex << "code 0x" << call.code;
    }
}

TEST(VolumeDevice, NonexistentDeviceDoesNotOpen) {
    EXPECT_EQ(OpenVolume(u"\\\\.\\KestrixNoSuchDevice"), kInvalidVolumeHandle);
    EXPECT_EQ(OpenVolume(std::u16string(u"\\\\.\\C:\0x", 8)), kInvalidVolumeHandle);
}

TEST(VolumeDevice, ControlCodeOnInvalidHandleFailsWithoutWritingBytes) {
    std::uint8_t reply[64] = {};
    std::uint32_t bytes = 77;
    const std::uint32_t error = SendVolumeControl(kInvalidVolumeHandle, FSCTL_QUERY_USN_JOURNAL,
                                                  nullptr, 0, reply, sizeof reply, &bytes);
    EXPECT_NE(error, kErrorSuccess);
    EXPECT_EQ(bytes, 0u);
}

TEST(VolumeDevice, ClosingTheInvalidHandleIsHarmless) {
    CloseVolume(kInvalidVolumeHandle);
    CloseVolume(0);
    SUCCEED();
}

}  // namespace
}  // namespace kx
