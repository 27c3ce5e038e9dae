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
    const FileRecord* Live(std::uint64_t frn) {
        const std::uint64_t* index = volume.frnToIndex.Find(frn);
        if (index == nullptr || volume.records[*index].isDead != 0)
            return nullptr;
        return &volume.records[*index];
    }
    void CacheAttributes(std::uint64_t frn) {
        volume.attributeCache[frn] = AttributeCacheEntry{1, 2, 3, u"C:\\x", true};
    }
    static constexpr std::uint64_t kDir = MakeFileReference(40, 1);
    static constexpr std::uint64_t kFile = MakeFileReference(41, 3);
    VolumeIndex volume;
};

TEST_F(JournalApply, ACreationOfAnUnknownFileAppendsAndMapsIt) {
    Journal(volume, kCreate, kFile, kDir, u"new.txt");
    ASSERT_NE(Live(kFile), nullptr);
    EXPECT_EQ(NameOf(*Live(kFile)), u"new.txt");
    EXPECT_EQ(Live(kFile)->parentFrn, kDir);
}

TEST_F(JournalApply, TheThreeRecordsOfOneCreationLeaveOneRecord) {
    Journal(volume, kCreate, kFile, kDir, u"new.txt");
    Journal(volume, kCreate | kExtend, kFile, kDir, u"new.txt");
    Journal(volume, kCreate | kExtend | kClose, kFile, kDir, u"new.txt");
    EXPECT_EQ(volume.records.size(), 3u);
    EXPECT_EQ(volume.deadCount, 0u);
}

TEST_F(JournalApply, ANewNameDifferingOnlyInCaseReplacesTheRecord) {
    Journal(volume, kCreate, kFile, kDir, u"readme.txt");
    Journal(volume, kNew, kFile, kDir, u"README.txt");
    EXPECT_EQ(NameOf(*Live(kFile)), u"README.txt");
    EXPECT_EQ(volume.deadCount, 1u);
    EXPECT_EQ(LiveCount(volume), 3u);
}

TEST_F(JournalApply, AMoveEndsWithOneLiveRecordUnderTheNewParent) {
    const std::uint64_t other = MakeFileReference(42, 1);
    AddRecord(volume, other, kRootDirectoryFrn, u"other", true);
    AddRecord(volume, kFile, kDir, u"f.txt");
    Journal(volume, kOld, kFile, kDir, u"f.txt");
    Journal(volume, kNew, kFile, other, u"f.txt");
    Journal(volume, kNew | kClose, kFile, other, u"f.txt");
    ASSERT_NE(Live(kFile), nullptr);
    EXPECT_EQ(Live(kFile)->parentFrn, other);
    EXPECT_EQ(BuildFullPath(volume, *Live(kFile)), u"C:\\other\\f.txt");
    EXPECT_EQ(LiveCount(volume), 4u);
}

TEST_F(JournalApply, ADeletionMarksDeadAndForgetsCachedAttributes) {
    AddRecord(volume, kFile, kDir, u"f.txt");
    CacheAttributes(kFile);
    Journal(volume, kDelete | kClose, kFile, kDir, u"f.txt");
    EXPECT_EQ(Live(kFile), nullptr);
    EXPECT_EQ(volume.deadCount, 1u);
    EXPECT_EQ(volume.attributeCache.count(kFile), 0u);
    EXPECT_NE(volume.frnToIndex.Find(kFile), nullptr) << "the map keeps the dead record";
}

TEST_F(JournalApply, ADeletionOfAnUnknownFileOnlyForgetsItsAttributes) {
    CacheAttributes(kFile);
    Journal(volume, kDelete | kClose, kFile, kDir, u"f.txt");
    EXPECT_EQ(volume.records.size(), 2u);
    EXPECT_EQ(volume.deadCount, 0u);
    EXPECT_EQ(volume.attributeCache.count(kFile), 0u);
}

TEST_F(JournalApply, ATemporaryFileDeletedBeforeItsCloseLeavesNoGhost) {
    Journal(volume, kCreate, kFile, kDir, u"~tmp.tmp");
    Journal(volume, kCreate | kDelete | kClose, kFile, kDir, u"~tmp.tmp");
    EXPECT_EQ(Live(kFile), nullptr);
    EXPECT_EQ(LiveCount(volume), 2u);
}

TEST_F(JournalApply, AFileRenamedBeforeItsCloseEndsUnderItsNewNameOnly) {
    Journal(volume, kCreate, kFile, kDir, u"draft.tmp");
    Journal(volume, kCreate | kOld, kFile, kDir, u"draft.tmp");
    Journal(volume, kCreate | kNew, kFile, kDir, u"final.docx");
    Journal(volume, kCreate | kNew | kClose, kFile, kDir, u"final.docx");
    ASSERT_NE(Live(kFile), nullptr);
    EXPECT_EQ(NameOf(*Live(kFile)), u"final.docx");
    EXPECT_EQ(LiveCount(volume), 3u);
}

TEST_F(JournalApply, TheSameNameReportedAgainOnlyForgetsAttributes) {
    AddRecord(volume, kFile, kDir, u"f.txt");
    CacheAttributes(kFile);
    // Another parent, same name: a live record with an equal name is kept as it is.
    Journal(volume, kNew | kClose, kFile, kRootDirectoryFrn, u"f.txt");
    EXPECT_EQ(volume.records.size(), 3u);
    EXPECT_EQ(volume.attributeCache.count(kFile), 0u);
}

TEST_F(JournalApply, OtherReasonsChangeNothing) {
    AddRecord(volume, kFile, kDir, u"f.txt");
    Journal(volume, kExtend | kClose, kFile, kDir, u"other");
    EXPECT_EQ(volume.records.size(), 3u);
    EXPECT_EQ(volume.deadCount, 0u);
}

TEST_F(JournalApply, AReusedRecordNumberIsAnotherFile) {
    AddRecord(volume, MakeFileReference(41, 1), kDir, u"old.txt");
    Journal(volume, kDelete | kClose, MakeFileReference(41, 1), kDir, u"old.txt");
    Journal(volume, kCreate, MakeFileReference(41, 2), kDir, u"new.txt");
    EXPECT_EQ(Live(MakeFileReference(41, 1)), nullptr);
    ASSERT_NE(Live(MakeFileReference(41, 2)), nullptr);
}

}  // namespace
}  // namespace kx::testing
