#pragma once

#include <QTableView>

#include <functional>

#include "app/qt/results_model.h"
#include "form/input.h"

namespace app {

// The results grid: a read-only table whose header row counts as grid row 0, with data rows
// from 1, over a TResultsModel. Whole rows are selected (several adjacent ones by dragging or
// with Shift), columns are resized by dragging the header's lines, Tab leaves the grid, and the
// view scrolls when the scroll thumb is released rather than while it is dragged.
//
// It reports, in grid coordinates:
// - onSelectCell(cell) before its current cell moves: on a left press without Shift on a data
//   cell (the pressed column), and on keyboard navigation that changes the row (column 0);
// - onMouseDown(button, shift, cell) after any press of any button, the header row included,
//   with {-1, -1} outside the cells; a press with another button than the left one, or on the
//   header, selects nothing;
// - onKeyDown(key, shift) for each key press before the grid handles it; true consumes the key;
// - onContextMenu(cell) when the operator asks for the context menu: on the cell under the mouse
//   pointer, or for the menu key on the current row's first cell;
// - onActivated(row), when set, for a double click on a data row or Enter on the current one.
class TStringGrid : public QTableView {
 public:
  TStringGrid(TResultsModel::TCellText cellText, QWidget* parent);

  TResultsModel& Model() { return model_; }
  // Shows `dataRows` rows under the header; the current row stays, moved to the new last row
  // when it is cut off, without reporting.
  void SetRowCount(int dataRows);
  // The current row in grid coordinates, or -1.
  int CurrentRow() const;
  void SetCurrentRow(int gridRow);
  // The data row at the top of the rows shown (grid coordinates), and scrolling to show `gridRow`
  // there, or as near as the rows allow.
  int TopRow() const;
  void SetTopRow(int gridRow);
  // The grid cell at a point of the viewport: {-1, -1} outside the cells.
  form::TGridCell CellAt(const QPoint& viewportPoint) const;

  std::function<void(form::TGridCell cell)> onSelectCell;
  std::function<void(form::TMouseButton button, form::TShift shift, form::TGridCell cell)>
      onMouseDown;
  std::function<bool(form::TKey key, form::TShift shift)> onKeyDown;
  std::function<void(form::TGridCell cell)> onContextMenu;
  // When set: a double click on a data row, or Enter, activates that row (the count window's
  // query by a value).
  std::function<void(int gridRow)> onActivated;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TResultsModel model_;
  bool keyboardMove_ = false;
};

}  // namespace app
