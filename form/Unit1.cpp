#include "form/Unit1.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <iterator>
#include <new>
#include <optional>

#include "core/keyword_match.h"
#include "core/log_record.h"
#include "core/result_export.h"
#include "core/status_texts.h"
#include "form/checklist_look.h"
#include "form/command_timings.h"
#include "platform/append_file.h"
#include "platform/os_error.h"
#include "platform/unicode.h"

namespace form {

namespace {

using enum TControl;

constexpr int kLeftPanelWidth = 280;

// The seventeen controls the busy state disables, in the order it disables them.
constexpr TControl kBusyControls[] = {
    btnSelectPath,       btnLoadSearch,      btnRefreshDates, btnSelectAll, btnDeselectAll,
    btnSelectAllActions, btnClearAllActions, btnHelp,         edtPath,      cboColumn1,
    cboColumn2,          edtKeyword1,        edtKeyword2,     chkExact1,    chkExact2,
    lstDateFolders,      lstActions,
};

bool TakesFocus(const TControlLayout& entry) {
  return entry.tabOrder >= 0 && entry.kind != TControlKind::kPanel &&
         entry.kind != TControlKind::kProgressBar;
}

// The order Tab follows: the window's children by their tab order, each container's children
// in place of the container, by theirs.
std::vector<TControl> TabOrder() {
  std::vector<const TControlLayout*> top;
  for (const TControlLayout& entry : LayoutTable()) {
    if (!entry.HasParent() && entry.tabOrder >= 0) top.push_back(&entry);
  }
  const auto byTab = [](const TControlLayout* a, const TControlLayout* b) {
    return a->tabOrder < b->tabOrder;
  };
  std::stable_sort(top.begin(), top.end(), byTab);
  std::vector<TControl> order;
  for (const TControlLayout* container : top) {
    if (container->kind != TControlKind::kPanel) {
      if (TakesFocus(*container)) order.push_back(container->id);
      continue;
    }
    std::vector<const TControlLayout*> children;
    for (const TControlLayout& entry : LayoutTable()) {
      if (entry.HasParent() && entry.Parent() == container->id && TakesFocus(entry)) {
        children.push_back(&entry);
      }
    }
    std::stable_sort(children.begin(), children.end(), byTab);
    for (const TControlLayout* child : children)
      order.push_back(child->id);
  }
  return order;
}

TControl KeywordBox(core::TCondition condition) {
  return condition == core::TCondition::kFirst ? edtKeyword1 : edtKeyword2;
}

TControl ColumnBox(core::TCondition condition) {
  return condition == core::TCondition::kFirst ? cboColumn1 : cboColumn2;
}

TControl ExactBox(core::TCondition condition) {
  return condition == core::TCondition::kFirst ? chkExact1 : chkExact2;
}

}  // namespace

TForm1::TForm1(IToolkit& toolkit, const platform::IFileSystem& fileSystem,
               platform::CodePage ansiCodePage, std::u16string startRoot)
    : toolkit_(toolkit),
      FCore(*this, fileSystem, ansiCodePage),
      leftWidth_(kLeftPanelWidth),
      startRoot_(std::move(startRoot)) {}

TForm1::~TForm1() = default;

template <class Handler>
void TForm1::RunCommand(std::string_view name, Handler&& handler) {
  const bool timed = commandDepth_ == 0 && !timingsPath_.empty() && !name.empty();
  const auto started = std::chrono::steady_clock::now();
  const TPaceCounts pacedBefore = timed ? toolkit_.PaceCounts() : TPaceCounts{};
  if (commandDepth_ == 0) {
    commandName_ = name;
    commandNamed_ = false;
  }
  ++commandDepth_;
  try {
    std::forward<Handler>(handler)();
  } catch (const platform::OsError& error) {
    toolkit_.ShowError(kFormCaption, error.Message());
  } catch (const std::bad_alloc&) {
    toolkit_.ShowError(kFormCaption, u"内存不足");
  } catch (const std::exception& error) {
    toolkit_.ShowError(kFormCaption, platform::Utf8ToUtf16(error.what()));
  }
  --commandDepth_;
  if (timed && !timingsPath_.empty()) {
    const TCommandTiming timing{commandName_, std::chrono::steady_clock::now() - started,
                                toolkit_.PaceCounts() - pacedBefore,
                                static_cast<long long>(gridRecords_.size())};
    try {
      platform::AppendToFile(timingsPath_, TimingsLine(timing));
    } catch (const std::exception&) {
      timingsPath_.clear();  // a log that cannot be written is not worth an error box a command
    }
  }
  if (commandDepth_ == 0 && closeRequested_) {
    closeRequested_ = false;
    toolkit_.CloseWindow();
  }
}

void TForm1::NameCommand(std::string_view name) {
  if (commandDepth_ != 1 || commandNamed_) return;
  commandName_ = name;
  commandNamed_ = true;
}

void TForm1::LogTimingsTo(std::u16string path) {
  timingsPath_ = std::move(path);
}

// ---- Start-up and layout

void TForm1::Create() {
  RunCommand("FormCreate", [this] {
    toolkit_.SetUpWindow(WindowLayout());
    client_ = WindowLayout().clientSize;
    CreateComponents();
    FormCreate();
    PlaceWindow();
  });
}

void TForm1::CreateComponents() {
  for (const TControlLayout& entry : LayoutTable())
    toolkit_.CreateControl(entry);
  toolkit_.SetTabOrder(TabOrder());
  for (std::size_t panel = 0; panel < StatusPanels().size(); ++panel) {
    toolkit_.SetPanelText(static_cast<int>(panel), StatusPanels()[panel].text);
  }
  toolkit_.SetProgressMax(100);
  toolkit_.SetProgressPosition(0);
  toolkit_.SetVisible(ProgressBar1, false);
  Dock();
}

void TForm1::PlaceWindow() {
  // Centred in the work area; a screen smaller than the window gets a window that fits it.
  const TRect work = toolkit_.WorkArea();
  const TSize frame = toolkit_.OuterSize({0, 0});
  TSize outer = toolkit_.OuterSize(client_);
  if (work.width > 0 && work.height > 0) {
    outer.width = std::min(outer.width, work.width);
    outer.height = std::min(outer.height, work.height);
  }
  const int left = work.left + std::max(0, (work.width - outer.width) / 2);
  const int top = work.top + std::max(0, (work.height - outer.height) / 2);
  toolkit_.SetWindowBounds({left, top, outer.width, outer.height});
  const TSize client{outer.width - frame.width, outer.height - frame.height};
  if (client != client_) Resized(client);
}

void TForm1::Dock() {
  const TDockedBounds docked = DockChildren(client_, leftWidth_, progressVisible_);
  toolkit_.SetBounds(Panel2, docked.panel2);
  toolkit_.SetBounds(pnlLeft, docked.pnlLeft);
  toolkit_.SetBounds(Splitter1, docked.splitter1);
  toolkit_.SetBounds(StringGrid1, docked.stringGrid1);
  toolkit_.SetBounds(StatusBar1, docked.statusBar1);
  toolkit_.SetBounds(ProgressBar1, docked.progressBar1);
}

void TForm1::FormCreate() {
  for (const TControl box : {cboColumn1, cboColumn2}) {
    toolkit_.ClearItems(box);
    toolkit_.AddItem(box, core::kAllColumns);
    for (const core::TSearchableColumn& column : core::SEARCHABLE_COLUMNS) {
      toolkit_.AddItem(box, column.name);
    }
    toolkit_.SetCurrentItem(box, 0);
  }
  toolkit_.SetChecked(chkExact1, true);
  toolkit_.SetChecked(chkExact2, true);
  for (std::u16string_view text : CodePageTexts())
    toolkit_.AddItem(cboCodePage, text);
  toolkit_.SetCurrentItem(cboCodePage, 0);

  std::vector<TGridColumn> columns;
  for (const core::TGridColumn& column : core::GRID_HEADERS) {
    columns.push_back({column.header, column.width});
  }
  toolkit_.SetGridColumns(columns);
  gridRecords_.clear();
  toolkit_.SetGridRowCount(1);

  FCore.InitActionList();
  FCore.InitActionKeywords();

  SetControlText(lblDateFolder, u"日期文件夹:");
  SetControlText(lblActionFilter, u"动作筛选:");

  State().FSelectedPath = startRoot_;
  SetControlText(edtPath, State().FSelectedPath);  // runs edtPathChange: the box was empty

  FCore.RefreshDateFolders();
  UpdateLoadButton();
  SetStatus(u"未加载");
  UpdateStatusBar();
  FormResize();
}

void TForm1::Shown() {
  RunCommand({}, [this] { PlaceWindow(); });
}

void TForm1::Resized(TSize client) {
  RunCommand({}, [&] {
    if (client == client_) return;
    client_ = client;
    Dock();
    FormResize();
  });
}

void TForm1::SplitterDragged(int x) {
  RunCommand({}, [&] {
    const int width = ClampLeftWidth(x, client_.width);
    if (width == leftWidth_) return;
    leftWidth_ = width;
    Dock();
  });
}

void TForm1::FormResize() {
  const TActionArea area = ActionArea(toolkit_.Bounds(pnlLeft).height);
  TRect list = toolkit_.Bounds(lstActions);
  list.height = area.listHeight;
  toolkit_.SetBounds(lstActions, list);
  for (const TControl button : {btnSelectAllActions, btnClearAllActions}) {
    TRect bounds = toolkit_.Bounds(button);
    bounds.top = area.buttonsTop;
    toolkit_.SetBounds(button, bounds);
  }
  toolkit_.Invalidate(lstActions);
}

void TForm1::SetControlText(TControl control, std::u16string_view text) {
  // An edit box notifies every change of its text; setting the text it holds is no change.
  if (LayoutOf(control).kind == TControlKind::kEdit && toolkit_.Text(control) == text) return;
  toolkit_.SetText(control, text);
}

// ---- Events

bool TForm1::KeyPreview(TKey key, TShift shift) {
  // Only the shortcuts are commands; every other key passes on untimed.
  const bool shortcut =
      key == TKey::kF5 ||
      (Holds(shift, TShift::kCtrl) && (key == TKey::kF || key == TKey::kL || key == TKey::kS));
  bool consumed = false;
  RunCommand(shortcut ? "FormKeyDown" : "", [&] { consumed = FormKeyDown(key, shift); });
  return consumed;
}

void TForm1::EditChanged(TControl edit) {
  if (edit != edtPath) return;
  // Some edit controls report a change when the operator only selects the text (wine's, on
  // Ctrl+A): a notice whose text is the one last seen is no change, and must not rescan the
  // root and drop the loaded records.
  std::u16string text = toolkit_.Text(edtPath);
  if (text == pathText_) return;
  pathText_ = std::move(text);
  RunCommand("edtPathChange", [this] { edtPathChange(); });
}

void TForm1::ButtonClicked(TControl button) {
  // The buttons' click handlers, by button; the name is the handler's, for the timings log.
  struct TButtonCommand {
    TControl button;
    std::string_view name;
    void (TForm1::*handler)();
  };
  static constexpr TButtonCommand kCommands[] = {
      {btnSelectPath, "btnSelectPathClick", &TForm1::btnSelectPathClick},
      {btnLoadSearch, "btnLoadSearchClick", &TForm1::btnLoadSearchClick},
      {btnHelp, "btnHelpClick", &TForm1::btnHelpClick},
      {btnRefreshDates, "btnRefreshDatesClick", &TForm1::btnRefreshDatesClick},
      {btnSelectAll, "btnSelectAllClick", &TForm1::btnSelectAllClick},
      {btnDeselectAll, "btnDeselectAllClick", &TForm1::btnDeselectAllClick},
      {btnSelectAllActions, "btnSelectAllActionsClick", &TForm1::btnSelectAllActionsClick},
      {btnClearAllActions, "btnClearAllActionsClick", &TForm1::btnClearAllActionsClick},
      {btnReadNew, "btnReadNewClick", &TForm1::btnReadNewClick},
  };
  for (const TButtonCommand& command : kCommands) {
    if (command.button == button) {
      RunCommand(command.name, [&] { (this->*command.handler)(); });
      return;
    }
  }
}

void TForm1::CheckBoxClicked(TControl box) {
  if (box == chkFollow) RunCommand("chkFollowClick", [this] { chkFollowClick(); });
}

void TForm1::DateListSelectionChanged() {
  RunCommand("lstDateFoldersClick", [this] { lstDateFoldersClick(); });
}

void TForm1::ComboChanged(TControl combo) {
  if (combo == cboCodePage) RunCommand("cboCodePageChange", [this] { cboCodePageChange(); });
}

void TForm1::GridContextMenu(TGridCell cell) {
  RunCommand("StringGrid1ContextMenu", [&] { StringGrid1ContextMenu(cell); });
}

void TForm1::ActionListMouseDown(TMouseButton button, TShift shift, TPoint point) {
  RunCommand("lstActionsMouseDown", [&] { lstActionsMouseDown(button, shift, point); });
}

bool TForm1::ActionListKeyDown(TKey key, TShift shift) {
  bool consumed = false;
  RunCommand(key == TKey::kSpace ? "lstActionsKeyDown" : "",
             [&] { consumed = lstActionsKeyDown(key, shift); });
  return consumed;
}

void TForm1::DrawActionItem(IPainter& painter, int index, TRect item, bool selected) {
  RunCommand({}, [&] {
    const std::vector<bool>& checked = State().FActionChecked;
    const bool isChecked = index >= 0 && static_cast<std::size_t>(index) < checked.size() &&
                           checked[static_cast<std::size_t>(index)];
    TActionCheckList::Paint(painter, index, item, selected, isChecked,
                            toolkit_.ItemText(lstActions, index));
  });
}

void TForm1::GridSelectCell(TGridCell cell) {
  RunCommand({}, [&] { StringGrid1SelectCell(cell); });
}

void TForm1::GridMouseDown(TMouseButton button, TShift shift, TGridCell cell) {
  RunCommand({}, [&] { StringGrid1MouseDown(button, shift, cell); });
}

bool TForm1::GridKeyDown(TKey key, TShift shift) {
  bool consumed = false;
  RunCommand(Holds(shift, TShift::kCtrl) && key == TKey::kC ? "StringGrid1KeyDown" : "",
             [&] { consumed = StringGrid1KeyDown(key, shift); });
  return consumed;
}

void TForm1::TimerFired(TTimerId timer) {
  if (followTimer_ == timer) {
    followTimer_.reset();
    FollowTimerTick();
    return;
  }
  const auto pending = std::find(copyTimers_.begin(), copyTimers_.end(), timer);
  if (pending == copyTimers_.end()) return;
  copyTimers_.erase(pending);
  RunCommand({}, [&] { CopyTimerTick(timer); });
}

void TForm1::FollowTimerTick() {
  if (!toolkit_.IsChecked(chkFollow)) return;
  // Only between commands: a tick during a command's yield waits for the next one.
  if (commandDepth_ == 0) {
    RunCommand("FollowTimerTick", [this] { ReadNewRecords(TReadNew::kFollow); });
  }
  if (toolkit_.IsChecked(chkFollow)) StartFollowTimer();
}

void TForm1::CountWindowActivated(int row) {
  RunCommand("CountWindowActivated", [&] {
    if (row < 1 || static_cast<std::size_t>(row) > counts_.size()) return;
    if (!QueryByValue(countColumn_, CountCellText(0, row))) SetStatus(u"此列不能按值查询");
  });
}

void TForm1::CountWindowContextMenu(int row) {
  RunCommand("CountWindowContextMenu", [&] {
    enum class TItem : int { kExport, kQueryByValue };
    const bool onValue = row >= 1 && static_cast<std::size_t>(row) <= counts_.size();
    const TMenuItem items[] = {
        {u"导出统计...", !counts_.empty()},
        {u"按此值查询", onValue && !State().FIsLoading && IsSearchableColumn(countColumn_) &&
                            !CountCellText(0, row).empty()},
    };
    const std::optional<int> chosen = toolkit_.ShowPopupMenu(items);
    if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(std::size(items)) ||
        !items[static_cast<std::size_t>(*chosen)].enabled) {
      return;
    }
    if (static_cast<TItem>(*chosen) == TItem::kExport) {
      NameCommand("ExportCounts");
      ExportCounts();
    } else {
      NameCommand("QueryByCellValue");
      QueryByValue(countColumn_, CountCellText(0, row));
    }
  });
}

