#include "platform/lower_case.h"

#include <cstddef>
#include <cstdint>

namespace platform {
namespace {

#include "platform/lower_case_table.inc"

// Below U+0080 only 'A'..'Z' change, by setting the 0x20 bit; no table is needed.
char16_t LowerAscii(char16_t unit) {
  const bool upper = static_cast<char16_t>(unit - u'A') < 26;
  return static_cast<char16_t>(unit | (upper ? 0x20 : 0));
}

char16_t LowerFromTable(char16_t unit) {
  const std::uint16_t delta = kLowerCaseDelta[kLowerCaseBlock[unit >> kLowerCaseBlockBits]]
                                             [unit & (kLowerCaseBlockSize - 1)];
  return static_cast<char16_t>(unit + delta);
}

// Buffers are lowered a chunk at a time: a chunk of ASCII only, the bulk of log text, takes
// branch-free arithmetic the compiler vectorizes; any other chunk goes through the table.
constexpr std::size_t kChunkUnits = 8;

bool IsAsciiChunk(const char16_t* units) {
  char16_t bits = 0;
  for (std::size_t i = 0; i < kChunkUnits; ++i) {
    bits |= units[i];
  }
  return bits < 0x80;
}

}  // namespace

char16_t LowerCaseUnit(char16_t unit) {
  return unit < 0x80 ? LowerAscii(unit) : LowerFromTable(unit);
}

void LowerCaseInPlace(std::span<char16_t> text) {
  std::size_t i = 0;
  for (; i + kChunkUnits <= text.size(); i += kChunkUnits) {
    char16_t* chunk = text.data() + i;
    if (IsAsciiChunk(chunk)) {
      for (std::size_t j = 0; j < kChunkUnits; ++j) {
        chunk[j] = LowerAscii(chunk[j]);
      }
    } else {
      for (std::size_t j = 0; j < kChunkUnits; ++j) {
        chunk[j] = LowerFromTable(chunk[j]);
      }
    }
  }
  for (; i < text.size(); ++i) {
    text[i] = LowerCaseUnit(text[i]);
  }
}

}  // namespace platform
