#include <gtest/gtest.h>

#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

class FullPath : public ::testing::Test {
  protected:
    void SetUp() override {
        volume.rootPath = u"C:";
        AddRoot(volume);
    }
    std::u16string PathOf(std::uint64_t index) {
        return BuildFullPath(volume, volume.table.Record(index));
    }
    VolumeIndex volume;
};

TEST_F(FullPath, WalksParentsUpToTheRootWithoutNamingIt) {
    AddRecord(volume, MakeFileReference(40, 1), kRootDirectoryFrn, u"Windows", true);
    const auto file =
        AddRecord(volume, MakeFileReference(41, 1), MakeFileReference(40, 1), u"notepad.exe");
    EXPECT_EQ(PathOf(file), u"C:\\Windows\\notepad.exe");
}

TEST_F(FullPath, AFileInTheRootIsTheDriveAndItsName) {
    const auto file = AddRecord(volume, MakeFileReference(41, 1), kRootDirectoryFrn, u"a.txt");
    EXPECT_EQ(PathOf(file), u"C:\\a.txt");
}

TEST_F(FullPath, AParentMissingFromTheTableEndsTheWalk) {
    const auto file =
        AddRecord(volume, MakeFileReference(41, 1), MakeFileReference(999, 1), u"orphan.txt");
    EXPECT_EQ(PathOf(file), u"C:\\orphan.txt");
}

TEST_F(FullPath, TheParentIsFoundByAllSixtyFourBits) {
    AddRecord(volume, MakeFileReference(40, 2), kRootDirectoryFrn, u"new", true);
    // The parent link names an older incarnation of record 40.
    const auto file = AddRecord(volume, MakeFileReference(41, 1), MakeFileReference(40, 1), u"f");
    EXPECT_EQ(PathOf(file), u"C:\\f");
}

TEST_F(FullPath, AChainOfMoreThanAHundredAncestorsStartsAtTheHundredth) {
    std::uint64_t parent = kRootDirectoryFrn;
    for (int depth = 1; depth <= 150; ++depth) {
        const std::uint64_t frn = MakeFileReference(100 + depth, 1);
        AddRecord(volume, frn, parent, u"d" + std::u16string(1, u'0' + depth % 10), true);
        parent = frn;
    }
    const auto file = AddRecord(volume, MakeFileReference(999, 1), parent, u"leaf");
    const std::u16string path = PathOf(file);
    // 100 ancestors plus the file itself: 101 separators after the drive.
    EXPECT_EQ(std::count(path.begin(), path.end(), u'\\'), 101);
    EXPECT_EQ(path.substr(0, 5), u"C:\\d1") << "ancestor 100 above the leaf is directory 51";
}

TEST_F(FullPath, AParentCycleEndsAfterAHundredSteps) {
    AddRecord(volume, MakeFileReference(40, 1), MakeFileReference(41, 1), u"a", true);
    AddRecord(volume, MakeFileReference(41, 1), MakeFileReference(40, 1), u"b", true);
    const auto file = AddRecord(volume, MakeFileReference(42, 1), MakeFileReference(41, 1), u"f");
    const std::u16string path = PathOf(file);
    EXPECT_EQ(std::count(path.begin(), path.end(), u'\\'), 101);
}

TEST_F(FullPath, ARenamedDirectoryShowsItsNewNameInPathsBelowIt) {
    const std::uint64_t dir = MakeFileReference(40, 1);
    AddRecord(volume, dir, kRootDirectoryFrn, u"old", true);
    const auto file = AddRecord(volume, MakeFileReference(41, 1), dir, u"f.txt");
    Journal(volume, USN_REASON_RENAME_OLD_NAME, dir, kRootDirectoryFrn, u"old", true);
    Journal(volume, USN_REASON_RENAME_NEW_NAME, dir, kRootDirectoryFrn, u"new", true);
    EXPECT_EQ(PathOf(file), u"C:\\new\\f.txt");
    EXPECT_EQ(volume.table.IndexOf(dir), volume.table.Size() - 1);
}

TEST_F(FullPath, ADeletedDirectoryStillNamesItsFormerChildren) {
    const std::uint64_t dir = MakeFileReference(40, 1);
    AddRecord(volume, dir, kRootDirectoryFrn, u"gone", true);
    const auto file = AddRecord(volume, MakeFileReference(41, 1), dir, u"f.txt");
    Journal(volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, dir, kRootDirectoryFrn, u"gone",
            true);
    EXPECT_EQ(PathOf(file), u"C:\\gone\\f.txt");
}

}  // namespace
}  // namespace kx::testing
