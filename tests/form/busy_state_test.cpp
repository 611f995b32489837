#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TControl;

// The seventeen controls of the busy state, in the order it changes them.
constexpr TControl kBusyControls[] = {
    btnSelectPath,       btnLoadSearch,      btnRefreshDates, btnSelectAll, btnDeselectAll,
    btnSelectAllActions, btnClearAllActions, btnHelp,         edtPath,      cboColumn1,
    cboColumn2,          edtKeyword1,        edtKeyword2,     chkExact1,    chkExact2,
    lstDateFolders,      lstActions,
};

std::vector<std::string> EnableLines(bool enabled) {
  std::vector<std::string> lines;
  for (TControl control : kBusyControls) {
    lines.push_back("enable " + std::string(form::ControlName(control)) +
                    (enabled ? " true" : " false"));
  }
  // The controls the window has beyond the seventeen follow them: the code page box, the reading
  // of new records and the time range.
  for (const char* name : {"cboCodePage", "btnReadNew", "chkFollow", "edtStartTime", "edtEndTime"})
    lines.push_back(std::string("enable ") + name + (enabled ? " true" : " false"));
  return lines;
}

TEST_F(FormTest, ALoadRunsInTheBusyStateAndLeavesIt) {
  TempTree tree;
  WriteDay(tree, "2024-03-01", Accounts(2));
  bool checked = false;
  toolkit.onYield = [&] {
    if (checked) return;
    checked = true;
    // At the first yield, before any folder is read.
    EXPECT_EQ(Status(), "状态：正在加载数据，请稍候...");
    EXPECT_EQ(toolkit.Cursor(), form::TScreenCursor::kHourglass);
    for (TControl control : kBusyControls) {
      EXPECT_FALSE(toolkit.IsEnabled(control)) << form::ControlName(control);
    }
    EXPECT_TRUE(toolkit.IsEnabled(StringGrid1));
    EXPECT_TRUE(State().FIsLoading);
  };
  toolkit.Paste(edtPath, tree.WindowsStylePath());
  toolkit.SelectDates({u"2024-03-01"});
  toolkit.ClearTranscript();
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  ASSERT_TRUE(checked);

  // Entering: the seventeen controls, the status, the hourglass, then one yield to paint it.
  std::vector<std::string> entering = EnableLines(false);
  entering.insert(entering.end(),
                  {"text lblStatus 状态：正在加载数据，请稍候...", "cursor hourglass", "yield"});
  const std::vector<std::string>& transcript = toolkit.Transcript();
  ASSERT_GE(transcript.size(), entering.size());
  EXPECT_EQ(
      std::vector<std::string>(transcript.begin(),
                               transcript.begin() + static_cast<std::ptrdiff_t>(entering.size())),
      entering);
  // Leaving: the bar hidden (the window re-docked), the seventeen controls, the cursor, one
  // yield, then the button caption.
  std::vector<std::string> leaving = {"visible ProgressBar1 false"};
  const std::vector<std::string> enable = EnableLines(true);
  leaving.insert(leaving.end(), enable.begin(), enable.end());
  leaving.insert(leaving.end(), {"cursor default", "yield", "text btnLoadSearch 查询/刷新"});
  const auto hidden = std::find(transcript.rbegin(), transcript.rend(), leaving.front());
  ASSERT_NE(hidden, transcript.rend());
  std::vector<std::string> end;
  for (auto line = hidden.base() - 1; line != transcript.end(); ++line) {
    if (!line->starts_with("bounds ")) end.push_back(*line);
  }
  EXPECT_EQ(end, leaving);

  for (TControl control : kBusyControls) {
    EXPECT_TRUE(toolkit.IsEnabled(control)) << form::ControlName(control);
  }
  EXPECT_EQ(toolkit.Cursor(), form::TScreenCursor::kDefault);
  EXPECT_FALSE(toolkit.IsVisible(ProgressBar1));
  EXPECT_FALSE(State().FIsLoading);
  EXPECT_EQ(LoadCaption(), "查询/刷新");
  EXPECT_EQ(Panel(0), "总记录数: 2");
  EXPECT_EQ(Panel(1), "筛选后: 2");
  EXPECT_EQ(Status(), "状态：找到 2 条匹配记录");
}

