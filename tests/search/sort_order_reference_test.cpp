// The orders the sort makes from integer keys against the comparison that defines them, over
// random lists: names in ASCII and beyond, equal and nearly equal names, long common prefixes,
// directories and files, equal sizes and zero times, on two volumes.
#include <algorithm>
#include <mutex>
#include <random>
#include <shared_mutex>

#include "search/category_classifier.h"
#include "search/category_filter.h"
#include "search/compare_match_items.h"
#include "search/details.h"
#include "search/hit_arena.h"
#include "search/hit_record.h"
#include "search/search_run.h"
#include "search/sort_key_pass.h"
#include "search/sort_keys.h"
#include "search/sort_worker.h"
#include "search/visible_results.h"
#include "tests/search/stand_ins.h"
#include "tests/support/search_state_test.h"
#include "tests/support/table_builder.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

const std::u16string kPieces[] = {u"a", u"B",    u"_", u"z",  u"Z",    u"0",     u".txt", u".JPG",
                                  u"~", u"\x7f", u"é", u"中", u"\xff", u"\x100", u"ab",   u"AB"};
const std::u16string kPrefixes[] = {u"", u"common_prefix_of_many_", u"Common_Prefix_Of_Many_",
                                    u"report-2026-"};

std::u16string RandomName(std::mt19937& random) {
    std::u16string name = kPrefixes[random() % 4];
    const std::size_t pieces = random() % 6;
    for (std::size_t k = 0; k < pieces; ++k)
        name += kPieces[random() % 16];
    return name.empty() ? u"e" : name;
}

class SortOrders : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        StandInClearFiles();
        UseSearchEngineForTesting(&test.engine);
        std::mt19937 random(20261210);
        std::vector<std::u16string> names;
        for (const std::u16string drive : {u"C:", u"D:"}) {
            VolumeIndex& volume = test.AddVolume(drive);
            // Folders whose paths share long prefixes, each holding files of shared names.
            std::vector<std::pair<std::uint64_t, std::u16string>> folders{
                {kRootDirectoryFrn, drive + u"\\"}};
            for (int k = 0; k < 6; ++k) {
                const auto& [parentFrn, parentPath] = folders[random() % folders.size()];
                const std::u16string name = RandomName(random);
                const std::uint64_t frn = MakeFileReference(100 + volume.table.Size(), 1);
                AddRecord(volume, frn, parentFrn, name, true);
                folders.emplace_back(frn, parentPath + name + u"\\");
            }
            for (int k = 0; k < 400; ++k) {
                const auto& [parentFrn, parentPath] = folders[random() % folders.size()];
                // Every fourth name is one seen before: the same file name in several folders.
                const std::u16string name = !names.empty() && random() % 4 == 0
                                                ? names[random() % names.size()]
                                                : RandomName(random);
                names.push_back(name);
                const bool isDirectory = random() % 8 == 0;
                AddRecord(volume, MakeFileReference(100 + volume.table.Size(), 1), parentFrn, name,
                          isDirectory);
                // Sizes and times from a few values, so that many are equal; some unreadable.
                if (random() % 10 != 0) {
                    StandInSetFile(
                        parentPath + name,
                        {static_cast<std::int64_t>(random() % 5) * 1000,
                         random() % 3 == 0 ? 0 : random() % 4, random() % 4, isDirectory});
                }
            }
        }
        ScanRequest everything;
        everything.generation = SearchGeneration.load();
        whole = std::make_shared<ResultList>(MatchVolumes(test.engine, everything));
        // Files deleted since the search: the tag counts leave them out, the list keeps them.
        VolumeIndex& first = *test.engine.volumes[0];
        std::unique_lock<SrwLock> guard(first.lock);
        for (std::size_t index = 1; index < first.table.Size(); index += 7)
            MarkDead(first, index);
    }
    void TearDown() override {
        StandInClearFiles();
        SearchStateTest::TearDown();
    }

    // The list after a header click on column, from `list`, in the given direction.
    SharedResults Sort(const SharedResults& list, std::int32_t column, bool ascending,
                       std::int32_t category = 0) {
        {
            std::lock_guard<std::mutex> guard(ResultsLock);
            CurrentResults = list;
        }
        SortAscending.store(ascending);
        SortWorker(SortRequest{SearchGeneration.fetch_add(1) + 1, column, category});
        return TakeCurrentResults();
    }

    // True when the defining comparison puts hit b strictly before hit a.
    static bool Before(const ResultList& list, std::int32_t column, bool ascending, std::size_t b,
                       std::size_t a) {
        if (column == kColumnName) {
            const int c =
                CompareFoldedText(CopyHitRecord(list.Hit(b)).name, CopyHitRecord(list.Hit(a)).name);
            return ascending ? c < 0 : c > 0;
        }
        const auto key = [&](std::size_t i) {
            return SortKey{&list.details->entries.at(DetailsKeyOf(list.items[i])),
                           CopyHitRecord(list.Hit(i), false).isDirectory};
        };
        return CompareMatchItems(column, ascending, key(b), key(a));
    }

    static std::vector<DetailsKey> Hits(const ResultList& list) {
        std::vector<DetailsKey> keys;
        for (const MatchItem& item : list.items)
            keys.push_back(DetailsKeyOf(item));
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    TestEngine test;
    SharedResults whole;
};

