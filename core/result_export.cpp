#include "core/result_export.h"

#include "core/log_record.h"
#include "core/status_texts.h"
#include "platform/unicode.h"

namespace core {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

char Separator(TExportFormat format) {
  return format == TExportFormat::kCsv ? ',' : '\t';
}

}  // namespace

void AppendExportField(TExportFormat format, std::string_view field, std::string& out) {
  const char separator = Separator(format);
  const bool quoted =
      field.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos;
  if (!quoted) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendExportField(TExportFormat format, std::u16string_view field, std::string& out) {
  AppendExportField(format, std::string_view(platform::Utf16ToUtf8(field)), out);
}

void AppendExportHeader(TExportFormat format, std::string& out) {
  out += kByteOrderMark;
  AppendExportHeaderLine(format, out);
}

void AppendExportHeaderLine(TExportFormat format, std::string& out) {
  for (std::size_t column = 0; column < kGridColumnCount; ++column) {
    if (column > 0) out += Separator(format);
    AppendExportField(format, GRID_HEADERS[column].header, out);
  }
  out += kLineEnd;
}

void AppendExportRow(TExportFormat format, std::int64_t rowNumber, const TLogRecord& record,
                     std::string& out) {
  for (std::size_t column = 0; column < kGridColumnCount; ++column) {
    if (column > 0) out += Separator(format);
    const TGridColumn& grid = GRID_HEADERS[column];
    if (grid.field) {
      AppendExportField(format, record.Field(*grid.field), out);
    } else {
      out += platform::Utf16ToUtf8(DecimalText(rowNumber));
    }
  }
  out += kLineEnd;
}

TResultExport::TResultExport(TLogList records, TExportFormat format, std::u16string_view path)
    : records_(std::move(records)), format_(format), file_(path) {
  AppendExportHeader(format_, buffer_);
}

void TResultExport::WriteRows(std::size_t count) {
  const std::size_t end = std::min(records_.size(), written_ + count);
  for (; written_ < end; ++written_) {
    AppendExportRow(format_, static_cast<std::int64_t>(written_ + 1), records_[written_], buffer_);
    if (buffer_.size() >= kFlushBytes) Flush();
  }
}

void TResultExport::Finish() {
  WriteRows(records_.size() - written_);
  Flush();
  file_.Commit();
}

void TResultExport::Flush() {
  file_.Write(buffer_);
  buffer_.clear();
}

}  // namespace core
