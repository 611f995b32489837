#include "app/action_checklist.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>

#include "app/toolkit.h"
#include "core/action_catalogue.h"

namespace app {

namespace {

constexpr int kMemberIndent = 25;
constexpr int kOtherIndent = 5;

bool IsGroupMember(int index) {
  for (int header : {core::kItemGroupHeader, core::kPlayerGroupHeader}) {
    const core::TActionGroup group = core::GroupMembers(header);
    if (index >= group.first && index <= group.last) return true;
  }
  return false;
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
      RunHandler([&] { list_->onDrawItem(*painter, index.row(), option.rect, option.state); });
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

int TActionCheckList::Indent(int index) {
  return IsGroupMember(index) ? kMemberIndent : kOtherIndent;
}

TActionCheckList::TLook TActionCheckList::Look(int index, const QRect& item, bool selected) {
  const int indent = Indent(index);
  const QRect box(item.left() + indent, item.top() + (item.height() - kBoxHeight) / 2, kBoxWidth,
                  kBoxHeight);
  TTextColour colour = selected ? TTextColour::kHighlightText : TTextColour::kWindowText;
  if (index == core::kSelectAllEntry && !selected) colour = TTextColour::kBlue;
  const bool bold = core::IsHeaderOrSelectAll(index);
  return {box, box.left() + kBoxWidth + kTextGap, bold, colour};
}

bool TActionCheckList::HitsCheckBox(int index, int x) {
  const int indent = Indent(index);
  return x >= indent && x <= indent + kHitZoneWidth;
}

void TActionCheckList::Paint(QPainter& painter, const QStyle& style, const QWidget* list, int index,
                             const QRect& item, bool selected, bool checked, const QString& text,
                             const QFont& font, const QPalette& palette) {
  painter.fillRect(item, palette.color(selected ? QPalette::Highlight : QPalette::Base));
  const TLook look = Look(index, item, selected);

  QStyleOptionButton box;
  box.rect = look.checkBox;
  box.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
  box.palette = palette;
  style.drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, list);

  QFont textFont = font;
  textFont.setBold(look.bold);
  painter.setFont(textFont);
  switch (look.colour) {
    case TTextColour::kBlue:
      painter.setPen(QColor(0, 0, 255));
      break;
    case TTextColour::kHighlightText:
      painter.setPen(palette.color(QPalette::HighlightedText));
      break;
    case TTextColour::kWindowText:
      painter.setPen(palette.color(QPalette::Text));
      break;
  }
  const QFontMetrics metrics(textFont);
  const int top = item.top() + (item.height() - metrics.height()) / 2;
  painter.drawText(QPoint(look.textLeft, top + metrics.ascent()), text);
}

TActionListBox::TActionListBox(QWidget* parent) : QListWidget(parent) {
  constexpr int kItemHeight = 17;
  setItemDelegate(new TActionItemDelegate(this, kItemHeight));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void TActionListBox::Press(QMouseEvent* event) {
  if (onMouseDown) {
    const QPoint at = event->position().toPoint();
    RunHandler([&] { onMouseDown(event->button(), event->modifiers(), at.x(), at.y()); });
  }
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
  bool consumed = false;
  if (onKeyDown) RunHandler([&] { consumed = onKeyDown(event); });
  if (consumed) {
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace app