TEST_F(FormTest, TheStatusBarCountsAllRecordsAndTheResult) {
  TempTree tree;
  WriteDay(tree, "2024-03-01", {"x", "y", "x", "z", "w", "v"});
  toolkit.Paste(edtKeyword1, u"x");  // exact, on all columns
  Load(tree, {u"2024-03-01"});
  EXPECT_EQ(Panel(0), "总记录数: 6");
  EXPECT_EQ(Panel(1), "筛选后: 2");
  EXPECT_EQ(Panel(2), "");
  EXPECT_TRUE(toolkit.Lines({"panel 2"}).empty());  // never written after start
  EXPECT_EQ(LoadCaption(), "查询/刷新");
  EXPECT_EQ(Status(), "状态：找到 2 条匹配记录");
}

// A file that cannot be read ends the load: the error box names it, titled with the caption, and
// the window leaves the busy state and goes on.
TEST_F(FormTest, AFailedLoadShowsTheErrorAndLeavesTheBusyState) {
  TempTree tree;
  WriteDay(tree, "2024-03-01", Accounts(2));
  tree.MakeDir("LogServer/BaseDir/2024-03-01/sub.log");
  Load(tree, {u"2024-03-01"});

  ASSERT_EQ(toolkit.errors.size(), 1u);
  EXPECT_EQ(Utf8(toolkit.errors[0].first), "KorloPC引擎日志分析工具");
  const std::string message = Utf8(toolkit.errors[0].second);
  EXPECT_NE(message.find("2024-03-01"), std::string::npos) << message;
  EXPECT_NE(message.find("sub.log"), std::string::npos) << message;
  // The box comes after the busy state was left.
  const std::vector<std::string> last =
      toolkit.Lines({"enable lstActions", "cursor", "text btnLoadSearch", "error"});
  ASSERT_GE(last.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(last.end() - 4, last.end() - 1),
            (std::vector<std::string>{"enable lstActions true", "cursor default",
                                      "text btnLoadSearch 加载"}));
  EXPECT_TRUE(last.back().starts_with("error KorloPC引擎日志分析工具 | "));

  for (TControl control : kBusyControls) {
    EXPECT_TRUE(toolkit.IsEnabled(control)) << form::ControlName(control);
  }
  EXPECT_EQ(toolkit.Cursor(), form::TScreenCursor::kDefault);
  EXPECT_FALSE(toolkit.IsVisible(ProgressBar1));
  EXPECT_FALSE(State().FIsLoading);
  EXPECT_EQ(LoadCaption(), "加载");
  EXPECT_EQ(Status(), "状态：正在加载: 2024-03-01");
  EXPECT_EQ(Panel(0), "总记录数: 0");

  ASSERT_TRUE(toolkit.Click(btnSelectAll));
  EXPECT_EQ(Status(), "状态：已选择 1 个文件夹");
}

