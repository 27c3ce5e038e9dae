// Searches, sorts, visible-list builds and detail loads while a volume's table is changed as
// the journal monitor changes it: batches of creations, renames and deletions under the
// exclusive lock, compactions once the dead records pass 10,000, and rebuilds that refill the
// table in another order. No hit may ever name another file: every file whose name contains
// "match" keeps it through its renames, every other file never gets it.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "common/ascii_fold.h"
#include "common/utf.h"
#include "filters/filter_category.h"
#include "search/details.h"
#include "search/search_run.h"
#include "search/sort_worker.h"
#include "tests/search/message_log.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

struct LiveFile {
    std::uint64_t frn;
    std::u16string name;
};

class JournalStorm {
  public:
    explicit JournalStorm(VolumeIndex& volume) : volume_(volume) {}

    void AddInitialFiles(int count) {
        for (int i = 0; i < count; ++i) {
            const std::uint64_t frn = NextFrn();
            const std::u16string name = NameFor(i % 2 == 0, i);
            AddRecord(volume_, frn, kRootDirectoryFrn, name);
            live_.push_back({frn, name});
        }
    }

    // One batch as the monitor applies it, then the monitor's compaction check.
    void Batch() {
        {
            std::unique_lock<SrwLock> guard(volume_.lock);
            for (int k = 0; k < 150; ++k) {
                const int action = static_cast<int>(random_() % 3);
                if (action == 0 || live_.size() < 100) {
                    const bool matching = random_() % 2 == 0;
                    const LiveFile file{NextFrn(), NameFor(matching, counter_++)};
                    Journal(volume_, USN_REASON_FILE_CREATE, file.frn, kRootDirectoryFrn,
                            file.name);
                    live_.push_back(file);
                } else {
                    const std::size_t pick = random_() % live_.size();
                    LiveFile& file = live_[pick];
                    if (action == 1) {
                        const bool matching =
                            FoldAscii(file.name).find(u"match") != std::u16string::npos;
                        const std::u16string renamed = NameFor(matching, counter_++);
                        Journal(volume_, USN_REASON_RENAME_OLD_NAME, file.frn, kRootDirectoryFrn,
                                file.name);
                        Journal(volume_, USN_REASON_RENAME_NEW_NAME, file.frn, kRootDirectoryFrn,
                                renamed);
                        file.name = renamed;
                    } else {
                        Journal(volume_, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, file.frn,
                                kRootDirectoryFrn, file.name);
                        freed_.push_back(file.frn);
                        live_[pick] = live_.back();
                        live_.pop_back();
                    }
                }
            }
        }
        if (volume_.table.DeadRecordsHeld() > kCompactionThreshold) {
            volume_.Compact();
            ++compactions;
        }
    }

    // A rebuild after a lost journal: the live files read afresh, in another order, swapped in
    // under the lock like the real one.
    void Rebuild() {
        FileTable table;
        table.Append(kRootDirectoryFrn, kRootDirectoryFrn, u".", 1, FILE_ATTRIBUTE_DIRECTORY_BIT);
        for (auto file = live_.rbegin(); file != live_.rend(); ++file) {
            table.Append(file->frn, kRootDirectoryFrn, file->name.data(),
                         static_cast<std::uint16_t>(file->name.size()), FILE_ATTRIBUTE_ARCHIVE_BIT);
        }
        table.MapAll();
        {
            std::unique_lock<SrwLock> guard(volume_.lock);
            std::swap(volume_.table, table);
            ++volume_.renumberGeneration;
            volume_.ForgetAllAttributes();
        }
        ++rebuilds;
    }

    int compactions = 0;
    int rebuilds = 0;

  private:
    // As NTFS does, a deleted file's record number is often given to a new file under the next
    // sequence number, while the old frn still names its dead record.
    std::uint64_t NextFrn() {
        if (!freed_.empty() && random_() % 2 == 0) {
            const std::uint64_t old = freed_.back();
            freed_.pop_back();
            return MakeFileReference(old & 0xFFFFFFFFFFFFull,
                                     static_cast<std::uint16_t>((old >> 48) % 0xFFFF + 1));
        }
        return MakeFileReference(nextRecord_++, 1);
    }
    // Every third name holds a unit beyond ASCII, so that it is stored in UTF-16.
    static std::u16string NameFor(bool matching, int n) {
        const std::u16string number = std::u16string(1, u'a' + n % 26) +
                                      std::u16string(1, u'a' + (n / 26) % 26) +
                                      (n % 3 == 0 ? u"\u00e9\u6587" : u"");
        return matching ? u"Match_" + number + u".txt" : u"other_" + number + u".dat";
    }

