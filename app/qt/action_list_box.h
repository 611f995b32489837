#pragma once

#include <QListWidget>
#include <QPainter>

#include <functional>

#include "form/geometry.h"
#include "form/input.h"
#include "form/painter.h"

namespace app {

// form::IPainter over a QPainter, for one owner-drawn item: colours by role from `palette`
// (blue is pure RGB 0, 0, 255), check boxes by the style's check-box renderer.
class TQtPainter : public form::IPainter {
 public:
  TQtPainter(QPainter& painter, const QWidget& widget);

  void FillRect(form::TRect rect, form::TColourRole colour) override;
  void DrawCheckBox(form::TRect box, bool checked) override;
  void SetFont(form::TFontWeight weight) override;
  void SetTextColour(form::TColourRole colour) override;
  int TextHeight(std::u16string_view text) override;
  void PaintText(form::TPoint at, std::u16string_view text) override;

 private:
  QColor Colour(form::TColourRole colour) const;

  QPainter& painter_;
  const QWidget& widget_;
};

// The action list box: a single-selection list of fixed item height whose items are painted by
// onDrawItem, after which the list draws the focus frame. Every press of any mouse button (the
// second press of a double click included, which Qt delivers as a double-click event) goes to
// onMouseDown after the list's own handling, which moves the current item for the left button
// only; key presses go to onKeyDown first (true consumes the key).
class TActionListBox : public QListWidget {
 public:
  TActionListBox(int itemHeight, QWidget* parent);

  std::function<void(form::TMouseButton button, form::TShift shift, form::TPoint point)>
      onMouseDown;
  std::function<bool(form::TKey key, form::TShift shift)> onKeyDown;
  std::function<void(form::IPainter& painter, int index, form::TRect item, bool selected)>
      onDrawItem;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Press(QMouseEvent* event);
};

}  // namespace app
