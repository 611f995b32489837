#include "core/log_record.h"

#include "core/line_parts.h"
#include "platform/code_page.h"
#include "platform/text_decoder.h"
#include "platform/unicode.h"

namespace core {

namespace {

// The spans of a record with no block: every field empty, followed by the readable slack.
constexpr char kNoText[kFieldReadSlack + 1] = {};
constexpr std::uint8_t kNoEnds[kStoredFieldCount] = {};

std::size_t StoredIndex(TLogField field) noexcept {
  return field == TLogField::Action ? static_cast<std::size_t>(TLogField::LogTime)
                                    : static_cast<std::size_t>(field);
}

}  // namespace

TFieldSpans TLogRecord::Spans() const noexcept {
  if (!block_) return TFieldSpans(kNoText, kNoEnds, nullptr);
  return block_->Line(line_);
}

std::string_view TLogRecord::Field(TLogField field) const noexcept {
  return Spans().Field(StoredIndex(field));
}

bool operator==(const TLogRecord& a, const TLogRecord& b) noexcept {
  const TFieldSpans left = a.Spans();
  const TFieldSpans right = b.Spans();
  for (std::size_t i = 0; i < kStoredFieldCount; ++i) {
    if (left.Field(i) != right.Field(i)) return false;
  }
  return true;
}

TLogRecord ParseLogLine(std::string_view line) {
  const TLineParts<char> parts = SplitLineParts(line.data(), line.data() + line.size());
  const platform::TextDecoder& utf8 = platform::TextDecoder::For(platform::kCodePageUtf8);
  TRecordBlockBuilder builder(platform::TextDecoder::kMaxGrowth * line.size(), 1);
  AddLineRecord(builder, parts, line.size(), [&parts, &utf8](std::size_t part, char* out) {
    return utf8.Decode(
        {parts.begin[part], static_cast<std::size_t>(parts.end[part] - parts.begin[part])}, out);
  });
  return TLogRecord(builder.Finish(), 0);
}

TLogRecord ParseLogLine(std::u16string_view line) {
  return ParseLogLine(platform::Utf16ToUtf8(line));
}

const std::array<TGridColumn, kGridColumnCount> GRID_HEADERS = {{
    {u"序号", std::nullopt, 50},
    {u"帐号", TLogField::Account, 80},
    {u"角色名", TLogField::CharName, 120},
    {u"地图代码", TLogField::MapCode, 70},
    {u"坐标X", TLogField::PosX, 50},
    {u"坐标Y", TLogField::PosY, 50},
    {u"等级", TLogField::Level, 40},
    {u"物品流水号", TLogField::ItemSerial, 100},
    {u"物品ID", TLogField::ItemID, 70},
    {u"物品名称", TLogField::ItemName, 150},
    {u"参数1", TLogField::Param1, 80},
    {u"参数2", TLogField::Param2, 80},
    {u"关联", TLogField::Relation, 80},
    {u"记录时间", TLogField::LogTime, 120},
    {u"备注", TLogField::Remark, 100},
}};

const std::array<TSearchableColumn, kSearchableColumnCount> SEARCHABLE_COLUMNS = {{
    {u"帐号", TLogField::Account},
    {u"角色名", TLogField::CharName},
    {u"物品流水号", TLogField::ItemSerial},
    {u"物品ID", TLogField::ItemID},
    {u"物品名称", TLogField::ItemName},
    {u"关联", TLogField::Relation},
}};

}  // namespace core
