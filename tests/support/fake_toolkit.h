#pragma once

#include <array>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form/Unit1.h"
#include "form/painter.h"
#include "form/toolkit.h"

namespace korlo_test {

// UTF-8 of a UTF-16 text, for readable assertions; a record's UTF-8 text as it is.
std::string Utf8(std::u16string_view text);
inline std::string Utf8(std::string_view utf8) {
  return std::string(utf8);
}

// A window toolkit without a screen: it keeps every control's state as a real toolkit would,
// records every operation the form asks of it as one line of a transcript, owns a fake clock and
// its timers, answers the folder chooser from a script, and acts as the operator by sending the
// events a real toolkit would send, in the order it would send them.
//
// Transcript lines, one per operation (texts in UTF-8, CR LF shown as "\r\n"):
//   "window CAPTION 1200x700 Segoe UI -12"  "create NAME"  "taborder NAME NAME ..."
//   "bounds NAME L T W H"  "text NAME TEXT"  "enable NAME true"  "visible NAME false"
//   "check NAME true"  "focus NAME"  "invalidate NAME"  "caption TEXT"  "windowbounds L T W H"
//   "close"  "clear NAME"  "add NAME TEXT"  "sorted NAME"  "select NAME INDEX true"
//   "current NAME INDEX"  "panel INDEX TEXT"  "progress max N"  "progress N"  "columns N"
//   "rows N" (data rows)  "gridrow N"  "clipboard TEXT"  "timer ID MS"  "cursor hourglass"
//   "yield"  "choose PROMPT | START"  "info TITLE | TEXT"  "error TITLE | MESSAGE"
//   "menu ITEM|-ITEM|..." (a disabled item with '-')  "save TITLE | NAME | EXT EXT"
// Queries (Text, Bounds, ItemAt...) are not recorded. A timer that fires is recorded as
// "tick ID" before the form hears of it.
class FakeToolkit : public form::IToolkit {
 public:
  struct TControlState {
    bool created = false;
    form::TControlLayout layout{};
    std::u16string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    form::TRect bounds;
    std::vector<std::u16string> items;
    std::vector<bool> selected;
    int current = -1;
    bool sorted = false;
  };

  // The form that hears the toolkit's notifications; set after the form is made, before
  // TForm1::Create (which already sets an edit box's text).
  void Attach(form::TForm1& form) { form_ = &form; }

  // ---- The transcript ---------------------------------------------------------------------
  const std::vector<std::string>& Transcript() const { return transcript_; }
  void ClearTranscript() { transcript_.clear(); }
  // The transcript lines that begin with one of `prefixes`, in order.
  std::vector<std::string> Lines(std::initializer_list<std::string_view> prefixes) const;
  std::size_t Count(std::string_view line) const;

  // ---- State, as the screen shows it --------------------------------------------------------
  const TControlState& Control(form::TControl control) const;
  std::vector<std::u16string> SelectedItems(form::TControl list) const;
  std::u16string PanelText(int panel) const;
  int ProgressMax() const { return progressMax_; }
  int ProgressPosition() const { return progressPosition_; }
  bool IsVisible(form::TControl control) const { return Control(control).visible; }
  const std::vector<std::pair<std::u16string, int>>& GridColumns() const { return columns_; }
  int GridRowCount() const { return gridRows_; }
  const std::u16string& ClipboardText() const { return clipboard_; }
  form::TScreenCursor Cursor() const { return cursor_; }
  const std::vector<form::TControl>& TabOrder() const { return tabOrder_; }
  std::optional<form::TControl> Focused() const { return focused_; }
  bool WindowClosed() const { return closed_; }
  int PendingTimers() const { return static_cast<int>(timers_.size()); }

  // ---- Script ---------------------------------------------------------------------------------
  // Runs inside ProcessPendingEvents, as if the operator acted during the yield. A yield inside
  // the hook does not run it again (the operator's action is one pending message).
  std::function<void()> onYield;
  // The folder chooser's answers, in order; nullopt is a cancel.
  std::deque<std::optional<std::u16string>> directoryAnswers;
  // The popup menu's answers (the chosen item's index) and the save dialog's, in order;
  // nullopt dismisses or cancels.
  std::deque<std::optional<int>> menuAnswers;
  std::deque<std::optional<form::TSaveTarget>> saveAnswers;
  // The grid rows the operator has selected (grid coordinates), cut to the rows shown.
  form::TRowRange gridSelection;
  // The screen's work area and the window frame around the client area.
  form::TRect workArea{0, 0, 1920, 1040};
  form::TSize frame{16, 39};
  // The boxes shown, as (title, text).
  std::vector<std::pair<std::u16string, std::u16string>> informations;
  std::vector<std::pair<std::u16string, std::u16string>> errors;

