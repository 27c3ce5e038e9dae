// MFT files and their sidecars: exact round trips, damage found where the program finds it,
// records numbered past what the file could describe counted, and the sidecar's parse errors.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/sim/sim_replies.h"
#include "tests/support/volume_builder.h"

namespace kx::testing {
namespace {

TEST(MftFile, SavingThenLoadingGivesTheSameRecordsByteForByte) {
    sim::SimVolume original;
    const auto frns = AddTree(original, {u"Windows\\notepad.exe", u"Users\\a\\\u6587\u6863.txt"});
    original.CreateFile(frns.at(u"Users\\a"), u"b.log");
    original.Delete(frns.at(u"Windows\\notepad.exe"));  // leaves a gap
    const std::string saved = original.SaveMftRecords();

    sim::SimVolume loaded;
    const sim::MftFileLoad load = loaded.LoadMftRecords(saved);
    EXPECT_EQ(load.loaded, 5u);
    EXPECT_EQ(load.beyondLimit, 0u);
    EXPECT_FALSE(load.damageOffset);
    EXPECT_EQ(loaded.SaveMftRecords(), saved);
    EXPECT_EQ(loaded.PathOf(frns.at(u"Users\\a")), u"Users\\a");
    // The gap is a free record again.
    EXPECT_EQ(RecordNumberOf(loaded.CreateFile(kRootDirectoryFrn, u"x")),
              RecordNumberOf(frns.at(u"Windows\\notepad.exe")));
}

TEST(MftFile, LoadedUsnsStayWithinTheJournalCreatedAfterThem) {
    sim::SimVolume original;
    CreateJournal(original);
    original.CreateFile(kRootDirectoryFrn, u"logged.txt", 3);
    const std::int64_t usn = original.LiveEntries().back().usn;
    ASSERT_GT(usn, 0);

    sim::SimVolume loaded;
    loaded.LoadMftRecords(original.SaveMftRecords());
    CreateJournal(loaded);
    EXPECT_GT(loaded.NextUsn(), usn);
    EXPECT_EQ(Enum(loaded, 0, 4096, 0, loaded.NextUsn()).records.size(), 1u);
}

TEST(MftFile, DamageIsReportedAtTheOffsetOfTheBadRecordAndEarlierRecordsAreKept) {
    sim::SimVolume original;
    AddTree(original, {u"one", u"two", u"three"});
    std::string bytes = original.SaveMftRecords();  // records of 72, 72 and 72 bytes
    bytes[72 + 56] = 100;                           // the second name runs past its record
    sim::SimVolume loaded;
    const sim::MftFileLoad damaged = loaded.LoadMftRecords(bytes);
    EXPECT_EQ(damaged.loaded, 1u);
    EXPECT_EQ(damaged.damageOffset, std::optional<std::size_t>(72));
    EXPECT_EQ(loaded.LiveEntryCount(), 1u);

    const sim::MftFileLoad cut = loaded.LoadMftRecords(original.SaveMftRecords().substr(0, 150));
    EXPECT_EQ(cut.loaded, 2u);
    EXPECT_EQ(cut.damageOffset, std::optional<std::size_t>(144));
}

TEST(MftFile, RecordsForTheMetafilesAreSkipped) {
    sim::SimVolume original;
    AddTree(original, {u"a"});
    std::string bytes = original.SaveMftRecords();
    const std::uint64_t root = kRootDirectoryFrn;
    std::memcpy(&bytes[8], &root, 8);  // the record now claims to be the root
    sim::SimVolume loaded;
    const sim::MftFileLoad load = loaded.LoadMftRecords(bytes);
    EXPECT_EQ(load.loaded, 0u);
    EXPECT_EQ(load.beyondLimit, 0u) << "a metafile record is expected, not out of range";
    EXPECT_EQ(loaded.Find(kRootDirectoryFrn)->name, u".");
}

TEST(MftFile, RecordsNumberedBeyondWhatTheFileCouldDescribeAreSkippedAndCounted) {
    sim::SimVolume original;
    AddTree(original, {u"one", u"two", u"three"});
    std::string bytes = original.SaveMftRecords();  // records of 72, 72 and 72 bytes
    // The limit depends on the file's size only, which renumbering leaves as it is.
    const std::uint64_t limit = sim::SimVolume().LoadMftRecords(bytes).recordNumberLimit;
    ASSERT_GT(limit, RecordNumberOf(original.LiveEntries().back().frn));
    const std::uint64_t renumbered[] = {limit - 1, limit, std::uint64_t{1} << 40};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::uint64_t frn = MakeFileReference(renumbered[i], 1);
        std::memcpy(&bytes[72 * i + 8], &frn, 8);
    }

