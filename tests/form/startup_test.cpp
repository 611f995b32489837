#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TControl;
using form::TControlKind;
using form::TRect;

// Built but not started: each test creates the window itself, after preparing the default root or
// the screen.
class StartupTest : public FormHarness {};

std::vector<std::string> Names(const std::vector<TControl>& controls) {
  std::vector<std::string> names;
  for (TControl control : controls)
    names.emplace_back(form::ControlName(control));
  return names;
}

TEST_F(StartupTest, BuildsEveryControlAsDesigned) {
  form.Create();

  EXPECT_EQ(toolkit.Transcript().front(), "window KorloPC引擎日志分析工具 1200x700 Segoe UI -12");
  // Every control once, parents first.
  std::vector<std::string> created;
  for (const std::string& line : toolkit.Lines({"create "}))
    created.push_back(line.substr(7));
  ASSERT_EQ(created.size(), form::kControlCount);
  for (const form::TControlLayout& entry : form::LayoutTable()) {
    if (!entry.HasParent()) continue;
    const auto child = std::find(created.begin(), created.end(), form::ControlName(entry.id));
    const auto parent =
        std::find(created.begin(), created.end(), form::ControlName(entry.Parent()));
    EXPECT_LT(parent, child) << form::ControlName(entry.id);
  }

  // What each control is and where it sits in a 1200 x 700 client area once the window is built:
  // the docked ones follow the client area, the action list and its buttons follow the left panel.
  struct Row {
    TControl control;
    TControlKind kind;
    std::optional<TControl> parent;  // none: the window's own child
    TRect bounds;
    std::u16string_view text;
    std::u16string_view placeholder;
    int itemHeight;
  };
  using K = TControlKind;
  constexpr std::optional<TControl> kWindow;
  const Row rows[] = {
      {Panel2, K::kPanel, kWindow, {0, 0, 1200, 137}, u"", u"", 0},
      {edtPath, K::kEdit, Panel2, {20, 20, 250, 23}, u"D:\\KorloServer", u"", 0},
      {btnSelectPath, K::kButton, Panel2, {280, 19, 90, 25}, u"选择路径", u"", 0},
      {btnLoadSearch, K::kButton, Panel2, {380, 19, 90, 25}, u"加载", u"", 0},
      {btnHelp, K::kButton, Panel2, {480, 19, 60, 25}, u"帮助", u"", 0},
      {lblStatus, K::kLabel, Panel2, {550, 23, 0, 0}, u"状态：未加载", u"", 0},
      {lblColumn1, K::kLabel, Panel2, {20, 60, 0, 0}, u"查询条件1", u"", 0},
      {cboColumn1, K::kComboBox, Panel2, {90, 57, 100, 23}, u"", u"", 0},
      {edtKeyword1, K::kEdit, Panel2, {200, 57, 120, 23}, u"", u"关键词1", 0},
      {chkExact1, K::kCheckBox, Panel2, {330, 59, 80, 17}, u"精确查找1", u"", 0},
      {lblColumn2, K::kLabel, Panel2, {420, 60, 0, 0}, u"查询条件2", u"", 0},
      {cboColumn2, K::kComboBox, Panel2, {490, 57, 100, 23}, u"", u"", 0},
      {edtKeyword2, K::kEdit, Panel2, {600, 57, 120, 23}, u"", u"关键词2", 0},
      {chkExact2, K::kCheckBox, Panel2, {730, 59, 80, 17}, u"精确查找2", u"", 0},
      {lblCodePage, K::kLabel, Panel2, {820, 60, 0, 0}, u"编码", u"", 0},
      {cboCodePage, K::kComboBox, Panel2, {855, 57, 100, 23}, u"", u"", 0},
      {btnReadNew, K::kButton, Panel2, {965, 56, 90, 25}, u"读取新记录", u"", 0},
      {chkFollow, K::kCheckBox, Panel2, {1065, 59, 90, 17}, u"实时跟踪", u"", 0},
      {lblStartTime, K::kLabel, Panel2, {20, 97, 0, 0}, u"开始时间", u"", 0},
      {edtStartTime, K::kEdit, Panel2, {90, 94, 150, 23}, u"", u"YYYY-MM-DD HH:MM:SS", 0},
      {lblEndTime, K::kLabel, Panel2, {250, 97, 0, 0}, u"结束时间", u"", 0},
      {edtEndTime, K::kEdit, Panel2, {320, 94, 150, 23}, u"", u"YYYY-MM-DD HH:MM:SS", 0},
      {pnlLeft, K::kPanel, kWindow, {0, 137, 280, 544}, u"", u"", 0},
      {lblDateFolder, K::kLabel, pnlLeft, {10, 10, 0, 0}, u"日期文件夹:", u"", 0},
      {lstDateFolders, K::kDateList, pnlLeft, {10, 30, 260, 200}, u"", u"", 15},
      {btnRefreshDates, K::kButton, pnlLeft, {10, 235, 80, 25}, u"刷新列表", u"", 0},
      {btnSelectAll, K::kButton, pnlLeft, {100, 235, 70, 25}, u"全选", u"", 0},
      {btnDeselectAll, K::kButton, pnlLeft, {180, 235, 70, 25}, u"取消全选", u"", 0},
      {lblActionFilter, K::kLabel, pnlLeft, {10, 270, 0, 0}, u"动作筛选:", u"", 0},
      // 544 - 290 - 60 = 194 high; the buttons 10 below it.
      {lstActions, K::kCheckList, pnlLeft, {10, 290, 260, 194}, u"", u"", 17},
      {btnSelectAllActions, K::kButton, pnlLeft, {10, 494, 80, 25}, u"全选动作", u"", 0},
      {btnClearAllActions, K::kButton, pnlLeft, {100, 494, 80, 25}, u"清空动作", u"", 0},
      {Splitter1, K::kSplitter, kWindow, {280, 137, 5, 544}, u"", u"", 0},
      {StringGrid1, K::kGrid, kWindow, {285, 137, 915, 544}, u"", u"", 20},
      {StatusBar1, K::kStatusBar, kWindow, {0, 681, 1200, 19}, u"", u"", 0},
      {ProgressBar1, K::kProgressBar, kWindow, {0, 700, 1200, 0}, u"", u"", 0},
  };
  ASSERT_EQ(std::size(rows), form::kControlCount);
  for (const Row& row : rows) {
    SCOPED_TRACE(form::ControlName(row.control));
    const FakeToolkit::TControlState& state = toolkit.Control(row.control);
    ASSERT_TRUE(state.created);
    EXPECT_EQ(state.layout.kind, row.kind);
    EXPECT_EQ(state.layout.HasParent(), row.parent.has_value());
    if (row.parent) {
      EXPECT_EQ(state.layout.Parent(), *row.parent);
    }
    EXPECT_EQ(state.bounds, row.bounds);
    EXPECT_EQ(Utf8(state.text), Utf8(row.text));
    EXPECT_EQ(Utf8(state.layout.placeholder), Utf8(row.placeholder));
    if (row.kind == K::kDateList || row.kind == K::kCheckList) {
      EXPECT_EQ(state.layout.itemHeight, row.itemHeight);
    }
    // Only the progress bar starts hidden; every input control starts enabled.
    EXPECT_EQ(state.visible, row.control != ProgressBar1);
    EXPECT_TRUE(state.enabled);
  }

  // Tab: the top panel's controls, the left panel's, then the grid.
  EXPECT_EQ(Names(toolkit.TabOrder()), (std::vector<std::string>{"edtPath",
                                                                 "btnSelectPath",
                                                                 "btnLoadSearch",
                                                                 "btnHelp",
                                                                 "cboColumn1",
                                                                 "edtKeyword1",
                                                                 "chkExact1",
                                                                 "cboColumn2",
                                                                 "edtKeyword2",
                                                                 "chkExact2",
                                                                 "cboCodePage",
                                                                 "btnReadNew",
                                                                 "chkFollow",
                                                                 "edtStartTime",
                                                                 "edtEndTime",
                                                                 "lstDateFolders",
                                                                 "btnRefreshDates",
                                                                 "btnSelectAll",
                                                                 "btnDeselectAll",
                                                                 "lstActions",
                                                                 "btnSelectAllActions",
                                                                 "btnClearAllActions",
                                                                 "StringGrid1"}));
}

