#include "core/keyword_match.h"

#include <algorithm>

#include "platform/vector_ops.h"

namespace core {

namespace {

constexpr char16_t FoldAscii(char16_t unit) noexcept {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

std::u16string FoldAscii(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded)
    unit = FoldAscii(unit);
  return folded;
}

// Where the already folded, non-empty `needle` first occurs in `haystack` folded, at or after
// `from`; npos when it does not.
std::size_t FindFolded(std::u16string_view haystack, std::u16string_view needle,
                       std::size_t from) noexcept {
  if (needle.size() > haystack.size()) return std::u16string_view::npos;
  const char16_t first = needle[0];
  // The only unit besides `first` that folds to it: its capital, for a lower-case ASCII letter.
  const char16_t firstCapital =
      first >= u'a' && first <= u'z' ? static_cast<char16_t>(first - (u'a' - u'A')) : first;
  const std::size_t lastStart = haystack.size() - needle.size();
  const char16_t* text = haystack.data();
  for (std::size_t at = from; at <= lastStart; ++at) {
    at += platform::FindEitherUnit(text + at, lastStart + 1 - at, first, firstCapital);
    if (at > lastStart) break;
    std::size_t k = 1;
    while (k < needle.size() && FoldAscii(text[at + k]) == needle[k])
      ++k;
    if (k == needle.size()) return at;
  }
  return std::u16string_view::npos;
}

}  // namespace

std::u16string_view TrimText(std::u16string_view text) noexcept {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] <= u' ')
    ++first;
  while (last > first && text[last - 1] <= u' ')
    --last;
  return text.substr(first, last - first);
}

bool MatchText(std::u16string_view value, std::u16string_view keyword, TMatchMode mode) {
  if (mode == TMatchMode::kExact) return value == keyword;
  if (value.empty()) return false;
  if (keyword.empty()) return true;
  return FindFolded(value, FoldAscii(keyword), 0) != std::u16string_view::npos;
}

TKeywordCondition::TKeywordCondition(std::u16string_view keyword, std::u16string_view column,
                                     TMatchMode mode)
    : keyword_(mode == TMatchMode::kFolded ? FoldAscii(keyword) : std::u16string(keyword)),
      mode_(mode) {
  if (column == kAllColumns) {
    scope_ = TScope::kAllSearchable;
    return;
  }
  const auto bound =
      std::find_if(SEARCHABLE_COLUMNS.begin(), SEARCHABLE_COLUMNS.end(),
                   [column](const TSearchableColumn& c) { return c.name == column; });
  if (bound != SEARCHABLE_COLUMNS.end()) {
    scope_ = TScope::kOneField;
    field_ = static_cast<std::size_t>(bound->field);
  }
}

bool TKeywordCondition::Matches(const TLogRecord& record) const {
  if (scope_ == TScope::kNone) return false;
  const TFieldSpans spans = record.Spans();
  const auto matchField = [this](std::u16string_view value) {
    if (mode_ == TMatchMode::kExact) return value == keyword_;
    return !value.empty() &&
           (keyword_.empty() || FindFolded(value, keyword_, 0) != std::u16string_view::npos);
  };
  if (scope_ == TScope::kOneField) return matchField(spans.Field(field_));
  if (mode_ == TMatchMode::kExact || keyword_.empty()) {
    for (std::size_t i = 0; i < kSearchableColumnCount; ++i) {
      if (matchField(spans.Field(i))) return true;
    }
    return false;
  }
  // The six searchable fields are stored one after another: scan them as one run, and accept a
  // hit only when it lies inside a single field.
  const std::u16string_view run = spans.Run(kSearchableColumnCount);
  std::size_t field = 0;
  for (std::size_t at = FindFolded(run, keyword_, 0); at != std::u16string_view::npos;
       at = FindFolded(run, keyword_, at + 1)) {
    while (spans.End(field) <= at)
      ++field;
    if (at + keyword_.size() <= spans.End(field)) return true;
  }
  return false;
}

bool MatchKeyword(const TLogRecord& record, std::u16string_view keyword, std::u16string_view column,
                  TMatchMode mode) {
  return TKeywordCondition(keyword, column, mode).Matches(record);
}

}  // namespace core
