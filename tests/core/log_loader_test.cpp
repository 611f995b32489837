#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os_error.h"
#include "support/analyzer_harness.h"
#include "support/hidden_entry.h"
#include "support/log_lines.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::Accounts;
using korlo_test::AnalyzerHarness;
using korlo_test::LogLine;
using korlo_test::TempTree;
using korlo_test::U8;

// A server root in a temporary folder, with the analyzer pointed at it.
struct Loader : ::testing::Test {
  explicit Loader(platform::CodePage codePage = platform::kCodePageGbk)
      : h(platform::NativeFileSystem(), codePage) {}

  void Write(const std::string& relative, const std::string& bytes) {
    tree.WriteFile("LogServer/BaseDir/" + relative, bytes);
  }
  // Scans the root and selects the named day folders.
  void Select(std::initializer_list<std::u16string_view> names) {
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates(names);
    h.window.ClearTranscript();
  }

  TempTree tree;
  AnalyzerHarness h;
};

TEST_F(Loader, ReadsLogsThenTextsOfEachSelectedFolderInListOrder) {
  Write("2024-03-02/c.log", LogLine("B1") + "\r\n" + LogLine("B2") + "\r\n");
  Write("2024-03-01/b.txt", LogLine("A4") + "\r\n");
  Write("2024-03-01/a.log",
        LogLine("A1") + "\r\n\r\n" + LogLine("A2") + "\r\n \t \r\n" + LogLine("A3") + "\r\n");
  Write("2024-03-03/skipped.log", LogLine("X") + "\r\n");  // not selected
  Select({u"2024-03-02", u"2024-03-01"});

  h.analyzer.LoadLogData();

  EXPECT_EQ(Accounts(h.State().FAllLogs), "A1 A2 A3 A4 B1 B2");
  EXPECT_EQ(Accounts(h.State().FFilteredLogs), "A1 A2 A3 A4 B1 B2");
  EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-03-01");
  EXPECT_TRUE(h.State().FIsDataLoaded);
  EXPECT_FALSE(h.State().FIsLoading);
  EXPECT_EQ(h.window.Transcript(), (std::vector<std::string>{
                                       "enabled false",
                                       "status 正在加载数据，请稍候...",
                                       "yield",
                                       "progress show",
                                       "progress 0",
                                       "progress max 100",
                                       "progress 0",
                                       "status 正在加载: 2024-03-01",
                                       "yield",
                                       "progress 25",
                                       "status 正在加载: 2024-03-02",
                                       "yield",
                                       "status 正在转移数据...",
                                       "status 已加载 3 个文件，共 6 条记录",
                                       "statusbar 6 0",
                                       "status 正在筛选数据...",
                                       "progress 70",
                                       "yield",
                                       "status 正在筛选 6 条数据...",
                                       "render 6",
                                       "statusbar 6 6",
                                       "status 找到 6 条匹配记录",
                                       "progress hide",
                                       "enabled true",
                                       "yield",
                                       "button 查询/刷新",
                                   }));
}

// The grid may still show an older result while a later load replaces both lists: a copy of the
// result keeps its records, and their blocks, readable; the blocks go with the last copy.
TEST_F(Loader, AnOlderResultStaysReadableAfterTheNextLoadAndIsFreedWithItsLastCopy) {
  Write("2024-03-01/a.log", LogLine("old1") + "\r\n" + LogLine("old2") + "\r\n");
  Write("2024-03-02/a.log", LogLine("new1") + "\r\n");
  const std::size_t blocksBefore = core::TBlockRegistry::LiveBlocks();
  Select({u"2024-03-01"});
  h.analyzer.LoadLogData();
  core::TLogList shown = h.State().FFilteredLogs;  // what the grid shows
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), blocksBefore + 1);

  Select({u"2024-03-02"});
  h.analyzer.LoadLogData();
  EXPECT_EQ(Accounts(h.State().FAllLogs), "new1");
  EXPECT_EQ(Accounts(shown), "old1 old2");
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), blocksBefore + 2);

  shown.clear();
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), blocksBefore + 1);
  h.analyzer.ClearRecords();
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), blocksBefore);
}

