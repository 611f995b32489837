#include "form/Unit1.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/keyword_match.h"
#include "core/log_record.h"
#include "core/record_sort.h"
#include "core/result_export.h"
#include "core/status_texts.h"
#include "platform/unicode.h"

namespace form {

namespace {

using enum TControl;

// The export's file types, by the format each writes, the workbook first: it keeps every value as
// the log has it, where a spreadsheet reading a text file changes long numbers and dates.
constexpr TFileType kExportTypes[] = {
    {u"Excel 工作簿", u"xlsx"},
    {u"CSV 文件", u"csv"},
    {u"文本文件 (制表符分隔)", u"txt"},
};
constexpr core::TExportFormat kExportFormats[] = {
    core::TExportFormat::kXlsx, core::TExportFormat::kCsv, core::TExportFormat::kTsv};
// The count table's file types: text only.
constexpr TFileType kCountExportTypes[] = {
    {u"CSV 文件", u"csv"},
    {u"文本文件 (制表符分隔)", u"txt"},
};
constexpr core::TExportFormat kCountExportFormats[] = {core::TExportFormat::kCsv,
                                                       core::TExportFormat::kTsv};

// Whether the path's name ends in "." and the extension, in any letter case.
bool HasExtension(std::u16string_view path, std::u16string_view extension) {
  if (path.size() <= extension.size()) return false;
  if (path[path.size() - extension.size() - 1] != u'.') return false;
  return std::ranges::equal(path.substr(path.size() - extension.size()), extension,
                            [](char16_t a, char16_t b) {
                              const auto lower = [](char16_t c) {
                                return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
                              };
                              return lower(a) == lower(b);
                            });
}

// The format a save target asks for: the one its name's extension names, since a file called
// "r.csv" must hold CSV whichever type the dialog showed; otherwise the chosen type's.
core::TExportFormat FormatOf(const TSaveTarget& target, std::span<const TFileType> types,
                             std::span<const core::TExportFormat> formats) {
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (HasExtension(target.path, types[i].extension)) return formats[i];
  }
  return target.type >= 0 && static_cast<std::size_t>(target.type) < formats.size()
             ? formats[static_cast<std::size_t>(target.type)]
             : formats.front();
}

// The grid's context menu, by item.
enum class TGridMenuItem : int {
  kExport,
  kCopyRows,
  kQueryByValue,
  kSortAscending,
  kSortDescending,
  kLoadOrder,
  kCounts,
};
constexpr TMenuItem kGridMenu[] = {
    {u"导出结果...", true},    {u"复制选中行", true},     {u"按此值查询", true},
    {u"按此列升序排序", true}, {u"按此列降序排序", true}, {u"原始顺序", true},
    {u"统计此列", true},
};

constexpr int kCountValueWidth = 300;
constexpr int kCountWidth = 80;

// The record field a grid column shows, if any (序号 shows none).
std::optional<core::TLogField> FieldOf(int gridColumn) {
  if (gridColumn < 0 || gridColumn >= static_cast<int>(core::kGridColumnCount)) return {};
  return core::GRID_HEADERS[static_cast<std::size_t>(gridColumn)].field;
}

// The searchable column (its index in SEARCHABLE_COLUMNS) a grid column shows, if any.
std::optional<std::size_t> SearchableIndex(int gridColumn) {
  if (gridColumn < 0 || gridColumn >= static_cast<int>(core::kGridColumnCount)) return {};
  const std::optional<core::TLogField> field =
      core::GRID_HEADERS[static_cast<std::size_t>(gridColumn)].field;
  if (!field) return {};
  for (std::size_t i = 0; i < core::SEARCHABLE_COLUMNS.size(); ++i) {
    if (core::SEARCHABLE_COLUMNS[i].field == *field) return i;
  }
  return {};
}

}  // namespace

// The commands beyond the window's first design: the code page box, the grid's context menu, the
// export, copying rows and querying by a cell's value.

void TForm1::cboCodePageChange() {
  const int chosen = toolkit_.CurrentItem(cboCodePage);
  if (chosen < 0 || chosen >= static_cast<int>(CodePageTexts().size())) return;
  FCore.SetCodePageChoice(static_cast<core::TCodePageChoice>(chosen));
  // The records in memory were read in the code page before: the next press reads them again.
  if (!State().FIsDataLoaded) return;
  State().FIsDataLoaded = false;
  UpdateLoadButton();
  SetStatus(u"编码已更改，请点击加载按钮重新加载");
}

