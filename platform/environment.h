#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The value of the process's environment variable `name` as Unicode text, or nothing when it is
// not set. (On POSIX the value's bytes are read as UTF-8.)
std::optional<std::u16string> EnvironmentValue(std::u16string_view name);

}  // namespace platform
