#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_analyzer.h"
#include "core/record_sort.h"
#include "core/value_counts.h"
#include "core/window_services.h"
#include "form/geometry.h"
#include "form/input.h"
#include "form/layout.h"
#include "form/painter.h"
#include "form/toolkit.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace form {

// The window's captions: the one shown at start, and the one a copy notice ends with.
inline constexpr std::u16string_view kFormCaption = u"KorloPC引擎日志分析工具";
inline constexpr std::u16string_view kRestoredCaption = u"Korlo引擎日志分析工具";

// The program's one window, toolkit-neutral: it owns the form state and the engine working on it
// (core::TLogAnalyzer), gives the engine its window services, and holds every behaviour of the
// window: the layout and its resize arithmetic, start-up, the commands, the busy state, the
// action checklist's look and hit zones, the grid's stored cell and copy, and closing while a
// command runs. It reaches the screen only through an IToolkit; a front-end creates the toolkit,
// the form, calls Create, and then turns the toolkit's events into the public calls below.
//
// Every event call runs as an event handler: an exception that escapes it is shown in the error
// box (titled with the program's caption) and the window goes on. Events may arrive inside a
// yield of a running command; a close requested then waits until the outermost command returns.
class TForm1 : public core::IWindowServices {
 public:
  // `fileSystem` and `ansiCodePage` are what the engine reads and decodes logs with; the window
  // starts on the server root `startRoot` (the program's command line may name another one).
  TForm1(IToolkit& toolkit, const platform::IFileSystem& fileSystem,
         platform::CodePage ansiCodePage,
         std::u16string startRoot = std::u16string(core::kDefaultRoot));
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Builds the window from the layout table, runs FormCreate and places the window centred in
  // the screen's work area. The window is not shown yet.
  void Create();

  core::TFormState& State() noexcept { return FCore.State(); }
  const core::TFormState& State() const noexcept { return FCore.State(); }
  core::TLogAnalyzer& Core() noexcept { return FCore; }

  // From now on, every command of the window appends one line to the file at `path` (the
  // timings log, TimingsLine): its name, wall time, the toolkit's yields, pumps and progress
  // moves, and the rows shown afterwards. A command run inside another's yield counts as part
  // of the outer one. When the file cannot be written the log stops; the commands go on.
  void LogTimingsTo(std::u16string path);

  // ---- Events from the toolkit ------------------------------------------------------------------

  // The window has been shown for the first time. Its frame is known now (some toolkits learn it
  // only from the window manager), so the window is placed again within the work area.
  void Shown();
  // The window's client area has a new size (also the first time it gets one).
  void Resized(TSize client);
  // The splitter was dragged so that the left panel's right edge would be at `x`.
  void SplitterDragged(int x);
  // Every key pressed in the window, before the focused control sees it; true consumes it.
  bool KeyPreview(TKey key, TShift shift);
  // An edit box's text changed, by the operator or the program.
  void EditChanged(TControl edit);
  // A button was clicked by the operator.
  void ButtonClicked(TControl button);
  // The operator clicked a check box; its new state is the toolkit's.
  void CheckBoxClicked(TControl box);
  // The operator changed the date list's selection.
  void DateListSelectionChanged();
  // The operator chose another entry of a combo box.
  void ComboChanged(TControl combo);
  // A press of any mouse button on the action list, at a point of its client area, after the
  // list's own handling (a left press has made the entry under it current). The second press of
  // a double click arrives as a press too.
  void ActionListMouseDown(TMouseButton button, TShift shift, TPoint point);
  // A key pressed in the action list, before the list handles it; true consumes it.
  bool ActionListKeyDown(TKey key, TShift shift);
  // Paints one entry of the action list; the list draws the focus frame afterwards.
  void DrawActionItem(IPainter& painter, int index, TRect item, bool selected);
  // The grid's current cell is about to move to `cell`: on a left press without Shift on a data
  // cell (the pressed column), or on keyboard navigation that changes the row (column 0).
  void GridSelectCell(TGridCell cell);
  // A press of any mouse button on the grid, the header row included, after the selection
  // handling; `cell` is {-1, -1} outside the cells.
  void GridMouseDown(TMouseButton button, TShift shift, TGridCell cell);
  // A key pressed in the grid, before the grid handles it; true consumes it.
  bool GridKeyDown(TKey key, TShift shift);
  // The operator asks for the grid's context menu on `cell` ({-1, -1} outside the cells).
  void GridContextMenu(TGridCell cell);
  // A timer started through the toolkit has ticked (once).
  void TimerFired(TTimerId timer);
  // The operator double-clicked or pressed Enter on a data row of the count window, or asked for
  // its context menu (-1: on no row).
  void CountWindowActivated(int row);
  void CountWindowContextMenu(int row);
  // The operator asks to close the window: true when it may close now. While a command runs
  // (it may be yielding) the answer is false, and the form closes the window through the
  // toolkit once the outermost command has returned.
  bool CloseRequested();

