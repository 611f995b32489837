// What the window offers beyond the grid: the code page choice, the grid's context menu with
// export, copying rows and querying by a cell's value, and Ctrl+S.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/log_record.h"
#include "core/result_export.h"
#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TGridCell;
using form::TKey;
using form::TMouseButton;
using form::TShift;

constexpr int kExport = 0;
constexpr int kCopyRows = 1;
constexpr int kQueryByValue = 2;
constexpr int kSortAscending = 3;
constexpr int kSortDescending = 4;
constexpr int kLoadOrder = 5;
constexpr int kCounts = 6;

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ResultCommands : public FormTest {
 protected:
  // Loads a day of `accounts` and opens the context menu on `cell`, choosing `item`.
  void LoadDay(const std::vector<std::string>& accounts) {
    WriteDay(tree, "2024-03-01", accounts);
    Load(tree, {u"2024-03-01"});
    toolkit.ClearTranscript();
  }
  void ChooseFromMenu(TGridCell cell, std::optional<int> item) {
    toolkit.menuAnswers.push_back(item);
    form.GridContextMenu(cell);
  }
  std::string Menu() const {
    const std::vector<std::string> menus = toolkit.Lines({"menu "});
    return menus.empty() ? std::string() : menus.back();
  }

  TempTree tree;
  TempTree exports;
};

// The sort items of the menu, while the result is in the load's order.
const std::string kSorts = "|按此列升序排序|按此列降序排序|-原始顺序|统计此列";
const std::string kNoSorts = "|-按此列升序排序|-按此列降序排序|-原始顺序|-统计此列";