bool TForm1::CloseRequested() {
  if (commandDepth_ == 0) return true;
  closeRequested_ = true;
  return false;
}

// ---- Grid cells

std::u16string TForm1::GridCellText(int column, int row) const {
  if (column < 0 || column >= static_cast<int>(core::kGridColumnCount) || row < 0) return {};
  const core::TGridColumn& grid = core::GRID_HEADERS[static_cast<std::size_t>(column)];
  if (row == 0) return std::u16string(grid.header);
  const auto record = static_cast<std::size_t>(row - 1);
  if (record >= gridRecords_.size()) return {};
  if (!grid.field) return core::DecimalText(row);
  // The window converts only the cells it paints or copies.
  return platform::Utf8ToUtf16(gridRecords_[record].Field(*grid.field));
}

int TForm1::GridDataRowCount() const {
  return std::max(1, static_cast<int>(std::min<std::size_t>(gridRecords_.size(), INT32_MAX)));
}

// ---- Window services

void TForm1::SetStatus(std::u16string_view message) {
  std::u16string text = u"状态：";
  text += message;
  toolkit_.SetText(lblStatus, text);
}

void TForm1::UpdateStatusBar() {
  if (toolkit_.PanelCount() < 2) return;
  const auto count = [](const core::TLogList& list) {
    return core::DecimalText(static_cast<long long>(list.size()));
  };
  toolkit_.SetPanelText(0, u"总记录数: " + count(State().FAllLogs));
  toolkit_.SetPanelText(1, u"筛选后: " + count(State().FFilteredLogs));
}

