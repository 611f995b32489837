#include "core/result_export.h"

#include <algorithm>

#include "core/log_record.h"
#include "core/status_texts.h"
#include "platform/unicode.h"

namespace core {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

// The text formats' separator (a workbook has none: its rows never go through here).
char Separator(TExportFormat format) {
  return format == TExportFormat::kCsv ? ',' : '\t';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A number as a spreadsheet reads one: a sign, digits, and a fraction ("-1", "+5", "-3.25").
bool IsPlainNumber(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const auto digits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), IsDigit);
  };
  return !text.empty() && text != "." && digits(whole) && digits(fraction);
}

}  // namespace

bool ReadsAsAFormula(std::string_view field) {
  if (field.empty()) return false;
  const char first = field.front();
  const bool trigger = first == '=' || first == '+' || first == '-' || first == '@' ||
                       first == '\t' || first == '\r';
  return trigger && !IsPlainNumber(field);
}

void AppendExportField(TExportFormat format, std::string_view field, std::string& out) {
  std::string guarded;
  if (ReadsAsAFormula(field)) {
    guarded.reserve(field.size() + 1);
    guarded += '\'';
    guarded += field;
    field = guarded;
  }
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

void ExportValueCounts(TExportFormat format, std::u16string_view header,
                       const std::vector<TValueCount>& counts, std::u16string_view path) {
  platform::TReplacingFile file(path);
  std::string text(kByteOrderMark);
  AppendExportField(format, header, text);
  text += Separator(format);
  AppendExportField(format, std::u16string_view(u"次数"), text);
  text += kLineEnd;
  for (const TValueCount& row : counts) {
    AppendExportField(format, std::string_view(row.value), text);
    text += Separator(format);
    text += std::to_string(row.count);
    text += kLineEnd;
    if (text.size() >= kFlushBytes) {
      file.Write(text);
      text.clear();
    }
  }
  file.Write(text);
  file.Commit();
}

TResultExport::TResultExport(TLogList records, TExportFormat format, std::u16string_view path)
    : records_(std::move(records)), format_(format) {
  if (format_ == TExportFormat::kXlsx) {
    workbook_ = std::make_unique<TWorkbookWriter>(path);
    return;
  }
  file_.emplace(path);
  AppendExportHeader(format_, buffer_);
}

void TResultExport::WriteRows(std::size_t count) {
  const std::size_t end = std::min(records_.size(), written_ + count);
  TLogList::TCursor cursor(records_);
  for (; written_ < end; ++written_) {
    const auto rowNumber = static_cast<std::int64_t>(written_ + 1);
    if (workbook_) {
      workbook_->WriteRow(rowNumber, cursor.At(written_));
      continue;
    }
    AppendExportRow(format_, rowNumber, cursor.At(written_), buffer_);
    if (buffer_.size() >= kFlushBytes) Flush();
  }
}

void TResultExport::Finish() {
  WriteRows(records_.size() - written_);
  if (workbook_) {
    workbook_->Finish();
    return;
  }
  Flush();
  file_->Commit();
}

void TResultExport::Flush() {
  file_->Write(buffer_);
  buffer_.clear();
}

}  // namespace core
