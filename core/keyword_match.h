#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/log_record.h"

namespace core {

// How a keyword is compared with a field.
enum class TMatchMode : std::uint8_t {
  kFolded,  // substring, with A-Z folded to a-z on both sides (no other character folds)
  kExact,   // the whole field, character by character, case significant
};

// How far a search may read past the end of a text.
enum class TTextEnd : std::uint8_t {
  kHard,   // not one byte
  kSlack,  // kFieldReadSlack bytes, as after any field of a record (see TFieldSpans)
};

// Where `needle`, non-empty and already folded (no A-Z), first occurs in `haystack` with A-Z
// folded to a-z, at or after `from`; npos when it does not. `end` tells how far past the end of
// `haystack` the search may read.
std::size_t FindFolded(std::string_view haystack, std::string_view needle, std::size_t from,
                       TTextEnd end) noexcept;

// Compares one field value with a keyword, both well-formed UTF-8. Folded: true when the folded
// keyword occurs in the folded value; an empty value never matches. Exact: true when both are the
// same text (two empty texts are the same). Since no UTF-8 character's bytes occur inside another
// character's, bytes that match are characters that match, and A-Z are folded as bytes.
bool MatchText(std::string_view value, std::string_view keyword, TMatchMode mode);

// One keyword condition, prepared once and tested against many records: the keyword (arriving
// trimmed and non-empty) as the window gives it, in UTF-16, the column-box text that binds it and
// the match mode. The keyword is converted to UTF-8 here, once.
class TKeywordCondition {
 public:
  TKeywordCondition(std::u16string_view keyword, std::u16string_view column, TMatchMode mode);

  // "所有列": true when any of the six searchable fields matches. One of the six column names:
  // that field alone. Any other column text, an empty one included: false.
  bool Matches(const TLogRecord& record) const;

 private:
  enum class TScope : std::uint8_t { kNone, kOneField, kAllSearchable };

  bool MatchesField(std::string_view value) const;

  std::string keyword_;  // UTF-8, already folded in kFolded mode
  // A keyword holding a lone surrogate (a window can hold one) cannot be UTF-8: such a keyword
  // is kept as UTF-16, already folded, and compared with the field's UTF-16 units, so that it
  // matches exactly where its lone surrogates meet halves of a field's surrogate pairs.
  std::u16string unpaired_;
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