    VolumeIndex& volume_;
    std::vector<LiveFile> live_;
    std::vector<std::uint64_t> freed_;
    std::mt19937 random_{7};
    std::uint64_t nextRecord_ = 100;
    int counter_ = 0;
};

constexpr std::int32_t kColumnPathForCheck = 5;

bool NamesTheQuery(const std::u16string& path) {
    const std::size_t slash = path.rfind(u'\\');
    const std::u16string last = path.substr(slash == std::u16string::npos ? 0 : slash + 1);
    return FoldAscii(last).find(u"match") != std::u16string::npos;
}

class SearchUnderJournalStorm : public SearchStateTest {};

TEST_F(SearchUnderJournalStorm, NoHitEverNamesAnotherFile) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    JournalStorm storm(volume);
    // More records than one scan block holds, so that every search is scanned by several
    // threads at once while the storm runs.
    storm.AddInitialFiles(70000);
    UseSearchEngineForTesting(&test.engine);
    MessageLog log;

    std::atomic<bool> stormDone{false};
    std::thread monitor([&] {
        for (int batch = 1; batch <= 1000; ++batch) {
            storm.Batch();
            if (batch % 300 == 0)
                storm.Rebuild();
            std::this_thread::yield();
        }
        stormDone.store(true);
    });

    std::size_t checked = 0;
    std::size_t wrong = 0;
    auto check = [&](const HitRef& item, HitDetails& details) {
        LoadDetails(item, details);
        if (details.fullPath.empty())
            return;  // its file left the table: shown as gone, never as another file
        ++checked;
        if (!NamesTheQuery(details.fullPath)) {
            ++wrong;
            ADD_FAILURE() << "a hit names " << Utf16ToUtf8(details.fullPath) << " frn " << item.frn
                          << " index " << item.recordIndex << " gen " << item.renumberGeneration;
        }
    };

    std::mt19937 random(11);
    int rounds = 0;
    while (!stormDone.load() || rounds < 20) {
        ++rounds;
        // A category now and then, so that the worker's narrowed lists and counts are read
        // while the storm renumbers and kills their records; "match_" after "MATCH" types ahead.
        SelectedCategory = rounds % 4 == 0 ? 1 : 0;
        StartSearch(random() % 2 == 0 ? u"MATCH" : u"match_");
        // Every other search is let finish, so that hits of every age are painted and sorted;
        // the others are overtaken at once.
        if (rounds % 2 == 0)
            log.WaitFor(WM_SEARCH_DONE, CurrentGeneration(), std::chrono::seconds(10));
        if (rounds % 3 == 0) {
            StartSort(1 + static_cast<std::int32_t>(random() % 5));
            if (rounds % 6 == 0)
                log.WaitFor(WM_SEARCH_DONE, CurrentGeneration(), std::chrono::seconds(10));
        }
        DropVisibleResults();
        SharedResults visible = GetVisibleResults();
        const std::size_t shown = std::min<std::size_t>(40, visible->size());
        std::vector<HitDetails> rows = LoadedDetailsOf(visible, 0, shown);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            check(visible->Hit(i), rows[i]);
            const HitRecordCopy record = CopyHitRecord(visible->Hit(i));
            if (record.present && !NamesTheQuery(record.name))
                ADD_FAILURE() << "a hit's record is " << Utf16ToUtf8(record.name);
        }
        StoreLoadedDetails(visible, 0, rows);
        // The counts the window reads: the scan's, recounted for volumes the storm changed.
        CountHits(*visible, 1, true);
        CountHits(*visible, 0, false);
    }
    monitor.join();
    SelectedCategory = 0;
    StartSearch(u"match");
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, CurrentGeneration()));
    StartSort(kColumnPathForCheck);
    ASSERT_TRUE(log.WaitFor(WM_SEARCH_DONE, CurrentGeneration()));
    WaitForWorkers();

    // Whatever list ended current (searched or sorted meanwhile) holds only matching files.
    const SharedResults current = TakeCurrentResults();
    ASSERT_NE(current, nullptr);
    std::vector<HitDetails> all = LoadedDetailsOf(current, 0, current->size());
    for (std::size_t i = 0; i < all.size(); ++i)
        check(current->Hit(i), all[i]);
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(checked, 1000u);
    EXPECT_GE(storm.compactions, 2);
    EXPECT_GE(storm.rebuilds, 2);
}

}  // namespace
}  // namespace kx::testing
