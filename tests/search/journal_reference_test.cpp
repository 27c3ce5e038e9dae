// A volume changed through the journal only (creations, renames, moves and deletions of names of
// every kind), then compacted, held to a plain model of its files: which files a query finds,
// every file's full path, and the order of a sort by name.
#include <algorithm>
#include <map>
#include <random>

#include "common/ascii_fold.h"
#include "common/utf.h"
#include "search/compare_match_items.h"
#include "search/search_run.h"
#include "search/sort_worker.h"
#include "search/visible_results.h"
#include "tests/search/message_log.h"
#include "tests/support/random_names.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

struct ModelFile {
    std::u16string name;
    std::uint64_t parent = 0;
    bool isDirectory = false;
};

class JournalReference : public SearchStateTest {
  protected:
    void SetUp() override {
        SearchStateTest::SetUp();
        volume = &test.AddVolume(u"C:");
        UseSearchEngineForTesting(&test.engine);
    }

    std::uint64_t Pick(bool directory) {
        std::vector<std::uint64_t> wanted;
        for (const auto& [frn, file] : files)
            if (file.isDirectory == directory)
                wanted.push_back(frn);
        return wanted.empty() ? 0 : wanted[random() % wanted.size()];
    }
    std::uint64_t AnyDirectory() {
        const std::uint64_t directory = Pick(true);
        return directory == 0 || random() % 4 == 0 ? kRootDirectoryFrn : directory;
    }

    // One change as the journal reports it, applied to the table and to the model. Directories
    // are renamed but never moved (no cycles) nor deleted (their children keep a parent).
    void Change() {
        const unsigned kind = random() % 10;
        const std::uint64_t file = Pick(false);
        if (kind < 4 || file == 0) {
            const bool directory = random() % 5 == 0;
            const std::uint64_t frn = MakeFileReference(next++, 1);
            const ModelFile made{RandomName(random), AnyDirectory(), directory};
            Journal(*volume, USN_REASON_FILE_CREATE, frn, made.parent, made.name, directory);
            files[frn] = made;
        } else if (kind < 7) {
            const std::uint64_t frn = kind == 4 && Pick(true) != 0 ? Pick(true) : file;
            ModelFile& renamed = files[frn];
            Journal(*volume, USN_REASON_RENAME_OLD_NAME, frn, renamed.parent, renamed.name,
                    renamed.isDirectory);
            if (!renamed.isDirectory && kind == 6)
                renamed.parent = AnyDirectory();
            renamed.name = RandomName(random);
            Journal(*volume, USN_REASON_RENAME_NEW_NAME, frn, renamed.parent, renamed.name,
                    renamed.isDirectory);
        } else {
            Journal(*volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, file, files[file].parent,
                    files[file].name);
            files.erase(file);
        }
    }

    std::u16string ModelPath(std::uint64_t frn) const {
        std::u16string path;
        for (; frn != kRootDirectoryFrn; frn = files.at(frn).parent)
            path = u"\\" + files.at(frn).name + path;
        return u"C:" + path;
    }

    // Every difference between the table and the model, for one query.
    std::size_t Differences(const std::u16string& query) {
        const std::u16string folded = FoldAscii(query);
        std::vector<std::uint64_t> expected;
        for (const auto& [frn, file] : files)
            if (FoldAscii(file.name).find(folded) != std::u16string::npos)
                expected.push_back(frn);
        StartSearch(query);
        EXPECT_TRUE(log.WaitFor(WM_SEARCH_DONE, CurrentGeneration()));
        const SharedResults hits = TakeCurrentResults();
        std::vector<std::uint64_t> found;
        for (std::size_t i = 0; i < hits->size(); ++i)
            found.push_back(hits->Hit(i).frn);
        std::sort(found.begin(), found.end());
        std::size_t differences = found == expected ? 0 : 1;

        // The sort's order: folded names ascending, then descending on a second click; equal
        // names may come in any order, so only the names are compared.
        std::vector<std::u16string> names;
        for (std::uint64_t frn : expected)
            names.push_back(FoldAscii(files.at(frn).name));
        std::sort(names.begin(), names.end());
        for (int click = 0; click < 2; ++click) {
            StartSort(kColumnName);
            EXPECT_TRUE(log.WaitFor(WM_SEARCH_DONE, CurrentGeneration()));
            WaitForWorkers();
            std::vector<std::u16string> sorted;
            for (const std::u16string& name : NamesOf(*TakeCurrentResults()))
                sorted.push_back(FoldAscii(name));
            differences += sorted == names ? 0 : 1;
            std::reverse(names.begin(), names.end());
        }
        return differences;
    }

    std::size_t WrongPaths() {
        std::size_t wrong = 0;
        for (const auto& [frn, file] : files) {
            const FileRecord* record = volume->table.NewestRecordOf(frn);
            wrong += record != nullptr && !record->IsDead() &&
                             BuildFullPath(*volume, *record) == ModelPath(frn)
                         ? 0
                         : 1;
        }
        return wrong;
    }

    TestEngine test;
    VolumeIndex* volume = nullptr;
    MessageLog log;
    std::map<std::uint64_t, ModelFile> files;
    std::mt19937 random{23};
    std::uint64_t next = 100;
};

TEST_F(JournalReference, HitsPathsAndNameOrderFollowTheJournalAndSurviveCompaction) {
    const std::u16string queries[] = {u"a",      u"Ab",      u".txt",   u"e_",
                                      u"\u00e9", u"\u00c9B", u"\u6587", u"\U0001F600"};
    for (int round = 0; round < 2; ++round) {
        for (int change = 0; change < 20000; ++change)
            Change();
        ASSERT_EQ(WrongPaths(), 0u) << "round " << round;
        for (const std::u16string& query : queries)
            EXPECT_EQ(Differences(query), 0u) << Utf16ToUtf8(query) << ", round " << round;
        ASSERT_GT(volume->table.DeadRecordsHeld(), kCompactionThreshold);
        volume->Compact();
        ASSERT_EQ(volume->table.DeadRecordsHeld(), 0u);
        EXPECT_EQ(WrongPaths(), 0u) << "after compaction " << round;
        EXPECT_EQ(Differences(u"b"), 0u) << "after compaction " << round;
    }
}

}  // namespace
}  // namespace kx::testing