void TForm1::UpdateLoadButton() {
  toolkit_.SetText(btnLoadSearch, State().FIsDataLoaded ? u"查询/刷新" : u"加载");
}

void TForm1::SetControlsEnabled(bool enabled) {
  for (const TControl control : kBusyControls)
    toolkit_.SetEnabled(control, enabled);
  // The code page applies to the load as it started; it is chosen again only after it. New
  // records are read after it too.
  for (const TControl control : {cboCodePage, btnReadNew, chkFollow, edtStartTime, edtEndTime})
    toolkit_.SetEnabled(control, enabled);
  if (!enabled) {
    SetStatus(u"正在加载数据，请稍候...");
    toolkit_.SetScreenCursor(TScreenCursor::kHourglass);
  } else {
    toolkit_.SetScreenCursor(TScreenCursor::kDefault);
  }
  Yield();
}

void TForm1::SetProgressVisible(bool visible) {
  toolkit_.SetVisible(ProgressBar1, visible);
  if (visible == progressVisible_) return;
  // The bar takes its height from the left panel and the grid; the window's size is unchanged,
  // so FormResize does not run.
  progressVisible_ = visible;
  Dock();
}

void TForm1::SetProgressMax(int maximum) {
  toolkit_.SetProgressMax(maximum);
}

