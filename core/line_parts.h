#pragma once

// Splitting a log line into its TAB-separated parts and storing the kept parts as one record.
// Works on decoded text (char16_t) and on undecoded bytes (char) alike: in every code page the
// logs may use, TAB is one byte that never occurs inside a multi-byte character.

#include <cstddef>
#include <cstring>

#include "core/log_record.h"
#include "core/record_block.h"

namespace core {

// The parts of a line up to part 16; later parts are never read.
template <class Unit>
struct TLineParts {
  static constexpr std::size_t kMaxParts = 17;
  const Unit* begin[kMaxParts];
  const Unit* end[kMaxParts];
  std::size_t count = 0;  // parts the line has, at most kMaxParts
};

inline const char* FindTab(const char* first, const char* last) noexcept {
  const void* tab = std::memchr(first, '\t', static_cast<std::size_t>(last - first));
  return tab != nullptr ? static_cast<const char*>(tab) : last;
}

inline const char16_t* FindTab(const char16_t* first, const char16_t* last) noexcept {
  while (first != last && *first != u'\t')
    ++first;
  return first;
}

// Every TAB ends a part; n TABs give n + 1 parts, empty ones included.
template <class Unit>
TLineParts<Unit> SplitLineParts(const Unit* first, const Unit* last) noexcept {
  TLineParts<Unit> parts;
  for (;;) {
    const Unit* tab = FindTab(first, last);
    parts.begin[parts.count] = first;
    parts.end[parts.count] = tab;
    ++parts.count;
    if (tab == last || parts.count == TLineParts<Unit>::kMaxParts) break;
    first = tab + 1;
  }
  return parts;
}

// Appends the record of one split line to `builder`. `convert(first, last, out)` writes the
// UTF-16 text of one part at `out` and returns the units written; the line's fields never need
// more units than the line has units, which the caller keeps within builder.FreeUnits().
template <class Unit, class Convert>
void AddLineRecord(TRecordBlockBuilder& builder, const TLineParts<Unit>& parts, Convert&& convert) {
  char16_t* out = builder.LineStart();
  for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
    const std::size_t part = kFieldLinePart[field];
    if (part < parts.count) out += convert(parts.begin[part], parts.end[part], out);
    builder.EndField(out);
  }
  builder.CommitLine();
}

}  // namespace core
