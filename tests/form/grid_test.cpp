#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/log_record.h"
#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TGridCell;
using form::TKey;
using form::TMouseButton;
using form::TShift;

constexpr TShift kCtrl = TShift::kCtrl;

// Puts `count` records with the account "acc" into the result list, as a query would.
void SetResult(core::TFormState& state, int count) {
  state.FFilteredLogs.clear();
  for (int i = 0; i < count; ++i)
    state.FFilteredLogs.push_back(core::ParseLogLine(u"0\tacc\t2\tname"));
}

// What RenderGrid asks of the toolkit, without the re-docking of the progress bar.
std::vector<std::string> RenderLines(const FakeToolkit& toolkit) {
  return toolkit.Lines({"rows", "gridrow", "text", "visible", "progress", "yield"});
}

TEST_F(FormTest, RenderGridWritesTheRowsWithProgressAndYields) {
  struct Case {
    const char* name;
    int records;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"three records",
       3,
       {"rows 3", "text lblStatus 状态：正在渲染 3 条数据...", "visible ProgressBar1 true",
        "progress max 3", "progress 0", "progress 3"}},
      // Yields after rows 101 and 201.
      {"250 records",
       250,
       {"rows 250", "text lblStatus 状态：正在渲染 250 条数据...", "visible ProgressBar1 true",
        "progress max 250", "progress 0", "progress 100", "yield", "progress 200", "yield",
        "progress 250"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetResult(State(), c.records);
    toolkit.ClearTranscript();
    form.RenderGrid();
    EXPECT_EQ(RenderLines(toolkit), c.lines);
    EXPECT_EQ(toolkit.GridRowCount(), c.records);
    EXPECT_EQ(form.GridDataRowCount(), c.records);
    EXPECT_EQ(Cell(0, 1), "1");
    EXPECT_EQ(Cell(0, c.records), std::to_string(c.records));
    EXPECT_EQ(Cell(1, c.records), "acc");
    EXPECT_EQ(Cell(2, c.records), "name");
    EXPECT_EQ(Cell(0, c.records + 1), "");  // past the rows shown
    EXPECT_TRUE(toolkit.IsVisible(ProgressBar1));
    EXPECT_EQ(toolkit.ProgressMax(), c.records);
    EXPECT_EQ(toolkit.ProgressPosition(), c.records);
  }
}

// An empty result keeps one blank data row and leaves the progress bar and the status alone.
TEST_F(FormTest, AnEmptyResultAfterALongOneLeavesOneBlankRow) {
  SetResult(State(), 500);
  form.RenderGrid();
  State().FFilteredLogs.clear();
  toolkit.ClearTranscript();
  form.RenderGrid();
  EXPECT_EQ(toolkit.Transcript(), (std::vector<std::string>{"rows 1"}));
  EXPECT_EQ(form.GridDataRowCount(), 1);
  for (int column = 0; column < 15; ++column) {
    EXPECT_EQ(Cell(column, 1), "") << column;
  }
  EXPECT_EQ(Cell(9, 0), "物品名称");
}

class GridCopyTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    WriteDay(tree_, "2024-03-01", Accounts(8));
    Load(tree_, {u"2024-03-01"});
    ASSERT_EQ(form.GridDataRowCount(), 8);
    toolkit.ClearTranscript();
  }
  bool CtrlC(TShift extra = TShift::kNone) {
    return toolkit.PressKey(TKey::kC, kCtrl | extra, StringGrid1);
  }
  void Press(TGridCell cell, TMouseButton button = TMouseButton::kLeft,
             TShift shift = TShift::kNone) {
    toolkit.PressGrid(button, cell, shift);
  }

 private:
  TempTree tree_;
};

