// Reading what the live server wrote since the load: by the operator (F5, 读取新记录) and by
// following (实时跟踪).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TKey;
using form::TShift;

std::string Line(const std::string& account) {
  return "0\t" + account + "\t2\tname\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t\ttime\r\n";
}

class ReadNewTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    WriteDay(tree, "2024-03-01", Accounts(300));
    Load(tree, {u"2024-03-01"});
    ASSERT_EQ(State().FAllLogs.size(), 300u);
  }
  void Append(const std::string& day, const std::string& bytes) {
    std::ofstream out(tree.Root() / ("LogServer/BaseDir/" + day + "/a.log"),
                      std::ios::binary | std::ios::app);
    out << bytes;
  }

  TempTree tree;
};

TEST_F(ReadNewTest, F5AndTheButtonReadWhatCameAndKeepTheCurrentRecord) {
  // Row 120 current, shown 20 rows below the top.
  toolkit.SetGridCurrentRow(120);
  form.GridSelectCell({0, 120});
  toolkit.SetGridTopRow(100);
  Append("2024-03-01", Line("new1") + Line("new2"));
  toolkit.ClearTranscript();
  EXPECT_TRUE(toolkit.PressKey(TKey::kF5, TShift::kNone, StringGrid1));
  EXPECT_EQ(State().FAllLogs.size(), 302u);
  EXPECT_EQ(Cell(1, 302), "new2");
  EXPECT_EQ(Status(), "状态：新增 2 条记录");
  EXPECT_EQ(Panel(0), "总记录数: 302");
  EXPECT_EQ(Panel(1), "筛选后: 302");
  EXPECT_EQ(toolkit.GridCurrentRow(), 120);
  EXPECT_EQ(toolkit.GridTopRow(), 100);
  EXPECT_EQ(toolkit.Count("enable btnLoadSearch false"), 0u);  // no busy state

  // Nothing new: said so, nothing else happens.
  toolkit.ClearTranscript();
  ASSERT_TRUE(toolkit.Click(btnReadNew));
  EXPECT_EQ(toolkit.Lines({"text lblStatus", "rows "}),
            std::vector<std::string>{"text lblStatus 状态：新增 0 条记录"});
}

// With a query that shows fewer rows, the current record moves to where the new result shows it.
TEST_F(ReadNewTest, TheCurrentRecordIsFoundInTheNewResult) {
  toolkit.Paste(edtKeyword1, u"acc2");
  toolkit.SetCheckBox(chkExact1, false);
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));  // acc2, acc20..acc29, acc200..acc299: 111 rows
  ASSERT_EQ(State().FFilteredLogs.size(), 111u);
  toolkit.SetGridCurrentRow(111);  // acc299
  toolkit.SetGridTopRow(100);
  ASSERT_EQ(Cell(1, 111), "acc299");
  // A new file sorting before a.log brings two matching records ahead of it.
  tree.WriteFile("LogServer/BaseDir/2024-03-01/0.log", Line("acc2x") + Line("acc2y"));
  ASSERT_TRUE(toolkit.Click(btnReadNew));
  EXPECT_EQ(State().FFilteredLogs.size(), 113u);
  EXPECT_EQ(toolkit.GridCurrentRow(), 113);
  EXPECT_EQ(Cell(1, 113), "acc299");
  EXPECT_EQ(toolkit.GridTopRow(), 102);
  EXPECT_EQ(State().FLastClickedRow, 113);
}

// With the date selection changed since the load, reading new records is the load button's
// command.
TEST_F(ReadNewTest, WithAnotherDateSelectionItLoads) {
  WriteDay(tree, "2024-03-02", {"b1"});
  ASSERT_TRUE(toolkit.Click(btnRefreshDates));
  toolkit.SelectDates({u"2024-03-01", u"2024-03-02"});
  ASSERT_FALSE(State().FIsDataLoaded);
  toolkit.ClearTranscript();
  EXPECT_TRUE(toolkit.PressKey(TKey::kF5, TShift::kNone, edtKeyword1));
  EXPECT_EQ(State().FAllLogs.size(), 301u);
  EXPECT_TRUE(State().FIsDataLoaded);
  EXPECT_EQ(toolkit.Count("cursor hourglass"), 1u);
}

TEST_F(ReadNewTest, FollowingReadsEveryTwoSecondsWhileTicked) {
  toolkit.ClickCheckBox(chkFollow);
  Append("2024-03-01", Line("f1"));
  toolkit.Advance(1999);
  EXPECT_EQ(State().FAllLogs.size(), 300u);
  toolkit.Advance(1);
  EXPECT_EQ(State().FAllLogs.size(), 301u);
  EXPECT_EQ(Status(), "状态：新增 1 条记录");

  // Nothing new: nothing is said, the grid is not rendered again.
  toolkit.ClearTranscript();
  toolkit.Advance(2000);
  EXPECT_EQ(toolkit.Lines({"text lblStatus", "rows "}), std::vector<std::string>{});
  EXPECT_EQ(toolkit.PendingTimers(), 1);

  // A tick while a command yields waits for the next one.
  Append("2024-03-01", Line("f2"));
  toolkit.onYield = [&] { toolkit.Advance(2000); };
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));  // the query alone, yielding as it renders
  toolkit.onYield = nullptr;
  EXPECT_EQ(State().FAllLogs.size(), 301u);
  toolkit.Advance(2000);
  EXPECT_EQ(State().FAllLogs.size(), 302u);

  // Unticked, nothing runs.
  toolkit.ClickCheckBox(chkFollow);
  Append("2024-03-01", Line("f3"));
  toolkit.Advance(10000);
  EXPECT_EQ(State().FAllLogs.size(), 302u);
  EXPECT_EQ(toolkit.PendingTimers(), 0);
}

// Midnight: a new day folder after the newest one of the list, which is loaded, joins the list
// selected and is followed; the load's first day stays.
TEST_F(ReadNewTest, FollowingTakesUpTheNextDay) {
  toolkit.ClickCheckBox(chkFollow);
  WriteDay(tree, "2024-03-02", {"d1", "d2"});
  toolkit.Advance(2000);
  EXPECT_EQ(Dates(), (std::vector<std::string>{"2024-03-01", "2024-03-02"}));
  EXPECT_EQ(toolkit.SelectedItems(lstDateFolders),
            (std::vector<std::u16string>{u"2024-03-01", u"2024-03-02"}));
  EXPECT_EQ(State().FAllLogs.size(), 302u);
  EXPECT_EQ(Cell(1, 302), "d2");
  EXPECT_TRUE(State().FIsDataLoaded);
  EXPECT_EQ(Utf8(State().FCurrentSelectedDate), "2024-03-01");
  // The next press of the load button queries: the selection is what is loaded.
  toolkit.ClearTranscript();
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_EQ(toolkit.Count("cursor hourglass"), 0u);
}

TEST_F(ReadNewTest, FollowingNeverLoads) {
  toolkit.ClickCheckBox(chkFollow);
  toolkit.Click(btnRefreshDates);  // drops the records
  toolkit.SelectDates({u"2024-03-01"});
  toolkit.ClearTranscript();
  toolkit.Advance(4000);
  EXPECT_TRUE(State().FAllLogs.empty());
  EXPECT_EQ(toolkit.Count("cursor hourglass"), 0u);
}

}  // namespace
}  // namespace korlo_test
