#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/log_record.h"

namespace core {

// How a keyword is compared with a field.
enum class TMatchMode : std::uint8_t {
  kFolded,  // substring, with A-Z folded to a-z on both sides (no other character folds)
  kExact,   // the whole field, code unit by code unit, case significant
};

// Compares one field value with a keyword. Folded: true when the folded keyword occurs in the
// folded value; an empty value never matches. Exact: true when both are the same text (two empty
// texts are the same).
bool MatchText(std::u16string_view value, std::u16string_view keyword, TMatchMode mode);

// One keyword condition, prepared once and tested against many records: the keyword (arriving
// trimmed and non-empty), the column-box text that binds it and the match mode.
class TKeywordCondition {
 public:
  TKeywordCondition(std::u16string_view keyword, std::u16string_view column, TMatchMode mode);

  // "所有列": true when any of the six searchable fields matches. One of the six column names:
  // that field alone. Any other column text, an empty one included: false.
  bool Matches(const TLogRecord& record) const;

 private:
  enum class TScope : std::uint8_t { kNone, kOneField, kAllSearchable };

  std::u16string keyword_;  // already folded in kFolded mode
  TMatchMode mode_;
  TScope scope_ = TScope::kNone;
  std::size_t field_ = 0;  // stored-field index, for kOneField
};

// Tests one condition against one record (see TKeywordCondition).
bool MatchKeyword(const TLogRecord& record, std::u16string_view keyword, std::u16string_view column,
                  TMatchMode mode);

// Removes every leading and trailing character at or below U+0020.
std::u16string_view TrimText(std::u16string_view text) noexcept;

}  // namespace core
