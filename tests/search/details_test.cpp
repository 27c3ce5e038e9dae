#include "search/details.h"
#include "search/format_texts.h"
#include "search/search_run.h"
#include "tests/search/stand_ins.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

constexpr std::uint64_t kWritten = 133500000000000000ull;
constexpr std::uint64_t kCreated = 133400000000000000ull;

class Details : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        StandInClearFiles();
        volume = &test.AddVolume(u"C:");
    }
    void TearDown() override {
        StandInClearFiles();
        SearchStateTest::TearDown();
    }

    std::uint64_t File(const std::u16string& name, std::int64_t size) {
        StandInSetFile(u"C:\\" + name, {size, kWritten, kCreated, false});
        return AddFile(*volume, name);
    }

    // A hit with details of its own, as a private copy of a list's row is.
    struct TestHit {
        HitRef ref;
        HitDetails details;
    };

    TestHit Hit(const std::u16string& query) {
        ResultList hits = MatchVolumes(test.engine, {query, CurrentGeneration()});
        EXPECT_EQ(hits.size(), 1u) << "query " << hits.size();
        return hits.empty() ? TestHit{} : TestHit{hits.Hit(0), {}};
    }

    static void Load(TestHit& hit) { LoadDetails(hit.ref, hit.details); }

    // Deletes `count` throw-away files so that the next Compact renumbers the table.
    void FillWithDeadRecords(int count = 10001) {
        for (int i = 0; i < count; ++i) {
            const std::uint64_t frn = AddFile(*volume, u"~tmp");
            Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, frn, kRootDirectoryFrn,
                    u"~tmp");
        }
    }

    TestEngine test;
    VolumeIndex* volume = nullptr;
};

TEST_F(Details, FillsPathSizeTimesAndTheirTexts) {
    File(u"video.mkv", 1048576);
    TestHit item = Hit(u"video");
    Load(item);
    EXPECT_TRUE(item.details.detailsLoaded);
    EXPECT_EQ(item.details.fullPath, u"C:\\video.mkv");
    EXPECT_EQ(item.details.size, 1048576);
    EXPECT_EQ(item.details.sizeText, u"1.00 MB");
    EXPECT_EQ(item.details.lastWriteTime, kWritten);
    EXPECT_EQ(item.details.creationTime, kCreated);
    EXPECT_EQ(item.details.modifiedText, FormatFileTime(kWritten));
    EXPECT_NE(item.details.modifiedText, u"-");
}

TEST_F(Details, DirectoryHasNoSizeTextAndUnreadableFileKeepsItsPath) {
    AddFile(*volume, u"Music", true);
    AddFile(*volume, u"locked.db");  // the attribute query fails for it
    TestHit folder = Hit(u"music");
    Load(folder);
    EXPECT_EQ(folder.details.sizeText, u"");
    TestHit locked = Hit(u"locked");
    Load(locked);
    EXPECT_EQ(locked.details.fullPath, u"C:\\locked.db");
    EXPECT_EQ(locked.details.size, 0);
    EXPECT_EQ(locked.details.sizeText, u"0 B");
    EXPECT_EQ(locked.details.modifiedText, u"-");
    EXPECT_EQ(locked.details.createdText, u"-");
}

TEST_F(Details, AskedOncePerFileAndNeverAgainForALoadedHit) {
    File(u"log.txt", 10);
    TestHit first = Hit(u"log");
    Load(first);
    StandInSetFile(u"C:\\log.txt", {999, kWritten + 1, kCreated, false});  // written since
    const int queries = StandInQueries.load();

    Load(first);
    TestHit second = Hit(u"log");
    Load(second);
    EXPECT_EQ(StandInQueries.load(), queries);
    EXPECT_EQ(first.details.size, 10);
    EXPECT_EQ(second.details.size, 10) << "a cached entry stays until the journal reports a change";
}

