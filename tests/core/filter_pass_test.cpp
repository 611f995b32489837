#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/analyzer_harness.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::U8;

// A log line with the given account, item name and log time; the other parts are numbers.
std::u16string Line(std::u16string_view account, std::u16string_view item,
                    std::u16string_view logTime) {
  return u"0\t" + std::u16string(account) + u"\t2\tname\t4\t5\t6\t7\t8\t9\t10\t" +
         std::u16string(item) + u"\t12\t13\t14\t15\t" + std::u16string(logTime);
}

// The accounts of the result list, in order, joined by spaces.
std::string ResultAccounts(const core::TFormState& state) {
  std::string text;
  for (const core::TLogRecord& record : state.FFilteredLogs) {
    if (!text.empty()) text += ' ';
    text += U8(record.Account());
  }
  return text;
}

struct FilterPass : ::testing::Test {
  void SetUp() override {
    h.SetLoadedLines({
        Line(u"a1", u"屠龙刀", u"2024-03-01 10:00:00 怪物掉落"),
        Line(u"ABC", u"金创药", u"2024-03-01 10:00:01 拾取"),
        Line(u"a3", u"xabcx", u"2024-03-01 10:00:02 系统制造"),
        Line(u"a4", u"祝福油", u"2024-03-01 10:00:03 NPC收回"),
        Line(u"a5", u"祝福油", u"2024-03-01 10:00:04 npc收回"),
        Line(u"a6", u"祝福油", u"2024-03-01 10:00:05 GM制造"),
        Line(u"a7", u"祝福油", u"2024-03-01 10:00:06 gm制造"),
        Line(u"a8", u"祝福油", u"2024-03-01 10:00:07 玩家死亡"),
    });
  }
  AnalyzerHarness h;
};

TEST_F(FilterPass, DefaultQueryKeepsEveryRecordAndReportsIt) {
  h.analyzer.ApplyFilter();
  EXPECT_EQ(ResultAccounts(h.State()), "a1 ABC a3 a4 a5 a6 a7 a8");
  EXPECT_EQ(h.window.Transcript(),
            (std::vector<std::string>{"status 正在筛选 8 条数据...", "render 8", "statusbar 8 8",
                                      "status 找到 8 条匹配记录"}));
}

