#pragma once

#include "app/win32/control_subclass.h"
#include "app/win32/dpi_scale.h"
#include "app/win32/key_input.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"

namespace app {

// The fonts the window's controls use: the window font, and its bold face for the action
// list's headers.
struct WindowFonts {
  HFONT regular = nullptr;
  HFONT bold = nullptr;
};

// The action checklist: an owner-drawn fixed-height list box (LBS_OWNERDRAWFIXED) whose items
// the form paints, and whose presses and keys go to the form. Every press of any button, the
// second press of a double click included, reaches the form after the list's own handling, so
// a left press has made the entry current first; keys reach the form before the list, and a key
// the form consumes (Space) is not seen by the list, nor is the character it produces.
class ActionList {
 public:
  ActionList(form::TForm1& form, const DpiScale& scale, const WindowFonts& fonts)
      : form_(form), scale_(scale), fonts_(fonts) {}
  ActionList(const ActionList&) = delete;
  ActionList& operator=(const ActionList&) = delete;
  ~ActionList();

  // Takes over the list box's input (a window subclass).
  void Attach(HWND list);
  // Paints one item (WM_DRAWITEM): the form's drawing, then the focus frame when the item holds
  // the keyboard focus.
  void Draw(const DRAWITEMSTRUCT& item);

 private:
  static LRESULT Proc(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  form::TForm1& form_;
  const DpiScale& scale_;
  const WindowFonts& fonts_;
  HWND list_ = nullptr;
  ControlSubclass subclass_;
  ConsumedKeys consumedKeys_;  // the characters of key presses the form consumed
};

}  // namespace app
