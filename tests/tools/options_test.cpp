// The command line of kxquery: what it accepts and the one-line errors it gives otherwise.
#include <gtest/gtest.h>

#include "search/compare_match_items.h"
#include "tools/kxquery/options.h"

namespace kx::query {
namespace {

std::optional<Options> Parse(const std::vector<std::string>& arguments, std::string* error) {
    return ParseOptions(arguments, error);
}

std::string ErrorOf(const std::vector<std::string>& arguments) {
    std::string error;
    EXPECT_FALSE(Parse(arguments, &error).has_value());
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    return error;
}

TEST(KxqueryOptions, VolumesKeepTheirOrderAndGetTheirSidecarsWhereverGiven) {
    std::string error;
    const auto options =
        Parse({"--sidecar", "d=times.txt", "--volume", "D=d.bin", "--volume", "c=c.bin", "--paths"},
              &error);
    ASSERT_TRUE(options) << error;
    ASSERT_EQ(options->volumes.size(), 2u);
    EXPECT_EQ(options->volumes[0].letter, 'D');
    EXPECT_EQ(options->volumes[0].sidecarFile, "times.txt");
    EXPECT_EQ(options->volumes[1].letter, 'C');
    EXPECT_EQ(options->volumes[1].sidecarFile, "");
    EXPECT_TRUE(options->printPaths);
}

TEST(KxqueryOptions, QueryTakesItsValueVerbatimEvenWhenItLooksLikeAnOption) {
    std::string error;
    auto options = Parse({"--demo", "--query", "--paths"}, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(*options->query, "--paths");
    EXPECT_FALSE(options->printPaths);

    options = Parse({"--demo", "--query", ""}, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(*options->query, "");
    options = Parse({"--demo", "--query", "--help"}, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_FALSE(options->help);
}

TEST(KxqueryOptions, SortColumnsAreNumberedAsTheListHeader) {
    EXPECT_EQ(SortColumnByName("name"), kColumnName);
    EXPECT_EQ(SortColumnByName("size"), kColumnSize);
    EXPECT_EQ(SortColumnByName("modified"), kColumnModified);
    EXPECT_EQ(SortColumnByName("created"), kColumnCreated);
    EXPECT_EQ(SortColumnByName("path"), kColumnPath);
    EXPECT_EQ(SortColumnByName("Name"), 0);
    EXPECT_EQ(SortColumnByName("row"), 0);

    std::string error;
    const auto options = Parse({"--demo", "--query", "a", "--sort", "modified", "--descending",
                                "--details", "--category", "6"},
                               &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->settings.sortColumn, kColumnModified);
    EXPECT_TRUE(options->settings.descending);
    EXPECT_TRUE(options->settings.details);
    EXPECT_EQ(options->settings.category, 6);
}

TEST(KxqueryOptions, CategoryMustNameADefaultCategory) {
    std::string error;
    ASSERT_TRUE(Parse({"--demo", "--query", "a", "--category", "0"}, &error)) << error;
    EXPECT_NE(ErrorOf({"--demo", "--query", "a", "--category", "7"}).find("--category 7"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--query", "a", "--category", "-1"}).find("--category -1"),
              std::string::npos);
    ErrorOf({"--demo", "--query", "a", "--category", "1x"});
    ErrorOf({"--demo", "--query", "a", "--category", ""});
    ErrorOf({"--demo", "--query", "a", "--category", "99999999999999999999"});
    ErrorOf({"--demo", "--query", "a", "--category", "1", "--category", "2"});
}

TEST(KxqueryOptions, JournalPollIsABoundedMillisecondCountForScripts) {
    std::string error;
    const auto options = Parse({"--demo", "--script", "s.txt", "--journal-poll", "20"}, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->journalPollMilliseconds, 20u);
    EXPECT_NE(ErrorOf({"--demo", "--script", "s", "--journal-poll", "0"}).find("--journal-poll 0"),
              std::string::npos);
    ErrorOf({"--demo", "--script", "s", "--journal-poll", "60001"});
    ErrorOf({"--demo", "--script", "s", "--journal-poll", "-5"});
    ErrorOf({"--demo", "--script", "s", "--journal-poll", "5", "--journal-poll", "6"});
    EXPECT_NE(ErrorOf({"--demo", "--query", "a", "--journal-poll", "5"}).find("needs --script"),
              std::string::npos);
}

TEST(KxqueryOptions, EveryErrorNamesTheArgument) {
    EXPECT_NE(ErrorOf({"--demo", "--frobnicate"}).find("--frobnicate"), std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--query"}).find("--query needs a value"), std::string::npos);
    EXPECT_NE(ErrorOf({"--volume"}).find("--volume needs a value"), std::string::npos);
    EXPECT_NE(ErrorOf({"--volume", "CC=x"}).find("CC=x"), std::string::npos);
    EXPECT_NE(ErrorOf({"--volume", "C=a", "--volume", "c=b"}).find("given twice"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"--volume", "C=a", "--sidecar", "D=t"}).find("--sidecar D=t"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--query", "a", "--sort", "colour"}).find("colour"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--lang", "fr"}).find("--lang fr"), std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--queries-from", ""}).find("--queries-from"), std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--query", "a", "--query", "b"}).find("--query given twice"),
              std::string::npos);
}

TEST(KxqueryOptions, OptionsThatNeedAnotherAreRejectedAlone) {
    EXPECT_NE(ErrorOf({"--demo", "--query", "a", "--descending"}).find("--descending"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--sort", "name"}).find("--sort"), std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--details"}).find("--details"), std::string::npos);
    EXPECT_NE(ErrorOf({"--demo", "--category", "1"}).find("--category"), std::string::npos);
    // A timed list of searches prints counts, never hits, so neither order nor details apply.
    ErrorOf({"--demo", "--queries-from", "q.txt", "--sort", "name"});
    ErrorOf({"--demo", "--queries-from", "q.txt", "--details"});
    std::string error;
    EXPECT_TRUE(Parse({"--demo", "--queries-from", "q.txt", "--category", "2"}, &error)) << error;
    EXPECT_TRUE(Parse({"--demo", "--script", "s.txt", "--sort", "path", "--details"}, &error))
        << error;
}

TEST(KxqueryOptions, SearchModesExcludeEachOther) {
    ErrorOf({"--demo", "--query", "a", "--script", "s.txt"});
    ErrorOf({"--demo", "--query", "a", "--queries-from", "-"});
    ErrorOf({"--demo", "--script", "s.txt", "--queries-from", "-"});
    ErrorOf({"--demo", "--script", "a.txt", "--script", "b.txt"});
}

TEST(KxqueryOptions, AVolumeIsNeededUnlessOnlyCategoriesAreListed) {
    EXPECT_NE(ErrorOf({"--paths"}).find("no volume"), std::string::npos);
    ErrorOf({"--query", "a"});
    ErrorOf({"--categories", "--count"});
    ErrorOf({"--volume", "C=c.bin", "--demo"});
    std::string error;
    const auto options = Parse({"--categories", "--lang", "zh"}, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->listCategories);
    EXPECT_TRUE(options->chinese);
}

TEST(KxqueryOptions, HelpWinsOverEverythingElse) {
    std::string error;
    const auto options = Parse({"--frobnicate", "--help"}, &error);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->help);
    EXPECT_TRUE(Parse({"-h"}, &error)->help);
}

}  // namespace
}  // namespace kx::query
