#pragma once

#include <QWidget>

#include <span>
#include <string_view>

#include "app/qt/string_grid.h"
#include "form/Unit1.h"
#include "form/toolkit.h"

namespace app {

// The count window: a window of its own beside the main one, holding a grid like the results
// grid over the form's count table. A double click or Enter on a data row and a context-menu
// request reach the form with the row.
class TCountWindow : public QWidget {
 public:
  TCountWindow(form::TForm1& form, QWidget* owner);

  // Shows `rows` rows of `columns`, titled `title`, and brings the window up.
  void Show(std::u16string_view title, std::span<const form::TGridColumn> columns, int rows);
  TStringGrid* Grid() const { return grid_; }

 private:
  TStringGrid* grid_;
};

}  // namespace app
