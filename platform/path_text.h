#pragma once

#include <string>
#include <string_view>

namespace platform {

// A path of the log tools (with '\' separators, as on Windows) as the operating system's own
// dialogs and file systems spell it: on POSIX every '\' becomes '/' (the same mapping the file
// system layer applies), on Windows the path is unchanged.
std::u16string NativePathText(std::u16string_view path);

}  // namespace platform
