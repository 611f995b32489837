#pragma once

// Splitting a log line into its TAB-separated parts and storing the kept parts as one record.
// Works on decoded text (char16_t) and on undecoded bytes (char) alike: in every code page the
// logs may use, TAB is one byte that never occurs inside a multi-byte character.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

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

namespace line_parts_detail {

// 0x80 in every byte of `word` that is zero, 0 elsewhere; exact (no carry between bytes).
constexpr std::uint64_t ZeroBytes(std::uint64_t word) noexcept {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

}  // namespace line_parts_detail

// Every TAB ends a part; n TABs give n + 1 parts, empty ones included.
template <class Unit>
TLineParts<Unit> SplitLineParts(const Unit* first, const Unit* last) noexcept {
  TLineParts<Unit> parts;
  parts.begin[0] = first;
  const auto endPart = [&parts](const Unit* tab) {
    parts.end[parts.count] = tab;
    if (++parts.count == TLineParts<Unit>::kMaxParts) return true;  // later parts: unread
    parts.begin[parts.count] = tab + 1;
    return false;
  };
  const Unit* at = first;
  if constexpr (sizeof(Unit) == 1 && std::endian::native == std::endian::little) {
    // Eight bytes at a time: the TABs of a word come as a bit mask, with no branch per byte.
    constexpr std::uint64_t kTabs = 0x0909090909090909ull;
    for (; last - at >= 8; at += 8) {
      std::uint64_t word;
      std::memcpy(&word, at, sizeof word);
      for (std::uint64_t tabs = line_parts_detail::ZeroBytes(word ^ kTabs); tabs != 0;
           tabs &= tabs - 1) {
        if (endPart(at + (std::countr_zero(tabs) >> 3))) return parts;
      }
    }
  }
  for (; at != last; ++at) {
    if (*at == Unit{'\t'} && endPart(at)) return parts;
  }
  parts.end[parts.count] = last;
  ++parts.count;
  return parts;
}

// Appends the record of one split line to `builder`. Each kept part is first widened unit by
// unit; `decode(first, last, out)` rewrites a part that holds a unit at or above 0x80 (for
// bytes: one that needs decoding) and returns the units written. The fields never need more
// units than the line has units, which the caller keeps within builder.FreeUnits().
template <class Unit, class Decode>
void AddLineRecord(TRecordBlockBuilder& builder, const TLineParts<Unit>& parts, Decode&& decode) {
  char16_t* out = builder.LineStart();
  for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
    const std::size_t part = kFieldLinePart[field];
    if (part < parts.count) {
      const Unit* from = parts.begin[part];
      const auto length = static_cast<std::size_t>(parts.end[part] - from);
      std::uint32_t seen = 0;
      for (std::size_t i = 0; i < length; ++i) {
        const auto unit = static_cast<std::make_unsigned_t<Unit>>(from[i]);
        out[i] = static_cast<char16_t>(unit);
        seen |= unit;
      }
      out += seen < 0x80 ? length : decode(from, parts.end[part], out);
    }
    builder.EndField(out);
  }
  builder.CommitLine();
}

}  // namespace core
