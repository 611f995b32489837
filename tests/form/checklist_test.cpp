#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/action_catalogue.h"
#include "form/checklist_look.h"
#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TKey;
using form::TMouseButton;
using form::TShift;

// The set check flags, e.g. "0" or "26 27 28".
std::string SetFlags(const std::vector<bool>& flags) {
  std::string set;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (!flags[i]) continue;
    if (!set.empty()) set += ' ';
    set += std::to_string(i);
  }
  return set;
}

// A window tall enough to show all 33 entries (33 x 17 = 561 pixels) without scrolling.
class ChecklistTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    toolkit.Resize({1200, 1080});
    ASSERT_GE(toolkit.Bounds(lstActions).height, 33 * 17);
    toolkit.ClearTranscript();
  }
  std::string Flags() { return SetFlags(State().FActionChecked); }
  void Press(int entry, int x, TMouseButton button = TMouseButton::kLeft) {
    toolkit.PressActionList(button, FakeToolkit::ActionPoint(entry, x));
  }
};

// The hit zone runs from the indent to the indent + 20, both ends included: 5 to 25 for the
// select-all entry and the headers, 25 to 45 for the group members, past the box's right edge.
TEST_F(ChecklistTest, ALeftPressTogglesInsideTheHitZoneOnlyAndAlwaysSelects) {
  for (int entry : {0, 1, 5, 25, 26, 32}) {
    const int indent = core::IsHeaderOrSelectAll(entry) ? 5 : 25;
    for (int x : {4, 5, 12, 25, 26, 30, 41, 45, 46, 50}) {
      SCOPED_TRACE("entry " + std::to_string(entry) + " at x " + std::to_string(x));
      const bool toggles = x >= indent && x <= indent + 20;
      form.Core().ToggleAction(3);  // so that toggling the select-all entry shows too
      const std::vector<bool> before = State().FActionChecked;
      Press(entry, x);
      EXPECT_EQ(State().FActionChecked != before, toggles);
      EXPECT_EQ(toolkit.CurrentItem(lstActions), entry);
      EXPECT_EQ(form::TActionCheckList::HitsCheckBox(entry, x), toggles);
      form.btnSelectAllActionsClick();
    }
  }
}

TEST_F(ChecklistTest, APressBelowTheLastEntryDoesNothing) {
  Press(2, 100);
  toolkit.ClearTranscript();
  toolkit.PressActionList(TMouseButton::kLeft, {30, 33 * 17 + 3});
  EXPECT_EQ(Flags(), "0");
  EXPECT_EQ(toolkit.CurrentItem(lstActions), 2);
  EXPECT_TRUE(toolkit.Transcript().empty());
}

// Other buttons toggle in the zone without moving the current entry, and move it outside.
TEST_F(ChecklistTest, OtherButtonsToggleWithoutMovingTheCurrentEntry) {
  for (TMouseButton button : {TMouseButton::kRight, TMouseButton::kMiddle}) {
    SCOPED_TRACE(button == TMouseButton::kRight ? "right" : "middle");
    form.btnSelectAllActionsClick();
    Press(2, 100);
    Press(5, 30, button);
    EXPECT_EQ(Flags(), "5");
    EXPECT_EQ(toolkit.CurrentItem(lstActions), 2);
    Press(5, 50, button);
    EXPECT_EQ(Flags(), "5");
    EXPECT_EQ(toolkit.CurrentItem(lstActions), 5);
  }
}

// The second press of a double click is a press too: the entry toggles twice.
TEST_F(ChecklistTest, ADoubleClickTogglesTwice) {
  Press(5, 30);
  Press(5, 30);
  // Flag 5 is as it was; "select all" went off with the first toggle and stays off.
  EXPECT_EQ(Flags(), "");
  Press(5, 30);
  EXPECT_EQ(Flags(), "5");
}

TEST_F(ChecklistTest, SpaceTogglesTheCurrentEntryWhateverTheModifiers) {
  Press(26, 100);
  EXPECT_TRUE(toolkit.PressKey(TKey::kSpace, TShift::kNone, lstActions));
  EXPECT_EQ(Flags(), "26 27 28 29 30 31 32");
  EXPECT_TRUE(toolkit.PressKey(TKey::kSpace, TShift::kShift | TShift::kCtrl, lstActions));
  EXPECT_EQ(Flags(), "");
  // Other keys are the list's own.
  EXPECT_FALSE(toolkit.PressKey(TKey::kOther, TShift::kNone, lstActions));
  EXPECT_FALSE(toolkit.PressKey(TKey::kC, TShift::kNone, lstActions));
  EXPECT_EQ(Flags(), "");
}

