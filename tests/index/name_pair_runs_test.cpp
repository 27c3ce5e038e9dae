// The letter-pair runs let the scan pass over 16 records without reading them, so a run must
// hold every letter pair of its names (a missing pair is a hit lost), and should hold no other
// (an extra pair is only a wasted look), however the records came: all at once from a build, one
// at a time from the journal, or renumbered by compaction.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "index/name_pair_runs.h"
#include "tests/support/table_builder.h"

namespace kx::testing {
namespace {

// The pairs of run `run`, worked out from its names the slow way.
std::vector<std::uint64_t> ReferenceRun(const VolumeIndex& volume, std::size_t run) {
    std::vector<std::uint64_t> words(kPairWords, 0);
    for (std::size_t i = run * kPairRunRecords;
         i < volume.table.Size() && i < (run + 1) * kPairRunRecords; ++i) {
        const std::u16string folded = FoldAscii(NameOf(volume, i));
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

std::vector<std::uint64_t> RunOf(const FileTable& table, std::size_t run) {
    const PairSet pairs = table.RunPairs(run);
    return std::vector<std::uint64_t>(pairs.begin(), pairs.end());
}

TEST(NamePairRuns, EachRunHoldsExactlyTheLetterPairsOfItsNamesAppendedOrCompacted) {
    std::mt19937 random(5);
    const std::u16string units = u"abcdeqxyzABCZ09._- \u00e9\u6587";
    VolumeIndex volume;
    // More than a segment, so that runs on both sides of a segment's end are compared.
    for (std::size_t i = 0; i < kSegmentRecords + 3000; ++i) {
        std::u16string name;
        for (std::size_t k = 1 + random() % 12; k > 0; --k)
            name += units[random() % units.size()];
        AddRecord(volume, MakeFileReference(10 + i, 1), kRootDirectoryFrn, name);
        if (i % 5 == 0)
            MarkDead(volume, i);
    }
    for (int compacted = 0; compacted < 2; ++compacted) {
        const std::size_t runs = (volume.table.Size() + kPairRunRecords - 1) / kPairRunRecords;
        std::size_t wrong = 0;
        for (std::size_t run = 0; run < runs; ++run)
            wrong += RunOf(volume.table, run) == ReferenceRun(volume, run) ? 0 : 1;
        EXPECT_EQ(wrong, 0u) << (compacted ? "after compaction" : "appended");
        volume.Compact();
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
    const SegmentView segment = volume.table.SegmentOf(0);
    EXPECT_TRUE(segment.RunMayHold(query(u"ev"), 0));
    EXPECT_FALSE(segment.RunMayHold(query(u"ev"), 1));
    EXPECT_FALSE(segment.RunMayHold(query(u"event.lox"), 0));  // "lo", "ox": no "ox"
    EXPECT_TRUE(segment.RunMayHold(query(u"t.l"), 1));         // no letter pair: nothing ruled out
    EXPECT_FALSE(segment.RunMayHold(query(u"zz"), 0));
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

}  // namespace
}  // namespace kx::testing
