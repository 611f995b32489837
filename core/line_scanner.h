#pragma once

// Cutting a log file's undecoded bytes into trimmed lines and TAB-separated parts in one pass.
// In every code page the logs may use, the bytes 0x00 to 0x20 are single characters that decode
// to U+0000 to U+0020 and never occur inside a multi-byte character, so lines can be cut,
// trimmed and split before anything is decoded.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/line_parts.h"
#include "platform/vector_ops.h"

namespace core {

// One line as the scanner gives it: trimmed, never empty. It starts where its first part does.
struct TScannedLine {
  // The end of the trimmed line: past the last kept part's end when the line has unread parts.
  const char* last = nullptr;
  TLineParts<char> parts;
};

// Gives the lines of a text that are not empty once trimmed, in order. A line ends at every CR
// and every LF: CR LF, a CR alone and an LF alone all end one, and the empty lines between two
// ends are skipped like any line that trims to nothing. Trimming removes every leading and
// trailing byte at or below 0x20. The parts are those of SplitLineParts on the trimmed line.
class TLineScanner {
 public:
  explicit TLineScanner(std::string_view text) noexcept
      : text_(text.data()), next_(text.data()), end_(text.data() + text.size()) {
    if (!text.empty()) LoadChunk(0);
  }

  bool Next(TScannedLine& line) noexcept {
    const char* at = next_;
    while (at != end_ && static_cast<unsigned char>(*at) <= kLastBlank)
      ++at;
    if (at == end_) {
      next_ = end_;
      return false;
    }
    TLineParts<char>& parts = line.parts;
    parts.count = 0;
    parts.begin[0] = at;
    const char* lineEnd = FindLineEnd(static_cast<std::size_t>(at - text_), parts);
    next_ = lineEnd == end_ ? end_ : lineEnd + 1;

    if (parts.count < TLineParts<char>::kMaxParts) parts.end[parts.count++] = lineEnd;
    const char* last = lineEnd;
    while (static_cast<unsigned char>(last[-1]) <= kLastBlank)
      --last;  // the line's first byte is not blank
    line.last = last;
    while (parts.count > 1 && parts.begin[parts.count - 1] > last)
      --parts.count;
    if (parts.end[parts.count - 1] > last) parts.end[parts.count - 1] = last;
    return true;
  }

 private:
  static constexpr unsigned char kLastBlank = 0x20;
  static constexpr std::size_t kChunk = platform::kByteClassesChunk;

  // The bits below bit `count`.
  static std::uint64_t LowBits(unsigned count) noexcept {
    return count < 64 ? (std::uint64_t{1} << count) - 1 : ~std::uint64_t{0};
  }

  // Ends the open part, if any part is still open, at the TAB `tab`.
  static void EndPart(TLineParts<char>& parts, const char* tab) noexcept {
    if (parts.count == TLineParts<char>::kMaxParts) return;  // later parts are never read
    parts.end[parts.count] = tab;
    if (++parts.count < TLineParts<char>::kMaxParts) parts.begin[parts.count] = tab + 1;
  }

  // Classifies the chunk starting at offset `start` of the text; the bytes of a last, short
  // chunk are classified as if zeros followed them.
  void LoadChunk(std::size_t start) noexcept {
    chunkStart_ = start;
    const char* chunk = text_ + start;
    const auto left = static_cast<std::size_t>(end_ - chunk);
    if (left >= kChunk) {
      classes_ = platform::ClassifyBytes(chunk);
      return;
    }
    char padded[kChunk] = {};
    std::memcpy(padded, chunk, left);
    classes_ = platform::ClassifyBytes(padded);
  }

  // Scans from offset `at` for the end of the line, ending parts at its TABs. Returns the
  // position of the CR or LF that ends the line, or the end of the text.
  const char* FindLineEnd(std::size_t at, TLineParts<char>& parts) noexcept {
    if (at - chunkStart_ >= kChunk) LoadChunk(at - at % kChunk);
    for (;;) {
      const std::uint64_t live = ~std::uint64_t{0} << (at - chunkStart_);
      const std::uint64_t lineEnds = classes_.lineEnds & live;
      const auto stop = static_cast<unsigned>(std::countr_zero(lineEnds));  // 64 when none
      const std::uint64_t inLine = live & LowBits(stop);
      const char* chunk = text_ + chunkStart_;
      for (std::uint64_t tabs = classes_.tabs & inLine; tabs != 0; tabs &= tabs - 1) {
        EndPart(parts, chunk + std::countr_zero(tabs));
      }
      if (lineEnds != 0) return chunk + stop;
      if (static_cast<std::size_t>(end_ - chunk) <= kChunk) return end_;
      at = chunkStart_ + kChunk;
      LoadChunk(at);
    }
  }

  const char* text_;
  const char* next_;
  const char* end_;
  std::size_t chunkStart_ = 0;  // offset of the classified chunk in the text
  platform::ByteClasses classes_;
};

// Copies the bytes [from, from + length) to `out`, sixteen at a time, when they are all ASCII
// (which every code page decodes to themselves); false, with `out` partly written, when one of
// them is at or above 0x80. `readable` ends the bytes that may be read (reads go up to fifteen
// bytes past the part) and `out` must have room for fifteen bytes past the part.
inline bool CopyAscii(const char* from, std::size_t length, const char* readable,
                      char* out) noexcept {
  constexpr std::size_t kChunk = platform::kCopyChunk;
  std::size_t i = 0;
  for (; i < length && static_cast<std::size_t>(readable - (from + i)) >= kChunk; i += kChunk) {
    unsigned high = platform::CopyBytes(from + i, out + i);
    if (length - i < kChunk) high &= (1u << (length - i)) - 1;  // bytes past the part
    if (high != 0) return false;
  }
  for (; i < length; ++i) {
    if (static_cast<unsigned char>(from[i]) >= 0x80) return false;
    out[i] = from[i];
  }
  return true;
}

}  // namespace core
