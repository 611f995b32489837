#include "core/time_range.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/keyword_match.h"

namespace core {

namespace {

constexpr std::string_view kShape = "0000-00-00 00:00:00";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The two digits at `at` as a number.
int TwoDigits(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// `text` as a bound: a prefix of the timestamp's shape ending where a component ends, with
// every component in its range; nothing when it is none.
std::optional<std::string> ParseBound(std::u16string_view input) {
  const std::u16string_view trimmed = TrimText(input);
  static constexpr std::array<std::size_t, 6> kEnds = {4, 7, 10, 13, 16, 19};
  bool atEnd = false;
  for (const std::size_t end : kEnds)
    atEnd = atEnd || trimmed.size() == end;
  if (!atEnd) return std::nullopt;
  std::string bound;
  for (std::size_t i = 0; i < trimmed.size(); ++i) {
    const char16_t unit = trimmed[i];
    const bool digit = kShape[i] == '0';
    if (digit ? !(unit >= u'0' && unit <= u'9') : unit != static_cast<char16_t>(kShape[i])) {
      return std::nullopt;
    }
    bound += static_cast<char>(unit);
  }
  struct TComponent {
    std::size_t at;
    int lowest;
    int highest;
  };
  static constexpr TComponent kComponents[] = {
      {5, 1, 12}, {8, 1, 31}, {11, 0, 23}, {14, 0, 59}, {17, 0, 59}};
  for (const TComponent& component : kComponents) {
    if (component.at + 2 > bound.size()) break;
    const int value = TwoDigits(bound, component.at);
    if (value < component.lowest || value > component.highest) return std::nullopt;
  }
  return bound;
}

}  // namespace

bool StartsWithTimestamp(std::string_view text) noexcept {
  if (text.size() < kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] == '0' ? !IsDigit(text[i]) : text[i] != kShape[i]) return false;
  }
  return true;
}

std::variant<TTimeRange, TTimeRange::TError> TTimeRange::Parse(std::u16string_view start,
                                                               std::u16string_view end) {
  TTimeRange range;
  if (!TrimText(start).empty()) {
    std::optional<std::string> bound = ParseBound(start);
    if (!bound) return TError::kBadStart;
    range.start_ = std::move(*bound);
  }
  if (!TrimText(end).empty()) {
    std::optional<std::string> bound = ParseBound(end);
    if (!bound) return TError::kBadEnd;
    range.end_ = std::move(*bound);
  }
  // The start's first second after the end's last: no timestamp could pass.
  if (!range.start_.empty() && !range.end_.empty()) {
    const std::size_t common = std::min(range.start_.size(), range.end_.size());
    if (range.start_.compare(0, common, range.end_, 0, common) > 0) return TError::kStartAfterEnd;
  }
  return range;
}

bool TTimeRange::Contains(std::string_view logTime) const noexcept {
  if (Empty()) return true;
  if (!StartsWithTimestamp(logTime)) return false;
  if (!start_.empty() && logTime.compare(0, start_.size(), start_) < 0) return false;
  if (!end_.empty() && logTime.compare(0, end_.size(), end_) > 0) return false;
  return true;
}

}  // namespace core
