#include "core/record_sort.h"

#include <algorithm>
#include <vector>

namespace core {

namespace {

bool AllDigits(std::string_view text) noexcept {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A value as the sort compares it: a number's digits without their leading zeros, or the text.
struct TKey {
  std::string_view text;
  bool number = false;
  std::uint32_t record = 0;  // the record's index in the list sorted
};

TKey KeyOf(std::string_view value, std::uint32_t record) noexcept {
  if (!AllDigits(value)) return {value, false, record};
  const std::size_t first = std::min(value.find_first_not_of('0'), value.size() - 1);
  return {value.substr(first), true, record};
}

std::strong_ordering CompareKeys(const TKey& a, const TKey& b) noexcept {
  if (a.number != b.number)
    return a.number ? std::strong_ordering::less : std::strong_ordering::greater;
  if (a.number && a.text.size() != b.text.size()) return a.text.size() <=> b.text.size();
  const int order = a.text.compare(b.text);
  return order < 0   ? std::strong_ordering::less
         : order > 0 ? std::strong_ordering::greater
                     : std::strong_ordering::equal;
}

}  // namespace

std::strong_ordering CompareValues(std::string_view a, std::string_view b) noexcept {
  return CompareKeys(KeyOf(a, 0), KeyOf(b, 0));
}

TLogList SortRecords(const TLogList& records, TLogField field, TSortDirection direction) {
  // The records held once, so that their field texts stay valid while the keys point into them.
  std::vector<TLogRecord> held;
  held.reserve(records.size());
  std::vector<TKey> keys;
  keys.reserve(records.size());
  TLogList::TCursor cursor(records);
  for (std::size_t i = 0; i < records.size(); ++i) {
    held.push_back(cursor.At(i));
    keys.push_back(KeyOf(held.back().Field(field), static_cast<std::uint32_t>(i)));
  }
  if (direction == TSortDirection::kAscending) {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const TKey& a, const TKey& b) { return CompareKeys(a, b) < 0; });
  } else {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const TKey& a, const TKey& b) { return CompareKeys(a, b) > 0; });
  }
  TLogList sorted;
  sorted.reserve(keys.size());
  for (const TKey& key : keys)
    sorted.push_back(held[key.record]);
  return sorted;
}

}  // namespace core
