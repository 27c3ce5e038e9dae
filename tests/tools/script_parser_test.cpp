// The line format of kxquery scripts.
#include <gtest/gtest.h>

#include "tools/kxquery/script.h"

namespace kx::query {
namespace {

std::vector<ScriptStep> Parse(const std::string& text) {
    std::vector<ScriptStep> steps;
    std::string error;
    EXPECT_TRUE(ParseScript(text, "s.txt", &steps, &error)) << error;
    return steps;
}

std::string ErrorOf(const std::string& text) {
    std::vector<ScriptStep> steps;
    std::string error;
    EXPECT_FALSE(ParseScript(text, "s.txt", &steps, &error));
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    return error;
}

TEST(KxqueryScriptParser, EveryStepKindParsesWithItsFields) {
    const auto steps = Parse(
        "create C:\\a\\b.txt 4096\n"
        "create C:\\a\\empty.txt\n"
        "mkdir D:/x/y/\n"
        "rename C:\\a\\b.txt c.txt\n"
        "move C:\\a\\c.txt C:\\\n"
        "delete c:\\a\n"
        "temp C:\\t.tmp\n"
        "create-rename C:\\n.tmp n.txt\n"
        "delete-journal e:\n"
        "remove-drive F:\\\n"
        "wait 250\n"
        "query b.txt\n");
    ASSERT_EQ(steps.size(), 12u);
    EXPECT_EQ(steps[0].kind, StepKind::kCreateFile);
    EXPECT_EQ(steps[0].path.drive, 'C');
    EXPECT_EQ(steps[0].path.belowRoot, u"a\\b.txt");
    EXPECT_EQ(steps[0].size, 4096);
    EXPECT_EQ(steps[1].size, 0);
    EXPECT_EQ(steps[2].kind, StepKind::kCreateDirectory);
    EXPECT_EQ(steps[2].path.belowRoot, u"x\\y");  // slashes become backslashes
    EXPECT_EQ(steps[3].kind, StepKind::kRename);
    EXPECT_EQ(steps[3].name, u"c.txt");
    EXPECT_EQ(steps[4].kind, StepKind::kMove);
    EXPECT_EQ(steps[4].directory.belowRoot, u"");  // the root may be a target
    EXPECT_EQ(steps[5].kind, StepKind::kDelete);
    EXPECT_EQ(steps[5].path.drive, 'C');
    EXPECT_EQ(steps[6].kind, StepKind::kTemporaryFile);
    EXPECT_EQ(steps[7].kind, StepKind::kCreateThenRename);
    EXPECT_EQ(steps[7].name, u"n.txt");
    EXPECT_EQ(steps[8].kind, StepKind::kDeleteJournal);
    EXPECT_EQ(steps[8].path.drive, 'E');
    EXPECT_EQ(steps[9].kind, StepKind::kRemoveDrive);
    EXPECT_EQ(steps[9].path.drive, 'F');
    EXPECT_EQ(steps[10].milliseconds, 250u);
    EXPECT_EQ(steps[11].kind, StepKind::kQuery);
    EXPECT_EQ(steps[11].line, 12u);
    EXPECT_EQ(FullPathText(steps[0].path), u"C:\\a\\b.txt");
}

TEST(KxqueryScriptParser, QuotedFieldsHoldBlanksAndNonAsciiNames) {
    const auto steps =
        Parse("rename \"C:\\Program Files\\old name.txt\" \"\xE4\xBC\x9A\xE8\xAE\xAE.txt\"\n");
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].path.belowRoot, u"Program Files\\old name.txt");
    EXPECT_EQ(steps[0].name, u"\u4F1A\u8BAE.txt");
}

TEST(KxqueryScriptParser, QueryTextIsTheRestOfTheLineVerbatim) {
    const auto steps = Parse("query  two \"blanks\" *?\nquery\n  query x\n");
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].name, u" two \"blanks\" *?");
    EXPECT_EQ(steps[1].name, u"");
    EXPECT_EQ(steps[2].name, u"x");
    EXPECT_EQ(steps[0].text, "query  two \"blanks\" *?");
}

TEST(KxqueryScriptParser, CommentsBlankLinesCrAndByteOrderMarkAreSkipped) {
    const auto steps = Parse("\xEF\xBB\xBF# a comment\r\n\r\n   \t\n  # indented\nquery a\r\n");
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].line, 5u);
    EXPECT_EQ(steps[0].name, u"a");
    EXPECT_EQ(steps[0].text, "query a");
}

TEST(KxqueryScriptParser, MalformedLinesNameFileAndLine) {
    EXPECT_EQ(ErrorOf("query a\nfly C:\\x\n"), "s.txt:2: unknown step fly");
    EXPECT_NE(ErrorOf("create\n").find("s.txt:1: too few fields"), std::string::npos);
    EXPECT_NE(ErrorOf("mkdir C:\\a C:\\b\n").find("too many fields"), std::string::npos);
    EXPECT_NE(ErrorOf("create \"C:\\a b\n").find("unterminated quote"), std::string::npos);
    EXPECT_NE(ErrorOf("create \"C:\\a\"b\n").find("closing quote"), std::string::npos);
    EXPECT_NE(ErrorOf("create a\\b.txt\n").find("full path"), std::string::npos);
    EXPECT_NE(ErrorOf("create C:a.txt\n").find("full path"), std::string::npos);
    EXPECT_NE(ErrorOf("create C:\\a.txt -1\n").find("size"), std::string::npos);
    EXPECT_NE(ErrorOf("create C:\\a.txt 12kb\n").find("size"), std::string::npos);
    EXPECT_NE(ErrorOf("wait soon\n").find("milliseconds"), std::string::npos);
    EXPECT_NE(ErrorOf("wait 600001\n").find("milliseconds"), std::string::npos);
    EXPECT_NE(ErrorOf("delete-journal C\n").find("drive"), std::string::npos);
    EXPECT_NE(ErrorOf("remove-drive CD:\n").find("drive"), std::string::npos);
}

TEST(KxqueryScriptParser, NamesWindowsRefusesAreRejected) {
    EXPECT_NE(ErrorOf("create C:\\a*b\n").find("invalid character"), std::string::npos);
    EXPECT_NE(ErrorOf("create C:\\a\\\\b\n").find("empty name"), std::string::npos);
    EXPECT_NE(ErrorOf("mkdir C:\\..\n").find("invalid name"), std::string::npos);
    EXPECT_NE(ErrorOf("rename C:\\a b\\c\n").find("invalid character"), std::string::npos);
    EXPECT_NE(ErrorOf("rename C:\\a \"\"\n").find("empty name"), std::string::npos);
    EXPECT_NE(ErrorOf("create-rename C:\\a x:y\n").find("invalid character"), std::string::npos);
}

TEST(KxqueryScriptParser, TheRootCannotBeChangedAndMovesStayOnTheirDrive) {
    EXPECT_NE(ErrorOf("delete C:\\\n").find("root directory"), std::string::npos);
    EXPECT_NE(ErrorOf("rename C: x\n").find("root directory"), std::string::npos);
    EXPECT_NE(ErrorOf("move C:\\a D:\\b\n").find("one drive"), std::string::npos);
}

TEST(KxqueryScriptParser, AnEmptyScriptHasNoSteps) {
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse("# nothing\n").empty());
}

}  // namespace
}  // namespace kx::query