    sim::SimVolume loaded;
    const sim::MftFileLoad load = loaded.LoadMftRecords(bytes);
    EXPECT_EQ(load.loaded, 1u);
    EXPECT_EQ(load.beyondLimit, 2u);
    EXPECT_EQ(load.recordNumberLimit, limit);
    EXPECT_FALSE(load.damageOffset);
    EXPECT_EQ(loaded.LiveEntryCount(), 1u);
    ASSERT_TRUE(loaded.Find(MakeFileReference(limit - 1, 1)));
    EXPECT_EQ(loaded.Find(MakeFileReference(limit - 1, 1))->name, u"one");
}

TEST(Sidecar, SetsSizesAndTimesAndRoundTrips) {
    sim::SimVolume volume;
    const auto frns = AddTree(volume, {u"a.txt", u"b.txt"});
    const std::string text = "\xEF\xBB\xBF# sizes\r\n" + std::to_string(frns.at(u"a.txt")) +
                             " 10 0x20 30\r\n\n  \t0x" +
                             [&] {
                                 char hex[32];
                                 std::snprintf(hex, sizeof(hex), "%llx",
                                               static_cast<unsigned long long>(frns.at(u"b.txt")));
                                 return std::string(hex);
                             }() +
                             "\t20 40 50 # trailing comment\n0x7FFF000000000999 1 2 3\n";
    std::string error;
    ASSERT_TRUE(volume.LoadSidecar(text, &error)) << error;
    EXPECT_EQ(volume.Find(frns.at(u"a.txt"))->size, 10);
    EXPECT_EQ(volume.Find(frns.at(u"a.txt"))->lastWriteTime, 0x20u);
    EXPECT_EQ(volume.Find(frns.at(u"b.txt"))->creationTime, 50u);

    sim::SimVolume copy;
    copy.LoadMftRecords(volume.SaveMftRecords());
    ASSERT_TRUE(copy.LoadSidecar(volume.SaveSidecar(), &error)) << error;
    EXPECT_EQ(copy.SaveSidecar(), volume.SaveSidecar());
}

TEST(Sidecar, TheFirstBadLineIsNamedAndNothingIsApplied) {
    sim::SimVolume volume;
    const auto frns = AddTree(volume, {u"a.txt"});
    const std::string good = std::to_string(frns.at(u"a.txt")) + " 10 20 30\n";
    struct Case {
        std::string line;
        std::string error;
    };
    const Case cases[] = {
        {"1 2 3\n", "line 2: expected FRN SIZE LASTWRITE CREATION, found 3 fields"},
        {"1 2 3 4 5\n", "line 2: expected FRN SIZE LASTWRITE CREATION, found 5 fields"},
        {"1 x 3 4\n", "line 2: SIZE 'x' is not a number"},
        {"1 -5 3 4\n", "line 2: SIZE '-5' is not a number"},
        {"1 2 0x 4\n", "line 2: LASTWRITE '0x' is not a number"},
        {"1 2 3 18446744073709551616\n", "line 2: CREATION '18446744073709551616' is out of range"},
        {"1 0x8000000000000000 3 4\n", "line 2: SIZE '0x8000000000000000' is out of range"},
        {"0xZZ 2 3 4\n", "line 2: FRN '0xZZ' is not a number"},
    };
    for (const Case& bad : cases) {
        std::string error;
        EXPECT_FALSE(volume.LoadSidecar(good + bad.line, &error)) << bad.line;
        EXPECT_EQ(error, bad.error);
    }
    EXPECT_EQ(volume.Find(frns.at(u"a.txt"))->size, 0) << "the good first line was not applied";
}

}  // namespace
}  // namespace kx::testing
