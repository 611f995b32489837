#include "form/Unit1.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/keyword_match.h"
#include "core/log_record.h"
#include "core/status_texts.h"
#include "form/checklist_look.h"
#include "korlo_version.h"

namespace form {

namespace {

using enum TControl;

constexpr int kCopyNoticeMs = 500;

constexpr std::u16string_view kHelpText =
    u"Korlo引擎日志分析工具 " KORLO_VERSION_TEXT u"\r\n"
    u"----------------------\r\n"
    u"快捷键：\r\n"
    u"  Ctrl+F: 聚焦搜索框\r\n"
    u"  Ctrl+L: 加载数据\r\n"
    u"  Ctrl+C: 复制单元格\r\n"
    u"  Ctrl+S: 导出结果\r\n"
    u"  F5: 读取新记录\r\n"
    u"  实时跟踪: 勾选后每 2 秒自动读取新记录\r\n"
    u"----------------------\r\n"
    u"作者：Korlo日志分析工具开发组\r\n"
    u"联系：请通过项目的问题反馈渠道";

}  // namespace

// ---- Commands

void TForm1::edtPathChange() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  const std::u16string typed = toolkit_.Text(edtPath);
  const std::u16string_view root = core::TrimText(typed);
  if (root.empty()) {
    ClearDateFolders();
    SetStatus(u"请输入路径");
    return;
  }
  if (!FCore.IsValidRoot(root)) {
    ClearDateFolders();
    SetStatus(u"路径无效");
    return;
  }
  State().FSelectedPath = root;
  FCore.RefreshDateFolders();
  DropLoadedRecords();
  SetStatus(u"路径已更改，请选择日期文件夹并点击加载");
}

void TForm1::DropLoadedRecords() {
  State().FIsDataLoaded = false;
  State().FCurrentSelectedDate.clear();
  FCore.ClearRecords();
  RenderGrid();
  UpdateLoadButton();
  UpdateStatusBar();
}

void TForm1::btnRefreshDatesClick() {
  edtPathChange();
}

void TForm1::btnSelectPathClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  const std::u16string typed(core::TrimText(toolkit_.Text(edtPath)));
  const std::u16string start = typed.empty() ? State().FSelectedPath : typed;
  const std::optional<std::u16string> chosen =
      toolkit_.ChooseDirectory(u"选择LogServer上一层目录", start);
  if (!chosen) return;
  // The loaded records go only for another server root: confirming the root the box already
  // names keeps everything as it is, and a folder that is no server root becomes the path (the
  // date list then shows why it holds nothing) while the records stay, as when such a path is
  // typed.
  const std::u16string_view root = core::TrimText(*chosen);
  if (root == core::TrimText(toolkit_.Text(edtPath)) && !State().FAllLogs.empty()) return;
  State().FSelectedPath = *chosen;
  SetControlText(edtPath, *chosen);
  if (FCore.IsValidRoot(root)) DropLoadedRecords();
  FCore.RefreshDateFolders();
}

void TForm1::btnSelectAllClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  const int count = DateFolderCount();
  for (int i = 0; i < count; ++i)
    SetDateFolderSelected(i, true);
  int selected = 0;
  for (int i = 0; i < count; ++i) {
    if (IsDateFolderSelected(i)) ++selected;
  }
  SetStatus(u"已选择 " + core::DecimalText(selected) + u" 个文件夹");
}

void TForm1::btnDeselectAllClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  for (int i = 0; i < DateFolderCount(); ++i)
    SetDateFolderSelected(i, false);
  SetStatus(u"已取消所有选择");
}

void TForm1::lstDateFoldersClick() {
  if (!State().FIsDataLoaded) return;
  State().FIsDataLoaded = false;
  UpdateLoadButton();
  SetStatus(u"已选择新的日期文件夹，请点击加载按钮");
}

