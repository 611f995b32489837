#include "core/keyword_match.h"

#include <algorithm>

#include "platform/unicode.h"
#include "platform/vector_ops.h"

namespace core {

namespace {

// A-Z to a-z, a byte of UTF-8 or a UTF-16 unit; nothing else changes.
template <class Unit>
constexpr Unit FoldUnit(Unit unit) noexcept {
  return unit >= Unit{'A'} && unit <= Unit{'Z'} ? static_cast<Unit>(unit + ('a' - 'A')) : unit;
}

template <class Text>
Text FoldAscii(Text text) {
  for (auto& unit : text)
    unit = FoldUnit(unit);
  return text;
}

bool MatchFolded(std::string_view value, std::string_view foldedKeyword, TTextEnd end) {
  return !value.empty() && (foldedKeyword.empty() ||
                            FindFolded(value, foldedKeyword, 0, end) != std::string_view::npos);
}

}  // namespace

static_assert(kFieldReadSlack >= platform::kFindBytePairSlack);

std::size_t FindFolded(std::string_view haystack, std::string_view needle, std::size_t from,
                       TTextEnd end) noexcept {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  // The only byte besides a lower-case ASCII letter that folds to it is its capital.
  const auto capital = [](char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - ('a' - 'A')) : byte;
  };
  const char first = needle.front();
  const char last = needle.back();
  const char firstOther = capital(first);
  const char lastOther = capital(last);
  const std::size_t lastStart = haystack.size() - needle.size();
  const char* text = haystack.data();
  for (std::size_t at = from; at <= lastStart; ++at) {
    // Every place from `at` on lies in the text, so a slack past the text is a slack past the
    // bytes searched from there.
    const std::size_t count = lastStart + 1 - at;
    at += end == TTextEnd::kSlack
              ? platform::FindBytePairInSlack(text + at, count, needle.size() - 1, first,
                                              firstOther, last, lastOther)
              : platform::FindBytePair(text + at, count, needle.size() - 1, first, firstOther, last,
                                       lastOther);
    if (at > lastStart) break;
    std::size_t k = 1;
    while (k < needle.size() && FoldUnit(text[at + k]) == needle[k])
      ++k;
    if (k == needle.size()) return at;
  }
  return std::string_view::npos;
}

std::u16string_view TrimText(std::u16string_view text) noexcept {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] <= u' ')
    ++first;
  while (last > first && text[last - 1] <= u' ')
    --last;
  return text.substr(first, last - first);
}

bool MatchText(std::string_view value, std::string_view keyword, TMatchMode mode) {
  if (mode == TMatchMode::kExact) return value == keyword;
  return MatchFolded(value, FoldAscii(std::string(keyword)), TTextEnd::kHard);
}

TKeywordCondition::TKeywordCondition(std::u16string_view keyword, std::u16string_view column,
                                     TMatchMode mode)
    : mode_(mode) {
  if (platform::IsWellFormedUtf16(keyword)) {
    keyword_ = platform::Utf16ToUtf8(keyword);
    if (mode_ == TMatchMode::kFolded) keyword_ = FoldAscii(std::move(keyword_));
  } else {
    unpaired_ =
        mode_ == TMatchMode::kFolded ? FoldAscii(std::u16string(keyword)) : std::u16string(keyword);
  }
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

bool TKeywordCondition::MatchesField(std::string_view value) const {
  if (!unpaired_.empty()) {
    // A field is well-formed, so it never equals such a keyword.
    if (mode_ == TMatchMode::kExact || value.empty()) return false;
    return FoldAscii(platform::Utf8ToUtf16(value)).find(unpaired_) != std::u16string::npos;
  }
  if (mode_ == TMatchMode::kExact) return value == keyword_;
  return MatchFolded(value, keyword_, TTextEnd::kSlack);
}

bool TKeywordCondition::Matches(const TLogRecord& record) const {
  if (scope_ == TScope::kNone) return false;
  const TFieldSpans spans = record.Spans();
  if (scope_ == TScope::kOneField) return MatchesField(spans.Field(field_));
  if (mode_ == TMatchMode::kExact || keyword_.empty()) {
    for (std::size_t i = 0; i < kSearchableColumnCount; ++i) {
      if (MatchesField(spans.Field(i))) return true;
    }
    return false;
  }
  // The six searchable fields are stored one after another: scan them as one run, and accept a
  // hit only when it lies inside a single field.
  const std::string_view run = spans.Run(kSearchableColumnCount);
  std::size_t field = 0;
  for (std::size_t at = FindFolded(run, keyword_, 0, TTextEnd::kSlack);
       at != std::string_view::npos; at = FindFolded(run, keyword_, at + 1, TTextEnd::kSlack)) {
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
