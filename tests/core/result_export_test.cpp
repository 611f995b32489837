#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/log_record.h"
#include "core/result_export.h"
#include "core/workbook_writer.h"
#include "platform/os_error.h"
#include "platform/unicode.h"
#include "support/temp_tree.h"

namespace {

using core::TExportFormat;
using korlo_test::TempTree;

std::string Field(TExportFormat format, std::u16string_view text) {
  std::string out;
  core::AppendExportField(format, text, out);
  return out;
}

std::string Field(TExportFormat format, std::string_view utf8) {
  std::string out;
  core::AppendExportField(format, utf8, out);
  return out;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::size_t EntryCount(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

TEST(ResultExport, QuotesOnlyTheFieldsThatNeedIt) {
  struct Case {
    const char* name;
    TExportFormat format;
    std::u16string_view field;
    std::string written;
  };
  const Case cases[] = {
      {"plain", TExportFormat::kCsv, u"kr1234", "kr1234"},
      {"Chinese in UTF-8", TExportFormat::kCsv, u"屠龙刀", "\xE5\xB1\xA0\xE9\xBE\x99\xE5\x88\x80"},
      {"comma", TExportFormat::kCsv, u"a,b", "\"a,b\""},
      {"quotes doubled", TExportFormat::kCsv, u"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"line break", TExportFormat::kCsv, u"a\r\nb", "\"a\r\nb\""},
      {"TAB in CSV", TExportFormat::kCsv, u"a\tb", "a\tb"},
      {"TAB in TSV", TExportFormat::kTsv, u"a\tb", "\"a\tb\""},
      {"comma in TSV", TExportFormat::kTsv, u"a,b", "a,b"},
      {"quote in TSV", TExportFormat::kTsv, u"5\"", "\"5\"\"\""},
      {"empty", TExportFormat::kCsv, u"", ""},
      // What a spreadsheet would run as a formula gets an apostrophe; numbers stay numbers.
      {"a formula", TExportFormat::kCsv, u"=SUM(1,2)", "\"'=SUM(1,2)\""},
      {"a formula in TSV", TExportFormat::kTsv, u"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"plus and text", TExportFormat::kCsv, u"+cmd", "'+cmd"},
      {"minus and text", TExportFormat::kCsv, u"-x", "'-x"},
      {"at sign", TExportFormat::kCsv, u"@name", "'@name"},
      {"leading TAB in CSV", TExportFormat::kCsv, u"\t=1", "'\t=1"},
      {"leading CR", TExportFormat::kCsv, u"\r=1", "\"'\r=1\""},
      {"negative number", TExportFormat::kCsv, u"-1", "-1"},
      {"signed number", TExportFormat::kCsv, u"+5", "+5"},
      {"negative fraction", TExportFormat::kCsv, u"-3.25", "-3.25"},
      {"minus alone", TExportFormat::kCsv, u"-", "'-"},
      {"minus and a point", TExportFormat::kCsv, u"-.", "'-."},
      {"a formula later in the text", TExportFormat::kCsv, u"a=1", "a=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Field(c.format, c.field), c.written);
    EXPECT_EQ(Field(c.format, platform::Utf16ToUtf8(c.field)), c.written);  // a record's text
  }
}

TEST(ResultExport, WritesTheHeaderAndTheRowsAsTheGridShowsThem) {
  TempTree tree;
  core::TLogList records = {
      core::ParseLogLine(u"0\tkr1\t2\t玩家\t4\t0150\t1\t2\t3\t123\t7\t刀,剑\t8\t9\t对方\t\tT1"),
      core::ParseLogLine(u"0\tkr2"),
  };
  const std::u16string path = tree.WindowsStylePath("result.csv");
  core::TResultExport exported(records, TExportFormat::kCsv, path);
  exported.Finish();
  const std::string bytes = ReadBytes(tree.Root() / "result.csv");
  std::string expected = "\xEF\xBB\xBF";
  for (std::size_t column = 0; column < core::kGridColumnCount; ++column) {
    std::string header;
    core::AppendExportField(TExportFormat::kCsv, core::GRID_HEADERS[column].header, header);
    expected += (column > 0 ? "," : "") + header;
  }
  expected += "\r\n";
  std::string row1;
  core::AppendExportRow(TExportFormat::kCsv, 1, records[0], row1);
  EXPECT_EQ(bytes, expected + row1 + "2,kr2,,,,,,,,,,,,,\r\n");
  EXPECT_NE(row1.find("\"刀,剑\""), std::string::npos) << row1;
  EXPECT_EQ(row1.rfind("1,kr1,", 0), 0u) << row1;
  EXPECT_EQ(EntryCount(tree.Root()), 1u);  // no temporary file left beside it
}

TEST(ResultExport, AFileIsReplacedOnlyWhenTheExportFinishes) {
  TempTree tree;
  tree.WriteFile("result.csv", "old");
  const std::u16string path = tree.WindowsStylePath("result.csv");
  {
    core::TResultExport abandoned({core::ParseLogLine(u"0\tkr1")}, TExportFormat::kCsv, path);
    abandoned.WriteRows(1);
  }
  EXPECT_EQ(ReadBytes(tree.Root() / "result.csv"), "old");
  EXPECT_EQ(EntryCount(tree.Root()), 1u);
  core::TResultExport finished({core::ParseLogLine(u"0\tkr1")}, TExportFormat::kTsv, path);
  finished.Finish();
  EXPECT_NE(ReadBytes(tree.Root() / "result.csv").find("1\tkr1\t"), std::string::npos);
  EXPECT_EQ(EntryCount(tree.Root()), 1u);
}

TEST(ResultExport, AnUnwritablePathFailsNamingTheFileAndLeavesNothing) {
  for (const TExportFormat format : {TExportFormat::kCsv, TExportFormat::kXlsx}) {
    SCOPED_TRACE(static_cast<int>(format));
    TempTree tree;
    const std::u16string path = tree.WindowsStylePath("no such folder\\result.csv");
    try {
      core::TResultExport exported({}, format, path);
      FAIL() << "opened a file in a missing folder";
    } catch (const platform::OsError& error) {
      EXPECT_EQ(error.Message().rfind(path, 0), 0u);
    }
    EXPECT_EQ(EntryCount(tree.Root()), 0u);
  }
}

// The workbook's content is checked cell by cell by an independent reader (check_xlsx.py); here,
// what that check cannot reach cheaply: a result longer than a sheet, and the file's life.
TEST(WorkbookExport, ALongResultContinuesOnFurtherSheets) {
  TempTree tree;
  const std::u16string path = tree.WindowsStylePath("结果.xlsx");
  {
    core::TWorkbookWriter workbook(path, 2);
    const core::TLogRecord record = core::ParseLogLine(u"0\tkr1");
    for (std::int64_t row = 1; row <= 5; ++row)
      workbook.WriteRow(row, record);
    workbook.Finish();
  }
  const std::string bytes = ReadBytes(tree.Root() / "结果.xlsx");
  EXPECT_EQ(bytes.rfind("PK", 0), 0u);  // a zip, as the format is
  // The zip names its parts in the clear: three sheets of 2, 2 and 1 rows.
  EXPECT_NE(bytes.find("xl/worksheets/sheet3.xml"), std::string::npos);
  EXPECT_EQ(bytes.find("xl/worksheets/sheet4.xml"), std::string::npos);
  EXPECT_EQ(EntryCount(tree.Root()), 1u);
}

TEST(WorkbookExport, AnAbandonedWorkbookLeavesTheOldFile) {
  TempTree tree;
  tree.WriteFile("r.xlsx", "old");
  {
    core::TResultExport abandoned({core::ParseLogLine(u"0\tkr1")}, TExportFormat::kXlsx,
                                  tree.WindowsStylePath("r.xlsx"));
    abandoned.WriteRows(1);
  }
  EXPECT_EQ(ReadBytes(tree.Root() / "r.xlsx"), "old");
  EXPECT_EQ(EntryCount(tree.Root()), 1u);
}

}  // namespace
