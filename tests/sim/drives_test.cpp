// The simulated machine behind platform/volume_io.h and platform/file_attributes.h: drive
// letters, file-system names, volume handles and attribute queries by path.
#include <gtest/gtest.h>

#include "platform/file_attributes.h"
#include "platform/sim/simulated_drives.h"
#include "platform/usn_layout.h"
#include "platform/volume_io.h"
#include "platform/windows_errors.h"
#include "tests/support/volume_builder.h"

namespace kx::testing {
namespace {

class Drives : public ::testing::Test {
  protected:
    void SetUp() override { sim::ResetDrives(); }
    void TearDown() override { sim::ResetDrives(); }

    static std::uint32_t Query(VolumeHandle handle) {
        UsnJournalDataV0 data{};
        std::uint32_t bytes = 0;
        return SendVolumeControl(handle, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof(data),
                                 &bytes);
    }
};

TEST_F(Drives, TheMaskHasABitPerPresentLetter) {
    EXPECT_EQ(GetLogicalDriveMask(), 0u);
    sim::AddNtfsDrive('A');
    sim::AddOtherDrive('C', u"FAT32");
    sim::AddUnreadyDrive('Z');
    EXPECT_EQ(GetLogicalDriveMask(), (1u << 0) | (1u << 2) | (1u << 25));
    sim::RemoveDrive('C');
    EXPECT_EQ(GetLogicalDriveMask(), (1u << 0) | (1u << 25));
}

TEST_F(Drives, FileSystemNamesComeFromTheRootOfEachDrive) {
    sim::AddNtfsDrive('C');
    sim::AddOtherDrive('D', u"NTFS ");
    sim::AddUnreadyDrive('E');
    std::u16string name;
    ASSERT_TRUE(GetFileSystemName(u"C:\\", &name));
    EXPECT_EQ(name, u"NTFS");
    ASSERT_TRUE(GetFileSystemName(u"D:\\", &name));
    EXPECT_EQ(name, u"NTFS ");
    EXPECT_FALSE(GetFileSystemName(u"E:\\", &name)) << "no medium";
    EXPECT_FALSE(GetFileSystemName(u"F:\\", &name));
    EXPECT_FALSE(GetFileSystemName(u"C:", &name)) << "a root has its backslash";
}

TEST_F(Drives, AVolumeDeviceOpensAndServesItsVolume) {
    auto volume = sim::AddNtfsDrive('C');
    EXPECT_EQ(OpenVolume(u"\\\\.\\D:"), kInvalidVolumeHandle);
    EXPECT_EQ(OpenVolume(u"C:\\"), kInvalidVolumeHandle);
    const VolumeHandle handle = OpenVolume(u"\\\\.\\C:");
    ASSERT_NE(handle, kInvalidVolumeHandle);
    EXPECT_EQ(Query(handle), kErrorJournalNotActive);
    CreateUsnJournalData create{1 << 20, 1 << 16};
    std::uint32_t bytes = 7;
    EXPECT_EQ(SendVolumeControl(handle, FSCTL_CREATE_USN_JOURNAL, &create, sizeof(create), nullptr,
                                0, &bytes),
              0u);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(Query(handle), 0u);
    EXPECT_TRUE(volume->HasJournal());
    CloseVolume(handle);
    EXPECT_EQ(Query(handle), kErrorInvalidHandle);
}

TEST_F(Drives, AccessDeniedFailsTheOpen) {
    sim::AddNtfsDrive('C')->SetAccessDenied(true);
    EXPECT_EQ(OpenVolume(u"\\\\.\\C:"), kInvalidVolumeHandle);
}

TEST_F(Drives, OtherFileSystemsAndEmptyDrivesRefuseTheControlCodes) {
    sim::AddOtherDrive('D', u"FAT32");
    sim::AddUnreadyDrive('E');
    const VolumeHandle fat = OpenVolume(u"\\\\.\\D:");
    const VolumeHandle empty = OpenVolume(u"\\\\.\\e:");
    EXPECT_EQ(Query(fat), kErrorInvalidFunction);
    EXPECT_EQ(Query(empty), kErrorNotReady);
    CloseVolume(fat);
    CloseVolume(empty);
}

TEST_F(Drives, ARemovedDriveFailsItsOpenHandlesAndCannotBeOpened) {
    sim::AddNtfsDrive('C');
    const VolumeHandle handle = OpenVolume(u"\\\\.\\C:");
    sim::RemoveDrive('C');
    EXPECT_EQ(Query(handle), kErrorDeviceNotConnected);
    EXPECT_EQ(OpenVolume(u"\\\\.\\C:"), kInvalidVolumeHandle);
    // A new drive at the letter does not revive the old handle.
    sim::AddNtfsDrive('C');
    EXPECT_EQ(Query(handle), kErrorDeviceNotConnected);
    CloseVolume(handle);
}

TEST_F(Drives, AttributesByPathWalkTheNamesIgnoringAsciiCase) {
    auto drive = MakeDrive('C', {u"Windows\\System32\\", u"Users\\a\\doc.txt"});
    const std::uint64_t doc = drive.frns.at(u"Users\\a\\doc.txt");
    drive.volume->SetSize(doc, 1234);
    drive.volume->SetTimes(doc, 5000, 4000);
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(u"C:\\users\\A\\DOC.txt", &data));
    EXPECT_EQ(data.size, 1234);
    EXPECT_EQ(data.lastWriteTime, 5000u);
    EXPECT_EQ(data.creationTime, 4000u);
    EXPECT_FALSE(data.isDirectory);
    ASSERT_TRUE(GetFileAttributeData(u"C:\\Windows\\System32", &data));
    EXPECT_TRUE(data.isDirectory);
    ASSERT_TRUE(GetFileAttributeData(u"C:\\", &data));
    EXPECT_TRUE(data.isDirectory);
    EXPECT_FALSE(GetFileAttributeData(u"C:\\Users\\a\\doc.txt\\more", &data));
    EXPECT_FALSE(GetFileAttributeData(u"C:\\Users\\b", &data));
    EXPECT_FALSE(GetFileAttributeData(u"D:\\Users", &data));
    EXPECT_FALSE(GetFileAttributeData(u"relative\\path", &data));
}

TEST_F(Drives, AttributesFollowRenamesAndDeletions) {
    auto drive = MakeDrive('C', {u"docs\\old.txt"});
    const std::uint64_t file = drive.frns.at(u"docs\\old.txt");
    FileAttributeData data;
    ASSERT_TRUE(GetFileAttributeData(u"C:\\docs\\old.txt", &data));
    drive.volume->Rename(file, u"new.txt");
    EXPECT_FALSE(GetFileAttributeData(u"C:\\docs\\old.txt", &data));
    EXPECT_TRUE(GetFileAttributeData(u"C:\\docs\\new.txt", &data));
    drive.volume->Delete(drive.frns.at(u"docs"));
    EXPECT_FALSE(GetFileAttributeData(u"C:\\docs\\new.txt", &data));
    drive.volume->CreateDirectory(kRootDirectoryFrn, u"docs");
    EXPECT_TRUE(GetFileAttributeData(u"C:\\Docs", &data));
    sim::RemoveDrive('C');
    EXPECT_FALSE(GetFileAttributeData(u"C:\\Docs", &data));
}

TEST_F(Drives, AnAttachedVolumeServesSeveralLetters) {
    auto volume = std::make_shared<sim::SimVolume>();
    AddTree(*volume, {u"shared.txt"});
    sim::AttachVolume('X', volume);
    sim::AttachVolume('Y', volume);
    EXPECT_EQ(sim::VolumeOf('X'), volume);
    FileAttributeData data;
    EXPECT_TRUE(GetFileAttributeData(u"Y:\\shared.txt", &data));
    EXPECT_EQ(sim::VolumeOf('Q'), nullptr);
}

}  // namespace
}  // namespace kx::testing
