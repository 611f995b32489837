#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/analyzer_harness.h"
#include "support/hidden_entry.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::TempTree;
using korlo_test::U8;

TEST(GetLogBaseDir, AppendsTheFixedSubPathWithExactlyOneBackslash) {
  struct Case {
    std::u16string root;
    std::string expected;
  };
  const Case cases[] = {
      {u"D:\\KorloServer", "D:\\KorloServer\\LogServer\\BaseDir\\"},
      {u"D:\\KorloServer\\", "D:\\KorloServer\\LogServer\\BaseDir\\"},
      {u"D:/KorloServer/", "D:/KorloServer/\\LogServer\\BaseDir\\"},  // only '\' counts
      {u"", ""},
  };
  AnalyzerHarness h;
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.root));
    h.State().FSelectedPath = c.root;
    EXPECT_EQ(U8(h.analyzer.GetLogBaseDir()), c.expected);
  }
}

struct DayFolders : ::testing::Test {
  void UseRoot() { h.State().FSelectedPath = tree.WindowsStylePath(); }
  void MakeBase() { tree.MakeDir("LogServer/BaseDir"); }
  TempTree tree;
  AnalyzerHarness h;
};

TEST_F(DayFolders, RootTestNeedsTheBaseDirectory) {
  EXPECT_FALSE(h.analyzer.IsValidRoot(tree.WindowsStylePath()));
  tree.WriteFile("LogServer/BaseDir", "a file, not a directory");
  EXPECT_FALSE(h.analyzer.IsValidRoot(tree.WindowsStylePath()));
  TempTree other;
  other.MakeDir("LogServer/BaseDir");
  EXPECT_TRUE(h.analyzer.IsValidRoot(other.WindowsStylePath()));
  EXPECT_TRUE(h.analyzer.IsValidRoot(other.WindowsStylePath() + u"\\"));
  EXPECT_FALSE(h.analyzer.IsValidRoot(u""));
}

TEST_F(DayFolders, ListsDateShapedEntriesSortedAndReportsTheirNumber) {
  for (const char* name : {"2024-01-02", "2024-01-01", "temp", "2024-1-1", "abcd-ef-gh"}) {
    tree.MakeDir(std::string("LogServer/BaseDir/") + name);
  }
  tree.WriteFile("LogServer/BaseDir/2024-01-04", "a plain file with the date shape");
  korlo_test::MarkHidden(tree.MakeDir("LogServer/BaseDir/.bcd-ef-gh"));  // never listed
  UseRoot();
  h.State().FCurrentSelectedDate = u"2024-01-01";
  h.analyzer.RefreshDateFolders();
  EXPECT_EQ(h.window.DateNames(), (std::vector<std::u16string>{u"2024-01-01", u"2024-01-02",
                                                               u"2024-01-04", u"abcd-ef-gh"}));
  EXPECT_TRUE(h.window.datesSorted);
  EXPECT_EQ(h.window.Transcript(), std::vector<std::string>{"status 找到 4 个日期文件夹"});
  EXPECT_EQ(U8(h.window.StatusLine()), "状态：找到 4 个日期文件夹");
  EXPECT_TRUE(h.State().FCurrentSelectedDate.empty());
}

TEST_F(DayFolders, RescanDropsTheSelection) {
  tree.MakeDir("LogServer/BaseDir/2024-01-01");
  UseRoot();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-01-01"});
  h.analyzer.RefreshDateFolders();
  ASSERT_EQ(h.window.dates.size(), 1u);
  EXPECT_FALSE(h.window.dates[0].selected);
}

TEST_F(DayFolders, NoDateShapedEntryGivesAnEmptyList) {
  MakeBase();
  tree.MakeDir("LogServer/BaseDir/logs");
  UseRoot();
  h.window.dates = {{u"stale", true}};
  h.State().FCurrentSelectedDate = u"2024-01-01";
  h.analyzer.RefreshDateFolders();
  EXPECT_TRUE(h.window.dates.empty());
  EXPECT_EQ(h.window.Transcript(), std::vector<std::string>{"status 没有找到日期文件夹"});
  EXPECT_TRUE(h.State().FCurrentSelectedDate.empty());
}

TEST_F(DayFolders, MissingOrEmptyRootReportsPathMissingAndKeepsTheLoadedDate) {
  for (const std::u16string& root : {tree.WindowsStylePath(), std::u16string()}) {
    SCOPED_TRACE(U8(root));
    h.State().FSelectedPath = root;
    h.window.dates = {{u"2024-01-01", true}};
    h.State().FCurrentSelectedDate = u"2024-01-01";
    h.window.ClearTranscript();
    h.analyzer.RefreshDateFolders();
    EXPECT_TRUE(h.window.dates.empty());
    EXPECT_EQ(h.window.Transcript(), std::vector<std::string>{"status 路径不存在"});
    EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-01-01");
  }
}

TEST_F(DayFolders, RefreshDuringALoadOnlyReportsBusy) {
  tree.MakeDir("LogServer/BaseDir/2024-01-01");
  UseRoot();
  h.window.dates = {{u"2023-12-31", true}};
  h.State().FIsLoading = true;
  h.analyzer.RefreshDateFolders();
  EXPECT_EQ(h.window.DateNames(), std::vector<std::u16string>{u"2023-12-31"});
  EXPECT_EQ(h.window.Transcript(), std::vector<std::string>{"status 正在加载数据中，请稍候..."});
}

}  // namespace
