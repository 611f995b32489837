#include "platform/upper_case.h"

#include <cstdint>

namespace platform {
namespace {

#include "platform/upper_case_table.inc"

}  // namespace

char16_t UpperCaseUnit(char16_t unit) {
  // Below U+0080 only 'a'..'z' change, by clearing the 0x20 bit; no table is needed.
  if (unit < 0x80) {
    const bool lower = static_cast<char16_t>(unit - u'a') < 26;
    return static_cast<char16_t>(lower ? unit & ~0x20 : unit);
  }
  const std::uint16_t delta = kUpperCaseDelta[kUpperCaseBlock[unit >> kUpperCaseBlockBits]]
                                             [unit & (kUpperCaseBlockSize - 1)];
  return static_cast<char16_t>(unit + delta);
}

}  // namespace platform