TEST_F(ResultCommands, TheMenuOffersWhatTheCellAndTheResultAllow) {
  struct Case {
    const char* name;
    TGridCell cell;
    form::TRowRange selection;
    std::string menu;
  };
  const Case cases[] = {
      {"account cell, a row selected",
       {1, 2},
       {2, 2},
       "menu 导出结果...|复制选中行|按此值查询" + kSorts},
      {"item name cell", {9, 1}, {}, "menu 导出结果...|-复制选中行|按此值查询" + kSorts},
      {"selection beyond the rows",
       {9, 1},
       {5, 9},
       "menu 导出结果...|-复制选中行|按此值查询" + kSorts},
      {"map code cell: not searchable",
       {3, 1},
       {1, 1},
       "menu 导出结果...|复制选中行|-按此值查询" + kSorts},
      {"row number: nothing to sort by",
       {0, 1},
       {1, 3},
       "menu 导出结果...|复制选中行|-按此值查询" + kNoSorts},
      {"header row", {1, 0}, {1, 1}, "menu 导出结果...|复制选中行|-按此值查询" + kSorts},
      {"empty remark cell", {14, 1}, {1, 1}, "menu 导出结果...|复制选中行|-按此值查询" + kSorts},
      {"outside the cells", {-1, -1}, {1, 1}, "menu 导出结果...|复制选中行|-按此值查询" + kNoSorts},
  };
  LoadDay(Accounts(3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.gridSelection = c.selection;
    ChooseFromMenu(c.cell, std::nullopt);
    EXPECT_EQ(Menu(), c.menu);
  }
}

TEST_F(ResultCommands, NothingToExportOrCopyBeforeALoad) {
  ChooseFromMenu({1, 1}, kExport);  // a disabled item chosen anyway does nothing
  EXPECT_EQ(
      Menu(),
      "menu "
      "-导出结果...|-复制选中行|-按此值查询|按此列升序排序|按此列降序排序|-原始顺序|-统计此列");
  EXPECT_TRUE(toolkit.Lines({"save "}).empty());
}

TEST_F(ResultCommands, ExportWritesTheResultWithProgressAndYields) {
  LoadDay(Accounts(250));
  const std::u16string path = exports.WindowsStylePath("结果.csv");
  toolkit.saveAnswers.push_back(form::TSaveTarget{path, 1});
  ChooseFromMenu({1, 1}, kExport);

  EXPECT_EQ(toolkit.Lines({"save ", "progress", "yield"}),
            (std::vector<std::string>{"save 导出结果 | 查询结果.xlsx | xlsx csv txt",
                                      "progress max 250", "progress 0", "progress 100", "yield",
                                      "progress 200", "yield", "progress 250"}));
  EXPECT_EQ(Status(), "状态：已导出 250 条记录: " + Utf8(path));
  std::string expected;
  core::AppendExportHeader(core::TExportFormat::kCsv, expected);
  for (std::size_t i = 0; i < State().FFilteredLogs.size(); ++i) {
    core::AppendExportRow(core::TExportFormat::kCsv, static_cast<std::int64_t>(i + 1),
                          State().FFilteredLogs[i], expected);
  }
  EXPECT_EQ(ReadBytes(exports.Root() / "结果.csv"), expected);
}

TEST_F(ResultCommands, ExportAsTabSeparatedTextOnCtrlS) {
  LoadDay({"a\"1", "b,2"});
  toolkit.saveAnswers.push_back(form::TSaveTarget{exports.WindowsStylePath("r.txt"), 2});
  EXPECT_TRUE(toolkit.PressKey(TKey::kS, TShift::kCtrl, StringGrid1));
  const std::string bytes = ReadBytes(exports.Root() / "r.txt");
  EXPECT_NE(bytes.find("\r\n1\t\"a\"\"1\"\tname\t5\t"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\n2\tb,2\tname\t5\t"), std::string::npos) << bytes;
}

// The workbook is the first type offered; a name's own extension decides over the type shown,
// since a file called "r.csv" must hold CSV.
TEST_F(ResultCommands, TheNamesExtensionOrElseTheChosenTypeGivesTheFormat) {
  LoadDay({"a1"});
  struct Case {
    const char* name;
    int type;
    std::string_view starts;
  };
  const Case cases[] = {
      {"r.xlsx", 0, "PK"},
      {"r.xlsx", 1, "PK"},
      {"r.csv", 0, "\xEF\xBB\xBF序号,"},
      {"r.TXT", 0, "\xEF\xBB\xBF序号\t"},
      {"r", 0, "PK"},
      {"r", 2, "\xEF\xBB\xBF序号\t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.type));
    toolkit.saveAnswers.push_back(form::TSaveTarget{exports.WindowsStylePath(c.name), c.type});
    ChooseFromMenu({1, 1}, kExport);
    EXPECT_EQ(ReadBytes(exports.Root() / c.name).substr(0, c.starts.size()), c.starts);
  }
}

TEST_F(ResultCommands, ACancelledExportDoesNothing) {
  LoadDay(Accounts(2));
  toolkit.saveAnswers.push_back(std::nullopt);
  ChooseFromMenu({1, 1}, kExport);
  EXPECT_EQ(toolkit.Lines({"save ", "text ", "progress"}),
            std::vector<std::string>{"save 导出结果 | 查询结果.xlsx | xlsx csv txt"});
}

TEST_F(ResultCommands, AFailedExportShowsTheErrorAndLeavesNoFile) {
  LoadDay(Accounts(2));
  const std::u16string path = exports.WindowsStylePath("missing folder\\r.csv");
  toolkit.saveAnswers.push_back(form::TSaveTarget{path, 1});
  ChooseFromMenu({1, 1}, kExport);
  ASSERT_EQ(toolkit.errors.size(), 1u);
  EXPECT_EQ(Utf8(toolkit.errors[0].first), "KorloPC引擎日志分析工具");
  EXPECT_EQ(Utf8(toolkit.errors[0].second).rfind(Utf8(path), 0), 0u)
      << Utf8(toolkit.errors[0].second);
  EXPECT_EQ(Status(), "状态：导出失败");
  EXPECT_TRUE(std::filesystem::is_empty(exports.Root()));
  // The window goes on: a second export works.
  toolkit.saveAnswers.push_back(form::TSaveTarget{exports.WindowsStylePath("r.csv"), 1});
  ChooseFromMenu({1, 1}, kExport);
  EXPECT_TRUE(std::filesystem::exists(exports.Root() / "r.csv"));
}

TEST_F(ResultCommands, AnExportKeepsItsRowsWhileAQueryRunsDuringItsYields) {
  LoadDay(Accounts(300));
  toolkit.saveAnswers.push_back(form::TSaveTarget{exports.WindowsStylePath("r.csv"), 1});
  int yields = 0;
  toolkit.onYield = [&] {
    if (++yields != 1) return;
    toolkit.Paste(edtKeyword1, u"acc7");  // a narrower query, run during the export
    ASSERT_TRUE(toolkit.Click(btnLoadSearch));
    form.KeyPreview(TKey::kS, TShift::kCtrl);  // a second export meanwhile is refused
    EXPECT_EQ(Status(), "状态：正在导出，请稍候...");
  };
  ChooseFromMenu({1, 1}, kExport);
  toolkit.onYield = nullptr;
  EXPECT_EQ(State().FFilteredLogs.size(), 1u);
  const std::string bytes = ReadBytes(exports.Root() / "r.csv");
  EXPECT_NE(bytes.find("\r\n300,acc300,"), std::string::npos);
  EXPECT_EQ(toolkit.Lines({"save "}).size(), 1u);
}

TEST_F(ResultCommands, CopiesTheSelectedRowsUnderAHeaderLine) {
  LoadDay({"a1", "a\"2", "a3"});
  toolkit.gridSelection = {2, 3};
  ChooseFromMenu({1, 2}, kCopyRows);
  std::string header;
  for (const core::TGridColumn& column : core::GRID_HEADERS)
    header += (header.empty() ? "" : "\t") + Utf8(column.header);
  const std::string clipboard = Utf8(toolkit.ClipboardText());
  EXPECT_EQ(clipboard.substr(0, clipboard.find("\r\n")), header);
  EXPECT_NE(clipboard.find("\r\n2\t\"a\"\"2\"\tname\t5\t"), std::string::npos) << clipboard;
  EXPECT_NE(clipboard.find("\r\n3\ta3\tname\t5\t"), std::string::npos) << clipboard;
  EXPECT_EQ(clipboard.find("a1"), std::string::npos);
  EXPECT_TRUE(clipboard.ends_with("\r\n"));
  EXPECT_EQ(Status(), "状态：已复制 2 行");
}

// A sort by a column holds through later queries and refreshes until 原始顺序; 序号 counts the
// rows as shown, and the export writes them so.
TEST_F(ResultCommands, SortsByAColumnUntilTheLoadOrderIsChosen) {
  LoadDay({"b10", "a2", "c1", "a10", "b2"});
  const auto accounts = [this] {
    std::string shown;
    for (int row = 1; row <= toolkit.GridRowCount(); ++row)
      shown += (row > 1 ? " " : "") + Cell(0, row) + ":" + Cell(1, row);
    return shown;
  };
  ChooseFromMenu({1, 0}, kSortAscending);  // on the header cell of 帐号
  EXPECT_EQ(accounts(), "1:a10 2:a2 3:b10 4:b2 5:c1");
  EXPECT_EQ(Status(), "状态：已按帐号升序排序");
  ChooseFromMenu({1, 3}, kSortDescending);
  EXPECT_EQ(accounts(), "1:c1 2:b2 3:b10 4:a2 5:a10");
  EXPECT_EQ(
      Menu(),
      "menu 导出结果...|-复制选中行|按此值查询|按此列升序排序|按此列降序排序|原始顺序|统计此列");

  // A query keeps the order.
  toolkit.Paste(edtKeyword1, u"a");
  toolkit.PickComboItem(cboColumn1, 1);  // 帐号
  toolkit.SetCheckBox(chkExact1, false);
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_EQ(accounts(), "1:a2 2:a10");

  // The export writes the rows as shown.
  const std::u16string path = exports.WindowsStylePath("sorted.csv");
  toolkit.saveAnswers.push_back(form::TSaveTarget{path, 1});
  ChooseFromMenu({1, 1}, kExport);
  const std::string bytes = ReadBytes(exports.Root() / "sorted.csv");
  EXPECT_LT(bytes.find("\r\n1,a2,"), bytes.find("\r\n2,a10,")) << bytes;

  ChooseFromMenu({1, 1}, kLoadOrder);
  EXPECT_EQ(accounts(), "1:a2 2:a10");  // both in the load's order: a2 came first
  EXPECT_EQ(Status(), "状态：已恢复原始顺序");
  toolkit.Paste(edtKeyword1, u"");
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_EQ(accounts(), "1:b10 2:a2 3:c1 4:a10 5:b2");
}

// "统计此列": the values of the column in the result shown, most frequent first, in a window of
// their own; a value activated there is queried by, and the table exports as the result does.
TEST_F(ResultCommands, CountsTheValuesOfAColumnAndQueriesByOne) {
  LoadDay({"b", "a", "c", "a", "b", "a"});
  ChooseFromMenu({1, 2}, kCounts);
  EXPECT_EQ(toolkit.Lines({"countwindow "}),
            std::vector<std::string>{
                "countwindow 统计: 帐号（3 个不同值，共 6 条记录） | 帐号 次数 | 3"});
  const auto row = [this](int r) {
    return Utf8(form.CountCellText(0, r)) + "=" + Utf8(form.CountCellText(1, r));
  };
  EXPECT_EQ(row(0), "帐号=次数");
  EXPECT_EQ(row(1) + " " + row(2) + " " + row(3), "a=3 b=2 c=1");
  EXPECT_EQ(Status(), "状态：已统计帐号: 3 个不同值");

  // Exported as the result is, the header line first.
  const std::u16string path = exports.WindowsStylePath("counts.csv");
  toolkit.menuAnswers.push_back(0);
  toolkit.saveAnswers.push_back(form::TSaveTarget{path, 0});
  form.CountWindowContextMenu(2);
  EXPECT_EQ(ReadBytes(exports.Root() / "counts.csv"),
            "\xEF\xBB\xBF帐号,次数\r\na,3\r\nb,2\r\nc,1\r\n");

  // Enter or a double click on "b": the query by that value.
  form.CountWindowActivated(2);
  EXPECT_EQ(Utf8(toolkit.Text(edtKeyword1)), "b");
  EXPECT_EQ(State().FFilteredLogs.size(), 2u);

  // A column that cannot be queried by: the count still shows, the activation says why not.
  ChooseFromMenu({3, 1}, kCounts);  // 地图代码
  EXPECT_EQ(toolkit.CountWindowRows(), 1);
  form.CountWindowActivated(1);
  EXPECT_EQ(Status(), "状态：此列不能按值查询");
}

TEST_F(ResultCommands, QueriesByTheCellsValueOnItsColumn) {
  WriteDay(tree, "2024-03-01", {"kr1", "kr12", "kr1", "kr2 "});
  Load(tree, {u"2024-03-01"});
  ChooseFromMenu({1, 1}, kQueryByValue);
  EXPECT_EQ(Utf8(toolkit.Text(edtKeyword1)), "kr1");
  EXPECT_EQ(Utf8(toolkit.ItemText(cboColumn1, toolkit.CurrentItem(cboColumn1))), "帐号");
  EXPECT_TRUE(toolkit.IsChecked(chkExact1));
  EXPECT_EQ(State().FFilteredLogs.size(), 2u);  // kr1 twice, not kr12
  EXPECT_EQ(Status(), "状态：找到 2 条匹配记录");

  // A value with a blank at its end is looked for as a part of the field: the query trims.
  toolkit.Paste(edtKeyword1, u"");
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  ChooseFromMenu({1, 4}, kQueryByValue);
  EXPECT_FALSE(toolkit.IsChecked(chkExact1));
  ASSERT_EQ(State().FFilteredLogs.size(), 1u);
  EXPECT_EQ(Utf8(State().FFilteredLogs[0].Account()), "kr2 ");
}

TEST_F(ResultCommands, ChangingTheCodePageReloadsOnTheNextPress) {
  EXPECT_EQ(toolkit.Control(cboCodePage).items,
            (std::vector<std::u16string>{u"系统默认", u"GBK", u"GB18030", u"UTF-8", u"自动"}));
  EXPECT_EQ(toolkit.CurrentItem(cboCodePage), 0);
  // 帐号 in UTF-8, which the system code page (GBK) reads as other characters.
  tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", "0\t\xE5\xB8\x90\xE5\x8F\xB7\t2\r\n");
  Load(tree, {u"2024-03-01"});
  EXPECT_NE(Cell(1, 1), "帐号");
  toolkit.ChooseComboItem(cboCodePage, 4);  // automatic
  EXPECT_EQ(LoadCaption(), "加载");
  EXPECT_EQ(Status(), "状态：编码已更改，请点击加载按钮重新加载");
  ASSERT_TRUE(toolkit.Click(btnLoadSearch));
  EXPECT_EQ(Cell(1, 1), "帐号");
  EXPECT_EQ(LoadCaption(), "查询/刷新");
}

}  // namespace
}  // namespace korlo_test
