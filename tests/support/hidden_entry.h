#pragma once

#include <filesystem>

namespace korlo_test {

// Makes the existing file or folder at `path` hidden as the platform tells hidden entries: its
// name must begin with '.', which is what hides it on POSIX; on Windows, where the name hides
// nothing, the hidden attribute is set. So a test spells one hidden entry for both platforms.
// Throws std::invalid_argument when the name does not begin with '.', std::runtime_error when
// the attribute cannot be set.
void MarkHidden(const std::filesystem::path& path);

}  // namespace korlo_test
