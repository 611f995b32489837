#pragma once

#include "form/geometry.h"
#include "form/painter.h"

namespace form {

// How one entry of the action checklist is drawn and hit, as plain values: group members are
// indented under their headers, every entry has a 16 x 13 check box, "选择全部" is bold and
// blue and the two group headers are bold. Painting and hit-testing both use these numbers, so
// what is drawn and what is hit cannot disagree.
class TActionCheckList {
 public:
  static constexpr int kBoxWidth = 16;
  static constexpr int kBoxHeight = 13;
  static constexpr int kTextGap = 5;        // between the box's right edge and the text
  static constexpr int kHitZoneWidth = 20;  // the zone reaches past the box into the gap

  struct TLook {
    TRect checkBox;
    int textLeft;
    TFontWeight weight;
    TColourRole background;
    TColourRole text;
  };

  // 25 for the group members (2 to 25, 27 to 32), 5 for the select-all entry and the headers.
  static int Indent(int index);
  // The box and the text of entry `index` drawn in `item`, selected or not: the box at the
  // indent, vertically centred; the text 5 pixels right of the box.
  static TLook Look(int index, TRect item, bool selected);
  // True when a press at `x` (from the list's left client edge) hits the entry's check box:
  // from the indent to the indent + 20, both ends included.
  static bool HitsCheckBox(int index, int x);
  // Paints entry `index`: the background, the check box and `text` centred vertically.
  static void Paint(IPainter& painter, int index, TRect item, bool selected, bool checked,
                    std::u16string_view text);
};

}  // namespace form
