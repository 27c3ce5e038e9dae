#include <gtest/gtest.h>

#include "common/ascii_fold.h"
#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

// A volume with `total` files in the root, every `deadEvery`-th one deleted.
void Fill(VolumeIndex& volume, int total, int deadEvery) {
    volume.rootPath = u"C:";
    AddRoot(volume);
    for (int i = 0; i < total; ++i) {
        const std::uint64_t frn = MakeFileReference(100 + i, 1);
        AddRecord(volume, frn, kRootDirectoryFrn, u"f" + std::u16string(1, u'a' + i % 26));
        if (i % deadEvery == 0) {
            Journal(volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, frn, kRootDirectoryFrn, u"");
        }
    }
}

TEST(Compaction, DropsDeadRecordsAndKeepsLiveOnesInOrder) {
    VolumeIndex volume;
    Fill(volume, 30000, 2);
    const std::size_t before = volume.records.size();
    const std::uint64_t dead = volume.deadCount;
    ASSERT_EQ(dead, 15000u);
    std::vector<std::uint64_t> liveFrns;
    for (const FileRecord& record : volume.records) {
        if (record.isDead == 0)
            liveFrns.push_back(record.frn);
    }
    const std::uint64_t generation = volume.renumberGeneration;

    volume.Compact();

    EXPECT_EQ(volume.records.size(), before - dead);
    EXPECT_EQ(volume.deadCount, 0u);
    EXPECT_NE(volume.renumberGeneration, generation);
    for (std::size_t i = 0; i < volume.records.size(); ++i) {
        const FileRecord& record = volume.records[i];
        EXPECT_EQ(record.frn, liveFrns[i]);
        EXPECT_EQ(record.isDead, 0u);
        ASSERT_NE(volume.frnToIndex.Find(record.frn), nullptr);
        EXPECT_EQ(*volume.frnToIndex.Find(record.frn), i);
        EXPECT_EQ(std::u16string(record.FoldedName()), FoldAscii(NameOf(record)));
    }
    EXPECT_EQ(volume.frnToIndex.Find(MakeFileReference(100, 1)), nullptr)
        << "a file whose records were all dead leaves the map";
}

TEST(Compaction, DoesNothingBelowTenThousandDeadRecords) {
    VolumeIndex volume;
    Fill(volume, 19998, 2);  // 9999 dead
    const std::size_t before = volume.records.size();
    volume.Compact();
    EXPECT_EQ(volume.records.size(), before);
    EXPECT_EQ(volume.deadCount, 9999u);
}

// A signature that moved with the wrong record would hide that record from every query.
TEST(Compaction, KeepsEachNameSignatureWithItsRecordAndSignsTheRecordsAppendedUnsigned) {
    VolumeIndex volume;
    Fill(volume, 30000, 3);
    volume.nameSignatures.resize(volume.records.size() - 500);  // the last 500 unsigned
    volume.Compact();
    ASSERT_EQ(volume.nameSignatures.size(), volume.records.size());
    for (std::size_t i = 0; i < volume.records.size(); ++i) {
        const FileRecord& record = volume.records[i];
        ASSERT_EQ(volume.nameSignatures[i], NameSignatureOf(record.FoldedName(), record.nameLength))
            << i;
    }
    Journal(volume, USN_REASON_FILE_CREATE, MakeFileReference(90000, 1), kRootDirectoryFrn,
            u"Journal.TXT");
    ASSERT_EQ(volume.nameSignatures.size(), volume.records.size());
    EXPECT_EQ(volume.nameSignatures.back(), NameSignatureOf(u"journal.txt", 11));
}

// Runs are cut by position, so after compaction each run must sum up the names now at its
// positions, the journal's appends included.
TEST(Compaction, SumsUpTheLetterPairsOfTheRenumberedRecords) {
    VolumeIndex volume;
    Fill(volume, 30000, 3);
    volume.namePairs.covered = 100;  // as after an append that ran out of memory
    volume.Compact();
    Journal(volume, USN_REASON_FILE_CREATE, MakeFileReference(90000, 1), kRootDirectoryFrn,
            u"Journal.TXT");
    NamePairRuns fresh;
    ExtendNamePairRuns(volume.records, fresh);
    ASSERT_EQ(volume.namePairs.covered, volume.records.size());
    EXPECT_EQ(volume.namePairs.words, fresh.words);
}

TEST(Compaction, KeepsPathsIntact) {
    VolumeIndex volume;
    Fill(volume, 20002, 2);
    const std::uint64_t dir = MakeFileReference(90000, 1);
    AddRecord(volume, dir, kRootDirectoryFrn, u"dir", true);
    AddRecord(volume, MakeFileReference(90001, 1), dir, u"inner.txt");
    volume.Compact();
    EXPECT_EQ(BuildFullPath(volume, volume.records.back()), u"C:\\dir\\inner.txt");
}

}  // namespace
}  // namespace kx::testing
