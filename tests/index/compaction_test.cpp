#include <gtest/gtest.h>

#include "common/ascii_fold.h"
#include "tests/support/table_builder.h"
#include "tests/support/table_check.h"

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
    const std::size_t before = volume.table.Size();
    const std::uint64_t dead = volume.table.DeadRecordsHeld();
    ASSERT_EQ(dead, 15000u);
    std::vector<std::uint64_t> liveFrns;
    std::vector<std::u16string> liveNames;
    for (std::size_t i = 0; i < before; ++i) {
        if (!volume.table.Record(i).IsDead()) {
            liveFrns.push_back(volume.table.Record(i).frn);
            liveNames.push_back(NameOf(volume, i));
        }
    }
    const std::uint64_t generation = volume.renumberGeneration;

    volume.Compact();

    EXPECT_EQ(volume.table.Size(), before - dead);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 0u);
    EXPECT_NE(volume.renumberGeneration, generation);
    for (std::size_t i = 0; i < volume.table.Size(); ++i) {
        ASSERT_EQ(volume.table.Record(i).frn, liveFrns[i]);
        ASSERT_EQ(NameOf(volume, i), liveNames[i]);
    }
    EXPECT_EQ(volume.table.IndexOf(MakeFileReference(100, 1)), FileTable::kAbsent)
        << "a file whose records were all dead leaves the map";
    EXPECT_EQ(TableFaults(volume.table), "");
}

TEST(Compaction, DoesNothingBelowTenThousandDeadRecords) {
    VolumeIndex volume;
    Fill(volume, 19998, 2);  // 9999 dead
    const std::size_t before = volume.table.Size();
    volume.Compact();
    EXPECT_EQ(volume.table.Size(), before);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 9999u);
}

// Signatures, runs and the map are cut by position, so after compaction each must describe the
// names now at its positions, the journal's appends included, and paths must still resolve.
TEST(Compaction, LeavesATableWhoseSignaturesRunsMapAndPathsFitTheRenumberedRecords) {
    VolumeIndex volume;
    Fill(volume, 30000, 3);
    const std::uint64_t dir = MakeFileReference(90000, 1);
    AddRecord(volume, dir, kRootDirectoryFrn, u"R\u00e9sum\u00e9s", true);
    AddRecord(volume, MakeFileReference(90001, 1), dir, u"inner.txt");
    volume.Compact();
    Journal(volume, USN_REASON_FILE_CREATE, MakeFileReference(90002, 1), dir, u"Journal.TXT");
    EXPECT_EQ(TableFaults(volume.table), "");
    EXPECT_EQ(BuildFullPath(volume, volume.table.Record(volume.table.Size() - 1)),
              u"C:\\R\u00e9sum\u00e9s\\Journal.TXT");
}

}  // namespace
}  // namespace kx::testing
