#pragma once

#include "app/win32/win_api.h"

namespace app {

// A control's window procedure replaced by a handler of ours, which passes the messages it does
// not take to the control's own procedure (CallControl).
//
// Not SetWindowSubclass: that finds its data with a window property on every message, which
// under wine is a round trip to the wine server (about 90 us), and a list view sends its header a
// message for every row and column it paints. This keeps its record in the control's
// GWLP_USERDATA, which the common controls leave to the program, and names the window that owns
// the error box once, at installation.
class ControlSubclass {
 public:
  using Handler = LRESULT (*)(void* owner, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  ControlSubclass() = default;
  ControlSubclass(const ControlSubclass&) = delete;
  ControlSubclass& operator=(const ControlSubclass&) = delete;
  ~ControlSubclass() { Remove(); }

  // From now on `handler(owner, ...)` handles every message of `control`; an exception that
  // escapes it is shown in the error box of the control's top-level window.
  void Install(HWND control, void* owner, Handler handler);
  // Gives the control its own procedure back (nothing once the control is gone).
  void Remove();
  LRESULT CallControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    return CallWindowProcW(original_, window, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND control_ = nullptr;
  HWND root_ = nullptr;
  WNDPROC original_ = nullptr;
  void* owner_ = nullptr;
  Handler handler_ = nullptr;
};

}  // namespace app
