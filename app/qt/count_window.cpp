#include "app/qt/count_window.h"

#include <QVBoxLayout>

#include "app/qt/qt_text.h"
#include "form/Unit1.h"

namespace app {

namespace {

// What the window opens at: room for the value and count columns and a screenful of rows.
constexpr int kOpeningWidth = 440;
constexpr int kOpeningHeight = 520;

}  // namespace

TCountWindow::TCountWindow(form::TForm1& form, QWidget* owner)
    : QWidget(owner, Qt::Window),
      grid_(new TStringGrid(
          [&form](int column, int row) { return ToQString(form.CountCellText(column, row)); },
          this)) {
  setObjectName(QStringLiteral("countWindow"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid_);
  grid_->onActivated = [&form](int row) { form.CountWindowActivated(row); };
  grid_->onContextMenu = [&form](form::TGridCell cell) { form.CountWindowContextMenu(cell.row); };
  resize(kOpeningWidth, kOpeningHeight);
}

void TCountWindow::Show(std::u16string_view title, std::span<const form::TGridColumn> columns,
                        int rows) {
  setWindowTitle(ToQString(title));
  grid_->Model().SetColumnCount(static_cast<int>(columns.size()));
  for (std::size_t column = 0; column < columns.size(); ++column)
    grid_->setColumnWidth(static_cast<int>(column), columns[column].width);
  grid_->SetRowCount(rows);
  if (rows > 0) grid_->SetCurrentRow(1);
  show();
  raise();
  activateWindow();
}

}  // namespace app
