// The scan splits volumes into blocks scanned on every core, counts hits per category while it
// scans, narrows the list for the selected category and, typing ahead, scans only the last
// list's hits. Each of these is held here to a plain reference: one loop over every record,
// the category rule applied hit by hit.
#include <random>

#include "common/ascii_fold.h"
#include "common/utf.h"
#include "index/name_signature.h"
#include "search/category_filter.h"
#include "search/parallel_blocks.h"
#include "search/search_run.h"
#include "search/visible_results.h"
#include "tests/search/message_log.h"
#include "tests/search/stand_ins.h"
#include "tests/support/random_names.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

struct Hit {
    std::size_t slot;
    std::uint64_t recordIndex;
    std::uint64_t frn;
    bool operator==(const Hit& other) const {
        return slot == other.slot && recordIndex == other.recordIndex && frn == other.frn;
    }
};

std::vector<Hit> HitsOf(const ResultList& list) {
    std::vector<Hit> hits;
    for (const MatchItem& item : list.items)
        hits.push_back(Hit{item.volumeSlot, item.recordIndex, item.frn});
    return hits;
}

// The scan as one loop, record by record.
std::vector<Hit> ReferenceScan(const SearchEngine& engine, const std::u16string& query,
                               std::int32_t category = 0) {
    const std::u16string folded = FoldAscii(query);
    std::vector<Hit> hits;
    for (std::size_t slot = 0; slot < engine.volumes.size(); ++slot) {
        const VolumeIndex& volume = *engine.volumes[slot];
        for (std::size_t j = 0; j < volume.table.Size(); ++j) {
            const FileRecord& record = volume.table.Record(j);
            const std::u16string name = FoldAscii(volume.table.NameText(record));
            if (!record.IsDead() && name.find(folded) != std::u16string::npos &&
                RecordPassesCategory(volume.table, record, category)) {
                hits.push_back(Hit{slot, j, record.frn});
            }
        }
    }
    return hits;
}

class ScanReference : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        SelectCategory(0);
        SetCategoryCount(7);
    }

    // Adds files (every seventh a directory) to a volume, and kills a fifth of what it added.
    void Populate(VolumeIndex& volume, std::size_t count) {
        std::vector<std::uint64_t> added;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t frn = MakeFileReference(next_++, 1);
            AddRecord(volume, frn, kRootDirectoryFrn, RandomName(random_), random_() % 7 == 0);
            added.push_back(frn);
        }
        for (std::size_t i = 0; i < count / 5; ++i)
            Kill(volume, added[random_() % added.size()]);
    }

    // A new volume holding `files` populated files.
    VolumeIndex& Volume(const std::u16string& drive, std::size_t files) {
        VolumeIndex& volume = test.AddVolume(drive);
        Populate(volume, files);
        return volume;
    }

    void Kill(VolumeIndex& volume, std::uint64_t frn) {
        Journal(volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, frn, kRootDirectoryFrn, u"");
    }

    // A scan narrowed to `category`, typing ahead from `previous` when it is not null.
    ResultList Scan(const std::u16string& query, std::int32_t category = 0,
                    const ResultList* previous = nullptr) {
        return MatchVolumes(test.engine,
                            ScanRequest{query, CurrentGeneration(), category, previous});
    }

    TestEngine test;
    std::mt19937 random_{7};
    std::uint64_t next_ = 100;
};

TEST_F(ScanReference, HitsCountsAndNarrowedListsEqualTheReferenceForEveryCategory) {
    Volume(u"C:", 3000);
    Volume(u"D:", 500);
    for (const std::u16string query : {u"a", u"AB", u"b_", u"e.t", u".", u"abcabcabcabc"}) {
        for (std::int32_t category = 0; category < 7; ++category) {
            const ResultList list = Scan(query, category);
            ASSERT_EQ(HitsOf(list), ReferenceScan(test.engine, query)) << Utf16ToUtf8(query);
            const std::size_t inCategory = ReferenceScan(test.engine, query, category).size();
            EXPECT_EQ(CountHits(list, category, false), inCategory);
            EXPECT_EQ(CountHits(list, category, true), inCategory);
            if (category > 0) {
                ASSERT_NE(list.narrowed, nullptr);
                EXPECT_EQ(HitsOf(*list.narrowed), ReferenceScan(test.engine, query, category));
            }
        }
    }
}

