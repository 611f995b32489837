#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "form/geometry.h"
#include "form/layout.h"
#include "form/window_pacing.h"

namespace form {

enum class TScreenCursor : std::uint8_t { kDefault, kHourglass };

// A one-shot timer started by IToolkit::StartTimer.
enum class TTimerId : std::uint32_t {};

// A column of the results grid: its header text and width.
struct TGridColumn {
  std::u16string_view header;
  int width;
};

// An entry of a popup menu.
struct TMenuItem {
  std::u16string_view text;
  bool enabled;
};

// A type of file the save dialog offers: its description ("CSV 文件") and its extension without
// the dot ("csv").
struct TFileType {
  std::u16string_view description;
  std::u16string_view extension;
};

// Where the operator chose to save: the full path and the index of the chosen file type.
struct TSaveTarget {
  std::u16string path;
  int type;
};

// The operations the form asks of a window toolkit. A front-end implements them for one toolkit
// and nothing else: every decision (what to show, when, in which order) is the form's. All calls
// come from the window's one thread. Operations on a control that was not created, or on an
// item index out of range, do nothing and read as empty, 0, false or -1.
//
// Notifications go from the toolkit to the form as calls on TForm1: an edit's change (also when
// the program changed the text), a button's click, a check box's click, the date list's selection
// change and a combo box's change of its chosen entry (the last three only on the operator's
// input, never on the program's),
// the action list's presses, keys and item drawing, the grid's presses, selection moves, keys and
// context-menu requests (a right-button release or the menu key), a timer's tick, the window's
// first showing, its resize and a request to close.
class IToolkit {
 public:
  virtual ~IToolkit() = default;

  // ---- The window and its controls ------------------------------------------------------------

  // Gives the window its caption, client size and font. Called once, before any control.
  virtual void SetUpWindow(const TWindowLayout& window) = 0;
  // Creates one control as the layout table row says (kind, parent, placement, text,
  // placeholder, item height). Called in table order, parents first; the tab order is set after
  // the last control by SetTabOrder.
  virtual void CreateControl(const TControlLayout& entry) = 0;
  // The order in which Tab moves through the controls that take the focus.
  virtual void SetTabOrder(std::span<const TControl> order) = 0;
  virtual void SetBounds(TControl control, TRect bounds) = 0;
  virtual TRect Bounds(TControl control) const = 0;
  // A button's, label's or check box's caption, or an edit box's text. Setting an edit box's
  // text notifies the form of the change, synchronously; a label sizes itself to its text.
  virtual void SetText(TControl control, std::u16string_view text) = 0;
  virtual std::u16string Text(TControl control) const = 0;
  virtual void SetEnabled(TControl control, bool enabled) = 0;
  virtual bool IsEnabled(TControl control) const = 0;
  virtual void SetVisible(TControl control, bool visible) = 0;
  virtual void SetChecked(TControl control, bool checked) = 0;
  virtual bool IsChecked(TControl control) const = 0;
  // Focuses an edit box and selects all its text.
  virtual void FocusAndSelectAll(TControl control) = 0;
  // Repaints the control at the next paint.
  virtual void Invalidate(TControl control) = 0;

  // The window caption.
  virtual void SetCaption(std::u16string_view caption) = 0;
  virtual std::u16string Caption() const = 0;
  // The part of the screen (the window's monitor) not covered by task bars, in screen
  // coordinates, and the window's outer size for a client area of `client` (the frame added).
  virtual TRect WorkArea() const = 0;
  virtual TSize OuterSize(TSize client) const = 0;
  // Places the window's outer frame on the screen.
  virtual void SetWindowBounds(TRect outer) = 0;
  // Closes the window after the current event has been handled; the form has agreed to it.
  virtual void CloseWindow() = 0;

  // ---- Lists: the column boxes, the date list and the action list -----------------------------

  virtual void ClearItems(TControl list) = 0;
  // Appends an item; a date list that was sorted inserts it in ascending order instead.
  virtual void AddItem(TControl list, std::u16string_view text) = 0;
  virtual int ItemCount(TControl list) const = 0;
  virtual std::u16string ItemText(TControl list, int index) const = 0;
  // Sorts a date list ascending and keeps it sorted.
  virtual void SetSorted(TControl list) = 0;
  // A date list's selection, changed by the program: never notifies.
  virtual void SetItemSelected(TControl list, int index, bool selected) = 0;
  virtual bool IsItemSelected(TControl list, int index) const = 0;
  // The current item: a combo box's chosen entry, a list's focused entry; -1 for none.
  virtual int CurrentItem(TControl list) const = 0;
  virtual void SetCurrentItem(TControl list, int index) = 0;
  // The existing item at a point of the list's client area, or -1.
  virtual int ItemAt(TControl list, TPoint point) const = 0;

