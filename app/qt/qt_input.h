#pragma once

// Qt's keys, modifiers and mouse buttons as the form names them.

#include <QKeyEvent>

#include "form/input.h"

namespace app {

inline form::TKey KeyOf(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_C:
      return form::TKey::kC;
    case Qt::Key_F:
      return form::TKey::kF;
    case Qt::Key_L:
      return form::TKey::kL;
    case Qt::Key_S:
      return form::TKey::kS;
    case Qt::Key_Space:
      return form::TKey::kSpace;
    case Qt::Key_F5:
      return form::TKey::kF5;
    default:
      return form::TKey::kOther;
  }
}

inline form::TShift ShiftOf(Qt::KeyboardModifiers modifiers) {
  form::TShift shift = form::TShift::kNone;
  if (modifiers & Qt::ShiftModifier) shift = shift | form::TShift::kShift;
  if (modifiers & Qt::ControlModifier) shift = shift | form::TShift::kCtrl;
  if (modifiers & Qt::AltModifier) shift = shift | form::TShift::kAlt;
  return shift;
}

inline form::TMouseButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return form::TMouseButton::kRight;
    case Qt::MiddleButton:
      return form::TMouseButton::kMiddle;
    default:
      return form::TMouseButton::kLeft;
  }
}

}  // namespace app
