#include "app/qt/results_model.h"

namespace app {

TResultsModel::TResultsModel(TCellText cellText, QObject* parent)
    : QAbstractTableModel(parent), cellText_(std::move(cellText)) {}

void TResultsModel::SetColumnCount(int columns) {
  beginResetModel();
  columns_ = columns;
  endResetModel();
}

void TResultsModel::SetRowCount(int dataRows) {
  beginResetModel();
  rows_ = dataRows;
  endResetModel();
}

int TResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_) return {};
  if (role != Qt::DisplayRole) return {};
  return cellText_(index.column(), index.row() + 1);
}

QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columns_) return {};
  return cellText_(section, 0);
}

Qt::ItemFlags TResultsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace app