void TForm1::SetProgressPosition(int position) {
  toolkit_.SetProgressPosition(position);
}

void TForm1::Yield() {
  toolkit_.ProcessPendingEvents();
}

void TForm1::RenderGrid() {
  if (sort_) {
    const core::TGridColumn& column = core::GRID_HEADERS[static_cast<std::size_t>(sort_->column)];
    gridRecords_ = core::SortRecords(State().FFilteredLogs, *column.field, sort_->direction);
  } else {
    gridRecords_ = State().FFilteredLogs;
  }
  const std::size_t n = gridRecords_.size();
  const int currentRow = toolkit_.GridCurrentRow();
  toolkit_.SetGridRowCount(GridDataRowCount());
  // A current row that the new row count cuts off moves to the new last row, as a selection.
  const int lastRow = GridDataRowCount();
  if (currentRow > lastRow) {
    toolkit_.SetGridCurrentRow(lastRow);
    StringGrid1SelectCell({0, lastRow});
  }
  if (n == 0) return;
  SetStatus(u"正在渲染 " + core::DecimalText(static_cast<long long>(n)) + u" 条数据...");
  const int maximum = static_cast<int>(std::min<std::size_t>(n, INT32_MAX));
  SetProgressVisible(true);
  SetProgressMax(maximum);
  SetProgressPosition(0);
  // The grid reads its cells on demand; the pass keeps the progress and the yields of writing
  // the rows one by one, and stops early when a query run during a yield shrinks the result.
  for (std::size_t i = 0; i < n && i < State().FFilteredLogs.size(); ++i) {
    if (i > 0 && i % kYieldRows == 0) {
      SetProgressPosition(static_cast<int>(i));
      Yield();
    }
  }
  SetProgressPosition(maximum);
}

