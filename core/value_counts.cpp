#include "core/value_counts.h"

#include <algorithm>
#include <string_view>

#include "core/record_sort.h"

namespace core {

std::vector<TValueCount> CountValues(const TLogList& records, TLogField field) {
  // Counted in the values' order, then ordered by count: the stable sort keeps the values' order
  // among equal counts.
  std::vector<std::pair<std::string_view, std::int64_t>> counts = CountSortedValues(records, field);
  std::stable_sort(counts.begin(), counts.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<TValueCount> table;
  table.reserve(counts.size());
  for (const auto& [value, count] : counts)
    table.push_back({std::string(value), count});
  return table;
}

}  // namespace core
