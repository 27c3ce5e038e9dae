// FSCTL_READ_USN_JOURNAL, FSCTL_QUERY_USN_JOURNAL and FSCTL_CREATE_USN_JOURNAL: what a
// reader is given, where it goes on, and the errors of a lost journal.
#include <gtest/gtest.h>

#include "platform/windows_errors.h"
#include "tests/sim/sim_replies.h"
#include "tests/support/volume_builder.h"

namespace kx::testing {
namespace {

constexpr std::uint32_t kProgramMask = 0x00003300;

UsnJournalDataV0 Query(sim::SimVolume& volume, std::uint32_t* error = nullptr) {
    UsnJournalDataV0 data{};
    std::uint32_t bytes = 0;
    const std::uint32_t result =
        volume.Control(FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof(data), &bytes);
    if (error != nullptr)
        *error = result;
    return data;
}

TEST(JournalQuery, FailsWithoutAJournalAndReportsItOnceCreated) {
    sim::SimVolume volume;
    std::uint32_t error = 0;
    Query(volume, &error);
    EXPECT_EQ(error, kErrorJournalNotActive);
    const std::uint64_t id = CreateJournal(volume, 1 << 20);
    const UsnJournalDataV0 data = Query(volume, &error);
    EXPECT_EQ(error, 0u);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(data.UsnJournalID, id);
    EXPECT_EQ(data.FirstUsn, 0);
    EXPECT_EQ(data.NextUsn, 0);
    EXPECT_EQ(data.MaximumSize, 1u << 20);
    EXPECT_GT(data.MaxUsn, 0);
}

TEST(JournalQuery, CreatingAgainOnlyAdjustsTheSizes) {
    sim::SimVolume volume;
    const std::uint64_t id = CreateJournal(volume, 1 << 20);
    volume.CreateFile(kRootDirectoryFrn, u"a.txt", 1);
    const std::int64_t next = volume.NextUsn();
    EXPECT_EQ(CreateJournal(volume, 1 << 22), id);
    EXPECT_EQ(Query(volume).MaximumSize, 1u << 22);
    EXPECT_EQ(volume.NextUsn(), next);
}

TEST(JournalRead, UsnsAreByteOffsetsInTheJournal) {
    sim::SimVolume volume;
    CreateJournal(volume);
    volume.CreateFile(kRootDirectoryFrn, u"abc", 1);  // 66 bytes: records of 72
    const auto records = JournalSince(volume, 0);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].usn, 0);
    EXPECT_EQ(records[1].usn, 72);
    EXPECT_EQ(records[2].usn, 144);
    EXPECT_EQ(volume.NextUsn(), 216);
}

TEST(JournalRead, OnlyRecordsWithABitOfTheMaskAndTheNextUsnPassesTheRest) {
    sim::SimVolume volume;
    CreateJournal(volume);
    const std::uint64_t frn = volume.CreateFile(kRootDirectoryFrn, u"a.txt");
    volume.SetSize(frn, 100);  // outside the mask
    volume.SetTimes(frn, 1, 1);
    const Reply reply = ReadJournal(volume, 0, kProgramMask);
    ASSERT_EQ(reply.error, 0u);
    ASSERT_EQ(reply.records.size(), 2u);
    EXPECT_EQ(reply.records[1].reason, USN_REASON_FILE_CREATE | USN_REASON_CLOSE);
    EXPECT_EQ(static_cast<std::int64_t>(reply.header), volume.NextUsn())
        << "past the records the mask passed over";
    const Reply skippedOnly = ReadJournal(volume, reply.records[1].usn + 1, kProgramMask);
    EXPECT_EQ(skippedOnly.bytes, 8u);
    EXPECT_EQ(static_cast<std::int64_t>(skippedOnly.header), volume.NextUsn());
}

TEST(JournalRead, NothingNewIsTheHeaderAloneHoldingTheStartUsn) {
    sim::SimVolume volume;
    CreateJournal(volume);
    volume.CreateFile(kRootDirectoryFrn, u"a.txt");
    const Reply reply = ReadJournal(volume, volume.NextUsn(), kProgramMask);
    EXPECT_EQ(reply.error, 0u);
    EXPECT_EQ(reply.bytes, 8u);
    EXPECT_EQ(static_cast<std::int64_t>(reply.header), volume.NextUsn());
}