void TForm1::StringGrid1ContextMenu(TGridCell cell) {
  std::vector<TMenuItem> items(std::begin(kGridMenu), std::end(kGridMenu));
  const bool haveResult = !State().FFilteredLogs.empty();
  const auto enable = [&items](TGridMenuItem item, bool enabled) {
    items[static_cast<std::size_t>(item)].enabled = enabled;
  };
  enable(TGridMenuItem::kExport, haveResult && !exporting_);
  enable(TGridMenuItem::kCopyRows, !SelectedResultRows().Empty());
  enable(TGridMenuItem::kQueryByValue, !State().FIsLoading && cell.row >= 1 &&
                                           SearchableIndex(cell.column).has_value() &&
                                           !GridCellText(cell.column, cell.row).empty());
  // Sorting: on a cell or a header cell of a column that shows a field.
  const bool sortable = cell.row >= 0 && FieldOf(cell.column).has_value();
  enable(TGridMenuItem::kSortAscending, sortable);
  enable(TGridMenuItem::kSortDescending, sortable);
  enable(TGridMenuItem::kLoadOrder, sort_.has_value());
  enable(TGridMenuItem::kCounts, sortable && haveResult);
  const std::optional<int> chosen = toolkit_.ShowPopupMenu(items);
  if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(items.size()) ||
      !items[static_cast<std::size_t>(*chosen)].enabled) {
    return;
  }
  switch (static_cast<TGridMenuItem>(*chosen)) {
    case TGridMenuItem::kExport:
      NameCommand("ExportResult");
      return ExportResult();
    case TGridMenuItem::kCopyRows:
      NameCommand("CopySelectedRows");
      return CopySelectedRows();
    case TGridMenuItem::kQueryByValue:
      NameCommand("QueryByCellValue");
      return QueryByCellValue(cell);
    case TGridMenuItem::kSortAscending:
    case TGridMenuItem::kSortDescending:
      NameCommand("SortByColumn");
      return SortByColumn(cell.column,
                          static_cast<TGridMenuItem>(*chosen) == TGridMenuItem::kSortAscending
                              ? core::TSortDirection::kAscending
                              : core::TSortDirection::kDescending);
    case TGridMenuItem::kLoadOrder:
      NameCommand("SortByColumn");
      return ShowLoadOrder();
    case TGridMenuItem::kCounts:
      NameCommand("CountByColumn");
      return CountByColumn(cell.column);
  }
}

void TForm1::ExportResult() {
  if (exporting_) {
    SetStatus(u"正在导出，请稍候...");
    return;
  }
  const std::optional<TSaveTarget> target =
      toolkit_.ChooseSaveFile(u"导出结果", u"查询结果.xlsx", kExportTypes);
  if (!target) return;
  exporting_ = true;
  const auto done = [this] { exporting_ = false; };
  try {
    const core::TExportFormat format = FormatOf(*target, kExportTypes, kExportFormats);
    // The export's own copy of the result: a query run during its yields changes nothing of it.
    // The rows as the grid shows them, in its order.
    core::TResultExport exported(gridRecords_, format, target->path);
    const std::size_t n = exported.RowCount();
    const int maximum = static_cast<int>(std::min<std::size_t>(n, INT32_MAX));
    SetStatus(u"正在导出 " + core::DecimalText(static_cast<long long>(n)) + u" 条数据...");
    if (n > 0) {
      SetProgressVisible(true);
      SetProgressMax(maximum);
      SetProgressPosition(0);
    }
    while (exported.RowsWritten() < n) {
      exported.WriteRows(kYieldRows);
      if (exported.RowsWritten() < n) {
        SetProgressPosition(static_cast<int>(exported.RowsWritten()));
        Yield();
      }
    }
    exported.Finish();
    if (n > 0) SetProgressPosition(maximum);
    SetStatus(u"已导出 " + core::DecimalText(static_cast<long long>(n)) + u" 条记录: " +
              target->path);
  } catch (...) {
    done();
    SetStatus(u"导出失败");
    throw;
  }
  done();
}

void TForm1::CopySelectedRows() {
  // The rows as the export writes them, TAB-separated: the same quoting, the same row numbers.
  std::string text;
  core::AppendExportHeaderLine(core::TExportFormat::kTsv, text);
  const TRowRange rows = SelectedResultRows();
  if (rows.Empty()) return;
  core::TLogList::TCursor cursor(gridRecords_);
  for (int row = rows.first; row <= rows.last; ++row) {
    core::AppendExportRow(core::TExportFormat::kTsv, row,
                          cursor.At(static_cast<std::size_t>(row - 1)), text);
  }
  const long long copied = rows.Count();
  toolkit_.SetClipboardText(platform::Utf8ToUtf16(text));
  SetStatus(u"已复制 " + core::DecimalText(copied) + u" 行");
}