TEST_F(ScanReference, LargeVolumesScannedInParallelBlocksKeepRecordOrder) {
    // Enough records that each volume is cut into a block per core.
    Volume(u"C:", 150000);
    Volume(u"D:", 70000);
    for (const std::u16string query : {u"a", u"bA", u"c_e", u"zzz"}) {
        const ResultList list = Scan(query, 1);
        EXPECT_EQ(HitsOf(list), ReferenceScan(test.engine, query)) << Utf16ToUtf8(query);
        EXPECT_EQ(HitsOf(*list.narrowed), ReferenceScan(test.engine, query, 1));
        EXPECT_EQ(CountHits(list, 2, false), ReferenceScan(test.engine, query, 2).size());
    }
}

// The name signatures and letter-pair runs let the scan skip names, and 8-bit names are passed
// over for a query beyond ASCII: a summary that left out a unit or a pair, or a name stored in
// the wrong width, would lose hits.
TEST_F(ScanReference, NoHitIsSkippedForNamesAndQueriesOfEveryKind) {
    VolumeIndex& c = Volume(u"C:", 150000);
    VolumeIndex& d = Volume(u"D:", 3000);
    AddRecord(d, MakeFileReference(next_++, 1), kRootDirectoryFrn, u"Zeta 09 \u6587\u4ef6.txt");
    AddRecord(c, MakeFileReference(next_++, 1), kRootDirectoryFrn, u"caf\u00c9 \U0001F600.Png");
    const std::u16string queries[] = {u"a",
                                      u"bA",
                                      u"c_e",
                                      u"zzz",
                                      u"09",
                                      u"ta",
                                      u"eta",
                                      u"Zeta 09",
                                      u"\u6587\u4ef6",
                                      u"a.t",
                                      u"\u00e9",
                                      u"\u00c9",
                                      u"b\u00e9",
                                      u"\U0001F600",
                                      std::u16string(1, 0xDE00),
                                      std::u16string(1, 0xD83D),
                                      u"\u00e9.P",
                                      u"AF\u00c9",
                                      std::u16string(1, 0x80)};
    for (const std::u16string& query : queries) {
        const ResultList list = Scan(query, 1);
        EXPECT_EQ(HitsOf(list), ReferenceScan(test.engine, query)) << Utf16ToUtf8(query);
        EXPECT_EQ(HitsOf(*list.narrowed), ReferenceScan(test.engine, query, 1));
        EXPECT_EQ(CountHits(list, 2, false), ReferenceScan(test.engine, query, 2).size());
    }
}

TEST_F(ScanReference, TypingAheadScansTheLastHitsAndWhatWasAppendedSince) {
    VolumeIndex& c = Volume(u"C:", 2000);
    VolumeIndex& d = Volume(u"D:", 80000);
    const ResultList first = Scan(u"ab");
    // Changes after the first scan: new names, and deaths among its hits.
    Populate(c, 300);
    Populate(d, 300);
    for (std::size_t i = 0; i < first.size(); i += 97)
        Kill(*first.Hit(i).volume, first.Hit(i).frn);
    for (const std::u16string query : {u"ab", u"abc", u"AB_", u"xab", u"ab "}) {
        const ResultList typed = Scan(query, 1, &first);
        EXPECT_EQ(HitsOf(typed), ReferenceScan(test.engine, query)) << Utf16ToUtf8(query);
        EXPECT_EQ(HitsOf(*typed.narrowed), ReferenceScan(test.engine, query, 1));
        EXPECT_EQ(CountHits(typed, 1, true), ReferenceScan(test.engine, query, 1).size());
    }
}

// Which records a typed-ahead scan reads, shown by changing a name behind the table's back
// (names never change in place otherwise): only the last hits are looked at while they are
// few, and every record once they are more than a quarter of the table.
TEST_F(ScanReference, TypingAheadReadsOnlyTheLastHitsWhileTheyAreFew) {
    VolumeIndex& c = Volume(u"C:", 5000);
    // Writes "abz" over the start of a name without `missing`, through the table's test hook.
    const auto rewriteANonHit = [&](char16_t missing) {
        for (std::size_t j = 1; j < c.table.Size(); ++j) {
            const FileRecord& record = c.table.Record(j);
            const std::u16string folded = FoldAscii(c.table.NameText(record));
            if (!record.IsDead() && record.nameLength >= 3 &&
                folded.find(missing) == std::u16string::npos) {
                std::u16string name = c.table.NameText(record);
                name.replace(0, 3, u"abz");
                c.table.OverwriteNameForTesting(j, name.data());
                return j;
            }
        }
        return std::size_t{0};
    };
    const ResultList few = Scan(u"ab");
    ASSERT_LT(few.size(), c.table.Size() / 4);
    const std::size_t changed = rewriteANonHit(u'b');
    ASSERT_NE(changed, 0u);
    const auto found = [&](const ResultList& list) {
        for (const MatchItem& item : list.items)
            if (item.recordIndex == changed)
                return true;
        return false;
    };
    EXPECT_FALSE(found(Scan(u"abz", 0, &few))) << "only the last hits were read";
    EXPECT_TRUE(found(Scan(u"abz"))) << "a whole scan reads every record";

    const ResultList many = Scan(u"a");
    ASSERT_GT(many.size(), c.table.Size() / 4);
    const std::size_t changedToo = rewriteANonHit(u'a');
    ASSERT_NE(changedToo, 0u);
    bool seen = false;
    for (const MatchItem& item : Scan(u"abz", 0, &many).items)
        seen = seen || item.recordIndex == changedToo;
    EXPECT_TRUE(seen) << "a quarter of the table or more is scanned whole";
}

