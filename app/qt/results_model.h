#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>

namespace app {

// The results grid's table: the data rows under the header, cells read from the form when the
// view asks (grid coordinates: row 0 is the header row, data rows start at 1). It holds no text.
class TResultsModel : public QAbstractTableModel {
 public:
  using TCellText = std::function<QString(int column, int gridRow)>;

  TResultsModel(TCellText cellText, QObject* parent);

  // The columns and their header texts are read from the cell source; `columns` of them.
  void SetColumnCount(int columns);
  // Shows `dataRows` rows; every row shown is read again.
  void SetRowCount(int dataRows);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  TCellText cellText_;
  int columns_ = 0;
  int rows_ = 0;
};

}  // namespace app
