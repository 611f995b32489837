#pragma once

// Bytes as small vectors, for the loader and the keyword search: classifying 64 bytes at a time
// into bit masks, copying 16 bytes at a time while telling which are not ASCII, counting a byte
// value, finding where a needle's first and last bytes both match, sixteen places at a time. With
// the processor's vector instructions where it has them (SSE2 on every x86-64), plain loops
// elsewhere; defining KORLO_PLAIN_VECTOR_OPS selects the plain loops everywhere, so that tests can
// check both.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(KORLO_PLAIN_VECTOR_OPS)
#include <emmintrin.h>
#define KORLO_VECTOR_OPS_SSE2
#endif

namespace platform {

// Bit i of each mask describes byte i of a 64-byte chunk.
struct ByteClasses {
  std::uint64_t tabs = 0;      // 0x09
  std::uint64_t lineEnds = 0;  // 0x0A and 0x0D
};

inline constexpr std::size_t kByteClassesChunk = 64;

// The classes of the kByteClassesChunk bytes at `chunk`, which must all be readable.
inline ByteClasses ClassifyBytes(const char* chunk) noexcept {
  ByteClasses classes;
#ifdef KORLO_VECTOR_OPS_SSE2
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lineFeed = _mm_set1_epi8('\n');
  const __m128i carriageReturn = _mm_set1_epi8('\r');
  for (std::size_t part = 0; part < kByteClassesChunk / 16; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 16 * part));
    const int shift = static_cast<int>(16 * part);
    const auto mask = [](__m128i matches) {
      return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(matches)));
    };
    classes.tabs |= mask(_mm_cmpeq_epi8(bytes, tab)) << shift;
    classes.lineEnds |=
        mask(_mm_or_si128(_mm_cmpeq_epi8(bytes, lineFeed), _mm_cmpeq_epi8(bytes, carriageReturn)))
        << shift;
  }
#else
  for (std::size_t i = 0; i < kByteClassesChunk; ++i) {
    const auto byte = static_cast<unsigned char>(chunk[i]);
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (byte == '\t') classes.tabs |= bit;
    if (byte == '\n' || byte == '\r') classes.lineEnds |= bit;
  }
#endif
  return classes;
}

inline constexpr std::size_t kCopyChunk = 16;

// Copies the kCopyChunk bytes at `in` to `out` and returns which of them are at or above 0x80
// (bit i for byte i).
inline unsigned CopyBytes(const char* in, char* out) noexcept {
#ifdef KORLO_VECTOR_OPS_SSE2
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
  return static_cast<unsigned>(_mm_movemask_epi8(bytes));
#else
  unsigned high = 0;
  for (std::size_t i = 0; i < kCopyChunk; ++i) {
    const auto byte = static_cast<unsigned char>(in[i]);
    out[i] = in[i];
    if (byte >= 0x80) high |= 1u << i;
  }
  return high;
#endif
}

// How many of the `size` bytes at `first` equal `value`.
inline std::size_t CountBytes(const char* first, std::size_t size, char value) noexcept {
  std::size_t count = 0;
  std::size_t i = 0;
#ifdef KORLO_VECTOR_OPS_SSE2
  // Each byte lane counts its matches (subtracting the all-ones of a match) for up to 255 blocks
  // before the lanes are summed; no population count, which x86-64 does not always have.
  constexpr std::size_t kMostBlocks = 255;
  const __m128i wanted = _mm_set1_epi8(value);
  const __m128i zero = _mm_setzero_si128();
  while (size - i >= 16) {
    const std::size_t blocks = std::min((size - i) / 16, kMostBlocks);
    __m128i lanes = zero;
    for (std::size_t block = 0; block < blocks; ++block, i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, wanted));
    }
    const __m128i sums = _mm_sad_epu8(lanes, zero);  // two sums of eight lanes, below 2^16
    count += static_cast<std::size_t>(_mm_extract_epi16(sums, 0)) +
             static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; i < size; ++i)
    count += first[i] == value ? 1 : 0;
  return count;
}

// Where a needle may start: the least i below `count` such that bytes[i] is `first` or
// `firstOther` and bytes[i + distance] is `last` or `lastOther` (a needle's first and last
// bytes, each with its other case); `count` when there is none. Bytes up to
// bytes[count - 1 + distance] must be readable. Two bytes of the needle, not one, because the
// first byte of a CJK character in UTF-8 is shared by four thousand others.
inline std::size_t FindBytePair(const char* bytes, std::size_t count, std::size_t distance,
                                char first, char firstOther, char last, char lastOther) noexcept {
  std::size_t i = 0;
#ifdef KORLO_VECTOR_OPS_SSE2
  const __m128i first1 = _mm_set1_epi8(first);
  const __m128i first2 = _mm_set1_epi8(firstOther);
  const __m128i last1 = _mm_set1_epi8(last);
  const __m128i last2 = _mm_set1_epi8(lastOther);
  for (; count - i >= 16; i += 16) {
    const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + distance));
    const __m128i both =
        _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(starts, first1), _mm_cmpeq_epi8(starts, first2)),
                      _mm_or_si128(_mm_cmpeq_epi8(ends, last1), _mm_cmpeq_epi8(ends, last2)));
    const auto matches = static_cast<unsigned>(_mm_movemask_epi8(both));
    if (matches != 0) return i + static_cast<std::size_t>(std::countr_zero(matches));
  }
#endif
  for (; i < count; ++i) {
    const char start = bytes[i];
    const char end = bytes[i + distance];
    if ((start == first || start == firstOther) && (end == last || end == lastOther)) return i;
  }
  return count;
}

// How many bytes past bytes[count - 1 + distance] FindBytePairInSlack may read.
inline constexpr std::size_t kFindBytePairSlack = 15;

// FindBytePair for bytes followed by kFindBytePairSlack more readable bytes: it reads whole
// vectors to the end, a short text in one step, and their bytes past the end never change the
// answer. The plain loops read no byte past the end.
inline std::size_t FindBytePairInSlack(const char* bytes, std::size_t count, std::size_t distance,
                                       char first, char firstOther, char last,
                                       char lastOther) noexcept {
#ifdef KORLO_VECTOR_OPS_SSE2
  const __m128i first1 = _mm_set1_epi8(first);
  const __m128i first2 = _mm_set1_epi8(firstOther);
  const __m128i last1 = _mm_set1_epi8(last);
  const __m128i last2 = _mm_set1_epi8(lastOther);
  for (std::size_t i = 0; i < count; i += 16) {
    const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + distance));
    const __m128i both =
        _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(starts, first1), _mm_cmpeq_epi8(starts, first2)),
                      _mm_or_si128(_mm_cmpeq_epi8(ends, last1), _mm_cmpeq_epi8(ends, last2)));
    auto matches = static_cast<unsigned>(_mm_movemask_epi8(both));
    // Places at or past `count` start past the end: their bits are dropped.
    if (count - i < 16) matches &= (1u << (count - i)) - 1u;
    if (matches != 0) return i + static_cast<std::size_t>(std::countr_zero(matches));
  }
  return count;
#else
  return FindBytePair(bytes, count, distance, first, firstOther, last, lastOther);
#endif
}

}  // namespace platform

#undef KORLO_VECTOR_OPS_SSE2
