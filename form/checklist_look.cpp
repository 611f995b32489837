#include "form/checklist_look.h"

#include "core/action_catalogue.h"

namespace form {

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

}  // namespace

int TActionCheckList::Indent(int index) {
  return IsGroupMember(index) ? kMemberIndent : kOtherIndent;
}

TActionCheckList::TLook TActionCheckList::Look(int index, TRect item, bool selected) {
  const TRect box{item.left + Indent(index), item.top + (item.height - kBoxHeight) / 2, kBoxWidth,
                  kBoxHeight};
  TColourRole text = selected ? TColourRole::kHighlightText : TColourRole::kWindowText;
  if (index == core::kSelectAllEntry && !selected) text = TColourRole::kBlue;
  const TFontWeight weight =
      core::IsHeaderOrSelectAll(index) ? TFontWeight::kBold : TFontWeight::kRegular;
  return {box, box.Right() + kTextGap, weight,
          selected ? TColourRole::kHighlight : TColourRole::kWindow, text};
}

bool TActionCheckList::HitsCheckBox(int index, int x) {
  const int indent = Indent(index);
  return x >= indent && x <= indent + kHitZoneWidth;
}

void TActionCheckList::Paint(IPainter& painter, int index, TRect item, bool selected, bool checked,
                             std::u16string_view text) {
  const TLook look = Look(index, item, selected);
  painter.FillRect(item, look.background);
  painter.DrawCheckBox(look.checkBox, checked);
  painter.SetFont(look.weight);
  painter.SetTextColour(look.text);
  const int top = item.top + (item.height - painter.TextHeight(text)) / 2;
  painter.PaintText({look.textLeft, top}, text);
}

}  // namespace form