  // ---- The fake clock -------------------------------------------------------------------------
  // Moves the clock by `milliseconds`, firing every timer that falls due, in the order of their
  // due times, each at its own time.
  void Advance(int milliseconds);

  // ---- The operator ---------------------------------------------------------------------------
  // Types `text` into an edit box one character at a time after what it holds.
  void Type(form::TControl edit, std::u16string_view text);
  // Replaces an edit box's text at once, as a paste over a selection does.
  void Paste(form::TControl edit, std::u16string_view text);
  // A change notice from an edit box whose text did not change, as some edit controls send on
  // Ctrl+A.
  void NotifyUnchangedText(form::TControl edit);
  // The operator clicks a check box: it changes, then the form hears of the click.
  void ClickCheckBox(form::TControl box);
  // The count window as last shown: its title, column headers and number of data rows.
  const std::u16string& CountWindowTitle() const { return countTitle_; }
  int CountWindowRows() const { return countRows_; }
  // Clicks a button; false (and no event) when it is disabled, as the screen would refuse it.
  bool Click(form::TControl button);
  // Checks or clears a check box, or picks a combo-box entry (no notification: the form reads
  // them when it runs).
  void SetCheckBox(form::TControl box, bool checked);
  void PickComboItem(form::TControl combo, int index);
  // Chooses a combo-box entry as the operator does: the form hears of the change.
  void ChooseComboItem(form::TControl combo, int index);
  // Makes exactly the named date folders selected, then notifies the form.
  void SelectDates(const std::vector<std::u16string_view>& names);
  // Ctrl+click on one date folder: toggles its selection, then notifies the form.
  void CtrlClickDate(std::u16string_view name);
  // A key pressed while `focused` has the focus: the window's key preview first, then the
  // focused control's handler when the preview did not consume it. True when consumed.
  bool PressKey(form::TKey key, form::TShift shift, form::TControl focused);
  // The Down arrow in the grid: not a key the form knows; the grid moves to the next data row
  // (column 0), telling the form before it moves.
  void PressGridDown();
  // A mouse press on a grid cell ({-1, -1} outside): a left press without Shift on a data cell
  // selects it first; then the form hears of the press.
  void PressGrid(form::TMouseButton button, form::TGridCell cell,
                 form::TShift shift = form::TShift::kNone);
  // A mouse press at a point of the action list: a left press makes the entry under it current
  // (the list's own handling) before the form hears of the press.
  void PressActionList(form::TMouseButton button, form::TPoint point,
                       form::TShift shift = form::TShift::kNone);
  // A point of the action list's client area on entry `index`, `x` from its left edge (no
  // scrolling: entry i spans the rows 17 i to 17 i + 16).
  static form::TPoint ActionPoint(int index, int x);
  // The window is shown for the first time; its client area gets a new size; a splitter drag;
  // a request to close (true when the form agreed and the window closed).
  void Show();
  void Resize(form::TSize client);
  void DragSplitter(int x);
  bool RequestClose();

