#include "app/win32/control_subclass.h"

#include "app/win32/error_box.h"

namespace app {

void ControlSubclass::Install(HWND control, void* owner, Handler handler) {
  Remove();
  control_ = control;
  root_ = GetAncestor(control, GA_ROOT);
  owner_ = owner;
  handler_ = handler;
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

void ControlSubclass::Remove() {
  if (control_ == nullptr) return;
  if (IsWindow(control_) &&
      GetWindowLongPtrW(control_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Proc)) {
    SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrW(control_, GWLP_USERDATA, 0);
  }
  control_ = nullptr;
}

LRESULT CALLBACK ControlSubclass::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ControlSubclass*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The control's last message: it goes to the control's own procedure, and the record lets go.
    const WNDPROC original = self->original_;
    self->control_ = nullptr;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return CallWindowProcW(original, window, message, wParam, lParam);
  }
  return GuardedMessage(self->root_, 0, [&] {
    return self->handler_(self->owner_, window, message, wParam, lParam);
  });
}

}  // namespace app
