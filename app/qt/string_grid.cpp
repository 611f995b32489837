#include "app/qt/string_grid.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "app/qt/qt_input.h"
#include "form/layout.h"

namespace app {

namespace {

// Draws the focused cell in the selection colour like the rest of the selection, without a
// focus frame of its own.
class TNoFocusFrameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
  }
};

}  // namespace

TStringGrid::TStringGrid(TResultsModel::TCellText cellText, QWidget* parent)
    : QTableView(parent), model_(std::move(cellText), this) {
  setModel(&model_);
  setItemDelegate(new TNoFocusFrameDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setShowGrid(true);
  setWordWrap(false);
  // A value cut by its column's width ends with an ellipsis, so that it never reads as another,
  // shorter value.
  setTextElideMode(Qt::ElideRight);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(form::kGridRowHeight);
  verticalHeader()->setDefaultSectionSize(form::kGridRowHeight);
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->viewport()->installEventFilter(this);
  verticalScrollBar()->setTracking(false);
  horizontalScrollBar()->setTracking(false);
}

void TStringGrid::SetRowCount(int dataRows) {
  const int currentRow = currentIndex().isValid() ? currentIndex().row() : -1;
  model_.SetRowCount(dataRows);
  if (currentRow < 0 || dataRows <= 0) return;
  SetCurrentRow(std::min(currentRow, dataRows - 1) + 1);
}

int TStringGrid::CurrentRow() const {
  return currentIndex().isValid() ? currentIndex().row() + 1 : -1;
}

void TStringGrid::SetCurrentRow(int gridRow) {
  if (gridRow < 1 || gridRow > model_.rowCount()) return;
  const QSignalBlocker blocker(selectionModel());
  selectionModel()->setCurrentIndex(
      model_.index(gridRow - 1, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  viewport()->update();
}

int TStringGrid::TopRow() const {
  const int row = rowAt(0);
  return row >= 0 ? row + 1 : 1;
}

void TStringGrid::SetTopRow(int gridRow) {
  const int row = std::clamp(gridRow, 1, std::max(model_.rowCount(), 1)) - 1;
  scrollTo(model_.index(row, 0), QAbstractItemView::PositionAtTop);
}

form::TGridCell TStringGrid::CellAt(const QPoint& viewportPoint) const {
  const QModelIndex index = indexAt(viewportPoint);
  if (!index.isValid()) return {};
  return {index.column(), index.row() + 1};
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  const form::TGridCell cell = CellAt(event->position().toPoint());
  const bool selects = event->button() == Qt::LeftButton;
  if (selects && !(event->modifiers() & Qt::ShiftModifier) && cell.row > 0 && onSelectCell) {
    onSelectCell(cell);
  }
  if (selects) {
    // The press moves the current cell; that move is the press's, not the keyboard's.
    keyboardMove_ = false;
    QTableView::mousePressEvent(event);
  } else {
    event->accept();
  }
  if (onMouseDown) onMouseDown(ButtonOf(event->button()), ShiftOf(event->modifiers()), cell);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const form::TGridCell cell = CellAt(event->position().toPoint());
  if (onActivated && event->button() == Qt::LeftButton && cell.row > 0) {
    onActivated(cell.row);
    event->accept();
    return;
  }
  QTableView::mouseDoubleClickEvent(event);
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  if (onKeyDown && onKeyDown(KeyOf(*event), ShiftOf(event->modifiers()))) {
    event->accept();
    return;
  }
  if (onActivated && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      CurrentRow() > 0) {
    onActivated(CurrentRow());
    event->accept();
    return;
  }
  keyboardMove_ = true;
  QTableView::keyPressEvent(event);
  keyboardMove_ = false;
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (keyboardMove_ && current.isValid() && current.row() != previous.row() && onSelectCell) {
    onSelectCell({0, current.row() + 1});
  }
  QTableView::currentChanged(current, previous);
}

void TStringGrid::contextMenuEvent(QContextMenuEvent* event) {
  if (!onContextMenu) return;
  const form::TGridCell cell = event->reason() == QContextMenuEvent::Mouse
                                   ? CellAt(event->pos())  // the viewport's, as delivered
                                   : form::TGridCell{0, CurrentRow()};
  onContextMenu(cell);
  event->accept();
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::ContextMenu &&
      onContextMenu) {
    // The header's cells are the grid's row 0.
    const auto* menu = static_cast<QContextMenuEvent*>(event);
    const int column = horizontalHeader()->logicalIndexAt(menu->pos());
    onContextMenu(column >= 0 ? form::TGridCell{column, 0} : form::TGridCell{});
    return true;
  }
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress &&
      onMouseDown) {
    const auto* press = static_cast<QMouseEvent*>(event);
    const int column = horizontalHeader()->logicalIndexAt(press->position().toPoint());
    // Pressing on a column line starts a resize; the press still stores the header cell.
    onMouseDown(ButtonOf(press->button()), ShiftOf(press->modifiers()),
                column >= 0 ? form::TGridCell{column, 0} : form::TGridCell{});
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace app