TEST_F(ScanReference, TypingAheadAfterACompactionScansTheRenumberedVolumeWhole) {
    VolumeIndex& c = Volume(u"C:", 1000);
    VolumeIndex& d = Volume(u"D:", 1000);
    const ResultList first = Scan(u"b");
    Populate(c, 60000);  // kills 12,000: enough for a compaction
    c.Compact();
    ASSERT_NE(first.volumes[0].renumberGeneration, c.renumberGeneration.load());
    const ResultList typed = Scan(u"ba", 0, &first);
    EXPECT_EQ(HitsOf(typed), ReferenceScan(test.engine, u"ba"));
    // A list that is not a whole scan (sorted, or narrowed) is never used to type ahead.
    ResultList sorted = Scan(u"b");
    sorted.wholeScan = false;
    Populate(d, 100);
    EXPECT_EQ(HitsOf(Scan(u"ba", 0, &sorted)), ReferenceScan(test.engine, u"ba"));
}

TEST_F(ScanReference, CountsLeaveOutHitsThatDiedAfterTheScanOnlyOnTheirVolume) {
    Volume(u"C:", 2000);
    VolumeIndex& d = Volume(u"D:", 2000);
    const ResultList list = Scan(u"a");
    std::vector<std::size_t> before;
    for (std::int32_t category = 0; category < 7; ++category)
        before.push_back(CountHits(list, category, true));
    // A document hit on D: dies between the scan and the tag counts.
    std::size_t killed = list.size();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const HitRef hit = list.Hit(i);
        const HitRecordCopy record = CopyHitRecord(hit);
        if (hit.volume == &d && record.name.size() > 4 && !record.isDirectory &&
            record.name.compare(record.name.size() - 4, 4, u".txt") == 0) {
            killed = i;
            break;
        }
    }
    ASSERT_LT(killed, list.size());
    Kill(d, list.Hit(killed).frn);
    for (std::int32_t category = 0; category < 7; ++category) {
        EXPECT_EQ(CountHits(list, category, true), CountHitsInCategory(list, category, true));
        EXPECT_EQ(CountHits(list, category, false), CountHitsInCategory(list, category, false));
    }
    EXPECT_EQ(CountHits(list, 1, true), before[1] - 1);
    EXPECT_EQ(CountHits(list, 0, true), before[0] - 1);
    EXPECT_EQ(CountHits(list, 0, false), list.size()) << "the title counts every hit";
}

TEST_F(ScanReference, CountsOfAnotherCategoryListAreNotTrusted) {
    Volume(u"C:", 2000);
    const ResultList list = Scan(u"a", 1);
    SetCategoryCount(2);  // a reset: category 2 no longer exists, category 1 is a new list
    EXPECT_EQ(CountHits(list, 1, false), CountHitsInCategory(list, 1, false));
    EXPECT_EQ(CountHits(list, 2, false), list.size()) << "past the end counts as all files";
}

// The window's view of it: the visible list is the current list itself for all files, the
// worker's narrowed list for a category, and rebuilt here only when a volume was renumbered.
TEST_F(ScanReference, VisibleListIsTheWorkersOwnUnlessTheVolumeWasRenumbered) {
    VolumeIndex& c = Volume(u"C:", 3000);
    UseSearchEngineForTesting(&test.engine);
    MessageLog log;
    SelectCategory(1);
    StartSearch(u"a");
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, CurrentGeneration()));
    const SharedResults current = TakeCurrentResults();
    ASSERT_NE(current->narrowed, nullptr);
    EXPECT_EQ(GetVisibleResults(), current->narrowed);
    EXPECT_EQ(DisplayedCount.load(), static_cast<std::int64_t>(current->narrowed->size()));

    Populate(c, 60000);
    c.Compact();
    DropVisibleResults();
    const SharedResults rebuilt = GetVisibleResults();
    EXPECT_NE(rebuilt, current->narrowed);
    EXPECT_EQ(HitsOf(*rebuilt), HitsOf(*current->narrowed)) << "the same hits, found by frn";
}

}  // namespace
}  // namespace kx::testing
