// The letter-pair runs let the scan pass over 16 records without reading them, so a run must
// hold every letter pair of its names (a missing pair is a hit lost), however the records came:
// all at once from a build, one at a time from the journal, or after memory ran out mid-way.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/allocation_failure.h"
#include "index/name_pair_runs.h"
#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

// The pairs of run `run`, worked out from its names the slow way.
std::vector<std::uint64_t> ReferenceRun(const VolumeIndex& volume, std::size_t run) {
    std::vector<std::uint64_t> words(kPairWords, 0);
    for (std::size_t i = run * kPairRunRecords;
         i < volume.records.size() && i < (run + 1) * kPairRunRecords; ++i) {
        const std::u16string folded(volume.records[i].FoldedName(), volume.records[i].nameLength);
        for (std::size_t k = 0; k + 1 < folded.size(); ++k) {
            const char16_t a = folded[k];
            const char16_t b = folded[k + 1];
            if (a >= u'a' && a <= u'z' && b >= u'a' && b <= u'z') {
                const std::size_t bit = static_cast<std::size_t>((a - u'a') * 26 + (b - u'a'));
                words[bit / 64] |= std::uint64_t{1} << (bit % 64);
            }
        }
    }
    return words;
}

std::vector<std::uint64_t> RunOf(const NamePairRuns& runs, std::size_t run) {
    std::vector<std::uint64_t> words;
    for (std::size_t w = 0; w < kPairWords; ++w)
        words.push_back(runs.words[w][run]);
    return words;
}

TEST(NamePairRuns, EachRunHoldsExactlyTheLetterPairsOfItsNamesWhetherBuiltOrAppended) {
    std::mt19937 random(5);
    const std::u16string units = u"abcdeqxyzABCZ09._- \u00e9\u6587";
    VolumeIndex appended;
    for (int i = 0; i < 1000; ++i) {
        std::u16string name;
        for (std::size_t k = 1 + random() % 12; k > 0; --k)
            name += units[random() % units.size()];
        AddRecord(appended, MakeFileReference(10 + i, 1), kRootDirectoryFrn, name);
    }
    ASSERT_EQ(appended.namePairs.covered, appended.records.size());
    NamePairRuns built;
    ExtendNamePairRuns(appended.records, built);
    ASSERT_EQ(built.RunCount(), (appended.records.size() + kPairRunRecords - 1) / kPairRunRecords);
    for (std::size_t run = 0; run < built.RunCount(); ++run) {
        EXPECT_EQ(RunOf(built, run), ReferenceRun(appended, run)) << "run " << run;
        EXPECT_EQ(RunOf(appended.namePairs, run), RunOf(built, run)) << "run " << run;
    }
}

TEST(NamePairRuns, RulesOutOnlyWholeRunsThatLackAPairOfTheQuery) {
    VolumeIndex volume;
    for (int i = 0; i < 40; ++i)
        AddRecord(volume, MakeFileReference(10 + i, 1), kRootDirectoryFrn,
                  i == 3 ? u"Event.log" : u"notes.txt");
    const auto query = [](const std::u16string& text) {
        return PairQueryOf(text.data(), text.size());
    };
    EXPECT_TRUE(RunMayHold(volume.namePairs, query(u"ev"), 0));
    EXPECT_FALSE(RunMayHold(volume.namePairs, query(u"ev"), 1));
    EXPECT_FALSE(RunMayHold(volume.namePairs, query(u"event.lox"), 0));  // "lo", "ox": no "ox"
    EXPECT_TRUE(
        RunMayHold(volume.namePairs, query(u"t.l"), 1));  // no letter pair: nothing ruled out
    // Runs reaching past the covered records (the last one here, or all after a failure) hold
    // names nobody summed up.
    EXPECT_TRUE(RunMayHold(volume.namePairs, query(u"ev"), 2));
    volume.namePairs.covered = 20;
    EXPECT_TRUE(RunMayHold(volume.namePairs, query(u"ev"), 1));
    EXPECT_FALSE(RunMayHold(volume.namePairs, query(u"zz"), 0));
}

TEST(NamePairRuns, AQueryKeepsOnlyItsLetterPairsInTheWordsTheyFallIn) {
    EXPECT_TRUE(PairQueryOf(u"a", 1).Empty());
    EXPECT_TRUE(PairQueryOf(u"9z.a_b", 6).Empty());
    const PairQuery one = PairQueryOf(u"abab", 4);  // "ab", "ba": bits 1 and 26, word 0
    ASSERT_EQ(one.wordCount, 1u);
    EXPECT_EQ(one.word[0], 0u);
    EXPECT_EQ(one.bits[0], (std::uint64_t{1} << 1) | (std::uint64_t{1} << 26));
    const PairQuery two = PairQueryOf(u"azz", 3);  // "az" word 0, "zz" (675) word 10
    ASSERT_EQ(two.wordCount, 2u);
    EXPECT_EQ(two.word[1], 10u);
    EXPECT_EQ(two.bits[1], std::uint64_t{1} << (675 % 64));
}

// The 11 words of a new run grow one after another; whichever of them cannot grow, the others
// are taken back, so that every word still has a value for every run and the records after
// the covered ones are left for the next try.
TEST(NamePairRuns, RunningOutOfMemoryForANewRunLeavesTheRunsAsTheyWere) {
    static const char16_t name[] = u"ab\0ab";
    // One record past enough runs that the next one makes every word's array large.
    const std::size_t runs = std::size_t{8192};
    std::vector<FileRecord> records(runs * kPairRunRecords + 1);
    for (FileRecord& record : records) {
        record.name = name;
        record.nameLength = 2;
    }
    for (std::uint64_t failing = 1; failing <= kPairWords; ++failing) {
        NamePairRuns pairs;
        records.pop_back();
        ExtendNamePairRuns(records, pairs);
        const FileRecord last = records.back();
        records.push_back(last);
        FailNthLargeAllocation(failing);
        EXPECT_THROW(ExtendNamePairRuns(records, pairs), std::bad_alloc) << failing;
        FailNthLargeAllocation(0);
        EXPECT_EQ(pairs.covered, runs * kPairRunRecords);
        for (const std::vector<std::uint64_t>& word : pairs.words)
            ASSERT_EQ(word.size(), runs) << "word array failing " << failing;
        ExtendNamePairRuns(records, pairs);
        EXPECT_EQ(pairs.covered, records.size());
        EXPECT_EQ(pairs.RunCount(), runs + 1);
        EXPECT_EQ(pairs.words[0][runs], std::uint64_t{1} << 1);
    }
}

}  // namespace
}  // namespace kx::testing
