#include "form/layout.h"

#include <algorithm>

namespace form {

namespace {

using enum TControl;
using K = TControlKind;

constexpr std::uint8_t P(TControl parent) {
  return static_cast<std::uint8_t>(parent);
}

// The top panel's third row (the time range) makes it 37 pixels higher than the first design's
// 100: its rows are 37 apart.
constexpr int kTopPanelHeight = 137;
constexpr int kLeftPanelWidth = 280;
constexpr int kSplitterWidth = 5;
constexpr int kStatusBarHeight = 19;
constexpr int kProgressBarHeight = 19;
constexpr int kActionListTop = 290;
constexpr int kActionListBottomMargin = 60;
constexpr int kActionListMinHeight = 100;
constexpr int kActionButtonGap = 10;
// What the designed client area of 700 leaves between the top panel and the status bar.
constexpr int kBelowTopPanel = 700 - kTopPanelHeight - kStatusBarHeight;

// Docked controls get their bounds from DockChildren; their table bounds are the designed ones.
constexpr std::array<TControlLayout, kControlCount> kLayout = {{
    {Panel2, K::kPanel, kNoParent, {0, 0, 1200, kTopPanelHeight}, u"", u"", 0, TDock::kTop, 0},
    {edtPath, K::kEdit, P(Panel2), {20, 20, 250, 23}, u"", u"", 0, TDock::kNone, 0},
    {btnSelectPath, K::kButton, P(Panel2), {280, 19, 90, 25}, u"选择路径", u"", 1, TDock::kNone, 0},
    {btnLoadSearch, K::kButton, P(Panel2), {380, 19, 90, 25}, u"加载", u"", 2, TDock::kNone, 0},
    {btnHelp, K::kButton, P(Panel2), {480, 19, 60, 25}, u"帮助", u"", 3, TDock::kNone, 0},
    {lblStatus, K::kLabel, P(Panel2), {550, 23, 0, 0}, u"状态：未加载", u"", -1, TDock::kNone, 0},
    {lblColumn1, K::kLabel, P(Panel2), {20, 60, 0, 0}, u"查询条件1", u"", -1, TDock::kNone, 0},
    {cboColumn1, K::kComboBox, P(Panel2), {90, 57, 100, 23}, u"", u"", 4, TDock::kNone, 0},
    {edtKeyword1, K::kEdit, P(Panel2), {200, 57, 120, 23}, u"", u"关键词1", 5, TDock::kNone, 0},
    {chkExact1, K::kCheckBox, P(Panel2), {330, 59, 80, 17}, u"精确查找1", u"", 6, TDock::kNone, 0},
    {lblColumn2, K::kLabel, P(Panel2), {420, 60, 0, 0}, u"查询条件2", u"", -1, TDock::kNone, 0},
    {cboColumn2, K::kComboBox, P(Panel2), {490, 57, 100, 23}, u"", u"", 7, TDock::kNone, 0},
    {edtKeyword2, K::kEdit, P(Panel2), {600, 57, 120, 23}, u"", u"关键词2", 8, TDock::kNone, 0},
    {chkExact2, K::kCheckBox, P(Panel2), {730, 59, 80, 17}, u"精确查找2", u"", 9, TDock::kNone, 0},
    // The code page choice, right of the query inputs, where no other control sits.
    {lblCodePage, K::kLabel, P(Panel2), {820, 60, 0, 0}, u"编码", u"", -1, TDock::kNone, 0},
    {cboCodePage, K::kComboBox, P(Panel2), {855, 57, 100, 23}, u"", u"", 10, TDock::kNone, 0},
    // Reading what the live server appended since: once, or every two seconds while ticked.
    {btnReadNew, K::kButton, P(Panel2), {965, 56, 90, 25}, u"读取新记录", u"", 11, TDock::kNone, 0},
    {chkFollow, K::kCheckBox, P(Panel2), {1065, 59, 90, 17}, u"实时跟踪", u"", 12, TDock::kNone, 0},
    // The time range, in a row of its own under the query inputs.
    {lblStartTime, K::kLabel, P(Panel2), {20, 97, 0, 0}, u"开始时间", u"", -1, TDock::kNone, 0},
    {edtStartTime,
     K::kEdit,
     P(Panel2),
     {90, 94, 150, 23},
     u"",
     u"YYYY-MM-DD HH:MM:SS",
     13,
     TDock::kNone,
     0},
    {lblEndTime, K::kLabel, P(Panel2), {250, 97, 0, 0}, u"结束时间", u"", -1, TDock::kNone, 0},
    {edtEndTime,
     K::kEdit,
     P(Panel2),
     {320, 94, 150, 23},
     u"",
     u"YYYY-MM-DD HH:MM:SS",
     14,
     TDock::kNone,
     0},
    {pnlLeft,
     K::kPanel,
     kNoParent,
     {0, kTopPanelHeight, kLeftPanelWidth, kBelowTopPanel},
     u"",
     u"",
     1,
     TDock::kLeft,
     0},
    {lblDateFolder,
     K::kLabel,
     P(pnlLeft),
     {10, 10, 0, 0},
     u"日期文件夹:",
     u"",
     -1,
     TDock::kNone,
     0},
    {lstDateFolders, K::kDateList, P(pnlLeft), {10, 30, 260, 200}, u"", u"", 0, TDock::kNone, 15},
    {btnRefreshDates,
     K::kButton,
     P(pnlLeft),
     {10, 235, 80, 25},
     u"刷新列表",
     u"",
     1,
     TDock::kNone,
     0},
    {btnSelectAll, K::kButton, P(pnlLeft), {100, 235, 70, 25}, u"全选", u"", 2, TDock::kNone, 0},
    {btnDeselectAll,
     K::kButton,
     P(pnlLeft),
     {180, 235, 70, 25},
     u"取消全选",
     u"",
     3,
     TDock::kNone,
     0},
    {lblActionFilter,
     K::kLabel,
     P(pnlLeft),
     {10, 270, 0, 0},
     u"动作筛选:",
     u"",
     -1,
     TDock::kNone,
     0},
    {lstActions,
     K::kCheckList,
     P(pnlLeft),
     {10, kActionListTop, 260, 250},
     u"",
     u"",
     4,
     TDock::kNone,
     17},
    {btnSelectAllActions,
     K::kButton,
     P(pnlLeft),
     {10, 550, 80, 25},
     u"全选动作",
     u"",
     5,
     TDock::kNone,
     0},
    {btnClearAllActions,
     K::kButton,
     P(pnlLeft),
     {100, 550, 80, 25},
     u"清空动作",
     u"",
     6,
     TDock::kNone,
     0},
    {Splitter1,
     K::kSplitter,
     kNoParent,
     {kLeftPanelWidth, kTopPanelHeight, kSplitterWidth, kBelowTopPanel},
     u"",
     u"",
     -1,
     TDock::kLeft,
     0},
    {StringGrid1,
     K::kGrid,
     kNoParent,
     {285, kTopPanelHeight, 915, kBelowTopPanel},
     u"",
     u"",
     2,
     TDock::kFill,
     kGridRowHeight},
    {StatusBar1,
     K::kStatusBar,
     kNoParent,
     {0, 681, 1200, kStatusBarHeight},
     u"",
     u"",
     -1,
     TDock::kBottom,
     0},
    {ProgressBar1,
     K::kProgressBar,
     kNoParent,
     {0, 700, 1200, kProgressBarHeight},
     u"",
     u"",
     4,
     TDock::kBottom,
     0},
}};

constexpr TWindowLayout kWindow{u"KorloPC引擎日志分析工具", {1200, 700}, u"Segoe UI", -12};

constexpr std::array<TStatusPanelLayout, 3> kStatusPanels = {{
    {150, u"总记录数: 0"},
    {150, u"筛选后: 0"},
    {50, u""},
}};

constexpr std::array<std::string_view, kControlCount> kControlNames = {
    "Panel2",
    "edtPath",
    "btnSelectPath",
    "btnLoadSearch",
    "btnHelp",
    "lblStatus",
    "lblColumn1",
    "cboColumn1",
    "edtKeyword1",
    "chkExact1",
    "lblColumn2",
    "cboColumn2",
    "edtKeyword2",
    "chkExact2",
    "lblCodePage",
    "cboCodePage",
    "btnReadNew",
    "chkFollow",
    "lblStartTime",
    "edtStartTime",
    "lblEndTime",
    "edtEndTime",
    "pnlLeft",
    "lblDateFolder",
    "lstDateFolders",
    "btnRefreshDates",
    "btnSelectAll",
    "btnDeselectAll",
    "lblActionFilter",
    "lstActions",
    "btnSelectAllActions",
    "btnClearAllActions",
    "Splitter1",
    "StringGrid1",
    "StatusBar1",
    "ProgressBar1",
};

constexpr std::array<std::u16string_view, 5> kCodePageTexts = {u"系统默认", u"GBK", u"GB18030",
                                                               u"UTF-8", u"自动"};

}  // namespace

std::span<const std::u16string_view> CodePageTexts() {
  return kCodePageTexts;
}

std::string_view ControlName(TControl control) {
  return kControlNames[Index(control)];
}

const std::array<TControlLayout, kControlCount>& LayoutTable() {
  return kLayout;
}

const TControlLayout& LayoutOf(TControl control) {
  return kLayout[Index(control)];
}

const TWindowLayout& WindowLayout() {
  return kWindow;
}

std::span<const TStatusPanelLayout> StatusPanels() {
  return kStatusPanels;
}

TDockedBounds DockChildren(TSize client, int leftWidth, bool progressVisible) {
  const int width = std::max(client.width, 0);
  const int height = std::max(client.height, 0);
  TDockedBounds docked;
  docked.panel2 = {0, 0, width, std::min(kTopPanelHeight, height)};
  int bottom = height;
  if (progressVisible) {
    bottom = std::max(bottom - kProgressBarHeight, docked.panel2.Bottom());
    docked.progressBar1 = {0, bottom, width, height - bottom};
  } else {
    docked.progressBar1 = {0, height, width, 0};
  }
  const int statusTop = std::max(bottom - kStatusBarHeight, docked.panel2.Bottom());
  docked.statusBar1 = {0, statusTop, width, bottom - statusTop};
  const int top = docked.panel2.Bottom();
  const int middle = statusTop - top;
  const int left = std::clamp(leftWidth, 0, width);
  docked.pnlLeft = {0, top, left, middle};
  const int splitter = std::min(kSplitterWidth, width - left);
  docked.splitter1 = {left, top, splitter, middle};
  docked.stringGrid1 = {left + splitter, top, width - left - splitter, middle};
  return docked;
}

int ClampLeftWidth(int requested, int clientWidth) {
  const int widest = clientWidth - kSplitterWidth - kMinDockedWidth;
  return std::max(kMinDockedWidth, std::min(requested, widest));
}

TActionArea ActionArea(int panelHeight) {
  int h = panelHeight - kActionListTop - kActionListBottomMargin;
  if (h < kActionListMinHeight) h = kActionListMinHeight;
  return {h, kActionListTop + h + kActionButtonGap};
}

}  // namespace form
