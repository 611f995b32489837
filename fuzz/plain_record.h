#pragma once

// The plain reading of one log line the fuzz targets compare the engine with: split at every
// TAB into parts numbered from 0, each field from its part number, empty when the line has no
// such part.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_record.h"

namespace korlo_fuzz {

// The line part each field comes from, in core::TLogField order: Account, CharName, ItemSerial,
// ItemID, ItemName, Relation, MapCode, PosX, PosY, Level, Param1, Param2, Remark, LogTime and
// Action (a copy of LogTime).
inline constexpr std::array<std::size_t, core::kLogFieldCount> kPartOfField = {
    1, 3, 9, 10, 11, 14, 5, 6, 7, 8, 12, 13, 15, 16, 16};

// The fifteen field texts of a line, in core::TLogField order.
using TPlainFields = std::array<std::u16string, core::kLogFieldCount>;

inline TPlainFields PlainFields(std::u16string_view line) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  for (std::size_t tab = line.find(u'\t'); tab != std::u16string_view::npos;
       tab = line.find(u'\t', start)) {
    parts.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  parts.push_back(line.substr(start));
  TPlainFields fields;
  for (std::size_t field = 0; field < core::kLogFieldCount; ++field) {
    if (kPartOfField[field] < parts.size()) fields[field] = parts[kPartOfField[field]];
  }
  return fields;
}

// `text` without its leading and trailing units at or below U+0020.
inline std::u16string_view PlainTrim(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() <= u' ')
    text.remove_suffix(1);
  return text;
}

}  // namespace korlo_fuzz