void TForm1::SortByColumn(int column, core::TSortDirection direction) {
  if (!FieldOf(column)) return;
  sort_ = TGridSort{column, direction};
  RenderGrid();
  const std::u16string_view header = core::GRID_HEADERS[static_cast<std::size_t>(column)].header;
  SetStatus(u"已按" + std::u16string(header) +
            (direction == core::TSortDirection::kAscending ? u"升序排序" : u"降序排序"));
}

void TForm1::ShowLoadOrder() {
  if (!sort_) return;
  sort_.reset();
  RenderGrid();
  SetStatus(u"已恢复原始顺序");
}

TRowRange TForm1::SelectedResultRows() const {
  // A selection left from a longer result is cut to the records shown.
  const TRowRange selected = toolkit_.GridSelectedRows();
  const int shown = static_cast<int>(std::min<std::size_t>(gridRecords_.size(), INT32_MAX));
  return {std::max(selected.first, 1), std::min(selected.last, shown)};
}

void TForm1::QueryByCellValue(TGridCell cell) {
  QueryByValue(cell.column, GridCellText(cell.column, cell.row));
}

bool TForm1::QueryByValue(int gridColumn, std::u16string_view value) {
  const std::optional<std::size_t> column = SearchableIndex(gridColumn);
  if (!column || value.empty()) return false;
  SetControlText(edtKeyword1, value);
  toolkit_.SetCurrentItem(cboColumn1, static_cast<int>(*column) + 1);  // after "所有列"
  // The query trims its keyword: a value with blanks at either end is found as a part of the
  // field instead, or the record it came from would not be found.
  toolkit_.SetChecked(chkExact1, core::TrimText(value).size() == value.size());
  btnLoadSearchClick();
  return true;
}

bool TForm1::IsSearchableColumn(int gridColumn) {
  return SearchableIndex(gridColumn).has_value();
}

void TForm1::CountByColumn(int column) {
  const std::optional<core::TLogField> field = FieldOf(column);
  if (!field) return;
  counts_ = core::CountValues(gridRecords_, *field);
  countColumn_ = column;
  const std::u16string header(core::GRID_HEADERS[static_cast<std::size_t>(column)].header);
  const std::u16string distinct = core::DecimalText(static_cast<long long>(counts_.size()));
  const TGridColumn columns[] = {{header, kCountValueWidth}, {u"次数", kCountWidth}};
  toolkit_.ShowCountWindow(
      u"统计: " + header + u"（" + distinct + u" 个不同值，共 " +
          core::DecimalText(static_cast<long long>(gridRecords_.size())) + u" 条记录）",
      columns, static_cast<int>(std::min<std::size_t>(counts_.size(), INT32_MAX)));
  SetStatus(u"已统计" + header + u": " + distinct + u" 个不同值");
}

std::u16string TForm1::CountCellText(int column, int row) const {
  if (row == 0) {
    if (column == 1) return u"次数";
    if (column == 0 && countColumn_ >= 0) {
      return std::u16string(core::GRID_HEADERS[static_cast<std::size_t>(countColumn_)].header);
    }
    return {};
  }
  if (row < 0 || static_cast<std::size_t>(row) > counts_.size()) return {};
  const core::TValueCount& entry = counts_[static_cast<std::size_t>(row - 1)];
  if (column == 0) return platform::Utf8ToUtf16(entry.value);
  if (column == 1) return core::DecimalText(entry.count);
  return {};
}

void TForm1::ExportCounts() {
  if (counts_.empty() || countColumn_ < 0) return;
  const std::u16string_view header =
      core::GRID_HEADERS[static_cast<std::size_t>(countColumn_)].header;
  const std::optional<TSaveTarget> target =
      toolkit_.ChooseSaveFile(u"导出统计", u"统计结果.csv", kCountExportTypes);
  if (!target) return;
  core::ExportValueCounts(FormatOf(*target, kCountExportTypes, kCountExportFormats), header,
                          counts_, target->path);
  SetStatus(u"已导出 " + core::DecimalText(static_cast<long long>(counts_.size())) + u" 个值: " +
            target->path);
}

}  // namespace form
