// The journal records each change writes: reasons, names and parents, record by record.
#include <gtest/gtest.h>

#include "tests/sim/sim_replies.h"
#include "tests/support/volume_builder.h"

namespace kx::testing {
namespace {

constexpr std::uint32_t kCreate = USN_REASON_FILE_CREATE;
constexpr std::uint32_t kDelete = USN_REASON_FILE_DELETE;
constexpr std::uint32_t kExtend = USN_REASON_DATA_EXTEND;
constexpr std::uint32_t kOld = USN_REASON_RENAME_OLD_NAME;
constexpr std::uint32_t kNew = USN_REASON_RENAME_NEW_NAME;
constexpr std::uint32_t kClose = USN_REASON_CLOSE;

struct Expected {
    std::uint32_t reason;
    std::u16string name;
    std::uint64_t parentFrn;
};

class JournalSequence : public ::testing::Test {
  protected:
    void SetUp() override {
        frns = AddTree(volume, {u"docs\\", u"archive\\", u"docs\\report.txt"});
        CreateJournal(volume);
        mark = volume.NextUsn();
    }
    // The records written since the last call, checked one by one; all for the one frn.
    void ExpectRecords(std::uint64_t frn, const std::vector<Expected>& expected) {
        const auto records = JournalSince(volume, mark);
        mark = volume.NextUsn();
        ASSERT_EQ(records.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("record " + std::to_string(i));
            EXPECT_EQ(records[i].frn, frn);
            EXPECT_EQ(records[i].reason, expected[i].reason);
            EXPECT_EQ(records[i].name, expected[i].name);
            EXPECT_EQ(records[i].parentFrn, expected[i].parentFrn);
        }
        if (!records.empty() && volume.Find(frn)) {
            EXPECT_EQ(volume.Find(frn)->usn, records.back().usn) << "the entry's last USN";
        }
    }
    sim::SimVolume volume;
    FrnByPath frns;
    std::int64_t mark = 0;
};

TEST_F(JournalSequence, CreatingAFileWithDataIsCreateThenExtendThenClose) {
    const std::uint64_t docs = frns.at(u"docs");
    const std::uint64_t frn = volume.CreateFile(docs, u"new.txt", 10);
    ExpectRecords(frn, {{kCreate, u"new.txt", docs},
                        {kCreate | kExtend, u"new.txt", docs},
                        {kCreate | kExtend | kClose, u"new.txt", docs}});
    EXPECT_EQ(volume.Find(frn)->size, 10);
}

TEST_F(JournalSequence, AnEmptyFileOrADirectoryIsCreateThenClose) {
    const std::uint64_t docs = frns.at(u"docs");
    const std::uint64_t file = volume.CreateFile(docs, u"empty.txt");
    ExpectRecords(file, {{kCreate, u"empty.txt", docs}, {kCreate | kClose, u"empty.txt", docs}});
    const std::uint64_t directory = volume.CreateDirectory(docs, u"sub");
    ExpectRecords(directory, {{kCreate, u"sub", docs}, {kCreate | kClose, u"sub", docs}});
    EXPECT_EQ(volume.Find(directory)->attributes, FILE_ATTRIBUTE_DIRECTORY_BIT);
}

TEST_F(JournalSequence, ARenameReportsTheOldNameThenTheNewOne) {
    const std::uint64_t report = frns.at(u"docs\\report.txt");
    const std::uint64_t docs = frns.at(u"docs");
    volume.Rename(report, u"Report.TXT");
    ExpectRecords(report, {{kOld, u"report.txt", docs},
                           {kNew, u"Report.TXT", docs},
                           {kNew | kClose, u"Report.TXT", docs}});
    EXPECT_EQ(volume.PathOf(report), u"docs\\Report.TXT");
}

TEST_F(JournalSequence, AMoveReportsTheOldParentThenTheNewOne) {
    const std::uint64_t report = frns.at(u"docs\\report.txt");
    const std::uint64_t docs = frns.at(u"docs");
    const std::uint64_t archive = frns.at(u"archive");
    volume.Move(report, archive);
    ExpectRecords(report, {{kOld, u"report.txt", docs},
                           {kNew, u"report.txt", archive},
                           {kNew | kClose, u"report.txt", archive}});
    volume.MoveAndRename(report, docs, u"back.txt");
    ExpectRecords(report, {{kOld, u"report.txt", archive},
                           {kNew, u"back.txt", docs},
                           {kNew | kClose, u"back.txt", docs}});
}

TEST_F(JournalSequence, ADeletionIsOneRecordAtTheClose) {
    const std::uint64_t report = frns.at(u"docs\\report.txt");
    volume.Delete(report);
    ExpectRecords(report, {{kDelete | kClose, u"report.txt", frns.at(u"docs")}});
    EXPECT_FALSE(volume.Find(report));
}

TEST_F(JournalSequence, DeletingADirectoryDeletesWhatIsBelowItFirst) {
    const std::uint64_t docs = frns.at(u"docs");
    volume.Delete(docs);
    const auto records = JournalSince(volume, mark);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].frn, frns.at(u"docs\\report.txt"));
    EXPECT_EQ(records[1].frn, docs);
    EXPECT_EQ(records[1].reason, kDelete | kClose);
    EXPECT_FALSE(volume.FindByPath(u"docs\\report.txt"));
}