  // ---- IToolkit ---------------------------------------------------------------------------
  void SetUpWindow(const form::TWindowLayout& window) override;
  void CreateControl(const form::TControlLayout& entry) override;
  void SetTabOrder(std::span<const form::TControl> order) override;
  void SetBounds(form::TControl control, form::TRect bounds) override;
  form::TRect Bounds(form::TControl control) const override;
  void SetText(form::TControl control, std::u16string_view text) override;
  std::u16string Text(form::TControl control) const override;
  void SetEnabled(form::TControl control, bool enabled) override;
  bool IsEnabled(form::TControl control) const override;
  void SetVisible(form::TControl control, bool visible) override;
  void SetChecked(form::TControl control, bool checked) override;
  bool IsChecked(form::TControl control) const override;
  void FocusAndSelectAll(form::TControl control) override;
  void Invalidate(form::TControl control) override;
  void SetCaption(std::u16string_view caption) override;
  std::u16string Caption() const override;
  form::TRect WorkArea() const override;
  form::TSize OuterSize(form::TSize client) const override;
  void SetWindowBounds(form::TRect outer) override;
  void CloseWindow() override;
  void ClearItems(form::TControl list) override;
  void AddItem(form::TControl list, std::u16string_view text) override;
  int ItemCount(form::TControl list) const override;
  std::u16string ItemText(form::TControl list, int index) const override;
  void SetSorted(form::TControl list) override;
  void SetItemSelected(form::TControl list, int index, bool selected) override;
  bool IsItemSelected(form::TControl list, int index) const override;
  int CurrentItem(form::TControl list) const override;
  void SetCurrentItem(form::TControl list, int index) override;
  int ItemAt(form::TControl list, form::TPoint point) const override;
  void SetPanelText(int panel, std::u16string_view text) override;
  int PanelCount() const override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetGridColumns(std::span<const form::TGridColumn> columns) override;
  void SetGridRowCount(int dataRows) override;
  int GridCurrentRow() const override;
  void SetGridCurrentRow(int row) override;
  form::TRowRange GridSelectedRows() const override;
  void ShowCountWindow(std::u16string_view title, std::span<const form::TGridColumn> columns,
                       int rows) override;
  int GridTopRow() const override { return gridTopRow_; }
  void SetGridTopRow(int row) override;
  void SetClipboardText(std::u16string_view text) override;
  form::TTimerId StartTimer(int milliseconds) override;
  void SetScreenCursor(form::TScreenCursor cursor) override;
  // Unpaced: every yield handles what is pending, and every position moves the bar.
  void ProcessPendingEvents() override;
  form::TPaceCounts PaceCounts() const override;
  std::optional<std::u16string> ChooseDirectory(std::u16string_view prompt,
                                                std::u16string_view start) override;
  std::optional<int> ShowPopupMenu(std::span<const form::TMenuItem> items) override;
  std::optional<form::TSaveTarget> ChooseSaveFile(std::u16string_view title,
                                                  std::u16string_view fileName,
                                                  std::span<const form::TFileType> types) override;
  void ShowInformation(std::u16string_view title, std::u16string_view text) override;
  void ShowError(std::u16string_view title, std::u16string_view message) override;

 private:
  struct TPendingTimer {
    form::TTimerId id;
    long long due;
  };

  void Record(std::string line) { transcript_.push_back(std::move(line)); }
  TControlState* Find(form::TControl control);
  const TControlState* Find(form::TControl control) const;
  TControlState* FindItem(form::TControl list, int index);
  const TControlState* FindItem(form::TControl list, int index) const;
  // Stores an edit box's new text and, when it changed, notifies the form at once.
  void ChangeEditText(form::TControl edit, std::u16string text);
  void FireDueTimers();
  int IndexOfDate(std::u16string_view name) const;
  form::TForm1& Form();

  form::TForm1* form_ = nullptr;
  std::vector<std::string> transcript_;
  std::array<TControlState, form::kControlCount> controls_{};
  std::u16string caption_;
  std::vector<std::u16string> panels_;
  int progressMax_ = 100;
  int progressPosition_ = 0;
  form::TPaceCounts paceCounts_;
  int gridTopRow_ = 1;
  std::u16string countTitle_;
  int countRows_ = -1;  // -1: never shown
  std::vector<std::pair<std::u16string, int>> columns_;
  int gridRows_ = 0;
  int gridCurrentRow_ = -1;
  std::u16string clipboard_;
  form::TScreenCursor cursor_ = form::TScreenCursor::kDefault;
  std::vector<form::TControl> tabOrder_;
  std::optional<form::TControl> focused_;
  bool closed_ = false;
  bool inYieldHook_ = false;
  long long now_ = 0;
  std::uint32_t nextTimer_ = 1;
  std::vector<TPendingTimer> timers_;
};

// A drawing surface that records every call: "fill L T W H ROLE", "checkbox L T W H checked",
// "font bold", "colour blue", "paint X Y TEXT". Roles: window, windowtext, highlight,
// highlighttext, blue. Every text is `textHeight` high.
class FakePainter : public form::IPainter {
 public:
  const std::vector<std::string>& Calls() const { return calls_; }
  int textHeight = 15;

  void FillRect(form::TRect rect, form::TColourRole colour) override;
  void DrawCheckBox(form::TRect box, bool checked) override;
  void SetFont(form::TFontWeight weight) override;
  void SetTextColour(form::TColourRole colour) override;
  int TextHeight(std::u16string_view text) override;
  void PaintText(form::TPoint at, std::u16string_view text) override;

 private:
  std::vector<std::string> calls_;
};

std::string RectText(form::TRect rect);
std::string RoleName(form::TColourRole role);

}  // namespace korlo_test

namespace form {
// Readable rectangles in test failures ("10 290 260 231": left, top, width, height).
inline void PrintTo(const TRect& rect, std::ostream* out) {
  *out << korlo_test::RectText(rect);
}
}  // namespace form
