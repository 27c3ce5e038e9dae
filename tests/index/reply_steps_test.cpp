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
    EXPECT_EQ(volume.records.size(), 1u);
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
    EXPECT_EQ(volume.deadCount, 10000u) << "exactly ten thousand triggers nothing";

    UsnBytes second(700);
    second.AppendRecord(MakeFileReference(100 + 10000, 1), kRootDirectoryFrn, u"f",
                        FILE_ATTRIBUTE_ARCHIVE_BIT, USN_REASON_FILE_DELETE);
    second.AppendRecord(kFile, kRootDirectoryFrn, u"new.txt", FILE_ATTRIBUTE_ARCHIVE_BIT,
                        USN_REASON_FILE_CREATE);
    ProcessJournalReply(volume, second.data(), second.size());
    EXPECT_EQ(volume.nextUsn, 700);
    EXPECT_EQ(volume.deadCount, 0u);
    ASSERT_EQ(volume.records.size(), 2u);
    EXPECT_EQ(NameOf(volume.records[1]), u"new.txt");
}

TEST(Compaction, KeepsTheChunkSizeOfItsPool) {
    VolumeIndex volume;
    volume.names.chunkCapacity = 64;
    volume.names.chunkUsed = 64;
    AddRoot(volume);
    for (std::uint64_t i = 0; i < 10001; ++i) {
        AddRecord(volume, MakeFileReference(100 + i, 1), kRootDirectoryFrn, u"name");
        MarkDead(volume, volume.records.size() - 1);
    }
    AddRecord(volume, kFile, kRootDirectoryFrn, u"twenty-five code units!!!");
    volume.Compact();
    ASSERT_EQ(volume.records.size(), 2u);
    EXPECT_EQ(volume.names.chunkCapacity, 64u);
    // Root (1 + 1 + 1 + 1 units) and the long name (25 + 1 + 25 + 1) share one 64-unit chunk.
    EXPECT_EQ(volume.names.ChunkCount(), 1u);
    EXPECT_EQ(NameOf(volume.records[1]), u"twenty-five code units!!!");
}

TEST(EnumReply, AnFrnReportedTwiceKeepsOnlyItsLastRecordLive) {
    UsnBytes reply(MakeFileReference(60, 0));
    reply.AppendRecord(kFile, kRootDirectoryFrn, u"first", FILE_ATTRIBUTE_ARCHIVE_BIT);
    reply.AppendRecord(MakeFileReference(41, 1), kRootDirectoryFrn, u"other",
                       FILE_ATTRIBUTE_DIRECTORY_BIT);
    reply.AppendRecord(kFile, kRootDirectoryFrn, u"second", FILE_ATTRIBUTE_ARCHIVE_BIT);
    std::vector<FileRecord> records;
    NamePool names;
    FrnMap frnToIndex;
    AppendEnumRecords(reply.data(), reply.size(), records, names);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].isDirectory, 1u);

    EXPECT_EQ(MapEnumeratedRecords(records, frnToIndex), 1u);
    EXPECT_EQ(records[0].isDead, 1u);
    EXPECT_EQ(records[2].isDead, 0u);
    ASSERT_NE(frnToIndex.Find(kFile), nullptr);
    EXPECT_EQ(*frnToIndex.Find(kFile), 2u);
    EXPECT_EQ(frnToIndex.Size(), 2u);
}

}  // namespace
}  // namespace kx::testing
