#pragma once

#include "app/win32/dpi_scale.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"

namespace app {

// The vertical bar between the left panel and the grid. A press captures the mouse; while the
// button is held every move tells the form where the panel's right edge would be (the bar's
// left edge, in the main window's client coordinates), and the form re-docks the window.
class Splitter {
 public:
  Splitter(form::TForm1& form, const DpiScale& scale) : form_(form), scale_(scale) {}
  Splitter(const Splitter&) = delete;
  Splitter& operator=(const Splitter&) = delete;

  static void RegisterWindowClass(HINSTANCE instance);
  HWND Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  form::TForm1& form_;
  const DpiScale& scale_;
  int grabX_ = 0;  // where in the bar the press was, so the bar does not jump under the mouse
  bool dragging_ = false;
};

}  // namespace app
