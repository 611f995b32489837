#include "platform/path_text.h"

namespace platform {

// Windows spells paths as the log tools do.
std::u16string NativePathText(std::u16string_view path) {
  return std::u16string(path);
}

}  // namespace platform
