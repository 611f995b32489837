#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/form_state.h"
#include "core/value_counts.h"
#include "core/workbook_writer.h"
#include "platform/replacing_file.h"

namespace core {

// The export's formats: text files for any program, and an Excel workbook (TWorkbookWriter).
enum class TExportFormat : std::uint8_t { kCsv, kTsv, kXlsx };

// The text of an exported result, in UTF-8 as spreadsheet programs (Excel, WPS) open it: a
// byte-order mark, a line of the fifteen grid headers, then one line per record as the grid
// shows it, its row number first. Fields are separated by a comma (CSV) or a TAB (TSV); every
// line ends with CR LF. A field that a spreadsheet would take for a formula (ReadsAsAFormula) is
// written after an apostrophe, which makes the spreadsheet show it as text: player-made names
// and remarks can then carry no live formula into the operator's sheet. A field holding the
// separator, a quote, a CR or a LF is put in quotes with each of its quotes doubled; other fields
// are written as they are.
void AppendExportHeader(TExportFormat format, std::string& out);
// The header line alone, without the byte-order mark (for text that is not a file: the
// clipboard).
void AppendExportHeaderLine(TExportFormat format, std::string& out);
void AppendExportRow(TExportFormat format, std::int64_t rowNumber, const TLogRecord& record,
                     std::string& out);

// True for a field whose first character is '=', '+', '-', '@', a TAB or a CR, unless it is a
// plain number ("-1", "+5", "-3.25"), which stays a number.
bool ReadsAsAFormula(std::string_view field);

// One field as the export writes it (quoted when needed), appended to `out`: UTF-8 text (a
// record's field) is copied as it is, UTF-16 text (a header, a window's cell) converted.
void AppendExportField(TExportFormat format, std::string_view field, std::string& out);
void AppendExportField(TExportFormat format, std::u16string_view field, std::string& out);

// The file of a count table (CountValues) as the export writes files: the byte-order mark, a line
// of `header` and "次数", then a line a value with its count. Throws OsError naming the path;
// leaves no file under that name on failure.
void ExportValueCounts(TExportFormat format, std::u16string_view header,
                       const std::vector<TValueCount>& counts, std::u16string_view path);

// Writes a result list to a file a few rows at a time, so that the caller can report progress
// and yield between the steps. The file appears under its name only when Finish succeeds; a
// failure (OsError, naming the path) or dropping the export before Finish leaves no file there.
class TResultExport {
 public:
  // Opens the file; the records are the export's own copy, unaffected by later queries.
  TResultExport(TLogList records, TExportFormat format, std::u16string_view path);

  std::size_t RowCount() const noexcept { return records_.size(); }
  std::size_t RowsWritten() const noexcept { return written_; }
  // Writes up to `count` more rows.
  void WriteRows(std::size_t count);
  // Writes what is left and puts the file in place.
  void Finish();

 private:
  void Flush();

  TLogList records_;
  TExportFormat format_;
  std::optional<platform::TReplacingFile> file_;  // a text format's
  std::unique_ptr<TWorkbookWriter> workbook_;     // the workbook's
  std::string buffer_;
  std::size_t written_ = 0;
};

}  // namespace core
