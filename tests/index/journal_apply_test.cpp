// How single journal records change the table.
#include <gtest/gtest.h>

#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

constexpr std::uint32_t kCreate = USN_REASON_FILE_CREATE;
constexpr std::uint32_t kDelete = USN_REASON_FILE_DELETE;
constexpr std::uint32_t kOld = USN_REASON_RENAME_OLD_NAME;
constexpr std::uint32_t kNew = USN_REASON_RENAME_NEW_NAME;
constexpr std::uint32_t kClose = USN_REASON_CLOSE;
constexpr std::uint32_t kExtend = USN_REASON_DATA_EXTEND;

class JournalApply : public ::testing::Test {
  protected:
    void SetUp() override {
        volume.rootPath = u"C:";
        AddRoot(volume);
        AddRecord(volume, kDir, kRootDirectoryFrn, u"dir", true);
    }
    std::optional<LiveFile> Live(std::uint64_t frn) { return LiveFileOf(volume, frn); }
    void CacheAttributes(std::uint64_t frn) {
        volume.CacheAttributes(frn, AttributeCacheEntry{1, 2, 3, u"C:\\x", true});
    }
    static constexpr std::uint64_t kDir = MakeFileReference(40, 1);
    static constexpr std::uint64_t kFile = MakeFileReference(41, 3);
    VolumeIndex volume;
};

TEST_F(JournalApply, ACreationOfAnUnknownFileAppendsAndMapsIt) {
    Journal(volume, kCreate, kFile, kDir, u"new.txt");
    ASSERT_TRUE(Live(kFile));
    EXPECT_EQ(Live(kFile)->name, u"new.txt");
    EXPECT_EQ(Live(kFile)->parentFrn, kDir);
}

TEST_F(JournalApply, TheThreeRecordsOfOneCreationLeaveOneRecord) {
    Journal(volume, kCreate, kFile, kDir, u"new.txt");
    Journal(volume, kCreate | kExtend, kFile, kDir, u"new.txt");
    Journal(volume, kCreate | kExtend | kClose, kFile, kDir, u"new.txt");
    EXPECT_EQ(volume.table.Size(), 3u);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 0u);
}

TEST_F(JournalApply, ANewNameDifferingOnlyInCaseReplacesTheRecord) {
    Journal(volume, kCreate, kFile, kDir, u"readme.txt");
    Journal(volume, kNew, kFile, kDir, u"README.txt");
    EXPECT_EQ(Live(kFile)->name, u"README.txt");
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 1u);
    EXPECT_EQ(LiveCount(volume), 3u);
}

TEST_F(JournalApply, AMoveEndsWithOneLiveRecordUnderTheNewParent) {
    const std::uint64_t other = MakeFileReference(42, 1);
    AddRecord(volume, other, kRootDirectoryFrn, u"other", true);
    AddRecord(volume, kFile, kDir, u"f.txt");
    Journal(volume, kOld, kFile, kDir, u"f.txt");
    Journal(volume, kNew, kFile, other, u"f.txt");
    Journal(volume, kNew | kClose, kFile, other, u"f.txt");
    ASSERT_TRUE(Live(kFile));
    EXPECT_EQ(Live(kFile)->parentFrn, other);
    EXPECT_EQ(BuildFullPath(volume, volume.table.Record(Live(kFile)->index)), u"C:\\other\\f.txt");
    EXPECT_EQ(LiveCount(volume), 4u);
}

TEST_F(JournalApply, ADeletionMarksDeadAndForgetsCachedAttributes) {
    AddRecord(volume, kFile, kDir, u"f.txt");
    CacheAttributes(kFile);
    Journal(volume, kDelete | kClose, kFile, kDir, u"f.txt");
    EXPECT_FALSE(Live(kFile));
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 1u);
    EXPECT_FALSE(volume.CachedAttributes(kFile).loaded);
    EXPECT_NE(volume.table.IndexOf(kFile), FileTable::kAbsent) << "the map keeps the dead record";
}

TEST_F(JournalApply, ADeletionOfAnUnknownFileOnlyForgetsItsAttributes) {
    CacheAttributes(kFile);
    Journal(volume, kDelete | kClose, kFile, kDir, u"f.txt");
    EXPECT_EQ(volume.table.Size(), 2u);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 0u);
    EXPECT_FALSE(volume.CachedAttributes(kFile).loaded);
}

TEST_F(JournalApply, ATemporaryFileDeletedBeforeItsCloseLeavesNoGhost) {
    Journal(volume, kCreate, kFile, kDir, u"~tmp.tmp");
    Journal(volume, kCreate | kDelete | kClose, kFile, kDir, u"~tmp.tmp");
    EXPECT_FALSE(Live(kFile));
    EXPECT_EQ(LiveCount(volume), 2u);
}

TEST_F(JournalApply, AFileRenamedBeforeItsCloseEndsUnderItsNewNameOnly) {
    Journal(volume, kCreate, kFile, kDir, u"draft.tmp");
    Journal(volume, kCreate | kOld, kFile, kDir, u"draft.tmp");
    Journal(volume, kCreate | kNew, kFile, kDir, u"final.docx");
    Journal(volume, kCreate | kNew | kClose, kFile, kDir, u"final.docx");
    ASSERT_TRUE(Live(kFile));
    EXPECT_EQ(Live(kFile)->name, u"final.docx");
    EXPECT_EQ(LiveCount(volume), 3u);
}

TEST_F(JournalApply, TheSameNameReportedAgainOnlyForgetsAttributes) {
    AddRecord(volume, kFile, kDir, u"f.txt");
    CacheAttributes(kFile);
    // Another parent, same name: a live record with an equal name is kept as it is.
    Journal(volume, kNew | kClose, kFile, kRootDirectoryFrn, u"f.txt");
    EXPECT_EQ(volume.table.Size(), 3u);
    EXPECT_FALSE(volume.CachedAttributes(kFile).loaded);
}

TEST_F(JournalApply, OtherReasonsChangeNothing) {
    AddRecord(volume, kFile, kDir, u"f.txt");
    Journal(volume, kExtend | kClose, kFile, kDir, u"other");
    EXPECT_EQ(volume.table.Size(), 3u);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 0u);
}

TEST_F(JournalApply, AReusedRecordNumberIsAnotherFile) {
    AddRecord(volume, MakeFileReference(41, 1), kDir, u"old.txt");
    Journal(volume, kDelete | kClose, MakeFileReference(41, 1), kDir, u"old.txt");
    Journal(volume, kCreate, MakeFileReference(41, 2), kDir, u"new.txt");
    EXPECT_FALSE(Live(MakeFileReference(41, 1)));
    ASSERT_TRUE(Live(MakeFileReference(41, 2)));
}

}  // namespace
}  // namespace kx::testing