TEST_F(Loader, CutsLinesAtEveryKindOfLineEnd) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"CR LF", LogLine("a") + "\r\n" + LogLine("b") + "\r\n", "a b"},
      {"LF", LogLine("a") + "\n" + LogLine("b") + "\n", "a b"},
      {"CR alone", LogLine("a") + "\r" + LogLine("b") + "\r", "a b"},
      {"LF CR makes an empty line between", LogLine("a") + "\n\r" + LogLine("b") + "\n\r", "a b"},
      {"last line without an end", LogLine("a") + "\r\n" + LogLine("b"), "a b"},
      {"blank and white lines skipped", "\r\n  \t\r\n" + LogLine("a") + "\r\n\t\t\r\n", "a"},
      {"NUL inside a line ends nothing", "0\tA\0B\t2" + std::string("\r\n"), "A"},
      {"empty file", "", ""},
      {"leading TABs trimmed before splitting", "\t\t" + LogLine("a") + "\r\n", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree caseTree;
    caseTree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", c.bytes);
    h.State().FSelectedPath = caseTree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates({u"2024-03-01"});
    h.analyzer.LoadLogData();
    EXPECT_EQ(Accounts(h.State().FAllLogs), c.expected);
  }
}

TEST_F(Loader, NulBytesStayInsideTheirField) {
  Write("2024-03-01/a.log", std::string("0\tA\0B\t2\r\n", 10));
  Select({u"2024-03-01"});
  h.analyzer.LoadLogData();
  ASSERT_EQ(h.State().FAllLogs.size(), 1u);
  EXPECT_EQ(h.State().FAllLogs[0].Account(), std::string_view("A\0B", 3));
}

TEST_F(Loader, DecodesGbkAndNeverMatchesOnHalfACharacter) {
  // "屠龙刀" and "亅" (81 7C: its second byte is '|' in ASCII) in GBK. The action "商店制造物品"
  // looks for '|'; it must not find one inside the decoded character.
  Write("2024-03-01/a.log",
        "0\tacc\t2\t\xCD\xC0\xC1\xFA\xB5\xB6\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t15\t"
        "\x81\x7C\r\n");
  Select({u"2024-03-01"});
  h.analyzer.ToggleAction(7);
  h.analyzer.LoadLogData();
  ASSERT_EQ(h.State().FAllLogs.size(), 1u);
  EXPECT_EQ(U8(h.State().FAllLogs[0].CharName()), "屠龙刀");
  EXPECT_EQ(U8(h.State().FAllLogs[0].LogTime()), "亅");
  EXPECT_TRUE(h.State().FFilteredLogs.empty());
}

TEST_F(Loader, MatchesFilePatternsCaseInsensitivelyAndReadsHiddenFiles) {
  Write("2024-03-01/UPPER.LOG", LogLine("upper") + "\r\n");
  korlo_test::MarkHidden(
      tree.WriteFile("LogServer/BaseDir/2024-03-01/.hidden.log", LogLine("hidden") + "\r\n"));
  Write("2024-03-01/notes.TXT", LogLine("text") + "\r\n");
  Write("2024-03-01/a.log.bak", LogLine("backup") + "\r\n");
  Write("2024-03-01/readme.md", LogLine("other") + "\r\n");
  Select({u"2024-03-01"});
  h.analyzer.LoadLogData();
  std::vector<std::string> accounts;
  for (const core::TLogRecord& record : h.State().FAllLogs)
    accounts.push_back(U8(record.Account()));
  // Logs (in file-system order) before texts.
  ASSERT_EQ(accounts.size(), 3u);
  EXPECT_EQ(accounts[2], "text");
  std::sort(accounts.begin(), accounts.end() - 1);
  EXPECT_EQ(accounts[0], "hidden");
  EXPECT_EQ(accounts[1], "upper");
  EXPECT_EQ(h.window.Lines("status 已加载").at(0), "status 已加载 3 个文件，共 3 条记录");
}

TEST_F(Loader, CountsFilesThatGiveNoRecords) {
  Write("2024-03-01/empty.log", "");
  Write("2024-03-01/blank.txt", "\r\n   \r\n");
  Select({u"2024-03-01"});
  h.analyzer.LoadLogData();
  EXPECT_EQ(h.window.Lines("status 已加载").at(0), "status 已加载 2 个文件，共 0 条记录");
  EXPECT_EQ(h.window.Lines("status ").back(), "status 没有数据可筛选");
  EXPECT_TRUE(h.State().FIsDataLoaded);
}

TEST_F(Loader, AFolderDeletedSinceTheScanIsSkippedSilentlyButStillNamesTheLoad) {
  tree.MakeDir("LogServer/BaseDir/2024-03-01");
  Select({u"2024-03-01"});
  std::filesystem::remove(tree.Root() / "LogServer/BaseDir/2024-03-01");
  h.analyzer.LoadLogData();
  EXPECT_TRUE(h.State().FAllLogs.empty());
  EXPECT_TRUE(h.State().FIsDataLoaded);
  EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-03-01");
  EXPECT_TRUE(h.window.Lines("status 正在加载:").empty());
  EXPECT_EQ(h.window.Lines("status ").back(), "status 没有数据可筛选");
}

