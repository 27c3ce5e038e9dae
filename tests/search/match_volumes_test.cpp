#include "search/search_run.h"
#include "tests/support/search_state_test.h"
#include "tests/support/test_engine.h"

namespace kx::testing {
namespace {

using Names = std::vector<std::u16string>;

ResultList Search(const SearchEngine& engine, const std::u16string& query) {
    return MatchVolumes(engine, {query, CurrentGeneration()});
}

TEST(QueryMatching, FoldsAsciiLettersOnly) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"readme.txt");
    AddFile(volume, u"ReadMe.md");
    AddFile(volume, u"MY_README");
    AddFile(volume, u"read_me");
    AddFile(volume, u"\u00C4rger");  // capital A with diaeresis
    AddFile(volume, u"\u00E4rger");  // small a with diaeresis

    EXPECT_EQ(NamesOf(Search(test.engine, u"README")),
              (Names{u"readme.txt", u"ReadMe.md", u"MY_README"}));
    EXPECT_EQ(NamesOf(Search(test.engine, u"\u00E4RGER")), (Names{u"\u00E4rger"}));
    EXPECT_EQ(NamesOf(Search(test.engine, u"\u00C4rger")), (Names{u"\u00C4rger"}));
}

TEST(QueryMatching, BlanksAsterisksAndQuestionMarksArePlainCharacters) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"a b.txt");
    AddFile(volume, u"ab.txt");
    AddFile(volume, u"a  b");
    AddFile(volume, u"notes.txt");
    AddFile(volume, u"odd*.txt name");
    AddFile(volume, u"what?");

    EXPECT_EQ(NamesOf(Search(test.engine, u"a b")), (Names{u"a b.txt"}));
    EXPECT_EQ(NamesOf(Search(test.engine, u"*.txt")), (Names{u"odd*.txt name"}));
    EXPECT_EQ(NamesOf(Search(test.engine, u"t?")), (Names{u"what?"}));
}

TEST(QueryMatching, FindsFilesAndDirectoriesButNeverDeadRecords) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"Projects", true);
    AddFile(volume, u"PROJECTS");
    const std::uint64_t gone = AddFile(volume, u"projects.old");
    Journal(volume, USN_REASON_FILE_DELETE | USN_REASON_CLOSE, gone, kRootDirectoryFrn,
            u"projects.old");
    const std::uint64_t renamed = AddFile(volume, u"projects.tmp");
    Journal(volume, USN_REASON_RENAME_OLD_NAME, renamed, kRootDirectoryFrn, u"projects.tmp");
    Journal(volume, USN_REASON_RENAME_NEW_NAME, renamed, kRootDirectoryFrn, u"final");

    EXPECT_EQ(NamesOf(Search(test.engine, u"projects")), (Names{u"Projects", u"PROJECTS"}));
}

TEST(QueryMatching, MatchesAtEveryPositionAndOnlyWholeRuns) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"abc");
    AddFile(volume, u"xabc");
    AddFile(volume, u"xxabc");
    AddFile(volume, u"abcxx");
    AddFile(volume, u"ab");
    AddFile(volume, u"abxc");
    AddFile(volume, u"aabbcc");
    AddFile(volume, u"");

    EXPECT_EQ(NamesOf(Search(test.engine, u"ABC")), (Names{u"abc", u"xabc", u"xxabc", u"abcxx"}));
    EXPECT_EQ(NamesOf(Search(test.engine, u"c")).size(), 6u);
    EXPECT_EQ(NamesOf(Search(test.engine, u"ac")), Names{});
}

TEST(QueryMatching, QueryLongerThanEveryNameFindsNothing) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"short");
    AddFile(volume, u"shorter");
    EXPECT_TRUE(Search(test.engine, u"shortest!").items.empty());
    EXPECT_TRUE(Search(test.engine, u"shorter.").items.empty());
}

TEST(QueryMatching, HitsComeInVolumeOrderThenRecordOrder) {
    TestEngine test;
    VolumeIndex& d = test.AddVolume(u"D:");
    VolumeIndex& c = test.AddVolume(u"C:");
    AddFile(d, u"log 2");
    AddFile(c, u"log 3");
    AddFile(d, u"log 1");
    const ResultList hits = Search(test.engine, u"log");
    EXPECT_EQ(NamesOf(hits), (Names{u"log 2", u"log 1", u"log 3"}));
    ASSERT_EQ(hits.items.size(), 3u);
    EXPECT_EQ(hits.Hit(0).volume, &d);
    EXPECT_EQ(hits.Hit(2).volume, &c);
    EXPECT_LT(hits.items[0].recordIndex, hits.items[1].recordIndex);
    EXPECT_TRUE(hits.details->entries.empty()) << "no hit has details until somebody looks";
}

TEST(QueryMatching, NothingBeforeReadyNorWhenExitingNorWhenOutdated) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"data.bin");

    test.engine.ready.store(false);
    EXPECT_TRUE(Search(test.engine, u"data").items.empty());
    test.engine.ready.store(true);

    EXPECT_TRUE(MatchVolumes(test.engine, {u"data", CurrentGeneration() + 1}).items.empty());

    ExitRequested.store(true);
    EXPECT_TRUE(Search(test.engine, u"data").items.empty());
    ExitRequested.store(false);

    EXPECT_EQ(Search(test.engine, u"data").items.size(), 1u);
}

}  // namespace
}  // namespace kx::testing
