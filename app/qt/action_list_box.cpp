#include "app/qt/action_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>

#include "app/qt/qt_input.h"
#include "app/qt/qt_text.h"

namespace app {

namespace {

QRect ToQRect(form::TRect rect) {
  return {rect.left, rect.top, rect.width, rect.height};
}

// Hands each entry to the list's draw handler, then draws the focus frame itself.
class TActionItemDelegate : public QStyledItemDelegate {
 public:
  TActionItemDelegate(TActionListBox* list, int itemHeight)
      : QStyledItemDelegate(list), list_(list), itemHeight_(itemHeight) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    painter->setFont(list_->font());
    if (list_->onDrawItem) {
      TQtPainter surface(*painter, *list_);
      const QRect& r = option.rect;
      list_->onDrawItem(surface, index.row(), {r.left(), r.top(), r.width(), r.height()},
                        (option.state & QStyle::State_Selected) != 0);
    }
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list_);
    }
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), itemHeight_};
  }

 private:
  TActionListBox* list_;
  int itemHeight_;
};

}  // namespace

TQtPainter::TQtPainter(QPainter& painter, const QWidget& widget)
    : painter_(painter), widget_(widget) {}

QColor TQtPainter::Colour(form::TColourRole colour) const {
  const QPalette& palette = widget_.palette();
  switch (colour) {
    case form::TColourRole::kWindow:
      return palette.color(QPalette::Base);
    case form::TColourRole::kWindowText:
      return palette.color(QPalette::Text);
    case form::TColourRole::kHighlight:
      return palette.color(QPalette::Highlight);
    case form::TColourRole::kHighlightText:
      return palette.color(QPalette::HighlightedText);
    case form::TColourRole::kBlue:
      return {0, 0, 255};
  }
  return palette.color(QPalette::Text);
}

void TQtPainter::FillRect(form::TRect rect, form::TColourRole colour) {
  painter_.fillRect(ToQRect(rect), Colour(colour));
}

void TQtPainter::DrawCheckBox(form::TRect box, bool checked) {
  QStyleOptionButton option;
  option.rect = ToQRect(box);
  option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
  option.palette = widget_.palette();
  widget_.style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter_, &widget_);
}

void TQtPainter::SetFont(form::TFontWeight weight) {
  QFont font = widget_.font();
  font.setBold(weight == form::TFontWeight::kBold);
  painter_.setFont(font);
}

void TQtPainter::SetTextColour(form::TColourRole colour) {
  painter_.setPen(Colour(colour));
}

int TQtPainter::TextHeight(std::u16string_view) {
  return painter_.fontMetrics().height();
}

void TQtPainter::PaintText(form::TPoint at, std::u16string_view text) {
  painter_.drawText(QPoint(at.x, at.y + painter_.fontMetrics().ascent()), ToQString(text));
}

TActionListBox::TActionListBox(int itemHeight, QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new TActionItemDelegate(this, itemHeight));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void TActionListBox::Press(QMouseEvent* event) {
  if (!onMouseDown) return;
  const QPoint at = event->position().toPoint();
  onMouseDown(ButtonOf(event->button()), ShiftOf(event->modifiers()), {at.x(), at.y()});
}

void TActionListBox::mousePressEvent(QMouseEvent* event) {
  // Only the left button moves the current item; every button reaches the handler.
  if (event->button() == Qt::LeftButton) {
    QListWidget::mousePressEvent(event);
  } else {
    event->accept();
  }
  Press(event);
}

void TActionListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click arrives as this event instead of a press.
  event->accept();
  Press(event);
}

void TActionListBox::keyPressEvent(QKeyEvent* event) {
  if (onKeyDown && onKeyDown(KeyOf(*event), ShiftOf(event->modifiers()))) {
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace app
