// The steps that turn one ENUM or READ reply into table changes, driven with bytes directly:
// what the fuzz targets run, held to the cases that once went wrong or are easy to break.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "index/mft_enumeration.h"
#include "tests/index/usn_bytes.h"
#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

constexpr std::uint64_t kFile = MakeFileReference(40, 1);

TEST(JournalReply, AReplyNoLongerThanItsHeaderChangesNothing) {
    VolumeIndex volume;
    AddRoot(volume);
    volume.nextUsn = 77;
    // Exactly as long as it is: a read past the end is caught by the sanitizer builds.
    const std::vector<std::uint8_t> shortReply = {1, 2, 3, 4};
    EXPECT_TRUE(ApplyJournalReply(volume, shortReply.data(), shortReply.size()));
    EXPECT_EQ(volume.nextUsn, 77);

    const UsnBytes headerOnly(500);
    EXPECT_TRUE(ApplyJournalReply(volume, headerOnly.data(), headerOnly.size()));
    ProcessJournalReply(volume, headerOnly.data(), headerOnly.size());
    EXPECT_EQ(volume.nextUsn, 77);
    EXPECT_EQ(volume.table.Size(), 1u);
}

TEST(JournalReply, ABatchTakesItsNextUsnAndCompactsOnlyPastTenThousandDead) {
    VolumeIndex volume;
    AddRoot(volume);
    for (std::uint64_t i = 0; i < 10001; ++i)
        AddRecord(volume, MakeFileReference(100 + i, 1), kRootDirectoryFrn, u"f");
    for (std::uint64_t i = 0; i < 9999; ++i)
        MarkDead(volume, 1 + i);

    UsnBytes first(600);
    first.AppendRecord(MakeFileReference(100 + 9999, 1), kRootDirectoryFrn, u"f",
                       FILE_ATTRIBUTE_ARCHIVE_BIT, USN_REASON_FILE_DELETE);
    ProcessJournalReply(volume, first.data(), first.size());
    EXPECT_EQ(volume.nextUsn, 600);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 10000u) << "exactly ten thousand triggers nothing";

    UsnBytes second(700);
    second.AppendRecord(MakeFileReference(100 + 10000, 1), kRootDirectoryFrn, u"f",
                        FILE_ATTRIBUTE_ARCHIVE_BIT, USN_REASON_FILE_DELETE);
    second.AppendRecord(kFile, kRootDirectoryFrn, u"new.txt", FILE_ATTRIBUTE_ARCHIVE_BIT,
                        USN_REASON_FILE_CREATE);
    ProcessJournalReply(volume, second.data(), second.size());
    EXPECT_EQ(volume.nextUsn, 700);
    EXPECT_EQ(volume.table.DeadRecordsHeld(), 0u);
    ASSERT_EQ(volume.table.Size(), 2u);
    EXPECT_EQ(NameOf(volume, 1), u"new.txt");
}

TEST(Compaction, KeepsTheChunkSizeOfItsPool) {
    VolumeIndex volume;
    volume.table = FileTable(6);
    AddRoot(volume);
    for (std::uint64_t i = 0; i < 10001; ++i) {
        AddRecord(volume, MakeFileReference(100 + i, 1), kRootDirectoryFrn, u"name");
        MarkDead(volume, volume.table.Size() - 1);
    }
    AddRecord(volume, kFile, kRootDirectoryFrn, u"twenty-five code units!!!");
    volume.Compact();
    ASSERT_EQ(volume.table.Size(), 2u);
    EXPECT_EQ(volume.table.Names().ChunkBytes(), 64u);
    // The root's name (1 byte) and the long one (25 bytes) share one 64-byte chunk.
    EXPECT_EQ(volume.table.Names().ChunkCount(), 1u);
    EXPECT_EQ(NameOf(volume, 1), u"twenty-five code units!!!");
}

TEST(EnumReply, AnFrnReportedTwiceKeepsOnlyItsLastRecordLive) {
    UsnBytes reply(MakeFileReference(60, 0));
    reply.AppendRecord(kFile, kRootDirectoryFrn, u"first", FILE_ATTRIBUTE_ARCHIVE_BIT);
    reply.AppendRecord(MakeFileReference(41, 1), kRootDirectoryFrn, u"other",
                       FILE_ATTRIBUTE_DIRECTORY_BIT);
    reply.AppendRecord(kFile, kRootDirectoryFrn, u"second", FILE_ATTRIBUTE_ARCHIVE_BIT);
    FileTable table;
    AppendEnumRecords(reply.data(), reply.size(), table);
    ASSERT_EQ(table.Size(), 3u);
    EXPECT_TRUE(table.Record(1).IsDirectory());

    EXPECT_EQ(table.MapAll(), 1u);
    EXPECT_TRUE(table.Record(0).IsDead());
    EXPECT_FALSE(table.Record(2).IsDead());
    EXPECT_EQ(table.IndexOf(kFile), 2u);
    EXPECT_EQ(table.MapSize(), 2u);
    EXPECT_EQ(table.DeadRecordsHeld(), 1u);
}

}  // namespace
}  // namespace kx::testing
