#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/win32/control_subclass.h"
#include "app/win32/dpi_scale.h"
#include "app/win32/key_input.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"
#include "form/toolkit.h"

namespace app {

// The results grid: a virtual report-view list view (LVS_OWNERDATA) whose header is the grid's
// row 0 and whose item i is the grid's data row i + 1; every cell's text is read from the form
// when the grid paints it. Rows are kGridRowHeight high, whole rows are selected, the selection
// is one run of adjacent rows, columns are sized by dragging the header's dividers, cut texts end
// in an ellipsis.
//
// The grid keeps the current row, the anchor and the selected run itself, and draws them itself
// (the selected rows in the highlight colours across the whole row, the current row's focus
// frame while the grid has the keyboard focus); the list view holds no selection or focus state
// for its items at all, so it never visits every row: clearing a list view's selection, as a
// click or an arrow key does, walks every item, and under wine each step of that walk sends the
// header a message that costs a round trip to the wine server through the header's subclass
// (35-50 s for one click at 400,000 rows). Every operation here costs O(1) or O(visible rows).
//
// Input, as the form expects it:
// - a left press without Shift on a data cell selects that cell in the form first, then makes
//   its row current, the anchor and the selection; with Shift it selects the rows from the
//   anchor to the pressed one and the current row stays; a drag with the button held extends the
//   selection from the anchor to the row under the mouse, scrolling when the mouse leaves the
//   rows; then the form hears of the press, all before the button is released;
// - right and middle presses reach the form without selecting anything (the list view does not
//   see them; the release of the right button still raises WM_CONTEXTMENU);
// - presses on a header item (not on a divider) reach the form as presses on row 0, and the
//   header still sizes columns;
// - the context menu (the right button's release, the menu key, Shift+F10) reaches the form with
//   the cell under the mouse, or for the keyboard with the current row's first cell;
// - keys reach the form first, and a key it consumes goes no further. Up, Down, Page Up, Page
//   Down (by the rows visible), Home and End (with or without Ctrl) move the current row, which
//   becomes the anchor and the selection and is scrolled into view; with Shift the anchor stays
//   and the selection reaches from it to the new current row. A move selects column 0 of the new
//   row in the form right after it. Left and Right scroll the columns as a report view does.
class ResultsGrid {
 public:
  ResultsGrid(form::TForm1& form, const DpiScale& scale) : form_(form), scale_(scale) {}
  ResultsGrid(const ResultsGrid&) = delete;
  ResultsGrid& operator=(const ResultsGrid&) = delete;
  ~ResultsGrid();

  HWND Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance, HFONT font);

  void SetColumns(std::span<const form::TGridColumn> columns);
  // A new result of `dataRows` rows: a current row (and anchor) beyond it moves to the new last
  // row, the selection is cut to the rows that remain, and every row shown is repainted.
  void SetRowCount(int dataRows);
  // The current row in grid coordinates, -1 for none.
  int CurrentRow() const { return current_; }
  // Makes `row` current, the anchor and the whole selection, and scrolls it into view; a row out
  // of range changes nothing.
  void SetCurrentRow(int row);
  // The selected data rows in grid coordinates.
  form::TRowRange SelectedRows() const { return selection_; }
  // Re-measures the row height and rescales the column widths after the font or the monitor's
  // resolution changed from `oldDpi`.
  void Rescale(int oldDpi);

  // A WM_NOTIFY from the list view to its parent; the value to return.
  LRESULT Notify(const NMHDR& header);

 private:
  static LRESULT ListProc(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT HeaderProc(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleList(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleHeader(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The grid cell at a point of the list view's client area, {-1, -1} outside the data cells.
  form::TGridCell CellAt(POINT point) const;
  int ColumnCount() const;
  // Makes `current` the current row, `anchor` the anchor and `selection` the selected run,
  // repainting the rows whose look changes; with `scrollTo`, that row is scrolled into view
  // first.
  void Select(int current, int anchor, form::TRowRange selection, int scrollTo);
  // The rows at least partly in view, empty without rows.
  form::TRowRange RowsInView() const;
  // Repaints the rows of `rows` that are in `inView`.
  void InvalidateRows(form::TRowRange rows, form::TRowRange inView) const;
  // A navigation key (Up, Down, Page Up, Page Down, Home, End, Left, Right) pressed without Alt;
  // false for other keys.
  bool NavigationKey(WPARAM key);
  // A left press on data row `row`; `extend` with Shift held. Captures the mouse for a drag.
  void PressRow(int row, bool extend);
  void DragTo(int y);
  void EndSelecting();
  // NM_CUSTOMDRAW: the grid draws every row itself.
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
  // Draws data row `row` whole: its background when selected, its cells' texts, and the focus
  // frame when it is the current row and the grid has the focus.
  void DrawRow(HDC dc, int row);
  // Sizes the rows to kGridRowHeight through the height of the small image list.
  void SetRowHeight();

  form::TForm1& form_;
  const DpiScale& scale_;
  HWND list_ = nullptr;
  HWND header_ = nullptr;
  ControlSubclass listSubclass_;
  ControlSubclass headerSubclass_;
  HIMAGELIST rowSizer_ = nullptr;
  std::u16string cellText_;    // the text last handed to the list view or drawn
  ConsumedKeys consumedKeys_;  // the characters of key presses the form consumed
  bool rightPressed_ = false;  // a right press the list view did not see, for WM_CONTEXTMENU
  bool selecting_ = false;     // the left button is held after a press on a row
  int dragRow_ = -1;           // the row under the mouse while the button is held
  int rows_ = 0;               // the data rows
  int current_ = -1;           // the current row, -1 for none
  int anchor_ = -1;            // the fixed end of a selection extended with Shift or a drag
  form::TRowRange selection_;  // the selected rows
  // What one paint reads once, at its start, for all its rows.
  struct PaintState {
    std::vector<int> columnWidths;
    RECT client{};
    bool focused = false;
  } paint_;
};

}  // namespace app
