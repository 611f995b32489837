#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/log_record.h"

namespace core {

// An Excel workbook (.xlsx) of a result, written a row at a time: the grid's fifteen columns, 序号
// as a number and every other column as text (so that a serial of any length, a leading zero
// and a text that looks like a formula arrive as the log had them); a bold header row frozen at
// the top; the grid's column widths. A result longer than a sheet holds continues on further
// sheets ("结果 1", "结果 2", ...), each with its header row. The file appears under its name only
// when Finish succeeds; any failure is an OsError naming the path. Memory stays flat however
// many rows: the rows go to temporary files on the way.
class TWorkbookWriter {
 public:
  // Data rows a sheet holds under its header row: Excel's 1,048,576 rows less one.
  static constexpr std::int64_t kSheetDataRows = 1'048'575;

  // `sheetDataRows` is the rows a sheet takes before the next begins (1 and up; fewer than the
  // format's limit only where a test needs several sheets of a small result).
  explicit TWorkbookWriter(std::u16string_view path, std::int64_t sheetDataRows = kSheetDataRows);
  ~TWorkbookWriter();
  TWorkbookWriter(const TWorkbookWriter&) = delete;
  TWorkbookWriter& operator=(const TWorkbookWriter&) = delete;

  void WriteRow(std::int64_t rowNumber, const TLogRecord& record);
  // Completes the workbook and puts it in place.
  void Finish();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace core
