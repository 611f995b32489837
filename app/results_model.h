#pragma once

#include <QAbstractTableModel>
#include <QString>

#include "core/form_state.h"

namespace app {

// The results grid's table: one row per record of the result it was given, fifteen columns as
// the grid headers list them (the row number first), cells read from the records when the view
// asks. It keeps its own shared copy of the result list (a reference count per record, never a
// text), so the grid shows what was rendered while a later query refills the result list. An
// empty result shows one blank row.
class TResultsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Replaces the rows with `records`.
  void SetRecords(core::TLogList records);
  // The number of data rows shown: the records, or 1 for the blank row of an empty result.
  int DataRowCount() const;
  // The text of a cell by grid coordinates: row 0 is the header row, data rows start at 1.
  // Empty for a cell outside the grid.
  QString CellText(int column, int gridRow) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  core::TLogList records_;
};

}  // namespace app
