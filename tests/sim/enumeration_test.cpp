// FSCTL_ENUM_USN_DATA as the simulator serves it: byte layout, resumption, filters, errors.
#include <gtest/gtest.h>

#include <set>

#include "platform/windows_errors.h"
#include "tests/sim/sim_replies.h"
#include "tests/support/volume_builder.h"

namespace kx::testing {
namespace {

template <typename T>
T At(const std::vector<std::uint64_t>& buffer, std::size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(buffer.data()) + offset, sizeof(T));
    return value;
}

TEST(Enumeration, ReplyHasAnEightByteHeaderThenPaddedVersionTwoRecords) {
    sim::SimVolume volume;
    const auto frns = AddTree(volume, {u"ab\\", u"ab\\x.txt"});
    MftEnumDataV0 request{0, 0, 1000};
    std::vector<std::uint64_t> buffer(512, 0xCCCCCCCCCCCCCCCCull);
    std::uint32_t bytes = 0;
    ASSERT_EQ(
        volume.Control(FSCTL_ENUM_USN_DATA, &request, sizeof(request), buffer.data(), 4096, &bytes),
        0u);
    // "ab" is 4 name bytes: 64; "x.txt" is 10: 70 rounded up to 72.
    EXPECT_EQ(bytes, 8u + 64u + 72u);
    EXPECT_EQ(At<std::uint64_t>(buffer, 0), 18u) << "the next record number to look at";

    EXPECT_EQ(At<std::uint32_t>(buffer, 8), 64u);
    EXPECT_EQ(At<std::uint16_t>(buffer, 8 + 4), 2u);
    EXPECT_EQ(At<std::uint16_t>(buffer, 8 + 6), 0u);
    EXPECT_EQ(At<std::uint64_t>(buffer, 8 + 8), frns.at(u"ab"));
    EXPECT_EQ(At<std::uint64_t>(buffer, 8 + 16), kRootDirectoryFrn);
    EXPECT_EQ(At<std::int64_t>(buffer, 8 + 24), 0);
    EXPECT_EQ(At<std::int64_t>(buffer, 8 + 32), 0) << "TimeStamp";
    EXPECT_EQ(At<std::uint32_t>(buffer, 8 + 40), 0u) << "Reason";
    EXPECT_EQ(At<std::uint32_t>(buffer, 8 + 44), 0u) << "SourceInfo";
    EXPECT_EQ(At<std::uint32_t>(buffer, 8 + 52), FILE_ATTRIBUTE_DIRECTORY_BIT);
    EXPECT_EQ(At<std::uint16_t>(buffer, 8 + 56), 4u);
    EXPECT_EQ(At<std::uint16_t>(buffer, 8 + 58), 60u);
    EXPECT_EQ(At<char16_t>(buffer, 8 + 60), u'a');
    EXPECT_EQ(At<char16_t>(buffer, 8 + 62), u'b');

    const std::size_t second = 8 + 64;
    EXPECT_EQ(At<std::uint32_t>(buffer, second), 72u);
    EXPECT_EQ(At<std::uint64_t>(buffer, second + 8), frns.at(u"ab\\x.txt"));
    EXPECT_EQ(At<std::uint64_t>(buffer, second + 16), frns.at(u"ab"));
    EXPECT_EQ(At<std::uint32_t>(buffer, second + 52), FILE_ATTRIBUTE_ARCHIVE_BIT);
    EXPECT_EQ(At<std::uint16_t>(buffer, second + 70), 0u) << "padding is zeroed";
    EXPECT_EQ(At<std::uint8_t>(buffer, 8 + 64 + 72), 0xCC) << "nothing written past the reply";
}

TEST(Enumeration, MetafilesAndTheRootAreNotEnumeratedButCanBeFound) {
    sim::SimVolume volume;
    EXPECT_EQ(Enum(volume, 0).error, kErrorHandleEof);
    const auto root = volume.Find(kRootDirectoryFrn);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->name, u".");
    EXPECT_EQ(root->parentFrn, kRootDirectoryFrn);
    EXPECT_NE(root->attributes & FILE_ATTRIBUTE_DIRECTORY_BIT, 0u);
    EXPECT_EQ(volume.Find(MakeFileReference(0, 1))->name, u"$MFT");
    EXPECT_EQ(volume.Find(MakeFileReference(11, 11))->name, u"$Extend");
    EXPECT_FALSE(volume.Find(MakeFileReference(0, 0))) << "the sequence is part of the frn";
    EXPECT_TRUE(volume.LiveEntries().empty());
}

TEST(Enumeration, SmallBuffersResumeWithoutLossOrDuplication) {
    sim::SimVolume volume;
    std::set<std::uint64_t> expected;
    for (int i = 0; i < 500; ++i) {
        expected.insert(volume.AddEntryQuietly(
            kRootDirectoryFrn, u"n" + std::u16string(i % 40, u'x'), FILE_ATTRIBUTE_ARCHIVE_BIT));
    }
    int requests = 0;
    const auto records = EnumAll(volume, 256, &requests);
    std::set<std::uint64_t> seen;
    for (const Record& record : records)
        EXPECT_TRUE(seen.insert(record.frn).second) << "returned twice: " << record.frn;
    EXPECT_EQ(seen, expected);
    EXPECT_GT(requests, 100);
}

