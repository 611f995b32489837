#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/log_list.h"
#include "core/log_record.h"

namespace core {

enum class TSortDirection : std::uint8_t { kAscending, kDescending };

// The order the grid sorts a column's values in: a value of digits alone is a number of any
// length (a 19-digit serial included; leading zeros do not count), and comes before every other
// value; other values compare by code point (UTF-8 bytes in order).
std::strong_ordering CompareValues(std::string_view a, std::string_view b) noexcept;

// `records` in the order of their `field`, ascending or descending; records with equal values
// keep the order they had (a stable sort), in both directions.
TLogList SortRecords(const TLogList& records, TLogField field, TSortDirection direction);

// The places of `values` in the order above, values equal in it ("007" and "7") by their bytes,
// equal ones by their places: order[0] is the place of the first value. At most 2^30 values.
std::vector<std::uint32_t> OrderOfValues(std::span<const std::string_view> values);

}  // namespace core
