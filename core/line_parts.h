#pragma once

// Splitting a log line into its TAB-separated parts and storing the kept parts as one record.
// Works on decoded text and on undecoded bytes alike: in every code page the logs may use, and in
// UTF-8, TAB is one byte that never occurs inside a multi-byte character.

#include <cstddef>
#include <cstdint>

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

// Every TAB ends a part; n TABs give n + 1 parts, empty ones included.
template <class Unit>
TLineParts<Unit> SplitLineParts(const Unit* first, const Unit* last) noexcept {
  TLineParts<Unit> parts;
  parts.begin[0] = first;
  for (const Unit* at = first; at != last; ++at) {
    if (*at != Unit{'\t'}) continue;
    parts.end[parts.count] = at;
    if (++parts.count == TLineParts<Unit>::kMaxParts) return parts;  // later parts: unread
    parts.begin[parts.count] = at + 1;
  }
  parts.end[parts.count] = last;
  ++parts.count;
  return parts;
}

// Appends the record of one split line to `builder`: `writeField(part, out)` writes the UTF-8
// text of line part `part` at `out` and returns the bytes written. The caller keeps the most the
// fields can take within builder.FreeBytes(); `restBytes` is as for LineStart.
template <class Unit, class WriteField>
void AddLineRecord(TRecordBlockBuilder& builder, const TLineParts<Unit>& parts,
                   std::size_t restBytes, WriteField&& writeField) {
  char* const start = builder.LineStart(restBytes);
  char* out = start;
  TRecordBlockBuilder::TFieldEnds ends;
  for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
    const std::size_t part = kFieldLinePart[field];
    if (part < parts.count) out += writeField(part, out);
    ends[field] = static_cast<std::uint32_t>(out - start);
  }
  builder.CommitLine(ends);
}

}  // namespace core
