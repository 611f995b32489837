#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "core/record_block.h"

namespace core {

// The fifteen text fields of a log record, in declaration order. The first six are the
// searchable ones; `Action` is always a copy of `LogTime`.
enum class TLogField : std::uint8_t {
  Account,
  CharName,
  ItemSerial,
  ItemID,
  ItemName,
  Relation,
  MapCode,
  PosX,
  PosY,
  Level,
  Param1,
  Param2,
  Remark,
  LogTime,
  Action,
};
inline constexpr std::size_t kLogFieldCount = 15;

// The line part (counting from 0) each stored field is filled from, in declaration order;
// `Action` has no part of its own.
inline constexpr std::array<std::uint8_t, kStoredFieldCount> kFieldLinePart = {
    1, 3, 9, 10, 11, 14, 5, 6, 7, 8, 12, 13, 15, 16};

// One log line as fifteen texts, each well-formed UTF-8. A value of 8 bytes (its block's index in
// the block registry and its line there): copies compare and read the same, and a copy costs a
// reference count, never a text copy. The texts live in a shared, immutable block that every
// record of it keeps alive, so a record stays valid whatever happens to the list it came from.
// Not thread-safe: records are made, copied and dropped on one thread.
class TLogRecord {
 public:
  TLogRecord() = default;  // every field empty
  TLogRecord(TBlockRef block, std::uint32_t line) noexcept
      : block_(std::move(block)), line_(line) {}

  // The field's text, valid as long as this record or a copy of it lives.
  std::string_view Field(TLogField field) const noexcept;

  std::string_view Account() const noexcept { return Field(TLogField::Account); }
  std::string_view CharName() const noexcept { return Field(TLogField::CharName); }
  std::string_view ItemSerial() const noexcept { return Field(TLogField::ItemSerial); }
  std::string_view ItemID() const noexcept { return Field(TLogField::ItemID); }
  std::string_view ItemName() const noexcept { return Field(TLogField::ItemName); }
  std::string_view Relation() const noexcept { return Field(TLogField::Relation); }
  std::string_view MapCode() const noexcept { return Field(TLogField::MapCode); }
  std::string_view PosX() const noexcept { return Field(TLogField::PosX); }
  std::string_view PosY() const noexcept { return Field(TLogField::PosY); }
  std::string_view Level() const noexcept { return Field(TLogField::Level); }
  std::string_view Param1() const noexcept { return Field(TLogField::Param1); }
  std::string_view Param2() const noexcept { return Field(TLogField::Param2); }
  std::string_view Remark() const noexcept { return Field(TLogField::Remark); }
  std::string_view LogTime() const noexcept { return Field(TLogField::LogTime); }
  std::string_view Action() const noexcept { return Field(TLogField::Action); }

  // The stored fields as one run of text; lets a search over several fields scan one run.
  // Stored field i is declaration field i (`Account` to `LogTime`).
  TFieldSpans Spans() const noexcept;

  friend bool operator==(const TLogRecord& a, const TLogRecord& b) noexcept;
  // The same line of the same read (where operator== compares the texts): a record of the list
  // of all records keeps this identity through every refresh that does not read its file whole.
  bool IsSameLine(const TLogRecord& other) const noexcept {
    return block_.Index() == other.block_.Index() && line_ == other.line_;
  }

 private:
  friend class TLogList;  // stores records by their block and line

  TBlockRef block_;
  std::uint32_t line_ = 0;
};
static_assert(sizeof(TLogRecord) == 8, "a record is a block index and a line");

// Turns one trimmed, non-empty log line into a record: the line is split at every TAB into
// parts numbered from 0 (no quoting; n TABs give n + 1 parts), each field takes its part when
// the line has that part and stays empty otherwise; parts 0, 2, 4 and beyond 16 are not kept.
// `Action` equals `LogTime`. Reads no other state; fails only for want of memory. The line is
// UTF-8 as the loader decodes it (an ill-formed sequence becomes U+FFFD, as in a UTF-8 log), or
// UTF-16 (a lone surrogate becomes U+FFFD).
TLogRecord ParseLogLine(std::string_view line);
TLogRecord ParseLogLine(std::u16string_view line);

// One column of the results grid. `field` is empty for column 0, the row number.
struct TGridColumn {
  std::u16string_view header;
  std::optional<TLogField> field;
  int width;
};
inline constexpr std::size_t kGridColumnCount = 15;
extern const std::array<TGridColumn, kGridColumnCount> GRID_HEADERS;

// A column a keyword condition can be bound to, by its exact text.
struct TSearchableColumn {
  std::u16string_view name;
  TLogField field;
};
inline constexpr std::size_t kSearchableColumnCount = 6;
extern const std::array<TSearchableColumn, kSearchableColumnCount> SEARCHABLE_COLUMNS;

// The column-box text that binds a condition to all six searchable columns.
inline constexpr std::u16string_view kAllColumns = u"所有列";

}  // namespace core
