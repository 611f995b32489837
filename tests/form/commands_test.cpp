#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TKey;
using form::TShift;

// Three days of two, three and four records, the window pointed at them.
class CommandsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    WriteDay(tree, "2024-03-01", {"a1", "a2"});
    WriteDay(tree, "2024-03-02", {"b1", "b2", "b3"});
    WriteDay(tree, "2024-03-03", {"c1", "c2", "c3", "c4"});
    root = tree.WindowsStylePath();
    toolkit.Paste(edtPath, root);
    toolkit.ClearTranscript();
  }
  // The day folders the last command read from disk.
  std::vector<std::string> FoldersRead() const {
    std::vector<std::string> read;
    for (const std::string& line : toolkit.Lines({"text lblStatus 状态：正在加载: "})) {
      read.push_back(line.substr(line.rfind(' ') + 1));
    }
    return read;
  }
  void ExpectLoadedState(bool loaded, const std::string& date, const std::string& caption) {
    EXPECT_EQ(State().FIsDataLoaded, loaded);
    EXPECT_EQ(Utf8(State().FCurrentSelectedDate), date);
    EXPECT_EQ(LoadCaption(), caption);
  }

  TempTree tree;
  std::u16string root;
};

// The load button reads from disk when nothing is loaded for the date selection or the first
// selected folder changed; otherwise it queries the records in memory.
TEST_F(CommandsTest, TheLoadButtonLoadsOrQueries) {
  struct Case {
    const char* name;
    std::vector<std::u16string_view> loaded;  // the folders of the first load
    std::function<void()> between;
    std::vector<std::string> read;  // empty: a query alone
    std::string firstDate;
    std::size_t records;
  };
  const Case cases[] = {
      {"nothing changed: query", {u"2024-03-01", u"2024-03-02"}, [] {}, {}, "2024-03-01", 5},
      {"select all with A still first: query",
       {u"2024-03-01", u"2024-03-02"},
       [&] {
         ASSERT_TRUE(toolkit.Click(btnSelectAll));
         EXPECT_EQ(Status(), "状态：已选择 3 个文件夹");
         ExpectLoadedState(true, "2024-03-01", "查询/刷新");
       },
       {},
       "2024-03-01",
       5},
      {"select all after loading B: A is first now, load all three",
       {u"2024-03-02"},
       [&] {
         ASSERT_TRUE(toolkit.Click(btnSelectAll));
         ExpectLoadedState(true, "2024-03-02", "查询/刷新");
       },
       {"2024-03-01", "2024-03-02", "2024-03-03"},
       "2024-03-01",
       9},
      {"click B: load B",
       {u"2024-03-01", u"2024-03-02"},
       [&] {
         toolkit.SelectDates({u"2024-03-02"});
         EXPECT_EQ(Status(), "状态：已选择新的日期文件夹，请点击加载按钮");
         ExpectLoadedState(false, "2024-03-01", "加载");
       },
       {"2024-03-02"},
       "2024-03-02",
       3},
      {"deselect all, click A: load A again",
       {u"2024-03-01", u"2024-03-02"},
       [&] {
         ASSERT_TRUE(toolkit.Click(btnDeselectAll));
         EXPECT_EQ(Status(), "状态：已取消所有选择");
         ExpectLoadedState(true, "2024-03-01", "查询/刷新");
         toolkit.SelectDates({u"2024-03-01"});
         ExpectLoadedState(false, "2024-03-01", "加载");
       },
       {"2024-03-01"},
       "2024-03-01",
       2},
      {"Ctrl+click C with A still first: load all three",
       {u"2024-03-01", u"2024-03-02"},
       [&] { toolkit.CtrlClickDate(u"2024-03-03"); },
       {"2024-03-01", "2024-03-02", "2024-03-03"},
       "2024-03-01",
       9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.SelectDates(c.loaded);
    ASSERT_TRUE(toolkit.Click(btnLoadSearch));
    ExpectLoadedState(true, Utf8(c.loaded.front()), "查询/刷新");

    c.between();
    toolkit.ClearTranscript();
    ASSERT_TRUE(toolkit.Click(btnLoadSearch));
    EXPECT_EQ(FoldersRead(), c.read);
    // Only a load enters the busy state; a query yields with the controls enabled.
    EXPECT_EQ(toolkit.Count("cursor hourglass"), c.read.empty() ? 0u : 1u);
    EXPECT_EQ(toolkit.Lines({"enable"}).empty(), c.read.empty());
    // A query leaves the rendering's bar visible and full; a load hides it.
    EXPECT_EQ(toolkit.IsVisible(ProgressBar1), c.read.empty());
    ExpectLoadedState(true, c.firstDate, "查询/刷新");
    EXPECT_EQ(State().FAllLogs.size(), c.records);
    EXPECT_EQ(Status(), "状态：找到 " + std::to_string(c.records) + " 条匹配记录");
  }
}

TEST_F(CommandsTest, AQueryAloneLeavesTheProgressBarFull) {
  toolkit.SelectDates({u"2024-03-03"});
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_TRUE(toolkit.IsVisible(ProgressBar1));
  EXPECT_EQ(toolkit.ProgressMax(), 4);
  EXPECT_EQ(toolkit.ProgressPosition(), 4);
  EXPECT_EQ(toolkit.Cursor(), form::TScreenCursor::kDefault);
}

TEST_F(CommandsTest, RefusesToLoadWithoutARootOrASelection) {
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_EQ(Status(), "状态：请先选择至少一个日期文件夹");
  State().FSelectedPath.clear();
  toolkit.SelectDates({u"2024-03-01"});
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_EQ(Status(), "状态：请先选择或输入LogServer上一层目录");
  EXPECT_TRUE(State().FAllLogs.empty());
}

// Every keystroke runs the path check: the date list is empty while the text is no valid root,
// and the keystroke that completes the root fills it.
TEST_F(CommandsTest, TypingARootReportsEveryKeystroke) {
  toolkit.Paste(edtPath, u"");
  EXPECT_EQ(Status(), "状态：请输入路径");
  EXPECT_TRUE(Dates().empty());
  for (std::size_t length = 1; length <= root.size(); ++length) {
    toolkit.Type(edtPath, root.substr(length - 1, 1));
    if (length < root.size()) {
      ASSERT_EQ(Status(), "状态：路径无效") << length;
      ASSERT_TRUE(Dates().empty()) << length;
    }
  }
  EXPECT_EQ(toolkit.Text(edtPath), root);
  EXPECT_EQ(Status(), "状态：路径已更改，请选择日期文件夹并点击加载");
  EXPECT_EQ(Dates(), (std::vector<std::string>{"2024-03-01", "2024-03-02", "2024-03-03"}));
  EXPECT_EQ(State().FSelectedPath, root);

  // Spaces around the root: the box keeps them, the root does not.
  toolkit.Type(edtPath, u"  ");
  EXPECT_EQ(toolkit.Text(edtPath), root + u"  ");
  EXPECT_EQ(State().FSelectedPath, root);
  EXPECT_EQ(Status(), "状态：路径已更改，请选择日期文件夹并点击加载");
}

// An empty or invalid root, typed or refreshed, empties the date list and keeps everything else.
TEST_F(CommandsTest, AnInvalidRootKeepsTheLoadedRecords) {
  struct Case {
    const char* name;
    std::u16string typed;
    std::string status;
  };
  const Case cases[] = {
      {"missing directory", u"-missing", "状态：路径无效"},
      {"only spaces", u"   ", "状态：请输入路径"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.Paste(edtPath, root);
    ASSERT_TRUE(toolkit.Click(btnSelectAll));
    ASSERT_TRUE(toolkit.Click(btnLoadSearch));
    ASSERT_EQ(State().FAllLogs.size(), 9u);

    toolkit.Paste(edtPath, c.typed == u"   " ? c.typed : root + c.typed);
    for (bool refreshed : {false, true}) {
      SCOPED_TRACE(refreshed ? "then refreshed" : "typed");
      if (refreshed) {
        ASSERT_TRUE(toolkit.Click(btnRefreshDates));
      }
      EXPECT_EQ(Status(), c.status);
      EXPECT_TRUE(Dates().empty());
      EXPECT_EQ(toolkit.GridRowCount(), 9);
      EXPECT_EQ(Cell(1, 9), "c4");
      EXPECT_EQ(Panel(0), "总记录数: 9");
      EXPECT_EQ(Panel(1), "筛选后: 9");
      EXPECT_EQ(State().FSelectedPath, root);
      ExpectLoadedState(true, "2024-03-01", "查询/刷新");
    }
    ASSERT_TRUE(toolkit.Click(btnLoadSearch));
    EXPECT_EQ(Status(), "状态：请先选择至少一个日期文件夹");
  }
}

// A valid root in the box, typed anew or refreshed unchanged, rescans and drops the records.
TEST_F(CommandsTest, AValidRootTypedOrRefreshedDropsTheRecords) {
  struct Case {
    const char* name;
    std::function<void()> command;
  };
  const Case cases[] = {
      {"refresh with the same root", [&] { ASSERT_TRUE(toolkit.Click(btnRefreshDates)); }},
      {"the root typed with a final separator", [&] { toolkit.Type(edtPath, u"\\"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.Paste(edtPath, root);
    ASSERT_TRUE(toolkit.Click(btnSelectAll));
    ASSERT_TRUE(toolkit.Click(btnLoadSearch));
    ASSERT_EQ(State().FAllLogs.size(), 9u);
    c.command();
    EXPECT_EQ(toolkit.GridRowCount(), 1);
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Panel(0), "总记录数: 0");
    EXPECT_EQ(Panel(1), "筛选后: 0");
    ExpectLoadedState(false, "", "加载");
    EXPECT_TRUE(State().FAllLogs.empty());
    EXPECT_EQ(Status(), "状态：路径已更改，请选择日期文件夹并点击加载");
    EXPECT_EQ(Dates().size(), 3u);
    EXPECT_TRUE(toolkit.SelectedItems(lstDateFolders).empty());
  }
}

TEST_F(CommandsTest, TheDirectoryChooserOpensAtTheTrimmedBoxTextOrTheRoot) {
  struct Case {
    const char* name;
    std::u16string box;
    std::u16string start;
  };
  const Case cases[] = {
      {"box text, trimmed", u"  " + root + u" ", root},
      {"empty box: the root", u"", root},
      {"box with an invalid root", root + u"-x", root + u"-x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.Paste(edtPath, root);  // FSelectedPath is the root
    toolkit.Paste(edtPath, c.box);
    const std::string status = Status();
    toolkit.directoryAnswers.push_back(std::nullopt);  // cancelled: nothing changes
    toolkit.ClearTranscript();
    ASSERT_TRUE(toolkit.Click(btnSelectPath));
    EXPECT_EQ(toolkit.Transcript(),
              (std::vector<std::string>{"choose 选择LogServer上一层目录 | " + Utf8(c.start)}));
    EXPECT_EQ(Status(), status);
  }
}

// Another server root chosen becomes the root: the records are dropped and the folders
// rescanned. A folder that is no server root becomes the path too, but the loaded records stay
// (as when it is typed); confirming the root the box already names changes nothing while records
// are loaded, and only rescans when none are.
TEST_F(CommandsTest, ChoosingADirectoryDropsTheRecordsOnlyForAnotherRoot) {
  TempTree notARoot;
  struct Case {
    const char* name;
    bool loaded;  // records are loaded when the chooser opens
    std::u16string chosen;
    std::string pathCheck;  // the path check's status; empty: it does not run
    std::string status;     // at the end
    std::size_t dates;
    bool keepsRecords;
  };
  const Case cases[] = {
      {"another root", true, root + u"\\", "状态：路径已更改，请选择日期文件夹并点击加载",
       "状态：找到 3 个日期文件夹", 3, false},
      {"no LogServer\\BaseDir", true, notARoot.WindowsStylePath(), "状态：路径无效",
       "状态：路径不存在", 0, true},
      {"the root the box names", true, root, "", "状态：已选择 3 个文件夹", 3, true},
      {"the root the box names, nothing loaded", false, root, "", "状态：找到 3 个日期文件夹", 3,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.Paste(edtPath, u"");
    toolkit.Paste(edtPath, root);
    ASSERT_TRUE(toolkit.Click(btnSelectAll));
    if (c.loaded) {
      ASSERT_TRUE(toolkit.Click(btnLoadSearch));
      ASSERT_EQ(State().FAllLogs.size(), 9u);
      ASSERT_TRUE(toolkit.Click(btnSelectAll));
    }
    toolkit.directoryAnswers.push_back(c.chosen);
    toolkit.ClearTranscript();
    ASSERT_TRUE(toolkit.Click(btnSelectPath));
    EXPECT_EQ(State().FSelectedPath, c.chosen);
    EXPECT_EQ(toolkit.Text(edtPath), c.chosen);
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(Dates().size(), c.dates);
    if (c.keepsRecords) {
      EXPECT_EQ(State().FAllLogs.size(), 9u);
      EXPECT_EQ(toolkit.GridRowCount(), 9);
      EXPECT_EQ(Panel(0), "总记录数: 9");
      EXPECT_EQ(LoadCaption(), "查询/刷新");
    } else {
      EXPECT_TRUE(toolkit.SelectedItems(lstDateFolders).empty());
      ExpectLoadedState(false, "", "加载");
      EXPECT_TRUE(State().FAllLogs.empty());
      EXPECT_EQ(toolkit.GridRowCount(), 1);
      EXPECT_EQ(Panel(0), "总记录数: 0");
    }
    const std::vector<std::string> pathChecks =
        toolkit.Lines({"text lblStatus 状态：路径无效", "text lblStatus 状态：路径已更改",
                       "text lblStatus 状态：请输入路径"});
    if (c.pathCheck.empty()) {
      EXPECT_TRUE(pathChecks.empty());
    } else {
      EXPECT_EQ(pathChecks, std::vector<std::string>{"text lblStatus " + c.pathCheck});
    }
  }
}

// A change notice whose text is the one the box had (wine's edit control sends one on Ctrl+A)
// is no change: the root is not scanned again and the records stay.
TEST_F(CommandsTest, AChangeNoticeWithoutAChangeKeepsTheRecords) {
  ASSERT_TRUE(toolkit.Click(btnSelectAll));
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  ASSERT_EQ(State().FAllLogs.size(), 9u);
  toolkit.ClearTranscript();
  toolkit.NotifyUnchangedText(edtPath);
  EXPECT_TRUE(toolkit.Transcript().empty());
  ExpectLoadedState(true, "2024-03-01", "查询/刷新");
  EXPECT_EQ(State().FAllLogs.size(), 9u);
  // A real change still runs the path check.
  toolkit.Type(edtPath, u"\\");
  ExpectLoadedState(false, "", "加载");
}

TEST_F(CommandsTest, SelectAllAndDeselectAllReportWithoutTouchingTheLoadState) {
  ASSERT_TRUE(toolkit.Click(btnSelectAll));
  EXPECT_EQ(Status(), "状态：已选择 3 个文件夹");
  EXPECT_EQ(toolkit.SelectedItems(lstDateFolders).size(), 3u);
  ASSERT_TRUE(toolkit.Click(btnDeselectAll));
  EXPECT_EQ(Status(), "状态：已取消所有选择");
  EXPECT_TRUE(toolkit.SelectedItems(lstDateFolders).empty());
  toolkit.Paste(edtPath, root + u"-missing");
  ASSERT_TRUE(toolkit.Click(btnSelectAll));
  EXPECT_EQ(Status(), "状态：已选择 0 个文件夹");
}

// The window's shortcuts: only Ctrl is tested, Shift and Alt may be held as well; other keys
// pass on to the focused control.
TEST_F(CommandsTest, TheWindowsShortcutsFocusTheKeywordAndLoad) {
  struct Case {
    const char* name;
    TKey key;
    TShift shift;
    bool consumed;
    std::vector<std::string> lines;
  };
  const std::vector<std::string> noSelection = {"text lblStatus 状态：请先选择至少一个日期文件夹"};
  const Case cases[] = {
      {"Ctrl+F", TKey::kF, TShift::kCtrl, true, {"focus edtKeyword1"}},
      {"Ctrl+Shift+F", TKey::kF, TShift::kCtrl | TShift::kShift, true, {"focus edtKeyword1"}},
      {"Ctrl+Alt+F", TKey::kF, TShift::kCtrl | TShift::kAlt, true, {"focus edtKeyword1"}},
      {"F", TKey::kF, TShift::kNone, false, {}},
      {"Shift+F", TKey::kF, TShift::kShift, false, {}},
      {"Ctrl+L", TKey::kL, TShift::kCtrl, true, noSelection},
      {"Ctrl+Shift+L", TKey::kL, TShift::kCtrl | TShift::kShift, true, noSelection},
      {"Alt+L", TKey::kL, TShift::kAlt, false, {}},
      {"Ctrl+C outside the grid", TKey::kC, TShift::kCtrl, false, {}},
      {"Ctrl+S: the export, cancelled",
       TKey::kS,
       TShift::kCtrl,
       true,
       {"save 导出结果 | 查询结果.xlsx | xlsx csv txt"}},
      {"S", TKey::kS, TShift::kNone, false, {}},
      {"Ctrl+Space", TKey::kSpace, TShift::kCtrl, false, {}},
      {"Ctrl with an unknown key", TKey::kOther, TShift::kCtrl, false, {}},
  };
  toolkit.Paste(edtKeyword1, u"a1");
  toolkit.saveAnswers.push_back(std::nullopt);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.ClearTranscript();
    EXPECT_EQ(toolkit.PressKey(c.key, c.shift, edtPath), c.consumed);
    EXPECT_EQ(toolkit.Transcript(), c.lines);
  }
  EXPECT_EQ(toolkit.Focused(), edtKeyword1);

  toolkit.SelectDates({u"2024-03-02"});
  EXPECT_TRUE(toolkit.PressKey(TKey::kL, TShift::kCtrl, StringGrid1));
  EXPECT_EQ(FoldersRead(), (std::vector<std::string>{"2024-03-02"}));
}

TEST_F(CommandsTest, HelpShowsTheShortcuts) {
  ASSERT_TRUE(toolkit.Click(btnHelp));
  ASSERT_EQ(toolkit.informations.size(), 1u);
  EXPECT_EQ(Utf8(toolkit.informations[0].first), "帮助");
  const std::string text = Utf8(toolkit.informations[0].second);
  std::vector<std::string> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 12u) << text;
  EXPECT_EQ(
      std::vector<std::string>(lines.begin(), lines.begin() + 10),
      (std::vector<std::string>{"Korlo引擎日志分析工具 1.0", std::string(22, '-'), "快捷键：",
                                "  Ctrl+F: 聚焦搜索框", "  Ctrl+L: 加载数据",
                                "  Ctrl+C: 复制单元格", "  Ctrl+S: 导出结果", "  F5: 读取新记录",
                                "  实时跟踪: 勾选后每 2 秒自动读取新记录", std::string(22, '-')}));
  EXPECT_FALSE(lines[10].empty());
  EXPECT_FALSE(lines[11].empty());                    // and no line break after it
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // CR LF, not a bare LF
}

// The load button pressed (even twice) while a query yields runs the query once more after it,
// with the inputs as they stand then.
TEST_F(FormTest, AQueryRequestedDuringAQueryRunsOnceItEnds) {
  TempTree tree;
  std::vector<std::string> accounts;
  for (int i = 0; i < 1200; ++i)
    accounts.push_back(i % 2 ? "odd" : "even");
  WriteDay(tree, "2024-03-01", accounts);
  Load(tree, {u"2024-03-01"});
  ASSERT_EQ(State().FAllLogs.size(), 1200u);
  toolkit.Paste(edtKeyword1, u"even");
  bool pressed = false;
  toolkit.onYield = [&] {
    if (pressed) return;
    pressed = true;
    toolkit.Paste(edtKeyword1, u"odd");
    EXPECT_TRUE(toolkit.Click(btnLoadSearch));
    EXPECT_TRUE(toolkit.PressKey(TKey::kL, TShift::kCtrl, StringGrid1));
    EXPECT_EQ(toolkit.Count("text lblStatus 状态：正在筛选 1200 条数据..."), 1u);  // not yet
  };
  toolkit.ClearTranscript();
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  ASSERT_TRUE(pressed);
  EXPECT_EQ(toolkit.Count("text lblStatus 状态：正在筛选 1200 条数据..."), 2u);
  EXPECT_EQ(toolkit.Count("cursor hourglass"), 0u);  // no load
  ASSERT_EQ(State().FFilteredLogs.size(), 600u);
  EXPECT_EQ(Utf8(State().FFilteredLogs[0].Account()), "odd");
  EXPECT_EQ(toolkit.GridRowCount(), 600);
  EXPECT_EQ(Cell(1, 600), "odd");
  EXPECT_EQ(Panel(1), "筛选后: 600");
  EXPECT_EQ(Status(), "状态：找到 600 条匹配记录");
}

}  // namespace
}  // namespace korlo_test