TEST(Enumeration, EveryRecordIsFilledIntoTheBufferWhileItFits) {
    sim::SimVolume volume;
    for (int i = 0; i < 10; ++i)
        volume.AddEntryQuietly(kRootDirectoryFrn, u"ab",
                               FILE_ATTRIBUTE_ARCHIVE_BIT);  // 64 bytes each
    const Reply reply = Enum(volume, 0, 8 + 3 * 64 + 63);
    EXPECT_EQ(reply.records.size(), 3u);
    EXPECT_EQ(reply.bytes, 8u + 3 * 64);
    EXPECT_EQ(reply.header, 19u);
}

TEST(Enumeration, StartReferenceIsARecordNumberAndItsSequenceIsIgnored) {
    sim::SimVolume volume;
    const auto frns = AddTree(volume, {u"a", u"b", u"c"});
    const Reply reply = Enum(volume, MakeFileReference(17, 0x1234));
    ASSERT_EQ(reply.records.size(), 2u);
    EXPECT_EQ(reply.records[0].frn, frns.at(u"b"));
}

TEST(Enumeration, OnlyEntriesWhoseUsnLiesBetweenLowAndHighInclusive) {
    sim::SimVolume volume;
    CreateJournal(volume);
    const std::uint64_t first = volume.CreateFile(kRootDirectoryFrn, u"first");
    const std::uint64_t second = volume.CreateFile(kRootDirectoryFrn, u"second");
    const std::int64_t firstUsn = volume.Find(first)->usn;
    const std::int64_t secondUsn = volume.Find(second)->usn;
    ASSERT_LT(firstUsn, secondUsn);
    const auto frnsOf = [](const Reply& reply) {
        std::vector<std::uint64_t> frns;
        for (const Record& record : reply.records)
            frns.push_back(record.frn);
        return frns;
    };
    EXPECT_EQ(frnsOf(Enum(volume, 0, 4096, 0, firstUsn)), std::vector<std::uint64_t>{first});
    EXPECT_EQ(frnsOf(Enum(volume, 0, 4096, secondUsn, secondUsn)),
              std::vector<std::uint64_t>{second});
    EXPECT_EQ(Enum(volume, 0, 4096, secondUsn + 1, secondUsn + 1000).error, kErrorHandleEof);
    EXPECT_EQ(Enum(volume, 0, 4096, 0, secondUsn).records.back().usn, secondUsn);
}

TEST(Enumeration, ErrorsForTheEndABadRequestAndATooSmallBuffer) {
    sim::SimVolume volume;
    volume.AddEntryQuietly(kRootDirectoryFrn, u"only", FILE_ATTRIBUTE_ARCHIVE_BIT);
    const Reply all = Enum(volume, 0);
    ASSERT_EQ(all.error, 0u);
    EXPECT_EQ(Enum(volume, all.header).error, kErrorHandleEof);
    EXPECT_EQ(Enum(volume, 0, 8 + 64 - 1).error, kErrorInsufficientBuffer);
    EXPECT_EQ(Enum(volume, 0, 4).error, kErrorInsufficientBuffer);

    struct V1 {
        MftEnumDataV0 v0;
        std::uint16_t minMajor, maxMajor;
        std::uint32_t pad;
    } v1{{0, 0, 1000}, 2, 3, 0};
    std::uint64_t out[64];
    std::uint32_t bytes = 99;
    EXPECT_EQ(volume.Control(FSCTL_ENUM_USN_DATA, &v1, sizeof(v1), out, sizeof(out), &bytes),
              kErrorInvalidParameter);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(volume.Control(0x00090000, nullptr, 0, out, sizeof(out), &bytes),
              kErrorInvalidFunction);
}

TEST(Enumeration, DeletedRecordNumbersAreReusedWithTheNextSequence) {
    sim::SimVolume volume;
    const std::uint64_t kept = volume.CreateFile(kRootDirectoryFrn, u"kept");
    const std::uint64_t gone = volume.CreateFile(kRootDirectoryFrn, u"gone");
    EXPECT_EQ(RecordNumberOf(kept), 16u);
    EXPECT_EQ(SequenceOf(gone), 1u);
    volume.Delete(gone);
    EXPECT_FALSE(volume.Find(gone));
    const std::uint64_t again = volume.CreateFile(kRootDirectoryFrn, u"again");
    EXPECT_EQ(RecordNumberOf(again), RecordNumberOf(gone));
    EXPECT_EQ(SequenceOf(again), 2u);
    volume.Delete(again);
    EXPECT_EQ(
        SequenceOf(volume.AddEntryQuietly(kRootDirectoryFrn, u"third", FILE_ATTRIBUTE_ARCHIVE_BIT)),
        3u);
    const auto records = EnumAll(volume);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].name, u"third");
}

TEST(Enumeration, ALoadedRecordWithTheLastSequenceWrapsPastZero) {
    sim::SimVolume volume;
    UsnRecordV2 header{};
    header.RecordLength = UsnRecordLengthFor(2);
    header.MajorVersion = 2;
    header.FileReferenceNumber = MakeFileReference(20, 0xFFFF);
    header.ParentFileReferenceNumber = kRootDirectoryFrn;
    header.FileNameLength = 2;
    header.FileNameOffset = 60;
    std::string bytes(header.RecordLength, '\0');
    std::memcpy(&bytes[0], &header, 60);
    bytes[60] = 'z';
    ASSERT_EQ(volume.LoadMftRecords(bytes).loaded, 1u);
    volume.Delete(MakeFileReference(20, 0xFFFF));
    // 16..19 were never used: they come first, at sequence 1.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(SequenceOf(volume.CreateFile(kRootDirectoryFrn, u"f")), 1u);
    EXPECT_EQ(volume.CreateFile(kRootDirectoryFrn, u"f"), MakeFileReference(20, 1));
}

}  // namespace
}  // namespace kx::testing