  // ---- What the toolkit reads ---------------------------------------------------------------

  // The text of a grid cell in grid coordinates: row 0 holds the headers, data row r the record
  // at r - 1 of the last rendered result, column 0 its row number. Empty outside the rows shown.
  std::u16string GridCellText(int column, int row) const;
  // The data rows shown: the rendered records, or 1 (a blank row) for an empty result.
  int GridDataRowCount() const;
  // The text of a cell of the count window: row 0 holds the headers (the column counted,
  // "次数"), data row r the value at r - 1 of the count table and its count.
  std::u16string CountCellText(int column, int row) const;

  // ---- IWindowServices ----------------------------------------------------------------------
  void SetStatus(std::u16string_view message) override;
  void UpdateStatusBar() override;
  void UpdateLoadButton() override;
  void SetControlsEnabled(bool enabled) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void Yield() override;
  void RenderGrid() override;
  void RepaintActionList() override;
  int DateFolderCount() const override;
  std::u16string DateFolderText(int index) const override;
  bool IsDateFolderSelected(int index) const override;
  void SetDateFolderSelected(int index, bool selected) override;
  void ClearDateFolders() override;
  void AddDateFolder(std::u16string_view name) override;
  void SetDateFoldersSorted() override;
  std::u16string KeywordText(core::TCondition condition) const override;
  std::u16string ColumnText(core::TCondition condition) const override;
  bool IsExactChecked(core::TCondition condition) const override;
  std::u16string TimeText(core::TTimeBound bound) const override;
  void FillActionList(std::span<const std::u16string_view> texts) override;
  int ActionListCount() const override;
  std::u16string ActionListText(int index) const override;

  // ---- Event handlers, by their component names -------------------------------------------
  void FormCreate();
  void FormResize();
  bool FormKeyDown(TKey key, TShift shift);
  void edtPathChange();
  void btnSelectPathClick();
  void btnRefreshDatesClick();
  void btnSelectAllClick();
  void btnDeselectAllClick();
  void lstDateFoldersClick();
  void btnLoadSearchClick();
  void btnHelpClick();
  void lstActionsMouseDown(TMouseButton button, TShift shift, TPoint point);
  bool lstActionsKeyDown(TKey key, TShift shift);
  void btnSelectAllActionsClick();
  void btnClearAllActionsClick();
  void StringGrid1MouseDown(TMouseButton button, TShift shift, TGridCell cell);
  void StringGrid1SelectCell(TGridCell cell);
  bool StringGrid1KeyDown(TKey key, TShift shift);
  void CopyTimerTick(TTimerId sender);
  void cboCodePageChange();
  // The grid's context menu: export, copy the selected rows, query by the cell's value.
  void StringGrid1ContextMenu(TGridCell cell);
  // Writes the result list to a file the operator chooses (CSV or TSV), with progress and yields
  // every 100 rows; a failed write shows the error box and leaves no file under that name.
  void ExportResult();
  // Puts the selected rows on the clipboard as TAB-separated text under a header line.
  void CopySelectedRows();
  // Queries the cell's value: it goes into keyword 1, exact, on the cell's column.
  void QueryByCellValue(TGridCell cell);
  // Queries `value` on the grid column `column` as QueryByCellValue does; false (nothing done)
  // when the column cannot be queried by.
  bool QueryByValue(int column, std::u16string_view value);
  // Whether a grid column's values can be queried by (it shows a searchable column).
  static bool IsSearchableColumn(int gridColumn);
  // Shows the result sorted by a grid column that shows a field, in a stable sort, from now on:
  // every later query and refresh is shown so, until ShowLoadOrder. 序号 counts the rows as
  // shown; the export and the copy of rows write them so.
  void SortByColumn(int column, core::TSortDirection direction);
  // The result in the order it was read in again ("原始顺序").
  void ShowLoadOrder();
  // "统计此列": the distinct values of a grid column that shows a field in the result shown,
  // with their counts, most frequent first, in the count window.
  void CountByColumn(int column);
  // Writes the count table to a file the operator chooses (CSV or TSV), as the export writes.
  void ExportCounts();
  // Reads what the live server wrote since the loaded day folders were read (F5, the
  // "读取新记录" button): the records and the result become those of a fresh load, the grid keeps
  // the record that was current where it still is, and the status line says how many records
  // came. With the records not of the date selection, it is the load button's command.
  void btnReadNewClick();
  // "实时跟踪": while ticked, the records are read anew every kFollowMs when no command runs.
  void chkFollowClick();

