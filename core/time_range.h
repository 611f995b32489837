#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace core {

// The time range a query keeps, on the leading "YYYY-MM-DD HH:MM:SS" of a record's 记录时间
// (LogTime). Each bound is a prefix of that shape at a component's end ("2024", "2024-03",
// "2024-03-01", "2024-03-01 12", "2024-03-01 12:30", "2024-03-01 12:30:05"), or empty for none:
// the start keeps what begins at or after its first second ("2024-03-01 12" from 12:00:00), the
// end what begins at or before its last ("2024-03-01 12" to 12:59:59).
class TTimeRange {
 public:
  // Why texts make no range: a bound that is not such a prefix (with a month of 01-12, a day of
  // 01-31, an hour of 00-23, minutes and seconds of 00-59), or a start after the end.
  enum class TError : std::uint8_t { kBadStart, kBadEnd, kStartAfterEnd };

  TTimeRange() = default;
  // The range of the two inputs' texts, trimmed as the query trims its keywords.
  static std::variant<TTimeRange, TError> Parse(std::u16string_view start, std::u16string_view end);

  bool Empty() const noexcept { return start_.empty() && end_.empty(); }
  // Whether a record with this LogTime passes: always without bounds; otherwise only a LogTime
  // that begins with a timestamp inside them.
  bool Contains(std::string_view logTime) const noexcept;

 private:
  std::string start_;  // ASCII prefixes
  std::string end_;
};

// True when `text` begins with the shape "YYYY-MM-DD HH:MM:SS" (digits where the shape has
// them); the values are not checked.
bool StartsWithTimestamp(std::string_view text) noexcept;

}  // namespace core
