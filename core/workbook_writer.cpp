#include "core/workbook_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/narrow_temporary_file.h"
#include "platform/os_error.h"
#include "platform/replacing_file.h"
#include "platform/unicode.h"

namespace core {

namespace {

// The longest text a cell holds, in characters.
constexpr std::size_t kMaxCellCharacters = 32767;
// Excel's column width unit is about 7 pixels (a digit of its default font) plus 5 of padding.
constexpr double kPixelsPerWidthUnit = 7.0;
constexpr double kColumnPadding = 5.0;

// `text` cut to kMaxCellCharacters characters at a character's end.
std::string_view WithinACell(std::string_view text) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // a continuation byte
    if (characters++ == kMaxCellCharacters) return text.substr(0, i);
  }
  return text;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether `text` at `i` reads as the format's escape of a character ("_x0001_"), which a
// spreadsheet turns into that character.
bool StartsAnEscape(std::string_view text, std::size_t i) {
  if (text.size() - i < 7 || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') {
    return false;
  }
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 2,
                     text.begin() + static_cast<std::ptrdiff_t>(i) + 6, IsHexDigit);
}

// `text` into `cell` as the library takes it: NUL-terminated, and with each "_" that would begin
// an escape written as the escape of "_" itself, so that a log's "_x0041_" stays that text.
// (The library escapes control characters itself.)
void AssignCell(std::string_view text, std::string& cell) {
  cell.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_' && StartsAnEscape(text, i)) {
      cell += "_x005F_";
      continue;
    }
    cell += text[i];
  }
}

std::string SheetName(int sheet) {
  return "结果 " + std::to_string(sheet);
}

}  // namespace

struct TWorkbookWriter::TImpl {
  explicit TImpl(std::u16string_view target) : path(target), file(target) {}

  std::u16string path;
  // Opened first, so that a path that cannot be written fails before any row is.
  platform::TReplacingFile file;
  platform::TNarrowTemporaryFile temporary{".xlsx"};
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  lxw_format* bold = nullptr;
  std::int64_t sheetDataRows = kSheetDataRows;
  int sheets = 0;
  std::int64_t sheetRows = 0;  // data rows in the current sheet
  std::string cell;            // a field's text, NUL-terminated for the library
  std::string folder;          // the temporary folder, for the library's options

  [[noreturn]] void Fail(lxw_error error) const {
    throw platform::OsError(path + u": " + platform::Utf8ToUtf16(lxw_strerror(error)));
  }
  void Check(lxw_error error) const {
    if (error != LXW_NO_ERROR) Fail(error);
  }
  void NewSheet() {
    const std::string name = SheetName(++sheets);
    sheet = workbook_add_worksheet(workbook, name.c_str());
    if (sheet == nullptr) Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
    sheetRows = 0;
    for (std::size_t column = 0; column < kGridColumnCount; ++column) {
      const double width = (GRID_HEADERS[column].width - kColumnPadding) / kPixelsPerWidthUnit;
      Check(worksheet_set_column(sheet, static_cast<lxw_col_t>(column),
                                 static_cast<lxw_col_t>(column), width, nullptr));
      const std::string header = platform::Utf16ToUtf8(GRID_HEADERS[column].header);
      Check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column), header.c_str(), bold));
    }
    worksheet_freeze_panes(sheet, 1, 0);
  }
};

TWorkbookWriter::TWorkbookWriter(std::u16string_view path, std::int64_t sheetDataRows)
    : impl_(std::make_unique<TImpl>(path)) {
  impl_->sheetDataRows = std::clamp<std::int64_t>(sheetDataRows, 1, kSheetDataRows);
  // Constant memory: each row goes to a temporary file once written, in the folder given.
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  impl_->folder = impl_->temporary.NarrowFolder();  // the library takes a char*, not const
  options.tmpdir = impl_->folder.data();
  options.use_zip64 = LXW_TRUE;
  impl_->workbook = workbook_new_opt(impl_->temporary.Narrow().c_str(), &options);
  if (impl_->workbook == nullptr) impl_->Fail(LXW_ERROR_CREATING_XLSX_FILE);
  impl_->bold = workbook_add_format(impl_->workbook);
  format_set_bold(impl_->bold);
  impl_->NewSheet();
}

TWorkbookWriter::~TWorkbookWriter() {
  // Unfinished: the library frees what it holds as it closes; its file is the temporary one,
  // which goes with `temporary`.
  if (impl_->workbook != nullptr) workbook_close(impl_->workbook);
}

void TWorkbookWriter::WriteRow(std::int64_t rowNumber, const TLogRecord& record) {
  TImpl& impl = *impl_;
  if (impl.sheetRows == impl.sheetDataRows) impl.NewSheet();
  const auto row = static_cast<lxw_row_t>(++impl.sheetRows);
  for (std::size_t column = 0; column < kGridColumnCount; ++column) {
    const TGridColumn& grid = GRID_HEADERS[column];
    const auto col = static_cast<lxw_col_t>(column);
    if (!grid.field) {
      impl.Check(
          worksheet_write_number(impl.sheet, row, col, static_cast<double>(rowNumber), nullptr));
      continue;
    }
    const std::string_view text = WithinACell(record.Field(*grid.field));
    if (text.empty()) continue;
    AssignCell(text, impl.cell);
    impl.Check(worksheet_write_string(impl.sheet, row, col, impl.cell.c_str(), nullptr));
  }
}

void TWorkbookWriter::Finish() {
  TImpl& impl = *impl_;
  const lxw_error closed = workbook_close(impl.workbook);
  impl.workbook = nullptr;
  impl.Check(closed);
  // The workbook, written where the library can write, goes in place under the operator's name.
  const std::unique_ptr<platform::IFileReader> written =
      platform::NativeFileSystem().OpenForReading(impl.temporary.Path());
  std::vector<char> buffer(std::size_t{1} << 20);
  while (const std::size_t count = written->Read(buffer.data(), buffer.size()))
    impl.file.Write(std::string_view(buffer.data(), count));
  impl.file.Commit();
}

}  // namespace core
