#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/action_catalogue.h"
#include "support/analyzer_harness.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::U8;

// The indexes of the set flags, e.g. "0" or "1 2 3".
std::string SetFlags(const std::vector<bool>& flags) {
  std::string text;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (!flags[i]) continue;
    if (!text.empty()) text += ' ';
    text += std::to_string(i);
  }
  return text;
}

std::string Range(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    if (!text.empty()) text += ' ';
    text += std::to_string(i);
  }
  return text;
}

TEST(ActionList, StartsWithThirtyThreeEntriesAndOnlySelectAllChecked) {
  AnalyzerHarness h;
  ASSERT_EQ(h.window.actions.size(), 33u);
  EXPECT_EQ(U8(h.window.actions[0]), "选择全部");
  EXPECT_EQ(U8(h.window.actions[6]), "ＧＭ制造物品");
  EXPECT_EQ(U8(h.window.actions[26]), "玩家行为");
  EXPECT_EQ(U8(h.window.actions[32]), "英雄死亡记录");
  EXPECT_EQ(SetFlags(h.State().FActionChecked), "0");
  EXPECT_EQ(h.State().FActionKeywords.size(), 30u);
}

TEST(ActionKeywords, AreReturnedAsListedAndEmptyForUnknownTexts) {
  AnalyzerHarness h;
  const std::vector<std::u16string> gm = h.analyzer.GetActionKeywords(u"ＧＭ制造物品");
  ASSERT_EQ(gm.size(), 2u);
  EXPECT_EQ(U8(gm[0]), "gm制造");
  EXPECT_EQ(U8(gm[1]), "GM制造");
  EXPECT_EQ(U8(h.analyzer.GetActionKeywords(u"商店回收物品").at(0)), "NPC收回");
  EXPECT_EQ(h.analyzer.GetActionKeywords(u"玩家死亡记录"), std::vector<std::u16string>{u""});
  EXPECT_EQ(h.analyzer.GetActionKeywords(u"玩家行为记录").size(), 5u);
  EXPECT_TRUE(h.analyzer.GetActionKeywords(u"GM制造物品").empty());  // ASCII letters: no key
  EXPECT_TRUE(h.analyzer.GetActionKeywords(u"选择全部").empty());
  // Every action entry has a row, and nothing else has.
  for (int i = 0; i < core::kActionEntryCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(h.analyzer.GetActionKeywords(core::ACTION_TEXTS[static_cast<std::size_t>(i)]).empty(),
              core::IsHeaderOrSelectAll(i));
  }
}

TEST(ToggleAction, FollowsTheGroupAndSelectAllRules) {
  AnalyzerHarness h;
  struct Step {
    int toggle;
    std::string expected;
  };
  const std::string item = Range(2, 25);
  const std::string player = Range(27, 32);
  const Step steps[] = {
      {5, "5"},
      {0, "0"},
      {1, "1 " + item},
      {26, "0 1 " + item + " 26 " + player},  // every member set: select-all comes on
      {7, "1 " + Range(2, 6) + " " + Range(8, 25) + " 26 " + player},  // header 1 stays
      {1, "26 " + player},  // clearing header 1 clears all its members, whatever they were
      {0, "0"},
      {0, "0"},  // toggling select-all again keeps it alone
  };
  for (const Step& step : steps) {
    SCOPED_TRACE("toggle " + std::to_string(step.toggle));
    h.window.ClearTranscript();
    h.analyzer.ToggleAction(step.toggle);
    EXPECT_EQ(SetFlags(h.State().FActionChecked), step.expected);
    EXPECT_EQ(h.window.Transcript(), std::vector<std::string>{"repaint actions"});
  }
}

TEST(ToggleAction, MembersClearedOneByOneLeaveOnlyTheHeaderSet) {
  AnalyzerHarness h;
  h.analyzer.ToggleAction(core::kPlayerGroupHeader);
  for (int i = 27; i <= 32; ++i)
    h.analyzer.ToggleAction(i);
  EXPECT_EQ(SetFlags(h.State().FActionChecked), "26");
}

TEST(ToggleAction, IgnoresIndexesOutsideTheList) {
  AnalyzerHarness h;
  h.analyzer.ToggleAction(5);
  h.window.ClearTranscript();
  for (int index : {-1, 33, 1000}) {
    SCOPED_TRACE(index);
    h.analyzer.ToggleAction(index);
    EXPECT_EQ(SetFlags(h.State().FActionChecked), "5");
  }
  EXPECT_TRUE(h.window.Transcript().empty());  // nothing repainted
}

TEST(SetActionGroup, SetsMembersWithoutRepaintingAndIgnoresOtherHeaders) {
  AnalyzerHarness h;
  h.analyzer.SetActionGroup(core::kPlayerGroupHeader, true);
  EXPECT_EQ(SetFlags(h.State().FActionChecked), Range(27, 32));  // select-all recomputed: off
  h.analyzer.SetActionGroup(5, true);
  EXPECT_EQ(SetFlags(h.State().FActionChecked), Range(27, 32));
  EXPECT_TRUE(h.window.Transcript().empty());
}

TEST(ActionButtons, CheckSelectAllAloneAndReport) {
  AnalyzerHarness h;
  h.analyzer.ToggleAction(1);
  h.window.ClearTranscript();
  h.analyzer.btnSelectAllActionsClick();
  EXPECT_EQ(SetFlags(h.State().FActionChecked), "0");
  EXPECT_EQ(h.window.Transcript(),
            (std::vector<std::string>{"repaint actions", "status 已选择全部数据"}));
  h.analyzer.ToggleAction(30);
  h.window.ClearTranscript();
  h.analyzer.btnClearAllActionsClick();
  EXPECT_EQ(SetFlags(h.State().FActionChecked), "0");
  EXPECT_EQ(
      h.window.Transcript(),
      (std::vector<std::string>{"repaint actions", "status 已清空所有动作选择，显示全部数据"}));
}

TEST(ActionCommands, OnlyReportBusyWhileALoadRuns) {
  AnalyzerHarness h;
  h.analyzer.ToggleAction(5);
  h.State().FIsLoading = true;
  h.window.ClearTranscript();
  for (int index : {0, 5, 26, -1, 33})
    h.analyzer.ToggleAction(index);
  h.analyzer.btnSelectAllActionsClick();
  h.analyzer.btnClearAllActionsClick();
  EXPECT_EQ(SetFlags(h.State().FActionChecked), "5");
  EXPECT_EQ(h.window.Transcript(), std::vector<std::string>(7, "status 正在加载数据中，请稍候..."));
}

}  // namespace