// During a load only the grid and the window's shortcuts take input; every command that could
// disturb the load refuses with the busy message and changes nothing else.
TEST_F(FormTest, CommandsDuringALoadShowTheBusyMessage) {
  TempTree tree;
  WriteDay(tree, "2024-03-01", Accounts(3));
  struct Case {
    const char* name;
    std::function<void()> command;
  };
  const Case cases[] = {
      {"Ctrl+L",
       [&] { EXPECT_TRUE(toolkit.PressKey(form::TKey::kL, form::TShift::kCtrl, StringGrid1)); }},
      {"load button", [&] { form.btnLoadSearchClick(); }},
      {"path change", [&] { form.edtPathChange(); }},
      {"refresh", [&] { form.btnRefreshDatesClick(); }},
      {"choose path", [&] { form.btnSelectPathClick(); }},  // opens no chooser
      {"select all folders", [&] { form.btnSelectAllClick(); }},
      {"deselect all folders", [&] { form.btnDeselectAllClick(); }},
      {"action box pressed",
       [&] {
         form.lstActionsMouseDown(form::TMouseButton::kLeft, form::TShift::kNone,
                                  FakeToolkit::ActionPoint(5, 30));
       }},
      {"Space in the action list",
       [&] { form.lstActionsKeyDown(form::TKey::kSpace, form::TShift::kNone); }},
      {"select all actions", [&] { form.btnSelectAllActionsClick(); }},
      {"clear actions", [&] { form.btnClearAllActionsClick(); }},
  };
  toolkit.Resize({1200, 1040});  // every action entry in view
  toolkit.PressActionList(form::TMouseButton::kLeft, FakeToolkit::ActionPoint(5, 100));
  ASSERT_EQ(toolkit.CurrentItem(lstActions), 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool ran = false;
    toolkit.onYield = [&] {
      if (ran || !State().FIsLoading) return;
      ran = true;
      const std::vector<bool> flags = State().FActionChecked;
      const std::vector<std::u16string> dates = toolkit.SelectedItems(lstDateFolders);
      toolkit.ClearTranscript();
      c.command();
      EXPECT_EQ(toolkit.Transcript(),
                (std::vector<std::string>{"text lblStatus 状态：正在加载数据中，请稍候..."}));
      EXPECT_EQ(State().FActionChecked, flags);
      EXPECT_EQ(toolkit.SelectedItems(lstDateFolders), dates);
    };
    Load(tree, {u"2024-03-01"});
    EXPECT_TRUE(ran);
    EXPECT_EQ(State().FAllLogs.size(), 3u);
    EXPECT_EQ(Status(), "状态：找到 3 条匹配记录");
    toolkit.onYield = nullptr;
  }
}

// Ctrl+F reaches the window during a load, with the keyword box disabled: the key is consumed
// and nothing else happens.
TEST_F(FormTest, CtrlFDuringALoadIsConsumedWithoutAnError) {
  TempTree tree;
  WriteDay(tree, "2024-03-01", Accounts(3));
  bool pressed = false;
  toolkit.onYield = [&] {
    if (pressed || !State().FIsLoading) return;
    pressed = true;
    EXPECT_TRUE(toolkit.PressKey(form::TKey::kF, form::TShift::kCtrl, StringGrid1));
  };
  Load(tree, {u"2024-03-01"});
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(toolkit.errors.empty());
  EXPECT_FALSE(toolkit.Focused().has_value());
  EXPECT_EQ(State().FAllLogs.size(), 3u);
}

// A close asked for while a command yields is refused then; the window closes once the command
// has returned, with the records intact until then.
TEST_F(FormTest, ClosingWhileACommandYieldsWaitsForItToEnd) {
  TempTree tree;
  WriteDay(tree, "2024-03-01", Accounts(300));
  struct Case {
    const char* name;
    bool loadedBefore;  // the press runs a query alone
  };
  for (const Case& c : {Case{"load", false}, Case{"query", true}}) {
    SCOPED_TRACE(c.name);
    FakeToolkit screen;
    DefaultRootRedirect fileSystem(defaultRoot.WindowsStylePath());
    form::TForm1 window(screen, fileSystem, platform::kCodePageGbk);
    screen.Attach(window);
    window.Create();
    screen.Paste(edtPath, tree.WindowsStylePath());
    screen.SelectDates({u"2024-03-01"});
    if (c.loadedBefore) {
      ASSERT_TRUE(screen.Click(btnLoadSearch));
    }
    bool asked = false;
    screen.onYield = [&] {
      if (asked) return;
      asked = true;
      EXPECT_FALSE(screen.RequestClose());
      EXPECT_FALSE(screen.WindowClosed());
    };
    screen.ClearTranscript();
    ASSERT_TRUE(screen.Click(btnLoadSearch));
    ASSERT_TRUE(asked);
    EXPECT_EQ(screen.Count("cursor hourglass"), c.loadedBefore ? 0u : 1u);
    EXPECT_EQ(window.State().FFilteredLogs.size(), 300u);
    EXPECT_EQ(screen.Count("close"), 1u);
    EXPECT_EQ(screen.Transcript().back(), "close");
  }
}

TEST_F(FormTest, ClosingWhileIdleClosesAtOnce) {
  EXPECT_TRUE(toolkit.RequestClose());
  EXPECT_EQ(toolkit.Count("close"), 0u);  // the toolkit closes it; the form only agrees
}

}  // namespace
}  // namespace korlo_test