 private:
  // Runs an event handler: counts it as a running command, shows an escaping exception in the
  // error box, and closes the window afterwards when a close was requested meanwhile. The
  // outermost command of a `name` gets a line in the timings log; events too small or too many
  // to time (paints, keys passed on, resizes) have none.
  template <class Handler>
  void RunCommand(std::string_view name, Handler&& handler);
  // Names the running outermost command by the work it chose, for the timings log: the first
  // name given wins ("QueryByCellValue", not the query it runs).
  void NameCommand(std::string_view name);
  void CreateComponents();
  void PlaceWindow();
  void Dock();
  // After a new root: nothing is loaded any more, and the grid and counts show it.
  void DropLoadedRecords();
  // The selected grid rows that show records of the result rendered last.
  TRowRange SelectedResultRows() const;
  // Writes a label's or control's text (through the toolkit), keeping edits silent when the
  // text is the same.
  void SetControlText(TControl control, std::u16string_view text);

  // The reading of new records: by the operator (the status line always says what came), or by
  // following, which says nothing while nothing came and never loads.
  enum class TReadNew : std::uint8_t { kCommand, kFollow };
  void ReadNewRecords(TReadNew how);
  // Following: the day folder that begins after the newest one of the date list, when that one
  // is loaded; it joins the date list, selected.
  std::vector<std::u16string> NewDaysToFollow();
  void StartFollowTimer();
  void FollowTimerTick();

  // The long operations of the window yield every this many rows (the grid, the export).
  static constexpr int kYieldRows = 100;
  static constexpr int kFollowMs = 2000;

  IToolkit& toolkit_;
  core::TLogAnalyzer FCore;
  core::TLogList gridRecords_;  // the result the grid shows, as last rendered
  TSize client_{};
  int leftWidth_;
  bool progressVisible_ = false;
  std::vector<TTimerId> copyTimers_;     // copy notices that have not ticked yet
  std::optional<TTimerId> followTimer_;  // the next tick of following, while it is ticked
  // The order the grid shows the result in, when sorted.
  struct TGridSort {
    int column;
    core::TSortDirection direction;
  };
  std::optional<TGridSort> sort_;
  std::vector<core::TValueCount> counts_;  // the count window's table
  int countColumn_ = -1;                   // the grid column it counts
  int commandDepth_ = 0;
  bool queryRunning_ = false;    // a query-only pass is in progress (it may be yielding)
  bool queryRequested_ = false;  // the load button was pressed again meanwhile
  bool closeRequested_ = false;
  bool exporting_ = false;  // an export is in progress (it may be yielding)
  std::u16string startRoot_;
  std::u16string pathText_;       // the path box's text as its last change notice left it
  std::u16string timingsPath_;    // empty: no timings log
  std::string_view commandName_;  // the outermost command's name, for the timings log
  bool commandNamed_ = false;     // NameCommand has named it
};

}  // namespace form
