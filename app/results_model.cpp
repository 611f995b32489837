#include "app/results_model.h"

#include <algorithm>

#include "app/qt_text.h"

namespace app {

void TResultsModel::SetRecords(core::TLogList records) {
  beginResetModel();
  records_ = std::move(records);
  endResetModel();
}

int TResultsModel::DataRowCount() const {
  return std::max(1, static_cast<int>(std::min<std::size_t>(records_.size(), INT32_MAX)));
}

QString TResultsModel::CellText(int column, int gridRow) const {
  if (column < 0 || column >= static_cast<int>(core::kGridColumnCount) || gridRow < 0) return {};
  const core::TGridColumn& grid = core::GRID_HEADERS[static_cast<std::size_t>(column)];
  if (gridRow == 0) return ToQString(grid.header);
  const auto record = static_cast<std::size_t>(gridRow - 1);
  if (record >= records_.size()) return {};
  if (!grid.field) return QString::number(gridRow);
  return ToQString(records_[record].Field(*grid.field));
}

int TResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : DataRowCount();
}

int TResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(core::kGridColumnCount);
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  if (role != Qt::DisplayRole) return {};
  return CellText(index.column(), index.row() + 1);
}

QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return CellText(section, 0);
}

Qt::ItemFlags TResultsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace app