void TForm1::btnLoadSearchClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  if (State().FSelectedPath.empty()) {
    SetStatus(u"请先选择或输入LogServer上一层目录");
    return;
  }
  std::vector<std::u16string> selected;
  for (int i = 0; i < DateFolderCount(); ++i) {
    if (IsDateFolderSelected(i)) selected.push_back(DateFolderText(i));
  }
  if (selected.empty()) {
    SetStatus(u"请先选择至少一个日期文件夹");
    return;
  }
  if (!State().FIsDataLoaded || selected.front() != State().FCurrentSelectedDate) {
    NameCommand("LoadLogData");
    FCore.LoadLogData();
    return;
  }
  if (queryRunning_) {
    // A query is yielding with its result half built: run this request once it is done, with
    // the inputs as they stand then.
    queryRequested_ = true;
    return;
  }
  NameCommand("ApplyFilter");
  queryRunning_ = true;
  try {
    FCore.ApplyFilter();
    UpdateLoadButton();
  } catch (...) {
    queryRunning_ = false;
    queryRequested_ = false;
    throw;
  }
  queryRunning_ = false;
  if (queryRequested_) {
    queryRequested_ = false;
    btnLoadSearchClick();
  }
}

bool TForm1::FormKeyDown(TKey key, TShift shift) {
  if (key == TKey::kF5) {
    btnReadNewClick();
    return true;
  }
  if (!Holds(shift, TShift::kCtrl)) return false;
  if (key == TKey::kF) {
    // Focusing a disabled box (during a load) does nothing.
    if (toolkit_.IsEnabled(edtKeyword1)) toolkit_.FocusAndSelectAll(edtKeyword1);
    return true;
  }
  if (key == TKey::kL) {
    btnLoadSearchClick();  // a click by the program runs whatever the button's state
    return true;
  }
  if (key == TKey::kS) {
    NameCommand("ExportResult");
    ExportResult();
    return true;
  }
  return false;
}

void TForm1::btnHelpClick() {
  toolkit_.ShowInformation(u"帮助", kHelpText);
}

// ---- Action checklist

void TForm1::lstActionsMouseDown(TMouseButton, TShift, TPoint point) {
  const int entry = toolkit_.ItemAt(lstActions, point);
  if (entry < 0) return;
  if (TActionCheckList::HitsCheckBox(entry, point.x)) {
    FCore.ToggleAction(entry);
  } else {
    toolkit_.SetCurrentItem(lstActions, entry);
  }
}

bool TForm1::lstActionsKeyDown(TKey key, TShift) {
  if (key != TKey::kSpace) return false;
  const int current = toolkit_.CurrentItem(lstActions);
  if (current >= 0) FCore.ToggleAction(current);
  return true;
}

void TForm1::btnSelectAllActionsClick() {
  FCore.btnSelectAllActionsClick();
}

void TForm1::btnClearAllActionsClick() {
  FCore.btnClearAllActionsClick();
}

// ---- Grid

void TForm1::StringGrid1MouseDown(TMouseButton, TShift, TGridCell cell) {
  if (cell.column < 0 || cell.row < 0) return;
  State().FLastClickedCol = cell.column;
  State().FLastClickedRow = cell.row;
}

void TForm1::StringGrid1SelectCell(TGridCell cell) {
  State().FLastClickedCol = cell.column;
  State().FLastClickedRow = cell.row;
}

bool TForm1::StringGrid1KeyDown(TKey key, TShift shift) {
  if (!Holds(shift, TShift::kCtrl) || key != TKey::kC) return false;
  if (State().FLastClickedRow >= 0 && State().FLastClickedCol >= 0) {
    const std::u16string text = GridCellText(State().FLastClickedCol, State().FLastClickedRow);
    if (!text.empty()) {
      toolkit_.SetClipboardText(text);
      toolkit_.SetCaption(u"已复制: " + text);
      copyTimers_.push_back(toolkit_.StartTimer(kCopyNoticeMs));
    }
  }
  return true;
}

void TForm1::CopyTimerTick(TTimerId) {
  toolkit_.SetCaption(kRestoredCaption);
}

}  // namespace form
