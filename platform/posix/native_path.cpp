#include "platform/posix/native_path.h"
#include "platform/path_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/unicode.h"

namespace platform::posix {
namespace {

constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// The length of the well-formed UTF-8 sequence starting at text[at], or 0 when the bytes there
// do not start one (a stray continuation byte, an overlong form, a surrogate, a code point above
// U+10FFFF, or a sequence cut short).
std::size_t WellFormedLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t secondLow = 0x80;
  std::uint8_t secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(text[at + i]);
    const std::uint8_t low = i == 1 ? secondLow : std::uint8_t{0x80};
    const std::uint8_t high = i == 1 ? secondHigh : std::uint8_t{0xBF};
    if (next < low || next > high) return 0;
  }
  return length;
}

}  // namespace

std::string NativePath(std::u16string_view path) {
  std::string out;
  out.reserve(path.size());
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t unit = path[i];
    // A low surrogate right after a high one is half of a character, not an escaped byte.
    const bool escape =
        unit >= kFirstEscape && unit <= kLastEscape && (i == 0 || !IsHighSurrogate(path[i - 1]));
    if (!escape) continue;
    out += Utf16ToUtf8(path.substr(runStart, i - runStart));
    out.push_back(static_cast<char>(unit - kFirstEscape + 0x80));
    runStart = i + 1;
  }
  out += Utf16ToUtf8(path.substr(runStart));
  // No byte of a multi-byte UTF-8 sequence, nor an escaped byte, is 0x5C, so this touches only
  // the separators.
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::u16string NameFromNative(std::string_view name) {
  std::u16string out;
  out.reserve(name.size());
  std::size_t runStart = 0;
  std::size_t i = 0;
  while (i < name.size()) {
    const std::size_t length = WellFormedLength(name, i);
    if (length != 0) {
      i += length;
      continue;
    }
    out += Utf8ToUtf16(name.substr(runStart, i - runStart));
    out.push_back(static_cast<char16_t>(kFirstEscape + static_cast<std::uint8_t>(name[i]) - 0x80));
    runStart = ++i;
  }
  out += Utf8ToUtf16(name.substr(runStart));
  return out;
}

}  // namespace platform::posix

namespace platform {

std::u16string NativePathText(std::u16string_view path) {
  return posix::NameFromNative(posix::NativePath(path));
}

}  // namespace platform