TEST_F(SortOrders, EveryColumnAndDirectionOrdersAsTheComparisonDoes) {
    ASSERT_GT(whole->size(), 800u);
    const struct {
        const char* how;
        bool ascending;
        bool reversing;  // sorted the other way first, so that the click reverses that list
    } clicks[] = {{"ascending", true, false},
                  {"descending", false, false},
                  {"reversed from ascending", false, true},
                  {"reversed from descending", true, true}};
    for (std::int32_t column = kColumnName; column <= kColumnPath; ++column) {
        for (const auto& click : clicks) {
            SCOPED_TRACE(::testing::Message() << "column " << column << ", " << click.how);
            SharedResults from = whole;
            if (click.reversing) {
                from = Sort(whole, column, !click.ascending);
                ASSERT_NE(from, whole);
            }
            const SharedResults sorted = Sort(from, column, click.ascending);
            ASSERT_TRUE(sorted != nullptr && sorted != from) << "the sort published its list";
            EXPECT_EQ(Hits(*sorted), Hits(*whole)) << "the same hits, each once";
            std::size_t misplaced = 0;
            for (std::size_t k = 1; k < sorted->size(); ++k)
                misplaced += Before(*sorted, column, click.ascending, k, k - 1) ? 1 : 0;
            EXPECT_EQ(misplaced, 0u);
            // The counts it carries for the tags are those a walk of its hits finds.
            const CategoryClassifier classifier(ScanCategories());
            for (std::size_t c = 0; c < classifier.CategoryCount(); ++c) {
                const auto category = static_cast<std::int32_t>(c);
                for (const bool skipDead : {true, false}) {
                    EXPECT_EQ(CountHits(*sorted, category, skipDead),
                              CountHitsInCategory(*sorted, category, skipDead))
                        << "category " << c << (skipDead ? ", live" : ", all");
                }
            }
        }
    }
}

// The hits of list that pass category, in its order, read from their records.
std::vector<DetailsKey> HitsInCategory(const ResultList& list, std::int32_t category) {
    std::vector<DetailsKey> keys;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const HitRef hit = list.Hit(i);
        std::shared_lock<SrwLock> guard(hit.volume->lock);
        const FileRecord* record = FindHitRecord(*hit.volume, hit);
        if (record != nullptr && RecordPassesCategory(hit.volume->table, *record, category))
            keys.push_back(DetailsKeyOf(list.items[i]));
    }
    return keys;
}

std::vector<DetailsKey> InOrder(const ResultList& list) {
    std::vector<DetailsKey> keys;
    for (const MatchItem& item : list.items)
        keys.push_back(DetailsKeyOf(item));
    return keys;
}