TEST_F(Details, RenamedFileShowsItsNewPath) {
    const std::uint64_t frn = File(u"draft.doc", 5);
    TestHit item = Hit(u"draft");
    StandInSetFile(u"C:\\final.doc", {7, kWritten, kCreated, false});
    Journal(*volume, USN_REASON_RENAME_OLD_NAME, frn, kRootDirectoryFrn, u"draft.doc");
    Journal(*volume, USN_REASON_RENAME_NEW_NAME, frn, kRootDirectoryFrn, u"final.doc");
    Load(item);
    EXPECT_EQ(item.details.fullPath, u"C:\\final.doc");
    EXPECT_EQ(item.details.size, 7);
}

TEST_F(Details, AfterCompactionAHitNamesItsOwnFileOrNothing) {
    FillWithDeadRecords();  // dead records before the hits, so every hit moves down
    File(u"keep.txt", 11);
    const std::uint64_t goneFrn = File(u"gone.txt", 12);
    File(u"other.txt", 13);
    TestHit keep = Hit(u"keep");
    TestHit gone = Hit(u"gone");
    Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, goneFrn, kRootDirectoryFrn, u"");
    volume->Compact();
    ASSERT_LT(volume->table.Size(), keep.ref.recordIndex) << "the old position is past the end";

    Load(keep);
    EXPECT_EQ(keep.details.fullPath, u"C:\\keep.txt");
    EXPECT_EQ(keep.details.size, 11);
    EXPECT_TRUE(CopyHitRecord(keep.ref).present);
    EXPECT_EQ(CopyHitRecord(keep.ref).name, u"keep.txt");

    Load(gone);
    EXPECT_TRUE(gone.details.detailsLoaded);
    EXPECT_EQ(gone.details.fullPath, u"");
    EXPECT_EQ(gone.details.size, 0);
    EXPECT_EQ(gone.details.modifiedText, u"-");
    EXPECT_FALSE(CopyHitRecord(gone.ref).present);
    EXPECT_FALSE(volume->CachedAttributes(goneFrn).loaded) << "nothing is cached for a gone hit";
}

TEST_F(Details, DeletedFileCachedThenCompactedAwayShowsAsGone) {
    const std::uint64_t frn = File(u"old.log", 3);
    TestHit beforeDelete = Hit(u"old");
    Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, frn, kRootDirectoryFrn, u"");
    StandInClearFiles();
    TestHit afterDelete = beforeDelete;
    Load(afterDelete);  // caches the failed query under the dead record's frn
    EXPECT_EQ(afterDelete.details.fullPath, u"C:\\old.log");
    FillWithDeadRecords();
    volume->Compact();
    Load(beforeDelete);
    EXPECT_EQ(beforeDelete.details.fullPath, u"") << "its file left the table";
}

// A rebuild refills the table from the MFT in another order; positions taken before it name
// other files.
TEST_F(Details, AfterARebuildAHitDoesNotNameAnotherFile) {
    const std::uint64_t a = File(u"alpha.txt", 1);
    const std::uint64_t b = File(u"beta.txt", 2);
    TestHit alpha = Hit(u"alpha");
    {
        std::unique_lock<SrwLock> guard(volume->lock);
        FileTable table;
        table.Append(kRootDirectoryFrn, kRootDirectoryFrn, u".", 1, FILE_ATTRIBUTE_DIRECTORY_BIT);
        table.Append(b, kRootDirectoryFrn, u"beta.txt", 8, FILE_ATTRIBUTE_ARCHIVE_BIT);
        table.Append(a, kRootDirectoryFrn, u"alpha.txt", 9, FILE_ATTRIBUTE_ARCHIVE_BIT);
        table.MapAll();
        std::swap(volume->table, table);
        ++volume->renumberGeneration;
    }
    ASSERT_EQ(CopyHitRecord(alpha.ref).name, u"alpha.txt");
    Load(alpha);
    EXPECT_EQ(alpha.details.fullPath, u"C:\\alpha.txt");
    EXPECT_EQ(alpha.details.size, 1);
}

}  // namespace
}  // namespace kx::testing
