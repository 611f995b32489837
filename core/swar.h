#pragma once

// Eight-byte words as small vectors: finding bytes of a given value eight at a time, with no
// branch per byte. Portable C++; callers use it on little-endian machines, where byte i of a word
// loaded from memory sits at bits 8i.

#include <cstdint>

namespace core::swar {

// 0x80 in every byte of `word` that is zero, 0 elsewhere; exact (no carry between bytes).
constexpr std::uint64_t ZeroBytes(std::uint64_t word) noexcept {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

}  // namespace core::swar
