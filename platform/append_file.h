#pragma once

#include <string_view>

namespace platform {

// Appends `bytes` to the end of the file at `path` (with '\' separators, as on Windows), making
// the file when it does not exist. Each call opens, writes and closes, so that what was appended
// stays even when the program ends without warning, and other programs may read the file
// meanwhile. Throws OsError naming `path` with the system's description on failure.
void AppendToFile(std::u16string_view path, std::string_view bytes);

}  // namespace platform