TEST_F(StartupTest, StartsWithTheDefaultsAndAnEmptyResult) {
  form.Create();

  EXPECT_EQ(Utf8(toolkit.Caption()), "KorloPC引擎日志分析工具");
  EXPECT_EQ(Status(), "状态：未加载");
  EXPECT_EQ(LoadCaption(), "加载");
  ASSERT_EQ(toolkit.PanelCount(), 3);
  EXPECT_EQ(Panel(0), "总记录数: 0");
  EXPECT_EQ(Panel(1), "筛选后: 0");
  EXPECT_EQ(Panel(2), "");

  const std::vector<std::u16string> columns = {u"所有列", u"帐号",     u"角色名", u"物品流水号",
                                               u"物品ID", u"物品名称", u"关联"};
  for (TControl box : {cboColumn1, cboColumn2}) {
    SCOPED_TRACE(form::ControlName(box));
    EXPECT_EQ(toolkit.Control(box).items, columns);
    EXPECT_EQ(toolkit.CurrentItem(box), 0);
  }
  EXPECT_TRUE(toolkit.IsChecked(chkExact1));
  EXPECT_TRUE(toolkit.IsChecked(chkExact2));

  // The grid: fifteen headers with their widths over one empty row.
  const std::vector<std::pair<std::u16string, int>> headers = {
      {u"序号", 50},  {u"帐号", 80},  {u"角色名", 120},     {u"地图代码", 70},  {u"坐标X", 50},
      {u"坐标Y", 50}, {u"等级", 40},  {u"物品流水号", 100}, {u"物品ID", 70},    {u"物品名称", 150},
      {u"参数1", 80}, {u"参数2", 80}, {u"关联", 80},        {u"记录时间", 120}, {u"备注", 100}};
  EXPECT_EQ(toolkit.GridColumns(), headers);
  EXPECT_EQ(toolkit.GridRowCount(), 1);
  EXPECT_EQ(form.GridDataRowCount(), 1);
  for (int column = 0; column < 15; ++column) {
    EXPECT_EQ(form.GridCellText(column, 0), headers[static_cast<std::size_t>(column)].first);
    EXPECT_EQ(Cell(column, 1), "") << column;
  }

  // The action list with "select all" alone checked, and the keyword table.
  EXPECT_EQ(toolkit.ItemCount(lstActions), 33);
  EXPECT_EQ(Utf8(toolkit.ItemText(lstActions, 0)), "选择全部");
  EXPECT_EQ(Utf8(toolkit.ItemText(lstActions, 32)), "英雄死亡记录");
  std::vector<bool> onlySelectAll(33, false);
  onlySelectAll[0] = true;
  EXPECT_EQ(State().FActionChecked, onlySelectAll);
  EXPECT_EQ(State().FActionKeywords.size(), 30u);

  EXPECT_EQ(Utf8(State().FSelectedPath), "D:\\KorloServer");
  EXPECT_EQ(State().FLastClickedCol, -1);
  EXPECT_EQ(State().FLastClickedRow, -1);
  EXPECT_FALSE(State().FIsDataLoaded);
  EXPECT_FALSE(toolkit.IsVisible(ProgressBar1));
  EXPECT_EQ(toolkit.Cursor(), form::TScreenCursor::kDefault);
  EXPECT_TRUE(toolkit.errors.empty());
}

