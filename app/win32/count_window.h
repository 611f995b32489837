#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/win32/dpi_scale.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"
#include "form/toolkit.h"

namespace app {

// The count window: a window of its own, owned by the main window, holding a virtual report-view
// list view over the form's count table (cells read from TForm1::CountCellText when painted). A
// double click or Enter on a row, and the context menu (right button, menu key), reach the form
// with the row. Closing it hides it; the next count shows it again.
class CountWindow {
 public:
  CountWindow(form::TForm1& form, const DpiScale& scale) : form_(form), scale_(scale) {}
  CountWindow(const CountWindow&) = delete;
  CountWindow& operator=(const CountWindow&) = delete;
  ~CountWindow();

  static void RegisterWindowClass(HINSTANCE instance);
  void Show(HWND owner, HINSTANCE instance, HFONT font, std::u16string_view title,
            std::span<const form::TGridColumn> columns, int rows);
  HWND Window() const { return window_; }
  HWND List() const { return list_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Notify(const NMHDR& header);
  int FocusedRow() const;

  form::TForm1& form_;
  const DpiScale& scale_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  std::u16string cellText_;  // the text last handed to the list view, alive until the next
};

}  // namespace app