void TForm1::RepaintActionList() {
  toolkit_.Invalidate(lstActions);
}

int TForm1::DateFolderCount() const {
  return toolkit_.ItemCount(lstDateFolders);
}

std::u16string TForm1::DateFolderText(int index) const {
  return toolkit_.ItemText(lstDateFolders, index);
}

bool TForm1::IsDateFolderSelected(int index) const {
  return toolkit_.IsItemSelected(lstDateFolders, index);
}

void TForm1::SetDateFolderSelected(int index, bool selected) {
  toolkit_.SetItemSelected(lstDateFolders, index, selected);
}

void TForm1::ClearDateFolders() {
  toolkit_.ClearItems(lstDateFolders);
}

void TForm1::AddDateFolder(std::u16string_view name) {
  toolkit_.AddItem(lstDateFolders, name);
}

void TForm1::SetDateFoldersSorted() {
  toolkit_.SetSorted(lstDateFolders);
}

std::u16string TForm1::KeywordText(core::TCondition condition) const {
  return toolkit_.Text(KeywordBox(condition));
}

std::u16string TForm1::ColumnText(core::TCondition condition) const {
  const TControl box = ColumnBox(condition);
  return toolkit_.ItemText(box, toolkit_.CurrentItem(box));
}

bool TForm1::IsExactChecked(core::TCondition condition) const {
  return toolkit_.IsChecked(ExactBox(condition));
}

std::u16string TForm1::TimeText(core::TTimeBound bound) const {
  return toolkit_.Text(bound == core::TTimeBound::kStart ? edtStartTime : edtEndTime);
}

void TForm1::FillActionList(std::span<const std::u16string_view> texts) {
  toolkit_.ClearItems(lstActions);
  for (std::u16string_view text : texts)
    toolkit_.AddItem(lstActions, text);
}

int TForm1::ActionListCount() const {
  return toolkit_.ItemCount(lstActions);
}

std::u16string TForm1::ActionListText(int index) const {
  return toolkit_.ItemText(lstActions, index);
}

}  // namespace form