// The status line reads "未加载" after start whatever the scans reported; the date list shows the
// default root's day folders, sorted, when it has any.
TEST_F(StartupTest, ListsTheDefaultRootsDaysWhenItHasAny) {
  struct Case {
    const char* name;
    std::vector<std::string> days;
    std::vector<std::string> listed;
    std::vector<std::string> statuses;  // the path check, the scan, then the start's own
  };
  const Case cases[] = {
      {"no LogServer\\BaseDir",
       {},
       {},
       {"text lblStatus 状态：路径无效", "text lblStatus 状态：路径不存在",
        "text lblStatus 状态：未加载"}},
      {"days written out of order",
       {"2024-03-02", "2024-03-01"},
       {"2024-03-01", "2024-03-02"},
       {"text lblStatus 状态：找到 2 个日期文件夹",
        "text lblStatus 状态：路径已更改，请选择日期文件夹并点击加载",
        "text lblStatus 状态：找到 2 个日期文件夹", "text lblStatus 状态：未加载"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree root;
    for (const std::string& day : c.days)
      WriteDay(root, day, {"a"});
    DefaultRootRedirect fileSystem(root.WindowsStylePath());
    FakeToolkit screen;
    form::TForm1 window(screen, fileSystem, platform::kCodePageGbk);
    screen.Attach(window);
    window.Create();
    std::vector<std::string> listed;
    for (const std::u16string& item : screen.Control(lstDateFolders).items)
      listed.push_back(Utf8(item));
    EXPECT_EQ(listed, c.listed);
    EXPECT_EQ(screen.Lines({"text lblStatus"}), c.statuses);
    EXPECT_EQ(Utf8(screen.Text(btnLoadSearch)), "加载");
    EXPECT_EQ(Utf8(window.State().FSelectedPath), "D:\\KorloServer");
    EXPECT_EQ(screen.Count("yield"), 0u);  // nothing in start-up yields
  }
}

TEST_F(StartupTest, PlacesTheWindowCentredInTheWorkArea) {
  struct Case {
    const char* name;
    TRect workArea;
    std::string placed;
  };
  // The outer size is the 1200 x 700 client area with the fake's 16 x 39 frame.
  const Case cases[] = {
      {"full HD", {0, 0, 1920, 1040}, "windowbounds 352 150 1216 739"},
      {"task bar on the left, second monitor",
       {1980, 50, 1600, 900},
       "windowbounds 2172 130 1216 739"},
      // A screen smaller than the window: the window fits it instead of starting off it.
      {"1024 x 768 with a task bar", {0, 0, 1024, 728}, "windowbounds 0 0 1024 728"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DefaultRootRedirect fileSystem(defaultRoot.WindowsStylePath());
    FakeToolkit screen;
    screen.workArea = c.workArea;
    form::TForm1 window(screen, fileSystem, platform::kCodePageGbk);
    screen.Attach(window);
    window.Create();
    screen.Show();
    const std::vector<std::string> placed = screen.Lines({"windowbounds"});
    ASSERT_FALSE(placed.empty());
    for (const std::string& line : placed)
      EXPECT_EQ(line, c.placed);
  }
}

TEST_F(StartupTest, StartsOnTheRootTheCommandLineNames) {
  TempTree other;
  WriteDay(other, "2024-05-06", {"a"});
  DefaultRootRedirect fileSystem(defaultRoot.WindowsStylePath());
  FakeToolkit screen;
  form::TForm1 window(screen, fileSystem, platform::kCodePageGbk, other.WindowsStylePath());
  screen.Attach(window);
  window.Create();
  EXPECT_EQ(Utf8(screen.Text(edtPath)), Utf8(other.WindowsStylePath()));
  EXPECT_EQ(Utf8(window.State().FSelectedPath), Utf8(other.WindowsStylePath()));
  EXPECT_EQ(screen.Control(lstDateFolders).items, std::vector<std::u16string>{u"2024-05-06"});
  EXPECT_EQ(Utf8(screen.Text(lblStatus)), "状态：未加载");
}

}  // namespace
}  // namespace korlo_test