  // ---- Status bar and progress bar ------------------------------------------------------------

  virtual void SetPanelText(int panel, std::u16string_view text) = 0;
  virtual int PanelCount() const = 0;
  virtual void SetProgressMax(int maximum) = 0;
  // A toolkit may pace the moves (TWindowPacing): the bar then shows the position at most a
  // moment later, and its first and last position at once.
  virtual void SetProgressPosition(int position) = 0;

  // ---- The results grid -----------------------------------------------------------------------

  // The grid's columns; the cells' texts are read from TForm1::GridCellText when painted.
  virtual void SetGridColumns(std::span<const TGridColumn> columns) = 0;
  // The number of data rows under the header row; repaints every row shown.
  virtual void SetGridRowCount(int dataRows) = 0;
  // The grid's current row in grid coordinates (data rows from 1), or -1 for none.
  virtual int GridCurrentRow() const = 0;
  // Makes `row` (grid coordinates) the current row and the selection, without notifying.
  virtual void SetGridCurrentRow(int row) = 0;
  // The selected data rows: one run, however many rows it holds (empty for none).
  virtual TRowRange GridSelectedRows() const = 0;
  // The data row shown at the top of the grid's rows (grid coordinates, 1 for the first), and
  // scrolling so that `row` is at the top, or as near as the rows allow.
  virtual int GridTopRow() const = 0;
  virtual void SetGridTopRow(int row) = 0;

  // ---- The count window ----------------------------------------------------------------------

  // Shows the count window, titled `title`: a window of its own beside the main one, with a grid
  // of `columns` over `rows` data rows, whose cells are read from TForm1::CountCellText when
  // painted. Showing it again, open or closed, replaces what it shows. A double click or Enter on
  // a data row reaches TForm1::CountWindowActivated, a context-menu request
  // TForm1::CountWindowContextMenu, both with the row (grid coordinates, data rows from 1; -1
  // for none).
  virtual void ShowCountWindow(std::u16string_view title, std::span<const TGridColumn> columns,
                               int rows) = 0;

  // ---- Services -------------------------------------------------------------------------------

  virtual void SetClipboardText(std::u16string_view text) = 0;
  // Starts a timer that ticks once, `milliseconds` from now, by TForm1::TimerFired(id).
  virtual TTimerId StartTimer(int milliseconds) = 0;
  // The cursor shown over every window of the program.
  virtual void SetScreenCursor(TScreenCursor cursor) = 0;
  // The yield: handles every pending input, paint and timer message, then returns. A toolkit
  // may pace it (TWindowPacing): then it handles them only when their time has come.
  virtual void ProcessPendingEvents() = 0;
  // What the toolkit did for the yields and the progress positions since it started.
  virtual TPaceCounts PaceCounts() const = 0;
  // The modal folder browser: `prompt` above the folder tree, opening at `start` when that
  // directory exists. The chosen folder's full path, or nothing when cancelled.
  virtual std::optional<std::u16string> ChooseDirectory(std::u16string_view prompt,
                                                        std::u16string_view start) = 0;
  // A popup menu at the mouse pointer: the index of the chosen item, or nothing when the
  // operator dismissed it.
  virtual std::optional<int> ShowPopupMenu(std::span<const TMenuItem> items) = 0;
  // The modal save dialog titled `title`, suggesting `fileName`, offering `types` (the first
  // one chosen at start). The chosen path, with the chosen type's extension added when the name
  // has none, or nothing when cancelled. It asks the operator before it names an existing file.
  virtual std::optional<TSaveTarget> ChooseSaveFile(std::u16string_view title,
                                                    std::u16string_view fileName,
                                                    std::span<const TFileType> types) = 0;
  // Modal boxes with an OK button: information, and the error box of a failed command.
  virtual void ShowInformation(std::u16string_view title, std::u16string_view text) = 0;
  virtual void ShowError(std::u16string_view title, std::u16string_view message) = 0;
};

}  // namespace form
