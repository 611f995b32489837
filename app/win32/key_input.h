#pragma once

#include "app/win32/win_api.h"
#include "form/input.h"

namespace app {

// The form's key for a virtual-key code; keys the form gives no meaning to are kOther.
inline form::TKey KeyFromVirtualKey(WPARAM virtualKey) {
  switch (virtualKey) {
    case 'C':
      return form::TKey::kC;
    case 'F':
      return form::TKey::kF;
    case 'L':
      return form::TKey::kL;
    case 'S':
      return form::TKey::kS;
    case VK_SPACE:
      return form::TKey::kSpace;
    case VK_F5:
      return form::TKey::kF5;
    default:
      return form::TKey::kOther;
  }
}

// The modifier keys held while the message being handled was posted.
inline form::TShift ShiftState() {
  form::TShift shift = form::TShift::kNone;
  if (GetKeyState(VK_SHIFT) < 0) shift = shift | form::TShift::kShift;
  if (GetKeyState(VK_CONTROL) < 0) shift = shift | form::TShift::kCtrl;
  if (GetKeyState(VK_MENU) < 0) shift = shift | form::TShift::kAlt;
  return shift;
}

// The modifier keys of a mouse message: Shift and Ctrl from its own flags, Alt from the
// keyboard state of the message.
inline form::TShift MouseShiftState(WPARAM flags) {
  form::TShift shift = form::TShift::kNone;
  if ((flags & MK_SHIFT) != 0) shift = shift | form::TShift::kShift;
  if ((flags & MK_CONTROL) != 0) shift = shift | form::TShift::kCtrl;
  if (GetKeyState(VK_MENU) < 0) shift = shift | form::TShift::kAlt;
  return shift;
}

// The button of a press message (WM_?BUTTONDOWN, WM_?BUTTONDBLCLK).
inline form::TMouseButton MouseButtonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return form::TMouseButton::kRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return form::TMouseButton::kMiddle;
    default:
      return form::TMouseButton::kLeft;
  }
}

// The key presses of a control that the form consumed: the character message such a press
// produces is dropped as well, so the control never sees half of a consumed key.
class ConsumedKeys {
 public:
  // For WM_KEYDOWN and WM_SYSKEYDOWN: remembers and returns whether the form consumed the key.
  bool KeyDown(bool consumed) {
    dropChar_ = consumed;
    return consumed;
  }
  // For WM_CHAR and WM_SYSCHAR: true when the character belongs to a consumed key press.
  bool DropsChar() {
    const bool drop = dropChar_;
    dropChar_ = false;
    return drop;
  }

 private:
  bool dropChar_ = false;
};

// The point of a mouse message, in the client coordinates of the window that received it.
inline POINT MousePoint(LPARAM lParam) {
  return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace app