TEST_F(ChecklistTest, SpaceWithoutACurrentEntryIsConsumedAndTogglesNothing) {
  ASSERT_EQ(toolkit.CurrentItem(lstActions), -1);
  EXPECT_TRUE(toolkit.PressKey(TKey::kSpace, TShift::kNone, lstActions));
  EXPECT_EQ(Flags(), "0");
}

TEST_F(ChecklistTest, TheButtonsCheckSelectAllAloneAndRepaint) {
  struct Case {
    const char* name;
    form::TControl button;
    int toggledBefore;
    std::string status;
  };
  const Case cases[] = {
      {"select all actions", btnSelectAllActions, 1, "状态：已选择全部数据"},
      {"clear actions", btnClearAllActions, 30, "状态：已清空所有动作选择，显示全部数据"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.Core().ToggleAction(c.toggledBefore);
    ASSERT_NE(Flags(), "0");
    toolkit.ClearTranscript();
    ASSERT_TRUE(toolkit.Click(c.button));
    EXPECT_EQ(Flags(), "0");
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(toolkit.Count("invalidate lstActions"), 1u);
  }
}

TEST_F(ChecklistTest, AToggleRepaintsTheList) {
  Press(5, 30);
  EXPECT_EQ(toolkit.Count("invalidate lstActions"), 1u);
}

// Each entry's look by its index: the box at the indent, 2 below the item's top; the text 21
// right of the indent, centred vertically; bold for the select-all entry and the headers, the
// select-all entry blue unless selected.
TEST_F(ChecklistTest, DrawsEachEntryByItsIndex) {
  struct Case {
    const char* name;
    int index;
    bool selected;
    int textHeight;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"select all",
       0,
       false,
       15,
       {"fill 0 34 260 17 window", "checkbox 5 36 16 13 unchecked", "font bold", "colour blue",
        "paint 26 35 选择全部"}},
      {"select all, selected",
       0,
       true,
       15,
       {"fill 0 34 260 17 highlight", "checkbox 5 36 16 13 unchecked", "font bold",
        "colour highlighttext", "paint 26 35 选择全部"}},
      {"item header",
       1,
       false,
       12,
       {"fill 0 34 260 17 window", "checkbox 5 36 16 13 unchecked", "font bold",
        "colour windowtext", "paint 26 36 物品相关"}},
      {"item member, checked",
       5,
       false,
       15,
       {"fill 0 34 260 17 window", "checkbox 25 36 16 13 checked", "font regular",
        "colour windowtext", "paint 46 35 系统制造物品"}},
      {"item member, checked and selected",
       5,
       true,
       15,
       {"fill 0 34 260 17 highlight", "checkbox 25 36 16 13 checked", "font regular",
        "colour highlighttext", "paint 46 35 系统制造物品"}},
      {"last item member",
       25,
       false,
       15,
       {"fill 0 34 260 17 window", "checkbox 25 36 16 13 unchecked", "font regular",
        "colour windowtext", "paint 46 35 摆摊买入物品"}},
      {"player header, selected",
       26,
       true,
       15,
       {"fill 0 34 260 17 highlight", "checkbox 5 36 16 13 unchecked", "font bold",
        "colour highlighttext", "paint 26 35 玩家行为"}},
      {"player member",
       32,
       false,
       15,
       {"fill 0 34 260 17 window", "checkbox 25 36 16 13 unchecked", "font regular",
        "colour windowtext", "paint 46 35 英雄死亡记录"}},
  };
  form.Core().ToggleAction(5);  // 5 checked, "select all" no longer
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePainter painter;
    painter.textHeight = c.textHeight;
    form.DrawActionItem(painter, c.index, {0, 34, 260, 17}, c.selected);
    EXPECT_EQ(painter.Calls(), c.calls);
  }
}

// The box follows the item's place in the list and the item's height.
TEST(ActionCheckListLookTest, TheBoxIsCentredInAnyItem) {
  struct Case {
    const char* name;
    form::TRect item;
    form::TRect box;
  };
  const Case cases[] = {
      {"first entry", {0, 0, 260, 17}, {5, 2, 16, 13}},
      {"scrolled, indented by the list", {3, 170, 240, 17}, {8, 172, 16, 13}},
      {"taller item", {0, 20, 260, 24}, {5, 25, 16, 13}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const form::TActionCheckList::TLook look = form::TActionCheckList::Look(0, c.item, false);
    EXPECT_EQ(look.checkBox, c.box);
    EXPECT_EQ(look.textLeft, c.box.left + 21);
  }
}

}  // namespace
}  // namespace korlo_test
