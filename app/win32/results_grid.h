#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/win32/dpi_scale.h"
#include "app/win32/key_input.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"
#include "form/toolkit.h"

namespace app {

// The results grid: a virtual report-view list view (LVS_OWNERDATA) whose header is the grid's
// row 0 and whose item i is the grid's data row i + 1; every cell's text is read from the form
// when the list view paints it. Rows are kGridRowHeight high, whole rows are selected, several
// rows can be selected, columns are sized by dragging the header's dividers, cut texts end in an
// ellipsis.
//
// Input, as the form expects it:
// - a left press without Shift on a data cell selects that cell in the form first, then the
//   grid selects the row (with Shift: the rows from the current one to the pressed one; a drag
//   with the button held extends the selection), then the form hears of the press, all before
//   the button is released;
// - right and middle presses reach the form without selecting anything (the list view does not
//   see them; the release of the right button still raises WM_CONTEXTMENU);
// - presses on a header item (not on a divider) reach the form as presses on row 0, and the
//   header still sizes columns;
// - the context menu (the right button's release, the menu key, Shift+F10) reaches the form with
//   the cell under the mouse, or for the keyboard with the focused row's first cell;
// - keys reach the form before the list view; keyboard navigation that moves the focused row
//   selects column 0 of the new row in the form, right after the list view has moved it.
class ResultsGrid {
 public:
  ResultsGrid(form::TForm1& form, const DpiScale& scale) : form_(form), scale_(scale) {}
  ResultsGrid(const ResultsGrid&) = delete;
  ResultsGrid& operator=(const ResultsGrid&) = delete;
  ~ResultsGrid();

  HWND Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance, HFONT font);

  void SetColumns(std::span<const form::TGridColumn> columns);
  void SetRowCount(int dataRows);
  int CurrentRow() const;
  void SetCurrentRow(int row);
  // The selected data rows in grid coordinates.
  form::TRowRange SelectedRows() const;
  // Re-measures the row height and rescales the column widths after the font or the monitor's
  // resolution changed from `oldDpi`.
  void Rescale(int oldDpi);

  // A WM_NOTIFY from the list view to its parent; the value to return.
  LRESULT Notify(const NMHDR& header);

 private:
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
  LRESULT HandleList(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleHeader(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The grid cell at a point of the list view's client area, {-1, -1} outside the data cells.
  form::TGridCell CellAt(POINT point) const;
  int FocusedItem() const;
  int ItemCount() const;
  int ColumnCount() const;
  // Selects the items from `from` to `to`, both included, and no others.
  void SelectRange(int from, int to);
  // A left press on `item`; `extend` with Shift held. Captures the mouse for a drag.
  void PressRow(int item, bool extend);
  void DragTo(int y);
  void EndSelecting();
  // Sizes the rows to kGridRowHeight through the height of the small image list.
  void SetRowHeight();

  form::TForm1& form_;
  const DpiScale& scale_;
  HWND list_ = nullptr;
  HWND header_ = nullptr;
  HIMAGELIST rowSizer_ = nullptr;
  std::u16string cellText_;    // the text last handed to the list view, alive until the next
  ConsumedKeys consumedKeys_;  // the characters of key presses the form consumed
  bool rightPressed_ = false;  // a right press the list view did not see, for WM_CONTEXTMENU
  bool selecting_ = false;     // the left button is held after a press on a row
  int rangeStart_ = -1;        // the fixed end of the selection while the button is held
  int dragItem_ = -1;          // the other end
};

}  // namespace app
