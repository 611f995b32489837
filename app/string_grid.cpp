#include "app/string_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "app/toolkit.h"
#include "core/log_record.h"

namespace app {

namespace {

constexpr int kDefaultRowHeight = 20;

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

TStringGrid::TStringGrid(QWidget* parent) : QTableView(parent) {
  setModel(&model_);
  setItemDelegate(new TNoFocusFrameDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setShowGrid(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);  // cells clip their text, as grid cells do
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->viewport()->installEventFilter(this);
  for (std::size_t column = 0; column < core::GRID_HEADERS.size(); ++column) {
    setColumnWidth(static_cast<int>(column), core::GRID_HEADERS[column].width);
  }
  verticalScrollBar()->setTracking(false);
  horizontalScrollBar()->setTracking(false);
}

void TStringGrid::Report(const std::function<void(int, int)>& handler, int column, int row) {
  if (handler) RunHandler([&] { handler(column, row); });
}

void TStringGrid::SetRecords(core::TLogList records) {
  const int currentRow = currentIndex().isValid() ? currentIndex().row() : -1;
  model_.SetRecords(std::move(records));
  if (currentRow < 0) return;
  const int lastRow = model_.DataRowCount() - 1;
  const bool cutOff = currentRow > lastRow;
  const int row = cutOff ? lastRow : currentRow;
  {
    const QSignalBlocker blocker(selectionModel());
    selectionModel()->setCurrentIndex(
        model_.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (cutOff) Report(onSelectCell, 0, row + 1);
}

QPoint TStringGrid::CellAt(const QPoint& viewportPoint) const {
  const QModelIndex index = indexAt(viewportPoint);
  if (!index.isValid()) return {-1, -1};
  return {index.column(), index.row() + 1};
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint cell = CellAt(event->position().toPoint());
  const bool selects = event->button() == Qt::LeftButton;
  if (selects && !(event->modifiers() & Qt::ShiftModifier) && cell.y() > 0) {
    Report(onSelectCell, cell.x(), cell.y());
  }
  if (selects) {
    // The press moves the current cell; that move is the press's, not the keyboard's.
    keyboardMove_ = false;
    QTableView::mousePressEvent(event);
  } else {
    event->accept();
  }
  Report(onMouseDown, cell.x(), cell.y());
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  bool consumed = false;
  if (onKeyDown) RunHandler([&] { consumed = onKeyDown(event); });
  if (consumed) {
    event->accept();
    return;
  }
  keyboardMove_ = true;
  QTableView::keyPressEvent(event);
  keyboardMove_ = false;
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (keyboardMove_ && current.isValid() && current.row() != previous.row()) {
    Report(onSelectCell, 0, current.row() + 1);
  }
  QTableView::currentChanged(current, previous);
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(event);
    const int column = horizontalHeader()->logicalIndexAt(press->position().toPoint());
    // Pressing on a column line starts a resize; the press still stores the header cell.
    Report(onMouseDown, column, column >= 0 ? 0 : -1);
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace app
