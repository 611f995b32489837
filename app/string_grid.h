#pragma once

#include <QTableView>

#include <functional>

#include "app/results_model.h"

namespace app {

// The results grid: a read-only table over a TResultsModel whose header row counts as grid row
// 0, with data rows from 1. Whole rows are selected (several adjacent ones by dragging or with
// Shift), columns are resized by dragging the header's lines, Tab leaves the grid, and the view
// scrolls when the scroll thumb is released rather than while it is dragged.
//
// It reports, in grid coordinates:
// - onSelectCell(column, row) before its current cell moves: on a left press without Shift on a
//   data cell (the pressed column), on keyboard navigation that changes the row, and when a
//   smaller result cuts off the current row (both column 0: whole rows are selected);
// - onMouseDown(column, row) after any press of any button, the header row included, with -1
//   outside the cells; a press with another button than the left one, or on the header, selects
//   nothing;
// - onKeyDown(event) for each key press before the grid handles it; true consumes the key.
class TStringGrid : public QTableView {
 public:
  explicit TStringGrid(QWidget* parent);

  TResultsModel& Model() { return model_; }
  // Shows `records` as the grid's rows; a current row beyond the new last row moves to it.
  void SetRecords(core::TLogList records);
  // The grid's rows, the header row included.
  int RowCount() const { return model_.DataRowCount() + 1; }
  // The grid cell at a point of the viewport: {-1, -1} outside the cells.
  QPoint CellAt(const QPoint& viewportPoint) const;

  std::function<void(int column, int row)> onSelectCell;
  std::function<void(int column, int row)> onMouseDown;
  std::function<bool(QKeyEvent* event)> onKeyDown;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Report(const std::function<void(int, int)>& handler, int column, int row);

  TResultsModel model_;
  bool keyboardMove_ = false;
};

}  // namespace app
