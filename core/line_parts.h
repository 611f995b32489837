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
#include "core/swar.h"

namespace core {

// The parts of a line up to part 16; later parts are never read.
template <class Unit>
struct TLineParts {
  static constexpr std::size_t kMaxParts = 17;
  const Unit* begin[kMaxParts];
  const Unit* end[kMaxParts];
  std::size_t count = 0;  // parts the line has, at most kMaxParts
};

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
      for (std::uint64_t tabs = swar::ZeroBytes(word ^ kTabs); tabs != 0; tabs &= tabs - 1) {
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

namespace line_parts_detail {

// Widens the ASCII bytes [from, from + length) to UTF-16 at `out`, eight at a time; `readable`
// ends the bytes that may be read (reads go up to seven bytes past the part) and `out` must
// have room for seven units past the part. False, with `out` partly written, when the part
// holds a byte at or above 0x80.
inline bool WidenAscii(const char* from, std::size_t length, const char* readable,
                       char16_t* out) noexcept {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  const auto spread = [](std::uint64_t four) {  // four bytes to four little-endian units
    four = (four | four << 16) & 0x0000FFFF0000FFFFull;
    return (four | four << 8) & 0x00FF00FF00FF00FFull;
  };
  std::size_t i = 0;
  for (; i < length && readable - (from + i) >= 8; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, from + i, sizeof word);
    const std::size_t valid = length - i < 8 ? length - i : 8;
    const std::uint64_t mask = valid == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << 8 * valid) - 1;
    if ((word & mask & kHighBits) != 0) return false;
    const std::uint64_t low = spread(word & 0xFFFFFFFFu);
    const std::uint64_t high = spread(word >> 32);
    std::memcpy(out + i, &low, sizeof low);
    std::memcpy(out + i + 4, &high, sizeof high);
  }
  for (; i < length; ++i) {  // the last bytes of the readable text
    const auto byte = static_cast<unsigned char>(from[i]);
    if (byte >= 0x80) return false;
    out[i] = byte;
  }
  return true;
}

}  // namespace line_parts_detail

// Appends the record of one split line to `builder`. ASCII parts are widened in place;
// `decode(first, last, out)` writes the UTF-16 text of any other part at `out` and returns the
// units written. `readable` ends the units that may be read, at or after the line's end. The
// fields never need more units than the line has units, which the caller keeps within
// builder.FreeUnits().
template <class Unit, class Decode>
void AddLineRecord(TRecordBlockBuilder& builder, const TLineParts<Unit>& parts,
                   const Unit* readable, Decode&& decode) {
  char16_t* out = builder.LineStart();
  for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
    const std::size_t part = kFieldLinePart[field];
    if (part < parts.count) {
      const Unit* from = parts.begin[part];
      const Unit* to = parts.end[part];
      const auto length = static_cast<std::size_t>(to - from);
      bool widened = false;
      if constexpr (sizeof(Unit) == 1 && std::endian::native == std::endian::little) {
        widened = line_parts_detail::WidenAscii(from, length, readable, out);
      }
      out += widened ? length : decode(from, to, out);
    }
    builder.EndField(out);
  }
  builder.CommitLine();
}

}  // namespace core
