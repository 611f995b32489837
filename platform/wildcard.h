#pragma once

#include <string_view>

namespace platform {

// True when `name` matches the file-name `pattern` as Windows matches it: '*' matches any run
// of characters (also an empty one), '?' matches exactly one, every other character matches
// itself with letters compared case-insensitively (simple lower-casing, locale-independent).
bool MatchesWildcard(std::u16string_view name, std::u16string_view pattern);

}  // namespace platform