TEST_F(FilterPass, KeywordConditionsCombine) {
  struct Case {
    const char* name;
    std::u16string keyword1, column1;
    bool exact1;
    std::u16string keyword2, column2;
    bool exact2;
    std::string expected;
  };
  const Case cases[] = {
      {"folded abc on all columns", u"abc", u"所有列", false, u"", u"所有列", true, "ABC a3"},
      {"exact abc on all columns", u"abc", u"所有列", true, u"", u"所有列", true, ""},
      {"keyword trimmed before matching", u"  ABC\t", u"所有列", true, u"", u"所有列", true, "ABC"},
      {"spaces only: condition off", u"   ", u"帐号", true, u"", u"所有列", true,
       "a1 ABC a3 a4 a5 a6 a7 a8"},
      {"second condition narrows", u"祝福油", u"物品名称", true, u"A5", u"帐号", false, "a5"},
      {"second condition alone", u"", u"所有列", true, u"a1", u"帐号", true, "a1"},
      {"unknown column fails every record", u"a1", u"帐号 ", false, u"", u"所有列", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    h.window.keyword[0] = c.keyword1;
    h.window.column[0] = c.column1;
    h.window.exact[0] = c.exact1;
    h.window.keyword[1] = c.keyword2;
    h.window.column[1] = c.column2;
    h.window.exact[1] = c.exact2;
    h.analyzer.ApplyFilter();
    EXPECT_EQ(ResultAccounts(h.State()), c.expected);
  }
}

TEST_F(FilterPass, CheckedActionsCombineAsAlternatives) {
  struct Case {
    const char* name;
    std::vector<int> toggles;
    std::string expected;
  };
  const Case cases[] = {
      {"monster drop alone", {21}, "a1"},
      {"system made or monster drop", {5, 21}, "a1 a3"},
      // Keywords are compared in the lower case of the text they are looked for in, so the
      // listed "NPC收回" and "GM制造" find their records whatever their case in the log.
      {"shop take-back", {8}, "a4 a5"},
      {"GM made", {6}, "a6 a7"},
      {"player death has only an empty keyword", {31}, ""},
      {"header alone selects nothing by itself: all pass",
       {26, 27, 28, 29, 30, 31, 32},
       "a1 ABC a3 a4 a5 a6 a7 a8"},
      {"whole item group", {1}, "a1 ABC a3 a4 a5 a6 a7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    h.analyzer.btnSelectAllActionsClick();
    for (int index : c.toggles)
      h.analyzer.ToggleAction(index);
    h.analyzer.ApplyFilter();
    EXPECT_EQ(ResultAccounts(h.State()), c.expected);
  }
}

TEST_F(FilterPass, ActionKeywordsAreFoundInLowerCasedLogTimeBeyondAscii) {
  // LogTime is lower-cased for every cased script, so an upper-case Greek or full-width text in
  // the log is lower-case when the keyword is looked for: here "gm制造" inside "ＧＭ" stays
  // unmatched (full-width letters lower-case to full-width letters, not to ASCII).
  h.SetLoadedLines({Line(u"w1", u"x", u"ＧＭ制造"), Line(u"w2", u"x", u"Gm制造")});
  h.analyzer.ToggleAction(6);
  h.analyzer.ApplyFilter();
  EXPECT_EQ(ResultAccounts(h.State()), "w2");
}

TEST_F(FilterPass, NoDataReportsAndRendersAnEmptyResult) {
  h.analyzer.ApplyFilter();  // a result to be emptied
  h.State().FIsDataLoaded = false;
  h.window.ClearTranscript();
  h.analyzer.ApplyFilter();
  EXPECT_TRUE(h.State().FFilteredLogs.empty());
  EXPECT_EQ(h.window.Transcript(),
            (std::vector<std::string>{"render 0", "status 没有数据可筛选", "statusbar 8 0"}));

  h.State().FIsDataLoaded = true;
  h.State().FAllLogs.clear();
  h.window.ClearTranscript();
  h.analyzer.ApplyFilter();
  EXPECT_EQ(h.window.Transcript(),
            (std::vector<std::string>{"render 0", "status 没有数据可筛选", "statusbar 0 0"}));
}

TEST_F(FilterPass, NothingMatchingReportsNoMatches) {
  h.window.keyword[0] = u"nothing-like-this";
  h.analyzer.ApplyFilter();
  EXPECT_EQ(h.window.Transcript(),
            (std::vector<std::string>{"status 正在筛选 8 条数据...", "render 0", "statusbar 8 0",
                                      "status 没有找到匹配的记录"}));
}

struct LargeFilterPass : ::testing::Test {
  void SetUp() override {
    core::TLogList& all = h.State().FAllLogs;
    const core::TLogRecord pickUp = core::ParseLogLine(Line(u"p", u"x", u"拾取"));
    const core::TLogRecord drop = core::ParseLogLine(Line(u"d", u"x", u"怪物掉落"));
    for (int i = 0; i < 1000; ++i) {
      all.push_back(pickUp);
      all.push_back(drop);
    }
    h.State().FIsDataLoaded = true;
  }
  AnalyzerHarness h;
};

TEST_F(LargeFilterPass, YieldsAfterEveryFiveHundredMatches) {
  h.window.keyword[0] = u"p";
  h.window.exact[0] = false;
  h.window.column[0] = u"帐号";
  h.analyzer.ApplyFilter();
  EXPECT_EQ(
      h.window.Transcript(),
      (std::vector<std::string>{"status 正在筛选 2000 条数据...", "yield", "yield", "render 1000",
                                "statusbar 2000 1000", "status 找到 1000 条匹配记录"}));
}

TEST_F(LargeFilterPass, AnErrorDuringAYieldEndsTheLoopButKeepsWhatWasFound) {
  h.window.onYield = [] { throw std::runtime_error("window failed"); };
  h.analyzer.ApplyFilter();
  EXPECT_EQ(h.State().FFilteredLogs.size(), 500u);
  EXPECT_EQ(h.window.Transcript(),
            (std::vector<std::string>{"status 正在筛选 2000 条数据...", "yield",
                                      "status 筛选过程出现错误: window failed", "render 500",
                                      "statusbar 2000 500", "status 找到 500 条匹配记录"}));
}

TEST_F(LargeFilterPass, ActionsToggledDuringAYieldApplyToTheRecordsAfterIt) {
  h.analyzer.ToggleAction(4);  // 拾取地面物品
  int yields = 0;
  h.window.onYield = [&] {
    if (++yields == 1) {
      h.analyzer.ToggleAction(4);
      h.analyzer.ToggleAction(21);  // 怪物掉落物品
    }
  };
  h.analyzer.ApplyFilter();
  // 500 pick-ups (records 0 to 998, every other one), then the 501 drops from record 999 on.
  ASSERT_EQ(h.State().FFilteredLogs.size(), 1001u);
  EXPECT_EQ(U8(h.State().FFilteredLogs[499].Account()), "p");
  EXPECT_EQ(U8(h.State().FFilteredLogs[500].Account()), "d");
  EXPECT_EQ(U8(h.State().FFilteredLogs[1000].Account()), "d");
}

TEST_F(LargeFilterPass, ARecordListShrunkDuringAYieldEndsTheLoop) {
  h.window.onYield = [&] {
    core::TLogList& all = h.State().FAllLogs;
    core::TLogList kept;
    for (std::size_t i = 0; i < 1200 && i < all.size(); ++i)
      kept.push_back(all[i]);
    all = kept;
  };
  h.analyzer.ApplyFilter();
  EXPECT_EQ(h.State().FFilteredLogs.size(), 1200u);
  EXPECT_EQ(h.window.Lines("status ").back(), "status 找到 1200 条匹配记录");
}

TEST_F(LargeFilterPass, AQueryStartedDuringAYieldReplacesThePassInProgress) {
  int yields = 0;
  h.window.onYield = [&] {
    if (++yields != 1) return;
    h.window.keyword[0] = u"d";
    h.window.column[0] = u"帐号";
    h.analyzer.ApplyFilter();
  };
  h.analyzer.ApplyFilter();
  // Only the newer pass rendered and reported; the first one ended at its yield.
  EXPECT_EQ(h.State().FFilteredLogs.size(), 1000u);
  EXPECT_EQ(U8(h.State().FFilteredLogs.front().Account()), "d");
  EXPECT_EQ(h.window.Lines("render"), std::vector<std::string>{"render 1000"});
  EXPECT_EQ(h.window.Lines("status ").back(), "status 找到 1000 条匹配记录");
  EXPECT_EQ(h.window.Lines("statusbar"), std::vector<std::string>{"statusbar 2000 1000"});
}

TEST_F(LargeFilterPass, RecordsDroppedDuringAYieldEndThePassWithoutAReport) {
  h.window.onYield = [&] { h.analyzer.ClearRecords(); };
  h.analyzer.ApplyFilter();
  EXPECT_TRUE(h.State().FFilteredLogs.empty());
  EXPECT_TRUE(h.window.Lines("render").empty());
  EXPECT_EQ(h.window.Lines("status ").back(), "status 正在筛选 2000 条数据...");
}

}  // namespace
