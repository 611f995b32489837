#include "core/value_counts.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "core/record_sort.h"

namespace core {

std::vector<TValueCount> CountValues(const TLogList& records, TLogField field) {
  // The values point into the records' blocks, which `records` keeps alive meanwhile.
  std::unordered_map<std::string_view, std::int64_t> counts;
  TLogList::TCursor cursor(records);
  for (std::size_t i = 0; i < records.size(); ++i)
    ++counts[cursor.At(i).Field(field)];
  std::vector<std::pair<std::string_view, std::int64_t>> ordered(counts.begin(), counts.end());
  std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
    if (a.second != b.second) return a.second > b.second;
    const std::strong_ordering order = CompareValues(a.first, b.first);
    return order != 0 ? order < 0 : a.first < b.first;  // "007" and "7": by their bytes
  });
  std::vector<TValueCount> table;
  table.reserve(ordered.size());
  for (const auto& [value, count] : ordered)
    table.push_back({std::string(value), count});
  return table;
}

}  // namespace core