// Ctrl+C copies the text of the last pressed or selected cell; the key is consumed whenever Ctrl
// is held, whether anything was copied or not.
TEST_F(GridCopyTest, CopiesTheLastPressedOrSelectedCell) {
  struct Case {
    const char* name;
    std::function<void()> gesture;
    TShift keys;
    bool consumed;
    std::string copied;  // empty: nothing copied
  };
  const Case cases[] = {
      {"before any press", [] {}, kCtrl, true, ""},
      {"data cell",
       [&] {
         Press({1, 2});
       },
       kCtrl, true, "acc2"},
      {"header cell",
       [&] {
         Press({9, 0});
       },
       kCtrl, true, "物品名称"},
      {"Down from row 5 column 9 stores column 0 of row 6",
       [&] {
         Press({9, 5});
         toolkit.PressGridDown();
       },
       kCtrl, true, "6"},
      {"empty cell",
       [&] {
         Press({14, 1});
       },
       kCtrl, true, ""},
      {"right press stores without selecting",
       [&] {
         Press({1, 1});
         Press({1, 3}, TMouseButton::kRight);
         EXPECT_EQ(toolkit.GridCurrentRow(), 1);
       },
       kCtrl, true, "acc3"},
      {"Shift press stores without selecting",
       [&] {
         Press({1, 1});
         Press({2, 4}, TMouseButton::kLeft, TShift::kShift);
         EXPECT_EQ(toolkit.GridCurrentRow(), 1);
       },
       kCtrl, true, "name"},
      {"press outside the cells keeps the stored cell",
       [&] {
         Press({1, 7});
         Press({-1, -1});
       },
       kCtrl, true, "acc7"},
      {"Ctrl+Shift+C",
       [&] {
         Press({1, 2});
       },
       kCtrl | TShift::kShift, true, "acc2"},
      {"Ctrl+Alt+C",
       [&] {
         Press({1, 2});
       },
       kCtrl | TShift::kAlt, true, "acc2"},
      {"C without Ctrl",
       [&] {
         Press({1, 2});
       },
       TShift::kNone, false, ""},
      {"Shift+C",
       [&] {
         Press({1, 2});
       },
       TShift::kShift, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    State().FLastClickedCol = -1;
    State().FLastClickedRow = -1;
    c.gesture();
    toolkit.ClearTranscript();
    const std::u16string caption = toolkit.Caption();
    EXPECT_EQ(toolkit.PressKey(TKey::kC, c.keys, StringGrid1), c.consumed);
    const std::vector<std::string> copy = toolkit.Lines({"clipboard", "caption", "timer"});
    if (c.copied.empty()) {
      EXPECT_TRUE(copy.empty());
      EXPECT_EQ(toolkit.Caption(), caption);
    } else {
      ASSERT_EQ(copy.size(), 3u);
      EXPECT_EQ(copy[0], "clipboard " + c.copied);
      EXPECT_EQ(copy[1], "caption 已复制: " + c.copied);
      EXPECT_TRUE(copy[2].starts_with("timer ") && copy[2].ends_with(" 500")) << copy[2];
      EXPECT_EQ(Utf8(toolkit.ClipboardText()), c.copied);
    }
    toolkit.Advance(500);  // the notice of this case ends
  }
}

TEST_F(GridCopyTest, TheCopyNoticeEndsHalfASecondLater) {
  Press({1, 3});
  ASSERT_TRUE(CtrlC());
  EXPECT_EQ(Utf8(toolkit.Caption()), "已复制: acc3");
  toolkit.Advance(499);
  EXPECT_EQ(Utf8(toolkit.Caption()), "已复制: acc3");
  toolkit.Advance(1);
  // Not the caption shown at start.
  EXPECT_EQ(Utf8(toolkit.Caption()), "Korlo引擎日志分析工具");
  EXPECT_EQ(toolkit.PendingTimers(), 0);
}

// Each copy has its own timer: the first to expire restores the caption, even over a later
// copy's notice.
TEST_F(GridCopyTest, TwoQuickCopiesEachRestoreTheCaptionAtTheirOwnTick) {
  Press({1, 3});
  ASSERT_TRUE(CtrlC());
  toolkit.Advance(200);
  Press({1, 2});
  ASSERT_TRUE(CtrlC());
  EXPECT_EQ(Utf8(toolkit.Caption()), "已复制: acc2");
  toolkit.Advance(300);
  EXPECT_EQ(Utf8(toolkit.Caption()), "Korlo引擎日志分析工具");
  toolkit.Advance(200);
  EXPECT_EQ(toolkit.Lines({"caption", "timer", "tick"}),
            (std::vector<std::string>{"caption 已复制: acc3", "timer 1 500", "caption 已复制: acc2",
                                      "timer 2 500", "tick 1", "caption Korlo引擎日志分析工具",
                                      "tick 2", "caption Korlo引擎日志分析工具"}));
}

// A timer the form did not start is not a copy notice.
TEST_F(GridCopyTest, AForeignTimerLeavesTheCaption) {
  Press({1, 3});
  ASSERT_TRUE(CtrlC());
  form.TimerFired(form::TTimerId{999});
  EXPECT_EQ(Utf8(toolkit.Caption()), "已复制: acc3");
}

// A smaller result that cuts off the current row moves the current cell and the stored cell to
// column 0 of the new last row; otherwise the stored cell stays, even beyond the rows shown.
TEST_F(FormTest, ASmallerResultMovesACutOffCurrentRowToTheNewLastRow) {
  struct Case {
    const char* name;
    TMouseButton button;  // pressed on column 4 of row 400; a left press on row 2 before
    int newRecords;
    int currentRow;
    TGridCell stored;
  };
  const Case cases[] = {
      {"3 records after row 400 was selected", TMouseButton::kLeft, 3, 3, {0, 3}},
      {"an empty result after row 400 was selected", TMouseButton::kLeft, 0, 1, {0, 1}},
      {"row 400 right-pressed: the current row stays", TMouseButton::kRight, 3, 2, {4, 400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetResult(State(), 500);
    form.RenderGrid();
    toolkit.PressGrid(TMouseButton::kLeft, {1, 2});
    toolkit.PressGrid(c.button, {4, 400});
    EXPECT_EQ(State().FLastClickedCol, 4);
    EXPECT_EQ(State().FLastClickedRow, 400);
    SetResult(State(), c.newRecords);
    form.RenderGrid();
    EXPECT_EQ(toolkit.GridCurrentRow(), c.currentRow);
    EXPECT_EQ(State().FLastClickedCol, c.stored.column);
    EXPECT_EQ(State().FLastClickedRow, c.stored.row);
  }
}

TEST_F(FormTest, CtrlCAfterTheMoveCopiesTheNewLastRowNumber) {
  SetResult(State(), 500);
  form.RenderGrid();
  toolkit.PressGrid(TMouseButton::kLeft, {4, 400});
  SetResult(State(), 3);
  form.RenderGrid();
  EXPECT_TRUE(toolkit.PressKey(TKey::kC, kCtrl, StringGrid1));
  EXPECT_EQ(Utf8(toolkit.ClipboardText()), "3");
}

}  // namespace
}  // namespace korlo_test