TEST_F(JournalSequence, ATemporaryFileIsCreatedAndDeletedUnderOneHandle) {
    const std::uint64_t docs = frns.at(u"docs");
    const std::uint64_t frn = volume.CreateTemporaryFile(docs, u"~$x.tmp");
    ExpectRecords(frn,
                  {{kCreate, u"~$x.tmp", docs}, {kCreate | kDelete | kClose, u"~$x.tmp", docs}});
    EXPECT_FALSE(volume.Find(frn));
}

TEST_F(JournalSequence, ARenameBeforeTheCreatingHandleClosesKeepsGatheringReasons) {
    const std::uint64_t docs = frns.at(u"docs");
    const std::uint64_t frn = volume.CreateThenRenameBeforeClose(docs, u"a.tmp", u"b.docx");
    ExpectRecords(frn, {{kCreate, u"a.tmp", docs},
                        {kCreate | kOld, u"a.tmp", docs},
                        {kCreate | kNew, u"b.docx", docs},
                        {kCreate | kNew | kClose, u"b.docx", docs}});
}

TEST_F(JournalSequence, SizeAndTimeChangesWriteRecordsOutsideTheProgramsMask) {
    const std::uint64_t report = frns.at(u"docs\\report.txt");
    const std::uint64_t docs = frns.at(u"docs");
    volume.SetSize(report, 500);
    ExpectRecords(report,
                  {{kExtend, u"report.txt", docs}, {kExtend | kClose, u"report.txt", docs}});
    volume.SetSize(report, 10);
    ExpectRecords(report, {{0x4, u"report.txt", docs}, {0x4 | kClose, u"report.txt", docs}});
    volume.SetTimes(report, 1000, 900);
    ExpectRecords(report, {{0x8000, u"report.txt", docs}, {0x8000 | kClose, u"report.txt", docs}});
    EXPECT_EQ(volume.Find(report)->lastWriteTime, 1000u);
    EXPECT_EQ(volume.Find(report)->creationTime, 900u);
    EXPECT_EQ(volume.Find(report)->size, 10);
}

TEST_F(JournalSequence, ChangesThatNtfsWouldRefuseWriteNothing) {
    const std::uint64_t docs = frns.at(u"docs");
    volume.Move(docs, docs);                                         // below itself
    volume.Move(frns.at(u"archive"), frns.at(u"docs\\report.txt"));  // into a file
    volume.Rename(kRootDirectoryFrn, u"root");
    volume.Delete(MakeFileReference(0, 1));
    volume.Delete(frns.at(u"docs\\report.txt") + (1ull << 48));  // a stale sequence
    EXPECT_EQ(volume.NextUsn(), mark);
    EXPECT_TRUE(volume.FindByPath(u"docs\\report.txt"));
}

TEST_F(JournalSequence, WithoutAJournalChangesStillHappen) {
    volume.DeleteJournal();
    const std::uint64_t frn = volume.CreateFile(frns.at(u"docs"), u"quiet.txt", 5);
    EXPECT_EQ(volume.Find(frn)->usn, 0);
    EXPECT_EQ(volume.FindByPath(u"DOCS\\QUIET.TXT"), frn);
}

}  // namespace
}  // namespace kx::testing