TEST_F(SortOrders, TheSortedListCarriesItsHitsOfTheSelectedCategoryInItsOrder) {
    const CategoryClassifier classifier(ScanCategories());
    ASSERT_GT(classifier.CategoryCount(), 2u);
    const struct {
        const char* how;
        std::int32_t column;
        bool reversing;
        bool deathsBetween;  // files deleted between the two clicks: the second sorts again
    } clicks[] = {{"name", kColumnName, false, false},
                  {"size", kColumnSize, false, false},
                  {"name reversed", kColumnName, true, false},
                  {"path reversed", kColumnPath, true, false},
                  {"name reversed after deletions", kColumnName, true, true}};
    for (std::size_t c = 1; c < classifier.CategoryCount(); ++c) {
        const auto category = static_cast<std::int32_t>(c);
        for (const auto& click : clicks) {
            SCOPED_TRACE(::testing::Message() << "category " << c << ", " << click.how);
            SharedResults from = whole;
            if (click.reversing)
                from = Sort(whole, click.column, true, category);
            if (click.deathsBetween) {
                VolumeIndex& second = *test.engine.volumes[1];
                std::unique_lock<SrwLock> guard(second.lock);
                MarkDead(second, second.table.Size() - 1 - c);
            }
            const SharedResults sorted = Sort(from, click.column, !click.reversing, category);
            ASSERT_TRUE(sorted && sorted->narrowed) << "the sort made the narrowed list";
            EXPECT_EQ(sorted->narrowedCategory, category);
            EXPECT_EQ(InOrder(*sorted->narrowed), HitsInCategory(*sorted, category));
            EXPECT_EQ(CountHits(*sorted, category, true),
                      CountHitsInCategory(*sorted, category, true));
        }
    }
}

TEST_F(SortOrders, ASortNoLongerWantedStopsAndReportsIt) {
    std::vector<SortEntry> entries(100000);
    std::mt19937 random(7);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = SortEntry{random(), static_cast<std::uint32_t>(random()),
                               static_cast<std::uint32_t>(i)};
    int asked = 0;
    EXPECT_FALSE(SortEntries(entries, nullptr, [&] { return ++asked > 0; }));
    EXPECT_GT(asked, 0);
    // The walk that builds the keys stops at the hit where it is told to.
    std::vector<SortEntry> keys;
    SortCensus census;
    std::size_t walked = 0;
    EXPECT_FALSE(BuildSortKeys(
        SortTexts{whole.get(), kColumnName, nullptr}, 0, [&] { return ++walked > 10; }, keys,
        census));
    EXPECT_EQ(walked, 11u) << "one block of hits: asked once a hit, stopped at the eleventh";
    EXPECT_TRUE(SortEntries(entries, nullptr, [] { return false; }));
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    }));
}

TEST_F(SortOrders, TheArenaGivesItsArraysBackAtRestAndKeepsThemAgainAfter) {
    HitArena& arena = *HitArenaOf(test.engine);
    (void)Sort(whole, kColumnName, true);  // a sorted list, freed: its arrays go home
    {
        std::lock_guard<std::mutex> guard(ResultsLock);
        CurrentResults.reset();
    }
    ASSERT_GT(arena.BytesKept(), 0u);
    arena.SetResting(true);
    EXPECT_EQ(arena.BytesKept(), 0u);
    (void)Sort(whole, kColumnName, true);
    {
        std::lock_guard<std::mutex> guard(ResultsLock);
        CurrentResults.reset();
    }
    EXPECT_EQ(arena.BytesKept(), 0u) << "nothing is kept while at rest";
    arena.SetResting(false);
    (void)Sort(whole, kColumnName, true);
    {
        std::lock_guard<std::mutex> guard(ResultsLock);
        CurrentResults.reset();
    }
    EXPECT_GT(arena.BytesKept(), 0u);
}

}  // namespace
}  // namespace kx::testing
