#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/log_list.h"
#include "core/log_record.h"

namespace core {

// One distinct value of a column in a result, and how many records hold it.
struct TValueCount {
  std::string value;  // UTF-8
  std::int64_t count = 0;
  friend bool operator==(const TValueCount&, const TValueCount&) = default;
};

// The distinct values of `field` in `records` with their counts, the most frequent first; values
// as frequent as one another in the order the grid sorts them (CompareValues). An empty value is
// a value like any other.
std::vector<TValueCount> CountValues(const TLogList& records, TLogField field);

}  // namespace core
