#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16. Each maximal invalid subsequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// True when `text` is well-formed UTF-16: every surrogate is half of a high-low pair.
bool IsWellFormedUtf16(std::u16string_view text);

// True when `bytes` are well-formed UTF-8: no stray continuation bytes, no truncated sequence,
// no overlong form, no surrogate, nothing above U+10FFFF. An empty text is well-formed.
bool IsValidUtf8(std::string_view bytes);

}  // namespace platform
