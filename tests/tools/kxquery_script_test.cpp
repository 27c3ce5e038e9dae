// kxquery --script: file changes applied to a simulated volume while the journal monitor
// runs, and what the next searches see of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"

namespace kx::testing {
namespace {

using Lines = std::vector<std::string>;

ToolRun RunScript(const std::string& script, std::vector<std::string> extra = {}) {
    ScratchDirectory scratch;
    std::vector<std::string> arguments{"--demo", "--script", scratch.Write("s.txt", script)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunKxquery(arguments);
}

// The lines printed after the given occurrence of the echo of step, up to the next echo.
Lines HitsAfter(const ToolRun& run, const std::string& step, int occurrence = 1) {
    Lines hits;
    bool inside = false;
    for (const std::string& line : run.Lines()) {
        if (line.rfind("> ", 0) == 0) {
            inside = line == "> " + step && --occurrence == 0;
            continue;
        }
        if (inside)
            hits.push_back(line);
    }
    return hits;
}

TEST(KxqueryScriptRun, CreationsRenamesMovesAndDeletionsReachTheNextSearch) {
    const ToolRun run = RunScript(
        "query tally\n"
        "mkdir C:\\Users\\demo\\tally\n"
        "create C:\\Users\\demo\\tally\\tally-1.txt 10\n"
        "create \"C:\\Users\\demo\\Documents\\tally 2.txt\"\n"
        "query tally\n"
        "rename C:\\Users\\demo\\tally\\tally-1.txt TALLY-ONE.txt\n"
        "move \"C:\\Users\\demo\\Documents\\tally 2.txt\" C:\\Users\\demo\\tally\n"
        "query tally\n"
        "delete C:\\Users\\demo\\tally\n"
        "query tally\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(HitsAfter(run, "query tally", 1), Lines{});
    EXPECT_EQ(HitsAfter(run, "query tally", 2),
              (Lines{"C:\\Users\\demo\\tally", "C:\\Users\\demo\\tally\\tally-1.txt",
                     "C:\\Users\\demo\\Documents\\tally 2.txt"}));
    EXPECT_EQ(HitsAfter(run, "query tally", 3),
              (Lines{"C:\\Users\\demo\\tally", "C:\\Users\\demo\\tally\\TALLY-ONE.txt",
                     "C:\\Users\\demo\\tally\\tally 2.txt"}));
    EXPECT_EQ(HitsAfter(run, "query tally", 4), Lines{});
    // Every step is echoed, in order.
    EXPECT_EQ(run.Lines()[0], "> query tally");
    EXPECT_EQ(run.Lines()[1], "> mkdir C:\\Users\\demo\\tally");
}

TEST(KxqueryScriptRun, TemporaryFilesLeaveNoGhostAndRenameBeforeCloseKeepsOnlyTheNewName) {
    const ToolRun run = RunScript(
        "temp C:\\Users\\demo\\~ghost.tmp\n"
        "create-rename C:\\Users\\demo\\~ghost2.tmp ghost-final.txt\n"
        "query ghost\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(HitsAfter(run, "query ghost"), Lines{"C:\\Users\\demo\\ghost-final.txt"});
}

TEST(KxqueryScriptRun, ADeletedJournalIsRebuiltWithTheChangesMadeMeanwhile) {
    const ToolRun run = RunScript(
        "delete-journal C:\n"
        "create C:\\lost-and-found.txt\n"
        "delete C:\\Windows\\win.ini\n"
        "query lost-and\n"
        "query win.ini\n"
        "create C:\\after-rebuild.txt\n"
        "query after-rebuild\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(HitsAfter(run, "query lost-and"), Lines{"C:\\lost-and-found.txt"});
    EXPECT_EQ(HitsAfter(run, "query win.ini"), Lines{});
    // The monitor follows the new journal after the rebuild.
    EXPECT_EQ(HitsAfter(run, "query after-rebuild"), Lines{"C:\\after-rebuild.txt"});
}

TEST(KxqueryScriptRun, AQueryWaitsUntilABacklogOfTensOfThousandsOfChangesIsApplied) {
    // Some seven megabytes of journal, over a hundred batches; a shorter pause between reads
    // keeps the test quick, while the script still runs far ahead of the monitor.
    constexpr int kFiles = 20000;
    std::string script = "mkdir C:\\bulk\n";
    for (int i = 0; i < kFiles; ++i)
        script += "create C:\\bulk\\bulk-" + std::to_string(i) + ".txt\n";
    script += "query bulk-19999\n";
    for (int i = 0; i < kFiles; i += 2)
        script += "delete C:\\bulk\\bulk-" + std::to_string(i) + ".txt\n";
    script += "query bulk-\n";
    script += "delete C:\\bulk\n";
    script += "create C:\\bulk-survivor.txt\n";
    script += "query bulk\n";
    const ToolRun run = RunScript(script, {"--journal-poll", "20"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(HitsAfter(run, "query bulk-19999"), Lines{"C:\\bulk\\bulk-19999.txt"});
    const Lines halfDeleted = HitsAfter(run, "query bulk-");
    EXPECT_EQ(halfDeleted.size(), static_cast<std::size_t>(kFiles / 2));
    for (const std::string& hit : halfDeleted) {
        const int number = std::stoi(hit.substr(hit.rfind('-') + 1));
        ASSERT_EQ(number % 2, 1) << "deleted, yet found: " << hit;
    }
    EXPECT_EQ(HitsAfter(run, "query bulk"), Lines{"C:\\bulk-survivor.txt"});
}

TEST(KxqueryScriptRun, ARemovedDriveStaysSearchableWithItsLastState) {
    const ToolRun run = RunScript(
        "remove-drive C:\n"
        "query notes.txt\n"
        "create C:\\x.txt\n",
        {"--details"});
    EXPECT_EQ(run.status, 2);
    // Its files can no longer be asked for sizes and times, but their paths stay.
    EXPECT_EQ(HitsAfter(run, "query notes.txt"),
              Lines{"notes.txt\t0 B\t-\t-\tC:\\Users\\demo\\Documents\\notes.txt"});
    EXPECT_TRUE(run.OneErrorLine()) << run.err;
    EXPECT_NE(run.err.find("s.txt:3: no drive C: on the machine"), std::string::npos) << run.err;
}

TEST(KxqueryScriptRun, QueryStepsUseCategorySortAndDetails) {
    const ToolRun run = RunScript(
        "create C:\\zz-big.png 5000\n"
        "create C:\\zz-small.png 10\n"
        "create C:\\zz-text.txt 99\n"
        "query zz-\n",
        {"--category", "2", "--sort", "size", "--descending"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(HitsAfter(run, "query zz-"), (Lines{"C:\\zz-big.png", "C:\\zz-small.png"}));
}

TEST(KxqueryScriptRun, AMalformedLineStopsTheScriptBeforeAnyStepRuns) {
    const ToolRun run = RunScript("create C:\\a.txt\nquery a\ncopy C:\\a.txt C:\\b.txt\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.OneErrorLine()) << run.err;
    EXPECT_NE(run.err.find("s.txt:3: unknown step copy"), std::string::npos) << run.err;
}

TEST(KxqueryScriptRun, StepsThatCannotBeAppliedNameTheirLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"delete C:\\nowhere.txt\n", "s.txt:1: no such file or directory C:\\nowhere.txt"},
        {"create C:\\nowhere\\a.txt\n", "s.txt:1: no such file or directory C:\\nowhere"},
        {"create C:\\Windows\\win.ini\n", "s.txt:1: C:\\Windows\\win.ini already exists"},
        {"create C:\\Windows\\WIN.INI\n", "already exists"},
        {"create C:\\Windows\\win.ini\\a\n", "C:\\Windows\\win.ini is not a directory"},
        {"rename C:\\Windows\\win.ini explorer.exe\n", "C:\\Windows\\explorer.exe already exists"},
        {"move C:\\Users C:\\Users\\demo\n", "cannot move C:\\Users into itself"},
        {"move C:\\Windows\\win.ini C:\\Windows\\System32\\notepad.exe\n", "is not a directory"},
        {"mkdir D:\\x\n", "no drive D: on the machine"},
    };
    for (const auto& [script, message] : cases) {
        const ToolRun run = RunScript(script);
        EXPECT_EQ(run.status, 2) << script;
        EXPECT_TRUE(run.OneErrorLine()) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << script << run.err;
    }
}

TEST(KxqueryScriptRun, ACaseOnlyRenameIsAllowed) {
    const ToolRun run = RunScript("rename C:\\Windows\\win.ini WIN.INI\nquery win.ini\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(HitsAfter(run, "query win.ini"), Lines{"C:\\Windows\\WIN.INI"});
}

}  // namespace
}  // namespace kx::testing
