// The cell and its tip show one text per column; a directory has no size to show.
#include <gtest/gtest.h>

#include "common/process_state.h"
#include "search/compare_match_items.h"
#include "search/match_volumes.h"
#include "tests/support/test_engine.h"
#include "ui/column_text.h"

namespace kx::testing {
namespace {

TEST(ColumnText, NameFromTheRecordDetailsFromTheHitAndNoSizeForADirectory) {
    TestEngine test;
    VolumeIndex& volume = test.AddVolume(u"C:");
    AddFile(volume, u"Report.pdf");
    AddFile(volume, u"Reports", true);
    const ResultList list = MatchVolumes(test.engine, {u"report", SearchGeneration.load()});
    ASSERT_EQ(list.size(), 2u);
    HitDetails details;
    details.sizeText = u"1 KB";
    details.modifiedText = u"modified";
    details.createdText = u"created";
    details.fullPath = u"C:\\Report.pdf";
    EXPECT_EQ(ColumnText(list.Hit(0), details, kColumnName), u"Report.pdf");
    EXPECT_EQ(ColumnText(list.Hit(0), details, kColumnSize), u"1 KB");
    EXPECT_EQ(ColumnText(list.Hit(1), details, kColumnSize), u"");
    EXPECT_EQ(ColumnText(list.Hit(0), details, kColumnModified), u"modified");
    EXPECT_EQ(ColumnText(list.Hit(0), details, kColumnCreated), u"created");
    EXPECT_EQ(ColumnText(list.Hit(0), details, kColumnPath), u"C:\\Report.pdf");
    EXPECT_EQ(ColumnText(list.Hit(0), details, kColumnRowNumber), u"");
}

}  // namespace
}  // namespace kx::testing
