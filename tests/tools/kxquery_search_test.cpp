// kxquery run as a program: searches over the demo volume and over MFT files written here,
// timed query lists, and the errors of its command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/simulated_volume.h"
#include "platform/usn_layout.h"
#include "tests/support/volume_builder.h"
#include "tests/tools/tool_runner.h"

namespace kx::testing {
namespace {

using Lines = std::vector<std::string>;

Lines Sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A field of a tab-separated line.
std::string Field(const std::string& line, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i)
        start = line.find('\t', start) + 1;
    return line.substr(start, line.find('\t', start) - start);
}

TEST(KxquerySearch, PrintsTheFullPathOfEveryHitInRecordOrder) {
    const ToolRun run = RunKxquery({"--demo", "--query", "read"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.Lines(), (Lines{"C:\\Program Files\\Kestrix\\README.txt",
                                  "C:\\Users\\demo\\Documents\\readme.md",
                                  "C:\\Users\\demo\\Downloads\\MY_README"}));
    EXPECT_EQ(run.err, "");
}

TEST(KxquerySearch, FoldsOnlyAsciiLettersAndPrintsUtf8) {
    // The capital umlaut is not folded, so only the query that spells it as stored matches.
    EXPECT_EQ(RunKxquery({"--demo", "--query", "\xC3\xA4rger"}).out, "");
    EXPECT_EQ(RunKxquery({"--demo", "--query", "\xC3\x84RGER"}).Lines(),
              (Lines{"C:\\Users\\demo\\Documents\\\xC3\x84rger und Freude.txt"}));
    EXPECT_EQ(RunKxquery({"--demo", "--query", "\xE4\xBC\x9A\xE8\xAE\xAE"}).Lines(),
              (Lines{"C:\\Users\\demo\\Documents\\\xE4\xBC\x9A\xE8\xAE\xAE\xE8\xAE\xB0\xE5\xBD\x95"
                     ".docx"}));
}

TEST(KxquerySearch, EmptyQueryAndQueryWithoutHitsPrintNothing) {
    for (const char* query : {"", "no such name", "*.txt"}) {
        const ToolRun run = RunKxquery({"--demo", "--query", query});
        EXPECT_EQ(run.status, 0) << query;
        EXPECT_EQ(run.out, "") << query;
    }
}

TEST(KxquerySearch, CategoryKeepsOnlyFilesWithItsExtensions) {
    // "e" matches directories too; the images category keeps files only.
    const ToolRun run = RunKxquery({"--demo", "--query", "e", "--category", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.Lines(), (Lines{"C:\\Users\\demo\\Pictures\\screenshot.png",
                                  "C:\\Users\\demo\\Pictures\\\xE5\xAE\xB6\xE5\xBA\xAD\xE7\x85\xA7"
                                  "\xE7\x89\x87.jpeg"}));
    const ToolRun all = RunKxquery({"--demo", "--query", "e", "--category", "0"});
    EXPECT_GT(all.Lines().size(), run.Lines().size());
}

TEST(KxquerySearch, DetailsAreNameSizeTimesAndPathSeparatedByTabs) {
    const ToolRun run = RunKxquery({"--demo", "--query", "notes", "--details"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.Lines(), (Lines{"notes.txt\t1023 B\t2026-04-17 06:26\t2026-04-16 18:26\t"
                                  "C:\\Users\\demo\\Documents\\notes.txt"}));
    // A directory has no size text.
    const ToolRun directory = RunKxquery({"--demo", "--query", "System32", "--details"});
    ASSERT_EQ(directory.Lines().size(), 1u);
    EXPECT_EQ(Field(directory.Lines()[0], 0), "System32");
    EXPECT_EQ(Field(directory.Lines()[0], 1), "");
    EXPECT_EQ(Field(directory.Lines()[0], 4), "C:\\Windows\\System32");
}

TEST(KxquerySearch, SortsByNameBothWays) {
    const Lines ascending = RunKxquery({"--demo", "--query", "readme", "--sort", "name"}).Lines();
    EXPECT_EQ(ascending, (Lines{"C:\\Users\\demo\\Downloads\\MY_README",
                                "C:\\Users\\demo\\Documents\\readme.md",
                                "C:\\Program Files\\Kestrix\\README.txt"}));
    Lines descending =
        RunKxquery({"--demo", "--query", "readme", "--sort", "name", "--descending"}).Lines();
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(descending, ascending);
}

TEST(KxquerySearch, SortBySizePutsDirectoriesFirstAscendingAndLastDescending) {
    for (const bool descending : {false, true}) {
        std::vector<std::string> arguments{"--demo", "--query", "s", "--sort", "size", "--details"};
        if (descending)
            arguments.push_back("--descending");
        const Lines lines = RunKxquery(arguments).Lines();
        ASSERT_GT(lines.size(), 10u);
        // Directories (empty size text) form one block at the front or at the back.
        std::vector<bool> isDirectory;
        for (const std::string& line : lines)
            isDirectory.push_back(Field(line, 1).empty());
        EXPECT_TRUE(std::is_partitioned(isDirectory.begin(), isDirectory.end(),
                                        [descending](bool d) { return d != descending; }));
        EXPECT_NE(std::count(isDirectory.begin(), isDirectory.end(), true), 0);
    }
    const Lines largest =
        RunKxquery({"--demo", "--query", ".m", "--sort", "size", "--descending"}).Lines();
    ASSERT_GE(largest.size(), 2u);
    EXPECT_EQ(largest[0], "C:\\Users\\demo\\Videos\\lecture.mkv");
}

TEST(KxquerySearch, SortsByPathAndByModifiedTime) {
    const Lines byPath = RunKxquery({"--demo", "--query", ".exe", "--sort", "path"}).Lines();
    EXPECT_TRUE(std::is_sorted(byPath.begin(), byPath.end(), [](const auto& a, const auto& b) {
        std::string x = a, y = b;
        std::transform(x.begin(), x.end(), x.begin(), ::tolower);
        std::transform(y.begin(), y.end(), y.begin(), ::tolower);
        return x < y;
    }));
    const Lines byTime =
        RunKxquery({"--demo", "--query", "o", "--sort", "modified", "--details"}).Lines();
    ASSERT_GT(byTime.size(), 3u);
    for (std::size_t i = 1; i < byTime.size(); ++i)
        EXPECT_LE(Field(byTime[i - 1], 2), Field(byTime[i], 2)) << byTime[i];
}

class KxqueryGeneratedVolume : public ::testing::Test {
  protected:
    void SetUp() override {
        frns = AddTree(volume, {u"Data\\report.txt", u"Data\\old\\report-2019.txt", u"photo.JPG",
                                u"\u8D44\u6599\\report.md"});
        mft = scratch.Write("d.mft", volume.SaveMftRecords());
    }
    sim::SimVolume volume;
    FrnByPath frns;
    ScratchDirectory scratch;
    std::string mft;
};

TEST_F(KxqueryGeneratedVolume, IndexesTheFileAndSearchesIt) {
    const ToolRun paths = RunKxquery({"--volume", "D=" + mft, "--paths"});
    ASSERT_EQ(paths.status, 0) << paths.err;
    EXPECT_EQ(Sorted(paths.Lines()),
              (Lines{"D:\\Data", "D:\\Data\\old", "D:\\Data\\old\\report-2019.txt",
                     "D:\\Data\\report.txt", "D:\\photo.JPG", "D:\\\xE8\xB5\x84\xE6\x96\x99",
                     "D:\\\xE8\xB5\x84\xE6\x96\x99\\report.md"}));
    const ToolRun query =
        RunKxquery({"--volume", "D=" + mft, "--query", "REPORT", "--category", "1"});
    EXPECT_EQ(Sorted(query.Lines()),
              (Lines{"D:\\Data\\old\\report-2019.txt", "D:\\Data\\report.txt",
                     "D:\\\xE8\xB5\x84\xE6\x96\x99\\report.md"}));
    // The extension test folds ASCII letters too.
    EXPECT_EQ(RunKxquery({"--volume", "D=" + mft, "--query", "photo", "--category", "2"}).Lines(),
              Lines{"D:\\photo.JPG"});
}

TEST_F(KxqueryGeneratedVolume, SidecarGivesSizesAndTimes) {
    // 2024-01-02 03:04 UTC and 2023-05-06 07:08 UTC as FILETIMEs.
    const std::string sidecar =
        scratch.Write("d.txt", std::to_string(frns.at(u"Data\\report.txt")) +
                                   " 1048576 133486382400000000 133278304800000000\n");
    const ToolRun run = RunKxquery({"--volume", "D=" + mft, "--sidecar", "D=" + sidecar, "--query",
                                    "report.txt", "--details"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.Lines(), (Lines{"report.txt\t1.00 MB\t2024-01-02 03:04\t2023-05-06 07:08\t"
                                  "D:\\Data\\report.txt"}));
}

TEST_F(KxqueryGeneratedVolume, TwoVolumesAreSearchedTogether) {
    sim::SimVolume other;
    AddTree(other, {u"report.docx"});
    const std::string second = scratch.Write("e.mft", other.SaveMftRecords());
    const ToolRun run =
        RunKxquery({"--volume", "D=" + mft, "--volume", "E=" + second, "--query", "report."});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Sorted(run.Lines()),
              (Lines{"D:\\Data\\report.txt", "D:\\\xE8\xB5\x84\xE6\x96\x99\\report.md",
                     "E:\\report.docx"}));
}

TEST_F(KxqueryGeneratedVolume, DamagedFileKeepsTheRecordsBeforeTheDamage) {
    const std::string whole = volume.SaveMftRecords();
    // Half of the last record: the parser stops there, keeping every earlier one.
    const std::string cut = scratch.Write("cut.mft", whole.substr(0, whole.size() - 20));
    const ToolRun run = RunKxquery({"--volume", "D=" + cut, "--count"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.OneErrorLine()) << run.err;
    EXPECT_NE(run.err.find("warning: " + cut + ": malformed record at byte offset"),
              std::string::npos)
        << run.err;
    ASSERT_EQ(run.Lines().size(), 1u);
    EXPECT_EQ(run.Lines()[0], "D: 6 6");
}

TEST_F(KxqueryGeneratedVolume, RecordsNumberedBeyondWhatTheFileCouldDescribeAreCountedAloud) {
    // Every record renumbered far past what a file this small could describe: the drive indexes
    // empty, and standard error says why instead of leaving an empty drive unexplained.
    std::string bytes = volume.SaveMftRecords();
    std::size_t records = 0;
    for (std::size_t at = 0; at < bytes.size(); ++records) {
        const std::uint64_t frn = MakeFileReference((std::uint64_t{1} << 40) + records, 1);
        std::memcpy(&bytes[at + 8], &frn, 8);
        std::uint32_t length = 0;
        std::memcpy(&length, &bytes[at], 4);
        at += length;
    }
    const std::string far = scratch.Write("far.mft", bytes);
    const ToolRun run = RunKxquery({"--volume", "D=" + far, "--count"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.OneErrorLine()) << run.err;
    EXPECT_NE(run.err.find("warning: " + far + ": skipped " + std::to_string(records) +
                           " records whose record numbers lie beyond what a file of this size "
                           "could describe"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.Lines(), Lines{"D: 0 0"});

    // The file as it was is loaded without a word.
    const ToolRun whole = RunKxquery({"--volume", "D=" + mft, "--count"});
    EXPECT_EQ(whole.err, "");
    EXPECT_EQ(whole.Lines(),
              Lines{"D: " + std::to_string(records) + " " + std::to_string(records)});
}

TEST(KxqueryQueryList, PrintsEachQueryWithItsHitCountAndMilliseconds) {
    const ToolRun run = RunKxquery({"--demo", "--queries-from", "-"}, "read\r\n.exe\n\nzzz\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const Lines lines = run.Lines();
    ASSERT_EQ(lines.size(), 4u);
    const Lines expected[] = {{"read", "3"}, {".exe", "5"}, {"", "0"}, {"zzz", "0"}};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(Field(lines[i], 0), expected[i][0]);
        EXPECT_EQ(Field(lines[i], 1), expected[i][1]);
        const std::string milliseconds = Field(lines[i], 2);
        EXPECT_NE(milliseconds.find('.'), std::string::npos) << lines[i];
        EXPECT_GE(std::stod(milliseconds), 0.0);
    }
}

TEST(KxqueryQueryList, ReadsAFileAndCountsOnlyTheChosenCategory) {
    ScratchDirectory scratch;
    const std::string list = scratch.Write("queries.txt", "e\nzip");  // no final line feed
    const ToolRun run = RunKxquery({"--demo", "--queries-from", list, "--category", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.Lines().size(), 2u);
    EXPECT_EQ(Field(run.Lines()[0], 1), "2");  // sources.tar.gz, archive.zip
    EXPECT_EQ(Field(run.Lines()[1], 1), "1");  // archive.zip
}

TEST(KxqueryCommandLine, BadInputIsOneLineOnStandardErrorAndStatusTwo) {
    ScratchDirectory scratch;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--demo", "--frobnicate"}, "--frobnicate"},
        {{"--demo", "--query"}, "--query"},
        {{"--demo", "--query", "a", "--category", "7"}, "--category 7"},
        {{"--demo", "--query", "a", "--sort", "colour"}, "colour"},
        {{"--volume", "C=" + scratch.Path() + "/missing.mft", "--count"}, "missing.mft"},
        {{"--demo", "--queries-from", scratch.Path() + "/none.txt"}, "none.txt"},
        {{"--demo", "--script", scratch.Path()}, "is a directory"},
    };
    for (const auto& [arguments, named] : cases) {
        const ToolRun run = RunKxquery(arguments);
        EXPECT_EQ(run.status, 2) << named;
        EXPECT_TRUE(run.OneErrorLine()) << run.err;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << named;
    }
}

TEST(KxqueryCommandLine, HelpDescribesTheScriptFormat) {
    const ToolRun run = RunKxquery({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* text : {"--query TEXT", "--queries-from FILE", "--script FILE",
                             "create PATH [SIZE]", "delete-journal K:", "wait MS"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
    }
}

TEST(KxqueryCommandLine, ListsTheDefaultCategoriesInEitherLanguage) {
    const Lines english = RunKxquery({"--categories"}).Lines();
    ASSERT_EQ(english.size(), 7u);
    EXPECT_EQ(english[0], "0\tAll Files\t");
    EXPECT_EQ(Field(english[3], 1), "Archives");
    const Lines chinese = RunKxquery({"--categories", "--lang", "zh"}).Lines();
    ASSERT_EQ(chinese.size(), 7u);
    EXPECT_EQ(Field(chinese[0], 1), "\xE6\x89\x80\xE6\x9C\x89\xE6\x96\x87\xE4\xBB\xB6");
    EXPECT_EQ(Field(chinese[3], 2), Field(english[3], 2));
}

}  // namespace
}  // namespace kx::testing
