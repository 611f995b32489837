#pragma once

#include <QListWidget>
#include <QPainter>
#include <QRect>
#include <QStyle>
#include <QStyledItemDelegate>

#include <functional>

namespace app {

// How one entry of the action checklist is drawn and hit, as plain values: group members are
// indented under their headers, every entry has a 16 x 13 check box, "选择全部" is bold and
// blue and the two group headers are bold.
class TActionCheckList {
 public:
  static constexpr int kBoxWidth = 16;
  static constexpr int kBoxHeight = 13;
  static constexpr int kTextGap = 5;        // between the box's right edge and the text
  static constexpr int kHitZoneWidth = 20;  // the zone reaches past the box into the gap

  enum class TTextColour { kWindowText, kHighlightText, kBlue };
  struct TLook {
    QRect checkBox;
    int textLeft;
    bool bold;
    TTextColour colour;
  };

  // 25 for the group members (2 to 25, 27 to 32), 5 for the select-all entry and the headers.
  static int Indent(int index);
  // The box and the text of entry `index` drawn in `item`, selected or not.
  static TLook Look(int index, const QRect& item, bool selected);
  // True when a press at `x` (from the list's left client edge) hits the entry's check box:
  // from the indent to the indent + 20, both ends included.
  static bool HitsCheckBox(int index, int x);

  // Paints one entry: the background, the check box with the style's check-box renderer, and
  // the text. `font` is the list's own font.
  static void Paint(QPainter& painter, const QStyle& style, const QWidget* list, int index,
                    const QRect& item, bool selected, bool checked, const QString& text,
                    const QFont& font, const QPalette& palette);
};

// The action list box: every press of any mouse button (the second press of a double click
// included, which Qt delivers as a double-click event) goes to onMouseDown after the list's own
// handling, which moves the current item for the left button only; key presses go to onKeyDown
// first (true consumes the key); each entry is drawn by onDrawItem, after which the list draws the
// focus frame.
class TActionListBox : public QListWidget {
 public:
  explicit TActionListBox(QWidget* parent);

  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>
      onMouseDown;
  std::function<bool(QKeyEvent* event)> onKeyDown;
  std::function<void(QPainter& painter, int index, const QRect& rect, QStyle::State state)>
      onDrawItem;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Press(QMouseEvent* event);
};

}  // namespace app