TEST(JournalRead, AFullBufferStopsAtTheFirstRecordNotGiven) {
    sim::SimVolume volume;
    CreateJournal(volume);
    for (int i = 0; i < 5; ++i)
        volume.CreateFile(kRootDirectoryFrn, u"ab");  // 64-byte records
    const Reply reply = ReadJournal(volume, 0, kProgramMask, 8 + 3 * 64 + 10);
    ASSERT_EQ(reply.records.size(), 3u);
    EXPECT_EQ(static_cast<std::int64_t>(reply.header), 3 * 64);
    const Reply rest = ReadJournal(volume, static_cast<std::int64_t>(reply.header), kProgramMask);
    EXPECT_EQ(rest.records.size(), 7u);
    EXPECT_EQ(ReadJournal(volume, 0, kProgramMask, 8 + 63).error, kErrorInsufficientBuffer);
}

TEST(JournalRead, AWrappedJournalRejectsAReaderLeftBehind) {
    sim::SimVolume volume;
    CreateJournal(volume);
    volume.SetJournalMaximumSize(1024);
    for (int i = 0; i < 50; ++i)
        volume.CreateFile(kRootDirectoryFrn, u"churn.bin");
    EXPECT_GT(volume.FirstUsn(), 0);
    EXPECT_LE(volume.NextUsn() - volume.FirstUsn(), 1024);
    EXPECT_EQ(ReadJournal(volume, 72).error, kErrorJournalEntryDeleted);
    const Reply fromFirst = ReadJournal(volume, volume.FirstUsn());
    ASSERT_EQ(fromFirst.error, 0u);
    EXPECT_EQ(fromFirst.records.front().usn, volume.FirstUsn());
    // 0 means the journal's beginning, wherever that is now.
    EXPECT_EQ(ReadJournal(volume, 0).records.front().usn, volume.FirstUsn());
}

TEST(JournalRead, ADeletedJournalFailsAndARecreatedOneHasANewIdAndFreshUsns) {
    sim::SimVolume volume;
    const std::uint64_t oldId = CreateJournal(volume);
    const std::uint64_t frn = volume.CreateFile(kRootDirectoryFrn, u"a.txt", 5);
    volume.DeleteJournal();
    EXPECT_FALSE(volume.HasJournal());
    EXPECT_EQ(ReadJournal(volume, 0, kProgramMask, 65536, oldId).error, kErrorJournalNotActive);
    EXPECT_EQ(volume.Find(frn)->usn, 0) << "entries lose their USNs with the journal";
    const std::uint64_t newId = CreateJournal(volume);
    EXPECT_NE(newId, oldId);
    EXPECT_EQ(volume.NextUsn(), 0);
    // An enumeration bounded by the new journal still returns the file.
    EXPECT_EQ(Enum(volume, 0, 4096, 0, volume.NextUsn()).records.size(), 1u);
    EXPECT_EQ(ReadJournal(volume, 0, kProgramMask, 65536, oldId).error, kErrorInvalidParameter);
}

TEST(JournalRead, BadRequestsAreInvalidParameters) {
    sim::SimVolume volume;
    CreateJournal(volume);
    ReadUsnJournalDataV0 request{0, kProgramMask, 0, 0, 0, volume.JournalId()};
    std::uint64_t out[16];
    std::uint32_t bytes = 0;
    EXPECT_EQ(volume.Control(FSCTL_READ_USN_JOURNAL, &request, 32, out, sizeof(out), &bytes),
              kErrorInvalidParameter);
    EXPECT_EQ(volume.Control(FSCTL_READ_USN_JOURNAL, &request, sizeof(request), out, 4, &bytes),
              kErrorInsufficientBuffer);
    CreateUsnJournalData create{1, 1};
    EXPECT_EQ(volume.Control(FSCTL_CREATE_USN_JOURNAL, &create, 8, nullptr, 0, &bytes),
              kErrorInvalidParameter);
}

}  // namespace
}  // namespace kx::testing