// The byte-order mark: skipped when the ANSI code page is UTF-8, decoded like other bytes
// otherwise. A first line holding only the mark shows the difference: skipped, it is blank.
TEST(LoaderByteOrderMark, IsSkippedOnlyInTheUtf8CodePage) {
  struct Case {
    const char* name;
    platform::CodePage codePage;
    std::size_t records;
  };
  const Case cases[] = {
      {"UTF-8", platform::kCodePageUtf8, 1},
      {"GBK", platform::kCodePageGbk, 2},  // the mark is a record with every field empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree;
    tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log",
                   "\xEF\xBB\xBF\r\n" + LogLine("a") + "\r\n");
    AnalyzerHarness h(platform::NativeFileSystem(), c.codePage);
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates({u"2024-03-01"});
    h.analyzer.LoadLogData();
    ASSERT_EQ(h.State().FAllLogs.size(), c.records);
    EXPECT_EQ(U8(h.State().FAllLogs.back().Account()), "a");
  }
}

TEST(LoaderUtf8, DecodesUtf8LogsInTheUtf8CodePage) {
  TempTree tree;
  tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log",
                 "\xEF\xBB\xBF" + LogLine("\xE5\xB8\x90\xE5\x8F\xB7") + "\r\n");
  AnalyzerHarness h(platform::NativeFileSystem(), platform::kCodePageUtf8);
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-03-01"});
  h.analyzer.LoadLogData();
  EXPECT_EQ(Accounts(h.State().FAllLogs), "帐号");
}

TEST(LoaderCodePageChoice, ReadsEachFileInTheChosenCodePage) {
  // 帐号 in GBK on one day and in UTF-8 on the next; the GBK bytes are not well-formed UTF-8.
  const std::string gbk = "\xD5\xCA\xBA\xC5";
  const std::string utf8 = "\xE5\xB8\x90\xE5\x8F\xB7";
  struct Case {
    const char* name;
    core::TCodePageChoice choice;
    std::string accounts;
  };
  const Case cases[] = {
      {"system (GBK)", core::TCodePageChoice::kSystem, "帐号 甯愬彿"},
      {"GBK", core::TCodePageChoice::kGbk, "帐号 甯愬彿"},
      {"UTF-8", core::TCodePageChoice::kUtf8, "\uFFFD\u02BA\uFFFD 帐号"},
      {"automatic, per file", core::TCodePageChoice::kAuto, "帐号 帐号"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree;
    tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", LogLine(gbk) + "\r\n");
    tree.WriteFile("LogServer/BaseDir/2024-03-02/a.log", LogLine(utf8) + "\r\n");
    AnalyzerHarness h(platform::NativeFileSystem(), platform::kCodePageGbk);
    h.analyzer.SetCodePageChoice(c.choice);
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates({u"2024-03-01", u"2024-03-02"});
    h.analyzer.LoadLogData();
    EXPECT_EQ(Accounts(h.State().FAllLogs), c.accounts);
  }
}

// A load that fails on a file keeps everything of the load before it.
struct FailedLoad : Loader {
  void SetUp() override {
    Write("2024-03-01/a.log", LogLine("old") + "\r\n");
    Write("2024-03-02/a.log", LogLine("new1") + "\r\n");
    Write("2024-03-02/b.log", LogLine("new2") + "\r\n");
    Select({u"2024-03-01"});
    h.analyzer.LoadLogData();
    ASSERT_EQ(Accounts(h.State().FAllLogs), "old");
    h.window.SelectDates({u"2024-03-02"});
    h.State().FIsDataLoaded = false;  // as a click in the date list leaves it
    h.window.UpdateLoadButton();
    h.window.ClearTranscript();
  }

  void ExpectPreviousStateKept(const std::string& failedName) {
    std::string message;
    try {
      h.analyzer.LoadLogData();
      ADD_FAILURE() << "the load did not fail";
    } catch (const platform::OsError& error) {
      message = U8(error.Message());
    }
    // The full path, whichever separator the platform shows.
    std::string slashed = message;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    EXPECT_NE(slashed.find("LogServer/BaseDir/2024-03-02/" + failedName), std::string::npos)
        << message;
    EXPECT_EQ(Accounts(h.State().FAllLogs), "old");
    EXPECT_EQ(Accounts(h.State().FFilteredLogs), "old");
    EXPECT_FALSE(h.State().FIsDataLoaded);
    EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-03-01");
    EXPECT_FALSE(h.State().FIsLoading);
    EXPECT_EQ(U8(h.window.StatusLine()), "状态：正在加载: 2024-03-02");
    const std::vector<std::string> tail(h.window.Transcript().end() - 4,
                                        h.window.Transcript().end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"progress hide", "enabled true", "yield", "button 加载"}));
  }
};

TEST_F(FailedLoad, ADirectoryNamedLikeALogEndsTheLoad) {
  tree.MakeDir("LogServer/BaseDir/2024-03-02/sub.log");
  ExpectPreviousStateKept("sub.log");
}

// A file system whose reads of one file fail, as when another program holds it open for
// writing.
class LockedFileSystem : public platform::IFileSystem {
 public:
  explicit LockedFileSystem(std::u16string lockedName) : lockedName_(std::move(lockedName)) {}
  bool DirectoryExists(std::u16string_view path) const override {
    return native_.DirectoryExists(path);
  }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               platform::HiddenEntries hidden) const override {
    return native_.EnumerateEntries(directory, pattern, hidden);
  }
  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    if (path.ends_with(lockedName_)) {
      std::u16string shown(path);
      std::replace(shown.begin(), shown.end(), u'\\', u'/');
      throw platform::OsError(shown + u": locked by another process");
    }
    native_.ReadWholeFile(path, bytes);
  }

 private:
  const platform::IFileSystem& native_ = platform::NativeFileSystem();
  std::u16string lockedName_;
};

TEST(LoaderLockedFile, ALockedFileDropsTheRecordsReadBeforeIt) {
  TempTree tree;
  tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", LogLine("old") + "\r\n");
  tree.WriteFile("LogServer/BaseDir/2024-03-02/a.log", LogLine("new1") + "\r\n");
  tree.WriteFile("LogServer/BaseDir/2024-03-02/b.log", LogLine("new2") + "\r\n");
  LockedFileSystem locked(u"2024-03-02\\b.log");
  AnalyzerHarness h(locked);
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-03-01"});
  h.analyzer.LoadLogData();
  h.window.SelectDates({u"2024-03-02"});
  EXPECT_THROW(h.analyzer.LoadLogData(), platform::OsError);
  EXPECT_EQ(Accounts(h.State().FAllLogs), "old");
  EXPECT_EQ(Accounts(h.State().FFilteredLogs), "old");
  EXPECT_TRUE(h.State().FIsDataLoaded);
  EXPECT_EQ(U8(h.window.LoadButtonCaption()), "查询/刷新");
  EXPECT_TRUE(h.window.ControlsEnabled());
  EXPECT_FALSE(h.window.ProgressVisible());
}

TEST(LoaderYields, EveryThousandRecordsReadAndTenThousandCopied) {
  TempTree tree;
  std::string bytes;
  for (int i = 0; i < 25000; ++i)
    bytes += LogLine(std::to_string(i)) + "\r\n";
  tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", bytes);
  AnalyzerHarness h;
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-03-01"});
  h.window.keyword[0] = u"no such account";
  h.window.ClearTranscript();
  h.analyzer.LoadLogData();

  // Collapse the transcript to the progress and yield steps between the folder status and the
  // filtering, where the reading and copying yields are.
  const std::vector<std::string>& all = h.window.Transcript();
  const auto from = std::find(all.begin(), all.end(), "status 正在加载: 2024-03-01");
  const auto to = std::find(all.begin(), all.end(), "status 正在筛选数据...");
  ASSERT_NE(from, all.end());
  ASSERT_NE(to, all.end());
  std::vector<std::string> steps(from + 1, to);
  std::vector<std::string> expected(1 + 25, "yield");  // the folder's yield, then one per 1,000
  expected.push_back("status 正在转移数据...");
  for (const char* progress : {"progress 58", "progress 66"}) {  // 50 + k * 20 / 25,000
    expected.push_back(progress);
    expected.push_back("yield");
  }
  expected.push_back("status 已加载 1 个文件，共 25000 条记录");
  expected.push_back("statusbar 25000 0");
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(U8(h.State().FAllLogs[24999].Account()), "24999");
}

TEST(LoaderReentry, ALoadRequestedDuringALoadDoesNothing) {
  TempTree tree;
  tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", LogLine("a") + "\r\n");
  AnalyzerHarness h;
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-03-01"});
  int nested = 0;
  h.window.onYield = [&] {
    if (nested++ == 0) {
      const std::size_t before = h.window.Transcript().size();
      h.analyzer.LoadLogData();
      EXPECT_EQ(h.window.Transcript().size(), before);
    }
  };
  h.analyzer.LoadLogData();
  EXPECT_EQ(Accounts(h.State().FAllLogs), "a");
  EXPECT_EQ(h.window.Count("enabled false"), 1u);
}

}  // namespace
